// frmAide: the help window. The contents on the left (the pages in the order of
// the contents page), a search box that lists the pages holding every word typed
// (case and accents ignored), and the page on the right, with the searched
// words highlighted. Links between pages are followed; links out of the help
// open the system's browser.
#pragma once

#include "ui/help_pages.h"

#include <QWidget>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QSplitter;
class QTextBrowser;

namespace tessaline {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // `dossier`: the folder of the pages (dossierAide()).
    explicit HelpWindow(const QString& dossier, QWidget* parent = nullptr);

    // Shows `page` ("console.html") and brings the window up.
    void afficher(const QString& page);
    // The same beside `question`, a modal box that stays up meanwhile: the
    // help does not cover it (on a screen too narrow for both, the question
    // moves aside), and neither blocks the other.
    void afficherACote(const QString& page, QWidget* question);
    // Brings the window up with the focus in the search box.
    void rechercher();

    // The file of the page shown.
    QString pageCourante() const;

private:
    void ouvrir(const QUrl& page);
    void chercher(const QString& texte);
    void pageChargee();
    void surligner();
    void montrer();

    QString dossier_;
    QList<PageAide> pages_;
    QListWidget* sommaire_;
    QLineEdit* recherche_;
    QListWidget* resultats_;
    QTextBrowser* page_;
    QSplitter* separation_;
};

} // namespace tessaline
