#include "ui/area_window.h"

#include "ui/rich_text_area.h"
#include "ui/twips.h"

#include <QCloseEvent>
#include <QLayout>
#include <QMdiSubWindow>

#include <algorithm>

namespace tessaline {

AreaWindow::AreaWindow(const QString& nom, const QString& legende, const QSize& chargementTwips,
                       QWidget* parent)
    : QWidget(parent)
    , area_(new RichTextArea(this))
    , chargement_(chargementTwips) {
    setObjectName(nom);
    setWindowTitle(legende);
    area_->clear();
    resize(sizeHint());
}

QWidget* AreaWindow::cadre() const {
    auto* sous = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (sous && sous->widget() == this) return sous;
    return const_cast<AreaWindow*>(this);
}

QSize AreaWindow::bordure() const {
    const QWidget* c = cadre();
    if (c != this) {
        // A subwindow keeps its title bar and borders as its contents margins,
        // which are known before it has been given a size.
        QMargins m = c->contentsMargins();
        if (c->layout()) m += c->layout()->contentsMargins();
        return {m.left() + m.right(), m.top() + m.bottom()};
    }
    if (isWindow()) return frameGeometry().size() - size();
    return {0, 0};
}

QSize AreaWindow::windowSizeTwips() const {
    return pixelsEnTwips(size() + bordure(), this);
}

void AreaWindow::setWindowSizeTwips(const QSize& twips) {
    const QSize pixels = twipsEnPixels(twips, this);
    QWidget* c = cadre();
    if (c != this)
        c->resize(pixels);
    else
        resize(pixels - bordure());
}

QSize AreaWindow::sizeHint() const {
    return twipsEnPixels(chargement_, this) - bordure();
}

void AreaWindow::placer(QWidget* enfant, double gauche, double haut, double largeur, double hauteur) {
    enfant->setGeometry(twipsEnPixels(gauche, this, Sens::Horizontal),
                        twipsEnPixels(haut, this, Sens::Vertical),
                        std::max(0, twipsEnPixels(largeur, this, Sens::Horizontal)),
                        std::max(0, twipsEnPixels(hauteur, this, Sens::Vertical)));
}

void AreaWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (cadre()->isMinimized()) return;
    const QSize fenetre = size() + bordure();
    disposer(pixelsEnTwips(fenetre.width(), this, Sens::Horizontal),
             pixelsEnTwips(fenetre.height(), this, Sens::Vertical));
}

void AreaWindow::closeEvent(QCloseEvent* event) {
    // Closing from the title bar or the control menu leaves the window open;
    // it goes only with the program. A QMdiSubWindow asks its widget first, so
    // this holds for the subwindow's close box too.
    if (quitting_)
        event->accept();
    else
        event->ignore();
}

} // namespace tessaline
