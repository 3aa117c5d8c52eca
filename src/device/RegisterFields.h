#pragma once
// A register byte as named fields, for the command-line tool and the
// register exports: read-all's description of each register, its JSON
// form, and the comment beside each exported write all come from here.

#include <optional>
#include <string>
#include <vector>

namespace zvx {

struct RegisterField {
    enum class Kind {
        Flag,    // one bit with a check box: named in the text when set
        Number,  // "PSD 4", "DPA offset 3F": value is the number shown
        State,   // "PLL locked": value 1 or 0, shown as a word
    };
    std::string name;          // "PDen", "PSD", "Total Pixels/Line", "PLL"
    Kind kind = Kind::Number;
    std::optional<int> value;  // none: the code selects nothing (DPA code 2)
    std::string shown;         // the value as the panel shows it: "3F", "16", "(code 2)", "locked"
};

// The fields of register reg holding value. fdBk1 is register 3, which the
// divider of register 2 needs. Output scaler ratios are those of a chip
// that is not revision A (which swaps 2 and 4); a plain read does not tell
// the revision. Register 3, 0x11 and unknown registers have no fields.
std::vector<RegisterField> registerFields(int reg, int value, int fdBk1 = 0);

// The fields as one line: flags by name, separated by blanks ("-" when a
// register's leading flags are all clear), every other field as "name
// shown", the parts separated by ", ". "PSD 4, PFD 2", "OE_Pck OE_F, Out_Scl 1".
std::string describeFields(const std::vector<RegisterField>& fields);

} // namespace zvx
