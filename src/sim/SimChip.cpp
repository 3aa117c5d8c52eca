#include "sim/SimChip.h"

#include <utility>

namespace zvx {

SimChip::SimChip(std::string name, std::uint8_t writeAddress)
    : name_(std::move(name)), writeAddress_(static_cast<std::uint8_t>(writeAddress & 0xFE))
{
}

// ---------------------------------------------------------------- wire side

void SimChip::startCondition()
{
    driveLow_ = false;
    if (!answering()) {
        phase_ = Phase::Idle;
        return;
    }
    // A repeated start abandons a half-shifted byte just like a first start.
    phase_ = Phase::Receive;
    bitCount_ = 0;
    shift_ = 0;
    addressByte_ = true;
    pointerPending_ = false;
    reading_ = false;
}

void SimChip::stopCondition()
{
    phase_ = Phase::Idle;
    driveLow_ = false;
}

void SimChip::sclRose(bool sdaHigh)
{
    switch (phase_) {
    case Phase::Receive:
        if (bitCount_ < 8) {
            shift_ = static_cast<std::uint8_t>((shift_ << 1) | (sdaHigh ? 1 : 0));
            ++bitCount_;
        }
        break;
    case Phase::AckOut:
        ninthClockSeen_ = true;
        break;
    case Phase::Transmit:
        ++bitCount_;  // the master samples the bit the chip set up
        break;
    case Phase::AckIn:
        masterAcked_ = !sdaHigh;
        ninthClockSeen_ = true;
        break;
    case Phase::Idle:
        break;
    }
}

void SimChip::sclFell()
{
    switch (phase_) {
    case Phase::Receive:
        if (bitCount_ == 8)
            byteReceived(shift_);
        break;
    case Phase::AckOut:
        if (!ninthClockSeen_)
            break;
        driveLow_ = false;
        if (reading_) {
            loadNextTransmitByte();
        } else {
            phase_ = Phase::Receive;
            bitCount_ = 0;
            shift_ = 0;
        }
        break;
    case Phase::Transmit:
        if (bitCount_ == 8) {
            // Release SDA for the master's acknowledge.
            driveLow_ = false;
            phase_ = Phase::AckIn;
            ninthClockSeen_ = false;
            masterAcked_ = false;
        } else {
            driveLow_ = (outByte_ & (0x80 >> bitCount_)) == 0;
        }
        break;
    case Phase::AckIn:
        if (!ninthClockSeen_)
            break;
        if (masterAcked_) {
            loadNextTransmitByte();
        } else {
            // No acknowledge: the read is over; SDA stays released until the
            // master's stop or next start.
            phase_ = Phase::Idle;
        }
        break;
    case Phase::Idle:
        break;
    }
}

void SimChip::byteReceived(std::uint8_t byte)
{
    if (addressByte_) {
        if ((byte & 0xFE) != writeAddress_) {
            // Someone else's address: stay off the bus until the next start.
            phase_ = Phase::Idle;
            return;
        }
        if (countByteAndMaybeFallSilent())
            return;
        addressByte_ = false;
        reading_ = (byte & 0x01) != 0;
        pointerPending_ = !reading_;
    } else {
        if (countByteAndMaybeFallSilent())
            return;
        if (pointerPending_) {
            pointer_ = byte;
            pointerPending_ = false;
        } else {
            writeRegister(pointer_, byte);
            ++pointer_;  // 8 bits wide: 0xFF wraps to 0x00
        }
    }
    phase_ = Phase::AckOut;
    ninthClockSeen_ = false;
    driveLow_ = true;
}

void SimChip::loadNextTransmitByte()
{
    if (countByteAndMaybeFallSilent())
        return;
    outByte_ = readRegister(pointer_);
    ++pointer_;
    phase_ = Phase::Transmit;
    bitCount_ = 0;
    driveLow_ = (outByte_ & 0x80) == 0;
}

bool SimChip::countByteAndMaybeFallSilent()
{
    if (!bytesBeforeSilence_)
        return false;
    if (*bytesBeforeSilence_ <= 0) {
        bytesBeforeSilence_.reset();
        fellSilent_ = true;
        goSilent();
        return true;
    }
    --*bytesBeforeSilence_;
    return false;
}

void SimChip::goSilent()
{
    phase_ = Phase::Idle;
    driveLow_ = false;
}

// ------------------------------------------------------------ register side

std::uint8_t SimChip::register5Mask(ChipRevision revision)
{
    // Each stepping left a different set of the DPA block's spare control
    // bits (7..2) without a latch; those read back 0.
    return static_cast<std::uint8_t>((revisionSignature(revision) << 2) | 0x03);
}

std::uint8_t SimChip::readRegister(std::uint8_t reg) const
{
    if (reg == 5) {
        return static_cast<std::uint8_t>(registers_[5] & register5Mask(revision_));
    }
    if (reg < registers_.size())
        return registers_[reg];
    switch (reg) {
    case 0x10:
        return version_;
    case 0x11:
        return kRegister11;
    case 0x12:
        return lockStatus();
    default:
        return 0x00;  // register 8 is write-only; the rest are unused
    }
}

void SimChip::writeRegister(std::uint8_t reg, std::uint8_t value)
{
    if (reg < registers_.size()) {
        registers_[reg] = value;
        if (reg >= 1 && reg <= 3)
            pllLocked_ = false;  // new divider or post-scaler: the loop must settle again
        else if (reg == 4 || reg == 5)
            dpaLocked_ = false;
        return;
    }
    if (reg == 8) {
        switch (value) {
        case kPllResetCommand:
            pllReset();
            break;
        case kDpaResetCommand:
            dpaReset();
            break;
        case kBothResetCommand:
            pllReset();
            dpaReset();
            break;
        default:
            break;
        }
    }
    // Read-only and unused registers take the byte and ignore it.
}

std::uint8_t SimChip::storedRegister(std::uint8_t reg) const
{
    return reg < registers_.size() ? registers_[reg] : 0;
}

std::uint8_t SimChip::lockStatus() const
{
    return static_cast<std::uint8_t>((pllLocked_ ? kLockPllBit : 0) | (dpaLocked_ ? kLockDpaBit : 0));
}

std::uint64_t SimChip::vcoFrequencyHz() const
{
    const std::uint64_t feedbackDivider = 256u * (registers_[3] & 0x0Fu) + registers_[2];
    const std::uint64_t totalPixels = feedbackDivider + 8;
    const std::uint64_t postScaler = 2u << ((registers_[1] >> 4) & 0x03u);
    return kHsyncHz * totalPixels * postScaler;
}

bool SimChip::vcoInRange() const
{
    const std::uint64_t f = vcoFrequencyHz();
    return f >= kVcoMinHz && f <= kVcoMaxHz;
}

void SimChip::pllReset()
{
    pllLocked_ = vcoInRange();
    if (!pllLocked_)
        dpaLocked_ = false;  // the DPA taps the VCO: no VCO lock, no DPA lock
}

void SimChip::dpaReset()
{
    dpaLocked_ = pllLocked_ && (registers_[5] & 0x03) != 2;
}

void SimChip::powerUp()
{
    registers_.fill(0);
    pointer_ = 0;
    pllLocked_ = false;
    dpaLocked_ = false;
    phase_ = Phase::Idle;
    bitCount_ = 0;
    shift_ = 0;
    outByte_ = 0;
    addressByte_ = false;
    pointerPending_ = false;
    reading_ = false;
    ninthClockSeen_ = false;
    masterAcked_ = false;
    driveLow_ = false;
}

// ------------------------------------------------------------------- faults

void SimChip::setNotAnswering(bool notAnswering)
{
    notAnswering_ = notAnswering;
    if (notAnswering_)
        goSilent();
}

void SimChip::stopAnsweringAfter(int bytes)
{
    bytesBeforeSilence_ = bytes < 0 ? 0 : bytes;
}

void SimChip::clearFaults()
{
    notAnswering_ = false;
    fellSilent_ = false;
    bytesBeforeSilence_.reset();
}

} // namespace zvx
