#include "ui/board_panel.h"

#include "ui/board_control.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaline {

BoardPanel::BoardPanel(BoardControl& board, QWidget* parent)
    : QWidget(parent)
    , board_(board)
    , description_(new QLabel(board.description(), this)) {
    setObjectName(QStringLiteral("frmCarte"));
    setWindowTitle(QStringLiteral("Carte simul\u00e9e"));
    description_->setObjectName(QStringLiteral("lblCarte"));
    auto* mode = new QLabel(QStringLiteral("MODA et MODB en mode BOOTSTRAP"), this);
    auto* reset = new QPushButton(QStringLiteral("RESET"), this);
    reset->setObjectName(QStringLiteral("cmdRESET"));
    reset->setToolTip(
        QStringLiteral("Red\u00e9marre le 68HC11 simul\u00e9 dans son chargeur d'amor\u00e7age"));
    connect(reset, &QPushButton::clicked, this, [&board] { board.reset(); });
    auto* l = new QVBoxLayout(this);
    l->addWidget(description_);
    l->addWidget(mode);
    l->addWidget(reset);
    setFixedSize(sizeHint());
}

void BoardPanel::actualiser() {
    description_->setText(board_.description());
    setFixedSize(sizeHint());
    if (QWidget* cadre = parentWidget()) cadre->adjustSize();
}

void BoardPanel::closeEvent(QCloseEvent* e) {
    // The board stays on the bench as long as the program runs.
    if (!property("quitting").toBool()) e->ignore();
}

} // namespace tessaline
