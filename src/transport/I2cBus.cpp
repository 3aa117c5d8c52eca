#include "transport/I2cBus.h"

#include "transport/HardwarePort.h"

namespace zvx {

namespace {
constexpr int kStopConditions = 6;
constexpr std::int16_t kStartupPollLimit = 400;

std::unique_ptr<PortIo> orAbsent(std::unique_ptr<PortIo> port)
{
    if (!port)
        return std::make_unique<AbsentPort>("no port backend was given");
    return port;
}
} // namespace

I2cBus::I2cBus(std::unique_ptr<PortIo> port, std::unique_ptr<I2cDevAdapter> adapter)
    : port_(adapter ? std::make_unique<AbsentPort>("the bus is an I2C adapter") : orAbsent(std::move(port))),
      lines(*port_, log), engine(lines, log), adapter_(std::move(adapter))
{
    if (adapter_)
        adapterBus_ = std::make_unique<I2cDevBus>(adapter_->file.get(), log);
}

void I2cBus::setBeep(const std::function<void()>& beep)
{
    engine.beep = beep;
    if (adapterBus_)
        adapterBus_->beep = beep;
}

void I2cBus::closeI2Cbus()
{
    if (!adapter_) {
        lines.closeI2Cbus();
        return;
    }
    if (adapterOpen_) {
        adapterOpen_ = false;
        log.debugLog("Wisp SYS003 :I2C Bus closed ");
    }
}

// Six stop conditions free a chip left in the middle of a byte. The first
// one doubles as the adapter check: with the board's adapter on the port,
// SDA reads low right after the program pulls it low and high right after
// it lets go. Only the status register is read for this; the line changes
// are exactly the six stops.
void I2cBus::initI2Cbus(std::int16_t pollLimit)
{
    for (int i = 0; i < kStopConditions; ++i) {
        lines.setSDAlow();
        if (i == 0)
            sdaFollowedLow_ = lines.readSDA() == 0;
        lines.setSCLhigh();
        lines.setSDAhigh();
        if (i == 0)
            sdaFollowedHigh_ = lines.readSDA() != 0;
        lines.setSCLlow();
    }
    adapterFound_ = sdaFollowedLow_ && sdaFollowedHigh_;
    checkedPort_ = lines.portSet().dataPortAddr;
    engine.setAckPollLimit(pollLimit);
    lines.setSCLhigh();
}

void I2cBus::initLPTport(std::int16_t index)
{
    if (adapter_) {
        closeI2Cbus();
        adapterOpen_ = true;
        return;
    }
    lines.closeI2Cbus();
    lines.selectLPTport(index);
    initI2Cbus(kStartupPollLimit);
}

std::string I2cBus::where() const
{
    if (adapter_)
        return adapter_->node.empty() ? std::string("i2c-dev") : adapter_->node;
    const auto lpt = lptRegisterOf(lines.portSet().dataPortAddr);
    if (!lpt || lines.portSet().controlPortAddr == 0)
        return "no port";
    return kLptPorts[static_cast<std::size_t>(lpt->lpt)].name;
}

std::string I2cBus::portDescription() const
{
    if (adapter_)
        return adapter_->description();
    const auto lpt = lptRegisterOf(lines.portSet().dataPortAddr);
    if (!lpt || lines.portSet().controlPortAddr == 0)
        return port_->description();
    std::string text = std::string(kLptPorts[static_cast<std::size_t>(lpt->lpt)].name) + ", " +
                       port_->describeLpt(lpt->lpt);
    if (!backendNote.empty())
        text += " (" + backendNote + ")";
    if (!adapterFound_ && checkedPort_ == lines.portSet().dataPortAddr)
        text += " — " + adapterMessage();
    return text;
}

std::string I2cBus::adapterMessage() const
{
    if (adapterFound_)
        return {};
    const std::string where = lptName(checkedPort_);
    if (!sdaFollowedLow_)
        return "No I2C adapter on " + where +
               ": SDA stays high while the port pulls it low (no adapter or cable, or no port)";
    return "No I2C adapter on " + where +
           ": SDA stays low after the port releases it (no adapter, SDA shorted to ground, or a chip holding the bus)";
}

} // namespace zvx
