// The S-record download and the EEPROM erase on the simulated board, checked against the
// board's own memory and the exchanges the host sent; and the example
// programs started by the Talker as a user would.
#include "config/hardware_profiles.h"
#include "link/conversions.h"
#include "link/serial_port.h"
#include "link/tempo.h"
#include "link/trace.h"
#include "operations/breakpoints.h"
#include "operations/config_register.h"
#include "operations/console_command_table.h"
#include "operations/console_commands.h"
#include "operations/eeprom_erase.h"
#include "operations/execution_commands.h"
#include "operations/memory_write.h"
#include "operations/program_run.h"
#include "operations/s19_programming.h"
#include "operations/s19_verify.h"
#include "operations/talker_link.h"
#include "s_record_lines.h"
#include "sim/chip.h"
#include "sim/eeprom_image.h"
#include "sim_session.h"
#include "wire_log.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

namespace {

using namespace tessaline;
using namespace tessaline::test;

const QString HorsPlage = QStringLiteral("Adresse \u00e0 Programmer en dehors de la plage de l'EEPROM");

QByteArray octets(int n, int premier) {
    QByteArray o;
    for (int i = 0; i < n; ++i)
        o.append(char(premier + i));
    return o;
}

// The board's memory as the sim's own S-record loader leaves it from `texte`.
std::unique_ptr<hc11::Board> reference(const QByteArray& texte) {
    auto b = std::make_unique<hc11::Board>(*hc11::findChip("68HC11F1"), 8'000'000);
    std::string erreur;
    EXPECT_TRUE(b->loadSRecords(texte.toStdString(), erreur)) << erreur;
    return b;
}

QByteArray exemple() {
    QFile f(TESSALINE_EXAMPLES "/compteur.s19");
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

bool registre(int a) {
    return a >= 0x1000 && a < 0x1060;
}

class Programmation : public ::testing::Test {
protected:
    void demarrer(const char* puce) {
        t = std::make_unique<SessionEnregistree>(puce, 8);
        ASSERT_TRUE(t->demarrer());
    }
    // The text as the current S-record file.
    void fichier(const QByteArray& texte) {
        const QString chemin = dir.filePath(QStringLiteral("prog.S19"));
        QFile f(chemin);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(texte);
        f.close();
        t->session.fichiers.FichierS19 = chemin;
    }
    uint8_t peek(int a) { return t->sim.board.peek(static_cast<uint16_t>(a)); }
    QStringList messages() const { return t->sim.ecran.messageTexts(); }
    RecordingScreen& ecran() { return t->sim.ecran; }

    QTemporaryDir dir;
    std::unique_ptr<SessionEnregistree> t;
};

// The example as the assembler leaves it (S0 header, three S1 records, S9):
// every byte lands where the sim's own S-record loader puts it, and nothing
// else in memory changes.
TEST_F(Programmation, TheExampleLandsInTheEeprom) {
    demarrer("68HC11F1");
    const QByteArray texte = exemple();
    const auto ref = reference(texte);
    fichier(texte);
    const auto avant = t->memoire();

    const BilanProgrammation b = chargerS19(t->session, false);
    EXPECT_TRUE(b.reussi());
    EXPECT_EQ(b.ecrits, 35);
    EXPECT_TRUE(messages().isEmpty()) << messages().join(u'\n').toStdString();
    for (int a = 0x0100; a < EspaceAdresses; ++a) {
        if (registre(a)) continue;
        const uint8_t attendu = a >= 0xFE00 ? ref->peek(uint16_t(a)) : avant[std::size_t(a)];
        ASSERT_EQ(peek(a), attendu) << std::hex << a;
    }
    EXPECT_EQ(t->ecritures().size(), 3) << "one write exchange a record";
    EXPECT_EQ(ecran().values["prgBarEtat"].last(), 100);
    // The trace names the file and the addresses it covers; the progress
    // window names the chip.
    EXPECT_TRUE(
        ecran().text(Zone::Trace).contains("\tLoad " + t->session.fichiers.FichierS19 + " FE00-FE22\r\n"))
        << ecran().text(Zone::Trace).toStdString();
    EXPECT_EQ(ecran().texts["lblInfo"], "Programmation 68HC11F1 en cours ...\r\nAttendez S.V.P ...");
}

// Only S1 records are programmed, a wrong checksum included (the record is
// named in the trace before anything is sent); an empty S1 sends nothing and
// leaves the bar; lower case is no record type.
TEST_F(Programmation, OnlyS1DataIsSentWhateverItsChecksum) {
    demarrer("68HC11F1");
    fichier("S00600004844521B\r\n" + ligneS1(0xFE00, octets(4, 0x10), true) + ligneS1(0xFE10, {}) +
            ligneS1(0xFE20, octets(2, 0x20)).toLower() + "S5030001FB\r\nS9030000FC\r\n");
    ecran().clear(Zone::Trace);
    const BilanProgrammation b = ProgS19(t->session);
    EXPECT_TRUE(b.reussi());
    EXPECT_EQ(b.sommesFausses, 1);
    ASSERT_EQ(ecran().runsOf(Zone::Trace).size(), 1);
    EXPECT_EQ(ecran().runsOf(Zone::Trace)[0].text,
              "Somme de contr\u00f4le fausse ligne 2 : S1 FE00, lue B5, calcul\u00e9e B4\r\n");
    ASSERT_EQ(t->ecritures().size(), 1);
    EXPECT_EQ(t->ecritures()[0].adresse, 0xFE00);
    EXPECT_EQ(t->ecritures()[0].count, 4);
    EXPECT_EQ(peek(0xFE03), 0x13);
    EXPECT_EQ(peek(0xFE20), 0xFF);

    // A count that does not match its digits would put a count byte on the
    // wire that the data do not follow: the file is refused as a whole.
    t->ligne.envoyes.clear();
    fichier(ligneS1(0xFE30, octets(2, 0x30)) + "S107FE40AABB00\r\n");
    EXPECT_EQ(ProgS19(t->session).fin, BilanProgrammation::Fin::Echec);
    EXPECT_EQ(messages().last(), "Enregistrement S1 illisible ligne 2");
    EXPECT_TRUE(t->ecritures().isEmpty());

    // Only empty records: no byte to count, nothing sent, the bar left at 0.
    ecran().values.clear();
    fichier(ligneS1(0xFE00, {}) + "S9030000FC\r\n");
    EXPECT_TRUE(ProgS19(t->session).reussi());
    EXPECT_EQ(ecran().values["prgBarEtat"], QVector<int>{0});
}

// A record outside the EEPROM stops the download before anything of it is
// sent: one addressed to RAM, and one that starts in the EEPROM but would run
// past $FFFF onto the Talker at $0000. The records before it stay programmed;
// Execute stays idle until another command is chosen.
TEST_F(Programmation, ARecordOutsideTheEepromStopsTheDownload) {
    demarrer("68HC11F1");
    for (int debutRefuse : {0x0200, 0xFFF8}) {
        SCOPED_TRACE(debutRefuse);
        t->ligne.envoyes.clear();
        ecran().messages.clear();
        t->session.console.CmdCourante = code::LoadS19;
        fichier(ligneS1(0xFE00, octets(3, 0x40)) + ligneS1(debutRefuse, octets(16, 0x50)) +
                ligneS1(0xFE10, octets(3, 0x60)));
        EXPECT_EQ(ProgS19(t->session).fin, BilanProgrammation::Fin::Echec);
        EXPECT_EQ(messages(), QStringList{HorsPlage});
        EXPECT_EQ(peek(0xFE02), 0x42) << "the record before stays";
        EXPECT_EQ(peek(0xFE10), 0xFF) << "the record after is not sent";
        EXPECT_EQ(t->ecritures().size(), 1);
        EXPECT_EQ(t->session.console.CmdCourante, code::Aucune);
        EXPECT_TRUE(t->session.liaison.talkerPresent) << "the Talker at $0000 is untouched";
    }
    EXPECT_EQ(peek(0x0200), 0x00);
    EXPECT_EQ(peek(0xFFF8), 0xFF);
}

// A record that starts at the last EEPROM byte is sent in full; the byte past
// the EEPROM does not read back, and the record fails there: the message
// names that address and says it lies past the EEPROM.
TEST_F(Programmation, ARecordAtTheLastByteIsSentInFullAndFailsPastTheEnd) {
    for (const char* puce : {"68HC11A1", "68HC11E1"}) {
        SCOPED_TRACE(puce);
        demarrer(puce);
        fichier(ligneS1(0xB7FF, QByteArray("\x12\x34", 2)) + ligneS1(0xB600, octets(1, 0x77)));
        EXPECT_EQ(ProgS19(t->session).fin, BilanProgrammation::Fin::Echec);
        EXPECT_EQ(peek(0xB7FF), 0x12);
        ASSERT_EQ(t->ecritures().size(), 1);
        EXPECT_EQ(t->ecritures()[0].count, 2);
        EXPECT_EQ(messages(), QStringList{"Erreur EnvoiS19\r\nAdresse : B800, au-del\u00e0 de la fin de "
                                          "l'EEPROM (B7FF)"});
        EXPECT_EQ(peek(0xB600), 0xFF) << "the download stopped at the failed record";
        EXPECT_TRUE(t->session.liaison.talkerPresent);
    }
}

// A board that falls silent in the middle of a download: the record fails
// after the Talker's answer delay, one check finds no Talker, and the
// download ends there, within 5 s of the silence at the default time-out.
TEST_F(Programmation, ABoardThatFallsSilentIsGivenUpAfterOneCheck) {
    // Through the Talker's write (32 bytes), and through the routine in RAM
    // (96 bytes), which owns the line when the board falls silent.
    for (const auto& [octetsEcrits, apres] : {std::pair{16, 0.2}, std::pair{48, 1.2}}) {
        SCOPED_TRACE(octetsEcrits);
        demarrer("68HC11F1");
        t->session.config.Timeout = 2000;
        fichier(ligneS1(0xFE00, octets(octetsEcrits, 0x00)) +
                ligneS1(0xFE00 + octetsEcrits, octets(octetsEcrits, 0x10)));
        double silence = -1;
        t->sim.horloge.after(apres, [&] {
            silence = t->sim.horloge.boardSeconds();
            t->sim.board.holdReset();
        });
        EXPECT_EQ(ProgS19(t->session).fin, BilanProgrammation::Fin::Echec);
        ASSERT_GE(silence, 0);
        EXPECT_LT(t->sim.horloge.boardSeconds() - silence, 5.0);
        EXPECT_EQ(ecran().text(Zone::Trace).count(QStringLiteral("Pas de Talker\tCible STOP")), 1)
            << "one check, not one per failure path";
        EXPECT_EQ(ecran().panel("Talker"), "Pas de Talker");
        EXPECT_FALSE(t->session.liaison.talkerPresent);
    }
    EXPECT_TRUE(
        messages().join(u' ').contains("la routine ne r\u00e9pond plus ; faites RESET puis Load Talker"))
        << messages().join(u'\n').toStdString();
}

// The chaser example into an erased EEPROM by the routine in RAM: every byte
// where the sim's own loader puts it, one programming pulse a byte and no
// erase pulse, and the RAM the routine borrowed as it was.
TEST_F(Programmation, TheChaserIsProgrammedAtOnePulseAByteByTheRoutineInRam) {
    demarrer("68HC11F1");
    QFile f(TESSALINE_EXAMPLES "/chenillard.s19");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray texte = f.readAll();
    const auto ref = reference(texte);
    fichier(texte);
    for (int a = 0x0100; a < 0x0400; ++a)
        t->sim.board.poke(uint16_t(a), uint8_t(a * 3));
    const auto avant = t->memoire();
    const auto& eeprom = t->sim.board.eeprom();
    const uint64_t effacements = eeprom.erasePulses(), programmations = eeprom.programPulses();

    const BilanProgrammation b = ProgS19(t->session);
    ASSERT_TRUE(b.reussi()) << messages().join(u'\n').toStdString();
    int nonFF = 0;
    for (int a = 0x0100; a < EspaceAdresses; ++a) {
        if (registre(a)) continue;
        const uint8_t attendu = a >= 0xFE00 ? ref->peek(uint16_t(a)) : avant[std::size_t(a)];
        ASSERT_EQ(peek(a), attendu) << std::hex << a;
        nonFF += a >= 0xFE00 && attendu != 0xFF;
    }
    // The Talker's write would have spent two pulses on each of b.ecrits bytes.
    EXPECT_EQ(eeprom.erasePulses(), effacements);
    EXPECT_EQ(eeprom.programPulses() - programmations, uint64_t(nonFF));
    EXPECT_LT(nonFF, 2 * b.ecrits);

    // Again over three cells cleared to $00: only they take pulses, an erase
    // (a 1 is wanted over a 0) and a program each; the others none.
    const int changes[] = {0xFE00, 0xFE05, 0xFFFE};
    for (int a : changes)
        t->sim.board.poke(uint16_t(a), 0x00);
    const uint64_t e2 = eeprom.erasePulses(), p2 = eeprom.programPulses();
    ASSERT_TRUE(ProgS19(t->session).reussi());
    for (int a : changes)
        EXPECT_EQ(peek(a), ref->peek(uint16_t(a))) << std::hex << a;
    EXPECT_EQ(eeprom.erasePulses() - e2, 3u);
    EXPECT_LE(eeprom.programPulses() - p2, 3u);
    EXPECT_TRUE(t->session.liaison.talkerPresent);
}

// Six records of 16 bytes, 16 bytes apart from one another from `debut`
// (enough for the routine in RAM): $00-$0F, then $10-$1F, and so on.
QByteArray enregistrementsEspaces(int debut) {
    QByteArray texte;
    for (int r = 0; r < 6; ++r)
        texte += ligneS1(debut + 0x20 * r, octets(16, 0x10 * r));
    return texte;
}

// Cancel during a record: that record is finished, the next is not sent. On
// the F1 a loader brings the routine; the E1's 256 bytes above the Talker
// take only the routine, which the Talker writes itself.
TEST_F(Programmation, CancelFinishesTheRecordBeingWritten) {
    struct Cas {
        const char* puce;
        int eeprom;
        int finRam;
    };
    for (const Cas& c : {Cas{"68HC11F1", 0xFE00, 0x0400}, Cas{"68HC11E1", 0xB600, 0x0200}}) {
        SCOPED_TRACE(c.puce);
        demarrer(c.puce);
        // Records apart from one another: one exchange each with the routine.
        fichier(enregistrementsEspaces(c.eeprom));
        // Cancel once the routine in RAM has given the first record's fifth
        // pulse (a record of 16 bytes takes about 0.17 s, one pulse a byte).
        const uint64_t impulsions = t->sim.board.eeprom().programPulses();
        const uint64_t effacements = t->sim.board.eeprom().erasePulses();
        std::function<void()> guet = [&] {
            if (t->sim.board.eeprom().programPulses() >= impulsions + 5)
                t->session.demanderAnnulation();
            else
                t->sim.horloge.after(0.005, guet);
        };
        t->sim.horloge.after(0.005, guet);
        const auto avant = t->memoire();
        const BilanProgrammation b = ProgS19(t->session);
        EXPECT_EQ(b.fin, BilanProgrammation::Fin::Annule);
        EXPECT_EQ(b.ecrits, 16);
        EXPECT_EQ(t->sim.board.eeprom().programPulses() - impulsions, 16u) << "one pulse a byte";
        EXPECT_EQ(t->sim.board.eeprom().erasePulses(), effacements) << "by the routine, no erase";
        EXPECT_EQ(peek(c.eeprom + 0x0F), 0x0F);
        EXPECT_EQ(peek(c.eeprom + 0x20), 0xFF);
        for (int a = 0x0100; a < c.finRam; ++a)
            ASSERT_EQ(peek(a), avant[std::size_t(a)]) << "the RAM the routine borrowed, at " << a;
        EXPECT_TRUE(messages().isEmpty());
        EXPECT_TRUE(t->session.liaison.talkerPresent);
    }
}

// A record damaged on the line: the routine lets the rest of it go by, says
// so, and programs it when the host sends it again; nothing else is written
// twice, and the RAM is put back.
TEST_F(Programmation, ARecordDamagedOnTheLineIsSentAgain) {
    demarrer("68HC11F1");
    fichier(enregistrementsEspaces(0xFE00));
    // The fifth byte of the record at $FE20 (count, address, bytes), once.
    const QByteArray avantLui = QByteArray::fromHex("10FE2010111213");
    bool abime = false;
    t->ligne.alterer = [&](quint8 o) {
        if (abime || !t->ligne.envoyes.endsWith(avantLui)) return o;
        abime = true;
        return quint8(o ^ 0x40);
    };
    const auto avant = t->memoire();
    const uint64_t impulsions = t->sim.board.eeprom().programPulses();
    const BilanProgrammation b = ProgS19(t->session);
    EXPECT_TRUE(abime);
    EXPECT_TRUE(b.reussi()) << messages().join(u'\n').toStdString();
    for (int a = 0; a < 96; ++a)
        ASSERT_EQ(peek(0xFE00 + (a / 16) * 0x20 + a % 16), (a / 16) * 0x10 + a % 16) << a;
    EXPECT_EQ(t->sim.board.eeprom().programPulses() - impulsions, 96u);
    for (int a = 0x0100; a < 0x0400; ++a)
        ASSERT_EQ(peek(a), avant[std::size_t(a)]) << "the RAM the routine borrowed, at " << a;
    EXPECT_TRUE(t->session.liaison.talkerPresent);
}

// Reprogramming with only the changed bytes: the range of each record is read,
// and only the byte that differs is written, leaving the same image as a
// full programming of the new file.
TEST_F(Programmation, ChangedOnlyWritesTheBytesThatDiffer) {
    demarrer("68HC11F1");
    QByteArray texte = exemple();
    fichier(texte);
    ASSERT_TRUE(ProgS19(t->session).reussi());
    // LDAB #$10 becomes LDAB #$20 (the delay's count), at $FE1E.
    const QByteArray avant = ligneS1(0xFE10, QByteArray::fromHex("018D0A20F2B601004CB7010039C6105A"));
    const QByteArray apres = ligneS1(0xFE10, QByteArray::fromHex("018D0A20F2B601004CB7010039C6205A"));
    ASSERT_TRUE(texte.contains(avant.trimmed()));
    texte.replace(avant.trimmed(), apres.trimmed());
    fichier(texte);
    const auto ref = reference(texte);

    t->ligne.envoyes.clear();
    const BilanProgrammation b = ProgS19(t->session, true);
    EXPECT_TRUE(b.reussi());
    EXPECT_EQ(b.ecrits, 1);
    EXPECT_EQ(b.dejaBons, 34);
    ASSERT_EQ(t->ecritures().size(), 1);
    EXPECT_EQ(t->ecritures()[0].adresse, 0xFE1E);
    EXPECT_EQ(t->lectures().size(), 3) << "each record's range is read once";
    for (int a = 0xFE00; a < EspaceAdresses; ++a)
        ASSERT_EQ(peek(a), ref->peek(uint16_t(a))) << std::hex << a;
}

// Erase of the A1's 512 bytes at $B600: eight write exchanges of 64 bytes
// each, the bar at 100 with the last; No sends nothing.
TEST_F(Programmation, EraseWritesEightBlocksAfterYesAndNothingAfterNo) {
    demarrer("68HC11A1");
    for (int a = 0xB600; a < 0xB800; ++a)
        t->sim.board.poke(uint16_t(a), uint8_t(a));
    ecran().answers.enqueue(Reponse::Non);
    EXPECT_EQ(effacerEeprom(t->session), FinCommandeEffacement::NonConfirme);
    EXPECT_TRUE(t->ligne.envoyes.isEmpty());
    EXPECT_EQ(peek(0xB601), 0x01);
    EXPECT_EQ(t->session.console.CmdCourante, code::EraseEeprom);

    const auto avant = t->memoire();
    EXPECT_EQ(effacerEeprom(t->session), FinCommandeEffacement::Efface);
    for (int a = 0x0100; a < EspaceAdresses; ++a) {
        if (registre(a)) continue;
        ASSERT_EQ(peek(a), a >= 0xB600 && a < 0xB800 ? 0xFF : avant[std::size_t(a)]) << a;
    }
    const auto ecritures = t->ecritures();
    ASSERT_EQ(ecritures.size(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(ecritures[i].adresse, 0xB600 + 64 * i);
        EXPECT_EQ(ecritures[i].count, 64);
    }
    EXPECT_EQ(ecran().values["prgBarEtat"].last(), 100);
    EXPECT_TRUE(t->session.liaison.talkerPresent);
    // The A1's 256 bytes of RAM are the Talker's: no routine, and the trace says so.
    EXPECT_TRUE(ecran()
                    .text(Zone::Trace)
                    .contains(QStringLiteral("Effacement en un seul passage impossible (pas de RAM libre")));
}

// A block that BPROT guards (E1: bit 2, $B660-$B6DF) keeps the bulk erase
// from running (said) and stops the block erase at its first byte, named in the message; what came before
// stays erased, and no later block is sent. Cancel before a block sends nothing more.
TEST_F(Programmation, EraseStopsAtAProtectedByteOrOnCancel) {
    demarrer("68HC11E1");
    for (int a = 0xB600; a < 0xB800; ++a)
        t->sim.board.poke(uint16_t(a), 0x00);
    MSet(t->session, QStringLiteral("1035"), QByteArray(1, '\x04'));
    ASSERT_EQ(peek(0x1035), 0x04);
    t->ligne.envoyes.clear();
    EXPECT_EQ(EraseEEPROM(t->session), FinEffacement::Echec);
    EXPECT_EQ(messages(), QStringList{"Erreur FillERASE Adresse : B660"});
    EXPECT_TRUE(
        ecran().text(Zone::Trace).contains(QStringLiteral("(BPROT protège des blocs de l'EEPROM ($04))")));
    EXPECT_EQ(peek(0xB65F), 0xFF);
    EXPECT_EQ(peek(0xB660), 0x00);
    EXPECT_EQ(peek(0xB680), 0x00);
    EXPECT_EQ(t->ecritures().size(), 2);
    EXPECT_TRUE(t->session.liaison.talkerPresent);

    // Cancel while the first block is written (64 bytes take over a second,
    // after a 0.1 s pause): that block is finished, no other is sent.
    for (int a = 0xB600; a < 0xB800; ++a)
        t->sim.board.poke(uint16_t(a), 0x00);
    ecran().messages.clear();
    t->ligne.envoyes.clear();
    t->sim.horloge.after(0.6, [&] { t->session.demanderAnnulation(); });
    EXPECT_EQ(EraseEEPROM(t->session), FinEffacement::Annule);
    EXPECT_EQ(t->ecritures().size(), 1);
    EXPECT_EQ(peek(0xB63F), 0xFF);
    EXPECT_EQ(peek(0xB640), 0x00);
    EXPECT_TRUE(messages().isEmpty());
}

// The F1's whole EEPROM in one bulk-erase pulse by a routine in the RAM above
// the Talker: every byte $FF within 1.5 s of board time, one erase pulse and no
// programming one, the RAM it borrowed and the register set as they were, and
// no byte of the EEPROM written by the Talker.
TEST_F(Programmation, TheF1EraseIsOneBulkPulseAndLeavesRamAndRegistersAsTheyWere) {
    demarrer("68HC11F1");
    for (int a = 0xFE00; a <= 0xFFFF; ++a)
        t->sim.board.poke(uint16_t(a), uint8_t(a * 7));
    for (int a = 0x0100; a < 0x0400; ++a)
        t->sim.board.poke(uint16_t(a), uint8_t(a ^ 0x5A));
    const auto avant = t->memoire();
    const JeuRegistres registres = t->session.registres;
    const auto& eeprom = t->sim.board.eeprom();
    const uint64_t effacements = eeprom.erasePulses(), programmations = eeprom.programPulses();
    const double debut = t->sim.horloge.boardSeconds();

    EXPECT_EQ(EraseEEPROM(t->session), FinEffacement::Efface);
    EXPECT_LE(t->sim.horloge.boardSeconds() - debut, 1.5);
    EXPECT_EQ(eeprom.erasePulses() - effacements, 1u);
    EXPECT_EQ(eeprom.programPulses(), programmations);
    for (int a = 0x0100; a < EspaceAdresses; ++a) {
        if (registre(a)) continue;
        ASSERT_EQ(peek(a), a >= 0xFE00 ? 0xFF : avant[std::size_t(a)]) << a;
    }
    for (const Echange& e : t->ecritures())
        EXPECT_LT(e.adresse + e.count, 0xFE00) << e.adresse;
    EXPECT_EQ(t->session.registres.RegPC, registres.RegPC);
    EXPECT_EQ(t->session.registres.RegSP, registres.RegSP);
    EXPECT_EQ(ecran().values["prgBarEtat"].last(), 100);
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_TRUE(t->session.liaison.talkerPresent);
}

// An EEPROM whose last block would run past $FFFF: that block stops at $FFFF.
TEST_F(Programmation, TheLastEraseBlockNeverRunsPastFFFF) {
    demarrer("68HC11F1");
    t->session.config.DepartEEprom = 0xFFE0;
    t->session.config.TailleEeprom = 0x30;
    EXPECT_EQ(EraseEEPROM(t->session), FinEffacement::Efface);
    ASSERT_EQ(t->ecritures().size(), 1);
    EXPECT_EQ(t->ecritures()[0].count, 0x20);
    EXPECT_TRUE(t->session.liaison.talkerPresent);
}

// Vérifier *.S19 from the console: after programming, every byte in place
// (one read per run of 256 bytes); a byte changed behind the host's back is
// named in the trace and the message; a board that falls silent ends the
// verify with the address being read, never with "in place".
TEST_F(Programmation, VerifyReadsBackWhatWasProgrammedAndNamesWhatDiffers) {
    demarrer("68HC11F1");
    fichier(ligneS1(0xFE00, octets(200, 0)) + ligneS1(0xFEC8, octets(100, 0x40)) +
            ligneS1(0xFF80, octets(16, 0x80)));
    ASSERT_TRUE(ProgS19(t->session).reussi());
    const auto verifier = [&] {
        ecran().messages.clear();
        selectionnerCommande(t->session, code::VerifS19, QStringLiteral("V\u00e9rifier "));
        t->ligne.envoyes.clear();
        executerCommande(t->session);
    };
    verifier();
    EXPECT_EQ(messages(), QStringList{"V\u00e9rification : les 316 octets du programme sont en place."});
    EXPECT_EQ(t->lectures().size(), 3) << "FE00-FF2B in two reads, FF80-FF8F in one";
    EXPECT_TRUE(t->ecritures().isEmpty());

    ASSERT_TRUE(t->sim.board.poke(0xFF10, 0x77));
    verifier();
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(
        messages()[0].startsWith("V\u00e9rification : 1 octet(s) diff\u00e9rent(s) sur 316, le premier en "
                                 "FF10 (attendu 88, lu 77)"))
        << messages()[0].toStdString();
    EXPECT_TRUE(ecran().text(Zone::Trace).contains("Diff\u00e9rence FF10 : attendu 88, lu 77"));

    t->session.config.Timeout = 2000;
    t->sim.horloge.after(0.1, [&] { t->sim.board.holdReset(); });
    ecran().messages.clear();
    EXPECT_EQ(VerifS19(t->session).fin, BilanVerification::Fin::Echec);
    EXPECT_TRUE(messages().join(' ').contains("Erreur V\u00e9rification"))
        << messages().join('|').toStdString();
    EXPECT_FALSE(messages().join(' ').contains("en place"));
    EXPECT_EQ(ecran().panel("Talker"), "Pas de Talker");
}

// The example programs that drive the board's peripherals, started by the Talker as a
// user would (console Run at $FE00) on the simulated F1 with their image in the EEPROM:
// - examples/chenillard.asm moves its own stack and puts its OC2 handler in the RAM
//   pseudo-vector $00DC: the LEDs step, Stop still answers (the Talker's SCI interrupt
//   comes through), and a second Run starts it again;
// - examples/tension.asm polls the A/D converter: its bar follows PE0.
class ExampleUnderTalker : public ::testing::Test {
protected:
    void start(const char* image) {
        ASSERT_NO_FATAL_FAILURE(s.demarrerAvecExemple(image));
        run();
    }
    void run() {
        s.session.console.CmdAdresse = QStringLiteral("FE00");
        tessaline::Run(s.session);
        ASSERT_EQ(s.ecran.panel("Cible"), "Cible Tourne");
    }
    void attendre(double secondes) { Tempo(s.horloge, static_cast<float>(secondes)); }
    int leds() { return s.board.portPins(hc11::Port::B); }

    // The patterns port B shows over `secondes`, looked at every 50 ms.
    std::set<int> motifs(double secondes) {
        std::set<int> vus;
        for (double t = 0; t < secondes; t += 0.05) {
            attendre(0.05);
            vus.insert(leds());
        }
        return vus;
    }

    SimSession s{"68HC11F1", 8};
};

TEST_F(ExampleUnderTalker, ChaserStepsOnItsPseudoVectorAndStopStillWorks) {
    start("chenillard.s19");
    // One step every 200 ms: in 2 s all eight LEDs, one at a time.
    EXPECT_EQ(motifs(2.0), (std::set<int>{0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}));
    EXPECT_EQ(s.board.peek(0x00DC), 0x7E) << "JMP in the OC2 pseudo-vector";

    ASSERT_TRUE(cmdSTOP_Click(s.session));
    EXPECT_EQ(s.ecran.panel("Cible"), "Cible STOP");
    EXPECT_EQ(s.session.registres.RegSP, "03FF") << "stopped in its main loop, on its own stack";
    const int pc = HexaDec(s.session.registres.RegPC);
    EXPECT_GE(pc, 0xFE37);
    EXPECT_LE(pc, 0xFE41);
    const int arrete = leds();
    EXPECT_EQ(motifs(0.6), std::set<int>{arrete}) << "stopped: the OC2 interrupt is masked";

    // Run again: a fresh start at PB0, stepping again.
    run();
    attendre(0.1);
    EXPECT_EQ(leds(), 0x01);
    EXPECT_GE(motifs(0.5).size(), 2u);
    ASSERT_TRUE(cmdSTOP_Click(s.session));
    EXPECT_EQ(s.ecran.panel("Cible"), "Cible STOP");
}

TEST_F(ExampleUnderTalker, VoltmeterBarFollowsPE0) {
    start("tension.s19");
    for (const auto& [volts, bar] : {std::pair{5.0, 0xFF}, {2.5, 0x0F}, {0.0, 0x00}}) {
        s.board.setAnalogInput(0, volts);
        attendre(0.01);
        EXPECT_EQ(leds(), bar) << volts << " V";
    }
    ASSERT_TRUE(cmdSTOP_Click(s.session));
    EXPECT_EQ(s.ecran.panel("Cible"), "Cible STOP");
}

} // namespace

// CONFIG on the F1 through the windows' and the command line's operations: the
// COP switched on (NOCOP = 0) reads back as the old value until RESET (said as
// such, not as a failure), is checked at the next Load Talker, and then resets
// a program that runs in a normal mode without feeding it; switched off again,
// the same program runs on. Values that hide the EEPROM ask; security and bits
// the chip does not have are refused, and nothing is written.
TEST(Config, ProgrammedNocopTakesEffectAtResetAndIsCheckedAtTheReload) {
    SimSession s("68HC11F1", 8);
    s.session.config.carte() = *trouverProfil(profilsIntegres(), s.session.config.HardWare);
    s.adapter(QStringLiteral("8"), 9600);
    ComOpen(s.session);
    const auto recharger = [&] {
        s.board.resetBootstrap();
        ASSERT_EQ(LoadTalker(s.session), ResultatChargement::Charge);
    };
    // At the EEPROM's start: HPRIO's SMOD cleared (normal single-chip mode,
    // where the COP may reset the part), then a loop that never feeds it.
    const QByteArray boucle = QByteArray::fromHex("B6103C84BFB7103C20FE");
    const auto copApres = [&] {
        for (int i = 0; i < boucle.size(); ++i)
            s.board.poke(uint16_t(0xFE00 + i), uint8_t(boucle[i]));
        const unsigned avant = s.board.copResets();
        EXPECT_TRUE(RunProg(s.session));
        Tempo(s.horloge, 0.2f);
        return s.board.copResets() - avant;
    };
    ASSERT_EQ(LoadTalker(s.session), ResultatChargement::Charge);
    EXPECT_EQ(lireConfig(s.session).valeur, 0xFF);

    s.ecran.answers.enqueue(Reponse::Non);
    EXPECT_EQ(programmerConfig(s.session, 0xFE).fin, FinConfig::Refuse) << "EEON = 0 asks; No writes nothing";
    for (const int refusee : {0xF7, 0x1FF}) {
        const ResultatConfig r = programmerConfig(s.session, refusee);
        EXPECT_EQ(r.fin, FinConfig::Refuse);
    }
    EXPECT_EQ(s.board.eeprom().configCell(), 0xFF);

    s.ecran.messages.clear();
    const ResultatConfig p = programmerConfig(s.session, 0xFB);
    EXPECT_EQ(p.fin, FinConfig::Programme);
    EXPECT_EQ(p.valeur, 0xFF) << "the register still holds the copy taken at reset";
    ASSERT_EQ(s.ecran.messageTexts().size(), 1);
    EXPECT_TRUE(s.ecran.messageTexts()[0].contains("encore $FF, ce qui est normal"))
        << s.ecran.messageTexts()[0].toStdString();
    EXPECT_TRUE(s.ecran.messageTexts()[0].contains("Faites RESET, puis Load Talker"));

    recharger();
    EXPECT_TRUE(
        s.ecran.text(Zone::Trace).contains("CONFIG vaut $FB : la valeur programm\u00e9e est en place"));
    EXPECT_EQ(s.session.liaison.configProgrammee, -1);
    EXPECT_GE(copApres(), 1u);

    s.board.resetBootstrap();
    recharger();
    EXPECT_EQ(programmerConfig(s.session, 0xFF).fin, FinConfig::Programme);
    recharger();
    EXPECT_EQ(lireConfig(s.session).valeur, 0xFF);
    EXPECT_EQ(copApres(), 0u);
}
