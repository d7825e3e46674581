// tessaline-sim --link PATH makes PATH only where nothing is, or over a stale link to a
// terminal that is gone, and at exit removes only a link still pointing at its terminal.
#include "sim/pty_endpoint.h"

#include <fstream>
#include <optional>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace hc11::test {
namespace {

std::string target(const std::string& p) {
    char buf[256] = {};
    return ::readlink(p.c_str(), buf, sizeof buf - 1) > 0 ? buf : "";
}

// tessaline-sim with standard input closed: it ends as soon as it has started.
int simulatorExit(const std::string& link) {
    const int status = std::system((TESSALINE_SIM " --link " + link + " </dev/null >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SimLinkPath, TakesOnlyNothingOrAStaleTerminalLinkAndRemovesOnlyItsOwn) {
    const std::string path = ::testing::TempDir() + "tessaline_link_" + std::to_string(::getpid());
    std::ofstream(path) << "notes\n";
    EXPECT_EQ(simulatorExit(path), 2);
    EXPECT_EQ((std::ostringstream() << std::ifstream(path).rdbuf()).str(), "notes\n") << "the user's file";
    ::unlink(path.c_str());

    std::optional<PtyEndpoint> first(std::in_place);
    std::string error;
    ASSERT_TRUE(first->open(error)) << error;
    ASSERT_EQ(first->link(path, error), PtyLink::Result::Made) << error;
    EXPECT_EQ(simulatorExit(path), 2) << "a second simulator on a live link";
    EXPECT_EQ(target(path), first->slavePath());
    // Links to what is not a terminal, dangling or not, are refused and left; so is, at
    // the first simulator's exit, the link the user put in place of its own.
    for (const std::string& other : {path + ".nowhere", std::string("/dev/null")}) {
        ::unlink(path.c_str());
        ASSERT_EQ(::symlink(other.c_str(), path.c_str()), 0);
        EXPECT_EQ(simulatorExit(path), 2) << other;
        first.reset();
        EXPECT_EQ(target(path), other);
    }
    // A link a killed simulator left, to a terminal that is gone or that this one now
    // holds, is taken and cleared.
    PtyEndpoint next;
    ASSERT_TRUE(next.open(error)) << error;
    for (const std::string& stale : {next.slavePath(), std::string("/dev/pts/999999")}) {
        ::unlink(path.c_str());
        ASSERT_EQ(::symlink(stale.c_str(), path.c_str()), 0);
        EXPECT_EQ(next.link(path, error), PtyLink::Result::Made) << stale;
        EXPECT_EQ(target(path), next.slavePath());
    }
    ::unlink(path.c_str());
    ASSERT_EQ(::symlink("/dev/pts/999999", path.c_str()), 0);
    EXPECT_EQ(simulatorExit(path), 0);
    EXPECT_EQ(target(path), "") << "removed at exit";
}

} // namespace
} // namespace hc11::test
