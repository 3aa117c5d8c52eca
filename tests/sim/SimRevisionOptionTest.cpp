// The --sim-rev option value that fits the simulated chips with revisions.
#include "sim/SimRevisionOption.h"

#include <gtest/gtest.h>

namespace zvx {
namespace {

TEST(SimRevisionOption, BothDevicesInAnyOrderAndCaseAndBadValuesSayWhatIsWrong)
{
    auto relaxed = parseSimRevisions(" u4 : c2 , u1:e ");
    ASSERT_TRUE(relaxed.ok()) << relaxed.error;
    EXPECT_EQ(std::tuple(relaxed.choice->u1, relaxed.choice->u4), std::tuple(ChipRevision::E, ChipRevision::C2));

    struct Case {
        const char* value;
        const char* error;
    };
    for (const Case& c : {
             Case{"", "--sim-rev=: no device given (for example U1:A,U4:G)"},
             Case{"U1:H", "--sim-rev=U1:H: unknown revision \"H\" for U1 (use A, B, C1, C2, D, E, F or G)"},
             Case{"U1:C", "--sim-rev=U1:C: unknown revision \"C\" for U1 (use A, B, C1, C2, D, E, F or G)"},
             Case{"U2:A", "--sim-rev=U2:A: unknown device \"U2\" (use U1 or U4)"},
             Case{"U1A", "--sim-rev=U1A: \"U1A\" is not DEVICE:REVISION (for example U1:A,U4:G)"},
             Case{"U1:A,", "--sim-rev=U1:A,: empty item (for example U1:A,U4:G)"},
             Case{"U1:A,u1:B", "--sim-rev=U1:A,u1:B: U1 is given twice"},
         }) {
        auto parsed = parseSimRevisions(c.value);
        EXPECT_FALSE(parsed.ok()) << c.value;
        EXPECT_EQ(parsed.error, c.error);
    }
}

} // namespace
} // namespace zvx
