#include "ui/info_dialog.h"

#include "link/session.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace tessaline {

InfoDialog::InfoDialog(Session& session, const QString& titre, std::function<void()> operation,
                       QWidget* parent)
    : QDialog(parent)
    , session_(session)
    , operation_(std::move(operation))
    , span_(new QLabel(titre, this))
    , message_(new QLabel(this))
    , progression_(new QProgressBar(this))
    , annuler_(new QPushButton(QStringLiteral("Annuler"), this)) {
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Tessaline INFO"));
    setModal(true);
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    span_->setObjectName(QStringLiteral("spanInfo"));
    span_->setFrameShape(QFrame::Panel);
    span_->setFrameShadow(QFrame::Sunken);
    span_->setAlignment(Qt::AlignCenter);
    QFont gras = span_->font();
    gras.setBold(true);
    span_->setFont(gras);
    message_->setObjectName(QStringLiteral("lblInfo"));
    message_->setAlignment(Qt::AlignCenter);
    message_->setMinimumHeight(48);
    progression_->setObjectName(QStringLiteral("prgBarEtat"));
    progression_->setRange(0, 100);
    progression_->setValue(0);
    annuler_->setObjectName(QStringLiteral("cmdAnnuler"));
    connect(annuler_, &QPushButton::clicked, this, [this] {
        // The click shows at once; the operation ends at its next look at the flag.
        session_.demanderAnnulation();
        annuler_->setEnabled(false);
        message_->setText(QStringLiteral("Annulation..."));
    });

    auto* l = new QVBoxLayout(this);
    l->addWidget(span_);
    l->addWidget(message_);
    l->addWidget(progression_);
    l->addWidget(annuler_, 0, Qt::AlignHCenter);
    setMinimumWidth(380);
}

InfoDialog::~InfoDialog() {
    // Unloading: the window's texts and the cancel flag are cleared.
    session_.liaison.annulation = false;
}

void InfoDialog::executer() {
    exec();
}

void InfoDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (lancee_) return;
    lancee_ = true;
    // The operation starts once the window is on screen, and its events run
    // inside the window's modal loop.
    QTimer::singleShot(0, this, [this] {
        if (operation_) operation_();
        terminee_ = true;
        span_->clear();
        message_->clear();
        progression_->setValue(0);
        accept();
    });
}

void InfoDialog::reject() {
    if (terminee_) QDialog::reject();
}

void InfoDialog::closeEvent(QCloseEvent* e) {
    // Only Cancel or the end of the operation close the window.
    if (!terminee_) e->ignore();
}

} // namespace tessaline
