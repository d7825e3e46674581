// A first start on a computer that lacks the configured serial port (a laptop
// with no COM1, started from the desktop menu): rather than a port error and
// the options dialog, the user is offered the simulated board, or the choice
// of another port.
#pragma once

#include <QString>

class QWidget;

namespace tessaline {

class SettingsStore;
struct Configuration;

enum class ChoixDemarrage {
    Port,         // the configured port: it exists, or this is no first start
    CarteSimulee, // the user chose the simulated board
    AutrePort,    // the user will choose another port in the options dialog
};

// True when the store holds no configuration yet: nothing was ever saved.
bool premierDemarrage(const SettingsStore& reglages);

// The device the configured port stands for, when it names none that this
// computer has (empty when it has it).
QString portAbsent(const Configuration& config);

// On a first start whose configured port is absent, asks which to use (two
// buttons, "Carte simulée" and "Choisir un port"); otherwise asks nothing.
ChoixDemarrage choisirDemarrage(const SettingsStore& reglages, const QString& dossierProgramme,
                                QWidget* parent = nullptr);

} // namespace tessaline
