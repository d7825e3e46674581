// Many short command-line runs in a row against one simulated board over a
// pseudo-terminal, as a script driving a real board would make them. Each run
// opens the port, talks to the Talker and closes the port again: a byte still
// queued at the close (the last handshake of a register read) would leave the
// Talker waiting in the middle of an exchange, and the next run would fail.
#include "pty_simulator.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace tessaline;

namespace {

// The options every run gives: the board's chip, a working rate above the boot
// rate (so that each run also proves the port reopened at the right one), and a
// short time-out so that a failure costs seconds, not minutes.
const QStringList Options = {"--hardware", "68HC11E1", "--baud", "9600", "--timeout", "30"};

} // namespace

TEST(CliRunsInARow, TwoHundredShortRunsAllSucceed) {
    SimulateurPty sim({QStringLiteral("--chip"), QStringLiteral("68HC11E1")});
    ASSERT_FALSE(sim.esclave().isEmpty());
    const ResultatCli charge = cli(sim.esclave(), Options + QStringList{"load-talker"});
    ASSERT_EQ(charge.code, 0) << charge.erreurs.toStdString();

    // Stopped in the Talker: the PC shown is the EEPROM start of the E1.
    const QRegularExpression registres(QStringLiteral("^PC=B600 A=[0-9A-F]{2} .* SP=00E8\n$"));
    int echecs = 0;
    for (int i = 0; i < 200 && echecs < 3; ++i) {
        // The value written by a "set" is read back by the next "dump".
        const QString valeur = QStringLiteral("%1").arg(i & 0xFF, 2, 16, QChar(u'0')).toUpper();
        ResultatCli r{};
        bool juste = false;
        switch (i % 4) {
        case 0:
            r = cli(sim.esclave(), Options + QStringList{"test-talker"});
            juste = r.sortie == QStringLiteral("Talker: Talker Charg\u00e9\nCible: Cible STOP\n");
            break;
        case 1:
            r = cli(sim.esclave(), Options + QStringList{"regs"});
            juste = registres.match(r.sortie).hasMatch();
            break;
        case 2:
            r = cli(sim.esclave(), Options + QStringList{"set", "0180", valeur});
            juste = r.sortie.isEmpty();
            break;
        case 3: {
            const QString ecrite = QStringLiteral("%1").arg((i - 1) & 0xFF, 2, 16, QChar(u'0')).toUpper();
            r = cli(sim.esclave(), Options + QStringList{"dump", "0180", "1"});
            juste = r.sortie.startsWith(QStringLiteral("0180 ") + ecrite + u' ');
            break;
        }
        }
        if (r.code != 0 || !juste) {
            ++echecs;
            ADD_FAILURE() << "run " << i << " exit " << r.code << "\n"
                          << r.sortie.toStdString() << r.erreurs.toStdString();
        }
    }
    EXPECT_EQ(echecs, 0);
}
