// A host session wired to the in-process simulated board, in virtual time,
// with the byte-level Talker exchanges a host makes.
#pragma once

#include "board_clock.h"
#include "config/talker_adaptation.h"
#include "link/session.h"
#include "link/tempo.h"
#include "link/transfer.h"
#include "recording_screen.h"
#include "sim/board.h"
#include "sim/chip.h"
#include "sim_serial_line.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <memory>
#include <vector>

namespace tessaline::test {

struct SimSession {
    SimSession(const char* puce, int quartzMHz)
        : board(*hc11::findChip(puce), static_cast<uint32_t>(quartzMHz) * 1'000'000u) {
        session.config.HardWare = QString::fromLatin1(puce);
        session.config.Quartz = QString::number(quartzMHz);
        session.config.Timeout = 50; // 5 s: every exchange is far quicker
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
        const int timeout = session.config.Timeout;
        session.config.Timeout = 20;
        session.liaison.timeoutArme = true;
        int octet = -1;
        for (int essai = 0; essai < 4 && octet != 0; ++essai)
            octet = RecComBIN_NbOct_Dec(session);
        session.config.Timeout = timeout;
        if (octet != 0) return false;
        for (char c : image)
            ligne.sendByte(static_cast<quint8>(c));
        const double filaire = image.size() * 10.0 / session.config.BootBaud;
        Tempo(horloge, static_cast<float>(filaire + 0.2));
        ouvrir(session.config.Baud);
        ViderCom(session);
        return true;
    }
    bool telecharger() { return telecharger(session.config.TalkerPrepare); }

    // Command 1: the frame address and the 9 frame bytes, each answered.
    struct Trame {
        int adresse = -1;
        std::array<int, 9> octets{}; // CCR B A XH XL YH YL PCH PCL
        int pc() const { return octets[7] << 8 | octets[8]; }
        int x() const { return octets[3] << 8 | octets[4]; }
        int y() const { return octets[5] << 8 | octets[6]; }
    };
    bool recevoirTrame(Trame& t) {
        int mot[2];
        for (int& o : mot) {
            o = RecevoirComBINDec(session);
            if (o < 0) return false;
            ligne.sendByte(static_cast<quint8>(o));
        }
        t.adresse = mot[0] << 8 | mot[1];
        for (int& o : t.octets) {
            o = RecevoirComBINDec(session);
            if (o < 0) return false;
            ligne.sendByte(static_cast<quint8>(o));
        }
        return true;
    }
    bool lireRegistres(Trame& t) {
        ViderCom(session);
        if (!EnvoiCommande(session, commande::LireRegistres, true)) return false;
        ligne.sendByte(0);
        return recevoirTrame(t);
    }

    // Command 6: `count` bytes (0 means 256) from `adresse`.
    std::vector<int> lireMemoire(int adresse, int count) {
        std::vector<int> r;
        ViderCom(session);
        if (!EnvoiCommande(session, commande::LireMemoire, true)) return r;
        envoyerAdresse(count, adresse);
        const int n = count == 0 ? 256 : count;
        for (int i = 0; i < n; ++i) {
            const int o = RecevoirComBINDec(session);
            if (o < 0) break;
            r.push_back(o);
            ligne.sendByte(static_cast<quint8>(o));
        }
        return r;
    }

    // Command 5: the bytes read back after each write.
    std::vector<int> ecrireMemoire(int adresse, const std::vector<int>& octets, int count = -1) {
        std::vector<int> relus;
        ViderCom(session);
        if (!EnvoiCommande(session, commande::EcrireMemoire, true)) return relus;
        envoyerAdresse(count < 0 ? int(octets.size()) : count, adresse);
        for (int o : octets) {
            ligne.sendByte(static_cast<quint8>(o));
            const int relu = RecevoirComBINDec(session);
            if (relu < 0) return relus;
            relus.push_back(relu);
        }
        ligne.sendByte(0);
        return relus;
    }

    // Command 2: writes the frame at `adresseTrame` and resumes. The bytes read
    // back, which must equal the frame.
    std::vector<int> ecrireRegistres(int adresseTrame, const std::array<int, 9>& trame) {
        std::vector<int> relus;
        ViderCom(session);
        if (!EnvoiCommande(session, commande::EcrireRegistres, true)) return relus;
        ligne.sendByte(static_cast<quint8>(adresseTrame >> 8));
        ligne.sendByte(static_cast<quint8>(adresseTrame));
        for (int o : trame) {
            ligne.sendByte(static_cast<quint8>(o));
            const int relu = RecevoirComBINDec(session);
            if (relu < 0) return relus;
            relus.push_back(relu);
        }
        ligne.sendByte(0);
        return relus;
    }

    // Command 3 after a $03: the stopped program's PC word, then the frame.
    bool lireTrameBreak(int& pc, Trame& t) {
        ligne.sendByte(commande::TrameBreak);
        if (RecevoirComBINDec(session) != commande::TrameBreak) return false;
        ligne.sendByte(0);
        int mot[2];
        for (int& o : mot) {
            o = RecevoirComBINDec(session);
            if (o < 0) return false;
            ligne.sendByte(static_cast<quint8>(o));
        }
        pc = mot[0] << 8 | mot[1];
        return recevoirTrame(t);
    }

    void envoyerAdresse(int count, int adresse) {
        ligne.sendByte(static_cast<quint8>(count));
        ligne.sendByte(static_cast<quint8>(adresse >> 8));
        ligne.sendByte(static_cast<quint8>(adresse));
    }

    hc11::Board board;
    SimSerialLine ligne{board};
    BoardClock horloge{ligne, 10 * 3600.0};
    RecordingScreen ecran;
    Session session{ligne, horloge, ecran};
};

} // namespace tessaline::test
