#include "ui/wait_window.h"

#include <QVBoxLayout>

namespace tessaline {

WaitWindow::WaitWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint)
    , panneau_(new QLabel(TexteInitial, this)) {
    setObjectName(QStringLiteral("frmAttendre"));
    panneau_->setObjectName(QStringLiteral("spanAttemdre"));
    panneau_->setAlignment(Qt::AlignCenter);
    panneau_->setFrameShape(QFrame::Panel);
    panneau_->setFrameShadow(QFrame::Raised);
    panneau_->setMargin(14);
    QFont f = panneau_->font();
    f.setBold(true);
    panneau_->setFont(f);
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(panneau_);
}

void WaitWindow::montrer(const QString& texte) {
    panneau_->setText(texte);
    adjustSize();
    if (QWidget* p = parentWidget()) move(p->mapToGlobal(p->rect().center()) - rect().center());
    show();
    raise();
}

void WaitWindow::cacher() {
    hide();
    panneau_->setText(TexteInitial);
}

} // namespace tessaline
