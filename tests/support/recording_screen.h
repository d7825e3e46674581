// A Screen that records everything the operations show, and answers message
// boxes from a script, so that tests can assert "cmdSTOP is enabled" or "the
// trace ends with this run".
#pragma once

#include "link/screen.h"

#include <QMap>
#include <QQueue>
#include <QString>
#include <QVector>

namespace tessaline::test {

struct Run {
    Zone zone;
    QString text;
    uint32_t colour;
    bool bold;
};

struct MessageBox {
    QString text;
    QString title;
    Icone icon;
    Boutons buttons;
};

class RecordingScreen : public Screen {
public:
    void append(Zone zone, const QString& text, uint32_t colour, bool bold = false) override;
    void clear(Zone zone) override;
    QString text(Zone zone) const override;
    void setPanel(const QString& key, const QString& text, int image) override;
    QString panel(const QString& key) const override { return panels.value(key); }
    // A control name that control_names.h does not hold fails the test.
    void setEnabled(const QString& control, bool enabled) override;
    void setText(const QString& control, const QString& text) override;
    void setTextColour(const QString& control, uint32_t colour) override;
    void setValue(const QString& control, int value) override;
    void showWait(const QString& label) override;
    void hideWait() override { waitVisible = false; }
    void runInProgressWindow(const QString& title, const std::function<void()>& operation) override;
    Reponse message(const QString& text, const QString& title, Icone icon, Boutons buttons) override;
    QString fichierAEnregistrer(const QString& titre, const QString& filtre) override;
    void beep() override { ++beeps; }
    void setBusy(bool) override {}

    // Runs appended to one area since it was last cleared.
    QVector<Run> runsOf(Zone zone) const;
    bool isEnabled(const QString& control) const { return enabled.value(control, false); }
    QStringList messageTexts() const;

    QVector<Run> runs;
    QMap<QString, QString> panels;
    QMap<QString, bool> enabled;
    QMap<QString, QString> texts;
    QMap<QString, uint32_t> colours;
    QMap<QString, QVector<int>> values; // every value each control took, in order
    QVector<MessageBox> messages;
    // Answers given to the next message boxes; when empty: Ok, or Oui for questions.
    QQueue<Reponse> answers;
    // Names the save dialog returns, in turn; when empty: cancelled.
    QQueue<QString> fichiers;
    QStringList filtresEnregistrer; // the filter of each save dialog shown
    int beeps = 0;
    bool waitVisible = false;
    QStringList waitLabels;
    QStringList progressTitles; // each time the progress window was opened
};

} // namespace tessaline::test
