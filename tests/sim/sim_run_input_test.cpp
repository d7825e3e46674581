// What tessaline-sim refuses to run: --run takes a regular S-record file of sane size
// with at least one data record; anything else is refused with a message and exit 2
// before a board is built. --help prints the usage and succeeds.
#include "sim/headless_run.h"
#include "sim/sim_options.h"
#include "sim/srecord_file.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace hc11::test {
namespace {

// A file of `size` zero bytes (sparse: it costs no disk).
void sizedFile(const std::string& path, off_t size) {
    std::ofstream{path};
    ASSERT_EQ(::truncate(path.c_str(), size), 0) << path;
}

TEST(SimRunInput, RefusesWhatIsNotASmallRegularSRecordFile) {
    const std::string dir = ::testing::TempDir() + "tessaline_run_input_" + std::to_string(::getpid());
    ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
    const std::string big = dir + "/big.s19";
    sizedFile(big, off_t(kMaxSRecordFileBytes) + 1);
    const std::string headerOnly = dir + "/header.s19";
    std::ofstream(headerOnly) << "S00600004844521B\nS9030000FC\n";
    const std::string fifo = dir + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    for (const std::string& path :
         {dir, std::string("/dev/null"), std::string("/dev/zero"), fifo, big, headerOnly}) {
        SimOptions o;
        o.runFile = path;
        std::ostringstream out, err;
        EXPECT_EQ(runHeadless(o, out, err), 2) << path;
        EXPECT_EQ(out.str(), "") << path << ": nothing ran";
        EXPECT_NE(err.str().find(path), std::string::npos) << err.str();
    }

    // At the limit a file is read whole.
    const std::string limit = dir + "/limit.s19";
    sizedFile(limit, off_t(kMaxSRecordFileBytes));
    std::string text, error;
    EXPECT_EQ(readSRecordFile(limit, text, error), SRecordFileRead::Read) << error;
    EXPECT_EQ(text.size(), kMaxSRecordFileBytes);
    EXPECT_EQ(readSRecordFile(dir + "/missing.s19", text, error), SRecordFileRead::Unreadable);

    for (const std::string& f : {big, headerOnly, fifo, limit})
        ::unlink(f.c_str());
    ::rmdir(dir.c_str());
}

TEST(SimRunInput, HelpPrintsTheUsageAndSucceeds) {
    std::string error;
    const std::vector<std::string_view> args{"--help"};
    const auto o = parseSimOptions(args, error);
    ASSERT_TRUE(o) << error;
    EXPECT_TRUE(o->help);

    std::FILE* p = ::popen(TESSALINE_SIM " --help 2>/dev/null", "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[512];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        out.append(buf, n);
    const int status = ::pclose(p);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(out, std::string(kSimUsage) + "\n");
}

} // namespace
} // namespace hc11::test
