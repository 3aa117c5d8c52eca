#include "setup/SetupApply.h"

#include "device/RegisterCodecs.h"

namespace zvx {

namespace {

constexpr int kBlockRegisters = reg::LastBlockRegister + 1;

std::string bit(int value, int n) { return isBitSet(value, n) ? "1" : "0"; }

void compare(std::vector<FieldDifference>& out, std::string field, std::string chip, std::string file)
{
    if (chip != file)
        out.push_back({std::move(field), std::move(chip), std::move(file)});
}

void compareBits(std::vector<FieldDifference>& out, int chip, int file, std::size_t count,
                 const std::string_view* captions)
{
    for (std::size_t i = 0; i < count; ++i)
        compare(out, std::string(captions[i]), bit(chip, static_cast<int>(i)), bit(file, static_cast<int>(i)));
}

std::string dpaText(int value)
{
    const auto option = decodeDpaOption(value);
    return option ? std::string(kDpaCaptions[static_cast<std::size_t>(*option)]) : std::string("(code 2)");
}

int fileByte(const SetupDevice& file, int reg, const std::array<std::int16_t, 8>& chip)
{
    const auto& value = file.registers[static_cast<std::size_t>(reg)];
    return (value ? *value : chip[static_cast<std::size_t>(reg)]) & 0xFF;
}

} // namespace

std::vector<FieldDifference> registerFieldDifferences(int reg, int chipByte, int fileByte)
{
    std::vector<FieldDifference> out;
    int named = 0xFF;  // the bits the fields below cover
    switch (reg) {
    case reg::InputCntl:
        compareBits(out, chipByte, fileByte, kInputCntlCaptions.size(), kInputCntlCaptions.data());
        break;
    case reg::LoopCntl:
        compare(out, "PSD", std::string(kPsdCaptions[static_cast<std::size_t>(decodePsdIndex(chipByte))]),
                std::string(kPsdCaptions[static_cast<std::size_t>(decodePsdIndex(fileByte))]));
        compare(out, "PFD", plainHex(decodePfd(chipByte)), plainHex(decodePfd(fileByte)));
        named = 0x37;
        break;
    case reg::FdBk0:
        compare(out, "FdBk0", showHexByte(chipByte), showHexByte(fileByte));
        break;
    case reg::FdBk1:
        compare(out, "FdBk1", plainHex(chipByte & 0x0F), plainHex(fileByte & 0x0F));
        named = 0x0F;
        break;
    case reg::DPAoffset:
        compare(out, "DPA offset", showHexByte(decodeDpaOffset(chipByte)), showHexByte(decodeDpaOffset(fileByte)));
        compare(out, "Int-Filter (7)", bit(chipByte, 7), bit(fileByte, 7));
        named = 0xBF;
        break;
    case reg::DPAcntl:
        compare(out, "DPA", dpaText(chipByte), dpaText(fileByte));
        named = 0x03;
        break;
    case reg::OutputCntl:
        compareBits(out, chipByte, fileByte, kOutputCntlCaptions.size(), kOutputCntlCaptions.data());
        // The bits, not the ratio: which ratio they select depends on the
        // chip's revision, which a plain read does not tell.
        compare(out, "Out_Scl bits 7..6", std::to_string(getBitField(7, 6, chipByte)),
                std::to_string(getBitField(7, 6, fileByte)));
        break;
    case reg::OscDiv:
        compare(out, "Osc Div", std::to_string(decodeOscDivShown(chipByte)), std::to_string(decodeOscDivShown(fileByte)));
        compare(out, "In-Sel (7)", bit(chipByte, 7), bit(fileByte, 7));
        break;
    default:
        break;
    }
    if ((chipByte & ~named & 0xFF) != (fileByte & ~named & 0xFF))
        compare(out, "other bits", showHexByte(chipByte & ~named & 0xFF), showHexByte(fileByte & ~named & 0xFF));
    return out;
}

DeviceDifference diffSetupDevice(const std::array<std::int16_t, 8>& chip, const SetupDevice& file)
{
    DeviceDifference result;
    for (int r = 0; r < kBlockRegisters; ++r) {
        if (!file.registers[static_cast<std::size_t>(r)]) {
            result.notInFile.push_back(r);
            continue;
        }
        const int chipByte = chip[static_cast<std::size_t>(r)] & 0xFF;
        const int wanted = fileByte(file, r, chip);
        if (chipByte != wanted)
            result.registers.push_back({r, chipByte, wanted, registerFieldDifferences(r, chipByte, wanted)});
    }
    const int chipTotal = horizTotalFromDivider(feedbackDivider(chip[reg::FdBk0] & 0xFF, chip[reg::FdBk1] & 0x0F));
    const int fileTotal = horizTotalFromDivider(feedbackDivider(fileByte(file, reg::FdBk0, chip),
                                                                fileByte(file, reg::FdBk1, chip) & 0x0F));
    if (chipTotal != fileTotal) {
        for (auto it = result.registers.rbegin(); it != result.registers.rend(); ++it) {
            if (it->reg == reg::FdBk0 || it->reg == reg::FdBk1) {
                it->fields.push_back({"Total Pixels/Line", std::to_string(chipTotal), std::to_string(fileTotal)});
                break;
            }
        }
    }
    return result;
}

ApplyResult applySetupDevice(ChipDevice& chip, const SetupDevice& file, RegisterImage& image)
{
    ApplyResult result;
    if (chip.id() == Device::U1)
        chip.logHeading("Write All");
    for (int r = 0; r < kBlockRegisters; ++r)
        if (!file.registers[static_cast<std::size_t>(r)])
            result.keptFromChip.push_back(r);
    std::array<std::int16_t, 8> current{};
    if (!result.keptFromChip.empty())
        current = chip.readRegisters0to7();
    for (int r = 0; r < kBlockRegisters; ++r) {
        const auto& value = file.registers[static_cast<std::size_t>(r)];
        image[static_cast<std::size_t>(r)] = value ? *value : current[static_cast<std::size_t>(r)];
    }

    // The change tests of Write All, in its order: loop control and divider,
    // then the DPA code, both before the block.
    const bool pllChanged = chip.pllRegistersChanged(image[reg::LoopCntl], image[reg::FdBk0], image[reg::FdBk1]);
    const bool dpaChanged = chip.dpaRegistersChanged(image[reg::DPAcntl]);
    result.lockStatus = chip.writeAllBus(image, pllChanged, dpaChanged);
    return result;
}

} // namespace zvx
