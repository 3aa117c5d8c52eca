#pragma once
// A register image decoded into what a device panel shows: for each register
// the boxes ticked, the option selected and the exact texts of its boxes and
// value labels. A Read All or a setup-file open decodes the whole image in
// one call and then sets the panel's controls in one pass; a single register
// (a typed hex text spread back to its bit controls) goes the same way.
//
// The texts are the ones the panel is given, before a box's length limit
// cuts them: register 3 = 0x1F gives "1F", which the one-character box keeps
// as "F". Values outside a byte (a three-digit DPA Cntl text reads up to
// FFF) decode by the same rules: every field takes its own bits, and the
// whole value is shown in the register's text and value label.

#include "device/RegisterCodecs.h"

#include <array>
#include <optional>
#include <string>

namespace zvx {

// Registers 0..8 by number; an empty slot is a register that is not there (a
// Read All has no register 8, a setup file may lack any of them), and the
// panel leaves its controls alone.
using PanelRegisters = std::array<std::optional<int>, 9>;

struct InputCntlFields {            // register 0
    std::array<bool, 8> ticked{};   // ckIn_Input by bit
    std::string text;               // txtIn_InputCntl
};

struct LoopCntlFields {             // register 1
    int psdIndex = 0;               // obIn_PSD
    std::string pfdText;            // txtIn_PFD
    std::string byteText;           // lblIn_LoopCntl
};

struct DpaOffsetFields {            // register 4
    bool filterSelect = false;      // ckIn_ExtFilter "Int-Filter (7)"
    std::string offsetText;         // txtIn_DPAoffset
    std::string byteText;           // lblIn_DPAoffset
};

struct DpaCntlFields {              // register 5
    std::optional<int> option;      // obInDPA; code 2 selects no button
    std::string text;               // txtIn_DPAcntl
};

struct OutputCntlFields {           // register 6
    std::array<bool, 6> ticked{};   // ckIn_Output by bit
    int sclOption = 0;              // obIn_OutScl, Rev A swap applied
    std::string text;               // txtIn_OutputCntl
};

struct OscDivFields {               // register 7
    bool inputSelect = false;       // ckIn_OscDiv "In-Sel (7)"
    std::string dividerText;        // txtIn_OscDiv (decimal, code + 2)
    std::string byteText;           // lblIn_OscDiv
};

// What the panel shows for registers 0..8; empty where the register was not
// in the image.
struct PanelFields {
    std::optional<InputCntlFields> inputCntl;
    std::optional<LoopCntlFields> loopCntl;
    std::optional<std::string> fdBk0Text;   // txtIn_FdBk0
    std::optional<std::string> fdBk1Text;   // txtIn_FdBk1
    std::optional<DpaOffsetFields> dpaOffset;
    std::optional<DpaCntlFields> dpaCntl;
    std::optional<OutputCntlFields> outputCntl;
    std::optional<OscDivFields> oscDiv;
    std::optional<std::string> resetText;   // txtIn_RESET
};

// revA: the device's Rev A flag, which decides the output scaler option.
PanelFields decodePanelFields(const PanelRegisters& registers, bool revA);

} // namespace zvx
