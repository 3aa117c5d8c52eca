// Replays the fuzzer's stored corpus through the same rules the fuzzer
// checks, so every input that once broke something stays a test.

#include "../../fuzz/SetupFileFuzzCheck.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace zvx {
namespace {

TEST(SetupFileCorpus, EveryStoredInputKeepsTheRules)
{
    const std::filesystem::path corpus = std::filesystem::path(ZVX_TEST_DATA_DIR) / "setup" / "corpus";
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        if (entry.is_regular_file())
            inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
    ASSERT_GE(inputs.size(), 10u);
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.filename().string());
        EXPECT_EQ(fuzz::checkSetupFileBytes(test::TempFolder::read(input.string())), "");
    }
}

TEST(SetupFileCorpus, TheSameFileWithAnyLineEndingsLoadsTheSame)
{
    const std::filesystem::path corpus = std::filesystem::path(ZVX_TEST_DATA_DIR) / "setup" / "corpus";
    auto reference = readSetupFile((corpus / "bench-crlf.zvx").string());
    ASSERT_TRUE(reference.ok());
    EXPECT_EQ(reference->data.in.registers[0], 0x4C);
    EXPECT_EQ(reference->data.out.registers[8], 0x0A);
    EXPECT_EQ(reference->data.hsyncKhz, "31.469");
    for (const char* name : {"lf-only.zvx", "cr-only.zvx", "mixed-endings.zvx"}) {
        SCOPED_TRACE(name);
        auto other = readSetupFile((corpus / name).string());
        ASSERT_TRUE(other.ok());
        EXPECT_EQ(other->data.in.registers, reference->data.in.registers);
        EXPECT_EQ(other->data.out.registers, reference->data.out.registers);
        EXPECT_EQ(other->data.r, reference->data.r);
        EXPECT_EQ(other->data.c1, reference->data.c1);
        EXPECT_EQ(other->data.c2, reference->data.c2);
        EXPECT_EQ(other->data.hsyncKhz, reference->data.hsyncKhz);
    }
}

} // namespace
} // namespace zvx
