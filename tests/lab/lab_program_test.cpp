// The example lab through the library and through tessaline-lab itself: the points and
// messages its three submissions get, reports that read back, the same results on
// every run, a submission that does not assemble, and the exit status.
#include "lab_fixture.h"

#include "lab/lab_report.h"
#include "lab/lab_session.h"
#include "link/regular_file.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

using namespace tessaline;
using namespace tessaline::lab;
using namespace tessaline::lab::test;

namespace {

const QString kLab = QStringLiteral(TESSALINE_EXAMPLES "/labs/chenillard");

VerificationLab laboChenillard() {
    QString erreur;
    const auto texte = lireFichierOrdinaire(kLab + QStringLiteral("/lab.toml"), 1 << 20, erreur);
    EXPECT_TRUE(texte) << erreur.toStdString();
    return verification(texte ? texte->toStdString() : std::string());
}

std::vector<ResultatSoumission> verifierChenillard(unsigned travailleurs) {
    QStringList erreurs;
    const auto soumissions = trouverSoumissions({kLab + QStringLiteral("/submissions")}, erreurs);
    EXPECT_TRUE(erreurs.isEmpty());
    return verifierSoumissions(laboChenillard(), soumissions, travailleurs, false);
}

// RFC 4180 rows.
std::vector<std::vector<std::string>> lireCsv(const QByteArray& texte) {
    std::vector<std::vector<std::string>> lignes(1, std::vector<std::string>(1));
    bool guillemets = false;
    for (qsizetype i = 0; i < texte.size(); ++i) {
        const char c = texte[i];
        std::string& champ = lignes.back().back();
        if (guillemets) {
            if (c == '"' && i + 1 < texte.size() && texte[i + 1] == '"')
                champ += texte[++i];
            else if (c == '"')
                guillemets = false;
            else
                champ += c;
        } else if (c == '"') {
            guillemets = true;
        } else if (c == ',') {
            lignes.back().emplace_back();
        } else if (c == '\r' && i + 1 < texte.size() && texte[i + 1] == '\n') {
            ++i;
            lignes.emplace_back(1);
        } else {
            champ += c;
        }
    }
    EXPECT_FALSE(guillemets);
    lignes.pop_back(); // after the last line end
    return lignes;
}

struct Sortie {
    int statut;
    QString texte, erreurs;
};

Sortie lancerProgramme(const QStringList& arguments) {
    QProcess p;
    p.start(QStringLiteral(TESSALINE_LAB), arguments);
    EXPECT_TRUE(p.waitForFinished(60'000));
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

TEST(LaboChenillard, EachSubmissionGetsItsPointsAndTheWordsOfItsFault) {
    const std::vector<ResultatSoumission> r = verifierChenillard(2);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].nom, QStringLiteral("submissions/bon.asm"));
    EXPECT_TRUE(r[0].reussie());
    EXPECT_EQ(r[0].points(), 14);

    EXPECT_EQ(r[1].nom, QStringLiteral("submissions/periode.asm"));
    EXPECT_EQ(r[1].points(), 6);
    EXPECT_EQ(r[1].cas[0].premierEchec(),
              "PORTB vaut $04 au cycle 450 000, attendu $02 — la LED avance d'une place toutes les 200 ms");

    EXPECT_EQ(r[2].nom, QStringLiteral("submissions/sans_cop.asm"));
    EXPECT_TRUE(r[2].cas[0].reussi && r[2].cas[1].reussi);
    EXPECT_EQ(r[2].points(), 11);
    EXPECT_EQ(
        r[2].cas[2].premierEchec(),
        "le COP a remis la puce à zéro au cycle 32 770 : le programme ne l'a pas servi à temps ($55 puis $AA "
        "dans COPRST) — la boucle principale écrit $55 puis $AA dans COPRST");

    // The reports read back: one CSV row per submission and case, JUnit as XML.
    const VerificationLab v = laboChenillard();
    const auto csv = lireCsv(texteCsv(r));
    ASSERT_EQ(csv.size(), 10u);
    EXPECT_EQ(csv[0],
              (std::vector<std::string>{"soumission", "cas", "resultat", "points", "points_max", "message"}));
    EXPECT_EQ(csv[4], (std::vector<std::string>{"submissions/periode.asm", "période", "échec", "2", "6",
                                                r[1].cas[0].premierEchec()}));
    int points = 0;
    for (std::size_t i = 1; i < csv.size(); ++i) {
        ASSERT_EQ(csv[i].size(), 6u);
        points += std::stoi(csv[i][3]);
    }
    EXPECT_EQ(points, 14 + 6 + 11);

    QXmlStreamReader xml(texteJUnit(r, v));
    int suites = 0, cas = 0, echecs = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        suites += xml.name() == QLatin1String("testsuite");
        cas += xml.name() == QLatin1String("testcase");
        echecs += xml.name() == QLatin1String("failure");
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(suites, 3);
    EXPECT_EQ(cas, 9);
    EXPECT_EQ(echecs, 4);

    // Nothing depends on time or on the threads: the same reports from one worker.
    const std::vector<ResultatSoumission> encore = verifierChenillard(1);
    EXPECT_EQ(texteCsv(encore), texteCsv(r));
    EXPECT_EQ(texteJUnit(encore, v), texteJUnit(r, v));
}

TEST(LaboChenillard, TheProgramReportsWritesItsFilesAndSaysByItsStatus) {
    QTemporaryDir dossier;
    ASSERT_TRUE(dossier.isValid());
    // A submission that does not assemble gets the assembler's words and 0; the others go on.
    QFile mauvais(dossier.filePath(QStringLiteral("mauvais.asm")));
    ASSERT_TRUE(mauvais.open(QIODevice::WriteOnly));
    mauvais.write(" ORG $FE00\n LDAA #1\n LDAZ #2\n");
    mauvais.close();
    QFile s19(dossier.filePath(QStringLiteral("abime.s19")));
    ASSERT_TRUE(s19.open(QIODevice::WriteOnly));
    s19.write("S1130000FF\n");
    s19.close();
    const QString bon = kLab + QStringLiteral("/submissions/bon.asm");
    const QString csv = dossier.filePath(QStringLiteral("r.csv")),
                  junit = dossier.filePath(QStringLiteral("r.xml"));
    const Sortie s =
        lancerProgramme({kLab + QStringLiteral("/lab.toml"), QStringLiteral("--csv"), csv,
                         QStringLiteral("--junit"), junit, mauvais.fileName(), s19.fileName(), bon});
    EXPECT_EQ(s.statut, 1) << s.erreurs.toStdString();
    EXPECT_TRUE(s.texte.contains(QStringLiteral("ÉCHEC   ") + mauvais.fileName() +
                                 QStringLiteral(" : ne s'assemble pas, 0/14\n        ") + mauvais.fileName() +
                                 QStringLiteral("(3): error: ")))
        << s.texte.toStdString();
    EXPECT_TRUE(s.texte.contains(QStringLiteral("ÉCHEC   ") + s19.fileName() +
                                 QStringLiteral(" : pas un fichier S19 valable, 0/14\n")))
        << s.texte.toStdString();
    EXPECT_TRUE(s.texte.contains(QStringLiteral("RÉUSSI  ") + bon + QStringLiteral(" : COP servi  3/3\n")));
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(lireCsv(f.readAll()).size(), 10u);
    EXPECT_TRUE(QFile::exists(junit));

    EXPECT_EQ(lancerProgramme({kLab + QStringLiteral("/lab.toml"), bon}).statut, 0);

    // The failing case in detail: its last instructions.
    const Sortie detail = lancerProgramme({kLab + QStringLiteral("/lab.toml"), QStringLiteral("--verbose"),
                                           kLab + QStringLiteral("/submissions/sans_cop.asm")});
    EXPECT_TRUE(detail.texte.contains(QStringLiteral("les 50 dernières instructions")))
        << detail.texte.toStdString();

    // A check file the reader refuses: its line, and status 2.
    QFile toml(dossier.filePath(QStringLiteral("lab.toml")));
    ASSERT_TRUE(toml.open(QIODevice::WriteOnly));
    toml.write("limite = 1000\n[[cas]]\nnom = \"a\"\nquand = 3\n");
    toml.close();
    const Sortie refus = lancerProgramme({toml.fileName(), bon});
    EXPECT_EQ(refus.statut, 2);
    EXPECT_TRUE(refus.erreurs.startsWith(toml.fileName() + QStringLiteral(":4: clé inconnue « quand »")))
        << refus.erreurs.toStdString();
}

// A student's file name or a teacher's message may hold what a spreadsheet takes for a
// formula or what XML cannot carry: the reports stay data, and well formed.
TEST(LaboChenillard, ReportsStayWellFormedWhateverTheNamesHold) {
    ResultatSoumission r;
    r.nom = QStringLiteral("=1+1\x01.asm");
    ResultatCas c;
    c.nom = "cas\x02";
    c.pointsMax = 1;
    c.attentes.push_back({1, false, 0, "vu \x07, attendu \"x\", voilà"});
    r.cas.push_back(c);
    const auto csv = lireCsv(texteCsv({r}));
    ASSERT_EQ(csv.size(), 2u);
    EXPECT_EQ(csv[1][0], "'=1+1\x01.asm");
    EXPECT_EQ(csv[1][5], "vu \x07, attendu \"x\", voilà");
    QXmlStreamReader xml(texteJUnit({r}, VerificationLab{}));
    while (!xml.atEnd())
        xml.readNext();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
}
