#include "device/PanelFields.h"

namespace zvx {

PanelFields decodePanelFields(const PanelRegisters& registers, bool revA)
{
    PanelFields shown;
    if (const auto v = registers[reg::InputCntl])
        shown.inputCntl = InputCntlFields{decodeInputCntl(*v), showHexByte(*v)};
    if (const auto v = registers[reg::LoopCntl])
        shown.loopCntl = LoopCntlFields{decodePsdIndex(*v), plainHex(decodePfd(*v)), showHexByte(*v)};
    if (const auto v = registers[reg::FdBk0])
        shown.fdBk0Text = showHexByte(*v);
    if (const auto v = registers[reg::FdBk1])
        shown.fdBk1Text = plainHex(*v);
    if (const auto v = registers[reg::DPAoffset])
        shown.dpaOffset = DpaOffsetFields{decodeFilterSelect(*v), showHexByte(decodeDpaOffset(*v)), showHexByte(*v)};
    if (const auto v = registers[reg::DPAcntl])
        shown.dpaCntl = DpaCntlFields{decodeDpaOption(*v), showHexByte(*v)};
    if (const auto v = registers[reg::OutputCntl])
        shown.outputCntl = OutputCntlFields{decodeOutputEnables(*v), decodeOutSclOption(*v, revA), showHexByte(*v)};
    if (const auto v = registers[reg::OscDiv])
        shown.oscDiv = OscDivFields{decodeInputSelect(*v), std::to_string(decodeOscDivShown(*v)), showHexByte(*v)};
    if (const auto v = registers[reg::Reset])
        shown.resetText = showHexByte(*v);
    return shown;
}

} // namespace zvx
