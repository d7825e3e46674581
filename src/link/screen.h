// The Screen seam: everything the operations show or ask. The windows implement
// it, so does the command-line front end, and a recording double in the tests.
// Controls and panels are named by their objectName ("cmdMEMDUMP", "txtADRESSE",
// "prgBarEtat"; panels "Port", "Com", "Talker", "Cible").
#pragma once

#include <QString>

#include <cstdint>
#include <functional>

namespace tessaline {

// Colours are kept as the Windows values 0x00BBGGRR that stored layouts and
// the program's texts use; rgbFromWindows() turns one into 0xRRGGBB.
namespace couleur {
inline constexpr uint32_t Noir = 0;
inline constexpr uint32_t Rouge = 255;        // commands, time stamps, dump addresses
inline constexpr uint32_t Vert = 32768;       // lengths, the assembler's report
inline constexpr uint32_t Bleu = 16711680;    // target answers
inline constexpr uint32_t Magenta = 16711935; // register values in the trace
} // namespace couleur

inline constexpr uint32_t rgbFromWindows(uint32_t bbggrr) {
    return (bbggrr & 0xFF) << 16 | (bbggrr & 0xFF00) | (bbggrr >> 16 & 0xFF);
}

// The name of one control of a control array: "lblCCR(3)".
inline QString nomIndexe(const QString& tableau, int index) {
    return tableau + u'(' + QString::number(index) + u')';
}

// The three rich-text areas that operations append to.
enum class Zone { Trace, Memoire, Echo };

enum class Icone { Aucune, Question, Critique, Exclamation, Information };
enum class Boutons { Ok, OuiNon, OuiNonAnnuler, OkAnnuler };
enum class Reponse { Ok, Oui, Non, Annuler };

// Help contexts of the questions that have a help page: the windows' message box
// shows an Aide button that opens it.
namespace contexteAide {
inline constexpr int QuestionFin = 1000;
inline constexpr int EffacementEeprom = 1100;
} // namespace contexteAide

// Images of the status-bar panels (the main window's image list).
namespace image {
inline constexpr int ComFermee = 1;
inline constexpr int ComOuverte = 2;
inline constexpr int TalkerAbsent = 3;
inline constexpr int TalkerCharge = 4;
inline constexpr int CibleArretee = 5;
inline constexpr int CibleTourne = 6;
} // namespace image

class Screen {
public:
    virtual ~Screen() = default;

    // Appends one run at the very end of the area, whatever the user selected.
    virtual void append(Zone zone, const QString& text, uint32_t colour, bool bold = false) = 0;
    // One line of the console's disassembly listing ("E000  LDAA #$12"): the
    // trace shows it after the target's arrow; a screen without windows may
    // put it where it puts the memory lines.
    virtual void appendListing(const QString& ligne) {
        append(Zone::Trace, QStringLiteral("\t\t  <==  ") + ligne + QStringLiteral("\r\n"), couleur::Bleu);
    }
    virtual void clear(Zone zone) = 0;
    virtual QString text(Zone zone) const = 0;

    virtual void setPanel(const QString& key, const QString& text, int image) = 0;
    virtual QString panel(const QString& key) const = 0;

    virtual void setEnabled(const QString& control, bool enabled) = 0;
    virtual void setText(const QString& control, const QString& text) = 0;
    // Colour of a control's text (Windows value): the CCR bit labels, the
    // register boxes.
    virtual void setTextColour(const QString& control, uint32_t colour) = 0;
    // Numeric value of a control: the progress bar prgBarEtat, an up-down, a
    // check box (0 cleared, 1 ticked).
    virtual void setValue(const QString& control, int value) = 0;

    // The wait window frmAttendre, shown without blocking.
    virtual void showWait(const QString& label) = 0;
    virtual void hideWait() = 0;

    // The progress window frmInfo, modal, with `title` in its title panel:
    // `operation` runs inside it (driving prgBarEtat, spanInfo and lblInfo) and
    // the window closes when it returns. Its Cancel button sets the session's
    // cancel flag. A screen without windows simply runs the operation.
    virtual void runInProgressWindow(const QString& title, const std::function<void()>& operation) {
        Q_UNUSED(title);
        operation();
    }

    virtual Reponse message(const QString& text, const QString& title, Icone icon, Boutons buttons) = 0;
    // The same box with a help context (contexteAide): a screen with a help
    // window offers the page of that context; the others ask as message() does.
    virtual Reponse messageAvecAide(const QString& text, const QString& title, Icone icon, Boutons buttons,
                                    int contexte) {
        Q_UNUSED(contexte);
        return message(text, title, icon, buttons);
    }
    // The save dialog: the full name of the file chosen (the user has agreed to
    // replace it if it exists), empty when cancelled. `filtre` as Qt's file
    // dialogs take it: "Fichiers Binaires (*.BIN)".
    virtual QString fichierAEnregistrer(const QString& titre, const QString& filtre) {
        Q_UNUSED(titre);
        Q_UNUSED(filtre);
        return {};
    }
    virtual void beep() = 0;
    // The hourglass pointer while an operation runs.
    virtual void setBusy(bool busy) = 0;
};

} // namespace tessaline
