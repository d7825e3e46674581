// The simulated board's panel: which chip and crystal it is, and its RESET
// button, as on a real board wired for bootstrap mode.
#pragma once

#include <QWidget>

namespace tessaline {

class BoardControl;

class BoardPanel : public QWidget {
    Q_OBJECT
public:
    explicit BoardPanel(BoardControl& board, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* e) override;
};

} // namespace tessaline
