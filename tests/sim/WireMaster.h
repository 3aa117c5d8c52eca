#pragma once
// A tiny I2C master for talking to the simulated board at the wire, with the
// same port accesses the program's line operations make: SDA by a
// read-modify-write of data bit 7, SCL by writing 0x08 / 0x00 to the control
// register, SDA sensed on status bit 7. Byte-level sequences follow the
// program's engine (acknowledge clock with SDA released, master acknowledge
// as SCL low, SDA low, SCL high, SCL low, SDA high; no acknowledge clock
// after the last byte read, the stop follows at once).
//
// It also checks the one rule every I2C slave must keep: SDA never changes
// while SCL is high unless the master changes it.

#include "transport/PortIo.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace zvx::test {

class WireMaster {
public:
    explicit WireMaster(PortIo& port, std::uint16_t base = 0x378)
        : port_(port), data_(base), status_(static_cast<std::uint16_t>(base + 1)),
          control_(static_cast<std::uint16_t>(base + 2))
    {
    }

    // --- line operations ---
    void setSDAlow()
    {
        port_.portOut(data_, static_cast<std::uint8_t>(port_.portIn(data_) | 0x80));
        port_.delayElapsed(1);
    }
    void setSDAhigh()
    {
        port_.portOut(data_, static_cast<std::uint8_t>(port_.portIn(data_) & 0x7F));
        port_.delayElapsed(1);
    }
    void setSCLhigh()
    {
        const bool before = sdaHigh();
        port_.portOut(control_, 0x08);
        port_.delayElapsed(1);
        EXPECT_EQ(before, sdaHigh()) << "SDA moved on an SCL rising edge";
    }
    void setSCLlow()
    {
        port_.portOut(control_, 0x00);
        port_.delayElapsed(1);
    }
    bool sdaHigh() { return (port_.portIn(status_) & 0x80) != 0; }

    // --- conditions and bytes ---
    void idle()
    {
        for (int i = 0; i < 6; ++i) {
            setSDAlow();
            setSCLhigh();
            setSDAhigh();
            setSCLlow();
        }
        setSCLhigh();
    }
    void start()
    {
        setSDAhigh();
        setSCLhigh();
        setSDAlow();
        setSCLlow();
    }
    void stop()
    {
        setSDAlow();
        setSCLhigh();
        setSDAhigh();
    }
    // Eight bits and the acknowledge clock; true when the slave acknowledged.
    bool writeByte(std::uint8_t byte)
    {
        for (int bit = 7; bit >= 0; --bit) {
            if ((byte >> bit) & 1)
                setSDAhigh();
            else
                setSDAlow();
            setSCLhigh();
            setSCLlow();
        }
        setSDAhigh();
        setSCLhigh();
        const bool ack = !sdaHigh();
        setSDAhigh();
        setSCLlow();
        return ack;
    }
    std::uint8_t readByte()
    {
        std::uint8_t value = 0;
        setSDAhigh();
        for (int bit = 7; bit >= 0; --bit) {
            setSCLhigh();
            if (sdaHigh())
                value = static_cast<std::uint8_t>(value | (1u << bit));
            setSCLlow();
        }
        return value;
    }
    void sendAck()
    {
        setSCLlow();
        setSDAlow();
        setSCLhigh();
        setSCLlow();
        setSDAhigh();
    }
    // A ninth clock with SDA released: the master declines the next byte.
    void sendNoAck()
    {
        setSDAhigh();
        setSCLhigh();
        setSCLlow();
    }

    // --- register transactions, each with its acknowledges recorded ---
    std::vector<bool> acks;

    void writeRegister(std::uint8_t address, std::uint8_t reg, std::uint8_t value)
    {
        writeBlock(address, reg, {value});
    }
    void writeBlock(std::uint8_t address, std::uint8_t reg, const std::vector<std::uint8_t>& values)
    {
        acks.clear();
        start();
        acks.push_back(writeByte(address));
        acks.push_back(writeByte(reg));
        for (std::uint8_t v : values)
            acks.push_back(writeByte(v));
        stop();
    }
    void setPointer(std::uint8_t address, std::uint8_t reg)
    {
        writeBlock(address, reg, {});
    }
    std::vector<std::uint8_t> readSequential(std::uint8_t address, int count)
    {
        acks.clear();
        std::vector<std::uint8_t> bytes;
        start();
        acks.push_back(writeByte(address | 1));
        for (int i = 0; i < count; ++i) {
            bytes.push_back(readByte());
            if (i + 1 < count)
                sendAck();
        }
        stop();
        return bytes;
    }
    // Pointer write, repeated start, one byte read.
    std::uint8_t readRegister(std::uint8_t address, std::uint8_t reg)
    {
        acks.clear();
        start();
        acks.push_back(writeByte(address & 0xFE));
        acks.push_back(writeByte(reg));
        start();
        acks.push_back(writeByte(address | 1));
        const std::uint8_t value = readByte();
        stop();
        return value;
    }

private:
    PortIo& port_;
    std::uint16_t data_;
    std::uint16_t status_;
    std::uint16_t control_;
};

} // namespace zvx::test
