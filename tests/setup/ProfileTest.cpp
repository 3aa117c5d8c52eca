// The profile layer: how existing setup files are read, and that a write
// changes one value and nothing else a user or another tool put in the file.

#include "setup/Profile.h"

#include <gtest/gtest.h>

namespace zvx {
namespace {

using namespace std::literals;

TEST(ProfileRead, NamesCommentsQuotesDuplicatesAndByteOrderMark)
{
    const ProfileDocument doc(
        "\xEF\xBB\xBF  [ ZVX7246 Loop Filter Components ]  \r\n"
        "  r  =  10k  \r\n"
        "c1=\"4.7n\"\r\nC2='220p'\r\nmixed=\"abc'\r\nlone=\"\r\nempty=\r\n"
        "   ;R=commented out\r\n#A=hash is no comment\r\njust some words\r\nx=1=2\r\n"
        "[s]\nk=first\nK=second\n[S]\nk=other section\nonlyhere=x\n");
    const std::string_view s = "zvx7246 loop filter components";
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"R", "10k"},       {" C1 ", "4.7n"},  {"c2", "220p"}, {"MIXED", "\"abc'"}, {"lone", "\""},
        {"empty", ""},      {"#A", "hash is no comment"},    {"x", "1=2"},       {"missing", std::nullopt},
        {"just some words", std::nullopt},
    };
    for (const auto& [key, value] : cases)
        EXPECT_EQ(doc.value(s, key), value) << key;
    // The first of repeated sections and keys wins; the repeat is not seen.
    EXPECT_EQ(std::tuple(doc.value("s", "k"), doc.value("s", "onlyhere"), doc.value("other", "R")),
              std::tuple(std::optional<std::string>("first"), std::nullopt, std::nullopt));
}

TEST(ProfileWrite, ReplacesOnlyTheValueAndKeepsEveryOtherByte)
{
    const std::string head = "; bench notes, keep me\r\n[Foreign Tool]\nR=do not touch\n\n"
                             "[ZVX7246 Loop Filter Components]\r";
    ProfileDocument doc(head + "  r =  'old'  \rC1=1n\r\n; trailing comment\r\n");
    ASSERT_EQ(doc.setValue("zvx7246 loop filter components", "R", "22k"), std::nullopt);
    EXPECT_EQ(doc.bytes(), head + "  r =  22k  \rC1=1n\r\n; trailing comment\r\n");

    ProfileDocument blank("[s]\nk=   \n");
    ASSERT_EQ(blank.setValue("s", "k", "  \"quoted\" "), std::nullopt);
    EXPECT_EQ(blank.bytes(), "[s]\nk=  \"quoted\"    \n");
    EXPECT_EQ(blank.value("s", "k"), "quoted");
}

TEST(ProfileWrite, NewKeysFollowTheSectionsLastKeyNewSectionsGoAtTheEnd)
{
    ProfileDocument doc("[first]\nk=1\n; comment after the keys\n\n[second]\nz=9\n[FIRST]\nk=2");
    ASSERT_EQ(doc.setValue("FIRST", "New", "v"), std::nullopt);
    ASSERT_EQ(doc.setValue("first", "k", "changed"), std::nullopt);
    ASSERT_EQ(doc.setValue("new one", "x", "y"), std::nullopt);
    EXPECT_EQ(doc.bytes(), "[first]\nk=changed\nNew=v\r\n; comment after the keys\n\n[second]\nz=9\n[FIRST]\nk=2\r\n"
                           "[new one]\r\nx=y\r\n");

    const std::pair<const char*, const char*> cases[] = {
        {"[s]", "[s]\r\nk=v\r\n"}, {"", "[s]\r\nk=v\r\n"}, {"[s]\rj=1", "[s]\rj=1\r\nk=v\r\n"}};
    for (const auto& [start, after] : cases) {
        ProfileDocument d(start);
        ASSERT_EQ(d.setValue("s", "k", "v"), std::nullopt);
        EXPECT_EQ(d.bytes(), after) << start;
    }
}

TEST(ProfileWrite, RefusesWhatCouldNotBeReadBackAndLeavesTheDocumentAlone)
{
    ProfileDocument doc("[s]\nk=1\n");
    const ProfileEntry bad[] = {{"s", "k", "two\r\nlines"}, {"s", "k", "nul\0byte"sv}, {"s", "a=b", "x"},
                                {"s", ";k", "x"},           {"s", "[k]", "x"},        {"  ", "k", "x"},
                                {"s", "", "x"},             {"s\n", "k", "x"}};
    for (const ProfileEntry& e : bad)
        EXPECT_NE(doc.setValue(e.section, e.key, e.value), std::nullopt) << e.section << "/" << e.key;
    const std::vector<ProfileEntry> oneBad = {{"s", "k", "fine"}, {"s", "j", "two\nlines"}};
    EXPECT_NE(doc.setValues(oneBad), std::nullopt);
    EXPECT_EQ(doc.bytes(), "[s]\nk=1\n");
}

TEST(GetINIvalue, BufferOf127BytesTheTwoCharacterMinimumAndWholeUtf8Characters)
{
    const ProfileDocument doc("[s]\r\none=5\r\ntwo=10\r\nquotedone=\"5\"\r\n"
                              "long=" + std::string(200, 'x') + "\r\nexact=" + std::string(126, 'y') + "\r\n"
                              "utf8=" + std::string(125, 'a') + "\xC2\xB5tail\r\n"
                              "nul=ab\0cd\r\nnulearly=a\0bcd\r\n"s);
    const std::pair<const char*, std::string> cases[] = {
        {"one", "noValidValueFound"},  {"missing", "noValidValueFound"}, {"two", "10"},
        {"quotedone", "noValidValueFound"}, {"long", std::string(126, 'x')}, {"exact", std::string(126, 'y')},
        {"utf8", std::string(125, 'a')},    {"nul", "ab"},                   {"nulearly", "noValidValueFound"},
    };
    for (const auto& [key, value] : cases)
        EXPECT_EQ(getINIvalue(doc, "s", key), value) << key;
}

} // namespace
} // namespace zvx
