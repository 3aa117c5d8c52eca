// Replays the fuzzer's stored corpus through the same rules the fuzzer
// checks, so every input that once broke something stays a test.

#include "../../fuzz/SetupFileFuzzCheck.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

namespace zvx {
namespace {

const std::filesystem::path kCorpus = std::filesystem::path(ZVX_TEST_DATA_DIR) / "setup" / "corpus";

TEST(SetupFileCorpus, EveryStoredInputKeepsTheRules)
{
    std::size_t inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kCorpus))
        if (entry.is_regular_file()) {
            ++inputs;
            EXPECT_EQ(fuzz::checkSetupFileBytes(test::TempFolder::read(entry.path().string())), "") << entry.path();
        }
    EXPECT_GE(inputs, 10u);
}

TEST(SetupFileCorpus, TheSameFileWithAnyLineEndingsLoadsTheSame)
{
    auto reference = readSetupFile((kCorpus / "bench-crlf.zvx").string());
    ASSERT_TRUE(reference.ok());
    const SetupFileData& ref = reference->data;
    EXPECT_EQ(std::tuple(ref.in.registers[0], ref.out.registers[8], ref.hsyncKhz), std::tuple(0x4C, 0x0A, "31.469"));
    for (const char* name : {"lf-only.zvx", "cr-only.zvx", "mixed-endings.zvx"}) {
        SCOPED_TRACE(name);
        auto other = readSetupFile((kCorpus / name).string());
        ASSERT_TRUE(other.ok());
        EXPECT_EQ(std::tie(other->data.in.registers, other->data.out.registers, other->data.r, other->data.c1,
                           other->data.c2, other->data.hsyncKhz),
                  std::tie(ref.in.registers, ref.out.registers, ref.r, ref.c1, ref.c2, ref.hsyncKhz));
    }
}

} // namespace
} // namespace zvx
