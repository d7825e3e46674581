// A session on the simulated board whose line keeps every byte the host sends,
// and reads that stream back as the Talker's exchanges, so that a test can say
// how many write and read exchanges an operation made and where.
#pragma once

#include "link/serial_line.h"
#include "link/talker_protocol.h"
#include "operations/talker_link.h"
#include "sim_session.h"

#include <QVector>

#include <functional>

namespace tessaline::test {

class LigneEnregistree : public SerialLine {
public:
    explicit LigneEnregistree(SerialLine& ligne)
        : ligne_(ligne) {
        connect(&ligne_, &SerialLine::dataArrived, this, &SerialLine::dataArrived);
    }
    bool open(const QString& d, const QString& p) override { return ligne_.open(d, p); }
    void close() override { ligne_.close(); }
    bool isOpen() const override { return ligne_.isOpen(); }
    int bytesWaiting() override { return ligne_.bytesWaiting(); }
    QByteArray readAll() override { return ligne_.readAll(); }
    void sendByte(quint8 octet) override {
        const quint8 arrive = alterer ? alterer(octet) : octet;
        envoyes.append(static_cast<char>(octet));
        ligne_.sendByte(arrive);
    }
    ErreurExecution lastError() const override { return ligne_.lastError(); }
    bool coupee() const override { return ligne_.coupee(); }
    bool sansProgramme() const override { return ligne_.sansProgramme(); }

    QByteArray envoyes;
    // What the board receives instead of each byte the host sends (a byte
    // damaged on the line), before it is recorded in `envoyes`.
    std::function<quint8(quint8)> alterer;

private:
    SerialLine& ligne_;
};

// One exchange as the host framed it.
struct Echange {
    int commande;
    int adresse;
    int count;
};

// The host's exchanges of command `voulue`, cut from its bytes: the command
// byte, its parameters, then one byte per data byte (write: the data and the
// closing 0; read: the handshakes; registers: the 11 handshakes, 13 with the
// stopped PC of a break frame; a frame write: its 9 bytes).
inline QVector<Echange> echangesDe(const QByteArray& envoyes, int voulue) {
    QVector<Echange> l;
    auto octet = [&](qsizetype i) { return i < envoyes.size() ? static_cast<quint8>(envoyes[i]) : 0; };
    for (qsizetype i = 0; i < envoyes.size();) {
        const int c = octet(i);
        Echange e{c, 0, 0};
        if (c == commande::EcrireMemoire || c == commande::LireMemoire) {
            e = {c, octet(i + 2) << 8 | octet(i + 3), octet(i + 1) == 0 ? MaxOctetsEchange : octet(i + 1)};
            i += 4 + e.count + (c == commande::EcrireMemoire ? 1 : 0);
        } else if (c == commande::EcrireRegistres) {
            e.adresse = octet(i + 1) << 8 | octet(i + 2);
            i += 3 + 9;
        } else {
            i += c == commande::LireRegistres ? 2 + OctetsTrameLue
                 : c == commande::TrameBreak  ? 4 + OctetsTrameLue
                                              : 1;
        }
        if (c == voulue) l.push_back(e);
    }
    return l;
}

// A SimSession whose operations go through a LigneEnregistree: `session` is
// the one to use once the Talker is in.
struct SessionEnregistree {
    SessionEnregistree(const char* puce, int quartzMHz)
        : sim(puce, quartzMHz) {
        for (const ProfilMateriel& p : profilsIntegres())
            if (p.nom == QLatin1String(puce)) static_cast<CarteMemoire&>(sim.session.config) = p.carte();
        sim.adapter(QStringLiteral("8"), 9600);
    }
    bool demarrer() {
        if (!sim.telecharger()) return false;
        session.config = sim.session.config;
        session.liaison = sim.session.liaison;
        TestTalker(session);
        ligne.envoyes.clear();
        return session.liaison.talkerPresent;
    }
    QVector<Echange> ecritures() const { return echangesDe(ligne.envoyes, commande::EcrireMemoire); }
    QVector<Echange> lectures() const { return echangesDe(ligne.envoyes, commande::LireMemoire); }
    Memoire memoire() const { return instantane(sim.board); }

    SimSession sim;
    LigneEnregistree ligne{sim.ligne};
    Session session{ligne, sim.horloge, sim.ecran};
};

} // namespace tessaline::test
