// Where the windows stood when the program last closed: positions and sizes in
// twips (15 to a pixel at 96 dpi, so that stored layouts keep their meaning) and
// the window states. ChargerConfig fills it from the "Settings" section and
// SauverConfig writes it back; the windows apply it and update it.
#pragma once

#include "config/settings_sections.h"

#include <QString>

#include <array>

namespace tessaline {

class SettingsStore;

enum EtatFenetre : int { FenetreNormale = 0, FenetreMinimisee = 1, FenetreMaximisee = 2 };

// Member names are the store's key names. Defaults are those of a first run.
struct WindowLayout {
    float MainLeft = 0;
    float MainTop = 0;
    float MainWidth = 11775;
    float MainHeight = 7485;
    float frmDocumentLeft = 0; // the console
    float frmDocumentTop = 0;
    float frmFichiersLeft = 0;
    float frmFichiersTop = 0;
    float frmFichiersWidth = 8655;
    float frmFichiersHeight = 6420;
    float frmMemoireLeft = 0;
    float frmMemoireTop = 4425;
    float frmMemoireHeight = 3125;
    float frmTraceCommandesLeft = 0;
    float frmTraceCommandesTop = 4425;
    float frmTraceCommandesWidth = 8970;
    float frmTraceCommandesHeight = 4560;
    float frmRegistresLeft = 9480;
    float frmRegistresTop = 0;

    int frmMainWindowState = FenetreNormale;
    int frmMemoireWindowState = FenetreNormale;
    int frmDocumenWindowStatet = FenetreNormale; // the console: the stored key is spelled so
    int frmFichiersWindowState = FenetreNormale;
    int frmTraceCommandesWindowState = FenetreNormale;

    bool operator==(const WindowLayout&) const = default;
};

// One window whose place is kept: its coordinate keys and, except for the
// registers window, its state key.
struct FenetreSauvee {
    struct Coordonnee {
        const char* cle;
        float WindowLayout::*valeur;
    };
    const char* nom;
    std::array<Coordonnee, 4> coordonnees; // the unused ones have a null key
    const char* cleEtat;                   // null: never minimised
    int WindowLayout::*etat;
};

// Main, memory, console, files, trace, registers: the order in which they are
// saved; the states are read in this order too.
const std::array<FenetreSauvee, 6>& fenetresSauvees();

// Whether the store holds a window layout at all (one coordinate key or more).
bool dispositionStockee(const SettingsStore& store);

// Every key of the section, or its default when absent or not a number; the
// coordinates first, then the states. A state other than 0, 1 or 2 counts as 0.
void chargerDisposition(const SettingsStore& store, WindowLayout& disposition);
// The coordinates of every window that is not minimised (the store keeps the
// ones saved before for the others), then the states.
void sauverDisposition(SettingsStore& store, const WindowLayout& disposition);

} // namespace tessaline
