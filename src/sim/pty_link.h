// The --link path: a symbolic link to the board's pseudo-terminal, so that a host can
// be configured with a fixed name. The simulator owns only the link it made:
// - it makes the link only where nothing exists, or over a stale link, that is a
//   symbolic link to a /dev/pts/N that no longer exists or is the terminal this
//   simulator has just opened (left by a simulator that was killed before it could
//   clean up; the kernel hands out the lowest free number again). Nothing else can be using such a link,
//   whereas a regular file, a directory or a link to anything else may be the user's own, and a link to a
//   terminal that exists may be another simulator's, live: all are refused;
// - at exit it removes the path only if it is still a symbolic link to its own terminal
//   (the user may have replaced it meanwhile).
// An old link that names a number another program now holds is refused too: the user
// removes it by hand.
#pragma once

#include <string>

namespace hc11 {

class PtyLink {
public:
    enum class Result {
        Made,
        Refused, // something is at the path that is not a stale link
        Failed,  // the link could not be made (no such directory, no permission...)
    };

    PtyLink() = default;
    ~PtyLink() { remove(); }
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    // Makes `path` a symbolic link to `target` (a /dev/pts/N). On failure `error` is one
    // line naming the path.
    Result make(const std::string& path, const std::string& target, std::string& error);
    // Removes the link if it is still a symbolic link to the target; forgets it either
    // way.
    void remove();

private:
    std::string path_;
    std::string target_;
};

// True when `target` names a pseudo-terminal slave ("/dev/pts/" then digits).
bool isPtsPath(const std::string& target);

} // namespace hc11
