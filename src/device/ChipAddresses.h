#pragma once
// The four I2C address bytes of the board's chips. They are whole address
// bytes (write address with bit 0 clear, read address with bit 0 set), held as
// 16-bit values because the address dialog stores whatever hex the user types;
// the bus sends only bits 7..0. Every device operation reads them at the
// moment it runs, so ChipDevice keeps references to these members and an
// address change takes effect with the next transaction.

#include "device/RegisterCodecs.h"

#include <cstdint>

namespace zvx {

struct ChipAddresses {
    static constexpr std::int16_t kU1readDefault = 0x4D;
    static constexpr std::int16_t kU1writeDefault = 0x4C;
    static constexpr std::int16_t kU4readDefault = 0x4F;
    static constexpr std::int16_t kU4writeDefault = 0x4E;

    std::int16_t U1readAddress = kU1readDefault;
    std::int16_t U1writeAddress = kU1writeDefault;
    std::int16_t U4readAddress = kU4readDefault;
    std::int16_t U4writeAddress = kU4writeDefault;

    // The start-up port initialisation puts the board's strapping back.
    void setDefaults()
    {
        U1readAddress = kU1readDefault;
        U1writeAddress = kU1writeDefault;
        U4readAddress = kU4readDefault;
        U4writeAddress = kU4writeDefault;
    }

    std::int16_t& readAddress(Device device) { return device == Device::U1 ? U1readAddress : U4readAddress; }
    std::int16_t& writeAddress(Device device) { return device == Device::U1 ? U1writeAddress : U4writeAddress; }
    const std::int16_t& readAddress(Device device) const
    {
        return device == Device::U1 ? U1readAddress : U4readAddress;
    }
    const std::int16_t& writeAddress(Device device) const
    {
        return device == Device::U1 ? U1writeAddress : U4writeAddress;
    }
};

} // namespace zvx
