// frmTraceCommandes, "Trace Commandes": the command log. Every entry opens
// with the time of day under the "Time" heading; the writer's text stands
// under "Actions". Both dimensions follow the user.
#pragma once

#include "ui/area_window.h"

class QLabel;

namespace tessaline {

class TraceWindow : public AreaWindow {
    Q_OBJECT
public:
    explicit TraceWindow(QWidget* parent = nullptr);

    // The width in pixels, frame included, at which a line of `colonnes`
    // characters after the second tab (a disassembly or register line) is
    // shown whole.
    int largeurPourColonnes(int colonnes) const;

protected:
    void disposer(double largeur, double hauteur) override;

private:
    // The text of an entry stands under "Actions"; the lines that report a
    // return start at the next stop, two characters further.
    void placerTabulations();

    QLabel* temps_;
    QLabel* actions_;
};

} // namespace tessaline
