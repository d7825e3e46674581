// The rich-text area: runs land at the very end in their colour and weight,
// whatever the user selected; the view follows; the Action menu; Effacer; Font.
#include "link/screen.h"
#include "ui/rich_text_area.h"
#include "window_test_support.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>

#include <optional>

namespace tessaline::test {
namespace {

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

} // namespace
} // namespace tessaline::test
