// Sizes and positions of the windows are kept in twips, 1440 to the inch, so
// that stored layouts keep their meaning whatever the screen: 15 twips a pixel
// at 96 dots per inch. Conversions use the widget's logical resolution, the
// horizontal one for x and widths, the vertical one for y and heights.
#pragma once

#include <QSize>

class QWidget;

namespace tessaline {

inline constexpr double TwipsParPouce = 1440.0;

enum class Sens { Horizontal, Vertical };

// Logical dots per inch of the widget's screen in one direction; without a
// widget, the primary screen's (96 when there is no screen at all).
double resolutionLogique(const QWidget* widget, Sens sens = Sens::Horizontal);

// Pixels for a length in twips at `dpi` dots per inch, to the nearest pixel.
int twipsEnPixels(double twips, double dpi);
// Twips for a length in pixels at `dpi` dots per inch.
double pixelsEnTwips(int pixels, double dpi);

// The same at the widget's logical resolution.
int twipsEnPixels(double twips, const QWidget* widget = nullptr, Sens sens = Sens::Horizontal);
double pixelsEnTwips(int pixels, const QWidget* widget = nullptr, Sens sens = Sens::Horizontal);

// Sizes: widths horizontally, heights vertically. Twips come back rounded to
// the nearest twip.
QSize twipsEnPixels(const QSize& twips, const QWidget* widget);
QSize pixelsEnTwips(const QSize& pixels, const QWidget* widget);

} // namespace tessaline
