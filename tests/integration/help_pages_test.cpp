// The help pages' command lines, run as printed: every <pre> block of every
// page in help/ is read, and each line that starts a program (tessaline-cli,
// tessaline-sim, tessaline, after VARIABLE=value settings) is run in an empty
// folder with settings of its own, as a student following the page would.
// The lines after a tessaline-cli command, up to the next command, are the
// standard output the page promises: it must be that, line for line. A block
// that starts with "usage:" must be the start of that program's --help. So a
// page edited wrongly, or a program changed under its page, fails here.
//
// Left out, as no test can follow them: a line with a placeholder in capitals
// (FICHIER.S19, BASE), and a line for a real board (a /dev/ device).
// tessaline-sim with "--link PATH &" runs in the background for the lines
// after it, PATH standing for a link in the test's folder.
#include "program_runner.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace tessaline::test;

namespace {

const QString Programmes = QStringLiteral(TESSALINE_BIN);

QString texteHtml(QString t) {
    t.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    return t.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
        .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
        .replace(QStringLiteral("&nbsp;"), QStringLiteral(" "))
        .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
}

// The <pre> blocks of a page, as plain text.
QStringList blocs(const QString& page) {
    QFile f(page);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QString html = QString::fromUtf8(f.readAll());
    static const QRegularExpression pre(QStringLiteral("<pre>\\n?(.*?)</pre>"),
                                        QRegularExpression::DotMatchesEverythingOption);
    QStringList liste;
    for (auto it = pre.globalMatch(html); it.hasNext();)
        liste << texteHtml(it.next().captured(1));
    return liste;
}

struct Commande {
    QStringList environnement; // VARIABLE=value
    QString programme;
    QStringList arguments;
    bool arrierePlan = false;
    QStringList sortieAttendue;
};

bool estProgramme(const QString& mot) {
    return mot == "tessaline" || mot == "tessaline-cli" || mot == "tessaline-sim" || mot == "tessaline-asm" ||
           mot == "tessaline-lab";
}

// The command a line starts, if it starts one.
std::optional<Commande> commande(const QString& ligne) {
    QStringList mots = ligne.split(u' ', Qt::SkipEmptyParts);
    Commande c;
    while (!mots.isEmpty() && mots.front().contains(u'=') && !estProgramme(mots.front()))
        c.environnement << mots.takeFirst();
    if (mots.isEmpty() || !estProgramme(mots.front())) return std::nullopt;
    c.programme = mots.takeFirst();
    if (!mots.isEmpty() && mots.back() == "&") {
        c.arrierePlan = true;
        mots.removeLast();
    }
    c.arguments = mots;
    return c;
}

// A word in capitals that is no hexadecimal number: a placeholder.
bool substitut(const QString& mot) {
    static const QRegularExpression capitales(QStringLiteral("^[A-Z][A-Z_]+(\\.[A-Z0-9]+)?$"));
    static const QRegularExpression hexa(QStringLiteral("^[0-9A-F]+$"));
    return capitales.match(mot).hasMatch() && !hexa.match(mot).hasMatch();
}

bool pourCarteReelle(const Commande& c) {
    return std::any_of(c.environnement.begin(), c.environnement.end(),
                       [](const QString& v) { return v.contains(QLatin1String("=/dev/")); }) ||
           (c.programme == "tessaline" && !c.arguments.contains(QStringLiteral("--simulate")));
}

class PagesAide : public ::testing::TestWithParam<std::string> {};

} // namespace

TEST_P(PagesAide, EachCommandLineDoesWhatThePageSays) {
    const QString page = QStringLiteral(TESSALINE_HELP "/") + QString::fromStdString(GetParam());
    const QStringList pre = blocs(page);
    int lancees = 0;
    for (const QString& bloc : pre) {
        QStringList lignes = bloc.split(u'\n');
        while (!lignes.isEmpty() && lignes.back().trimmed().isEmpty())
            lignes.removeLast();
        if (lignes.isEmpty()) continue;

        QTemporaryDir dossier;
        Lancement lancement = Lancement()
                                  .dans(dossier.path())
                                  .avec(QStringLiteral("HOME=") + dossier.path())
                                  .avec(QStringLiteral("XDG_CONFIG_HOME=") + dossier.filePath(".config"))
                                  .avec(QStringLiteral("QT_QPA_PLATFORM=offscreen"));

        // A usage block is the start of the program's --help.
        if (lignes.front().startsWith(QLatin1String("usage: "))) {
            const QString nom = lignes.front().section(u' ', 1, 1);
            ASSERT_TRUE(estProgramme(nom)) << lignes.front().toStdString();
            const QStringList aide =
                lancer(Programmes + u'/' + nom, {QStringLiteral("--help")}, lancement).sortie.split(u'\n');
            EXPECT_EQ(aide.mid(0, lignes.size()).join(u'\n').toStdString(), lignes.join(u'\n').toStdString())
                << GetParam();
            ++lancees;
            continue;
        }

        QVector<Commande> commandes;
        for (const QString& l : lignes) {
            if (auto c = commande(l))
                commandes.append(*c);
            else if (!commandes.isEmpty())
                commandes.back().sortieAttendue << l;
        }
        std::vector<std::unique_ptr<SimulateurPty>> cartes;
        QMap<QString, QString> liens; // the page's link path, the test's
        for (Commande& c : commandes) {
            const std::string texte =
                (c.environnement + QStringList{c.programme} + c.arguments).join(u' ').toStdString();
            SCOPED_TRACE(GetParam() + ": " + texte);
            if (pourCarteReelle(c) || std::any_of(c.arguments.begin(), c.arguments.end(), substitut))
                continue;
            for (QString& v : c.environnement) {
                const QString nom = v.section(u'=', 0, 0);
                const QString valeur = v.section(u'=', 1);
                lancement.avec(nom + u'=' + liens.value(valeur, valeur));
            }
            if (c.programme == "tessaline-sim" && c.arrierePlan) {
                const int i = c.arguments.indexOf(QStringLiteral("--link"));
                ASSERT_GE(i, 0) << "a board in the background is reached through its link";
                const QString lien = dossier.filePath(QStringLiteral("lien%1").arg(liens.size()));
                liens.insert(c.arguments[i + 1], lien);
                c.arguments[i + 1] = lien;
                cartes.push_back(std::make_unique<SimulateurPty>(c.arguments));
                ASSERT_FALSE(cartes.back()->esclave().isEmpty());
                ++lancees;
                continue;
            }
            QStringList arguments = c.arguments;
            if (c.programme == "tessaline") arguments << QStringLiteral("--quit-when-ready");
            const ResultatCli r =
                ProgrammeEnCours(Programmes + u'/' + c.programme, arguments, lancement).fin(120000);
            const QString& sortie = r.sortie;
            EXPECT_EQ(r.code, 0) << r.erreurs.toStdString(); // -1: killed or ended by a signal
            if (c.programme == "tessaline") {
                EXPECT_EQ(sortie, "ready\n");
            }
            if (!c.sortieAttendue.isEmpty()) {
                EXPECT_EQ(sortie.toStdString(), (c.sortieAttendue.join(u'\n') + u'\n').toStdString());
            }
            ++lancees;
        }
    }
    RecordProperty("commandes", lancees);
}

INSTANTIATE_TEST_SUITE_P(
    Aide, PagesAide, ::testing::ValuesIn([] {
        std::vector<std::string> pages;
        for (const QString& p : QDir(QStringLiteral(TESSALINE_HELP)).entryList({QStringLiteral("*.html")}))
            pages.push_back(p.toStdString());
        return pages;
    }()),
    [](const ::testing::TestParamInfo<std::string>& i) {
        return QString::fromStdString(i.param).section(u'.', 0, 0).remove(u'-').toStdString();
    });
