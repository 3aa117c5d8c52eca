#include "cli/CtlExport.h"

#include "cli/CtlArgs.h"

#include <QJsonArray>

#include <charconv>
#include <filesystem>

namespace zvx::ctl {

namespace {

constexpr int kMaxBus = 9999;

} // namespace

ExportRequest parseExportCommand(const std::vector<std::string>& words, bool lenient)
{
    const CommandArgs args = parseCommandArgs(words, {"--format", "--bus", "--from-chip"}, {"--lenient"});
    ExportRequest request;
    const auto formatIt = args.options.find("--format");
    if (formatIt == args.options.end())
        throw UsageError{"export needs --format=c|json|i2cset|csv"};
    const auto format = exportFormatFromName(formatIt->second);
    if (!format)
        throw UsageError{"bad --format '" + echo(formatIt->second) + "' (expected c, json, i2cset or csv)"};
    request.format = *format;
    if (const auto it = args.options.find("--bus"); it != args.options.end()) {
        int bus = -1;
        const std::string& v = it->second;
        const auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), bus);
        if (ec != std::errc() || ptr != v.data() + v.size() || bus < 0 || bus > kMaxBus)
            throw UsageError{"bad --bus '" + echo(v) + "' (expected the I2C bus number, 0.." +
                             std::to_string(kMaxBus) + ")"};
        request.bus = bus;
    }

    if (const auto fromChip = args.options.find("--from-chip"); fromChip != args.options.end()) {
        if (!args.positional.empty())
            throw UsageError{"export --from-chip takes no file ('" + echo(args.positional[0]) + "')"};
        request.fromChip = true;
        request.devices = parseDeviceSet(fromChip->second);
        return request;
    }
    if (args.positional.empty() || args.positional.size() > 2)
        throw UsageError{"export takes FILE.zvx [U1|U4|both] or --from-chip U1|U4|both"};
    request.devices = parseDevices(args.positional, 1);
    const std::string& path = args.positional[0];
    const SetupReadResult read = readSetupOrThrow(path);
    // An export programs chips, as apply does: values that are not what
    // they say go into it only when asked for.
    if (!lenient && !args.options.count("--lenient"))
        refuseOddValues(read, path, "exported", "exports");
    for (const SetupWarning& w : read.warnings)
        request.warnings.append(jsonText(w.text()));
    for (const Device d : request.devices) {
        const SetupDevice& section = d == Device::U1 ? read.data.in : read.data.out;
        std::array<int, 8> registers{};
        std::string missing;
        for (std::size_t r = 0; r < registers.size(); ++r) {
            if (section.registers[r])
                registers[r] = *section.registers[r] & 0xFF;
            else
                missing += (missing.empty() ? "" : ", ") + std::string(kRegisterKeys[r]);
        }
        // Nothing is made up: a register the file does not hold has no
        // value to export.
        if (!missing.empty())
            throw UsageError{"\"" + echo(path) + "\" has no " + missing + " in [" +
                             std::string(d == Device::U1 ? kInputRegistersSection : kOutputRegistersSection) +
                             "]: an export of " + std::string(deviceName(d)) + " needs registers 0-7"};
        request.registers.push_back(registers);
    }
    request.source = std::filesystem::path(path).filename().string();
    return request;
}

int runExport(const ExportRequest& request, Session& session)
{
    RegisterExportData data;
    data.generator = std::string("zvx7246ctl ") + ZVX_VERSION_STRING;
    data.bus = request.bus;
    data.source = request.fromChip ? (request.devices.size() == 1 ? "the chip" : "the chips") : request.source;
    for (std::size_t i = 0; i < request.devices.size(); ++i) {
        ChipDevice& chip = session.chip(request.devices[i]);
        ExportedChip e{request.devices[i], (chip.writeAddress() & 0xFF) >> 1, {}};
        if (request.fromChip) {
            // Every chip is read before anything is printed: an export with
            // a silent chip's 0xFF bytes in it would program a board wrongly.
            const auto regs = chip.readRegisters0to7();
            if (!chip.answered()) {
                session.output().print(session.notAnswering("export", chip), orSilence({}));
                return kMissingAck;
            }
            for (std::size_t r = 0; r < regs.size(); ++r)
                e.registers[r] = regs[r] & 0xFF;
        } else {
            e.registers = request.registers[i];
        }
        data.chips.push_back(e);
    }

    const std::string text = renderExport(request.format, data);
    QJsonObject result = exportJson(data);
    result.insert("command", "export");
    result.insert("format", jsonText(exportFormatName(request.format)));
    if (!request.warnings.isEmpty())
        result.insert("warnings", request.warnings);
    if (request.format != ExportFormat::Json)
        result.insert("text", jsonText(text));
    session.output().print(result, [&text](const QJsonObject&) { return text; });
    return kOk;
}

} // namespace zvx::ctl
