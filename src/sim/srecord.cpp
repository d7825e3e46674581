#include "srecord.h"

#include <cctype>

namespace hc11 {

namespace {

constexpr std::size_t kAddressBytes = 2; // S0, S1, S5, S9
constexpr std::size_t kMinimumCount = kAddressBytes + 1;

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = char(std::toupper(static_cast<unsigned char>(c)));
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

// Decodes the hex pairs after "Sn"; empty on a bad digit or an odd length.
std::optional<std::vector<uint8_t>> hexBytes(std::string_view s) {
    if (s.size() % 2) return std::nullopt;
    std::vector<uint8_t> out;
    for (std::size_t i = 0; i < s.size(); i += 2) {
        const int hi = hexDigit(s[i]), lo = hexDigit(s[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out.push_back(uint8_t(hi << 4 | lo));
    }
    return out;
}

} // namespace

std::optional<SRecordImage> parseSRecords(std::string_view text, std::string& error) {
    SRecordImage image;
    int lineNo = 0;
    bool ended = false;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        const std::string_view raw = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
        ++lineNo;
        const std::string_view line = trim(raw);
        if (line.empty()) continue;
        auto fail = [&](const std::string& what) {
            error = "line " + std::to_string(lineNo) + ": " + what;
            return std::nullopt;
        };
        if (ended) return fail("record after the S9 end record");
        if (line.size() < 2 || (line[0] != 'S' && line[0] != 's')) return fail("not an S-record");
        const char type = line[1];
        if (type != '0' && type != '1' && type != '5' && type != '9')
            return fail(std::string("unsupported record type S") + type);
        const auto bytes = hexBytes(line.substr(2));
        if (!bytes || bytes->empty()) return fail("bad hexadecimal digits");
        const std::size_t count = (*bytes)[0];
        if (count < kMinimumCount || count + 1 != bytes->size())
            return fail("byte count does not match the record length");
        unsigned sum = 0;
        for (std::size_t i = 0; i + 1 < bytes->size(); ++i)
            sum += (*bytes)[i];
        if (uint8_t(~sum) != bytes->back()) return fail("bad checksum");
        const uint16_t address = uint16_t((*bytes)[1] << 8 | (*bytes)[2]);
        if (type == '1') {
            SRecordBlock b;
            b.address = address;
            b.bytes.assign(bytes->begin() + 1 + kAddressBytes, bytes->end() - 1);
            if (uint32_t(address) + b.bytes.size() > 0x10000) return fail("record runs past $FFFF");
            image.blocks.push_back(std::move(b));
        } else if (type == '9') {
            image.entry = address;
            ended = true;
        }
    }
    return image;
}

} // namespace hc11
