#include "srecord_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hc11 {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

std::string tooLarge(const std::string& path) {
    return path + " is larger than " + std::to_string(kMaxSRecordFileBytes / 1024) +
           " KB: not an S-record file for a 64 KB address space";
}

} // namespace

SRecordFileRead readSRecordFile(const std::string& path, std::string& text, std::string& error) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer; the type is checked below.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return SRecordFileRead::Unreadable;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return SRecordFileRead::Unreadable;
    }
    if (!S_ISREG(st.st_mode)) {
        error = path + " is not a regular file";
        return SRecordFileRead::Refused;
    }
    if (std::size_t(st.st_size) > kMaxSRecordFileBytes) {
        error = tooLarge(path);
        return SRecordFileRead::Refused;
    }
    // The size can change while reading, and some files report none: the limit holds
    // on what is read, not on what stat said.
    text.clear();
    char buf[16384];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = "cannot read " + path + ": " + std::strerror(errno);
            return SRecordFileRead::Unreadable;
        }
        if (n == 0) return SRecordFileRead::Read;
        if (text.size() + std::size_t(n) > kMaxSRecordFileBytes) {
            error = tooLarge(path);
            return SRecordFileRead::Refused;
        }
        text.append(buf, std::size_t(n));
    }
}

} // namespace hc11
