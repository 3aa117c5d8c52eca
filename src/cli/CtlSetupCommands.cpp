#include "cli/CtlSetupCommands.h"

#include "cli/CtlArgs.h"
#include "setup/SetupApply.h"

#include <QJsonArray>

#include <algorithm>
#include <memory>

namespace zvx::ctl {

namespace {

constexpr int kDiffers = 1;

std::string hex2(int value)
{
    return showHexByte(value & 0xFF);
}

const SetupDevice& sectionFor(const SetupFileData& data, Device d)
{
    return d == Device::U1 ? data.in : data.out;
}

QJsonArray keys(const std::vector<int>& regs)
{
    QJsonArray a;
    for (const int r : regs)
        a.append(registerKey(r));
    return a;
}

std::string keyList(const QJsonArray& keys)
{
    std::string s;
    for (const QJsonValue k : keys)
        s += (s.empty() ? "" : ", ") + plainText(k);
    return s;
}

QJsonObject fileResult(const char* command, const std::string& path, const SetupReadResult& read)
{
    QJsonObject r{{"command", command}, {"file", jsonText(path)}};
    QJsonArray warnings;
    for (const SetupWarning& w : read.warnings)
        warnings.append(jsonText(w.text()));
    if (!warnings.isEmpty())
        r.insert("warnings", warnings);
    return r;
}

std::string applyText(const QJsonObject& r)
{
    std::string text;
    for (const QJsonValue d : r["devices"].toArray()) {
        if (d["error"].isString()) {
            text += plainText(d["error"]) + "\n";
            continue;
        }
        text += plainText(d["device"]) + ": written; PLL " + plainText(d["pll"]) + ", DPA " + plainText(d["dpa"]);
        if (!d["kept_from_chip"].toArray().isEmpty())
            text += " (kept the chip's " + keyList(d["kept_from_chip"].toArray()) + ": not in the file)";
        text += "\n";
    }
    return text;
}

int apply(Session& s, const std::string& path, const SetupReadResult& read, const std::vector<Device>& devices)
{
    QJsonArray results;
    for (const Device d : devices) {
        ChipDevice& chip = s.chip(d);
        const unsigned missingBefore = s.transactions().missingAcks();
        const ApplyResult result = applySetupDevice(chip, sectionFor(read.data, d), s.image());
        if (s.transactions().missingAcks() != missingBefore) {
            results.append(s.notAnswering("apply", chip));
            continue;
        }
        results.append(QJsonObject{{"device", jsonText(deviceName(d))},
                                   {"pll", lockWord(isPllLockedBit(result.lockStatus))},
                                   {"dpa", lockWord(isDpaLockedBit(result.lockStatus))},
                                   {"kept_from_chip", keys(result.keptFromChip)}});
    }
    QJsonObject r = fileResult("apply", path, read);
    r.insert("devices", results);
    s.output().print(r, applyText);
    return kOk;
}

std::string diffText(const QJsonObject& r)
{
    std::string text;
    for (const QJsonValue d : r["devices"].toArray()) {
        if (d["error"].isString()) {
            text += plainText(d["error"]) + "\n";
            continue;
        }
        const std::string name = plainText(d["device"]);
        const QJsonArray differences = d["differences"].toArray();
        const QJsonArray notInFile = d["not_in_file"].toArray();
        if (differences.isEmpty())
            text += name + ": registers 0-7 as in the file";
        for (const QJsonValue x : differences) {
            text += name + " register " + std::to_string(x["register"].toInt()) + " (" + plainText(x["caption"]) +
                    "): chip " + hex2(x["chip"].toInt()) + ", file " + hex2(x["file"].toInt()) + "\n";
            for (const QJsonValue f : x["fields"].toArray())
                text += "    " + plainText(f["field"]) + ": chip " + plainText(f["chip"]) + ", file " +
                        plainText(f["file"]) + "\n";
        }
        if (!notInFile.isEmpty())
            text += (differences.isEmpty() ? " " : name + ": ") + std::string("(not in the file: ") +
                    keyList(notInFile) + ")";
        if (differences.isEmpty() || !notInFile.isEmpty())
            text += "\n";
    }
    return text;
}

int diff(Session& s, const std::string& path, const SetupReadResult& read, const std::vector<Device>& devices)
{
    QJsonArray results;
    bool differs = false;
    for (const Device d : devices) {
        ChipDevice& chip = s.chip(d);
        const auto regs = chip.readRegisters0to7();
        if (!chip.answered()) {
            results.append(s.notAnswering("diff", chip));
            continue;
        }
        const DeviceDifference result = diffSetupDevice(regs, sectionFor(read.data, d));
        QJsonArray differences;
        for (const RegisterDifference& x : result.registers) {
            QJsonArray fields;
            for (const FieldDifference& f : x.fields)
                fields.append(QJsonObject{
                    {"field", jsonText(f.field)}, {"chip", jsonText(f.chip)}, {"file", jsonText(f.file)}});
            differences.append(QJsonObject{{"key", registerKey(x.reg)},
                                           {"register", x.reg},
                                           {"caption", jsonText(registerCaption(x.reg))},
                                           {"chip", x.chip},
                                           {"file", x.file},
                                           {"fields", fields}});
        }
        results.append(QJsonObject{{"device", jsonText(deviceName(d))},
                                   {"differences", differences},
                                   {"not_in_file", keys(result.notInFile)}});
        differs = differs || !result.registers.empty();
    }
    QJsonObject r = fileResult("diff", path, read);
    r.insert("differs", differs);
    r.insert("devices", results);
    s.output().print(r, diffText);
    return differs ? kDiffers : kOk;
}

} // namespace

QString registerKey(int reg)
{
    return QStringLiteral("register_%1").arg(reg);
}

Session::Prepared prepareSetupCommand(const std::vector<std::string>& words, bool lenient)
{
    const std::string& cmd = words[0];
    if (cmd == "apply") {
        // --lenient on a script line, as on the command line.
        std::vector<std::string> args = words;
        const auto flag = std::remove(args.begin() + 1, args.end(), std::string("--lenient"));
        const bool lenientHere = lenient || flag != args.end();
        args.erase(flag, args.end());
        expectArgs(args, 1, 2);
        const auto devices = parseDevices(args, 2);
        const auto read = std::make_shared<const SetupReadResult>(readSetupOrThrow(args[1]));
        if (!lenientHere)
            refuseOddValues(*read, args[1]);
        return [=, path = args[1]](Session& s) { return apply(s, path, *read, devices); };
    }
    if (cmd == "diff") {
        expectArgs(words, 1, 2);
        const auto devices = parseDevices(words, 2);
        const auto read = std::make_shared<const SetupReadResult>(readSetupOrThrow(words[1]));
        return [=, path = words[1]](Session& s) { return diff(s, path, *read, devices); };
    }
    return {};
}

} // namespace zvx::ctl
