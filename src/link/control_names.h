// The objectNames of the window controls that the operations drive through the
// Screen seam. The windows give their controls exactly these names; the lower
// floors name a control only through these constants, so that a misspelt name
// fails to compile instead of silently driving nothing.
#pragma once

#include <QLatin1StringView>

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

// The registers window: the bits of the condition codes, "lblCCR(0)" to "lblCCR(7)".
inline constexpr QLatin1StringView BitCcr{"lblCCR"};

// The options dialog.
inline constexpr QLatin1StringView SupprimerProfil{"cmdDELType"};
inline constexpr QLatin1StringView TailleCompilateur{"lblTailleCompilateur"};
inline constexpr QLatin1StringView CheminCompilateur{"lblCheminCompilateur"};
inline constexpr QLatin1StringView CheminCompilateurSym{"lblCheminCompilateurSYM"};
inline constexpr QLatin1StringView CheminCompilateurBat{"lblCheminCompilateurBAT"};

} // namespace tessaline::controle
