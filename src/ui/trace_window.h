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

protected:
    void disposer(double largeur, double hauteur) override;

private:
    QLabel* temps_;
    QLabel* actions_;
};

} // namespace tessaline
