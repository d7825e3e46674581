// tessaline-sim --run takes only a regular S-record file of sane size with a data
// record: anything else is refused (exit 2) before a board is built. --help succeeds.
#include "sim/headless_run.h"
#include "sim/sim_options.h"
#include "sim/srecord_file.h"

#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace hc11::test {
namespace {

int run(const std::string& file, std::string& err) {
    SimOptions o;
    o.runFile = file;
    std::ostringstream out, errors;
    const int code = runHeadless(o, out, errors);
    err = errors.str();
    return out.str().empty() ? code : -1; // -1: something ran
}

TEST(SimRunInput, RefusesWhatIsNotASmallRegularSRecordFile) {
    const std::string dir = ::testing::TempDir() + "tessaline_run_" + std::to_string(::getpid());
    ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
    const std::string fifo = dir + "/fifo", big = dir + "/big", limit = dir + "/limit", header = dir + "/h";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream(big).close(), std::ofstream(limit).close();
    ASSERT_EQ(::truncate(big.c_str(), off_t(kMaxSRecordFileBytes) + 1), 0);
    ASSERT_EQ(::truncate(limit.c_str(), off_t(kMaxSRecordFileBytes)), 0);
    std::ofstream(header) << "S00600004844521B\nS9030000FC\n";

    std::string err;
    for (const std::string& refused : {dir, std::string("/dev/null"), fifo, big, header}) {
        EXPECT_EQ(run(refused, err), 2) << refused;
        EXPECT_NE(err.find(refused), std::string::npos) << err;
    }
    // Read whole, then found malformed: refused as well, as README says.
    EXPECT_EQ(run(limit, err), 2) << err;
    for (const std::string& f : {fifo, big, limit, header})
        ::unlink(f.c_str());
    ::rmdir(dir.c_str());
}

TEST(SimRunInput, HelpPrintsTheUsageAndSucceeds) {
    std::FILE* p = ::popen(TESSALINE_SIM " --help 2>/dev/null", "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[512];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        out.append(buf, n);
    EXPECT_EQ(::pclose(p), 0);
    EXPECT_EQ(out, kSimUsage);
}

} // namespace
} // namespace hc11::test
