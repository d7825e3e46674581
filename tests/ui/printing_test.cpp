// Imprimer in the memory and trace areas: the heading line, an empty line, then the
// selection, printed to a PDF file and read back with pdftotext. The whole text under
// a title is the files window's test (Fichiers.PrintGivesTheFirstCopy...).
#include "link/screen.h"
#include "printed_text.h"
#include "ui/rich_text_area.h"
#include "window_test_support.h"

#include <QPrinter>
#include <QTemporaryDir>

namespace tessaline::test {
namespace {

const QString Entete =
    QStringLiteral("     00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 0123456789ABCDEF");

QStringList lignesDump(int nombre) {
    QStringList lignes;
    for (int l = 0; l < nombre; ++l) {
        QString ligne = QStringLiteral("%1 ").arg(l * 16, 4, 16, QLatin1Char('0'));
        for (int b = 0; b < 16; ++b)
            ligne += QStringLiteral("%1 ").arg((l * 16 + b) & 0xFF, 2, 16, QLatin1Char('0'));
        lignes << ligne.toUpper() + QStringLiteral("................");
    }
    return lignes;
}

class Imprimer : public ::testing::Test {
protected:
    void SetUp() override {
        area_.setFont(fixedPitchFont(QStringLiteral("Courier New"), 9));
        area_.setPrintHeading(Entete);
    }

    void ecrire(const QStringList& lignes) {
        for (const QString& l : lignes) {
            area_.appendRun(l.left(5), couleur::Rouge, true);
            area_.appendRun(l.mid(5) + QStringLiteral("\r\n"), couleur::Noir);
        }
    }

    // Prints to a PDF file and reads it back.
    QStringList imprimer(bool selectionSeule) {
        const QString pdf = dossier_.filePath(QStringLiteral("page.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        area_.printTo(printer, selectionSeule);
        return texteImprime(pdf, &pages_);
    }

    QTemporaryDir dossier_;
    RichTextArea area_;
    int pages_ = 0;
};

TEST_F(Imprimer, HeadingEmptyLineThenOnlyTheSelection) {
    const QStringList dump = lignesDump(4);
    ecrire(dump);
    // From the start of the second line to the middle of the third.
    const int debut = int(dump[0].size()) + 1;
    QTextCursor c(area_.document());
    c.setPosition(debut);
    c.setPosition(debut + int(dump[1].size()) + 1 + 20, QTextCursor::KeepAnchor);
    area_.setTextCursor(c);
    EXPECT_EQ(imprimer(true),
              (QStringList{Entete.trimmed(), QString(), dump[1], dump[2].left(20).trimmed()}));
}

TEST_F(Imprimer, PageBreaksLoseAndRepeatNothing) {
    // One entry long enough to wrap across a page break between dump lines:
    // every word once, in order, and nothing added (no page numbers).
    QStringList mots;
    for (int i = 0; i < 1500; ++i)
        mots << QStringLiteral("w%1").arg(i);
    const QStringList avant = lignesDump(70), apres = lignesDump(120);
    ecrire(avant);
    area_.appendRun(mots.join(u' ') + QStringLiteral("\r\n"), couleur::Bleu);
    ecrire(apres);

    const QStringList attendus =
        (QStringList{Entete} + avant + mots + apres).join(u' ').split(u' ', Qt::SkipEmptyParts);
    const QStringList lus = imprimer(false).join(u' ').split(u' ', Qt::SkipEmptyParts);
    EXPECT_GT(pages_, 2);
    ASSERT_EQ(lus.size(), attendus.size());
    for (qsizetype i = 0; i < lus.size(); ++i)
        ASSERT_EQ(lus[i], attendus[i]) << "word " << i;
}

} // namespace
} // namespace tessaline::test
