// The --sim-rev option value that fits the simulated chips with revisions.
#include "sim/SimBoard.h"
#include "sim/SimRevisionOption.h"

#include <gtest/gtest.h>

namespace zvx {
namespace {

TEST(SimRevisionOption, AcceptsEitherOrBothDevices)
{
    auto both = parseSimRevisions("U1:A,U4:G");
    ASSERT_TRUE(both.ok()) << both.error;
    EXPECT_EQ(both.choice->u1, ChipRevision::A);
    EXPECT_EQ(both.choice->u4, ChipRevision::G);

    auto onlyU4 = parseSimRevisions("U4:C1");
    ASSERT_TRUE(onlyU4.ok()) << onlyU4.error;
    EXPECT_FALSE(onlyU4.choice->u1.has_value());
    EXPECT_EQ(onlyU4.choice->u4, ChipRevision::C1);

    auto relaxed = parseSimRevisions(" u4 : c2 , u1:e ");
    ASSERT_TRUE(relaxed.ok()) << relaxed.error;
    EXPECT_EQ(relaxed.choice->u1, ChipRevision::E);
    EXPECT_EQ(relaxed.choice->u4, ChipRevision::C2);
}

TEST(SimRevisionOption, EveryRevisionLetterIsKnown)
{
    for (const RevisionSignature& entry : kRevisionSignatures) {
        const std::string value = "U1:" + std::string(entry.letter);
        auto parsed = parseSimRevisions(value);
        ASSERT_TRUE(parsed.ok()) << parsed.error;
        EXPECT_EQ(parsed.choice->u1, entry.revision);
    }
}

TEST(SimRevisionOption, BadValuesSayWhatIsWrong)
{
    struct Case {
        const char* value;
        const char* error;
    };
    for (const Case& c : {
             Case{"", "--sim-rev=: no device given (for example U1:A,U4:G)"},
             Case{"U1:H", "--sim-rev=U1:H: unknown revision \"H\" for U1 (use A, B, C1, C2, D, E, F or G)"},
             Case{"U1:", "--sim-rev=U1:: unknown revision \"\" for U1 (use A, B, C1, C2, D, E, F or G)"},
             Case{"U1:C", "--sim-rev=U1:C: unknown revision \"C\" for U1 (use A, B, C1, C2, D, E, F or G)"},
             Case{"U2:A", "--sim-rev=U2:A: unknown device \"U2\" (use U1 or U4)"},
             Case{"U1A", "--sim-rev=U1A: \"U1A\" is not DEVICE:REVISION (for example U1:A,U4:G)"},
             Case{"U1:A,,U4:B", "--sim-rev=U1:A,,U4:B: empty item (for example U1:A,U4:G)"},
             Case{"U1:A,", "--sim-rev=U1:A,: empty item (for example U1:A,U4:G)"},
             Case{"U1:A,u1:B", "--sim-rev=U1:A,u1:B: U1 is given twice"},
         }) {
        auto parsed = parseSimRevisions(c.value);
        EXPECT_FALSE(parsed.ok()) << c.value;
        EXPECT_EQ(parsed.error, c.error);
    }
}

TEST(SimRevisionOption, AppliesOnlyTheDevicesNamed)
{
    SimBoard board;
    board.u4().setRevision(ChipRevision::D);
    auto parsed = parseSimRevisions("U1:B");
    ASSERT_TRUE(parsed.ok());
    applySimRevisions(board, *parsed.choice);
    EXPECT_EQ(board.u1().revision(), ChipRevision::B);
    EXPECT_EQ(board.u4().revision(), ChipRevision::D);
}

} // namespace
} // namespace zvx
