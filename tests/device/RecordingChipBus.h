#pragma once
// A chip at the level of whole transactions: it keeps a register file,
// answers reads from it and writes down every transaction in a short form
// that reads like the bus monitor:
//   "W4C 08=50"        register write (address, register, value)
//   "P4C 10"           pointer write
//   "S4D 0..7"         sequential read (address, slots)
//   "B4C 00 [0..7]"    block write (address, start register, slots)
//   "R4D/4C 12"        single-register read (read/write address, register)
// Register 5 keeps only the bits 7..2 its silicon revision implements, the
// way the revision probe expects, and the lock status can be scripted.

#include "device/I2cTransactions.h"
#include "device/RegisterCodecs.h"

#include <array>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

namespace zvx::test {

class RecordingChipBus final : public I2cTransactions {
public:
    std::array<std::int16_t, 0x20> regs{};
    int signatureMask = 0x3E;          // revision G
    std::deque<std::int16_t> lockStatusReads;  // next values of register 0x12; then regs[0x12]
    std::vector<std::string> log;
    RegisterImage lastBlock{};

    void i2cWriteRegister(std::int16_t writeAddress, std::int16_t reg, std::int16_t value) override
    {
        log.push_back(format("W%02X %02X=%02X", writeAddress, reg, value));
        store(reg, value);
    }
    void i2cSetPointer(std::int16_t writeAddress, std::int16_t reg) override
    {
        log.push_back(format("P%02X %02X", writeAddress, reg));
        pointer_ = reg;
    }
    ReadBuffer i2cReadSequential(std::int16_t readAddress, std::int16_t lastIndex) override
    {
        log.push_back(format("S%02X 0..%d", readAddress, lastIndex));
        for (int i = 0; i <= lastIndex && i < static_cast<int>(buffer_.size()); ++i)
            buffer_[i] = load(pointer_ + i);
        return buffer_;
    }
    void i2cWriteBlock(std::int16_t writeAddress, std::int16_t startRegister, std::int16_t first,
                       std::int16_t last, const RegisterImage& image) override
    {
        log.push_back(format("B%02X %02X [%d..%d]", writeAddress, startRegister, first, last));
        lastBlock = image;
        for (int i = first; i <= last; ++i) store(startRegister + i - first, image[i]);
    }
    std::int16_t i2cReadRegister(std::int16_t readAddress, std::int16_t writeAddress, std::int16_t reg) override
    {
        log.push_back(format("R%02X/%02X %02X", readAddress, writeAddress, reg));
        if (reg == reg::LockStatus && !lockStatusReads.empty()) {
            const std::int16_t status = lockStatusReads.front();
            lockStatusReads.pop_front();
            return status;
        }
        return load(reg);
    }

private:
    template <typename... Args>
    static std::string format(const char* pattern, Args... args)
    {
        char text[64];
        std::snprintf(text, sizeof text, pattern, static_cast<int>(args)...);
        return text;
    }
    void store(int reg, int value)
    {
        if (reg < 0 || reg >= static_cast<int>(regs.size())) return;
        if (reg == reg::DPAcntl) value &= 0x03 | (signatureMask << 2);
        regs[reg] = static_cast<std::int16_t>(value & 0xFF);
    }
    std::int16_t load(int reg) const
    {
        return reg >= 0 && reg < static_cast<int>(regs.size()) ? regs[reg] : std::int16_t{0xFF};
    }

    int pointer_ = 0;
    ReadBuffer buffer_{};
};

} // namespace zvx::test
