// The hardware profiles: the four chips built in, the ones the user added, and
// how the list is kept in the store (section "ConfigHardWare" for the names,
// one section per profile for its memory map).
#pragma once

#include "config/settings_sections.h"
#include "link/session_state.h"

#include <QString>
#include <QVector>

namespace tessaline {

class SettingsStore;

// Index of the last built-in profile; profiles after it were added by the user.
inline constexpr int DernierProfilIntegre = 3;

// A profile as the options dialog adds it: "68HCxxxxx", RAM 1024 bytes at
// $0000, EEPROM 512 bytes at $FE00.
ProfilMateriel nouveauProfil();

// The profile of that name (matched exactly); null when there is none.
const ProfilMateriel* trouverProfil(const QVector<ProfilMateriel>& profils, const QString& nom);

// The stored list. When HardWareADD is not above 0 it is the four built-in
// profiles; otherwise HardWareADD + 1 profiles, each named by "HardWare<i>"
// with its memory map read from its own section (a value that does not convert
// takes the new-profile default). A profile whose stored name is missing or
// blank is named as a new profile.
QVector<ProfilMateriel> lireProfils(const SettingsStore& store);
// HardWareADD = index of the last profile, the names, and each profile's
// section. A blank name is written as a new profile's name, so that the list
// reads back as it was shown.
void ecrireProfils(SettingsStore& store, const QVector<ProfilMateriel>& profils);

} // namespace tessaline
