// Reading an S-record file for a headless run. The file must be a regular file (not a
// directory, a device or a pipe) and no larger than kMaxSRecordFileBytes: an S19 image
// of the whole 64 KB address space is about 180 KB with 16 data bytes per record and
// 900 KB with one, so anything larger is not a program for this chip.
#pragma once

#include <cstddef>
#include <string>

namespace hc11 {

inline constexpr std::size_t kMaxSRecordFileBytes = std::size_t(1) << 20;

enum class SRecordFileRead {
    Read,       // `text` holds the whole file
    Refused,    // not a regular file, or too large
    Unreadable, // missing, no permission, read error
};

// Reads `path` into `text`, never more than kMaxSRecordFileBytes + 1 bytes. On failure
// `error` is one line naming the file.
SRecordFileRead readSRecordFile(const std::string& path, std::string& text, std::string& error);

} // namespace hc11
