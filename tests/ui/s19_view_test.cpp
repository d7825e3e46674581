// The S19 view's runs and byte count, and the texts that point into the
// source: report lines naming a source line, listing lines and their address.
#include "operations/source_paths.h"
#include "ui/asm_highlighter.h"
#include "ui/s19_view.h"
#include "ui/source_references.h"
#include "window_test_support.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

namespace tessaline::test {
namespace {

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
    ASSERT_EQ(vue.runs.size(), attendus.size());
    for (qsizetype i = 0; i < attendus.size(); ++i) {
        EXPECT_EQ(vue.runs[i].texte, attendus[i].texte) << "run " << i;
        EXPECT_EQ(vue.runs[i].couleur, attendus[i].couleur) << "run " << i;
    }
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
    EXPECT_EQ(c.dossier, "/home/u/my dir/");
    EXPECT_EQ(c.base, "PROG");
    EXPECT_EQ(c.extension, "V2.ASM");
    EXPECT_EQ(decouperChemin(QStringLiteral("C:\\TP\\TEST.A11")).base, "TEST");
    EXPECT_EQ(decouperChemin(QStringLiteral("/tmp/MAKEFILE")).extension, "");
}

TEST(ReferencesSource, ReportLinesInBothFormsAndNothingElse) {
    const auto a = referenceSource(QStringLiteral("BLINK.ASM(12): error: unknown mnemonic 'LDAX'"));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->fichier, "BLINK.ASM");
    EXPECT_EQ(a->ligne, 12);
    const auto b = referenceSource(QStringLiteral("  test.a11:7: warning: value truncated"));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->fichier, "test.a11");
    EXPECT_EQ(b->ligne, 7);
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
    EXPECT_EQ(ligneListingA(listing, 0x1000), 4);
    EXPECT_EQ(ligneListingA(listing, 0x1003), 5);
    EXPECT_EQ(ligneListingA(listing, 0x1009), 7);
    // Only an address field: the first line at that address.
    EXPECT_EQ(ligneListingA(listing, 0x1005), 6);
    EXPECT_EQ(ligneListingA(listing, 0xFFFE), 10);
    EXPECT_EQ(ligneListingA(listing, 0x100B), -1) << "a continuation line has no number";
    EXPECT_EQ(ligneListingA(listing, 0x0010), -1);
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
