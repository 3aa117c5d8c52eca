#include "device/RegisterExport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

#include <algorithm>
#include <cctype>

namespace zvx {

namespace {

std::string hex0x(int value)
{
    return "0x" + showHexByte(value & 0xFF);
}

std::string lower(std::string_view text)
{
    std::string s(text);
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

// A name from outside (a file name) inside a comment: no control character
// can end the comment line and no "*/" the C comment, so the name cannot
// smuggle code into the header or commands into the script.
std::string commentSafe(std::string_view text)
{
    std::string s;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        s += (byte < 0x20 || byte == 0x7F) ? '?' : c;
    }
    for (std::size_t at; (at = s.find("*/")) != std::string::npos;)
        s.replace(at, 2, "* /");
    return s;
}

std::string chipNames(const RegisterExportData& data)
{
    std::string names;
    for (std::size_t i = 0; i < data.chips.size(); ++i) {
        if (i > 0)
            names += i + 1 == data.chips.size() ? " and " : ", ";
        names += deviceName(data.chips[i].device);
    }
    return names;
}

std::string chipHeading(const ExportedChip& chip)
{
    return std::string(deviceName(chip.device)) + (chip.device == Device::U1 ? " (primary)" : " (secondary)") +
           ", 7-bit address " + hex0x(chip.address7);
}

// The opening lines every format shares, without comment marks.
std::vector<std::string> introLines(const RegisterExportData& data)
{
    std::vector<std::string> lines = {
        "ZVX 7246 register writes for " + chipNames(data) + ", from " + commentSafe(data.source) +
            (data.generator.empty() ? "" : " (" + commentSafe(data.generator) + ")") + ".",
        "",
        "Send each chip's writes in this order: registers 0-7, then the reset",
        "commands to register 8 (0x50 restarts the PLL, 0x0A the DPA). Registers",
        "0-7 may also go as one block from register 0: the chip's register pointer",
        "advances after each byte. Then read register 0x12 (bit 1 PLL locked, bit 0",
        "DPA locked): if the PLL is unlocked write 0x50 and then 0x0A to register 8;",
        "if the DPA is unlocked write 0x0A.",
    };
    return lines;
}

std::string describeWrite(int reg, int value, const std::array<int, 8>& registers,
                          std::vector<RegisterField>& fields)
{
    std::string caption(registerCaption(reg));
    if (reg == reg::Reset)
        return caption + ": " + (value == kPllResetByte ? "PLL reset" : value == kDpaResetByte ? "DPA reset" : "reset");
    if (reg == reg::FdBk1)
        return caption + ": divider bits 11..8 = " + plainHex(value & 0x0F);
    fields = registerFields(reg, value, registers[reg::FdBk1]);
    std::string text = caption + ": " + describeFields(fields);
    // The ratio bits 7..6 select is swapped on revision A silicon, which an
    // export cannot see.
    const int scl = getBitField(7, 6, value);
    if (reg == reg::OutputCntl && (scl == 1 || scl == 2))
        text += std::string(" (") + (scl == 1 ? "4" : "2") + " on a revision A chip)";
    return text;
}

std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string renderC(const RegisterExportData& data)
{
    std::string s = "/*\n";
    for (const std::string& line : introLines(data))
        s += (line.empty() ? " *" : " * " + line) + "\n";
    s += " */\n#ifndef ZVX7246_REGISTERS_H\n#define ZVX7246_REGISTERS_H\n\n#include <stdint.h>\n";
    for (const ExportedChip& chip : data.chips) {
        s += "\n/* " + chipHeading(chip) + ": {address, register, value} */\n";
        s += "static const uint8_t zvx7246_" + lower(deviceName(chip.device)) + "_writes[][3] = {\n";
        for (const ExportedWrite& w : exportedWrites(chip))
            s += "    {" + hex0x(chip.address7) + ", " + hex0x(w.reg) + ", " + hex0x(w.value) + "}, /* " +
                 commentSafe(w.description) + " */\n";
        s += "};\n";
    }
    s += "\n#endif /* ZVX7246_REGISTERS_H */\n";
    return s;
}

std::string renderI2cset(const RegisterExportData& data)
{
    std::string s = "#!/bin/sh\n";
    for (const std::string& line : introLines(data))
        s += (line.empty() ? "#" : "# " + line) + "\n";
    std::string bus;
    if (data.bus) {
        bus = std::to_string(*data.bus);
    } else {
        s += "#\n# The I2C bus number (as i2cdetect -l lists it) is the script's argument.\n";
        bus = "\"$BUS\"";
    }
    s += "set -e\n";
    if (!data.bus)
        s += "BUS=${1:?usage: sh $0 I2C-BUS-NUMBER}\n";
    for (const ExportedChip& chip : data.chips) {
        s += "\n# " + chipHeading(chip) + "\n";
        for (const ExportedWrite& w : exportedWrites(chip))
            s += "i2cset -y " + bus + " " + hex0x(chip.address7) + " " + hex0x(w.reg) + " " + hex0x(w.value) +
                 "    # " + commentSafe(w.description) + "\n";
    }
    return s;
}

std::string renderCsv(const RegisterExportData& data)
{
    std::string s = "device,address,register,value,description\n";
    for (const ExportedChip& chip : data.chips)
        for (const ExportedWrite& w : exportedWrites(chip))
            s += std::string(deviceName(chip.device)) + "," + hex0x(chip.address7) + "," + hex0x(w.reg) + "," +
                 hex0x(w.value) + "," + csvField(w.description) + "\n";
    return s;
}

QString qs(const std::string& s) { return QString::fromStdString(s); }

} // namespace

std::optional<ExportFormat> exportFormatFromName(std::string_view name)
{
    for (const ExportFormat f : {ExportFormat::C, ExportFormat::Json, ExportFormat::I2cset, ExportFormat::Csv})
        if (name == exportFormatName(f))
            return f;
    return std::nullopt;
}

std::string_view exportFormatName(ExportFormat format)
{
    switch (format) {
    case ExportFormat::C: return "c";
    case ExportFormat::Json: return "json";
    case ExportFormat::I2cset: return "i2cset";
    case ExportFormat::Csv: return "csv";
    }
    return "";
}

std::optional<ExportFormat> exportFormatFromFileName(std::string_view fileName)
{
    const std::size_t dot = fileName.rfind('.');
    const std::size_t slash = fileName.find_last_of('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::nullopt;
    const std::string ext = lower(fileName.substr(dot + 1));
    if (ext == "h")
        return ExportFormat::C;
    if (ext == "json")
        return ExportFormat::Json;
    if (ext == "sh")
        return ExportFormat::I2cset;
    if (ext == "csv")
        return ExportFormat::Csv;
    return std::nullopt;
}

std::vector<ExportedWrite> exportedWrites(const ExportedChip& chip)
{
    std::vector<ExportedWrite> out;
    for (const RegisterWrite& w : writeAllPlanForAnyChip(chip.registers).writes()) {
        ExportedWrite e{w.reg, w.value, {}, {}};
        e.description = describeWrite(w.reg, w.value, chip.registers, e.fields);
        out.push_back(std::move(e));
    }
    return out;
}

QJsonObject fieldsJson(const std::vector<RegisterField>& fields)
{
    QJsonObject o;
    for (const RegisterField& f : fields) {
        const QString name = qs(f.name);
        if (!f.value)
            o.insert(name, QJsonValue::Null);
        else if (f.kind == RegisterField::Kind::Number)
            o.insert(name, *f.value);
        else if (f.kind == RegisterField::Kind::State)
            o.insert(name, qs(f.shown));
        else
            o.insert(name, *f.value != 0);
    }
    return o;
}

QJsonObject exportJson(const RegisterExportData& data)
{
    QJsonArray chips;
    for (const ExportedChip& chip : data.chips) {
        QJsonArray registers;
        for (const int r : chip.registers)
            registers.append(r & 0xFF);
        QJsonArray writes;
        for (const ExportedWrite& w : exportedWrites(chip)) {
            QJsonObject write{{"register", w.reg}, {"value", w.value}, {"description", qs(w.description)}};
            if (!w.fields.empty())
                write.insert("fields", fieldsJson(w.fields));
            writes.append(write);
        }
        chips.append(QJsonObject{{"device", qs(std::string(deviceName(chip.device)))},
                                 {"address", chip.address7},
                                 {"registers", registers},
                                 {"writes", writes}});
    }
    QJsonObject o{{"source", qs(data.source)}, {"devices", chips}};
    if (!data.generator.empty())
        o.insert("generator", qs(data.generator));
    if (data.bus)
        o.insert("bus", *data.bus);
    return o;
}

std::string renderExport(ExportFormat format, const RegisterExportData& data)
{
    switch (format) {
    case ExportFormat::C: return renderC(data);
    case ExportFormat::I2cset: return renderI2cset(data);
    case ExportFormat::Csv: return renderCsv(data);
    case ExportFormat::Json: return QJsonDocument(exportJson(data)).toJson(QJsonDocument::Indented).toStdString();
    }
    return {};
}

} // namespace zvx
