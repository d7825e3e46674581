// frmMemoire: the width that snaps back to 8325 twips while the area's height
// follows the window (less 1020 twips), and the heading over the byte columns.
#include "link/screen.h"
#include "ui/memory_window.h"
#include "ui/rich_text_area.h"
#include "window_test_support.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace tessaline::test {
namespace {

TEST(MemoryWindow, WidthSnapsBackAreaHeightFollows) {
    ASSERT_EQ(QWidget().logicalDpiX(), 96);
    QMdiArea zone;
    zone.resize(1400, 1000);
    auto* fenetre = new MemoryWindow;
    QMdiSubWindow* cadre = zone.addSubWindow(fenetre);
    zone.show();
    cadre->show();
    struct Cas {
        int largeur, hauteur; // twips, frame included
    };
    for (const Cas& c : {Cas{9000, 3165}, Cas{6000, 4500}, Cas{12000, 2040}, Cas{3000, 900}}) {
        SCOPED_TRACE(testing::Message() << c.largeur << " x " << c.hauteur);
        cadre->resize(px(c.largeur), px(c.hauteur));
        pump();
        EXPECT_EQ(cadre->size(), QSize(px(8325), px(c.hauteur)));
        EXPECT_EQ(enTwips(fenetre->area()->geometry()), QRect(225, 375, 7875, std::max(0, c.hauteur - 1020)));
    }

    // On its own the window's frame is the platform's; it counts the same.
    MemoryWindow seule;
    seule.show();
    seule.resize(900, 400);
    pump();
    const QSize exterieur = seule.frameGeometry().size();
    EXPECT_EQ(exterieur.width(), px(8325));
    EXPECT_EQ(seule.area()->height() * 15, exterieur.height() * 15 - 1020);
}

TEST(MemoryWindow, HeadingColumnsStandOverTheByteColumns) {
    MemoryWindow fenetre;
    fenetre.show();
    RichTextArea* zone = fenetre.area();
    zone->appendRun(QStringLiteral("0000 "), couleur::Rouge, true);
    zone->appendRun(QStringLiteral("00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F ................\r\n"),
                    couleur::Noir);
    QLabel* entete = fenetre.findChild<QLabel*>(QStringLiteral("labADRESSE"));
    ASSERT_NE(entete, nullptr);
    const QFontMetrics m(entete->font());
    for (int colonne : {0, 3, 45, 48}) { // "00", "01", "0F", the characters column
        QTextCursor c(zone->document());
        c.setPosition(5 + colonne); // after the address and its blank
        const int xZone = zone->viewport()->mapTo(&fenetre, zone->cursorRect(c).topLeft()).x();
        const int xEntete = entete->x() + m.horizontalAdvance(entete->text().left(colonne));
        EXPECT_NEAR(xZone, xEntete, 1) << "column " << colonne;
    }
}

} // namespace
} // namespace tessaline::test
