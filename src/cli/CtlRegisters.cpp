#include "cli/CtlRegisters.h"

#include "cli/CtlArgs.h"
#include "device/RegisterExport.h"
#include "device/RegisterFields.h"

#include <QJsonArray>

#include <algorithm>

namespace zvx::ctl {

namespace {

std::string hex2(int value)
{
    return showHexByte(value & 0xFF);
}

// Whether the chip at an address acknowledged every byte of a raw bus
// command, as "acknowledged" (and "error" when it did not).
void noteAcknowledge(QJsonObject& r, Session& s, unsigned missingBefore, int address)
{
    const bool acknowledged = s.transactions().missingAcks() == missingBefore;
    r.insert("acknowledged", acknowledged);
    if (!acknowledged)
        r.insert("error", jsonText("no acknowledge at 0x" + hex2(address) + " on " + s.where()));
}

std::string dumpText(const QJsonObject& r)
{
    const int first = r["first"].toInt();
    const QJsonArray values = r["values"].toArray();
    std::string text;
    for (int reg = first; reg < first + int(values.size()); ++reg) {
        // Appended piece by piece: GCC 12 at -O3 misreads "text" + string as
        // overlapping copies.
        if (reg == first || reg % 16 == 0)
            text.append(reg == first ? "" : "\n").append(hex2(reg)).append(":").append(std::size_t(3 * (reg % 16)), ' ');
        text.append(" ").append(hex2(values[reg - first].toInt()));
    }
    return text + "\n";
}

int dump(Session& s, int addr, int first, int last)
{
    const unsigned missingBefore = s.transactions().missingAcks();
    // The read buffer holds 14 bytes, so longer dumps take several reads,
    // each after its own pointer write.
    QJsonArray values;
    for (int start = first; start <= last; start += 14) {
        const int count = std::min(14, last - start + 1);
        s.transactions().i2cSetPointer(std::int16_t(addr & 0xFE), std::int16_t(start));
        s.transactions().i2cReadSequential(std::int16_t(addr | 1), std::int16_t(count - 1));
        for (int i = 0; i < count; ++i)
            values.append(s.transactions().readBuffer[std::size_t(i)] & 0xFF);
    }
    QJsonObject r{{"command", "dump"}, {"address", addr}, {"first", first}, {"last", last}, {"values", values}};
    noteAcknowledge(r, s, missingBefore, addr);
    s.output().print(r, dumpText);
    return kOk;
}

QJsonObject registerJson(int reg, int value, int fdBk1 = 0)
{
    const auto fields = registerFields(reg, value, fdBk1);
    return {{"register", reg},
            {"value", value & 0xFF},
            {"caption", jsonText(registerCaption(reg))},
            {"fields", fieldsJson(fields)},
            {"description", jsonText(describeFields(fields))}};
}

std::string readAllText(const QJsonObject& r)
{
    std::string text;
    for (const QJsonValue v : r["registers"].toArray()) {
        const std::string description = plainText(v["description"]);
        text += hex2(v["register"].toInt()) + " " + hex2(v["value"].toInt()) + "  " + plainText(v["caption"]) +
                (description.empty() ? "" : "  " + description) + "\n";
    }
    return text;
}

int readAll(Session& s, Device d)
{
    ChipDevice& device = s.chip(d);
    const auto regs = device.readRegisters0to7();
    IdentityBlock id;
    if (device.answered())
        id = device.readIdentityBlock();
    if (!device.answered()) {
        s.output().print(s.notAnswering("read-all", device), orSilence({}));
        return kOk;
    }
    QJsonArray registers;
    for (int r = reg::FirstBlockRegister; r <= reg::LastBlockRegister; ++r)
        registers.append(registerJson(r, regs[std::size_t(r)] & 0xFF, regs[reg::FdBk1] & 0xFF));
    registers.append(registerJson(reg::ChipVer, id.version & 0xFF));
    registers.append(registerJson(reg::ChipId2, id.id2 & 0xFF));
    registers.append(registerJson(reg::LockStatus, id.lockStatus & 0xFF));
    s.output().print({{"command", "read-all"}, {"device", jsonText(deviceName(d))}, {"registers", registers}},
                     readAllText);
    return kOk;
}

int lock(Session& s, Device d)
{
    ChipDevice& device = s.chip(d);
    const int status = device.readLockStatus();
    if (!device.answered()) {
        s.output().print(s.notAnswering("lock", device), orSilence({}));
        return kOk;
    }
    s.output().print({{"command", "lock"},
                      {"device", jsonText(deviceName(d))},
                      {"status", status & 0xFF},
                      {"pll", lockWord(isPllLockedBit(status))},
                      {"dpa", lockWord(isDpaLockedBit(status))}},
                     [](const QJsonObject& r) {
                         return "PLL " + plainText(r["pll"]) + ", DPA " + plainText(r["dpa"]) + "\n";
                     });
    return kOk;
}

int revision(Session& s, Device d)
{
    ChipDevice& device = s.chip(d);
    const auto probe = device.probeRevision();
    if (!device.answered()) {
        s.output().print(s.notAnswering("revision", device), orSilence({}));
        return kOk;
    }
    s.output().print({{"command", "revision"},
                      {"device", jsonText(deviceName(d))},
                      {"version", probe.version & 0xFF},
                      {"revision", probe.revision ? QJsonValue(jsonText(revisionLetter(*probe.revision)))
                                                  : QJsonValue(QJsonValue::Null)}},
                     [](const QJsonObject& r) {
                         return plainHex(r["version"].toInt()) + " " +
                                (r["revision"].isNull() ? std::string("unknown") : plainText(r["revision"])) + "\n";
                     });
    return kOk;
}

} // namespace

Session::Prepared prepareRegisterCommand(const std::vector<std::string>& words)
{
    const std::string& cmd = words[0];
    if (cmd == "write") {
        expectArgs(words, 3, 3);
        const int addr = parseNumber(words[1], "address", 0, 255);
        const int reg = parseNumber(words[2], "register", 0, 255);
        const int value = parseNumber(words[3], "value", 0, 255);
        return [=](Session& s) {
            const unsigned missingBefore = s.transactions().missingAcks();
            s.transactions().i2cWriteRegister(std::int16_t(addr), std::int16_t(reg), std::int16_t(value));
            QJsonObject r{{"command", "write"}, {"address", addr}, {"register", reg}, {"value", value}};
            noteAcknowledge(r, s, missingBefore, addr);
            s.output().print(r);
            return kOk;
        };
    }
    if (cmd == "read") {
        expectArgs(words, 2, 2);
        const int addr = parseNumber(words[1], "address", 0, 255);
        const int reg = parseNumber(words[2], "register", 0, 255);
        return [=](Session& s) {
            const unsigned missingBefore = s.transactions().missingAcks();
            // Either address form names the chip: 0x4C and 0x4D both read U1.
            const int value = s.transactions().i2cReadRegister(std::int16_t(addr | 1), std::int16_t(addr & 0xFE),
                                                               std::int16_t(reg));
            QJsonObject r{{"command", "read"}, {"address", addr}, {"register", reg}, {"value", value & 0xFF}};
            noteAcknowledge(r, s, missingBefore, addr);
            s.output().print(r, [](const QJsonObject& o) { return hex2(o["value"].toInt()) + "\n"; });
            return kOk;
        };
    }
    if (cmd == "dump") {
        expectArgs(words, 1, 3);
        const int addr = parseNumber(words[1], "address", 0, 255);
        const int first = words.size() > 2 ? parseNumber(words[2], "first register", 0, 255) : 0;
        const int last = words.size() > 3 ? parseNumber(words[3], "last register", first, 255)
                                          : std::max(first, reg::LockStatus);
        return [=](Session& s) { return dump(s, addr, first, last); };
    }
    if (cmd == "read-all" || cmd == "lock" || cmd == "revision") {
        expectArgs(words, 1, 1);
        const Device d = parseDevice(words[1]);
        if (cmd == "read-all")
            return [=](Session& s) { return readAll(s, d); };
        if (cmd == "lock")
            return [=](Session& s) { return lock(s, d); };
        return [=](Session& s) { return revision(s, d); };
    }
    if (cmd == "reset") {
        expectArgs(words, 2, 2);
        const Device d = parseDevice(words[1]);
        std::string which = words[2];
        std::transform(which.begin(), which.end(), which.begin(), [](unsigned char c) { return std::tolower(c); });
        int byte = 0;
        if (which == "pll")
            byte = kPllResetByte;
        else if (which == "dpa")
            byte = kDpaResetByte;
        else if (which == "both")
            byte = kBothResetByte;
        else
            throw UsageError{"bad reset '" + echo(words[2]) + "' (expected pll, dpa or both)"};
        return [=](Session& s) {
            ChipDevice& device = s.chip(d);
            device.writeRegister(reg::Reset, std::int16_t(byte));
            QJsonObject r{{"command", "reset"}, {"device", jsonText(deviceName(d))}, {"reset", jsonText(which)},
                          {"value", byte}, {"acknowledged", device.answered()}};
            if (!device.answered())
                r.insert("error", jsonText(device.notAnsweringSentence(s.where())));
            s.output().print(r);
            return kOk;
        };
    }
    return {};
}

} // namespace zvx::ctl
