// The whole real serial path: tessaline-sim on a pseudo-terminal, the
// command-line front end and its QSerialPort adapter on the other end, in real
// time: the Talker's download, writes into RAM and EEPROM, the dump and
// disassembly listings, and the exit status of a failure and of a usage error.
#include "pty_simulator.h"

#include <gtest/gtest.h>

using namespace tessaline;

TEST(PtyEndToEnd, CommandLineFrontEnd) {
    SimulateurPty sim({QStringLiteral("--chip"), QStringLiteral("68HC11E1")});
    ASSERT_FALSE(sim.esclave().isEmpty());

    const ResultatCli r =
        cli(sim.esclave(),
            {"--hardware", "68HC11E1", "--baud", "9600", "--timeout", "50",          "load-talker", "--",
             "fill",       "B600",     "3",      "5A",   "--",        "set",         "B603",        "1234",
             "--",         "dump",     "B600",   "8",    "--",        "disassemble", "0000"});
    EXPECT_EQ(r.code, 0) << r.erreurs.toStdString();
    EXPECT_TRUE(r.sortie.contains("Talker: Talker Charg\u00e9\nCible: Cible STOP\n"))
        << r.sortie.toStdString();
    EXPECT_TRUE(
        r.sortie.contains("B600 5A 5A 5A 12 34 FF FF FF                         ZZZ.4\u00ff\u00ff\u00ff\n"))
        << r.sortie.toStdString();
    EXPECT_TRUE(r.erreurs.contains("\tMemDump B600 0008 \n"));
    // The listing, like the dump, on standard output only.
    EXPECT_TRUE(r.sortie.contains("\n0000  \tCE1000\t\t\tLDX\t#$1000\n")) << r.sortie.toStdString();
    EXPECT_FALSE(r.erreurs.contains("LDX")) << r.erreurs.toStdString();

    // The Talker stays in the chip between runs: a failure is reported and
    // gives exit status 1.
    const ResultatCli echec = cli(sim.esclave(), {"--hardware", "68HC11E1", "--baud", "9600", "--timeout",
                                                  "50", "fill", "8000", "1", "55"});
    EXPECT_EQ(echec.code, 1);
    EXPECT_TRUE(echec.erreurs.contains("Tessaline: Erreur Fill Adresse : 8000"))
        << echec.erreurs.toStdString();

    const ResultatCli usage = cli(sim.esclave(), {"dump", "FE00"});
    EXPECT_EQ(usage.code, 2);
    EXPECT_EQ(usage.erreurs.count(u'\n'), 1);
}
