#include "cli/CtlPort.h"

#include "cli/CtlArgs.h"
#include "device/RegisterCodecs.h"
#include "transport/BusLines.h"
#include "transport/PortIo.h"

#include <algorithm>
#include <ostream>

namespace zvx {

namespace {

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

} // namespace

std::variant<PortCommand, std::string> parsePortCommand(const std::vector<std::string>& words)
{
    if (words.size() < 2)
        return "wrong number of arguments for 'port'";
    const std::string action = lower(words[1]);
    if (action != "read" && action != "write")
        return "bad port command '" + ctl::echo(words[1]) + "' (expected read or write)";
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
        return "bad register '" + ctl::echo(words[2]) + "' (expected " +
               (command.write ? "data or control" : "data, status or control") + ")";

    if (command.write) {
        try {
            command.value = static_cast<std::uint8_t>(ctl::parseNumber(words[3], "value", 0, 255));
        } catch (const ctl::UsageError& e) {
            return e.message;
        }
    }
    return command;
}

const char* portRegisterName(PortCommand::Register reg)
{
    return reg == PortCommand::Register::Data ? "data" : reg == PortCommand::Register::Status ? "status" : "control";
}

std::uint8_t runPortCommand(const PortCommand& command, PortIo& port, const PortSet& ports)
{
    const std::uint16_t address = command.reg == PortCommand::Register::Data     ? ports.dataPortAddr
                                  : command.reg == PortCommand::Register::Status ? ports.statusPortAddr
                                                                                 : ports.controlPortAddr;
    if (!command.write)
        return port.portIn(address);
    port.portOut(address, command.value);
    return command.value;
}

} // namespace zvx
