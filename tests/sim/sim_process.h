// Runs a built program (tessaline-sim, tessaline-cli) as a child process for a test:
// standard input a pipe that the test closes to end a simulator, standard output read
// line by line, standard error collected.
#pragma once

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace hc11::test {

class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& argv) {
        int in[2], out[2], err[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t fa;
        ::posix_spawn_file_actions_init(&fa);
        ::posix_spawn_file_actions_adddup2(&fa, in[0], STDIN_FILENO);
        ::posix_spawn_file_actions_adddup2(&fa, out[1], STDOUT_FILENO);
        ::posix_spawn_file_actions_adddup2(&fa, err[1], STDERR_FILENO);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        if (::posix_spawn(&pid_, args[0], &fa, nullptr, args.data(), environ) != 0) pid_ = -1;
        ::posix_spawn_file_actions_destroy(&fa);
        ::close(in[0]);
        ::close(out[1]);
        ::close(err[1]);
        in_ = in[1];
        out_ = out[0];
        err_ = err[0];
    }
    ~ChildProcess() {
        if (pid_ > 0 && exitCode(std::chrono::seconds(5)) == kStillRunning) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        for (int fd : {in_, out_, err_})
            if (fd >= 0) ::close(fd);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    static constexpr int kStillRunning = -1000;

    // The first line of standard output ("" if none came in `timeout`).
    std::string firstLine(std::chrono::milliseconds timeout) {
        std::string line;
        const auto end = std::chrono::steady_clock::now() + timeout;
        char c = 0;
        while (std::chrono::steady_clock::now() < end) {
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            if (::read(out_, &c, 1) != 1 || c == '\n') return line;
            line += c;
        }
        return line;
    }
    // Closes standard input: a simulator ends.
    void closeInput() {
        if (in_ >= 0) ::close(in_);
        in_ = -1;
    }
    // The exit status (-signal when killed), or kStillRunning after `timeout`.
    int exitCode(std::chrono::milliseconds timeout) {
        if (done_) return code_;
        const auto end = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                done_ = true;
                code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
                return code_;
            }
            if (std::chrono::steady_clock::now() >= end) return kStillRunning;
            ::usleep(2000);
        }
    }
    // Everything written on standard error or output (call once the process has ended).
    std::string errorText() { return drain(err_); }
    std::string outputText() { return drain(out_); }
    pid_t pid() const { return pid_; }

private:
    static std::string drain(int fd) {
        std::string text;
        char buf[512];
        for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
            text.append(buf, std::size_t(n));
        return text;
    }

    pid_t pid_ = -1;
    int in_ = -1, out_ = -1, err_ = -1;
    bool done_ = false;
    int code_ = kStillRunning;
};

} // namespace hc11::test
