// frmMemoire, "Plan Mémoire": the hexadecimal dump lines of target memory in
// the area rictbMEMOIRE, under the column heading labADRESSE. Its width is
// fixed; its height follows the user.
#pragma once

#include "ui/area_window.h"

class QLabel;

namespace tessaline {

class MemoryWindow : public AreaWindow {
    Q_OBJECT
public:
    explicit MemoryWindow(QWidget* parent = nullptr);

    QLabel* heading() const { return adresse_; }

protected:
    void disposer(double largeur, double hauteur) override;

private:
    QLabel* adresse_;
};

} // namespace tessaline
