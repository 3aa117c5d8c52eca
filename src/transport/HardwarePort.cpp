#include "transport/HardwarePort.h"

#include "transport/BusLines.h"

namespace zvx {

HardwarePort::HardwarePort(int selectedLpt, std::unique_ptr<LptRegisters> selected, LptOpener opener,
                           std::function<void(const std::string&)> notice)
    : selectedLpt_(selectedLpt), opener_(std::move(opener)), notice_(std::move(notice))
{
    auto& slot = slots_.at(static_cast<std::size_t>(selectedLpt));
    slot.registers = std::move(selected);
    slot.tried = true;
}

LptRegisters* HardwarePort::registersFor(int lpt)
{
    Slot& slot = slots_[static_cast<std::size_t>(lpt)];
    if (!slot.tried) {
        slot.tried = true;
        if (opener_) {
            LptOpenResult r = opener_(kLptPorts[static_cast<std::size_t>(lpt)].base);
            slot.registers = std::move(r.registers);
            slot.error = r.error;
            if (!slot.registers && notice_)
                notice_("Port: " + lptName(kLptPorts[static_cast<std::size_t>(lpt)].base) +
                        " reads as an absent port: " + r.error);
        }
    }
    return slot.registers.get();
}

std::uint8_t HardwarePort::portIn(std::uint16_t address)
{
    const auto where = lptRegisterOf(address);
    if (!where)
        return 0xFF;
    LptRegisters* regs = registersFor(where->lpt);
    return regs ? regs->read(where->reg) : 0xFF;
}

void HardwarePort::portOut(std::uint16_t address, std::uint8_t value)
{
    const auto where = lptRegisterOf(address);
    if (!where)
        return;
    if (LptRegisters* regs = registersFor(where->lpt))
        regs->write(where->reg, value);
}

std::string HardwarePort::describeLpt(int lpt) const
{
    if (lpt < 0 || lpt > 2)
        return "no port";
    const Slot& slot = slots_[static_cast<std::size_t>(lpt)];
    if (slot.registers)
        return slot.registers->access();
    if (!slot.tried)
        return "not opened yet";
    return "no port: " + slot.error;
}

std::string HardwarePort::description() const
{
    const auto& slot = slots_[static_cast<std::size_t>(selectedLpt_)];
    const std::string where = lptName(kLptPorts[static_cast<std::size_t>(selectedLpt_)].base);
    if (!slot.registers)
        return "no port on " + where;
    return slot.registers->access() + " (" + where + ")";
}

} // namespace zvx
