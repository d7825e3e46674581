// The windows' layout on the screen this program runs on: CTest runs it on
// the offscreen platform sized 1024×768, 1280×800 and 1920×1080. The first
// start, Fenêtre > Disposition par défaut, the two tilings, the cascade and a
// layout stored on a larger screen all leave every window reachable, and the
// area scrolls to a window that lies outside it.
#include "gui_fixture.h"
#include "ui/trace_window.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

QMdiArea* zoneDe(MainWindow& f) {
    return f.findChild<QMdiArea*>(QStringLiteral("mdiArea"));
}

std::string nom(const QWidget* w) {
    return w->objectName().toStdString();
}

// The board's panel may stand over the trace's corner (a screen too narrow
// for it in the top row); no other window may cover another.
bool recouvrementPermis(const QMdiSubWindow* a, const QMdiSubWindow* b) {
    const auto estPanneau = [](const QMdiSubWindow* w) { return w->widget()->objectName() == "frmCarte"; };
    const auto estTrace = [](const QMdiSubWindow* w) {
        return w->widget()->objectName() == "frmTraceCommandes";
    };
    return (estPanneau(a) && estTrace(b)) || (estPanneau(b) && estTrace(a));
}

// The main window's frame on the screen, every child window inside the area,
// none over another.
void toutEnVue(MainWindow& f, const std::string& cas) {
    const QRect ecran = f.screen()->availableGeometry();
    EXPECT_TRUE(ecran.contains(f.frameGeometry())) << cas;
    QMdiArea* mdi = zoneDe(f);
    const QRect zone = mdi->viewport()->rect();
    const QList<QMdiSubWindow*> fenetres = mdi->subWindowList();
    ASSERT_EQ(fenetres.size(), 6) << cas;
    for (qsizetype i = 0; i < fenetres.size(); ++i) {
        EXPECT_TRUE(zone.contains(fenetres[i]->geometry())) << cas << ": " << nom(fenetres[i]) << " outside";
        for (qsizetype j = i + 1; j < fenetres.size(); ++j)
            if (!recouvrementPermis(fenetres[i], fenetres[j])) {
                EXPECT_FALSE(fenetres[i]->geometry().intersects(fenetres[j]->geometry()))
                    << cas << ": " << nom(fenetres[i]) << " over " << nom(fenetres[j]);
            }
    }
    EXPECT_FALSE(mdi->horizontalScrollBar()->isVisible()) << cas;
    EXPECT_FALSE(mdi->verticalScrollBar()->isVisible()) << cas;
}

class Disposition : public ::testing::Test {
protected:
    void SetUp() override {
        s.fenetre->demarrer();
        QApplication::processEvents();
    }
    void menu(const char* action) {
        s.controle<QAction>(action)->trigger();
        QApplication::processEvents();
    }
    std::string ecran() const {
        const QSize t = QGuiApplication::primaryScreen()->size();
        return std::to_string(t.width()) + "x" + std::to_string(t.height());
    }
    CarteEssai carte;
    GuiSession s{QStringLiteral("[Config]\nTimeout=20\n"), 8'000'000, &carte};
};

} // namespace

TEST_F(Disposition, FirstStartAndDefaultLayoutKeepEveryWindowInside) {
    toutEnVue(*s.fenetre, ecran() + " first start");

    // Windows sent past the area's edges: the area scrolls to them.
    QMdiArea* mdi = zoneDe(*s.fenetre);
    for (QMdiSubWindow* f : mdi->subWindowList())
        f->move(f->x() + 2000, f->y() + 1500);
    QApplication::processEvents();
    EXPECT_TRUE(mdi->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(mdi->verticalScrollBar()->isVisible());
    EXPECT_GT(mdi->horizontalScrollBar()->maximum(), 1500);

    menu("mnuWindowDefaultLayout");
    toutEnVue(*s.fenetre, ecran() + " Disposition par d\u00e9faut");
}

// Mosaïque: no window over another, none above or left of the area; the
// cascade: each window a step from the one before, every title bar in sight.
TEST_F(Disposition, TilesNeverOverlapAndTheCascadeShowsEveryTitleBar) {
    QMdiArea* mdi = zoneDe(*s.fenetre);
    for (const char* action : {"mnuWindowTileHorizontal", "mnuWindowTileVertical"}) {
        menu(action);
        const QList<QMdiSubWindow*> fenetres = mdi->subWindowList();
        for (qsizetype i = 0; i < fenetres.size(); ++i) {
            const QRect g = fenetres[i]->geometry();
            EXPECT_TRUE(g.left() >= 0 && g.top() >= 0) << action << " " << nom(fenetres[i]);
            for (qsizetype j = i + 1; j < fenetres.size(); ++j)
                EXPECT_FALSE(g.intersects(fenetres[j]->geometry()))
                    << ecran() << " " << action << ": " << nom(fenetres[i]) << " over " << nom(fenetres[j]);
        }
        // The resizable windows share the area's width, and its height when
        // their least heights fit in it.
        const QWidget* trace = s.fenetre->trace()->parentWidget();
        EXPECT_FALSE(mdi->horizontalScrollBar()->isVisible()) << ecran() << " " << action;
        if (QString(action).endsWith("Horizontal")) {
            EXPECT_EQ(trace->width(), mdi->viewport()->width()) << action;
        } else if (!mdi->verticalScrollBar()->isVisible()) {
            EXPECT_EQ(trace->geometry().bottom(), mdi->viewport()->height() - 1) << action;
        }
    }

    menu("mnuWindowCascade");
    const QList<QMdiSubWindow*> fenetres = mdi->subWindowList(QMdiArea::StackingOrder);
    const int titre = fenetres[0]->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, fenetres[0]);
    for (qsizetype i = 0; i < fenetres.size(); ++i) {
        const QRect g = fenetres[i]->geometry();
        const QRect barre(g.topLeft(), QSize(g.width(), titre));
        for (qsizetype j = i + 1; j < fenetres.size(); ++j) {
            EXPECT_FALSE(fenetres[j]->geometry().intersects(barre))
                << ecran() << ": the title bar of " << nom(fenetres[i]) << " is under " << nom(fenetres[j]);
            EXPECT_NE(fenetres[j]->pos(), g.topLeft());
        }
    }
    EXPECT_EQ(mdi->activeSubWindow(), fenetres.last());
}

// A layout saved on a 1920×1080 screen, restarted on this one: the main window
// on the screen, the child windows in the area, none cut off.
TEST(DispositionStockee, ALayoutFromALargerScreenComesInside) {
    const QString grandEcran = QStringLiteral(
        "[Config]\nTimeout=20\n[Settings]\nMainLeft=300\nMainTop=300\nMainWidth=28200\nMainHeight=15300\n"
        "frmDocumentLeft=0\nfrmDocumentTop=0\nfrmRegistresLeft=9600\nfrmRegistresTop=0\n"
        "frmFichiersLeft=15000\nfrmFichiersTop=0\nfrmFichiersWidth=13000\nfrmFichiersHeight=5500\n"
        "frmMemoireLeft=0\nfrmMemoireTop=5500\nfrmMemoireHeight=9000\n"
        "frmTraceCommandesLeft=8700\nfrmTraceCommandesTop=5500\nfrmTraceCommandesWidth=19000\n"
        "frmTraceCommandesHeight=9000\n");
    CarteEssai carte;
    GuiSession s(grandEcran, 8'000'000, &carte);
    s.fenetre->demarrer();
    QApplication::processEvents();
    const QRect ecran = s.fenetre->screen()->availableGeometry();
    EXPECT_TRUE(ecran.contains(s.fenetre->frameGeometry()));
    const QRect zone = zoneDe(*s.fenetre)->viewport()->rect();
    for (const QMdiSubWindow* f : zoneDe(*s.fenetre)->subWindowList()) {
        const QRect g = f->geometry();
        EXPECT_TRUE(g.left() >= 0 && g.top() >= 0 && g.left() < zone.width() && g.top() < zone.height())
            << nom(f) << " lies out of the area";
        // A resizable window is never larger than the area.
        if (f->minimumWidth() != f->maximumWidth()) {
            EXPECT_LE(g.width(), zone.width()) << nom(f);
        }
        EXPECT_LE(g.height(), std::max(zone.height(), f->minimumHeight())) << nom(f);
    }
}
