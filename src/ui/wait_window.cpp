#include "ui/wait_window.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace tessaline {

WaitWindow::WaitWindow(QWidget* parent)
    : QWidget(parent)
    , panneau_(new QLabel(TexteInitial, this))
    , annuler_(new QPushButton(QStringLiteral("Annuler"), this)) {
    setObjectName(QStringLiteral("frmAttendre"));
    setAutoFillBackground(true);
    panneau_->setObjectName(QStringLiteral("spanAttemdre"));
    panneau_->setAlignment(Qt::AlignCenter);
    panneau_->setFrameShape(QFrame::Panel);
    panneau_->setFrameShadow(QFrame::Raised);
    panneau_->setMargin(14);
    QFont f = panneau_->font();
    f.setBold(true);
    panneau_->setFont(f);
    annuler_->setObjectName(QStringLiteral("cmdAnnulerAttente"));
    annuler_->hide();
    connect(annuler_, &QPushButton::clicked, this, &WaitWindow::annulee);
    delai_.setObjectName(QStringLiteral("tmrAnnulerAttente"));
    delai_.setSingleShot(true);
    delai_.setInterval(DelaiAnnulationMs);
    connect(&delai_, &QTimer::timeout, this, [this] {
        annuler_->show();
        placer();
    });
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 4);
    l->addWidget(panneau_);
    l->addWidget(annuler_, 0, Qt::AlignHCenter);
    hide();
}

void WaitWindow::placer() {
    adjustSize();
    if (QWidget* p = parentWidget()) move((p->width() - width()) / 2, (p->height() - height()) / 2);
    raise();
}

void WaitWindow::montrer(const QString& texte) {
    panneau_->setText(texte);
    if (!isVisible()) {
        annuler_->hide();
        delai_.start();
    }
    show();
    placer();
}

void WaitWindow::cacher() {
    delai_.stop();
    annuler_->hide();
    hide();
    panneau_->setText(TexteInitial);
}

} // namespace tessaline
