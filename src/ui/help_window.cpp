#include "ui/help_window.h"

#include "ui/first_layout.h"

#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace tessaline {

namespace {

void remplir(QListWidget* liste, const QList<PageAide>& pages) {
    liste->clear();
    for (const PageAide& p : pages) {
        auto* element = new QListWidgetItem(p.titre, liste);
        element->setData(Qt::UserRole, p.fichier);
    }
}

} // namespace

HelpWindow::HelpWindow(const QString& dossier, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , dossier_(dossier)
    , pages_(lirePages(dossier))
    , sommaire_(new QListWidget)
    , recherche_(new QLineEdit)
    , resultats_(new QListWidget)
    , page_(new QTextBrowser)
    , separation_(new QSplitter) {
    setObjectName(QStringLiteral("frmAide"));
    setWindowTitle(QStringLiteral("Aide de Tessaline"));
    sommaire_->setObjectName(QStringLiteral("lstSommaireAide"));
    recherche_->setObjectName(QStringLiteral("txtRechercheAide"));
    recherche_->setPlaceholderText(QStringLiteral("Mots \u00e0 chercher"));
    recherche_->setClearButtonEnabled(true);
    resultats_->setObjectName(QStringLiteral("lstResultatsAide"));
    page_->setObjectName(QStringLiteral("txtPageAide"));
    page_->setSearchPaths({dossier_});
    page_->setOpenLinks(false);

    auto* gauche = new QWidget;
    auto* colonne = new QVBoxLayout(gauche);
    colonne->setContentsMargins(0, 0, 0, 0);
    auto* titreSommaire = new QLabel(QStringLiteral("&Sommaire"));
    titreSommaire->setBuddy(sommaire_);
    auto* titreRecherche = new QLabel(QStringLiteral("&Rechercher"));
    titreRecherche->setBuddy(recherche_);
    colonne->addWidget(titreSommaire);
    colonne->addWidget(sommaire_, 3);
    colonne->addWidget(titreRecherche);
    colonne->addWidget(recherche_);
    colonne->addWidget(resultats_, 2);

    separation_->addWidget(gauche);
    separation_->addWidget(page_);
    separation_->setStretchFactor(1, 1);
    separation_->setSizes({290, 830});
    auto* disposition = new QHBoxLayout(this);
    disposition->addWidget(separation_);
    resize(1120, 720);
    // Small enough to stand beside a question on a 1024-pixel screen.
    setMinimumSize(480, 360);

    // Both lists open the page of an item clicked, or chosen with Enter.
    const auto ouvrirElement = [this](QListWidgetItem* e) { afficher(e->data(Qt::UserRole).toString()); };
    for (QListWidget* liste : {sommaire_, resultats_}) {
        liste->setWordWrap(true);
        liste->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        connect(liste, &QListWidget::itemActivated, this, ouvrirElement);
        connect(liste, &QListWidget::itemClicked, this, ouvrirElement);
    }
    remplir(sommaire_, pages_);
    connect(recherche_, &QLineEdit::textChanged, this, &HelpWindow::chercher);
    connect(recherche_, &QLineEdit::returnPressed, this, [this] {
        if (resultats_->count() > 0) afficher(resultats_->item(0)->data(Qt::UserRole).toString());
    });
    connect(page_, &QTextBrowser::anchorClicked, this, [this](const QUrl& lien) {
        if (!lien.scheme().isEmpty() && lien.scheme() != QLatin1String("file")) {
            QDesktopServices::openUrl(lien);
            return;
        }
        if (lien.path().isEmpty()) {
            page_->scrollToAnchor(lien.fragment());
            return;
        }
        ouvrir(page_->source().resolved(lien));
    });
}

void HelpWindow::afficher(const QString& page) {
    ouvrir(QUrl::fromLocalFile(QDir(dossier_).filePath(page)));
    montrer();
}

void HelpWindow::afficherACote(const QString& page, QWidget* question) {
    const QScreen* ecran = question->screen();
    if (!ecran) {
        afficher(page);
        return;
    }
    ouvrir(QUrl::fromLocalFile(QDir(dossier_).filePath(page)));
    // What the window manager puts around a window: as around the question.
    const QRect cadreQuestion = question->frameGeometry();
    const QRect dedans = question->geometry();
    const QMargins bords(dedans.left() - cadreQuestion.left(), dedans.top() - cadreQuestion.top(),
                         cadreQuestion.right() - dedans.right(), cadreQuestion.bottom() - dedans.bottom());
    const QSize pourtour(bords.left() + bords.right(), bords.top() + bords.bottom());
    const CoteACote c =
        aCoteDe(cadreQuestion, size() + pourtour, minimumSize() + pourtour, ecran->availableGeometry());
    if (c.question != cadreQuestion) question->move(c.question.topLeft());
    setGeometry(c.aide.marginsRemoved(bords));
    // A narrow window leaves the page the larger share.
    if (width() < 900) separation_->setSizes({width() * 2 / 5, width() * 3 / 5});
    montrer();
}

void HelpWindow::ouvrir(const QUrl& page) {
    page_->setSource(page);
    pageChargee();
}

void HelpWindow::rechercher() {
    montrer();
    recherche_->setFocus(Qt::OtherFocusReason);
    recherche_->selectAll();
}

QString HelpWindow::pageCourante() const {
    return QFileInfo(page_->source().toLocalFile()).fileName();
}

void HelpWindow::montrer() {
    if (page_->source().isEmpty()) ouvrir(QUrl::fromLocalFile(QDir(dossier_).filePath(PageSommaire)));
    show();
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
}

void HelpWindow::chercher(const QString& texte) {
    remplir(resultats_, pagesContenant(dossier_, pages_, texte));
    surligner();
}

// The contents list follows the page shown, whichever way it was reached.
void HelpWindow::pageChargee() {
    const QString fichier = pageCourante();
    for (int i = 0; i < sommaire_->count(); ++i)
        if (sommaire_->item(i)->data(Qt::UserRole).toString() == fichier) {
            const QSignalBlocker bloque(sommaire_);
            sommaire_->setCurrentRow(i);
        }
    surligner();
    // A page opened from the search shows its first match.
    const QList<QTextEdit::ExtraSelection> marques = page_->extraSelections();
    if (!marques.isEmpty()) {
        QTextCursor debut = marques.front().cursor;
        debut.clearSelection();
        page_->setTextCursor(debut);
        page_->ensureCursorVisible();
    }
}

// Every place of the page that holds a searched word, on a yellow ground. The
// page's raw text has one character per cursor position; folding keeps that.
void HelpWindow::surligner() {
    QList<QTextEdit::ExtraSelection> marques;
    const QString texte = replier(page_->document()->toRawText());
    for (const QString& mot : motsRecherches(recherche_->text())) {
        for (qsizetype i = texte.indexOf(mot); i >= 0; i = texte.indexOf(mot, i + mot.size())) {
            QTextEdit::ExtraSelection marque;
            marque.cursor = QTextCursor(page_->document());
            marque.cursor.setPosition(int(i));
            marque.cursor.setPosition(int(i + mot.size()), QTextCursor::KeepAnchor);
            marque.format.setBackground(QColor(255, 235, 90));
            marques.append(marque);
        }
    }
    page_->setExtraSelections(marques);
}

} // namespace tessaline
