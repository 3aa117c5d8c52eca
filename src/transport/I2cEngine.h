#pragma once
// The I2C bus master in software over the parallel port's lines: start,
// stop, byte out and in, acknowledge polling, and on them the five register
// transactions of I2cTransactions. A missing acknowledge never aborts a
// transaction; it is reported in the bus monitor (tracing on) or with a beep
// (tracing off), never to the caller.

#include "transport/I2cTransactions.h"

#include <array>
#include <cstdint>
#include <functional>

namespace zvx {

class BusLines;
class BusLog;

class I2cEngine : public I2cTransactions {
public:
    I2cEngine(BusLines& lines, BusLog& log);

    void i2cWriteRegister(std::int16_t writeAddress, std::int16_t reg, std::int16_t value) override;
    void i2cSetPointer(std::int16_t writeAddress, std::int16_t reg) override;
    void i2cReadSequential(std::int16_t readAddress, std::int16_t lastIndex) override;
    void i2cWriteBlock(std::int16_t writeAddress, std::int16_t startRegister, std::int16_t first,
                       std::int16_t last, const RegisterImage& image) override;
    // The write address goes out as given (bit 0 is not cleared).
    std::int16_t i2cReadRegister(std::int16_t readAddress, std::int16_t writeAddress, std::int16_t reg) override;

    // Sets ackPollLimit (done by the bus initialisation).
    void setAckPollLimit(std::int16_t limit) { ackPollLimit = limit; }

    std::int16_t lastByteRead = 0;
    std::int16_t addressPhaseByte = 0;
    // Polls per acknowledge; a limit below 1 polls once (a limit of 0 before
    // the bus initialisation must not poll forever).
    std::int16_t ackPollLimit = 0;
    std::int16_t ackPollCount = 0;
    bool ackNotRequired = false;

    // Bit-level operations. The transactions are made of these; they are
    // public for the pin-level tools and the tests.
    void i2cStart();
    void i2cStop();
    void i2cWriteByte(std::int16_t value);
    void i2cReadByte();
    void i2cWaitAck();
    void i2cSendAck();

private:
    void trace(const char* text, std::size_t length);
    void traceByte(std::int16_t value);
    // The address byte with its acknowledge, marked as the address phase.
    void sendAddress(std::int16_t addressByte);
    // Start, the write address (bit 0 cleared) and the register byte, each
    // with its acknowledge: how every write transaction opens.
    void startWriteAt(std::int16_t writeAddress, std::int16_t reg);

    BusLines& lines_;
    BusLog& log_;
};

} // namespace zvx
