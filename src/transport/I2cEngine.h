#pragma once
// The I2C bus master in software: start, stop, byte out and in, acknowledge
// polling, and the five register transactions the device code uses. A missing
// acknowledge never aborts a transaction; it is reported in the bus monitor
// (tracing on) or with a beep (tracing off), never to the caller.
//
// A transaction is never re-entered: one started while another is on the bus
// (say from a handler run by a trace listener) is refused without touching
// the bus, counted in refusedTransactions() and reported on stderr.

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

    // S [writeAddress AND 0xFE] A [reg] A [value] A P
    void i2cWriteRegister(std::int16_t writeAddress, std::int16_t reg, std::int16_t value);
    // S [writeAddress AND 0xFE] A [reg] A P: leaves the chip's pointer at reg.
    void i2cSetPointer(std::int16_t writeAddress, std::int16_t reg);
    // S [readAddress OR 1] A, lastIndex + 1 bytes into readBuffer slots
    // 0..lastIndex with a master acknowledge after all but the last, P.
    // A negative lastIndex reads no byte; one above 13 reads 14 bytes, all
    // the buffer holds.
    void i2cReadSequential(std::int16_t readAddress, std::int16_t lastIndex);
    // S [writeAddress AND 0xFE] A [startRegister] A, then slots first..last
    // of image each followed by A, P. Slots outside 0..10 are not sent;
    // first > last sends only the address and the start register.
    void i2cWriteBlock(std::int16_t writeAddress, std::int16_t startRegister,
                       std::int16_t first, std::int16_t last, const RegisterImage& image);
    // S [writeAddress] A [reg] A Sr [readAddress OR 1] A, one byte, P;
    // returns 0..255 (0xFF when refused, as an unanswered bus reads).
    std::int16_t i2cReadRegister(std::int16_t readAddress, std::int16_t writeAddress, std::int16_t reg);

    // Sets ackPollLimit (done by the bus initialisation).
    void setAckPollLimit(std::int16_t limit) { ackPollLimit = limit; }

    std::array<std::int16_t, 14> readBuffer{};
    std::int16_t lastByteRead = 0;
    std::int16_t addressPhaseByte = 0;
    // Polls per acknowledge; a limit below 1 polls once (a limit of 0 before
    // the bus initialisation must not poll forever).
    std::int16_t ackPollLimit = 0;
    std::int16_t ackPollCount = 0;
    bool ackNotRequired = false;

    // The system beep for a missing acknowledge with tracing off.
    std::function<void()> beep;

    // Missing acknowledges since construction; the command-line tool turns
    // it into its exit status.
    unsigned missingAcks() const { return missingAcks_; }
    // The record of the most recent transaction the bus ran: true when any
    // of its acknowledges was missing. The transactions still return nothing
    // and carry on as before; the device operations look here afterwards so
    // a silent chip's 0xFF is never shown as if the chip had said it.
    bool lastTransactionAckMissing() const { return lastAckMissing_; }
    // True while a transaction is on the bus; no second one may start then.
    bool inTransaction() const { return inTransaction_; }
    // Transactions refused because one was already running.
    unsigned refusedTransactions() const { return refused_; }

    // Bit-level operations. The transactions are made of these; they are
    // public for the pin-level tools and the tests.
    void i2cStart();
    void i2cStop();
    void i2cWriteByte(std::int16_t value);
    void i2cReadByte();
    void i2cWaitAck();
    void i2cSendAck();

private:
    class Transaction;
    void trace(const char* text, std::size_t length);
    void traceByte(std::int16_t value);
    // The address byte with its acknowledge, marked as the address phase.
    void sendAddress(std::int16_t addressByte);
    // Start, the write address (bit 0 cleared) and the register byte, each
    // with its acknowledge: how every write transaction opens.
    void startWriteAt(std::int16_t writeAddress, std::int16_t reg);

    BusLines& lines_;
    BusLog& log_;
    unsigned missingAcks_ = 0;
    unsigned refused_ = 0;
    bool inTransaction_ = false;
    bool lastAckMissing_ = false;
};

} // namespace zvx
