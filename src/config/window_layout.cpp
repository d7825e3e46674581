#include "config/window_layout.h"

#include "config/settings_store.h"

namespace tessaline {

const std::array<FenetreSauvee, 6>& fenetresSauvees() {
    using W = WindowLayout;
    static const std::array<FenetreSauvee, 6> fenetres = {{
        {"principale",
         {{{"MainLeft", &W::MainLeft},
           {"MainTop", &W::MainTop},
           {"MainWidth", &W::MainWidth},
           {"MainHeight", &W::MainHeight}}},
         "frmMainWindowState",
         &W::frmMainWindowState},
        {"memoire",
         {{{"frmMemoireLeft", &W::frmMemoireLeft},
           {"frmMemoireTop", &W::frmMemoireTop},
           {"frmMemoireHeight", &W::frmMemoireHeight},
           {nullptr, nullptr}}},
         "frmMemoireWindowState",
         &W::frmMemoireWindowState},
        {"console",
         {{{"frmDocumentLeft", &W::frmDocumentLeft},
           {"frmDocumentTop", &W::frmDocumentTop},
           {nullptr, nullptr},
           {nullptr, nullptr}}},
         "frmDocumenWindowStatet",
         &W::frmDocumenWindowStatet},
        {"fichiers",
         {{{"frmFichiersLeft", &W::frmFichiersLeft},
           {"frmFichiersTop", &W::frmFichiersTop},
           {"frmFichiersWidth", &W::frmFichiersWidth},
           {"frmFichiersHeight", &W::frmFichiersHeight}}},
         "frmFichiersWindowState",
         &W::frmFichiersWindowState},
        {"trace",
         {{{"frmTraceCommandesLeft", &W::frmTraceCommandesLeft},
           {"frmTraceCommandesTop", &W::frmTraceCommandesTop},
           {"frmTraceCommandesWidth", &W::frmTraceCommandesWidth},
           {"frmTraceCommandesHeight", &W::frmTraceCommandesHeight}}},
         "frmTraceCommandesWindowState",
         &W::frmTraceCommandesWindowState},
        {"registres",
         {{{"frmRegistresLeft", &W::frmRegistresLeft},
           {"frmRegistresTop", &W::frmRegistresTop},
           {nullptr, nullptr},
           {nullptr, nullptr}}},
         nullptr,
         nullptr},
    }};
    return fenetres;
}

bool dispositionStockee(const SettingsStore& store) {
    for (const FenetreSauvee& fenetre : fenetresSauvees())
        for (const auto& coordonnee : fenetre.coordonnees)
            if (coordonnee.cle && !store.lire(SectionFenetres, coordonnee.cle).isEmpty()) return true;
    return false;
}

void chargerDisposition(const SettingsStore& store, WindowLayout& disposition) {
    const WindowLayout defauts;
    for (const FenetreSauvee& fenetre : fenetresSauvees()) {
        for (const auto& [cle, valeur] : fenetre.coordonnees) {
            if (cle) disposition.*valeur = store.lireSimple(SectionFenetres, cle, defauts.*valeur);
        }
    }
    for (const FenetreSauvee& fenetre : fenetresSauvees()) {
        if (!fenetre.cleEtat) continue;
        const int etat = store.lireEntier16(SectionFenetres, fenetre.cleEtat, defauts.*fenetre.etat);
        disposition.*fenetre.etat =
            etat >= FenetreNormale && etat <= FenetreMaximisee ? etat : defauts.*fenetre.etat;
    }
}

void sauverDisposition(SettingsStore& store, const WindowLayout& disposition) {
    for (const FenetreSauvee& fenetre : fenetresSauvees()) {
        if (fenetre.etat && disposition.*fenetre.etat == FenetreMinimisee) continue;
        for (const auto& [cle, valeur] : fenetre.coordonnees) {
            if (cle) store.ecrireSimple(SectionFenetres, cle, disposition.*valeur);
        }
    }
    for (const FenetreSauvee& fenetre : fenetresSauvees()) {
        if (fenetre.cleEtat) store.ecrireEntier(SectionFenetres, fenetre.cleEtat, disposition.*fenetre.etat);
    }
}

} // namespace tessaline
