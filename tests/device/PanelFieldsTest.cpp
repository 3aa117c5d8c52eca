// A whole register image decoded into what the panel shows, in one call.
#include "device/PanelFields.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zvx {
namespace {

template <std::size_t N>
std::string bits(const std::array<bool, N>& ticked)
{
    std::string s;
    for (bool b : ticked)
        s += b ? '1' : '0';
    return s;
}

// One line per panel: boxes ticked from bit 0 up, option index, texts; "-"
// for a register that was not in the image.
std::string describe(const PanelFields& f)
{
    const auto flag = [](bool b) { return std::string(b ? "1 " : "0 "); };
    const auto option = [](std::optional<int> o) { return o ? std::to_string(*o) : std::string("none"); };
    std::ostringstream o;
    o << "in " << (f.inputCntl ? bits(f.inputCntl->ticked) + " " + f.inputCntl->text : "-");
    o << " | loop "
      << (f.loopCntl ? option(f.loopCntl->psdIndex) + " " + f.loopCntl->pfdText + " " + f.loopCntl->byteText : "-");
    o << " | fdbk " << f.fdBk0Text.value_or("-") << " " << f.fdBk1Text.value_or("-");
    o << " | off "
      << (f.dpaOffset ? flag(f.dpaOffset->filterSelect) + f.dpaOffset->offsetText + " " + f.dpaOffset->byteText : "-");
    o << " | dpa " << (f.dpaCntl ? option(f.dpaCntl->option) + " " + f.dpaCntl->text : "-");
    o << " | out "
      << (f.outputCntl ? bits(f.outputCntl->ticked) + " " + option(f.outputCntl->sclOption) + " " + f.outputCntl->text
                       : "-");
    o << " | osc " << (f.oscDiv ? flag(f.oscDiv->inputSelect) + f.oscDiv->dividerText + " " + f.oscDiv->byteText : "-");
    o << " | reset " << f.resetText.value_or("-");
    return o.str();
}

TEST(PanelFields, AWholeImageDecodesIntoWhatThePanelShows)
{
    constexpr std::nullopt_t none = std::nullopt;
    struct Row {
        const char* what;
        PanelRegisters registers;
        bool revA;
        const char* shown;
    };
    const Row rows[] = {
        {"a setup file's registers", {0x5A, 0x37, 0x90, 0x06, 0x8A, 0x02, 0x45, 0x85, 0x50}, false,
         "in 01011010 5A | loop 3 7 37 | fdbk 90 6 | off 1 0A 8A | dpa none 02 | out 101000 1 45 | osc 1 7 85 | reset 50"},
        {"Rev A swaps the scaler; the divider's top shows 129", {0x00, 0x30, 0x00, 0x00, 0x3F, 0x03, 0x40, 0x7F, none}, true,
         "in 00000000 00 | loop 3 0 30 | fdbk 00 0 | off 0 3F 3F | dpa 3 03 | out 000000 2 40 | osc 0 129 7F | reset -"},
        {"beyond a byte: each field takes its own bits, the texts the whole value",
         {-1, 0x1FF, 0x123, 0x1F, -32768, 0x7FFF, 0xC0, 0x1FF, 0x0A}, false,
         "in 11111111 FFFF | loop 3 7 1FF | fdbk 123 1F | off 0 00 8000 | dpa 3 7FFF | out 000000 3 C0 | osc 1 129 1FF | reset 0A"},
        {"registers missing from the image are left out", {none, 0x10, none, 0x03, none, 0x01, none, 0x00, none}, false,
         "in - | loop 1 0 10 | fdbk - 3 | off - | dpa 1 01 | out - | osc 0 2 00 | reset -"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(describe(decodePanelFields(row.registers, row.revA)), row.shown) << row.what;
}

} // namespace
} // namespace zvx
