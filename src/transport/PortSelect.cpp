#include "transport/PortSelect.h"

#include "transport/BusLines.h"
#include "transport/DirectPort.h"
#include "transport/HardwarePort.h"

#include <cstdio>

namespace zvx {

namespace {
constexpr std::string_view kI2cDev = "i2c-dev";
}

std::optional<PortSpec> parsePortSpec(std::string_view text)
{
    if (text == "auto")
        return PortSpec{PortKind::Auto, {}};
    if (text == "sim")
        return PortSpec{PortKind::Sim, {}};
    if (text == "ppdev")
        return PortSpec{PortKind::Ppdev, {}};
    if (text == "direct")
        return PortSpec{PortKind::Direct, {}};
    if (text == kI2cDev)
        return PortSpec{PortKind::I2cDev, {}};
    if (text.size() > kI2cDev.size() + 1 && text.substr(0, kI2cDev.size()) == kI2cDev &&
        text[kI2cDev.size()] == ':')
        return PortSpec{PortKind::I2cDev, std::string(text.substr(kI2cDev.size() + 1))};
    return std::nullopt;
}

std::string portValueExpectation(std::string_view badValue)
{
    if (badValue.substr(0, 3) == "i2c")
        return "i2c-dev or i2c-dev:/dev/i2c-N";
    return "auto, sim, ppdev or direct";
}

std::optional<PortKind> parsePortKind(std::string_view text)
{
    if (auto parsed = parsePortSpec(text))
        return parsed->kind;
    return std::nullopt;
}

const char* portKindName(PortKind kind)
{
    switch (kind) {
    case PortKind::Auto: return "auto";
    case PortKind::Sim: return "sim";
    case PortKind::Ppdev: return "ppdev";
    case PortKind::Direct: return "direct";
    case PortKind::I2cDev: return "i2c-dev";
    }
    return "auto";
}

PortKindChoice resolvePortKind(std::optional<PortKind> option, const char* environmentValue)
{
    return resolvePortSpec(option ? std::optional<PortSpec>(PortSpec{*option, {}}) : std::nullopt,
                           environmentValue);
}

PortKindChoice resolvePortSpec(const std::optional<PortSpec>& option, const char* environmentValue)
{
    if (option)
        return {option->kind, {}, option->device};
    if (environmentValue == nullptr || *environmentValue == '\0')
        return {PortKind::Auto, {}, {}};
    if (auto parsed = parsePortSpec(environmentValue))
        return {parsed->kind, {}, parsed->device};
    return {PortKind::Auto,
            std::string(kPortEnvironmentVariable) + "=" + environmentValue + ": expected " +
                portValueExpectation(environmentValue),
            {}};
}

namespace {

PortChoice simulated(const SimulatedBoardFactory& makeSimulated, const std::string& why)
{
    PortChoice c;
    if (makeSimulated)
        c.port = makeSimulated();
    if (!c.port) {
        c.port = std::make_unique<AbsentPort>("the simulated board is not available");
        c.status = "Port: none — the simulated board is not available";
        return c;
    }
    c.simulated = true;
    c.note = why;
    c.status = "Port: simulated evaluation board" + (why.empty() ? std::string() : " (" + why + ")");
    return c;
}

PortChoice hardware(LptOpener opener, const PortOpenOptions& options, std::string* error = nullptr,
                    bool* inUse = nullptr)
{
    const int lpt = (options.lptIndex >= 0 && options.lptIndex <= 2) ? options.lptIndex : 0;
    const std::uint16_t base = kLptPorts[static_cast<std::size_t>(lpt)].base;
    LptOpenResult r = opener(base);
    PortChoice c;
    if (!r.registers) {
        if (error)
            *error = r.error;
        if (inUse)
            *inUse = r.inUse;
        c.port = std::make_unique<AbsentPort>(r.error);
        c.status = "Port: none — " + r.error;
        return c;
    }
    auto notice = options.notice;
    if (!notice)
        notice = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    c.port = std::make_unique<HardwarePort>(lpt, std::move(r.registers), std::move(opener), std::move(notice));
    c.hardware = true;
    c.status = "Port: " + c.port->description();
    return c;
}

} // namespace

PortChoice openPort(PortKind kind, const SimulatedBoardFactory& makeSimulated, const PortOpenOptions& options)
{
    const ParportPaths paths = options.paths;
    LptOpener ppdev = [paths](std::uint16_t base) { return PpdevLpt::open(base, paths); };

    switch (kind) {
    case PortKind::Sim:
        return simulated(makeSimulated, {});
    case PortKind::Ppdev:
        return hardware(ppdev, options);
    case PortKind::Direct:
        return hardware(&openDirectLpt, options);
    case PortKind::I2cDev:
        // Not a port: the program opens the adapter as its bus instead.
        return {std::make_unique<AbsentPort>("the bus is an I2C adapter"), "Port: none — the bus is an I2C adapter",
                false, false, {}};
    case PortKind::Auto:
        break;
    }
    // auto: a hardware port only through ppdev, which proves the port exists;
    // direct I/O would happily "open" an empty address range. A port another
    // program holds is there all the same: the simulated board does not stand
    // in for it, or a script's writes would "succeed" on a board that is not
    // on the bench.
    std::string error;
    bool inUse = false;
    PortChoice hw = hardware(ppdev, options, &error, &inUse);
    if (hw.hardware || inUse)
        return hw;
    return simulated(makeSimulated, "no hardware port: " + error);
}

} // namespace zvx
