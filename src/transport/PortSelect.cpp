#include "transport/PortSelect.h"

#include "transport/BusLines.h"
#include "transport/DirectPort.h"
#include "transport/HardwarePort.h"

#include <cstdio>

namespace zvx {

std::optional<PortKind> parsePortKind(std::string_view text)
{
    if (text == "auto")
        return PortKind::Auto;
    if (text == "sim")
        return PortKind::Sim;
    if (text == "ppdev")
        return PortKind::Ppdev;
    if (text == "direct")
        return PortKind::Direct;
    return std::nullopt;
}

const char* portKindName(PortKind kind)
{
    switch (kind) {
    case PortKind::Auto: return "auto";
    case PortKind::Sim: return "sim";
    case PortKind::Ppdev: return "ppdev";
    case PortKind::Direct: return "direct";
    }
    return "auto";
}

PortKindChoice resolvePortKind(std::optional<PortKind> option, const char* environmentValue)
{
    if (option)
        return {*option, {}};
    if (environmentValue == nullptr || *environmentValue == '\0')
        return {PortKind::Auto, {}};
    if (auto kind = parsePortKind(environmentValue))
        return {*kind, {}};
    return {PortKind::Auto, std::string(kPortEnvironmentVariable) + "=" + environmentValue +
                                ": expected auto, sim, ppdev or direct"};
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

PortChoice hardware(LptOpener opener, const PortOpenOptions& options, std::string* error = nullptr)
{
    const int lpt = (options.lptIndex >= 0 && options.lptIndex <= 2) ? options.lptIndex : 0;
    const std::uint16_t base = kLptPorts[static_cast<std::size_t>(lpt)].base;
    LptOpenResult r = opener(base);
    PortChoice c;
    if (!r.registers) {
        if (error)
            *error = r.error;
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
    case PortKind::Auto:
        break;
    }
    // auto: a hardware port only through ppdev, which proves the port exists;
    // direct I/O would happily "open" an empty address range.
    std::string error;
    PortChoice hw = hardware(ppdev, options, &error);
    if (hw.hardware)
        return hw;
    return simulated(makeSimulated, "no hardware port: " + error);
}

} // namespace zvx
