#include "sim/SimBoard.h"

namespace zvx {

SimBoard::SimBoard()
    : u1_("U1", kU1WriteAddress), u4_("U4", kU4WriteAddress)
{
    lastScl_ = sclLine();
    lastSda_ = sdaLine();
}

std::string SimBoard::description() const
{
    return "simulated evaluation board";
}

std::string SimBoard::describeLpt(int lpt) const
{
    return lpt == 0 ? description() : description() + ": empty port";
}

bool SimBoard::sdaLine() const
{
    return (data_ & kSdaDriveBit) == 0 && !sdaStuckLow_ && !u1_.drivesSdaLow() && !u4_.drivesSdaLow();
}

std::uint8_t SimBoard::portIn(std::uint16_t address)
{
    switch (address) {
    case kLpt1Data:
        return data_;
    case kLpt1Status:
        settle();
        return static_cast<std::uint8_t>(kStatusOtherBits | (sdaLine() ? kSdaSenseBit : 0));
    case kLpt1Control:
        return control_;
    default:
        return kAbsentPortValue;
    }
}

void SimBoard::portOut(std::uint16_t address, std::uint8_t value)
{
    switch (address) {
    case kLpt1Data:
        settle();
        data_ = value;
        settle();
        break;
    case kLpt1Control:
        settle();
        control_ = value;
        settle();
        break;
    default:
        break;  // the status register is read-only; nothing else is there
    }
}

bool SimBoard::takeVirtualDelay(std::uint64_t ns)
{
    timeNs_ += ns > kShortestUnitNs ? ns : kShortestUnitNs;
    return true;
}

void SimBoard::settle()
{
    // A chip changes its drive only on an SCL falling edge, and only a start
    // or stop can follow from an SDA change with SCL high, so this settles in
    // one or two rounds; the bound is a guard, not a timing.
    for (int round = 0; round < 8; ++round) {
        const bool scl = sclLine();
        const bool sda = sdaLine();
        if (scl == lastScl_ && sda == lastSda_)
            return;
        if (scl != lastScl_) {
            // All chips see the same SDA level at the clock edge.
            lastScl_ = scl;
            for (SimChip* c : {&u1_, &u4_}) {
                if (scl)
                    c->sclRose(sda);
                else
                    c->sclFell();
            }
            continue;  // re-read SDA: a chip may have changed its drive
        }
        lastSda_ = sda;
        if (scl) {
            for (SimChip* c : {&u1_, &u4_}) {
                if (sda)
                    c->stopCondition();
                else
                    c->startCondition();
            }
        }
    }
}

SimChip* SimBoard::chipAt(std::uint8_t address)
{
    const auto writeForm = static_cast<std::uint8_t>(address & 0xFE);
    if (writeForm == u1_.writeAddress())
        return &u1_;
    if (writeForm == u4_.writeAddress())
        return &u4_;
    return nullptr;
}

void SimBoard::setSdaStuckLow(bool stuck)
{
    sdaStuckLow_ = stuck;
    settle();
}

void SimBoard::powerCycle()
{
    u1_.powerUp();
    u4_.powerUp();
    data_ = kDataPowerUp;
    control_ = kControlPowerUp;
    // Everything starts from rest: no edge is made of the switch itself.
    lastScl_ = sclLine();
    lastSda_ = sdaLine();
}

} // namespace zvx
