#include "config/memory_map_settings.h"

#include "config/settings_store.h"

namespace tessaline {

namespace {

inline constexpr double TailleMaximale = DerniereAdresse + 1;

struct Bloc {
    double taille;
    double depart;
};

Bloc lireBloc(const SettingsStore& store, const QString& section, const char* cleTaille,
              const char* cleDepart, Bloc defaut) {
    const Bloc lu{store.lireDouble(section, cleTaille, defaut.taille, 1, TailleMaximale),
                  store.lireDouble(section, cleDepart, defaut.depart, 0, DerniereAdresse)};
    return lu.depart + lu.taille - 1 <= DerniereAdresse ? lu : defaut;
}

} // namespace

CarteMemoire lireCarteMemoire(const SettingsStore& store, const QString& section,
                              const CarteMemoire& defauts) {
    const Bloc ram =
        lireBloc(store, section, "TailleRam", "DepartRam", {defauts.TailleRam, defauts.DepartRam});
    // Read under this spelling, written under TailleEeprom: the store's
    // look-up ignores case, so both find the value.
    const Bloc eeprom = lireBloc(store, section, "TailleEEprom", "DepartEEprom",
                                 {defauts.TailleEeprom, defauts.DepartEEprom});
    return {ram.taille, eeprom.taille, ram.depart, eeprom.depart};
}

void ecrireCarteMemoire(SettingsStore& store, const QString& section, const CarteMemoire& carte) {
    store.ecrireDouble(section, "TailleRam", carte.TailleRam);
    store.ecrireDouble(section, "TailleEeprom", carte.TailleEeprom);
    store.ecrireDouble(section, "DepartRam", carte.DepartRam);
    store.ecrireDouble(section, "DepartEEprom", carte.DepartEEprom);
}

} // namespace tessaline
