#pragma once
// The five register transactions over a Linux I2C adapter: each one is a
// single I2C_RDWR transfer (the register read a write message and a read
// message joined by a repeated start), the address from the program's
// address byte (bits 7..1; the read/write bit comes from the message), and
// only bits 7..0 of any value sent.
//
// The bus monitor gets the same tokens as from the bit-banged bus. What
// differs is a missing acknowledge: the adapter ends the transfer there with
// a stop and the kernel reports it as an error. The trace then shows the
// bytes up to that point, the not-responding or no-acknowledge text and
// "[STOP]". ENXIO means the address went unacknowledged; for a data byte the
// adapter does not say which one, so the bytes of the transfer are shown
// without their "[a]" and the text follows them. One beep per failed
// transfer while tracing is off, as per missing acknowledge on the wire.

#include "transport/I2cDev.h"
#include "transport/I2cTransactions.h"

namespace zvx {

class BusLog;

class I2cDevBus final : public I2cTransactions {
public:
    // file null: no adapter could be had; every transaction then goes
    // unanswered, as on an empty port.
    I2cDevBus(I2cDevFile* file, BusLog& log);

    void i2cWriteRegister(std::int16_t writeAddress, std::int16_t reg, std::int16_t value) override;
    void i2cSetPointer(std::int16_t writeAddress, std::int16_t reg) override;
    void i2cReadSequential(std::int16_t readAddress, std::int16_t lastIndex) override;
    void i2cWriteBlock(std::int16_t writeAddress, std::int16_t startRegister, std::int16_t first,
                       std::int16_t last, const RegisterImage& image) override;
    // The write message goes to the write address byte's 7-bit address:
    // the adapter sets the read/write bit itself.
    std::int16_t i2cReadRegister(std::int16_t readAddress, std::int16_t writeAddress, std::int16_t reg) override;

private:
    // Sends the messages as one transfer and traces it; false when the
    // adapter reported an error (read messages then hold 0xFF).
    bool run(std::vector<I2cMessage>& messages);
    void traceDone(const std::vector<I2cMessage>& messages);
    void traceFailed(const std::vector<I2cMessage>& messages, int error);
    void trace(std::string_view text);
    void traceByte(std::uint8_t byte);

    I2cDevFile* file_;
    BusLog& log_;
};

} // namespace zvx
