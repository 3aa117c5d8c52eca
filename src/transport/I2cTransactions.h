#pragma once
// The five register transactions the program makes with the chips, behind
// one interface: the device operations, the raw register editor and
// zvx7246ctl use these and nothing below them, so they work alike whether
// the bus is bit-banged through a parallel port (I2cEngine) or is a Linux
// I2C adapter (I2cDevBus).
//
// No transaction returns a success indication and none stops for a missing
// acknowledge: each one reports it in the bus monitor (tracing on) or with a
// beep (tracing off). Afterwards, lastTransactionAckMissing() tells whether
// any acknowledge of the transaction just made was missing, so a device
// operation can tell a silent chip's 0xFF from a byte the chip holds.
//
// A transaction is never re-entered: one asked for while another is on the
// bus (say from a handler a trace listener ran) is refused without touching
// the bus, counted in refusedTransactions() and reported on stderr.

#include <array>
#include <cstdint>
#include <functional>

namespace zvx {

using RegisterImage = std::array<std::int16_t, 11>;

class I2cTransactions {
public:
    virtual ~I2cTransactions() = default;
    I2cTransactions(const I2cTransactions&) = delete;
    I2cTransactions& operator=(const I2cTransactions&) = delete;

    // S [writeAddress AND 0xFE] A [reg] A [value] A P
    virtual void i2cWriteRegister(std::int16_t writeAddress, std::int16_t reg, std::int16_t value) = 0;
    // S [writeAddress AND 0xFE] A [reg] A P: leaves the chip's pointer at reg.
    virtual void i2cSetPointer(std::int16_t writeAddress, std::int16_t reg) = 0;
    // S [readAddress OR 1] A, lastIndex + 1 bytes into readBuffer slots
    // 0..lastIndex with a master acknowledge after all but the last, P.
    // A negative lastIndex reads no byte; one above 13 reads 14 bytes, all
    // the buffer holds.
    virtual void i2cReadSequential(std::int16_t readAddress, std::int16_t lastIndex) = 0;
    // S [writeAddress AND 0xFE] A [startRegister] A, then slots first..last
    // of image each followed by A, P. Slots outside 0..10 are not sent;
    // first > last sends only the address and the start register.
    virtual void i2cWriteBlock(std::int16_t writeAddress, std::int16_t startRegister, std::int16_t first,
                               std::int16_t last, const RegisterImage& image) = 0;
    // S [writeAddress] A [reg] A Sr [readAddress OR 1] A, one byte, P, with
    // no stop between the pointer write and the read; returns 0..255 (0xFF
    // when refused, as an unanswered bus reads).
    virtual std::int16_t i2cReadRegister(std::int16_t readAddress, std::int16_t writeAddress,
                                         std::int16_t reg) = 0;

    // Bytes received by i2cReadSequential, slot i = i-th byte of the transfer.
    std::array<std::int16_t, 14> readBuffer{};

    // The system beep for a missing acknowledge with tracing off.
    std::function<void()> beep;

    // Missing acknowledges since construction; the command-line tool turns
    // it into its exit status.
    unsigned missingAcks() const { return missingAcks_; }
    // The record of the most recent transaction that ran: true when any of
    // its acknowledges was missing.
    bool lastTransactionAckMissing() const { return lastAckMissing_; }
    // True while a transaction is on the bus; no second one may start then.
    bool inTransaction() const { return inTransaction_; }
    // Transactions refused because one was already running.
    unsigned refusedTransactions() const { return refused_; }

    // Told the write address of each transaction that writes registers
    // (i2cWriteRegister, i2cWriteBlock; the pointer write changes none) once
    // it has ended, acknowledged or not: the window learns from it which
    // chips a script's command wrote.
    std::function<void(std::int16_t writeAddress)> registerWritten;

protected:
    I2cTransactions() = default;

    // Marks the bus busy for the length of one transaction and starts its
    // acknowledge record. A transaction asked for while another runs is
    // refused (granted() false): it would interleave with the running one
    // and garble both on the wire.
    class Transaction {
    public:
        explicit Transaction(I2cTransactions& bus);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        bool granted() const { return granted_; }
        // The transaction writes registers of the chip at writeAddress.
        void writesRegistersAt(std::int16_t writeAddress) { writeAddress_ = writeAddress; }

    private:
        I2cTransactions& bus_;
        bool granted_;
        std::int16_t writeAddress_ = -1;
    };

    // Counts a missing acknowledge into the totals and the running
    // transaction's record.
    void noteMissingAck();

private:
    unsigned missingAcks_ = 0;
    unsigned refused_ = 0;
    bool inTransaction_ = false;
    bool lastAckMissing_ = false;
};

} // namespace zvx
