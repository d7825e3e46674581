#include "pty_link.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace hc11 {

namespace {

constexpr std::string_view kPtsDirectory = "/dev/pts/";

std::optional<std::string> linkTarget(const std::string& path) {
    char buf[4096];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
    if (n < 0 || std::size_t(n) >= sizeof buf) return std::nullopt;
    return std::string(buf, std::size_t(n));
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 || errno != ENOENT;
}

std::string refusal(const std::string& path, const std::string& why) {
    return path + " already exists (" + why + "): remove it or give --link another path";
}

} // namespace

bool isPtsPath(const std::string& target) {
    if (target.size() <= kPtsDirectory.size() || !target.starts_with(kPtsDirectory)) return false;
    for (std::size_t i = kPtsDirectory.size(); i < target.size(); ++i)
        if (target[i] < '0' || target[i] > '9') return false;
    return true;
}

PtyLink::Result PtyLink::make(const std::string& path, const std::string& target, std::string& error) {
    remove();
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            error = refusal(path, "not a link to a terminal");
            return Result::Refused;
        }
        const auto old = linkTarget(path);
        if (!old || !isPtsPath(*old)) {
            error = refusal(path, "a link to " + old.value_or("?") + ", not to a terminal");
            return Result::Refused;
        }
        // A terminal number is reused as soon as it is free: a link to the very terminal
        // this simulator just opened was left by one that is gone.
        if (*old != target && exists(*old)) {
            error = refusal(path, "a link to " + *old + ", a terminal in use");
            return Result::Refused;
        }
        // A stale link. If another simulator replaces it meanwhile, symlink() below
        // fails with EEXIST and this one refuses.
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
            error = "cannot remove the stale link " + path + ": " + std::strerror(errno);
            return Result::Failed;
        }
    } else if (errno != ENOENT) {
        error = "cannot use " + path + ": " + std::strerror(errno);
        return Result::Failed;
    }
    if (::symlink(target.c_str(), path.c_str()) != 0) {
        if (errno == EEXIST) {
            error = refusal(path, "made by someone else just now");
            return Result::Refused;
        }
        error = "cannot make the link " + path + ": " + std::strerror(errno);
        return Result::Failed;
    }
    path_ = path;
    target_ = target;
    return Result::Made;
}

void PtyLink::remove() {
    if (path_.empty()) return;
    struct stat st {};
    // A link that still names this terminal is this simulator's: nobody else can use it
    // once the terminal is gone.
    if (::lstat(path_.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && linkTarget(path_) == target_)
        ::unlink(path_.c_str());
    path_.clear();
}

} // namespace hc11
