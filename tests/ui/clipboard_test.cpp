// Copier: the selection, or the whole content when nothing is selected, goes to
// the clipboard as RTF with its colours and weights, and as plain text.
#include "link/screen.h"
#include "ui/rich_text_area.h"
#include "window_test_support.h"

#include <QClipboard>
#include <QMimeData>

#include <cctype>

namespace tessaline::test {
namespace {

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
void ecrire(RichTextArea& area) {
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
    ecrire(area);
    area.copier();
    verifierCopie({{QStringLiteral("10:00:00.125\t"), Rouge, false},
                   {QStringLiteral("MemDump 0000\n"), Rouge, true},
                   {QStringLiteral("  <==  {\\} \u00e9t\u00e9 \u20ac\n"), Bleu, false}});
}

TEST(Copier, WithSelectionCopiesOnlyTheSelection) {
    RichTextArea area;
    ecrire(area);
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

} // namespace
} // namespace tessaline::test
