#pragma once
// What the parallel-port pin tester composes and shows, without widgets: the
// check boxes that build the three register images, and the indicators that
// show each connector pin's level from a byte read back.
//
// The port hardware inverts BUSY (status bit 7), STROBE (control bit 0),
// AUTOFEED (control bit 1) and SELECT IN (control bit 3) between register
// and connector. A box for such a line that is checked (and ERROR and ACK,
// whose boxes follow the same wording) clears its register bit, and the
// indicators of the four inverted lines show the register bit inverted, so
// red always means the pin is electrically high.

#include <array>
#include <cstdint>

namespace zvx::pins {

enum class PortRegister { Data = 0, Status = 1, Control = 2 };

// One check box: which image bit it drives, and whether checking it sets
// (true) or clears (false) the bit.
struct ImageBox {
    const char* name;
    const char* caption;
    PortRegister reg;
    int bit;
    bool checkedSets;
};

// One pin indicator: the pin number it shows (empty for the interrupt
// enable, which is no pin) and the register bit behind it.
struct PinIndicator {
    const char* name;
    const char* caption;
    PortRegister reg;
    int bit;
    bool inverted;
};

// Top to bottom as the frames show them.
inline constexpr std::array<ImageBox, 8> kDataBoxes{{
    {"ckData7", "  Set Data Bit 7 =", PortRegister::Data, 7, true},
    {"ckData6", "  Set Data Bit 6 =", PortRegister::Data, 6, true},
    {"ckData5", "  Set Data Bit 5 =", PortRegister::Data, 5, true},
    {"ckData4", "  Set Data Bit 4 =", PortRegister::Data, 4, true},
    {"ckData3", "  Set Data Bit 3 =", PortRegister::Data, 3, true},
    {"ckData2", "  Set Data Bit 2 =", PortRegister::Data, 2, true},
    {"ckData1", "  Set Data Bit 1 =", PortRegister::Data, 1, true},
    {"ckData0", "  Set Data Bit 0 =", PortRegister::Data, 0, true},
}};

inline constexpr std::array<ImageBox, 5> kStatusBoxes{{
    {"ckError", "           Set Error =", PortRegister::Status, 3, false},
    {"ckSelect", "         Set Select =", PortRegister::Status, 4, true},
    {"ckPaperEnd", "   Set PaperEnd =", PortRegister::Status, 5, true},
    {"ckBusy", "           Set Busy =", PortRegister::Status, 7, true},
    {"ckAck", "           Set Ack =", PortRegister::Status, 6, false},
}};

inline constexpr std::array<ImageBox, 5> kControlBoxes{{
    {"ckStrobe", "        Set Strobe =", PortRegister::Control, 0, false},
    {"ckAutofeed", "     Set Autofeed =", PortRegister::Control, 1, false},
    {"ckInit", "              Set Init =", PortRegister::Control, 2, true},
    {"ckSelectInput", "Set Select Input =", PortRegister::Control, 3, false},
    {"ckIRQ", "Set IRQ Enable =", PortRegister::Control, 4, true},
}};

inline constexpr std::array<PinIndicator, 8> kDataPins{{
    {"pin2Display", "2", PortRegister::Data, 0, false},
    {"pin3Display", "3", PortRegister::Data, 1, false},
    {"pin4Display", "4", PortRegister::Data, 2, false},
    {"pin5Display", "5", PortRegister::Data, 3, false},
    {"pin6Display", "6", PortRegister::Data, 4, false},
    {"pin7Display", "7", PortRegister::Data, 5, false},
    {"pin8Display", "8", PortRegister::Data, 6, false},
    {"pin9Display", "9", PortRegister::Data, 7, false},
}};

inline constexpr std::array<PinIndicator, 5> kStatusPins{{
    {"pin15Display", "15", PortRegister::Status, 3, false},
    {"pin13Display", "13", PortRegister::Status, 4, false},
    {"pin12Display", "12", PortRegister::Status, 5, false},
    {"pin10Display", "10", PortRegister::Status, 6, false},
    {"pin11Display", "11", PortRegister::Status, 7, true},
}};

inline constexpr std::array<PinIndicator, 5> kControlPins{{
    {"pin1Display", "1", PortRegister::Control, 0, true},
    {"pin14Display", "14", PortRegister::Control, 1, true},
    {"pin16Display", "16", PortRegister::Control, 2, false},
    {"pin17Display", "17", PortRegister::Control, 3, true},
    {"irqDisplay", "", PortRegister::Control, 4, false},
}};

// The image after a click that left the box checked or unchecked. Only that
// box's bit changes.
std::uint8_t applyBox(std::uint8_t image, const ImageBox& box, bool checked);

// True when the pin the indicator stands for is high, given the byte read
// from its register.
bool pinHigh(const PinIndicator& pin, std::uint8_t registerValue);

} // namespace zvx::pins
