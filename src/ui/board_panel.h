// The simulated board's panel: which chip and crystal it is, and its RESET
// button, as on a real board wired for bootstrap mode.
#pragma once

#include <QWidget>

class QLabel;

namespace tessaline {

class BoardControl;

class BoardPanel : public QWidget {
    Q_OBJECT
public:
    explicit BoardPanel(BoardControl& board, QWidget* parent = nullptr);

    // Shows the board's description again (another chip or crystal).
    void actualiser();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    BoardControl& board_;
    QLabel* description_;
};

} // namespace tessaline
