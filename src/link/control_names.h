// The objectNames of the window controls that the operations drive through the
// Screen seam. The windows give their controls exactly these names; the lower
// floors name a control only through these constants, so that a misspelt name
// fails to compile instead of silently driving nothing.
#pragma once

#include <QLatin1StringView>
#include <QStringView>

#include <algorithm>
#include <iterator>

namespace tessaline::controle {

// The debug console: the three fields and Execute.
inline constexpr QLatin1StringView Adresse{"txtADRESSE"};
inline constexpr QLatin1StringView Longueur{"txtLONGUEUR"};
inline constexpr QLatin1StringView Valeur{"txtVALEUR"};
inline constexpr QLatin1StringView Executer{"cmdEXECUTE"};

// The debug console's command buttons.
inline constexpr QLatin1StringView Break{"chkBreak"};
inline constexpr QLatin1StringView Efface{"cmdEFFACE"};
inline constexpr QLatin1StringView UploadBin{"cmdUPLOADBIN"};
inline constexpr QLatin1StringView Disassemble{"cmdDISASSEMBLE"};
inline constexpr QLatin1StringView DisplayReg{"cmdDISPLAYREG"};
inline constexpr QLatin1StringView UploadDis{"cmdUPLOADDIS"};
inline constexpr QLatin1StringView LoadS19{"cmdLOADS19"};
inline constexpr QLatin1StringView VerifS19{"cmdVERIFS19"};
inline constexpr QLatin1StringView MemDump{"cmdMEMDUMP"};
inline constexpr QLatin1StringView MemFill{"cmdMEMFILL"};
inline constexpr QLatin1StringView MemSet{"cmdMEMSET"};
inline constexpr QLatin1StringView RegSet{"chkREGSET"};
inline constexpr QLatin1StringView Run{"cmdRUN"};
inline constexpr QLatin1StringView Step{"cmdSTEP"};
inline constexpr QLatin1StringView Stop{"cmdSTOP"};
inline constexpr QLatin1StringView EraseEeprom{"cmdErasEEPROM"};
inline constexpr QLatin1StringView LoadTalker{"cmdLOADTALKER"};

// The progress window frmInfo.
inline constexpr QLatin1StringView BarreProgression{"prgBarEtat"};
inline constexpr QLatin1StringView TitreInfo{"spanInfo"};
inline constexpr QLatin1StringView TexteInfo{"lblInfo"};

// The registers window: the seven boxes, and the bits of the condition codes,
// "lblCCR(0)" to "lblCCR(7)".
inline constexpr QLatin1StringView BoitePC{"tbRegPC"};
inline constexpr QLatin1StringView BoiteA{"tbRegA"};
inline constexpr QLatin1StringView BoiteB{"tbRegB"};
inline constexpr QLatin1StringView BoiteIX{"tbRegIX"};
inline constexpr QLatin1StringView BoiteIY{"tbRegIY"};
inline constexpr QLatin1StringView BoiteCCR{"tbRegCCR"};
inline constexpr QLatin1StringView BoiteSP{"tbRegSP"};
inline constexpr QLatin1StringView BitCcr{"lblCCR"};

// The options dialog.
inline constexpr QLatin1StringView TailleCompilateur{"lblTailleCompilateur"};
inline constexpr QLatin1StringView CheminCompilateur{"lblCheminCompilateur"};
inline constexpr QLatin1StringView CheminCompilateurSym{"lblCheminCompilateurSYM"};
inline constexpr QLatin1StringView CheminCompilateurBat{"lblCheminCompilateurBAT"};

// Every name above, for the screens that check the names they are given.
// clang-format off
inline constexpr QLatin1StringView Tous[] = {
    Adresse, Longueur, Valeur, Executer,
    Break, Efface, UploadBin, Disassemble, DisplayReg, UploadDis, LoadS19, VerifS19, MemDump, MemFill, MemSet, RegSet,
    Run, Step, Stop, EraseEeprom, LoadTalker,
    BarreProgression, TitreInfo, TexteInfo,
    BoitePC, BoiteA, BoiteB, BoiteIX, BoiteIY, BoiteCCR, BoiteSP, BitCcr,
    TailleCompilateur, CheminCompilateur, CheminCompilateurSym, CheminCompilateurBat};

// The controls of the progress window frmInfo, which comes and goes: the
// operations may name them while it is closed. The console, the registers
// window and the main window are always there.
inline constexpr QLatin1StringView DesDialogues[] = {BarreProgression, TitreInfo, TexteInfo};
// clang-format on

// A name without the index of a control array: "lblCCR(3)" gives "lblCCR".
inline QStringView sansIndice(QStringView nom) {
    if (nom.endsWith(u')')) {
        const auto parenthese = nom.lastIndexOf(u'(');
        if (parenthese > 0) return nom.left(parenthese);
    }
    return nom;
}

inline bool dansListe(QStringView nom, const auto& liste) {
    const QStringView base = sansIndice(nom);
    return std::any_of(std::begin(liste), std::end(liste), [&](QLatin1StringView n) { return base == n; });
}

// True for a name of this header.
inline bool estConnu(QStringView nom) {
    return dansListe(nom, Tous);
}

// True for a control of a window that comes and goes.
inline bool estDeDialogue(QStringView nom) {
    return dansListe(nom, DesDialogues);
}

} // namespace tessaline::controle
