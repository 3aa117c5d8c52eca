#pragma once
// The five register transactions a chip is driven with, as ChipDevice sees
// them. On the bench they are the software I2C master's: ChipDevice's engine
// constructor wraps the engine in this interface. Tests that care only about
// which transactions run, not about the line changes inside them, put a
// recorder here instead.

#include "transport/I2cEngine.h"

#include <array>
#include <cstdint>

namespace zvx {

using ReadBuffer = std::array<std::int16_t, 14>;

class I2cTransactions {
public:
    virtual ~I2cTransactions() = default;

    // S [writeAddress & 0xFE] A [reg] A [value] A P
    virtual void i2cWriteRegister(std::int16_t writeAddress, std::int16_t reg, std::int16_t value) = 0;
    // S [writeAddress & 0xFE] A [reg] A P: leaves the chip's pointer at reg.
    virtual void i2cSetPointer(std::int16_t writeAddress, std::int16_t reg) = 0;
    // S [readAddress | 1] A, lastIndex + 1 bytes, P; returns the read buffer
    // with those bytes in slots 0..lastIndex.
    virtual ReadBuffer i2cReadSequential(std::int16_t readAddress, std::int16_t lastIndex) = 0;
    // S [writeAddress & 0xFE] A [startRegister] A, image slots first..last, P
    virtual void i2cWriteBlock(std::int16_t writeAddress, std::int16_t startRegister, std::int16_t first,
                               std::int16_t last, const RegisterImage& image) = 0;
    // S [writeAddress] A [reg] A Sr [readAddress | 1] A byte P; returns 0..255.
    virtual std::int16_t i2cReadRegister(std::int16_t readAddress, std::int16_t writeAddress,
                                         std::int16_t reg) = 0;
};

} // namespace zvx
