#pragma once
// Register exports for firmware and other tools: the writes that program a
// chip, in Write All's order with Write All's reset commands (WriteAllPlan),
// as a C header, an i2c-tools shell script, JSON or CSV. The command-line
// tool exports a setup file or the chips, the window its panels.

#include "device/RegisterCodecs.h"
#include "device/RegisterFields.h"
#include "device/WriteAllPlan.h"

#include <QJsonObject>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zvx {

enum class ExportFormat { C, Json, I2cset, Csv };

// "c", "json", "i2cset", "csv"; nothing for any other name.
std::optional<ExportFormat> exportFormatFromName(std::string_view name);
std::string_view exportFormatName(ExportFormat format);
// By a file's extension: .h, .json, .sh, .csv (any case).
std::optional<ExportFormat> exportFormatFromFileName(std::string_view fileName);

struct ExportedChip {
    Device device = Device::U1;
    int address7 = 0;              // the 7-bit I2C address (write address byte >> 1)
    std::array<int, 8> registers{};  // registers 0..7 as the chip should hold them
};

struct RegisterExportData {
    std::string source;             // named in the header: "setup.zvx", "the chips", "the window's panels"
    std::vector<ExportedChip> chips;
    std::optional<int> bus;         // i2cset's bus number; none: the script takes it as its argument
    std::string generator;          // "zvx7246ctl 3.0.2"
};

struct ExportedWrite {
    int reg = 0;
    int value = 0;
    std::string description;        // "Loop Control (1): PSD 4, PFD 2"
    std::vector<RegisterField> fields;
};

// The writes that program one chip: registers 0..7, then the PLL reset and
// the DPA reset, as Write All sends them to a chip whose settings changed.
std::vector<ExportedWrite> exportedWrites(const ExportedChip& chip);

// The export as the named format's file text.
std::string renderExport(ExportFormat format, const RegisterExportData& data);

// The export's data as one JSON object (the json format's document).
QJsonObject exportJson(const RegisterExportData& data);

// Fields as a JSON object: flags as true/false, states as their word
// ("locked"), numbers as numbers, a code that selects nothing as null.
QJsonObject fieldsJson(const std::vector<RegisterField>& fields);

} // namespace zvx
