#include "transport/I2cDevBus.h"

#include "transport/BusLog.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zvx {

namespace {
constexpr std::string_view kStart = "[START] ";
constexpr std::string_view kStop = "[STOP]\r\n";
constexpr std::string_view kSlaveAck = "[a] ";
constexpr std::string_view kMasterAck = "[A]";
constexpr std::string_view kNotResponding = "Wisp ERR001:  Device is not responding ";
constexpr std::string_view kNoAck = "Wisp ERR002:  No ACK received";

constexpr std::int16_t kLastReadSlot = 13;
constexpr std::int16_t kLastImageSlot = 10;

std::uint8_t low8(std::int16_t value) { return static_cast<std::uint8_t>(value & 0xFF); }
std::uint16_t address7(std::int16_t addressByte) { return static_cast<std::uint16_t>(low8(addressByte) >> 1); }
std::uint8_t addressByteOf(const I2cMessage& m) { return static_cast<std::uint8_t>((m.address << 1) | (m.read ? 1 : 0)); }

I2cMessage writeMessage(std::int16_t writeAddress, std::vector<std::uint8_t> bytes)
{
    return {address7(writeAddress), false, std::move(bytes)};
}
} // namespace

I2cDevBus::I2cDevBus(I2cDevFile* file, BusLog& log) : file_(file), log_(log) {}

void I2cDevBus::trace(std::string_view text)
{
    if (log_.traceOn == 1)
        log_.debugLog(text);
}

void I2cDevBus::traceByte(std::uint8_t byte)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const char token[3] = {kHex[byte >> 4], kHex[byte & 0xF], ' '};
    trace(std::string_view(token, 3));
}

bool I2cDevBus::run(std::vector<I2cMessage>& messages)
{
    const int error = file_ ? file_->transfer(messages) : ENXIO;
    if (error == 0) {
        traceDone(messages);
        return true;
    }
    noteMissingAck();
    traceFailed(messages, error);
    if (log_.traceOn != 1 && beep)
        beep();
    for (I2cMessage& m : messages)
        if (m.read)
            std::fill(m.bytes.begin(), m.bytes.end(), 0xFF);  // as an unanswered bus reads
    return false;
}

// The same tokens, in the same order, as the bit-banged bus writes them.
void I2cDevBus::traceDone(const std::vector<I2cMessage>& messages)
{
    if (log_.traceOn != 1)
        return;
    for (const I2cMessage& m : messages) {
        trace(kStart);
        traceByte(addressByteOf(m));
        trace(kSlaveAck);
        for (std::size_t i = 0; i < m.bytes.size(); ++i) {
            traceByte(m.bytes[i]);
            if (!m.read)
                trace(kSlaveAck);
            else if (i + 1 < m.bytes.size())
                trace(kMasterAck);
        }
    }
    trace(kStop);
}

void I2cDevBus::traceFailed(const std::vector<I2cMessage>& messages, int error)
{
    if (log_.traceOn != 1)
        return;
    if (error == ENXIO) {
        // Nobody acknowledged the address: the transfer ended right there.
        trace(kStart);
        traceByte(addressByteOf(messages.front()));
        trace(kNotResponding);
    } else {
        // Somewhere in the transfer: its bytes as offered, none confirmed.
        for (const I2cMessage& m : messages) {
            trace(kStart);
            traceByte(addressByteOf(m));
            if (!m.read)
                for (std::uint8_t b : m.bytes)
                    traceByte(b);
        }
        if (error == EIO || error == EREMOTEIO)
            trace(kNoAck);
        else
            trace("Wisp ERR003:  Adapter error: " + std::string(std::strerror(error)) + " ");
    }
    trace(kStop);
}

void I2cDevBus::i2cWriteRegister(std::int16_t writeAddress, std::int16_t reg, std::int16_t value)
{
    Transaction t(*this);
    if (!t.granted())
        return;
    t.writesRegistersAt(writeAddress);
    std::vector<I2cMessage> m{writeMessage(writeAddress, {low8(reg), low8(value)})};
    run(m);
}

void I2cDevBus::i2cSetPointer(std::int16_t writeAddress, std::int16_t reg)
{
    Transaction t(*this);
    if (!t.granted())
        return;
    std::vector<I2cMessage> m{writeMessage(writeAddress, {low8(reg)})};
    run(m);
}

void I2cDevBus::i2cReadSequential(std::int16_t readAddress, std::int16_t lastIndex)
{
    Transaction t(*this);
    if (!t.granted())
        return;
    const int count = std::max(0, std::min(lastIndex, kLastReadSlot) + 1);
    std::vector<I2cMessage> m{{address7(readAddress), true, std::vector<std::uint8_t>(std::size_t(count), 0)}};
    run(m);
    for (int i = 0; i < count; ++i)
        readBuffer[std::size_t(i)] = m.front().bytes[std::size_t(i)];
}

void I2cDevBus::i2cWriteBlock(std::int16_t writeAddress, std::int16_t startRegister, std::int16_t first,
                              std::int16_t last, const RegisterImage& image)
{
    Transaction t(*this);
    if (!t.granted())
        return;
    t.writesRegistersAt(writeAddress);
    std::vector<std::uint8_t> bytes{low8(startRegister)};
    for (std::int16_t i = std::max<std::int16_t>(first, 0); i <= std::min(last, kLastImageSlot); ++i)
        bytes.push_back(low8(image[std::size_t(i)]));
    std::vector<I2cMessage> m{writeMessage(writeAddress, std::move(bytes))};
    run(m);
}

std::int16_t I2cDevBus::i2cReadRegister(std::int16_t readAddress, std::int16_t writeAddress, std::int16_t reg)
{
    Transaction t(*this);
    if (!t.granted())
        return 0xFF;
    std::vector<I2cMessage> m{writeMessage(writeAddress, {low8(reg)}), {address7(readAddress), true, {0}}};
    run(m);
    return m.back().bytes.front();
}

} // namespace zvx
