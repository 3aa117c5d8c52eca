// The pin tester: which pins its indicators call high, and its writes and
// reads through the simulated board's port.
#include "support/LabTest.h"

#include "tools/PinTester.h"
#include "transport/I2cBus.h"

#include <span>

using namespace zvx;

namespace {

// Names of the indicators of a frame that show a high pin for this byte.
template <std::size_t N>
std::string highPins(const std::array<pins::PinIndicator, N>& frame, std::uint8_t value)
{
    std::string s;
    for (const auto& pin : frame)
        if (pins::pinHigh(pin, value))
            s += std::string(s.empty() ? "" : " ") + pin.name;
    return s;
}

const pins::ImageBox& box(std::string_view name)
{
    using Boxes = std::span<const pins::ImageBox>;
    for (Boxes boxes : {Boxes(pins::kDataBoxes), Boxes(pins::kStatusBoxes), Boxes(pins::kControlBoxes)})
        for (const auto& b : boxes)
            if (b.name == name)
                return b;
    throw std::invalid_argument(std::string(name));
}

} // namespace

TEST(PinTester, InvertedLinesAreShownAndComposedAsTheirPinLevels)
{
    EXPECT_EQ(highPins(pins::kDataPins, 0x80), "pin9Display");
    // BUSY reads inverted: a status of 0 means pin 11 is high.
    EXPECT_EQ(highPins(pins::kStatusPins, 0x00), "pin11Display");
    EXPECT_EQ(highPins(pins::kStatusPins, 0xFF), "pin15Display pin13Display pin12Display pin10Display");
    // STROBE, AUTOFEED and SELECT IN are inverted, INIT and the IRQ enable not.
    EXPECT_EQ(highPins(pins::kControlPins, 0x00), "pin1Display pin14Display pin17Display");
    EXPECT_EQ(highPins(pins::kControlPins, 0x14), "pin1Display pin14Display pin16Display pin17Display irqDisplay");

    // An unchecked Ack sets bit 6, a checked one clears it.
    for (auto [image, name, checked, composed] : {std::tuple{0x00, "ckAck", false, 0x40}, {0xFF, "ckAck", true, 0xBF},
                                                  {0x00, "ckError", false, 0x08}, {0x00, "ckSelectInput", false, 0x08},
                                                  {0x00, "ckIRQ", true, 0x10}, {0x00, "ckData0", true, 0x01}})
        EXPECT_EQ(pins::applyBox(std::uint8_t(image), box(name), checked), composed) << name << checked;
}

class PinTesterWindow : public test::LabTest {
protected:
    bitBanger& tester() { return lab.app->pinTester(); }
    QCheckBox* check(const char* name) { return tester().findChild<QCheckBox*>(name); }
    // The indicators' colours, "R" for red (high), "-" for black and "?" for any other, in the order named.
    std::string pins(std::initializer_list<const char*> names)
    {
        std::string s;
        for (const char* name : names) {
            const uint colour = tester().findChild<QLineEdit*>(name)->property("backColor").toUInt();
            s += colour == 0x0000FF ? 'R' : colour == 0 ? '-' : '?';
        }
        return s;
    }
};

TEST_F(PinTesterWindow, OpensFromItsHiddenMenuItemAndWritesTheWholeImageAndReadsTheRegisterBack)
{
    EXPECT_FALSE(control<QAction>("mnuShowBitBang")->isVisible());
    menu("mnuShowBitBang");
    EXPECT_TRUE(tester().isVisible());
    EXPECT_EQ(pins({"pin2Display"}), "R");

    // Unchecked Strobe stands for a 1 bit, but the image changes only with
    // clicks: right after start-up Write I/O Byte sends 0x00.
    tester().cmdWriteIO->click();
    EXPECT_EQ(lab.board().controlLatch(), 0x00);
    EXPECT_EQ(pins({"pin1Display", "pin16Display"}), "R-");  // STROBE inverted: register 0 is pin high
    check("ckStrobe")->click();
    check("ckStrobe")->click();
    tester().cmdWriteIO->click();
    EXPECT_EQ(lab.board().controlLatch(), 0x01);
    EXPECT_EQ(pins({"pin1Display"}), "-");

    // Data bit 7 pulls SDA low; the status register's bit 7 shows it.
    check("ckData7")->click();
    tester().cmdWriteData->click();
    EXPECT_EQ(lab.board().dataLatch(), 0x80);
    EXPECT_EQ(pins({"pin9Display", "pin8Display"}), "R-");
    tester().cmdReadStatus->click();
    // BUSY reads 0 while SDA is low; ACK floats high on the adapter.
    EXPECT_EQ(pins({"pin11Display", "pin10Display"}), "RR");

    // Writing the status register changes nothing; the read shows the inputs.
    check("ckAck")->click();
    tester().cmdWriteStatus->click();
    EXPECT_EQ(tester().image(pins::PortRegister::Status), 0x00);
    EXPECT_EQ(pins({"pin10Display"}), "R");
}

TEST_F(PinTesterWindow, StaysOnTheStartUpPortWhenTheMenuChoosesLpt2)
{
    menu("LPT2");
    EXPECT_EQ(lab.app->bus().lines.portSet().dataPortAddr, 0x278);
    EXPECT_EQ(tester().ports().data, 0x378);
    check("ckData0")->click();
    check("ckData2")->click();
    tester().cmdWriteData->click();
    EXPECT_EQ(lab.board().dataLatch(), 0x05);
}
