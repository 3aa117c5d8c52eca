#pragma once
// The I2C bus master in software: start, stop, byte out and in, acknowledge
// polling, and the five register transactions the device code uses. A missing
// acknowledge never aborts a transaction; it is reported in the bus monitor
// (tracing on) or with a beep (tracing off), never to the caller.

#include <array>
#include <cstdint>
#include <functional>

namespace zvx {

class BusLines;
class BusLog;

using RegisterImage = std::array<std::int16_t, 11>;

class I2cEngine {
public:
    I2cEngine(BusLines& lines, BusLog& log);

    void i2cWriteRegister(std::int16_t writeAddress, std::int16_t reg, std::int16_t value);
    void i2cSetPointer(std::int16_t writeAddress, std::int16_t reg);
    // Reads lastIndex + 1 bytes into readBuffer slots 0..lastIndex.
    void i2cReadSequential(std::int16_t readAddress, std::int16_t lastIndex);
    // Sends slots first..last of image after the start register.
    void i2cWriteBlock(std::int16_t writeAddress, std::int16_t startRegister,
                       std::int16_t first, std::int16_t last, const RegisterImage& image);
    // Pointer write, repeated start, one byte read; returns 0..255.
    std::int16_t i2cReadRegister(std::int16_t readAddress, std::int16_t writeAddress, std::int16_t reg);

    // Sets ackPollLimit (done by the bus initialisation).
    void setAckPollLimit(std::int16_t limit) { ackPollLimit = limit; }

    std::array<std::int16_t, 14> readBuffer{};
    std::int16_t lastByteRead = 0;
    std::int16_t addressPhaseByte = 0;
    std::int16_t ackPollLimit = 0;
    std::int16_t ackPollCount = 0;
    bool ackNotRequired = false;

    // The system beep for a missing acknowledge with tracing off.
    std::function<void()> beep;

    // Missing acknowledges since construction; the window never looks at it,
    // the command-line tool turns it into its exit status.
    unsigned missingAcks() const { return missingAcks_; }
    // True while a transaction is on the bus; no second one may start then.
    bool inTransaction() const { return inTransaction_; }

private:
    BusLines& lines_;
    BusLog& log_;
    unsigned missingAcks_ = 0;
    bool inTransaction_ = false;
};

} // namespace zvx
