// What the memory and trace windows share, inside a QMdiArea as the main window
// holds them: the load size, the close box refused until the program quits,
// and a layout that minimising leaves alone.
#include "link/screen.h"
#include "ui/memory_window.h"
#include "ui/rich_text_area.h"
#include "ui/trace_window.h"
#include "window_test_support.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QResizeEvent>

namespace tessaline::test {
namespace {

template <typename Fenetre>
class AreaWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QWidget().logicalDpiX(), 96);
        zone_.resize(1400, 1000);
        fenetre_ = new Fenetre;
        cadre_ = zone_.addSubWindow(fenetre_);
        cadre_->setAttribute(Qt::WA_DeleteOnClose, false);
        zone_.show();
        cadre_->show();
        pump();
    }

    QMdiArea zone_;
    QPointer<Fenetre> fenetre_;
    QPointer<QMdiSubWindow> cadre_;
};

using Fenetres = ::testing::Types<MemoryWindow, TraceWindow>;
TYPED_TEST_SUITE(AreaWindowTest, Fenetres);

TYPED_TEST(AreaWindowTest, ANewSubwindowTakesTheLoadSizeFrameIncluded) {
    const QSize charge = this->fenetre_->loadSizeTwips();
    EXPECT_EQ(this->cadre_->size(), QSize(px(charge.width()), px(charge.height())));
    EXPECT_EQ(this->fenetre_->windowSizeTwips(), charge);
    EXPECT_TRUE(this->fenetre_->area()->toPlainText().isEmpty());
}

TYPED_TEST(AreaWindowTest, CloseIsRefusedUntilTheProgramQuits) {
    this->fenetre_->area()->appendRun(QStringLiteral("kept\r\n"), couleur::Rouge);
    // The close box, then the control menu's last item, Close.
    EXPECT_FALSE(this->cadre_->close());
    this->cadre_->systemMenu()->actions().last()->trigger();
    pump();
    ASSERT_TRUE(this->cadre_);
    EXPECT_TRUE(this->cadre_->isVisible() && this->fenetre_->isVisible());
    EXPECT_EQ(this->fenetre_->area()->toPlainText(), QStringLiteral("kept\n"));

    // On its own, the window refuses too.
    TypeParam seule;
    seule.show();
    EXPECT_FALSE(seule.close());
    EXPECT_TRUE(seule.isVisible());

    this->fenetre_->setQuitting(true);
    EXPECT_TRUE(this->cadre_->close());
    EXPECT_FALSE(this->cadre_->isVisible());
}

TYPED_TEST(AreaWindowTest, MinimisingLeavesTheLayoutAlone) {
    auto places = [this] {
        QList<QRect> g;
        for (QWidget* w : this->fenetre_->template findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            g << w->geometry();
        return g;
    };
    const QList<QRect> avant = places();
    const QSize normale = this->cadre_->size();
    this->cadre_->showMinimized();
    pump();
    const QSize minimisee = this->cadre_->size();
    ASSERT_LT(minimisee.height(), normale.height());

    // A resize that reaches the window while its frame is minimised is not
    // followed: the frame keeps its minimised size, the children their places.
    const QSize ancienne = this->fenetre_->size();
    this->fenetre_->resize(ancienne / 2);
    QResizeEvent e(this->fenetre_->size(), ancienne);
    QApplication::sendEvent(this->fenetre_, &e);
    pump();
    EXPECT_EQ(this->cadre_->size(), minimisee);
    EXPECT_EQ(places(), avant);

    this->cadre_->showNormal();
    pump();
    EXPECT_EQ(this->cadre_->size(), normale);
    EXPECT_EQ(places(), avant);
}

} // namespace
} // namespace tessaline::test
