#pragma once
// The value of the --sim-rev option, which fits the simulated board with
// chips of chosen revisions: "U1:A,U4:G", "U4:C1", "u1:b" ... Either device
// may be left out and keeps its revision (G unless set otherwise); device
// names and letters are case-insensitive, blanks around items are ignored.

#include "sim/ChipRevision.h"

#include <optional>
#include <string>
#include <string_view>

namespace zvx {

class SimBoard;

struct SimRevisionChoice {
    std::optional<ChipRevision> u1;
    std::optional<ChipRevision> u4;
};

struct SimRevisionParse {
    // Set when the value was good.
    std::optional<SimRevisionChoice> choice;
    // One line for the user when it was not, naming the option and the part
    // that is wrong, e.g.
    //   --sim-rev=U1:H: unknown revision "H" (use A, B, C1, C2, D, E, F or G)
    std::string error;

    bool ok() const { return choice.has_value(); }
};

SimRevisionParse parseSimRevisions(std::string_view value);

// Fits the board's chips with the revisions named in the choice.
void applySimRevisions(SimBoard& board, const SimRevisionChoice& choice);

} // namespace zvx
