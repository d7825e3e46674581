// The help shipped with the program: HTML pages in one folder, listed in order
// by the contents page, searched word by word without regard to case or accents,
// and the pages that the message boxes' help contexts open.
#pragma once

#include <QList>
#include <QString>

namespace tessaline {

// The contents page; every other page is listed in it.
inline constexpr char PageSommaire[] = "index.html";

// The pages the program opens by name (F1 on a window, the questions' Aide).
namespace pageAide {
inline constexpr char Commandes[] = "commandes.html";
inline constexpr char Registres[] = "registres.html";
inline constexpr char Fichiers[] = "fichiers.html";
inline constexpr char CarteSimulee[] = "carte-simulee.html";
inline constexpr char Quitter[] = "quitter.html";
inline constexpr char Effacement[] = "effacement.html";
inline constexpr char Surveillance[] = "surveillance.html";
inline constexpr char Debogueur[] = "debogueur.html";
} // namespace pageAide

struct PageAide {
    QString fichier; // "console.html"
    QString titre;   // the link's text in the contents page
};

// The folder of the help pages: share/tessaline/help beside the programs' bin
// folder once installed (or in the build tree), else the source tree's help/.
// Empty when neither holds the contents page.
QString dossierAide(const QString& dossierProgramme);

// The contents page first, then the pages it links to, in its order (each once).
QList<PageAide> lirePages(const QString& dossier);

// Folds one character for searching: lower case, without its accent; "É" and
// "e" fold alike. One character in, one out, so that positions in a folded text
// are positions in the original.
QChar replier(QChar c);
QString replier(const QString& texte);

// The words of a search, folded; empty words dropped.
QStringList motsRecherches(const QString& recherche);

// The pages whose text holds every word of the search, in contents order.
QList<PageAide> pagesContenant(const QString& dossier, const QList<PageAide>& pages,
                               const QString& recherche);

// The page a message box's help context opens; the contents page for a context
// without a page of its own.
QString pageDuContexte(int contexte);

} // namespace tessaline
