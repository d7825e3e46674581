#include "link/session_state.h"

namespace tessaline {

QVector<ProfilMateriel> profilsIntegres() {
    return {
        {QStringLiteral("68HC11A1"), {256, 512, 0x0000, 0xB600}},
        {QStringLiteral("68HC11E1"), {512, 512, 0x0000, 0xB600}},
        {QStringLiteral("68HC11F1"), {1024, 512, 0x0000, 0xFE00}},
        {QStringLiteral("68HC11811E2"), {256, 2048, 0x0000, 0xF800}},
    };
}

} // namespace tessaline
