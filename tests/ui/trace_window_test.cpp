// frmTraceCommandes: its resize rules (area width = window width - 555, area
// height = window height - 1215, lblActions width = window width - 2160, twips,
// frame included), in a QMdiArea and on its own.
#include "ui/rich_text_area.h"
#include "ui/trace_window.h"
#include "ui/twips.h"
#include "window_test_support.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace tessaline::test {
namespace {

void verifierDisposition(const TraceWindow& f, int largeur, int hauteur) {
    EXPECT_EQ(enTwips(f.area()->geometry()),
              QRect(210, 315, std::max(0, largeur - 555), std::max(0, hauteur - 1215)));
    const QRect actions = enTwips(f.findChild<QLabel*>(QStringLiteral("lblActions"))->geometry());
    EXPECT_EQ(actions.topLeft(), QPoint(1785, 30));
    EXPECT_EQ(actions.width(), std::max(0, largeur - 2160));
}

TEST(TraceWindow, ResizeRules) {
    ASSERT_EQ(QWidget().logicalDpiX(), 96);
    QMdiArea zone;
    zone.resize(1400, 1000);
    auto* dansZone = new TraceWindow;
    zone.addSubWindow(dansZone)->show();
    zone.show();
    TraceWindow seule;
    seule.show();
    struct Cas {
        int largeur, hauteur;
    };
    // The load size, larger, smaller, and smaller than the rules' margins.
    for (TraceWindow* f : {dansZone, &seule})
        for (const Cas& c : {Cas{8970, 4560}, Cas{15000, 9000}, Cas{6000, 3000}, Cas{2100, 1200}}) {
            SCOPED_TRACE(testing::Message()
                         << (f == &seule ? "alone " : "in a subwindow ") << c.largeur << " x " << c.hauteur);
            f->setWindowSizeTwips({c.largeur, c.hauteur});
            pump();
            ASSERT_EQ(f->windowSizeTwips(), QSize(c.largeur, c.hauteur));
            verifierDisposition(*f, c.largeur, c.hauteur);
        }
}

TEST(Twips, NearestPixelAtCommonResolutions) {
    struct Cas {
        double twips, dpi;
        int pixels;
    };
    for (const Cas& c :
         {Cas{8970, 96, 598}, Cas{555, 96, 37}, Cas{8325, 120, 694}, Cas{8325, 144, 833}, Cas{7, 96, 0}})
        EXPECT_EQ(twipsEnPixels(c.twips, c.dpi), c.pixels) << c.twips << " twips at " << c.dpi << " dpi";
    EXPECT_DOUBLE_EQ(pixelsEnTwips(694, 120.0), 8328);
}

} // namespace
} // namespace tessaline::test
