#include "cli/CtlPort.h"

#include "device/RegisterCodecs.h"
#include "transport/BusLines.h"
#include "transport/PortIo.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <ostream>

namespace zvx {

namespace {

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// 0..255, decimal or 0x hex, as every other zvx7246ctl number.
std::optional<int> byteValue(const std::string& text)
{
    const char* first = text.data();
    const char* last = text.data() + text.size();
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        first += 2;
        base = 16;
    }
    int value = 0;
    const auto [ptr, ec] = std::from_chars(first, last, value, base);
    if (ec != std::errc() || ptr != last || first == last || value < 0 || value > 255)
        return std::nullopt;
    return value;
}

} // namespace

std::variant<PortCommand, std::string> parsePortCommand(const std::vector<std::string>& words)
{
    if (words.size() < 2)
        return "wrong number of arguments for 'port'";
    const std::string action = lower(words[1]);
    if (action != "read" && action != "write")
        return "bad port command '" + words[1] + "' (expected read or write)";
    PortCommand command;
    command.write = action == "write";
    if (words.size() != (command.write ? 4u : 3u))
        return "wrong number of arguments for 'port " + action + "'";

    const std::string reg = lower(words[2]);
    if (reg == "data")
        command.reg = PortCommand::Register::Data;
    else if (reg == "status" && !command.write)
        command.reg = PortCommand::Register::Status;
    else if (reg == "control")
        command.reg = PortCommand::Register::Control;
    else if (reg == "status")
        return "bad register 'status' for write (the status register is read-only; expected data or control)";
    else
        return "bad register '" + words[2] + "' (expected " +
               (command.write ? "data or control" : "data, status or control") + ")";

    if (command.write) {
        const auto value = byteValue(words[3]);
        if (!value)
            return "bad value '" + words[3] + "' (expected 0..255, decimal or 0x hex)";
        command.value = static_cast<std::uint8_t>(*value);
    }
    return command;
}

void runPortCommand(const PortCommand& command, PortIo& port, const PortSet& ports, std::ostream& out)
{
    const std::uint16_t address = command.reg == PortCommand::Register::Data     ? ports.dataPortAddr
                                  : command.reg == PortCommand::Register::Status ? ports.statusPortAddr
                                                                                 : ports.controlPortAddr;
    if (command.write)
        port.portOut(address, command.value);
    else
        out << showHexByte(port.portIn(address)) << "\n";
}

} // namespace zvx
