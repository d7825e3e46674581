#include "boot_loader.h"

#include "registers.h"

namespace hc11 {

BootLoader::BootLoader(const ChipDescription& chip, Sci& sci, std::span<uint8_t> ram)
    : chip_(chip)
    , sci_(sci)
    , ram_(ram) {}

void BootLoader::start(uint64_t now) {
    constexpr bool kSpecial = true;
    state_ = State::WaitSync;
    count_ = 0;
    corrupt_ = false;
    fast_ = true;
    echoPending_ = false;
    lastByte_ = 0;
    deadline_ = kNever;
    sci_.write(reg::BAUD, kBootBaudFast, now, kSpecial);
    sci_.write(reg::SCCR2, sccr2::TE | sccr2::RE, now, kSpecial);
    sci_.write(reg::SCCR2, sccr2::TE | sccr2::RE | sccr2::SBK, now, kSpecial);
    sci_.write(reg::SCCR2, sccr2::TE | sccr2::RE, now, kSpecial);
}

void BootLoader::armDeadline(uint64_t now) {
    if (chip_.bootEnd == BootEnd::RamFullOrIdle) deadline_ = now + kBootIdleCharacters * sci_.frameCycles();
}

BootLoader::Jump BootLoader::finish(Jump j) {
    state_ = State::Done;
    return j;
}

BootLoader::Jump BootLoader::service(uint64_t now) {
    constexpr bool kSpecial = true;
    for (;;) {
        if (state_ != State::WaitSync && state_ != State::Loading) return Jump::None;
        if (echoPending_) {
            if (!(sci_.read(reg::SCSR, now) & scsr::TDRE)) return Jump::None;
            sci_.write(reg::SCDR, lastByte_, now, kSpecial);
            echoPending_ = false;
            if (count_ == chip_.bootCapacity) return finish(Jump::Ram);
        }
        const uint8_t status = sci_.read(reg::SCSR, now);
        if (status & scsr::RDRF) {
            const uint8_t c = sci_.read(reg::SCDR, now);
            if (state_ == State::WaitSync) {
                if (c == kBootSyncEeprom) return finish(Jump::Eeprom);
                if (c != kBootSyncFast) {
                    fast_ = false;
                    sci_.write(reg::BAUD, kBootBaudSlow, now, kSpecial);
                }
                state_ = State::Loading;
            } else {
                ram_[count_++] = c;
                lastByte_ = c;
                if (status & (scsr::FE | scsr::NF | scsr::OR)) corrupt_ = true;
                echoPending_ = true;
            }
            armDeadline(now);
            continue;
        }
        if (state_ == State::Loading && now >= deadline_) return finish(Jump::Ram);
        return Jump::None;
    }
}

} // namespace hc11
