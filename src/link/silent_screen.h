// A Screen that shows nothing: for loading a configuration before the windows
// exist, and for the benchmarks. Message boxes go to standard error so that a
// failure is still seen.
#pragma once

#include "link/screen.h"

#include <QMap>

#include <cstdio>

namespace tessaline {

class SilentScreen : public Screen {
public:
    void append(Zone, const QString&, uint32_t, bool) override {}
    void clear(Zone) override {}
    QString text(Zone) const override { return {}; }
    void setPanel(const QString& k, const QString& t, int) override { panels_[k] = t; }
    QString panel(const QString& k) const override { return panels_.value(k); }
    void setEnabled(const QString&, bool) override {}
    void setText(const QString&, const QString&) override {}
    void setTextColour(const QString&, uint32_t) override {}
    void setValue(const QString&, int) override {}
    void showWait(const QString&) override {}
    void hideWait() override {}
    Reponse message(const QString& t, const QString&, Icone, Boutons) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(t));
        return Reponse::Ok;
    }
    void beep() override {}
    void setBusy(bool) override {}

private:
    QMap<QString, QString> panels_;
};

} // namespace tessaline
