#include "transport/I2cEngine.h"

#include "transport/BusLines.h"
#include "transport/BusLog.h"

#include <algorithm>

namespace zvx {

namespace {
constexpr char kStart[] = "[START] ";
constexpr char kStop[] = "[STOP]\r\n";
constexpr char kSlaveAck[] = "[a] ";
constexpr char kMasterAck[] = "[A]";
constexpr char kNotResponding[] = "Wisp ERR001:  Device is not responding ";
constexpr char kNoAck[] = "Wisp ERR002:  No ACK received";

template <std::size_t N>
constexpr std::size_t len(const char (&)[N]) { return N - 1; }

constexpr std::int16_t kLastReadSlot = 13;
constexpr std::int16_t kLastImageSlot = 10;
} // namespace

I2cEngine::I2cEngine(BusLines& lines, BusLog& log) : lines_(lines), log_(log) {}

void I2cEngine::trace(const char* text, std::size_t length)
{
    if (log_.traceOn == 1)
        log_.debugLog(std::string_view(text, length));
}

void I2cEngine::traceByte(std::int16_t value)
{
    if (log_.traceOn != 1)
        return;
    static constexpr char kHex[] = "0123456789ABCDEF";
    const unsigned byte = static_cast<unsigned>(value) & 0xFFu;
    const char token[3] = {kHex[byte >> 4], kHex[byte & 0xF], ' '};
    log_.debugLog(std::string_view(token, 3));
}

// --- bit level ---------------------------------------------------------

void I2cEngine::i2cStart()
{
    trace(kStart, len(kStart));
    lines_.setSDAhigh();
    lines_.setSCLhigh();
    lines_.setSDAlow();  // SDA falls while SCL is high: start
    lines_.setSCLlow();
}

void I2cEngine::i2cStop()
{
    trace(kStop, len(kStop));
    lines_.setSDAlow();
    lines_.setSCLhigh();
    lines_.setSDAhigh();  // SDA rises while SCL is high: stop; both lines idle high
}

void I2cEngine::i2cWriteByte(std::int16_t value)
{
    traceByte(value);
    for (int bit = 7; bit >= 0; --bit) {
        if (value & (1 << bit))
            lines_.setSDAhigh();
        else
            lines_.setSDAlow();
        lines_.setSCLhigh();
        lines_.setSCLlow();
    }
    lines_.setSDAhigh();  // release SDA for the acknowledge
}

void I2cEngine::i2cReadByte()
{
    lastByteRead = 0;
    lines_.setSDAhigh();  // release SDA so the chip can drive it
    for (int bit = 7; bit >= 0; --bit) {
        lines_.setSCLhigh();
        const bool high = lines_.readSDA() != 0;  // sampled after the SCL edge's delay
        lines_.setSCLlow();
        if (high)
            lastByteRead = static_cast<std::int16_t>(lastByteRead + (1 << bit));
    }
    traceByte(lastByteRead);
}

// The ninth clock of a byte the PC sends. SCL stays high for ackPollLimit
// status reads in a row, with no delay between them. Seeing the acknowledge
// and running out of polls are separate tests, so an acknowledge first seen
// on the last poll is traced and still reported missing.
void I2cEngine::i2cWaitAck()
{
    if (ackNotRequired)
        return;
    lines_.setSDAhigh();
    lines_.setSCLhigh();
    bool done = false;
    ackPollCount = 0;
    while (!done) {
        ++ackPollCount;
        if (lines_.readSDA() == 0) {
            done = true;
            trace(kSlaveAck, len(kSlaveAck));
        }
        if (ackPollCount >= ackPollLimit) {
            done = true;
            noteMissingAck();
            const bool addressPhase = addressPhaseByte != 0;
            if (log_.traceOn == 1) {
                if (addressPhase)
                    trace(kNotResponding, len(kNotResponding));
                else
                    trace(kNoAck, len(kNoAck));
            } else if (beep) {
                beep();
            }
        }
    }
    lines_.setSDAhigh();
    lines_.setSCLlow();
}

void I2cEngine::i2cSendAck()
{
    lines_.setSCLlow();
    lines_.setSDAlow();
    lines_.setSCLhigh();
    lines_.setSCLlow();
    lines_.setSDAhigh();
    trace(kMasterAck, len(kMasterAck));
}

// --- transactions --------------------------------------------------------

void I2cEngine::sendAddress(std::int16_t addressByte)
{
    i2cWriteByte(addressByte);
    i2cWaitAck();
    addressPhaseByte = 0;
}

void I2cEngine::startWriteAt(std::int16_t writeAddress, std::int16_t reg)
{
    addressPhaseByte = static_cast<std::int16_t>(writeAddress & 0xFE);
    i2cStart();
    sendAddress(addressPhaseByte);
    i2cWriteByte(reg);
    i2cWaitAck();
}

void I2cEngine::i2cWriteRegister(std::int16_t writeAddress, std::int16_t reg, std::int16_t value)
{
    Transaction t(*this);
    if (!t.granted())
        return;
    t.writesRegistersAt(writeAddress);
    startWriteAt(writeAddress, reg);
    i2cWriteByte(value);
    i2cWaitAck();
    i2cStop();
}

void I2cEngine::i2cSetPointer(std::int16_t writeAddress, std::int16_t reg)
{
    Transaction t(*this);
    if (!t.granted())
        return;
    startWriteAt(writeAddress, reg);
    i2cStop();
}

void I2cEngine::i2cReadSequential(std::int16_t readAddress, std::int16_t lastIndex)
{
    Transaction t(*this);
    if (!t.granted())
        return;
    const std::int16_t last = std::min(lastIndex, kLastReadSlot);
    addressPhaseByte = static_cast<std::int16_t>(readAddress | 1);
    i2cStart();
    sendAddress(addressPhaseByte);
    for (std::int16_t i = 0; i <= last; ++i) {
        i2cReadByte();
        readBuffer[static_cast<std::size_t>(i)] = lastByteRead;
        // No acknowledge clock after the last byte: the stop follows at once.
        if (i < last)
            i2cSendAck();
    }
    i2cStop();
}

void I2cEngine::i2cWriteBlock(std::int16_t writeAddress, std::int16_t startRegister,
                              std::int16_t first, std::int16_t last, const RegisterImage& image)
{
    Transaction t(*this);
    if (!t.granted())
        return;
    t.writesRegistersAt(writeAddress);
    startWriteAt(writeAddress, startRegister);
    // The chip's register pointer advances after each data byte, so one
    // transaction fills consecutive registers.
    const std::int16_t from = std::max<std::int16_t>(first, 0);
    const std::int16_t to = std::min(last, kLastImageSlot);
    for (std::int16_t i = from; i <= to; ++i) {
        i2cWriteByte(image[static_cast<std::size_t>(i)]);
        i2cWaitAck();
    }
    i2cStop();
}

// The single-register read: pointer write, repeated start, read. The write
// address goes out as given, and addressPhaseByte is left alone, so every
// missing acknowledge here counts as a data-byte failure.
std::int16_t I2cEngine::i2cReadRegister(std::int16_t readAddress, std::int16_t writeAddress, std::int16_t reg)
{
    Transaction t(*this);
    if (!t.granted())
        return 0xFF;
    i2cStart();
    i2cWriteByte(writeAddress);
    i2cWaitAck();
    i2cWriteByte(reg);
    i2cWaitAck();
    i2cStart();
    i2cWriteByte(static_cast<std::int16_t>(readAddress | 1));
    i2cWaitAck();
    i2cReadByte();
    i2cStop();
    return lastByteRead;
}

} // namespace zvx
