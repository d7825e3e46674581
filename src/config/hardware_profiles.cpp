#include "config/hardware_profiles.h"

#include "config/memory_map_settings.h"
#include "config/settings_store.h"

namespace tessaline {

namespace {

inline constexpr auto CleDernierProfil = "HardWareADD";

QString cleNom(int index) {
    return QStringLiteral("HardWare%1").arg(index);
}

QString nomEnregistre(const QString& nom) {
    return nom.trimmed().isEmpty() ? nouveauProfil().nom : nom;
}

} // namespace

ProfilMateriel nouveauProfil() {
    ProfilMateriel profil; // its memory map defaults are a new profile's
    profil.nom = QStringLiteral("68HCxxxxx");
    return profil;
}

void IniComboHard(Session& session) {
    session.profils = profilsIntegres();
}

ProfilsLus lireProfils(const SettingsStore& store) {
    ProfilsLus lus;
    lus.HardWareADD = store.lireEntier16(SectionProfils, CleDernierProfil, 0);
    if (lus.HardWareADD <= 0) {
        lus.profils = profilsIntegres();
        return lus;
    }
    const CarteMemoire defauts = carteDe(nouveauProfil());
    lus.profils.reserve(lus.HardWareADD + 1);
    for (int i = 0; i <= lus.HardWareADD; ++i) {
        ProfilMateriel profil;
        profil.nom = nomEnregistre(store.lire(SectionProfils, cleNom(i)));
        appliquerCarte(lireCarteMemoire(store, profil.nom, defauts), profil);
        lus.profils.append(profil);
    }
    return lus;
}

void ecrireProfils(SettingsStore& store, const QVector<ProfilMateriel>& profils) {
    store.ecrireEntier(SectionProfils, CleDernierProfil, static_cast<int>(profils.size()) - 1);
    for (int i = 0; i < profils.size(); ++i) {
        const QString nom = nomEnregistre(profils[i].nom);
        store.ecrire(SectionProfils, cleNom(i), nom);
        ecrireCarteMemoire(store, nom, carteDe(profils[i]));
    }
}

} // namespace tessaline
