// Runs a board behind a pseudo-terminal: in real time (paced to the crystal) or in
// virtual time (as fast as it can). Bytes the SCI sends are written to the host when
// their stop bit ends; bytes the host writes start on the line as they arrive. While the
// host has the line closed, what the SCI sends is lost.
//
// The host's line settings reach Board::setHostBaud at once, and Board::hostLineConfigured
// (which leaves reset for a host at the boot rate) once the host has left its line alone
// for kSettleTime: no settings change, open, close or flush. Opening a serial port sets
// several settings and then flushes; a program that opens the line at its working rate
// and at once reopens it for the download (the same rate when the working rate is the
// boot rate) must see the board leave reset once, after the second open, and its flush
// must not throw away the break. A flush of the host's input after that, while the boot
// ROM still waits for the sync character, means the host may have discarded the break:
// the board leaves reset again at once.
//
// In real time the board runs up to the present, then sleeps until its next event (a
// character completing), a byte from the host or kSettingsPoll. A program's answer
// comes a few instructions after a character arrives, which no event announces: for
// kActiveWindow after any traffic the bridge looks again every kActivePoll, so an
// answer leaves well within a character time, and an idle line costs few wake-ups.
//
// With a latency (a USB serial adapter's latency timer), bytes for the host are held
// until that time has passed since the first of them or kAdapterPacket are waiting,
// as the common adapters' chips do with a short read.
//
// In virtual time only a running program goes as fast as it can. Held in reset and in the
// boot ROM the board keeps real time: the ROM's end of download is an idle time-out on
// the line, and a host that writes its image in several pieces must not see the ROM
// jump to a half-loaded program between two of them.
#pragma once

#include "board.h"
#include "pty_endpoint.h"
#include "real_time_pacer.h"

#include <chrono>
#include <functional>
#include <vector>

namespace hc11 {

class PtyBridge {
public:
    static constexpr std::chrono::milliseconds kSettingsPoll{20};
    static constexpr std::chrono::microseconds kActivePoll{250};
    static constexpr std::chrono::milliseconds kActiveWindow{50};
    static constexpr std::chrono::milliseconds kSettleTime{150};
    static constexpr std::chrono::milliseconds kMaxLag{200};
    // Virtual time: E cycles run between two looks at the descriptors.
    static constexpr uint64_t kVirtualSlice = 1'000'000;

    // A USB adapter chip sends its buffer as soon as this many bytes wait in it
    // (a 64-byte USB packet less the two status bytes).
    static constexpr std::size_t kAdapterPacket = 62;

    PtyBridge(Board& board, PtyEndpoint& pty, bool virtualTime,
              std::chrono::milliseconds latency = std::chrono::milliseconds(0));

    // Also watch `fd`: `onReadable` runs when it is readable or closed, and returns
    // false to end run().
    void watch(int fd, std::function<bool()> onReadable);
    // Loops until a watcher ends it.
    void run();
    // The RESET button: the board restarts in bootstrap mode.
    // RESET in bootstrap mode, or in normal single-chip mode (from the reset vector).
    void resetBoard(bool singleChip = false);
    bool hostOpen() const { return hostOpen_; }

private:
    struct Watch {
        int fd;
        std::function<bool()> onReadable;
    };
    void advance();
    void flushOutput();
    // Writes the held bytes to the host once the adapter would send them.
    void sendHeld();
    void readHost();
    void checkSettings(bool changed, bool flushed = false);
    // Whether the board keeps real time now (see above).
    bool paced() const;
    std::chrono::nanoseconds waitTime() const;

    Board& board_;
    PtyEndpoint& pty_;
    bool virtualTime_;
    RealTimePacer pacer_;
    bool wasPaced_ = true;
    std::vector<Watch> watches_;
    bool hostOpen_ = false;
    bool hungUp_ = false;
    double lastBaud_ = -1;
    bool configPending_ = false;
    std::chrono::nanoseconds configDue_{0};
    std::chrono::nanoseconds nextSettingsPoll_{0};
    std::chrono::nanoseconds activeUntil_{0};
    std::chrono::milliseconds latency_;
    std::vector<uint8_t> held_;
    std::chrono::nanoseconds heldUntil_{0};
};

} // namespace hc11
