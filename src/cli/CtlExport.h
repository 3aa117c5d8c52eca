#pragma once
// zvx7246ctl export FILE.zvx [U1|U4|both] --format=c|json|i2cset|csv [--bus=N]
// zvx7246ctl export --from-chip U1|U4|both --format=c|json|i2cset|csv [--bus=N]
// prints the register writes that program the chips as Write All does
// (RegisterExport), from a setup file's registers 0-7 or from the chips'.

#include "cli/CtlArgs.h"
#include "setup/SetupFile.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace zvx {

class ChipDevice;

struct ExportContext {
    std::function<ChipDevice&(Device)> chip;
    // Reads a setup file as apply does (may throw the tool's usage error).
    std::function<SetupReadResult(const std::string& path)> readSetup;
    std::ostream& out;
    std::ostream& err;
    std::string where;  // the port or adapter, for a chip that does not answer
    bool json = false;
    bool lenient = false;  // --lenient: a file with odd values is exported as read
};

// words[0] is "export".
CommandOutcome runExportCommand(const std::vector<std::string>& words, ExportContext& context);

} // namespace zvx
