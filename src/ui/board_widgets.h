// The parts of the simulated board's front panel: a LED on an output pin and a
// slide switch on an input pin, both drawn small so that a port's eight pins
// line up in a row.
#pragma once

#include <QAbstractButton>
#include <QWidget>

namespace tessaline {

// Lit while its pin is high. A LED on a pin that is an input now is drawn
// hollow (disabled): the pin is then driven by its switch, not the program.
class LedCarte : public QWidget {
    Q_OBJECT
public:
    explicit LedCarte(QWidget* parent = nullptr);
    bool allume() const { return allume_; }
    // Repaints only when the state changes.
    void setAllume(bool allume);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void changeEvent(QEvent* e) override;

private:
    bool allume_ = false;
};

// A two-state switch: up (checked) holds its pin high, down holds it low.
class InterrupteurCarte : public QAbstractButton {
    Q_OBJECT
public:
    explicit InterrupteurCarte(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
};

} // namespace tessaline
