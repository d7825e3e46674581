// The Screen of the command-line front end: memory lines on standard output,
// trace entries and message boxes on standard error, questions answered by a
// flag.
#pragma once

#include "link/screen.h"

#include <QMap>
#include <QString>
#include <QTextStream>

namespace tessaline {

class ConsoleScreen : public Screen {
public:
    ConsoleScreen(QTextStream& sortie, QTextStream& erreurs);

    void append(Zone zone, const QString& text, uint32_t colour, bool bold) override;
    void clear(Zone zone) override;
    QString text(Zone zone) const override;
    void setPanel(const QString& key, const QString& text, int image) override;
    QString panel(const QString& key) const override { return panels_.value(key); }
    void setEnabled(const QString& control, bool enabled) override { enabled_[control] = enabled; }
    void setText(const QString& control, const QString& text) override;
    void setTextColour(const QString&, uint32_t) override {}
    void setValue(const QString&, int) override {}
    void showWait(const QString&) override {}
    void hideWait() override {}
    Reponse message(const QString& text, const QString& title, Icone icon, Boutons buttons) override;
    void beep() override {}
    void setBusy(bool) override {}

    // Questions are answered "Oui" when set, "Non" otherwise.
    void setAnswerYes(bool oui) { oui_ = oui; }
    // Message boxes that reported something (not questions) since the start.
    int reports() const { return reports_; }
    bool isEnabled(const QString& control) const { return enabled_.value(control, false); }
    QString controlText(const QString& control) const { return texts_.value(control); }

private:
    QTextStream& sortie_;
    QTextStream& erreurs_;
    QString echo_;
    QString memoire_;
    QString trace_;
    QMap<QString, QString> panels_;
    QMap<QString, bool> enabled_;
    QMap<QString, QString> texts_;
    bool oui_ = false;
    int reports_ = 0;
};

} // namespace tessaline
