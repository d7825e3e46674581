#include "ui/board_widgets.h"

#include <QEvent>
#include <QPainter>

namespace tessaline {

namespace {
constexpr int DiametreLed = 12;
constexpr QSize TailleInterrupteur(12, 20);
} // namespace

LedCarte::LedCarte(QWidget* parent)
    : QWidget(parent) {
    setFixedSize(sizeHint());
}

QSize LedCarte::sizeHint() const {
    return {DiametreLed + 2, DiametreLed + 2};
}

void LedCarte::setAllume(bool allume) {
    if (allume == allume_) return;
    allume_ = allume;
    update();
}

void LedCarte::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange) update();
    QWidget::changeEvent(e);
}

void LedCarte::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    if (!isEnabled()) {
        p.setPen(QPen(palette().color(QPalette::Disabled, QPalette::WindowText), 1));
        p.setBrush(Qt::NoBrush);
    } else if (allume_) {
        QRadialGradient g(r.center() - QPointF(2, 2), r.width() * 0.7);
        g.setColorAt(0, QColor(255, 190, 170));
        g.setColorAt(1, QColor(235, 20, 10));
        p.setPen(QPen(QColor(140, 0, 0), 1));
        p.setBrush(g);
    } else {
        p.setPen(QPen(QColor(60, 10, 10), 1));
        p.setBrush(QColor(100, 30, 25));
    }
    p.drawEllipse(r);
}

InterrupteurCarte::InterrupteurCarte(QWidget* parent)
    : QAbstractButton(parent) {
    setCheckable(true);
    setFocusPolicy(Qt::TabFocus);
    setFixedSize(sizeHint());
}

QSize InterrupteurCarte::sizeHint() const {
    return TailleInterrupteur;
}

void InterrupteurCarte::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette::ColorGroup groupe = isEnabled() ? QPalette::Active : QPalette::Disabled;
    // The slot, then the slider at its top (high) or bottom (low).
    const QRectF fente = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(palette().color(groupe, QPalette::Shadow));
    p.setBrush(isEnabled() ? QColor(40, 60, 130) : palette().color(groupe, QPalette::Mid));
    p.drawRoundedRect(fente, 2, 2);
    const qreal h = fente.height() / 2 - 1;
    const QRectF curseur(fente.left() + 2, isChecked() ? fente.top() + 2 : fente.bottom() - 2 - h + 2,
                         fente.width() - 4, h - 2);
    p.setBrush(palette().color(groupe, QPalette::Light));
    p.drawRoundedRect(curseur, 1, 1);
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

} // namespace tessaline
