#include "recording_screen.h"

#include "link/control_names.h"

#include <gtest/gtest.h>

namespace tessaline::test {

void RecordingScreen::append(Zone zone, const QString& text, uint32_t colour, bool bold) {
    runs.push_back({zone, text, colour, bold});
}

void RecordingScreen::clear(Zone zone) {
    runs.erase(std::remove_if(runs.begin(), runs.end(), [zone](const Run& r) { return r.zone == zone; }),
               runs.end());
}

QString RecordingScreen::text(Zone zone) const {
    QString t;
    for (const Run& r : runs)
        if (r.zone == zone) t += r.text;
    return t;
}

QVector<Run> RecordingScreen::runsOf(Zone zone) const {
    QVector<Run> result;
    for (const Run& r : runs)
        if (r.zone == zone) result.push_back(r);
    return result;
}

void RecordingScreen::setPanel(const QString& key, const QString& text, int) {
    panels[key] = text;
}

namespace {

void verifierNom(const QString& control) {
    if (!controle::estConnu(control)) ADD_FAILURE() << "no control named " << control.toStdString();
}

} // namespace

void RecordingScreen::setEnabled(const QString& control, bool enabled) {
    verifierNom(control);
    this->enabled[control] = enabled;
}

void RecordingScreen::setText(const QString& control, const QString& text) {
    verifierNom(control);
    texts[control] = text;
}

void RecordingScreen::setTextColour(const QString& control, uint32_t colour) {
    verifierNom(control);
    colours[control] = colour;
}

void RecordingScreen::setValue(const QString& control, int value) {
    verifierNom(control);
    values[control].push_back(value);
}

void RecordingScreen::runInProgressWindow(const QString& title, const std::function<void()>& operation) {
    progressTitles.push_back(title);
    operation();
}

void RecordingScreen::showWait(const QString& label) {
    waitVisible = true;
    waitLabels.push_back(label);
}

Reponse RecordingScreen::message(const QString& text, const QString& title, Icone icon, Boutons buttons) {
    messages.push_back({text, title, icon, buttons});
    if (!answers.isEmpty()) return answers.dequeue();
    return buttons == Boutons::Ok || buttons == Boutons::OkAnnuler ? Reponse::Ok : Reponse::Oui;
}

QString RecordingScreen::fichierAEnregistrer(const QString&, const QString& filtre) {
    filtresEnregistrer.push_back(filtre);
    return fichiers.isEmpty() ? QString() : fichiers.dequeue();
}

QStringList RecordingScreen::messageTexts() const {
    QStringList l;
    for (const MessageBox& m : messages)
        l << m.text;
    return l;
}

} // namespace tessaline::test
