#include "ui/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace tessaline {

namespace {
constexpr double ResolutionParDefaut = 96.0;
} // namespace

double resolutionLogique(const QWidget* widget, Sens sens) {
    if (widget) return sens == Sens::Horizontal ? widget->logicalDpiX() : widget->logicalDpiY();
    if (const QScreen* ecran = QGuiApplication::primaryScreen())
        return sens == Sens::Horizontal ? ecran->logicalDotsPerInchX() : ecran->logicalDotsPerInchY();
    return ResolutionParDefaut;
}

int twipsEnPixels(double twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / TwipsParPouce));
}

double pixelsEnTwips(int pixels, double dpi) {
    return pixels * TwipsParPouce / dpi;
}

int twipsEnPixels(double twips, const QWidget* widget, Sens sens) {
    return twipsEnPixels(twips, resolutionLogique(widget, sens));
}

double pixelsEnTwips(int pixels, const QWidget* widget, Sens sens) {
    return pixelsEnTwips(pixels, resolutionLogique(widget, sens));
}

QSize twipsEnPixels(const QSize& twips, const QWidget* widget) {
    return {twipsEnPixels(twips.width(), widget, Sens::Horizontal),
            twipsEnPixels(twips.height(), widget, Sens::Vertical)};
}

QSize pixelsEnTwips(const QSize& pixels, const QWidget* widget) {
    return {static_cast<int>(std::lround(pixelsEnTwips(pixels.width(), widget, Sens::Horizontal))),
            static_cast<int>(std::lround(pixelsEnTwips(pixels.height(), widget, Sens::Vertical)))};
}

} // namespace tessaline
