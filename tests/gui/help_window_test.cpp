// The help: the pages shipped in help/, the help window opened from the menu,
// F1 and the questions' Aide button, its search and its links.
#include "gui_fixture.h"
#include "operations/console_command_table.h"
#include "ui/console_window.h"
#include "ui/first_layout.h"
#include "ui/help_pages.h"
#include "ui/help_window.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

const QString SourceAide = QStringLiteral(TESSALINE_HELP);

QString lire(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QStringList fichiersDeLaListe(const QListWidget* liste) {
    QStringList fichiers;
    for (int i = 0; i < liste->count(); ++i)
        fichiers << liste->item(i)->data(Qt::UserRole).toString();
    return fichiers;
}

void declencher(GuiSession& s, const char* action) {
    auto* a = s.fenetre->findChild<QAction*>(QLatin1String(action));
    ASSERT_NE(a, nullptr) << action;
    a->trigger();
}

template <class T>
T* dansAide(GuiSession& s, const char* nom) {
    return s.fenetre->fenetreAide()->findChild<T*>(QLatin1String(nom));
}

// The point of the window where the link to `cible` is drawn.
QPoint positionDuLien(QTextBrowser* page, const QString& cible) {
    for (QTextBlock b = page->document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().anchorHref() == cible) {
                QTextCursor c(page->document());
                c.setPosition(it.fragment().position() + 1);
                return page->cursorRect(c).center();
            }
    return {-1, -1};
}

} // namespace

// Every page of the help folder: the contents page lists each one, each link
// between pages lands on a page that is there, and nothing is fetched from
// outside or run.
TEST(HelpPages, EveryPageIsListedAndEveryLinkResolves) {
    const QDir dossier(SourceAide);
    const QStringList pagesDuDossier = dossier.entryList({QStringLiteral("*.html")}, QDir::Files);
    ASSERT_GT(pagesDuDossier.size(), 10);

    QStringList listees;
    for (const PageAide& p : lirePages(SourceAide)) {
        listees << p.fichier;
        EXPECT_TRUE(dossier.exists(p.fichier)) << p.fichier.toStdString();
        EXPECT_FALSE(p.titre.isEmpty()) << p.fichier.toStdString();
    }
    for (const QString& page : pagesDuDossier)
        EXPECT_TRUE(listees.contains(page)) << page.toStdString() << " is not in the contents";
    // The pages the program opens by name are there.
    for (const char* page :
         {pageAide::Commandes, pageAide::Registres, pageAide::Fichiers, pageAide::CarteSimulee,
          pageAide::Quitter, pageAide::Effacement, pageAide::Debogueur})
        EXPECT_TRUE(dossier.exists(QLatin1String(page))) << page;

    static const QRegularExpression lien(QStringLiteral("(?:href|src)=\"([^\"]*)\""));
    for (const QString& page : pagesDuDossier) {
        const QString texte = lire(dossier.filePath(page));
        EXPECT_TRUE(texte.contains(QLatin1String("<meta charset=\"utf-8\">"))) << page.toStdString();
        EXPECT_FALSE(texte.contains(QLatin1String("<script"), Qt::CaseInsensitive)) << page.toStdString();
        EXPECT_TRUE(texte.contains(QRegularExpression(QStringLiteral("<title>[^<]+</title>"))))
            << page.toStdString();
        int liens = 0;
        for (auto it = lien.globalMatch(texte); it.hasNext(); ++liens) {
            const QString cible = it.next().captured(1);
            EXPECT_FALSE(cible.contains(u':')) << page.toStdString() << " -> " << cible.toStdString();
            const QString fichier = cible.section(u'#', 0, 0);
            EXPECT_TRUE(fichier.isEmpty() || dossier.exists(fichier))
                << page.toStdString() << " -> " << cible.toStdString();
        }
        EXPECT_GT(liens, 1) << page.toStdString() << " links to no other page";
    }
}

// The menu opens one window on the contents page, listing the shipped pages;
// F1 opens the page of the active child window in the same window.
TEST(HelpWindow, OpensFromTheMenuAndFromF1) {
    GuiSession s;
    s.fenetre->demarrer();
    EXPECT_EQ(s.fenetre->fenetreAide(), nullptr);
    declencher(s, "mnuHelpContents");
    HelpWindow* aide = s.fenetre->fenetreAide();
    ASSERT_NE(aide, nullptr);
    EXPECT_TRUE(aide->isVisible());
    EXPECT_EQ(aide->pageCourante(), QLatin1String(PageSommaire));
    QStringList attendues;
    for (const PageAide& p : lirePages(dossierAide(QApplication::applicationDirPath())))
        attendues << p.fichier;
    EXPECT_EQ(fichiersDeLaListe(dansAide<QListWidget>(s, "lstSommaireAide")), attendues);
    EXPECT_GT(attendues.size(), 10);

    ASSERT_NE(s.fenetre->console(), nullptr);
    auto* console = qobject_cast<QMdiSubWindow*>(s.fenetre->console()->parentWidget());
    ASSERT_NE(console, nullptr);
    console->mdiArea()->setActiveSubWindow(console);
    declencher(s, "mnuHelpF1");
    EXPECT_EQ(s.fenetre->fenetreAide(), aide);
    EXPECT_EQ(aide->pageCourante(), "commandes.html");

    declencher(s, "mnuHelpSearch");
    EXPECT_EQ(aide->focusWidget(), dansAide<QLineEdit>(s, "txtRechercheAide"));
}

// A word typed without its accents finds the pages that have it with them, and
// the page opened from the results shows the accented word highlighted.
TEST(HelpWindow, SearchFindsTheAccentedWordAndHighlightsIt) {
    GuiSession s;
    declencher(s, "mnuHelpSearch");
    auto* recherche = dansAide<QLineEdit>(s, "txtRechercheAide");
    auto* resultats = dansAide<QListWidget>(s, "lstResultatsAide");
    QTest::keyClicks(recherche, QStringLiteral("memoire"));
    const QStringList trouvees = fichiersDeLaListe(resultats);
    EXPECT_TRUE(trouvees.contains("messages.html")) << trouvees.join(' ').toStdString();
    EXPECT_FALSE(trouvees.contains("quitter.html"));

    resultats->setCurrentRow(int(trouvees.indexOf("messages.html")));
    QTest::mouseClick(resultats->viewport(), Qt::LeftButton, {},
                      resultats->visualItemRect(resultats->currentItem()).center());
    auto* page = dansAide<QTextBrowser>(s, "txtPageAide");
    EXPECT_EQ(s.fenetre->fenetreAide()->pageCourante(), "messages.html");
    const QList<QTextEdit::ExtraSelection> marques = page->extraSelections();
    ASSERT_FALSE(marques.isEmpty());
    for (const QTextEdit::ExtraSelection& m : marques) {
        EXPECT_EQ(replier(m.cursor.selectedText()), "memoire");
        EXPECT_TRUE(m.cursor.selectedText().contains(QChar(0xe9))) << m.cursor.selectedText().toStdString();
    }
}

// A click on a link of the contents page opens that page, and the contents
// list follows.
TEST(HelpWindow, LinkBetweenPagesOpensThePage) {
    GuiSession s;
    declencher(s, "mnuHelpContents");
    auto* page = dansAide<QTextBrowser>(s, "txtPageAide");
    const QPoint lien = positionDuLien(page, QStringLiteral("effacement.html"));
    ASSERT_GE(lien.y(), 0);
    page->ensureCursorVisible();
    QTest::mouseClick(page->viewport(), Qt::LeftButton, {}, lien);
    EXPECT_EQ(s.fenetre->fenetreAide()->pageCourante(), "effacement.html");
    const auto* sommaire = dansAide<QListWidget>(s, "lstSommaireAide");
    ASSERT_NE(sommaire->currentItem(), nullptr);
    EXPECT_EQ(sommaire->currentItem()->data(Qt::UserRole).toString(), "effacement.html");
}

// The erase question's Aide button opens the erase page beside the question,
// not over it, and leaves the question up. Clicks made through the window
// system (which holds back those a modal box blocks) reach the help while the
// question waits, not the main window; the question still takes its answer,
// and No erases nothing.
TEST(HelpWindow, EraseQuestionOpensItsPageBesideItAndBothTakeTheMouse) {
    GuiSession s;
    s.fenetre->demarrer();
    s.controle<QPushButton>("cmdLOADTALKER")->click();
    s.board.poke(0xFE00, 0x5A);
    auto clic = [](QWidget* w, const QPoint& dans) {
        QWidget* haut = w->window();
        QTest::mouseClick(haut->windowHandle(), Qt::LeftButton, {}, w->mapTo(haut, dans));
    };
    QRect question, aide;
    QString pageOuverte, pageCliquee;
    int commandeApresClic = -1;
    PiloteModal<QMessageBox> pilote([&](QMessageBox* boite) {
        QAbstractButton* bouton = boite->button(QMessageBox::Help);
        ASSERT_NE(bouton, nullptr);
        clic(bouton, bouton->rect().center());
        HelpWindow* f = s.fenetre->fenetreAide();
        ASSERT_NE(f, nullptr);
        ASSERT_TRUE(boite->isVisible());
        question = boite->frameGeometry();
        aide = f->frameGeometry();
        pageOuverte = f->pageCourante();

        // The main window is blocked: a click on Mem DUMP does nothing.
        auto* dump = s.controle<QPushButton>("cmdMEMDUMP");
        clic(dump, dump->rect().center());
        commandeApresClic = s.fenetre->session().console.CmdCourante;

        // The help is not: a click in its contents opens that page.
        auto* sommaire = f->findChild<QListWidget*>("lstSommaireAide");
        QListWidgetItem* element = sommaire->item(0);
        clic(sommaire->viewport(), sommaire->visualItemRect(element).center());
        pageCliquee = element->data(Qt::UserRole).toString();
        EXPECT_EQ(f->pageCourante(), pageCliquee);

        QAbstractButton* non = boite->button(QMessageBox::No);
        clic(non, non->rect().center());
    });
    s.controle<QPushButton>("cmdErasEEPROM")->click();
    EXPECT_TRUE(pilote.vu);
    EXPECT_EQ(pageOuverte, pageDuContexte(contexteAide::EffacementEeprom));
    EXPECT_EQ(pageOuverte, "effacement.html");
    EXPECT_FALSE(aide.intersects(question)) << "the help lies over the question";
    const QRect ecran = s.fenetre->screen()->availableGeometry();
    EXPECT_TRUE(ecran.contains(aide) && ecran.contains(question));
    EXPECT_NE(commandeApresClic, code::MemDump);
    EXPECT_NE(pageCliquee, pageOuverte);
    EXPECT_EQ(s.board.peek(0xFE00), 0x5A) << "No was taken";
}

// Beside the question on the side with more room, within the screen; the
// question moves aside only when the help cannot fit by it.
TEST(HelpWindow, BesideTheQuestionOnEveryScreen) {
    const QSize voulue(1120, 720), minimum(480, 360);
    for (const QRect ecran : {QRect(0, 0, 1024, 768), QRect(0, 0, 1280, 800), QRect(0, 0, 1920, 1080)}) {
        const QRect centree(ecran.center() - QPoint(200, 80), QSize(400, 160));
        const CoteACote c = aCoteDe(centree, voulue, minimum, ecran);
        EXPECT_FALSE(c.aide.intersects(c.question)) << ecran.width();
        EXPECT_TRUE(ecran.contains(c.aide) && ecran.contains(c.question)) << ecran.width();
        EXPECT_GE(c.aide.width(), minimum.width()) << ecran.width();
        if (ecran.width() >= 1920) {
            EXPECT_EQ(c.question, centree) << "room enough beside it";
        }
    }
}
