#include "ui/fixed_subwindow.h"

#include <QEvent>
#include <QMdiSubWindow>
#include <QTimer>

namespace tessaline {

namespace {

// Undoes a maximised state once the area has finished setting it.
class RefusMaximise : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override {
        if (evenement->type() == QEvent::WindowStateChange) {
            auto* cadre = static_cast<QMdiSubWindow*>(objet);
            if (cadre->isMaximized())
                QTimer::singleShot(0, cadre, [cadre] {
                    if (cadre->isMaximized()) cadre->showNormal();
                });
        }
        return false;
    }
};

} // namespace

void garderTailleFixe(QMdiSubWindow* cadre, const QSize& taille) {
    const bool visible = cadre->isVisible();
    cadre->setWindowFlags((cadre->windowFlags() | Qt::CustomizeWindowHint) & ~Qt::WindowMaximizeButtonHint);
    cadre->setFixedSize(taille);
    // New flags hide a widget.
    if (visible) cadre->show();
    cadre->installEventFilter(new RefusMaximise(cadre));
}

} // namespace tessaline
