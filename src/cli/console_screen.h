// The Screen of the command-line front end: memory and disassembly lines on
// standard output, trace entries and message boxes on standard error,
// questions answered by a flag. On a terminal, the progress bar of the long
// operations (the Talker's download, EEPROM programming and erasing, the
// uploads) is one line on standard error that rewrites itself.
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
    // A disassembly line goes to standard output, as the memory lines do.
    void appendListing(const QString& ligne) override;
    void clear(Zone zone) override;
    QString text(Zone zone) const override;
    void setPanel(const QString& key, const QString& text, int image) override;
    QString panel(const QString& key) const override { return panels_.value(key); }
    void setEnabled(const QString& control, bool enabled) override { enabled_[control] = enabled; }
    void setText(const QString& control, const QString& text) override;
    void setTextColour(const QString&, uint32_t) override {}
    void showWait(const QString& label) override;
    void hideWait() override { finirProgression(); }
    void runInProgressWindow(const QString& title, const std::function<void()>& operation) override;
    void setValue(const QString& control, int value) override;
    Reponse message(const QString& text, const QString& title, Icone icon, Boutons buttons) override;
    // The file the command line named: no dialog to ask.
    QString fichierAEnregistrer(const QString&, const QString&) override { return fichier_; }
    void beep() override {}
    void setBusy(bool) override {}

    // Questions are answered "Oui" when set, "Non" otherwise.
    void setAnswerYes(bool oui) { oui_ = oui; }
    void setFichierAEnregistrer(const QString& chemin) { fichier_ = chemin; }
    // The progress bar as one line on standard error that rewrites itself (for
    // a terminal): the operation's title and the percentage, erased when the
    // operation ends or anything else is written. Off, the bar shows nothing.
    void setProgressionTerminal(bool actif);
    // Message boxes that reported a fault (not questions, not the plain
    // notices without an icon) since the start.
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
    // Erases the progress line before anything else is written.
    void finirProgression();

    QString fichier_;
    bool progressionTerminal_ = false;
    QString libelle_;      // what the progress line says before the percentage
    int progression_ = -1; // the percentage on the open line; -1: none open
    bool oui_ = false;
    int reports_ = 0;
};

} // namespace tessaline
