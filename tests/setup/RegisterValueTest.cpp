// Register values as hand-written setup files hold them: what is loaded, and
// what the user is told about a value that does not say what is loaded (a
// whole file's list, with keys and lines: OpenSaveTest and ApplyDiffTest).
#include "setup/SetupFile.h"

#include <gtest/gtest.h>

namespace zvx {
namespace {

TEST(RegisterValue, EachFormLoadsItsValueAndOddOnesAreNamed)
{
    const std::string notHex = "not a number in this file's format (hex is written &H3F), ";
    const struct {
        std::string text;
        std::optional<std::int16_t> value;
        std::string problem;
    } rows[] = {
        // The file's own forms, as Save writes them and as they always read.
        {"&H3F", 0x3F, ""},
        {"&h7f", 0x7F, ""},
        {"63", 63, ""},
        {" \t&H3F  ", 0x3F, ""},
        {"", std::nullopt, ""},
        // Read as always, and named.
        {"0x3F", 0, notHex + "read as 00"},
        {"3F", 3, notHex + "read as 03"},
        {"abc", 0, "not a number in this file's format (hex is written &HABC), read as 00"},
        {"&H1G", 1, "not a number in this file's format (hex digits are 0-9 and A-F), read as 01"},
        {"12 MHz", 12, "not a number in this file's format (a number is decimal, like 63, or hex written &H3F), "
                       "read as 0C"},
        {"2.5", 2, "not a whole number, read as 02"},
        {"5", std::nullopt,
         "a value of one character counts as missing in this file's format (5 is written 05 or &H5), not loaded"},
        {"&H" + std::string(130, '0') + "3F", 0, "longer than the 126 characters this file's format reads, read as 00"},
        // Out of the register's range: clamped, never wrapped.
        {"300", 0xFF, "out of range 0..FF, clamped to FF"},
        {"-1", 0, "out of range 0..FF, clamped to 00"},
        {"&HFFFF", 0xFF, "out of range 0..FF, clamped to FF"},
        {"&H12345", 0xFF, "out of range 0..FF, clamped to FF"},
        {"300x", 0xFF, "not a number in this file's format (a number is decimal, like 63, or hex written &H3F), "
                       "out of range 0..FF, clamped to FF"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const RegisterValueReading r = readRegisterValue(row.text);
        EXPECT_EQ(r.value, row.value);
        EXPECT_EQ(r.problem, row.problem);
    }
}

} // namespace
} // namespace zvx
