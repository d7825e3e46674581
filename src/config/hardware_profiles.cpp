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

const ProfilMateriel* trouverProfil(const QVector<ProfilMateriel>& profils, const QString& nom) {
    for (const ProfilMateriel& profil : profils) {
        if (profil.nom == nom) return &profil;
    }
    return nullptr;
}

QVector<ProfilMateriel> lireProfils(const SettingsStore& store) {
    const int dernier = store.lireEntier16(SectionProfils, CleDernierProfil, 0);
    if (dernier <= 0) return profilsIntegres();
    const ProfilMateriel defauts = nouveauProfil();
    QVector<ProfilMateriel> profils;
    profils.reserve(dernier + 1);
    for (int i = 0; i <= dernier; ++i) {
        ProfilMateriel profil;
        profil.nom = nomEnregistre(store.lire(SectionProfils, cleNom(i)));
        profil.carte() = lireCarteMemoire(store, profil.nom, defauts);
        profils.append(profil);
    }
    return profils;
}

void ecrireProfils(SettingsStore& store, const QVector<ProfilMateriel>& profils) {
    store.ecrireEntier(SectionProfils, CleDernierProfil, static_cast<int>(profils.size()) - 1);
    for (int i = 0; i < profils.size(); ++i) {
        const QString nom = nomEnregistre(profils[i].nom);
        store.ecrire(SectionProfils, cleNom(i), nom);
        ecrireCarteMemoire(store, nom, profils[i]);
    }
}

} // namespace tessaline
