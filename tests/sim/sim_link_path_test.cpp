// tessaline-sim --link PATH: the simulator makes PATH only where nothing is, or over a
// stale link to a terminal that is gone, and at exit removes only the link it made.
#include "sim/pty_endpoint.h"
#include "sim/pty_link.h"
#include "sim_process.h"

#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include <gtest/gtest.h>

namespace hc11::test {
namespace {

using namespace std::chrono_literals;

class SimLinkPath : public ::testing::Test {
protected:
    void SetUp() override {
        dir = ::testing::TempDir() + "tessaline_link_" + std::to_string(::getpid());
        ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
        path = dir + "/board";
    }
    void TearDown() override {
        ::unlink(path.c_str());
        ::rmdir((dir + "/sub").c_str());
        ::rmdir(dir.c_str());
    }
    static std::string target(const std::string& p) {
        char buf[256] = {};
        return ::readlink(p.c_str(), buf, sizeof buf - 1) > 0 ? buf : "";
    }
    static std::string contents(const std::string& p) {
        std::ostringstream s;
        s << std::ifstream(p).rdbuf();
        return s.str();
    }
    static bool present(const std::string& p) {
        struct stat st {};
        return ::lstat(p.c_str(), &st) == 0;
    }
    std::string dir, path;
};

TEST_F(SimLinkPath, TheSimulatorLeavesWhatIsNotItsOwnAlone) {
    // A user's file: refused at once with exit 2, and left as it was.
    std::ofstream(path) << "notes\n";
    {
        ChildProcess sim({TESSALINE_SIM, "--link", path});
        sim.closeInput();
        EXPECT_EQ(sim.exitCode(5s), 2);
        EXPECT_NE(sim.errorText().find(path), std::string::npos);
    }
    EXPECT_EQ(contents(path), "notes\n");
    ::unlink(path.c_str());

    // A second simulator on the same path is refused; the first keeps its link, and
    // removes it when it ends.
    ChildProcess first({TESSALINE_SIM, "--link", path});
    const std::string slave = first.firstLine(5s);
    ASSERT_TRUE(isPtsPath(slave)) << slave;
    ASSERT_EQ(target(path), slave);
    {
        ChildProcess second({TESSALINE_SIM, "--link", path});
        EXPECT_EQ(second.exitCode(5s), 2);
        EXPECT_EQ(second.firstLine(100ms), "") << "the second one never ran";
    }
    EXPECT_EQ(target(path), slave);
    first.closeInput();
    EXPECT_EQ(first.exitCode(5s), 0);
    EXPECT_FALSE(present(path));
}

TEST_F(SimLinkPath, OnlyAStaleTerminalLinkIsReplaced) {
    PtyEndpoint pty;
    std::string error;
    ASSERT_TRUE(pty.open(error)) << error;

    // Refused, and untouched: a directory, a link to something that is not a terminal
    // (dangling or not), a link to a terminal in use.
    ASSERT_EQ(::mkdir((dir + "/sub").c_str(), 0700), 0);
    EXPECT_EQ(pty.link(dir + "/sub", error), PtyLink::Result::Refused);
    for (const std::string& other : {dir + "/nowhere", std::string("/dev/null"), pty.slavePath()}) {
        ASSERT_EQ(::symlink(other.c_str(), path.c_str()), 0);
        EXPECT_EQ(pty.link(path, error), PtyLink::Result::Refused) << other;
        EXPECT_EQ(target(path), other);
        ::unlink(path.c_str());
    }
    EXPECT_EQ(pty.link(dir + "/missing/board", error), PtyLink::Result::Failed);

    // A link a killed simulator left to a terminal that is gone is taken over.
    ASSERT_EQ(::symlink("/dev/pts/999999", path.c_str()), 0);
    ASSERT_EQ(pty.link(path, error), PtyLink::Result::Made) << error;
    EXPECT_EQ(target(path), pty.slavePath());
}

TEST_F(SimLinkPath, AtExitOnlyTheLinkItMadeIsRemoved) {
    const std::string slave = "/dev/pts/999998";
    PtyLink link;
    std::string error;
    // Replaced by the user with a link elsewhere or a file: not its link any more.
    for (const bool file : {false, true}) {
        ASSERT_EQ(link.make(path, slave, error), PtyLink::Result::Made) << error;
        ::unlink(path.c_str());
        if (file)
            std::ofstream(path) << "x";
        else
            ASSERT_EQ(::symlink("/dev/null", path.c_str()), 0);
        link.remove();
        EXPECT_TRUE(present(path)) << file;
        ::unlink(path.c_str());
    }
    ASSERT_EQ(link.make(path, slave, error), PtyLink::Result::Made) << error;
    link.remove();
    EXPECT_FALSE(present(path));
}

} // namespace
} // namespace hc11::test
