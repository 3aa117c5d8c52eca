#pragma once
// zvx7246ctl port: the parallel port's registers by hand, for checking the
// adapter cable without the window, through the same backend as the bus.
//   port read data|status|control     prints the byte read
//   port write data|control VALUE     writes the byte (the status register
//                                     is read-only)
// The registers are those of the port chosen with --lpt.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <variant>
#include <vector>

namespace zvx {

class PortIo;
struct PortSet;

struct PortCommand {
    enum class Register { Data, Status, Control };
    bool write = false;
    Register reg = Register::Data;
    std::uint8_t value = 0;  // the byte a write puts there
};

// words[0] is "port". The command, or the bad-usage message (one line,
// naming the bad argument). Nothing is opened to check it.
std::variant<PortCommand, std::string> parsePortCommand(const std::vector<std::string>& words);

// Runs the command on the port; returns the byte read or written.
std::uint8_t runPortCommand(const PortCommand& command, PortIo& port, const PortSet& ports);

// "data", "status", "control".
const char* portRegisterName(PortCommand::Register reg);

} // namespace zvx
