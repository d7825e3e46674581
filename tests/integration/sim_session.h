// A host session wired to the in-process simulated board, in virtual time,
// and the Talker's download as a host makes it.
#pragma once

#include "board_clock.h"
#include "config/talker_adaptation.h"
#include "link/session.h"
#include "link/tempo.h"
#include "link/transfer.h"
#include "operations/talker_link.h"
#include "recording_screen.h"
#include "sim/board.h"
#include "sim/chip.h"
#include "sim/eeprom_image.h"
#include "sim_serial_line.h"

#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaline::test {

// The board's whole address space as the CPU reads it, to compare before and after.
using Memoire = std::vector<uint8_t>;
inline Memoire instantane(const hc11::Board& b) {
    Memoire m(0x10000);
    for (int a = 0; a < 0x10000; ++a)
        m[std::size_t(a)] = b.peek(static_cast<uint16_t>(a));
    return m;
}

struct SimSession {
    // 5 s: every exchange is far quicker.
    static constexpr int Delai = 50;

    SimSession(const char* puce, int quartzMHz)
        : board(*hc11::findChip(puce), static_cast<uint32_t>(quartzMHz) * 1'000'000u) {
        session.config.HardWare = QString::fromLatin1(puce);
        session.config.Quartz = QString::number(quartzMHz);
        session.config.Timeout = Delai;
    }

    // Adapts the Talker for the configured crystal and rate.
    void adapter(const QString& quartz, int baud) {
        session.config.Quartz = quartz;
        session.config.Baud = baud;
        AdapteTalker(session.config);
    }

    void ouvrir(int baud) {
        ligne.open(QStringLiteral("sim"), QString::number(baud) + QStringLiteral(",N,8,1"));
    }

    // What a host does to download the Talker: open at the boot rate (the board
    // leaves reset), wait for the break, send the prepared image, let it travel
    // the wire and the boot ROM start it, reopen at the working rate.
    bool telecharger(const QByteArray& image) {
        ouvrir(session.config.BootBaud);
        // The break comes within a few milliseconds of the reset: two seconds
        // without it is a failure here (a user would wait and press RESET).
        Reception r{FinAttente::TimeOut};
        for (int essai = 0; essai < 4 && (r.fin != FinAttente::Donnee || r.octet != 0); ++essai)
            r = attendreOctet(session, 20, false, QStringLiteral("telecharger"));
        if (r.fin != FinAttente::Donnee || r.octet != 0) return false;
        for (char c : image)
            ligne.sendByte(static_cast<quint8>(c));
        const double filaire = image.size() * 10.0 / session.config.BootBaud;
        Tempo(horloge, static_cast<float>(filaire + 0.2));
        ouvrir(session.config.Baud);
        ViderCom(session);
        return true;
    }
    bool telecharger() { return telecharger(session.config.TalkerPrepare); }

    // The board's EEPROM holds examples/`image`; the Talker is loaded at 9600 baud
    // (8 MHz crystal) and answers. Test assertions report what failed.
    void demarrerAvecExemple(const std::string& image) {
        std::string erreur;
        ASSERT_EQ(hc11::loadEepromImage(board, std::string(TESSALINE_EXAMPLES "/") + image, erreur),
                  hc11::EepromImageLoad::Loaded)
            << erreur;
        adapter(QStringLiteral("8"), 9600);
        ASSERT_TRUE(telecharger());
        TestTalker(session);
        ASSERT_TRUE(session.liaison.talkerPresent);
    }

    hc11::Board board;
    SimSerialLine ligne{board};
    BoardClock horloge{ligne, 10 * 3600.0};
    RecordingScreen ecran;
    Session session{ligne, horloge, ecran};
};

} // namespace tessaline::test
