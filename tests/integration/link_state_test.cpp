// The link state through every path of the download and the Talker check, on
// the simulated board.
#include "config/hardware_profiles.h"
#include "link/conversions.h"
#include "link/serial_port.h"
#include "link/talker_image.h"
#include "link/talker_protocol.h"
#include "link/trace.h"
#include "operations/console_commands.h"
#include "operations/execution_commands.h"
#include "operations/talker_link.h"
#include "scripted_serial_line.h"
#include "sim_session.h"

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

std::unique_ptr<SimSession> session(const char* puce, int quartzBoard = 8, const char* quartzConfig = "8",
                                    int baud = 9600) {
    auto s = std::make_unique<SimSession>(puce, quartzBoard);
    s->session.config.HardWare = QLatin1String(puce);
    s->session.config.carte() = *trouverProfil(profilsIntegres(), s->session.config.HardWare);
    s->adapter(QString::fromLatin1(quartzConfig), baud);
    s->session.config.Port = QStringLiteral("COM2");
    ComOpen(s->session);
    return s;
}

int entreesEtat(const RecordingScreen& e, const QString& talker) {
    return static_cast<int>(e.text(Zone::Trace).count(talker + QStringLiteral("\tCible STOP\r\n")));
}

// A session on a line whose far end answers from a script, in virtual time.
struct LigneScriptee {
    LigneScriptee() { horloge.addSource(&ligne); }
    ScriptedSerialLine ligne;
    VirtualClock horloge;
    RecordingScreen ecran;
    Session session{ligne, horloge, ecran};
};

} // namespace

TEST(LinkState, BoundedWaitForTheBreakGivesUpWithAMessage) {
    auto s = session("68HC11F1", 16, "8", 9600); // never hears the host: no break
    const double debut = s->horloge.boardSeconds();
    EXPECT_EQ(LoadTalker(s->session, 50), ResultatChargement::Annule);
    // 5 s of waiting for the break, then the check's own time-out.
    EXPECT_GE(s->horloge.boardSeconds() - debut, 5.0);
    EXPECT_LT(s->horloge.boardSeconds() - debut, 5.0 + s->session.config.Timeout * 0.1 + 1.0);
    ASSERT_EQ(s->ecran.messages.size(), 1);
    EXPECT_TRUE(s->ecran.messages[0].text.contains("MODA, MODB en mode BOOTSTRAP"));
    EXPECT_EQ(s->ecran.panel("Talker"), "Pas de Talker");
}

// A download on a board that is not reset: no break comes, but the Talker
// already in its RAM answers at the working rate. It is kept, and said so;
// "Pas de réponse" would be false, and so would a failure.
TEST(LinkState, BoundedWaitForTheBreakKeepsATalkerThatAnswers) {
    auto s = session("68HC11F1");
    ASSERT_EQ(LoadTalker(s->session), ResultatChargement::Charge);
    EXPECT_EQ(LoadTalker(s->session, 50), ResultatChargement::DejaPresent);
    EXPECT_EQ(s->ecran.panel("Talker"), "Talker Charg\u00e9");
    EXPECT_TRUE(s->session.liaison.talkerPresent);
    ASSERT_EQ(s->ecran.messages.size(), 1);
    EXPECT_EQ(s->ecran.messages[0].icon, Icone::Information);
    EXPECT_EQ(s->ecran.messages[0].text,
              "Pas de RESET du 68HC11F1 : le Talker d\u00e9j\u00e0 en RAM r\u00e9pond, il est gard\u00e9.");
}

TEST(LinkState, CancelWhileWaitingForTheBreakRunsOneCheck) {
    // A 16 MHz board with the configuration left at 8 MHz: it never hears the
    // host at its boot rate, so no break ever comes.
    auto s = session("68HC11F1", 16, "8", 9600);
    // A window event during the wait sees the working rate configured, while
    // the port itself runs at the boot rate.
    int baudPendant = 0;
    QString portPendant;
    s->horloge.after(10.0, [&] {
        baudPendant = s->session.config.Baud;
        portPendant = s->ecran.panel("Port");
    });
    s->horloge.after(30.0, [&] { s->session.demanderAnnulation(); });
    EXPECT_EQ(LoadTalker(s->session), ResultatChargement::Annule);
    EXPECT_EQ(baudPendant, 9600);
    EXPECT_EQ(portPendant, "Carte simul\u00e9e:1200,N,8,1");
    RecordingScreen& e = s->ecran;
    EXPECT_EQ(entreesEtat(e, QStringLiteral("Pas de Talker")), 1) << "exactly one check after the cancel";
    EXPECT_EQ(e.panel("Talker"), "Pas de Talker");
    EXPECT_FALSE(s->session.liaison.annulation) << "the cancel flag is cleared";
    EXPECT_TRUE(s->session.surveillance().isEnabled()) << "the link watch is back on";
    EXPECT_EQ(s->session.config.Baud, 9600);
    EXPECT_EQ(e.panel("Port"), "Carte simul\u00e9e:9600,N,8,1") << "the port is back at the working rate";
    EXPECT_TRUE(e.messages.isEmpty()) << "the check's missing echo is silent";
}

TEST(LinkState, FailedCheckIsRetriedAfterTheNextReset) {
    auto s = session("68HC11F1");
    const QByteArray bon = s->session.config.TalkerPrepare;
    // The first image sets the SCI for 4800 baud while the host works at 9600:
    // the check after the download cannot succeed.
    s->session.config.TalkerPrepare[talker::BaudValue + 1] = char(0x31);
    s->horloge.after(60.0, [&] {
        s->session.config.TalkerPrepare = bon;
        s->board.resetBootstrap(); // the user presses RESET again
    });
    EXPECT_EQ(LoadTalker(s->session), ResultatChargement::Charge);
    EXPECT_EQ(s->session.registres.RegSP, "00E8");
    EXPECT_EQ(entreesEtat(s->ecran, QStringLiteral("Pas de Talker")), 1);
    EXPECT_EQ(s->ecran.beeps, 3) << "two downloads and the failed check";
    EXPECT_GT(s->horloge.boardSeconds(), 60.0);
}

TEST(LinkState, StrayByteWhileWaitingForTheBreakIsIgnored) {
    LigneScriptee l;
    // Plain references: the lambdas below capture them, and Clang 14 cannot capture
    // structured bindings.
    auto& ligne = l.ligne;
    auto& horloge = l.horloge;
    auto& ecran = l.ecran;
    auto& session = l.session;
    session.config.Timeout = 20;
    session.config.TalkerPrepare = QByteArray(talker::WireBytes, '\x01');

    // A stand-in for the chip: silent until its break at 2 s; after the image,
    // a Talker that answers the register read with its idle frame.
    int recus = 0;
    double premierOctetImage = -1;
    QByteArray reponses;
    ligne.repondre = [&](quint8 o) -> QByteArray {
        if (recus < talker::WireBytes) {
            if (recus++ == 0) premierOctetImage = horloge.elapsed();
            return {};
        }
        if (o == commande::LireRegistres && reponses.isEmpty()) {
            reponses = QByteArray::fromHex("00E0"
                                           "D0000000EF00EF00EF"); // SP, then the frame
            return QByteArray(1, char(o));
        }
        if (reponses.isEmpty()) return {};
        const QByteArray r = reponses.left(1);
        reponses.remove(0, 1);
        return r;
    };
    ligne.injecter(QByteArray("\x55", 1), 1.0);
    ligne.injecter(QByteArray("\x00", 1), 2.0);

    EXPECT_EQ(LoadTalker(session), ResultatChargement::Charge);
    EXPECT_GE(premierOctetImage, 2.0) << "the image went out after the break, not after the stray byte";
    EXPECT_EQ(session.registres.RegSP, "00E8");
    EXPECT_EQ(ecran.panel("Talker"), "Talker Charg\u00e9");
}

TEST(LinkState, WatchCheckCutShortInTheFrameLeavesNoTalker) {
    LigneScriptee l;
    // Plain references: the lambdas below capture them, and Clang 14 cannot capture
    // structured bindings.
    auto& ligne = l.ligne;
    auto& horloge = l.horloge;
    auto& ecran = l.ecran;
    auto& session = l.session;
    ligne.open(QStringLiteral("x"), QStringLiteral("9600,N,8,1"));
    installerVerificationLiaison(session);
    // A Talker that echoes the register read, sends four bytes of its frame
    // and falls silent (a reset, a cable pulled).
    QByteArray reponses = QByteArray::fromHex("00E0D000");
    ligne.repondre = [&](quint8 o) -> QByteArray {
        if (o == commande::LireRegistres && reponses.size() == 4) return QByteArray(1, char(o));
        const QByteArray r = reponses.left(1);
        reponses.remove(0, 1);
        return r;
    };
    int timeoutPendant = 0;
    horloge.after(1.0, [&] { timeoutPendant = session.config.Timeout; });

    SurvCom(session, true);
    ligne.injecter(QByteArray(1, char(OctetArret)));
    const double debut = horloge.elapsed();
    session.surveillance().tick();

    EXPECT_EQ(timeoutPendant, 2000) << "a window event during the check sees the configured time-out";
    EXPECT_NEAR(horloge.elapsed() - debut, 2.0, 0.1) << "the Talker's answer delay, within the watch's 10 s";
    ASSERT_EQ(ecran.messageTexts().size(), 2);
    EXPECT_TRUE(ecran.messageTexts().value(1).contains("faites RESET sur la carte puis Load Talker"))
        << "a Talker stopped inside its frame needs a reset";
    EXPECT_EQ(ecran.panel("Talker"), "Pas de Talker") << "a frame cut short is no Talker";
    EXPECT_EQ(session.registres.RegCCR, "00") << "not the D0 of a frame cut short";
}

// Dump, erase, S-record programming and step with no Talker behind the line:
// each is refused within 1.5 s after one probe byte (none when the link state
// already says there is no Talker), says what to do, and leaves the "no
// Talker" state.
TEST(LinkState, CommandsWithNoTalkerAreRefusedAtOnce) {
    const auto console = [](int code, const char* echo) {
        return [code, echo](Session& s) {
            selectionnerCommande(s, code, QLatin1String(echo));
            RemplirECHO(s, QStringLiteral("FE00"), QStringLiteral("10"), QString());
            executerCommande(s);
        };
    };
    const std::pair<const char*, std::function<void(Session&)>> commandes[] = {
        {"dump", console(code::MemDump, "MemDump")},
        {"erase", console(code::EraseEeprom, "Erase EEPROM")},
        {"program", console(code::LoadS19, "Load ")},
        {"step", [](Session& s) { cmdSTEP_Click(s); }},
    };
    for (const auto& [nom, lancer] : commandes) {
        for (const bool etatCharge : {true, false}) {
            SCOPED_TRACE(std::string(nom) + (etatCharge ? ", state says loaded" : ", state says none"));
            LigneScriptee l;
            ASSERT_TRUE(l.ligne.open(QStringLiteral("/dev/scripted"), QStringLiteral("9600,N,8,1")));
            l.session.liaison.portOuvert = true;
            l.session.liaison.talkerPresent = etatCharge;
            l.session.config.Timeout = 2000;
            lancer(l.session);
            EXPECT_LT(l.horloge.elapsed(), 1.5);
            EXPECT_EQ(l.ligne.envoyes.toHex(), etatCharge ? QByteArray("07") : QByteArray());
            EXPECT_TRUE(l.ecran.messageTexts().join(' ').contains("chargez le Talker (Load Talker)"))
                << l.ecran.messageTexts().join(" | ").toStdString();
            EXPECT_FALSE(l.session.liaison.talkerPresent);
        }
    }
}
