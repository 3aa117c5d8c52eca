#include "device/ChipDevice.h"

#include "device/WriteAllPlan.h"
#include "transport/BusLog.h"

#include <string>

namespace zvx {

std::string notAnsweringSentence(Device device, std::int16_t writeAddress, const std::string& where)
{
    return std::string(deviceName(device)) + " is not answering at 0x" + showHexByte(writeAddress & 0xFF) +
           " on " + where + " (no acknowledge)";
}

class ChipDevice::Operation {
public:
    explicit Operation(ChipDevice& device) : device_(device), outerAckMissing_(device.operationAckMissing_)
    {
        device_.operationAckMissing_ = false;
        ++device_.depth_;
    }
    ~Operation()
    {
        const bool missing = device_.operationAckMissing_;
        device_.answered_ = !missing;
        device_.operationAckMissing_ = outerAckMissing_ || missing;
        if (--device_.depth_ == 0 && device_.onOperationEnd)
            device_.onOperationEnd(device_, device_.answered_);
    }
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

private:
    ChipDevice& device_;
    bool outerAckMissing_;
};

void ChipDevice::noteTransaction()
{
    if (bus_.lastTransactionAckMissing())
        operationAckMissing_ = true;
}

ChipDevice::ChipDevice(I2cTransactions& bus, BusLog& log, Device id, const std::int16_t& readAddress,
                       const std::int16_t& writeAddress)
    : bus_(bus), log_(log), id_(id), readAddress_(readAddress), writeAddress_(writeAddress)
{
}

void ChipDevice::logHeading(std::string_view heading)
{
    std::string line(heading);
    line += "\r\n";
    log_.debugLog(line);
}

void ChipDevice::writeRegister(int reg, std::int16_t value)
{
    Operation op(*this);
    bus_.i2cWriteRegister(writeAddress_, static_cast<std::int16_t>(reg), value);
    noteTransaction();
}

void ChipDevice::writeZeroToPLLreset()
{
    writeRegister(reg::Reset, kPllResetByte);
}

void ChipDevice::writeZeroToDPAreset()
{
    writeRegister(reg::Reset, kDpaResetByte);
}

std::int16_t ChipDevice::readRegister(int reg)
{
    Operation op(*this);
    const std::int16_t value = bus_.i2cReadRegister(readAddress_, writeAddress_, static_cast<std::int16_t>(reg));
    noteTransaction();
    return value;
}

std::int16_t ChipDevice::readLockStatus()
{
    return readRegister(reg::LockStatus);
}

bool ChipDevice::pllRegistersChanged(int loopCntlFormValue, int fdbk0Value, int fdbk1Value)
{
    Operation op(*this);
    if (loopCntlFormValue != readRegister(reg::LoopCntl)) return true;
    if (fdbk0Value != readRegister(reg::FdBk0)) return true;
    return fdbk1Value != readRegister(reg::FdBk1);
}

bool ChipDevice::dpaRegistersChanged(int dpaCntlValue)
{
    Operation op(*this);
    return dpaCntlValue != readRegister(reg::DPAcntl);
}

std::int16_t ChipDevice::writeAllBus(const RegisterImage& image, bool pllChanged, bool dpaChanged,
                                     const LockStatusHandler& onLockStatus)
{
    Operation op(*this);
    const WriteAllPlan plan = writeAllPlan(image, pllChanged, dpaChanged);
    RegisterImage block{};
    for (std::size_t r = 0; r < plan.block.size(); ++r)
        block[r] = static_cast<std::int16_t>(plan.block[r]);
    bus_.i2cWriteBlock(writeAddress_, reg::FirstBlockRegister, reg::FirstBlockRegister,
                       reg::LastBlockRegister, block);
    noteTransaction();
    for (const int reset : plan.resets)
        writeRegister(reg::Reset, static_cast<std::int16_t>(reset));

    const std::int16_t status = readLockStatus();
    if (onLockStatus) onLockStatus(status);
    for (const int reset : recoveryResets(status))
        writeRegister(reg::Reset, static_cast<std::int16_t>(reset));

    const std::int16_t finalStatus = readLockStatus();
    if (onLockStatus) onLockStatus(finalStatus);
    return finalStatus;
}

std::array<std::int16_t, 8> ChipDevice::readRegisters0to7()
{
    Operation op(*this);
    bus_.i2cSetPointer(writeAddress_, reg::FirstBlockRegister);
    noteTransaction();
    bus_.i2cReadSequential(readAddress_, reg::LastBlockRegister);
    noteTransaction();
    std::array<std::int16_t, 8> values{};
    for (std::size_t k = 0; k < values.size(); ++k) values[k] = bus_.readBuffer[k];
    return values;
}

IdentityBlock ChipDevice::readIdentityBlock()
{
    Operation op(*this);
    bus_.i2cSetPointer(writeAddress_, reg::ChipVer);
    noteTransaction();
    bus_.i2cReadSequential(readAddress_, reg::LockStatus - reg::ChipVer);
    noteTransaction();
    return {bus_.readBuffer[0], bus_.readBuffer[1], bus_.readBuffer[2]};
}

RevisionProbe ChipDevice::probeRevision()
{
    Operation op(*this);
    RevisionProbe probe;
    probe.version = readRegister(reg::ChipVer);
    if (probe.version != kChipVersion) return probe;

    // Bits 7..2 of register 5 have no use in the DPA code; each revision of
    // the silicon implements a different subset of them as storage, so
    // setting all six and reading them back names the revision.
    const std::int16_t r = readRegister(reg::DPAcntl);
    writeRegister(reg::DPAcntl, static_cast<std::int16_t>(r | 0xFC));
    const std::int16_t r2 = readRegister(reg::DPAcntl);
    probe.signature = revisionSignatureOf(r2);
    writeRegister(reg::DPAcntl, static_cast<std::int16_t>(r2 & 0x03));
    probe.revision = lookupRevision(*probe.signature);
    return probe;
}

} // namespace zvx
