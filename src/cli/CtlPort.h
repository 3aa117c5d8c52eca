#pragma once
// zvx7246ctl port: the parallel port's registers by hand, for checking the
// adapter cable without the window, through the same backend as the bus.
//   port read data|status|control     prints the byte read
//   port write data|control VALUE     writes the byte (the status register
//                                     is read-only)
// The registers are those of the port chosen with --lpt.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace zvx {

class PortIo;
struct PortSet;

// words[0] is "port". Returns the bad-usage message (one line, naming the
// bad argument), or nothing when the command ran.
std::optional<std::string> runPortCommand(const std::vector<std::string>& words, PortIo& port,
                                          const PortSet& ports, std::ostream& out);

} // namespace zvx
