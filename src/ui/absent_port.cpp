#include "ui/absent_port.h"

#include "config/config_persistence.h"
#include "config/settings_sections.h"
#include "config/settings_store.h"
#include "link/serial_port.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#ifdef Q_OS_WIN
#include <QSerialPortInfo>
#endif

namespace tessaline {

bool premierDemarrage(const SettingsStore& reglages) {
    return reglages.lire(QLatin1String(SectionConfig), QStringLiteral("Port")).isEmpty();
}

QString portAbsent(const Configuration& config) {
    const QString peripherique = cheminPeripherique(config, config.Port);
#ifdef Q_OS_WIN
    for (const QSerialPortInfo& p : QSerialPortInfo::availablePorts())
        if (p.portName().compare(peripherique, Qt::CaseInsensitive) == 0) return {};
    return peripherique.isEmpty() ? config.Port : peripherique;
#else
    // Pseudo-terminals are no listed ports: a name that exists is taken.
    if (!peripherique.isEmpty() && QFileInfo::exists(peripherique)) return {};
    return peripherique.isEmpty() ? config.Port : peripherique;
#endif
}

ChoixDemarrage choisirDemarrage(const SettingsStore& reglages, const QString& dossierProgramme,
                                QWidget* parent) {
    if (!premierDemarrage(reglages)) return ChoixDemarrage::Port;
    const Configuration config = lireConfiguration(reglages, dossierProgramme).configuration;
    const QString absent = portAbsent(config);
    if (absent.isEmpty()) return ChoixDemarrage::Port;
    QMessageBox question(QMessageBox::Question, QStringLiteral("Tessaline"),
                         QStringLiteral("Le port %1 (%2) n'existe pas sur cet ordinateur.\n\n"
                                        "Voulez-vous travailler sur la carte simul\u00e9e, un 68HC11 "
                                        "simul\u00e9 par Tessaline, ou choisir un autre port dans les "
                                        "options ?")
                             .arg(config.Port, absent),
                         QMessageBox::NoButton, parent);
    question.setObjectName(QStringLiteral("msgPortAbsent"));
    QPushButton* carte = question.addButton(QStringLiteral("&Carte simul\u00e9e"), QMessageBox::AcceptRole);
    carte->setObjectName(QStringLiteral("cmdCarteSimulee"));
    QPushButton* port = question.addButton(QStringLiteral("C&hoisir un port"), QMessageBox::RejectRole);
    port->setObjectName(QStringLiteral("cmdChoisirPort"));
    question.setDefaultButton(carte);
    question.setEscapeButton(port);
    question.exec();
    return question.clickedButton() == carte ? ChoixDemarrage::CarteSimulee : ChoixDemarrage::AutrePort;
}

} // namespace tessaline
