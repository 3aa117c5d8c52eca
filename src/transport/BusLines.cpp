#include "transport/BusLines.h"

#include "transport/BusLog.h"

#include <chrono>
#include <cstdio>
#include <limits>

namespace zvx {

std::optional<LptRegister> lptRegisterOf(std::uint16_t address)
{
    for (int i = 0; i < static_cast<int>(kLptPorts.size()); ++i) {
        const int offset = address - kLptPorts[i].base;
        if (offset >= 0 && offset <= 2)
            return LptRegister{i, offset};
    }
    return std::nullopt;
}

std::string lptName(std::uint16_t base)
{
    char buf[32];
    for (const auto& p : kLptPorts) {
        if (p.base == base) {
            std::snprintf(buf, sizeof buf, "%s 0x%03X", p.name, unsigned{base});
            return buf;
        }
    }
    std::snprintf(buf, sizeof buf, "0x%04X", unsigned{base});
    return buf;
}

BusLines::BusLines(PortIo& port, BusLog& log)
    : port_(port), log_(log), portHasClock_(port.virtualTimeNs().has_value())
{
}

void BusLines::selectLPTport(std::int16_t index)
{
    if (index >= 0 && index < static_cast<std::int16_t>(kLptPorts.size())) {
        const std::uint16_t base = kLptPorts[static_cast<std::size_t>(index)].base;
        ports_.dataPortAddr = base;
        ports_.statusPortAddr = static_cast<std::uint16_t>(base + 1);
        ports_.controlPortAddr = static_cast<std::uint16_t>(base + 2);
    }
    if (ports_.controlPortAddr != 0)
        ports_.savedControlByte = port_.portIn(ports_.controlPortAddr);
}

void BusLines::closeI2Cbus()
{
    if (ports_.controlPortAddr == 0)
        return;
    port_.portOut(ports_.controlPortAddr, ports_.savedControlByte);
    setSDAhigh();
    log_.debugLog("Wisp SYS003 :I2C Bus closed ");
}

// SDA changes read the data register and write it back with only bit 7
// altered: bits 0 to 6 may drive something else on the connector.
void BusLines::setSDAlow()
{
    const std::uint8_t data = port_.portIn(ports_.dataPortAddr);
    port_.portOut(ports_.dataPortAddr, static_cast<std::uint8_t>(data | wiring::kSdaDriveMask));
    busDelay();
}

void BusLines::setSDAhigh()
{
    const std::uint8_t data = port_.portIn(ports_.dataPortAddr);
    port_.portOut(ports_.dataPortAddr, static_cast<std::uint8_t>(data & ~wiring::kSdaDriveMask));
    busDelay();
}

// The control register is written whole: STROBE, AUTOFEED, INIT, the
// interrupt enable and the direction bit stay 0 while the bus is in use.
void BusLines::setSCLlow()
{
    port_.portOut(ports_.controlPortAddr, wiring::kSclLow);
    busDelay();
}

void BusLines::setSCLhigh()
{
    port_.portOut(ports_.controlPortAddr, wiring::kSclHigh);
    busDelay();
}

std::uint8_t BusLines::readSDA()
{
    return static_cast<std::uint8_t>(port_.portIn(ports_.statusPortAddr) & wiring::kSdaSenseMask);
}

std::uint64_t BusLines::delayUnitNs(std::int32_t count)
{
    if (count <= 0)
        return 0;
    return std::uint64_t{static_cast<std::uint32_t>(count > kMaxDelayCount ? kMaxDelayCount : count)} * 1000;
}

std::uint64_t BusLines::steadyClockNs()
{
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

void BusLines::busDelay()
{
    std::int32_t passes = 0;
    if (delayCount >= 0) {
        const std::uint64_t ns = delayUnitNs(delayCount);
        if (portHasClock_ && port_.takeVirtualDelay(ns))
            passes = 1;
        else
            passes = ns == 0 ? 1 : busyWait(ns);  // the shortest unit reads no clock
    }
    port_.delayElapsed(passes);
}

// A pass count, not a pass budget: how many passes a microsecond takes
// depends on the processor, so the wait ends on the clock alone, at the
// first reading a whole unit after the first one.
std::int32_t BusLines::busyWait(std::uint64_t ns)
{
    const std::uint64_t start = monotonicNs();
    std::int32_t passes = 1;
    while (monotonicNs() - start < ns) {
        if (passes < std::numeric_limits<std::int32_t>::max())
            ++passes;
    }
    return passes;
}

} // namespace zvx
