// Fifty times in a row: a fresh tessaline-sim, nobody pressing RESET, then tessaline-cli
// downloading the Talker through the simulator's pseudo-terminal and dumping the EEPROM.
// The board must leave reset once the command line has opened the port for the
// download, every time: with a working rate other than the boot rate (one open at the
// boot rate) and equal to it (two opens in a row), in real and in virtual time. At
// 16 MHz the boot rate is 2400 baud, so each run takes under two seconds.
#include "sim/pty_link.h"
#include "sim_process.h"

#include <cstdio>

#include <gtest/gtest.h>

namespace hc11::test {
namespace {

using namespace std::chrono_literals;

TEST(SimCliDownloadRuns, FiftyLoadsInARowWithoutReset) {
    const std::string settings = ::testing::TempDir() + "tessaline_download_runs_" +
                                 std::to_string(::getpid()) + ".ini"; // never written: the defaults
    const std::string dump = "FE00 FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF";
    int passed = 0;
    const auto t0 = std::chrono::steady_clock::now();
    for (int run = 0; run < 50; ++run) {
        const bool fast = run % 2 == 1;
        const std::string baud = run % 4 < 2 ? "9600" : "2400";
        SCOPED_TRACE("run " + std::to_string(run) + (fast ? " --fast" : "") + " --baud " + baud);
        std::vector<std::string> simArgs{TESSALINE_SIM, "--quartz", "16"};
        if (fast) simArgs.push_back("--fast");
        ChildProcess sim(simArgs);
        const std::string slave = sim.firstLine(5s);
        ASSERT_TRUE(isPtsPath(slave)) << slave;

        ChildProcess cli({TESSALINE_CLI, "--settings", settings, "--port", slave, "--quartz", "16", "--baud",
                          baud, "--timeout", "20", "load-talker", "--", "dump", "FE00", "10"});
        const int code = cli.exitCode(15s);
        EXPECT_EQ(code, 0) << (code == ChildProcess::kStillRunning ? "hung" : cli.errorText());
        const std::string out = code == ChildProcess::kStillRunning ? "" : cli.outputText();
        EXPECT_NE(out.find("Talker: Talker Charg\u00e9\n"), std::string::npos) << out;
        EXPECT_NE(out.find(dump), std::string::npos) << out;
        sim.closeInput();
        EXPECT_EQ(sim.exitCode(5s), 0);
        if (::testing::Test::HasFailure()) break;
        ++passed;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_EQ(passed, 50);
    ::testing::Test::RecordProperty("seconds", std::to_string(seconds));
    std::printf("%d of 50 downloads in %.1f s\n", passed, seconds);
}

} // namespace
} // namespace hc11::test
