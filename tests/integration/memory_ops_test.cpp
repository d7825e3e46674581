// Dump, fill, set and read of target memory through the Talker on the
// simulated board, checked against the board's memory itself.
#include "link/conversions.h"
#include "link/error_report.h"
#include "link/trace.h"
#include "operations/disassembly.h"
#include "operations/memory_read.h"
#include "operations/memory_write.h"
#include "operations/talker_link.h"
#include "scripted_session.h"
#include "sim_session.h"

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

class MemoryOps : public ::testing::Test {
protected:
    void demarrer(const char* puce = "68HC11F1") {
        s = std::make_unique<SimSession>(puce, 8);
        for (const ProfilMateriel& p : profilsIntegres())
            if (p.nom == QLatin1String(puce)) s->session.config.DepartEEprom = p.DepartEEprom;
        s->adapter(QStringLiteral("8"), 9600);
        ASSERT_TRUE(s->telecharger());
    }
    QStringList lignesMemoire() const {
        QStringList l = s->ecran.text(Zone::Memoire).split(QStringLiteral("\r\n"));
        l.removeLast();
        return l;
    }
    // The console's address, length and value fields.
    void champs(const QString& adresse, const QString& longueur, const QString& valeur = {}) {
        s->session.console.CmdAdresse = adresse;
        s->session.console.CmdLongueur = longueur;
        s->session.console.CmdValeur = valeur;
    }
    void dump(const QString& adresse, const QString& longueur) {
        champs(adresse, longueur);
        MemDump(s->session);
    }
    QStringList messages() const { return s->ecran.messageTexts(); }
    // The board's bytes from `adresse` on, in hex.
    QByteArray octets(int adresse, int n) const {
        QByteArray o;
        for (int i = 0; i < n; ++i)
            o.append(char(s->board.peek(uint16_t(adresse + i))));
        return o.toHex().toUpper();
    }
    // The console's address, length and value fields.
    QStringList console() const {
        const EtatConsole& c = s->session.console;
        return {c.CmdAdresse, c.CmdLongueur, c.CmdValeur};
    }
    std::unique_ptr<SimSession> s;
};

} // namespace

TEST_F(MemoryOps, DumpLengthZeroGives128BytesAndAdvances) {
    demarrer();
    dump(QStringLiteral("0000"), QStringLiteral("0000"));
    const QStringList l = lignesMemoire();
    ASSERT_EQ(l.size(), 8);
    EXPECT_TRUE(l[0].startsWith("0000 CE 10 00 DC FE "));
    EXPECT_TRUE(l[7].startsWith("0070 "));
    EXPECT_EQ(console(), (QStringList{"0080", "80", ""}));
    EXPECT_EQ(s->ecran.text(Zone::Echo), "MemDump 0080 80");
}

TEST_F(MemoryOps, DumpOf256OrMoreGives255BytesAndAShortLine) {
    demarrer();
    dump(QStringLiteral("0100"), QStringLiteral("0100"));
    const QStringList l = lignesMemoire();
    ASSERT_EQ(l.size(), 16);
    EXPECT_EQ(console(), (QStringList{"01F0", "FF", ""})) << "the short line does not move the address";
    // The short line keeps the columns: 15 bytes, 3 blanks for the 16th.
    EXPECT_EQ(l[15].size(), l[0].size() - 1);
    EXPECT_EQ(l[15].indexOf(u'.', 53), 53);
    dump(s->session.console.CmdAdresse, s->session.console.CmdLongueur);
    EXPECT_TRUE(lignesMemoire()[16].startsWith("01F0 ")) << "Execute again continues at the line reached";
}

TEST_F(MemoryOps, DumpWrapsFromFFC0ToZero) {
    demarrer();
    dump(QStringLiteral("FFC0"), QStringLiteral("80"));
    const QStringList l = lignesMemoire();
    ASSERT_EQ(l.size(), 8);
    const QStringList attendues = {"FFC0", "FFD0", "FFE0", "FFF0", "0000", "0010", "0020", "0030"};
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(l[i].startsWith(attendues[i] + u' ')) << l[i].toStdString();
    EXPECT_EQ(s->session.console.CmdAdresse, "0040");
}

TEST_F(MemoryOps, CharacterColumnShowsDotsBelow32AndCharactersAbove) {
    demarrer();
    for (int i = 0; i < 32; ++i)
        s->board.poke(uint16_t(0x0200 + i), uint8_t(i));
    for (int i = 0; i < 0x81; ++i)
        s->board.poke(uint16_t(0x0220 + i), uint8_t(0x7F + i));
    dump(QStringLiteral("0200"), QStringLiteral("00A1"));
    const QStringList l = lignesMemoire();
    EXPECT_EQ(l[0].mid(53), QString(16, u'.'));
    EXPECT_EQ(l[0].mid(5, 48), "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F ");
    EXPECT_EQ(l[2][53], QChar(0x7F)) << "$7F is its own character, not a dot";
    EXPECT_EQ(l[2][54], QChar(0x20AC)) << "$80 in the Windows code page";
    EXPECT_EQ(l[2][55], QChar(0x0081));
    EXPECT_EQ(l[4][53 + 15], QChar(0x00AE));
    EXPECT_EQ(l[10][53], QChar(0x00FF));
    for (const QString& ligne : l.mid(2))
        EXPECT_FALSE(ligne.mid(53).contains(u'.')) << ligne.toStdString();
}

TEST_F(MemoryOps, DumpTimeOutKeepsTheLinesWrittenAndTheAddress) {
    demarrer();
    // The board stops answering in the middle of the dump (0.3 s wait, then
    // about 2 ms a byte at 9600 baud).
    s->horloge.after(0.3 + 0.1, [&] { s->board.holdReset(); });
    dump(QStringLiteral("0000"), QStringLiteral("FF"));
    const QStringList l = lignesMemoire();
    EXPECT_GE(l.size(), 2);
    EXPECT_LT(l.size(), 15);
    EXPECT_EQ(console(), (QStringList{"0000", "FF", ""})) << "the address does not move";
    ASSERT_GE(messages().size(), 2);
    EXPECT_TRUE(messages()[0].contains("Sub : RecevoirComBINDec"));
    EXPECT_EQ(messages()[1], avecRemede(QStringLiteral("Erreur MemDump"), Remede::Liaison));
    EXPECT_EQ(s->ecran.panel("Talker"), "Pas de Talker") << "the check that follows finds no Talker";
}

// The line breaks in the middle of the dump (an adapter pulled out): the dump
// ends at once rather than after a time-out; the break is said once, with what
// to check, and the port and the link show what is left of them.
TEST_F(MemoryOps, DumpOnALineThatBreaksEndsAtOnce) {
    demarrer();
    double coupure = -1;
    s->horloge.after(0.3 + 0.1, [&] {
        coupure = s->horloge.boardSeconds();
        s->ligne.debrancher();
    });
    dump(QStringLiteral("0000"), QStringLiteral("FF"));
    ASSERT_GE(coupure, 0);
    EXPECT_LT(s->horloge.boardSeconds() - coupure, 0.05);
    ASSERT_EQ(messages().size(), 2) << messages().join(u'\n').toStdString();
    EXPECT_EQ(messages()[0], texteCoupure(QStringLiteral("Carte simul\u00e9e"), s->ligne.lastError()));
    EXPECT_TRUE(messages()[0].startsWith(QStringLiteral("Carte simul\u00e9e : la liaison est coup\u00e9e")));
    EXPECT_EQ(messages()[1], avecRemede(QStringLiteral("Erreur MemDump"), Remede::Liaison));
    EXPECT_EQ(s->ecran.panel("Com"), "Com Close");
    EXPECT_EQ(s->ecran.panel("Talker"), "Pas de Talker");
}

TEST_F(MemoryOps, FillAndSetInRamAndEeprom) {
    demarrer();
    EtatConsole& c = s->session.console;
    champs(QStringLiteral("0300"), QStringLiteral("0000"), QStringLiteral("5A"));
    MemFill(s->session);
    EXPECT_EQ(c.CmdLongueur, "40");
    EXPECT_EQ(octets(0x300, 0x41), QByteArray(0x40, 'Z').toHex().toUpper() + "00");
    champs(QStringLiteral("0100"), QStringLiteral("01FF"), QStringLiteral("5A")); // 256 or more: 255 bytes
    MemFill(s->session);
    EXPECT_EQ(c.CmdLongueur, "FF");
    EXPECT_EQ(octets(0x01FE, 2), "5A00");

    champs(QString(), QStringLiteral("0003")); // empty: the EEPROM start and 00
    MemFill(s->session);
    EXPECT_EQ(console().at(0) + console().at(2), "FE0000") << "the address and the value";
    EXPECT_EQ(octets(0xFE00, 4), "000000FF");

    champs(QStringLiteral("FE10"), QStringLiteral("0010"), QStringLiteral("1234"));
    MemSet(s->session);
    EXPECT_EQ(octets(0xFE10, 3), "1234FF") << "a word is two bytes, whatever the length";
    EXPECT_EQ(c.CmdLongueur, QString()) << "MemSet empties the length";

    champs(QStringLiteral("0310"), c.CmdLongueur, QStringLiteral("07"));
    MemSet(s->session);
    EXPECT_EQ(octets(0x0310, 2), "075A");
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(MemoryOps, FillFailuresNameTheFailingAddress) {
    demarrer("68HC11A1");
    // Across the end of the A1's EEPROM: the third byte lands where nothing is.
    FillMem(s->session, 4, QStringLiteral("B7FE"), QStringLiteral("55"));
    ASSERT_EQ(messages().size(), 1);
    EXPECT_EQ(messages()[0], "Erreur Fill Adresse : B800");
    EXPECT_EQ(s->board.peek(0xB7FF), 0x55) << "the bytes before the failure stay written";
    EXPECT_EQ(s->ecran.panel("Talker"), "Talker Charg\u00e9") << "the check after it finds the Talker";
    for (int a = 0xB600; a < 0xB7FE; ++a)
        ASSERT_EQ(s->board.peek(uint16_t(a)), 0xFF) << "the check's command byte was written nowhere: " << a;

    FillMem(s->session, 1, QStringLiteral("BFC0"), QStringLiteral("12"));
    EXPECT_EQ(messages().last(), "Erreur Fill Adresse : BFC0") << "the boot ROM does not take it";
    FillMem(s->session, 2, QStringLiteral("8000"), QStringLiteral("34"));
    EXPECT_EQ(messages().last(), "Erreur Fill Adresse : 8000");
    MSet(s->session, QStringLiteral("8000"), QByteArray("\x42\x43", 2));
    EXPECT_EQ(messages().last(), "Erreur MSET");
}

TEST_F(MemoryOps, LoadMemReadsAtMost64Bytes) {
    demarrer();
    const QString t = LoadMem(s->session, QStringLiteral("0000"), 100);
    EXPECT_EQ(t.size(), 128);
    EXPECT_TRUE(t.startsWith("CE1000DCFE"));
    EXPECT_EQ(LoadMem(s->session, QStringLiteral("FE00"), 1), "FF");
}

TEST_F(MemoryOps, DisassemblyListsSixteenBytesAcrossFFFF) {
    demarrer();
    s->session.console.CmdAdresse = QStringLiteral("FFFC");
    Disassemble(s->session);
    const QString trace = s->ecran.text(Zone::Trace);
    // Erased EEPROM up to $FFFF, then the Talker's code from $0000.
    EXPECT_TRUE(trace.contains("\t\t  <==  FFFC  \tFFFFFF\t\t\tSTX\t$FFFF\r\n"));
    EXPECT_TRUE(trace.contains("\t\t  <==  FFFF  \tFFCE10\t\t\tSTX\t$CE10\r\n"));
    EXPECT_TRUE(trace.contains("\t\t  <==  000B  \t8E00E8\t\t\tLDS\t#$00E8\r\n"));
    EXPECT_EQ(s->session.console.CmdAdresse, "000E") << "whole instructions until 16 bytes are covered";
    EXPECT_EQ(s->ecran.text(Zone::Echo), "Disassemble 000E");
}

TEST(MemoryOpsWire, ACountOfZeroNeverReachesTheWire) {
    ScriptedSession s("9600,N,8,1");
    Session& session = s.session;
    FillMem(session, 0, QStringLiteral("0000"), QStringLiteral("12"));
    FillMem(session, 256, QStringLiteral("0000"), QStringLiteral("12"));
    MSet(session, QStringLiteral("0000"), QByteArray());
    EXPECT_EQ(LoadMem(session, QStringLiteral("0000"), 0), QString());
    EXPECT_TRUE(s.ligne.envoyes.isEmpty());
    EXPECT_TRUE(s.ecran.messages.isEmpty());
}

TEST_F(MemoryOps, WritesThatWouldRunPastFFFFAreRefusedBeforeAnythingIsSent) {
    demarrer();
    const Memoire avant = instantane(s->board);

    EtatConsole& c = s->session.console;
    champs(QStringLiteral("FFF0"), QStringLiteral("0020"), QStringLiteral("AA"));
    MemFill(s->session);
    champs(QStringLiteral("FFFF"), c.CmdLongueur, QStringLiteral("1234"));
    MemSet(s->session);
    EXPECT_EQ(
        messages(),
        QStringList({QStringLiteral("Ecriture refus\u00e9e : de FFF0 \u00e0 1000F, au-del\u00e0 de FFFF"),
                     QStringLiteral("Ecriture refus\u00e9e : de FFFF \u00e0 10000, au-del\u00e0 de FFFF")}));
    // Everything but the register block, where the free-running timer counts.
    for (int a = 0; a < 0x10000; ++a) {
        if (a >= 0x1000 && a < 0x1060) continue;
        ASSERT_EQ(s->board.peek(uint16_t(a)), avant[std::size_t(a)]) << "written at " << a;
    }

    // A write that ends at $FFFF itself is no wrap: it goes out.
    MSet(s->session, QStringLiteral("FFFF"), QByteArray(1, '\x00'));
    EXPECT_EQ(messages().filter(QStringLiteral("refus")).size(), 2);
}
