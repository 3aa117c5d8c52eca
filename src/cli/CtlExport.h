#pragma once
// zvx7246ctl export FILE.zvx [U1|U4|both] --format=c|json|i2cset|csv [--bus=N] [--lenient]
// zvx7246ctl export --from-chip U1|U4|both --format=c|json|i2cset|csv [--bus=N]
// prints the register writes that program the chips as Write All does
// (RegisterExport), from a setup file's registers 0-7 or from the chips'.

#include "cli/CtlSession.h"
#include "device/RegisterExport.h"

#include <QJsonArray>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace zvx::ctl {

struct ExportRequest {
    ExportFormat format = ExportFormat::C;
    std::optional<int> bus;
    std::vector<Device> devices;
    bool fromChip = false;
    std::string source;                          // the file's name, for a file
    std::vector<std::array<int, 8>> registers;   // a file's registers 0-7, one array per device
    QJsonArray warnings;                         // what the file's reading said (with --lenient)
};

// words[0] is "export". A file is read here and needs registers 0-7 of each
// device; one with odd values is refused unless lenient. A bad word or file
// throws UsageError.
ExportRequest parseExportCommand(const std::vector<std::string>& words, bool lenient);

// Prints the export; a chip that does not answer gives exit status 1 and no
// export at all.
int runExport(const ExportRequest& request, Session& session);

} // namespace zvx::ctl
