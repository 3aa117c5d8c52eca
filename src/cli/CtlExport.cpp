#include "cli/CtlExport.h"

#include "device/ChipDevice.h"
#include "device/EchoText.h"
#include "device/RegisterExport.h"

#include <QJsonDocument>

#include <charconv>
#include <filesystem>
#include <ostream>

namespace zvx {

namespace {

constexpr int kMaxBus = 9999;

std::string sectionName(Device d)
{
    return std::string(d == Device::U1 ? kInputRegistersSection : kOutputRegistersSection);
}

} // namespace

CommandOutcome runExportCommand(const std::vector<std::string>& words, ExportContext& c)
{
    CommandArgs args;
    if (auto error = parseCommandArgs(words, {"--format", "--bus", "--from-chip"}, {"--lenient"}, args))
        return {2, error};
    c.lenient = c.lenient || args.options.count("--lenient");
    const auto formatIt = args.options.find("--format");
    if (formatIt == args.options.end())
        return {2, "export needs --format=c|json|i2cset|csv"};
    const auto format = exportFormatFromName(formatIt->second);
    if (!format)
        return {2, "bad --format '" + echoText(formatIt->second) + "' (expected c, json, i2cset or csv)"};

    RegisterExportData data;
    data.generator = std::string("zvx7246ctl ") + ZVX_VERSION_STRING;
    if (const auto it = args.options.find("--bus"); it != args.options.end()) {
        int bus = -1;
        const std::string& v = it->second;
        const auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), bus);
        if (ec != std::errc() || ptr != v.data() + v.size() || bus < 0 || bus > kMaxBus)
            return {2, "bad --bus '" + echoText(v) + "' (expected the I2C bus number, 0.." +
                           std::to_string(kMaxBus) + ")"};
        data.bus = bus;
    }

    const auto fromChip = args.options.find("--from-chip");
    std::vector<Device> devices{Device::U1, Device::U4};
    if (fromChip != args.options.end()) {
        if (!args.positional.empty())
            return {2, "export --from-chip takes no file ('" + echoText(args.positional[0]) + "')"};
        const auto set = parseDeviceSet(fromChip->second);
        if (!set)
            return {2, "bad device '" + echoText(fromChip->second) + "' (expected U1, U4 or both)"};
        devices = *set;
        // Every chip is read before anything is printed: an export with a
        // silent chip's 0xFF bytes in it would program a board wrongly.
        for (const Device d : devices) {
            ChipDevice& chip = c.chip(d);
            const auto regs = chip.readRegisters0to7();
            if (!chip.answered()) {
                c.out << chip.notAnsweringSentence(c.where) << "\n";
                return {1, std::nullopt};
            }
            ExportedChip e{d, (chip.writeAddress() & 0xFF) >> 1, {}};
            for (std::size_t r = 0; r < regs.size(); ++r)
                e.registers[r] = regs[r] & 0xFF;
            data.chips.push_back(e);
        }
        data.source = devices.size() == 1 ? "the chip" : "the chips";
    } else {
        if (args.positional.empty() || args.positional.size() > 2)
            return {2, "export takes FILE.zvx [U1|U4|both] or --from-chip U1|U4|both"};
        if (args.positional.size() == 2) {
            const auto set = parseDeviceSet(args.positional[1]);
            if (!set)
                return {2, "bad device '" + echoText(args.positional[1]) + "' (expected U1, U4 or both)"};
            devices = *set;
        }
        const std::string& path = args.positional[0];
        const SetupReadResult read = c.readSetup(path);
        for (const SetupWarning& w : read.warnings)
            c.err << "warning: " << w.text() << "\n";
        // An export programs chips, as apply does: values that are not what
        // they say go into it only when asked for.
        if (!read.warnings.empty() && !c.lenient)
            return {2, "\"" + echoText(path) + "\" not exported because of the " +
                           (read.warnings.size() == 1 ? std::string("value")
                                                      : std::to_string(read.warnings.size()) + " values") +
                           " above (--lenient exports the file as read)"};
        for (const Device d : devices) {
            const SetupDevice& section = d == Device::U1 ? read.data.in : read.data.out;
            ExportedChip e{d, (c.chip(d).writeAddress() & 0xFF) >> 1, {}};
            std::string missing;
            for (std::size_t r = 0; r < e.registers.size(); ++r) {
                if (section.registers[r])
                    e.registers[r] = *section.registers[r] & 0xFF;
                else
                    missing += (missing.empty() ? "" : ", ") + std::string(kRegisterKeys[r]);
            }
            // Nothing is made up: a register the file does not hold has no
            // value to export.
            if (!missing.empty())
                return {2, "\"" + echoText(path) + "\" has no " + missing + " in [" + sectionName(d) +
                               "]: an export of " + std::string(deviceName(d)) + " needs registers 0-7"};
            data.chips.push_back(e);
        }
        data.source = std::filesystem::path(path).filename().string();
    }

    const std::string text = renderExport(*format, data);
    if (c.json) {
        QJsonObject o = exportJson(data);
        o.insert("command", "export");
        o.insert("format", QString::fromUtf8(exportFormatName(*format).data()));
        if (*format != ExportFormat::Json)
            o.insert("text", QString::fromStdString(text));
        c.out << QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString() << "\n";
    } else {
        c.out << text;
    }
    return {0, std::nullopt};
}

} // namespace zvx
