#include "ui/help_pages.h"

#include "link/screen.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextDocument>

#include <algorithm>

namespace tessaline {

namespace {

QString lireTexte(const QString& chemin) {
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

// The text a reader sees of a page: tags dropped, entities decoded.
QString texteVisible(const QString& chemin) {
    QTextDocument doc;
    doc.setHtml(lireTexte(chemin));
    return doc.toPlainText();
}

struct ContexteAide {
    int contexte;
    const char* page;
};

// The help contexts the message boxes pass, and the page each opens.
constexpr ContexteAide Contextes[] = {
    {contexteAide::QuestionFin, pageAide::Quitter},
    {contexteAide::EffacementEeprom, pageAide::Effacement},
};

} // namespace

QString dossierAide(const QString& dossierProgramme) {
    const QStringList candidats{QDir(dossierProgramme).filePath(QStringLiteral("../share/tessaline/help")),
                                QStringLiteral(TESSALINE_HELP_SOURCE_DIR)};
    for (const QString& d : candidats)
        if (QFileInfo::exists(QDir(d).filePath(QLatin1String(PageSommaire)))) return QDir(d).canonicalPath();
    return {};
}

QList<PageAide> lirePages(const QString& dossier) {
    const QString sommaire = lireTexte(QDir(dossier).filePath(QLatin1String(PageSommaire)));
    if (sommaire.isEmpty()) return {};
    QList<PageAide> pages{{QLatin1String(PageSommaire), QStringLiteral("Sommaire")}};
    static const QRegularExpression titre(QStringLiteral("<title>([^<]*)</title>"));
    if (const auto m = titre.match(sommaire); m.hasMatch()) pages.front().titre = m.captured(1).trimmed();
    static const QRegularExpression lien(QStringLiteral("<a href=\"([^\"#:]+\\.html)\">([^<]+)</a>"));
    for (auto it = lien.globalMatch(sommaire); it.hasNext();) {
        const auto m = it.next();
        const QString fichier = m.captured(1);
        const bool vu = std::any_of(pages.cbegin(), pages.cend(),
                                    [&](const PageAide& p) { return p.fichier == fichier; });
        if (!vu) pages.append({fichier, m.captured(2).simplified()});
    }
    return pages;
}

QChar replier(QChar c) {
    if (c.unicode() < 0x80) return c.toLower();
    const QString decompose = c.decomposition();
    const QChar base =
        decompose.isEmpty() || c.decompositionTag() != QChar::Canonical ? c : decompose.front();
    return base.toCaseFolded();
}

QString replier(const QString& texte) {
    QString r(texte.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < texte.size(); ++i)
        r[i] = replier(texte[i]);
    return r;
}

QStringList motsRecherches(const QString& recherche) {
    return replier(recherche).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

QList<PageAide> pagesContenant(const QString& dossier, const QList<PageAide>& pages,
                               const QString& recherche) {
    const QStringList mots = motsRecherches(recherche);
    QList<PageAide> trouvees;
    if (mots.isEmpty()) return trouvees;
    for (const PageAide& p : pages) {
        const QString texte = replier(texteVisible(QDir(dossier).filePath(p.fichier)));
        if (std::all_of(mots.cbegin(), mots.cend(), [&](const QString& m) { return texte.contains(m); }))
            trouvees.append(p);
    }
    return trouvees;
}

QString pageDuContexte(int contexte) {
    for (const ContexteAide& c : Contextes)
        if (c.contexte == contexte) return QLatin1String(c.page);
    return QLatin1String(PageSommaire);
}

} // namespace tessaline
