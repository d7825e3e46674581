// The memory and trace windows and the rich text area under them: their text, colours,
// scrolling and clipboard, the S19 view, headless.
#include "link/screen.h"
#include "operations/source_paths.h"
#include "ui/asm_highlighter.h"
#include "ui/memory_window.h"
#include "ui/rich_text_area.h"
#include "ui/s19_view.h"
#include "ui/source_references.h"
#include "ui/trace_window.h"
#include "ui/twips.h"
#include "window_test_support.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <cctype>
#include <optional>

namespace tessaline::test {
namespace {

using Fenetres = ::testing::Types<MemoryWindow, TraceWindow>;

// What the memory and trace windows share, inside a QMdiArea as the main window
// holds them: the load size, the close box refused until the program quits,
// and a layout that minimising leaves alone.
template <typename Fenetre>
class AreaWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QWidget().logicalDpiX(), 96);
        zone_.resize(1400, 1000);
        fenetre_ = new Fenetre;
        cadre_ = zone_.addSubWindow(fenetre_);
        cadre_->setAttribute(Qt::WA_DeleteOnClose, false);
        zone_.show();
        cadre_->show();
        pump();
    }

    QMdiArea zone_;
    QPointer<Fenetre> fenetre_;
    QPointer<QMdiSubWindow> cadre_;
};

TYPED_TEST_SUITE(AreaWindowTest, Fenetres);

TYPED_TEST(AreaWindowTest, ANewSubwindowTakesTheLoadSizeFrameIncluded) {
    const QSize charge = this->fenetre_->loadSizeTwips();
    EXPECT_EQ(this->cadre_->size(), QSize(px(charge.width()), px(charge.height())));
    EXPECT_EQ(this->fenetre_->windowSizeTwips(), charge);
    EXPECT_TRUE(this->fenetre_->area()->toPlainText().isEmpty());
}

TYPED_TEST(AreaWindowTest, CloseIsRefusedUntilTheProgramQuits) {
    this->fenetre_->area()->appendRun(QStringLiteral("kept\r\n"), couleur::Rouge);
    // The close box, then the control menu's last item, Close.
    EXPECT_FALSE(this->cadre_->close());
    this->cadre_->systemMenu()->actions().last()->trigger();
    pump();
    ASSERT_TRUE(this->cadre_);
    EXPECT_TRUE(this->cadre_->isVisible() && this->fenetre_->isVisible());
    EXPECT_EQ(this->fenetre_->area()->toPlainText(), QStringLiteral("kept\n"));

    // On its own, the window refuses too.
    TypeParam seule;
    seule.show();
    EXPECT_FALSE(seule.close());
    EXPECT_TRUE(seule.isVisible());

    this->fenetre_->setQuitting(true);
    EXPECT_TRUE(this->cadre_->close());
    EXPECT_FALSE(this->cadre_->isVisible());
}

TYPED_TEST(AreaWindowTest, MinimisingLeavesTheLayoutAlone) {
    auto places = [this] {
        QList<QRect> g;
        for (QWidget* w : this->fenetre_->template findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            g << w->geometry();
        return g;
    };
    const QList<QRect> avant = places();
    const QSize normale = this->cadre_->size();
    this->cadre_->showMinimized();
    pump();
    const QSize minimisee = this->cadre_->size();
    ASSERT_LT(minimisee.height(), normale.height());

    // A resize that reaches the window while its frame is minimised is not
    // followed: the frame keeps its minimised size, the children their places.
    const QSize ancienne = this->fenetre_->size();
    this->fenetre_->resize(ancienne / 2);
    QResizeEvent e(this->fenetre_->size(), ancienne);
    QApplication::sendEvent(this->fenetre_, &e);
    pump();
    EXPECT_EQ(this->cadre_->size(), minimisee);
    EXPECT_EQ(places(), avant);

    this->cadre_->showNormal();
    pump();
    EXPECT_EQ(this->cadre_->size(), normale);
    EXPECT_EQ(places(), avant);
}

// frmMemoire: the width that snaps back to 8325 twips while the area's height
// follows the window (less 1020 twips), and the heading over the byte columns.
class MemoryWindowInArea : public AreaWindowTest<MemoryWindow> {};

TEST_F(MemoryWindowInArea, WidthSnapsBackAreaHeightFollows) {
    struct Cas {
        int largeur, hauteur; // twips, frame included
    };
    for (const Cas& c : {Cas{9000, 3165}, Cas{6000, 4500}, Cas{12000, 2040}, Cas{3000, 900}}) {
        SCOPED_TRACE(testing::Message() << c.largeur << " x " << c.hauteur);
        cadre_->resize(px(c.largeur), px(c.hauteur));
        pump();
        EXPECT_EQ(cadre_->size(), QSize(px(8325), px(c.hauteur)));
        EXPECT_EQ(enTwips(fenetre_->area()->geometry()),
                  QRect(225, 375, 7875, std::max(0, c.hauteur - 1020)));
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

// frmTraceCommandes: its resize rules (area width = window width - 555, area
// height = window height - 1215, lblActions width = window width - 2160, twips,
// frame included), in a QMdiArea and on its own.
void verifierDisposition(const TraceWindow& f, int largeur, int hauteur) {
    EXPECT_EQ(enTwips(f.area()->geometry()),
              QRect(210, 315, std::max(0, largeur - 555), std::max(0, hauteur - 1215)));
    const QRect actions = enTwips(f.findChild<QLabel*>(QStringLiteral("lblActions"))->geometry());
    EXPECT_EQ(actions.topLeft(), QPoint(1785, 30));
    EXPECT_EQ(actions.width(), std::max(0, largeur - 2160));
}

class TraceWindowInArea : public AreaWindowTest<TraceWindow> {};

TEST_F(TraceWindowInArea, ResizeRules) {
    TraceWindow* dansZone = fenetre_;
    TraceWindow seule;
    seule.show();
    struct Cas {
        int largeur, hauteur;
    };
    // The load size, larger, smaller, and smaller than the rules' margins.
    for (TraceWindow* f : {dansZone, &seule})
        for (const Cas& c : {Cas{8970, 4560}, Cas{15000, 9000}, Cas{6000, 3000}, Cas{2100, 1200}}) {
            SCOPED_TRACE(testing::Message()
                         << (f == &seule ? "alone " : "in a subwindow ") << c.largeur << " x " << c.hauteur);
            f->setWindowSizeTwips({c.largeur, c.hauteur});
            pump();
            ASSERT_EQ(f->windowSizeTwips(), QSize(c.largeur, c.hauteur));
            verifierDisposition(*f, c.largeur, c.hauteur);
        }
}

TEST(Twips, NearestPixelAtCommonResolutions) {
    struct Cas {
        double twips, dpi;
        int pixels;
    };
    for (const Cas& c :
         {Cas{8970, 96, 598}, Cas{555, 96, 37}, Cas{8325, 120, 694}, Cas{8325, 144, 833}, Cas{7, 96, 0}})
        EXPECT_EQ(twipsEnPixels(c.twips, c.dpi), c.pixels) << c.twips << " twips at " << c.dpi << " dpi";
    EXPECT_DOUBLE_EQ(pixelsEnTwips(694, 120.0), 8328);
}

// The rich-text area: runs land at the very end in their colour and weight,
// whatever the user selected; the view follows; the Action menu; Effacer; Font.
struct Morceau {
    QString text;
    uint32_t colour; // Windows 0x00BBGGRR
    bool bold;
    QColor rgb; // what the screen shows
};

// A command and the target's answer, as the trace writers append them.
const std::vector<Morceau> Entrees = {
    {QStringLiteral("10:00:00.125\t"), couleur::Rouge, false, QColor(255, 0, 0)},
    {QStringLiteral("MemDump 0000\r\n"), couleur::Rouge, true, QColor(255, 0, 0)},
    {QStringLiteral("10:00:01.250\t"), couleur::Rouge, false, QColor(255, 0, 0)},
    {QStringLiteral("  <==  Go\r\n"), couleur::Bleu, false, QColor(0, 0, 255)},
    {QStringLiteral("A=00 lone CR\r"), couleur::Magenta, false, QColor(255, 0, 255)},
    {QStringLiteral("lone LF\n"), couleur::Vert, true, QColor(0, 128, 0)},
};

void ecrire(RichTextArea& area) {
    for (const Morceau& m : Entrees)
        area.appendRun(m.text, m.colour, m.bold);
}

// The format of the character at `position`; a paragraph end has none.
std::optional<QTextCharFormat> formatAt(const RichTextArea& area, int position) {
    const QTextBlock bloc = area.document()->findBlock(position);
    for (auto it = bloc.begin(); !it.atEnd(); ++it)
        if (it.fragment().contains(position)) return it.fragment().charFormat();
    return std::nullopt;
}

TEST(RichTextArea, RunsKeepTheirColourAndWeightOneLinePerEntry) {
    RichTextArea area;
    ecrire(area);
    EXPECT_EQ(area.toPlainText(), QStringLiteral("10:00:00.125\tMemDump 0000\n10:00:01.250\t  <==  Go\n"
                                                 "A=00 lone CR\nlone LF\n"));
    int position = 0;
    for (const Morceau& m : Entrees) {
        const int fin = position + int(m.text.size()) - (m.text.endsWith(QStringLiteral("\r\n")) ? 1 : 0);
        for (; position < fin; ++position) {
            const auto f = formatAt(area, position);
            if (!f) continue; // a line end
            ASSERT_EQ(f->foreground().color(), m.rgb) << qPrintable(m.text) << position;
            ASSERT_EQ(f->fontWeight() > QFont::Normal, m.bold) << qPrintable(m.text) << position;
        }
    }
    // Bold ends with its run: what the user types next is not bold.
    EXPECT_EQ(area.currentCharFormat().fontWeight(), QFont::Normal);
}

TEST(RichTextArea, AppendLandsAtTheEndWhateverTheUserSelected) {
    struct Cas {
        int ancre, position; // -1: the end of the text
    };
    for (const Cas& c : {Cas{0, 5}, Cas{20, 8}, Cas{0, -1}, Cas{3, 3}, Cas{-1, -1}}) {
        SCOPED_TRACE(testing::Message() << c.ancre << ".." << c.position);
        RichTextArea area;
        ecrire(area);
        const QString avant = area.toPlainText();
        QTextCursor selection(area.document());
        selection.setPosition(c.ancre < 0 ? int(avant.size()) : c.ancre);
        selection.setPosition(c.position < 0 ? int(avant.size()) : c.position, QTextCursor::KeepAnchor);
        area.setTextCursor(selection);

        area.appendRun(QStringLiteral("Stop\r\n"), couleur::Rouge, true);
        EXPECT_EQ(area.toPlainText(), avant + QStringLiteral("Stop\n"));
        EXPECT_FALSE(area.textCursor().hasSelection());
        EXPECT_EQ(area.textCursor().position(), area.document()->characterCount() - 1);
    }
}

TEST(RichTextArea, TheViewFollowsTheEnd) {
    RichTextArea area;
    area.resize(300, 120);
    area.show();
    for (int i = 0; i < 200; ++i)
        area.appendRun(QStringLiteral("line %1\r\n").arg(i), couleur::Noir);
    pump();
    auto caretVu = [&area] { return area.viewport()->rect().contains(area.cursorRect()); };
    EXPECT_TRUE(caretVu());
    area.verticalScrollBar()->setValue(0); // the user scrolls back to read
    pump();
    ASSERT_FALSE(caretVu());
    area.appendRun(QStringLiteral("one more\r\n"), couleur::Noir);
    pump();
    EXPECT_TRUE(caretVu());
}

TEST(RichTextArea, RightClickOpensTheActionMenuAtThePointer) {
    RichTextArea area;
    area.show();
    const QPoint ici = area.viewport()->mapToGlobal(QPoint(40, 30));
    QContextMenuEvent clic(QContextMenuEvent::Mouse, QPoint(40, 30), ici);
    QApplication::sendEvent(area.viewport(), &clic);

    QMenu* menu = area.findChild<QMenu*>(QStringLiteral("mnuAction"));
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->pos(), ici);

    // Effacer through its item; appends start afresh.
    ecrire(area);
    menu->findChild<QAction*>(QStringLiteral("mnuEffacer"))->trigger();
    menu->hide();
    EXPECT_TRUE(area.toPlainText().isEmpty());
    area.appendRun(QStringLiteral("after"), couleur::Bleu);
    EXPECT_EQ(area.toPlainText(), QStringLiteral("after"));
}

TEST(RichTextArea, FontGoesToTheSelectionOrTheInsertionPoint) {
    RichTextArea area;
    area.appendRun(QStringLiteral("0000 FF FF"), couleur::Noir);
    QTextCursor c(area.document());
    c.setPosition(5);
    c.setPosition(7, QTextCursor::KeepAnchor);
    area.setTextCursor(c);
    QFont choisie(QStringLiteral("DejaVu Serif"), 14);
    choisie.setBold(true);
    choisie.setItalic(true);
    choisie.setUnderline(true);
    choisie.setStrikeOut(true);
    area.applyFont(choisie);

    for (int i = 0; i < 10; ++i) {
        const QFont f = formatAt(area, i)->font().resolve(area.document()->defaultFont());
        const bool choisi = i == 5 || i == 6;
        EXPECT_EQ(f.family() == choisie.family() && f.pointSizeF() == 14 && f.bold() && f.italic() &&
                      f.underline() && f.strikeOut(),
                  choisi)
            << i;
    }
    // The font dialog is preset from the selection.
    EXPECT_EQ(area.selectionFont(), choisie);

    // Nothing selected: the insertion point takes it, the text stays as it was.
    area.moveCursor(QTextCursor::End);
    area.applyFont(QFont(QStringLiteral("DejaVu Sans"), 16));
    area.insertPlainText(QStringLiteral("typed"));
    EXPECT_EQ(formatAt(area, 12)->fontPointSize(), 16);
    EXPECT_NE(formatAt(area, 9)->fontPointSize(), 16);
}

// Copier: the selection, or the whole content when nothing is selected, goes to
// the clipboard as RTF with its colours and weights, and as plain text.
// What a word processor reads of the RTF: the text (\par a line end, \tab,
// \uN), and for each character its colour (from \colortbl) and weight.
struct Lu {
    QString text;
    QList<QColor> colours;
    QList<bool> bold;
};

Lu lireRtf(const QByteArray& rtf) {
    struct Etat {
        int cf = 0;
        bool bold = false, ignore = false;
    };
    Lu lu;
    QList<QColor> table;
    QList<Etat> pile{Etat{}};
    int rgb[3] = {0, 0, 0};
    bool dansTable = false, sauter = false;
    auto a = [&rtf](qsizetype k) { return k < rtf.size() ? rtf[k] : '\0'; };
    auto emettre = [&](QChar ch) {
        if (std::exchange(sauter, false) || pile.last().ignore) return;
        lu.text += ch;
        lu.colours += table.value(pile.last().cf);
        lu.bold += pile.last().bold;
    };
    for (qsizetype i = 0; i < rtf.size();) {
        const char c = rtf[i++];
        if (c == '{') {
            pile.append(pile.last());
        } else if (c == '}') {
            dansTable = false;
            pile.removeLast();
        } else if (c == ';' && dansTable) {
            table.append(table.isEmpty() ? QColor() : QColor(rgb[0], rgb[1], rgb[2])); // entry 0: default
        } else if (c == '\\' && !std::isalpha(static_cast<unsigned char>(a(i)))) {
            emettre(QChar(a(i++)));
        } else if (c == '\\') {
            QByteArray mot, nombre;
            while (std::isalpha(static_cast<unsigned char>(a(i))))
                mot += rtf[i++];
            while (a(i) == '-' || std::isdigit(static_cast<unsigned char>(a(i))))
                nombre += rtf[i++];
            if (a(i) == ' ') ++i;
            Etat& e = pile.last();
            const int n = nombre.toInt();
            if (mot == "fonttbl" || mot == "colortbl") e.ignore = true;
            dansTable = dansTable || mot == "colortbl";
            if (mot == "red") rgb[0] = n;
            if (mot == "green") rgb[1] = n;
            if (mot == "blue") rgb[2] = n;
            if (mot == "cf") e.cf = n;
            if (mot == "b") e.bold = nombre.isEmpty() || n != 0;
            if (mot == "par") emettre(u'\n');
            if (mot == "tab") emettre(u'\t');
            if (mot == "u") {
                emettre(QChar(char16_t(n)));
                sauter = true; // the fallback character
            }
        } else if (c != '\r' && c != '\n') {
            emettre(QChar(c));
        }
    }
    return lu;
}

// Two entries; the second has characters RTF must escape.
void ecrireDeux(RichTextArea& area) {
    area.appendRun(QStringLiteral("10:00:00.125\t"), couleur::Rouge);
    area.appendRun(QStringLiteral("MemDump 0000\r\n"), couleur::Rouge, true);
    area.appendRun(QStringLiteral("  <==  {\\} \u00e9t\u00e9 \u20ac\r\n"), couleur::Bleu);
}

struct Attendu {
    QString text;
    QColor colour;
    bool bold;
};

const QColor Rouge(255, 0, 0), Bleu(0, 0, 255);

void verifierCopie(const QList<Attendu>& morceaux) {
    const QMimeData* donnees = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(donnees && donnees->hasFormat(QStringLiteral("text/rtf")));
    const QByteArray rtf = donnees->data(QStringLiteral("text/rtf"));
    const Lu lu = lireRtf(rtf);
    QString texte;
    for (const Attendu& m : morceaux)
        texte += m.text;
    ASSERT_EQ(lu.text, texte) << rtf.constData();
    EXPECT_EQ(donnees->text(), texte);
    qsizetype i = 0;
    for (const Attendu& m : morceaux)
        for (QChar ch : m.text) {
            if (ch != u'\n') { // a paragraph end has no colour of its own
                EXPECT_EQ(lu.colours[i], m.colour) << "character " << i;
                EXPECT_EQ(lu.bold[i], m.bold) << "character " << i;
            }
            ++i;
        }
}

TEST(Copier, WithoutSelectionCopiesEverything) {
    RichTextArea area;
    ecrireDeux(area);
    area.copier();
    verifierCopie({{QStringLiteral("10:00:00.125\t"), Rouge, false},
                   {QStringLiteral("MemDump 0000\n"), Rouge, true},
                   {QStringLiteral("  <==  {\\} \u00e9t\u00e9 \u20ac\n"), Bleu, false}});
}

TEST(Copier, WithSelectionCopiesOnlyTheSelection) {
    RichTextArea area;
    ecrireDeux(area);
    // Selected upwards, from inside the second entry into the time stamp.
    QTextCursor c(area.document());
    c.setPosition(36);
    c.setPosition(9, QTextCursor::KeepAnchor);
    area.setTextCursor(c);
    area.copier();
    verifierCopie({{QStringLiteral("125\t"), Rouge, false},
                   {QStringLiteral("MemDump 0000\n"), Rouge, true},
                   {QStringLiteral("  <==  {\\}"), Bleu, false}});
    EXPECT_EQ(area.textCursor().selectedText(), c.selectedText()); // the selection stays
}

// The S19 view's runs and byte count, and the texts that point into the
// source: report lines naming a source line, listing lines and their address.
TEST(VueS19, EachFieldItsRunAndColourOnlyS1AndS9Shown) {
    const QStringList fichier = {QStringLiteral("S00600004844521B"),     // header: not shown
                                 QStringLiteral("S1071000CE10008601A3"), // 4 data bytes
                                 QStringLiteral("s1051004AABB00"),       // lower case: not a record here
                                 QStringLiteral("S2080100001234567890"), // 24-bit address: not shown
                                 QStringLiteral("S1031008F4\r"),         // no data, CR left by the line split
                                 QStringLiteral("S9031000EC"),           QString()};
    const VueS19 vue = vueS19(fichier);
    using namespace couleurS19;
    const QList<RunS19> attendus = {
        {"S1 ", Type},      {"07 ", Compte},     {"1000 ", Adresse},   {"CE ", Donnee},      {"10 ", Donnee},
        {"00 ", Donnee},    {"86 ", Donnee},     {"01 ", Donnee},      {"A3\r\n", Controle}, {"S1 ", Type},
        {"03 ", Compte},    {"1008 ", Adresse},  {"F4\r\n", Controle}, {"S9 ", Type},        {"03 ", Compte},
        {"1000 ", Adresse}, {"EC\r\n", Controle}};
    EXPECT_EQ(vue.runs, attendus);
    // Data pairs between the address and the checksum: 5, and the wrong
    // checksum of the first record does not matter.
    EXPECT_EQ(vue.nbOctets, 5);
}

TEST(VueS19, ByteCountPastSixteenBits) {
    // A 64 KiB image written twice: 131,072 data bytes in 32-byte records.
    QStringList fichier;
    const QString donnees = QString(64, u'A');
    for (int passe = 0; passe < 2; ++passe)
        for (int adresse = 0; adresse < 0x10000; adresse += 32)
            fichier << QStringLiteral("S123%1%2FF").arg(adresse, 4, 16, QLatin1Char('0')).arg(donnees);
    EXPECT_EQ(vueS19(fichier).nbOctets, 131072);
}

TEST(CheminsSource, BaseNameStopsAtTheFirstDot) {
    const CheminDecoupe c = decouperChemin(QStringLiteral("/home/u/my dir/PROG.V2.asm"));
    EXPECT_EQ((QStringList{c.dossier, c.base, c.extension}),
              (QStringList{"/home/u/my dir/", "PROG", "V2.ASM"}));
    EXPECT_EQ(decouperChemin(QStringLiteral("C:\\TP\\TEST.A11")).base, "TEST");
    EXPECT_EQ(decouperChemin(QStringLiteral("/tmp/MAKEFILE")).extension, "");
}

TEST(ReferencesSource, ReportLinesInBothFormsAndNothingElse) {
    const auto a = referenceSource(QStringLiteral("BLINK.ASM(12): error: unknown mnemonic 'LDAX'"));
    const auto b = referenceSource(QStringLiteral("  test.a11:7: warning: value truncated"));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(std::pair(a->fichier, a->ligne), std::pair(QStringLiteral("BLINK.ASM"), 12));
    EXPECT_EQ(std::pair(b->fichier, b->ligne), std::pair(QStringLiteral("test.a11"), 7));
    for (const char* autre : {"Assemblage termin\u00e9 : 0 erreur", "BLINK.ASM: 3 errors", "BLINK.ASM(0): x",
                              "12:30:01  Load Talker", "error: BLINK.ASM(12) is wrong"})
        EXPECT_FALSE(referenceSource(QString::fromUtf8(autre))) << autre;
}

TEST(ReferencesSource, ListingLineOfAnAddressPrefersTheOneWithCode) {
    const QStringList listing = {QStringLiteral("    1                  * blink"),
                                 QStringLiteral("    2      =0010       PORTA EQU $10"),
                                 QStringLiteral("    3 1000                   ORG $1000"),
                                 QStringLiteral("    4 1000             START"),
                                 QStringLiteral("    5 1000 8E00FF            LDS #$FF"),
                                 QStringLiteral("    6 1003 86 55       LOOP  LDAA #$55"),
                                 QStringLiteral("    7 1005                   RMB 4"),
                                 QStringLiteral("    8 1009 20F8              BRA LOOP"),
                                 QStringLiteral("      100B 0102"),
                                 QStringLiteral("    9 FFFE                   ORG $FFFE"),
                                 QStringLiteral("   10 FFFE 1000              FDB START")};
    EXPECT_FALSE(adresseListing(listing[0]));
    EXPECT_FALSE(adresseListing(listing[1])) << "an EQU's value";
    EXPECT_EQ(adresseListing(listing[2]), 0x1000);
    // $1005: only an address field, the first line at that address; $100B: a continuation
    // line has no number; $0010: an EQU's value is no address.
    QList<int> lignes;
    for (int a : {0x1000, 0x1003, 0x1009, 0x1005, 0xFFFE, 0x100B, 0x0010})
        lignes << ligneListingA(listing, a);
    EXPECT_EQ(lignes, (QList<int>{4, 5, 7, 6, 10, -1, -1}));

    // Breakpoints go on the lines with code; the source's lines through the
    // listing's numbers, a long line's continuation left to its first.
    EXPECT_FALSE(adresseCodeListing(listing[3])) << "a label alone";
    EXPECT_EQ(adresseCodeListing(listing[5]), 0x1003);
    EXPECT_EQ(adressesSource(listing), (QMap<int, int>{{5, 0x1000}, {6, 0x1003}, {8, 0x1009}, {10, 0xFFFE}}));
    EXPECT_EQ(ligneSourceA(listing, 0x1003), 6);
    EXPECT_EQ(ligneSourceA(listing, 0x1005), 7) << "the PC on a line without code still shows it";
    EXPECT_EQ(ligneSourceA(listing, 0x100B), -1);
}

// The format of each character of a highlighted line, by kind.
QString genres(const QString& ligne) {
    QPlainTextEdit zone;
    zone.setPlainText(ligne);
    AsmHighlighter coloration(zone.document());
    coloration.rehighlight();
    const QTextBlock b = zone.document()->begin();
    QString g(ligne.size(), u'.');
    for (const QTextLayout::FormatRange& r : b.layout()->formats()) {
        QChar c = u'?';
        if (r.format.fontItalic())
            c = u'c';
        else if (r.format.fontWeight() == QFont::Bold)
            c = u'm';
        else if (r.format.foreground().color() == QColor(0x80, 0x00, 0x80))
            c = u'l';
        else if (r.format.foreground().color() == QColor(0x00, 0x80, 0x80))
            c = u'd';
        else if (r.format.foreground().color() == QColor(0xB0, 0x50, 0x00))
            c = u'n';
        for (int i = r.start; i < r.start + r.length; ++i)
            g[i] = c;
    }
    return g;
}

TEST(ColorationSource, LabelsMnemonicsDirectivesNumbersComments) {
    EXPECT_EQ(genres(QStringLiteral("LOOP  ldaa #$55 ; go")), QStringLiteral("llll..mmmm..nnn.cccc"));
    EXPECT_EQ(genres(QStringLiteral("MSG   FCC 'A;B' ; x")), QStringLiteral("lll...ddd.nnnnn.ccc"));
    EXPECT_EQ(genres(QStringLiteral("* LDAA #1")), QStringLiteral("ccccccccc"));
    EXPECT_EQ(genres(QStringLiteral("      BRSET 0,X %101 12")), QStringLiteral("......mmmmm.n...nnnn.nn"));
    // A word that is neither, where the mnemonic stands: left plain.
    EXPECT_EQ(genres(QStringLiteral("      FOO 1")), QStringLiteral("..........n"));
}

} // namespace
} // namespace tessaline::test
