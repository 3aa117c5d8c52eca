// The profile layer: how existing setup files are read, and that a write
// changes one value and nothing else a user or another tool put in the file.

#include "setup/Profile.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

namespace zvx {
namespace {

using namespace std::string_literals;

TEST(ProfileRead, NamesIgnoreCaseAndBlanksValuesLoseBlanksAndMatchingQuotes)
{
    const ProfileDocument doc(
        "  [ ZVX7246 Loop Filter Components ]  \r\n"
        "  r  =  10k  \r\n"
        "c1=\"4.7n\"\r\n"
        "C2='220p'\r\n"
        "mixed=\"abc'\r\n"
        "lone=\"\r\n"
        "empty=\r\n");
    const std::string_view s = "zvx7246 loop filter components";
    EXPECT_EQ(doc.value(s, "R"), "10k");
    EXPECT_EQ(doc.value(s, " C1 "), "4.7n");
    EXPECT_EQ(doc.value(s, "c2"), "220p");
    EXPECT_EQ(doc.value(s, "MIXED"), "\"abc'");
    EXPECT_EQ(doc.value(s, "lone"), "\"");
    EXPECT_EQ(doc.value(s, "empty"), "");
    EXPECT_EQ(doc.value(s, "missing"), std::nullopt);
    EXPECT_EQ(doc.value("other", "R"), std::nullopt);
}

TEST(ProfileRead, CommentsNonKeysAndKeysOutsideSections)
{
    const ProfileDocument doc(
        "R=above any section\n"
        "[s]\n"
        "   ;R=commented out\n"
        "#A=hash is no comment\n"
        "just some words\n"
        "[broken header=value\n"
        "x=1=2\n"
        "R=real\n");
    EXPECT_EQ(doc.value("s", "R"), "real");
    EXPECT_EQ(doc.value("s", "#A"), "hash is no comment");
    EXPECT_EQ(doc.value("s", "just some words"), std::nullopt);
    EXPECT_EQ(doc.value("s", "[broken header"), "value");
    EXPECT_EQ(doc.value("s", "x"), "1=2");
}

TEST(ProfileRead, AByteOrderMarkDoesNotHideTheFirstSection)
{
    const ProfileDocument doc("\xEF\xBB\xBF[s]\nk=1\n");
    EXPECT_EQ(doc.value("s", "k"), "1");
}

TEST(ProfileRead, FirstDuplicateSectionAndKeyWin)
{
    const ProfileDocument doc(
        "[S]\r\nk=first\r\nK=second\r\n"
        "[s]\r\nk=other section\r\nonlyhere=x\r\n");
    EXPECT_EQ(doc.value("s", "k"), "first");
    // A key only in the repeated section is not seen, as the bench tool never saw it.
    EXPECT_EQ(doc.value("s", "onlyhere"), std::nullopt);
}

TEST(ProfileRead, EveryKindOfLineEnding)
{
    for (const std::string& eol : {"\n"s, "\r"s, "\r\n"s}) {
        const ProfileDocument doc("[a]" + eol + "k=1" + eol + "[b]" + eol + "k=2");
        EXPECT_EQ(doc.value("a", "k"), "1");
        EXPECT_EQ(doc.value("b", "k"), "2");
    }
    const ProfileDocument mixed("[a]\rk=1\n[b]\r\nk=2\n\rl=3");
    EXPECT_EQ(mixed.value("a", "k"), "1");
    EXPECT_EQ(mixed.value("b", "k"), "2");
    EXPECT_EQ(mixed.value("b", "l"), "3");
}

TEST(ProfileWrite, ReplacesOnlyTheValueAndKeepsEveryOtherByte)
{
    const std::string before =
        "; bench notes, keep me\r\n"
        "[Foreign Tool]\nR=do not touch\n\n"
        "[ZVX7246 Loop Filter Components]\r"
        "  r =  'old'  \r"
        "C1=1n\r\n"
        "; trailing comment\r\n";
    ProfileDocument doc(before);
    ASSERT_EQ(doc.setValue("zvx7246 loop filter components", "R", "22k"), std::nullopt);
    EXPECT_EQ(doc.bytes(),
              "; bench notes, keep me\r\n"
              "[Foreign Tool]\nR=do not touch\n\n"
              "[ZVX7246 Loop Filter Components]\r"
              "  r =  22k  \r"
              "C1=1n\r\n"
              "; trailing comment\r\n");
}

TEST(ProfileWrite, MissingKeyGoesAfterTheSectionsLastKeyWithCrLf)
{
    ProfileDocument doc(
        "[first]\nk=1\n; comment after the keys\n\n"
        "[second]\nz=9\n");
    ASSERT_EQ(doc.setValue("FIRST", "New", "v"), std::nullopt);
    EXPECT_EQ(doc.bytes(),
              "[first]\nk=1\nNew=v\r\n; comment after the keys\n\n"
              "[second]\nz=9\n");
    EXPECT_EQ(doc.value("first", "new"), "v");
    EXPECT_EQ(doc.value("second", "new"), std::nullopt);
}

TEST(ProfileWrite, MissingKeyInAnEmptySectionAndAtTheEndOfAFileWithoutFinalLineBreak)
{
    ProfileDocument headerOnly("[s]");
    ASSERT_EQ(headerOnly.setValue("s", "k", "v"), std::nullopt);
    EXPECT_EQ(headerOnly.bytes(), "[s]\r\nk=v\r\n");

    ProfileDocument noFinalBreak("[s]\rk=1");
    ASSERT_EQ(noFinalBreak.setValue("s", "l", "2"), std::nullopt);
    EXPECT_EQ(noFinalBreak.bytes(), "[s]\rk=1\r\nl=2\r\n");
}

TEST(ProfileWrite, MissingSectionGoesAtTheEndAndDuplicatesChangeTheFirst)
{
    ProfileDocument doc("[a]\nk=1\n[A]\nk=2");
    ASSERT_EQ(doc.setValue("a", "k", "changed"), std::nullopt);
    ASSERT_EQ(doc.setValue("new one", "x", "y"), std::nullopt);
    EXPECT_EQ(doc.bytes(), "[a]\nk=changed\n[A]\nk=2\r\n[new one]\r\nx=y\r\n");

    ProfileDocument empty;
    ASSERT_EQ(empty.setValue("s", "k", "v"), std::nullopt);
    EXPECT_EQ(empty.bytes(), "[s]\r\nk=v\r\n");
}

TEST(ProfileWrite, AValueIsWrittenAsGivenAndReadBackTrimmedAndUnquoted)
{
    ProfileDocument doc;
    ASSERT_EQ(doc.setValue("s", "k", "  \"quoted\" "), std::nullopt);
    EXPECT_EQ(doc.bytes(), "[s]\r\nk=  \"quoted\" \r\n");
    EXPECT_EQ(doc.value("s", "k"), "quoted");
    // An empty old value is filled in place.
    ProfileDocument blank("[s]\nk=   \n");
    ASSERT_EQ(blank.setValue("s", "k", "x"), std::nullopt);
    EXPECT_EQ(blank.bytes(), "[s]\nk=x   \n");
}

TEST(ProfileWrite, RefusesWhatCouldNotBeReadBackAndLeavesTheDocumentAlone)
{
    ProfileDocument doc("[s]\nk=1\n");
    EXPECT_NE(doc.setValue("s", "k", "two\r\nlines"), std::nullopt);
    EXPECT_NE(doc.setValue("s", "k", "nul\0byte"s), std::nullopt);
    EXPECT_NE(doc.setValue("s", "a=b", "x"), std::nullopt);
    EXPECT_NE(doc.setValue("s", ";k", "x"), std::nullopt);
    EXPECT_NE(doc.setValue("s", "[k]", "x"), std::nullopt);
    EXPECT_NE(doc.setValue("  ", "k", "x"), std::nullopt);
    EXPECT_NE(doc.setValue("s", "", "x"), std::nullopt);
    EXPECT_NE(doc.setValue("s\n", "k", "x"), std::nullopt);
    EXPECT_EQ(doc.bytes(), "[s]\nk=1\n");
}

TEST(ProfileWrite, ManyWritesInOnePassEqualWritingThemOneByOne)
{
    const std::string start = "[b]\nx=1\n[a]\r\nk=old\r\n; end of a\r\n[c]\rz=";
    const std::vector<ProfileEntry> entries = {
        {"new", "n1", "1"}, {"A", "K", "changed"}, {"b", "y", "2"},   {"NEW", "n2", "2"},
        {"c", "z", "9"},    {"c", "w", "8"},       {"new", "N1", "3"}, {"a", "m", "4"},
    };
    ProfileDocument oneByOne(start);
    for (const ProfileEntry& e : entries)
        ASSERT_EQ(oneByOne.setValue(e.section, e.key, e.value), std::nullopt);
    ProfileDocument batch(start);
    ASSERT_EQ(batch.setValues(entries), std::nullopt);
    EXPECT_EQ(batch.bytes(), oneByOne.bytes());
    EXPECT_EQ(batch.bytes(),
              "[b]\nx=1\ny=2\r\n[a]\r\nk=changed\r\nm=4\r\n; end of a\r\n[c]\rz=9\r\nw=8\r\n"
              "[new]\r\nn1=3\r\nn2=2\r\n");

    const std::vector<ProfileEntry> oneBad = {{"a", "k", "fine"}, {"a", "j", "two\nlines"}};
    EXPECT_NE(batch.setValues(oneBad), std::nullopt);
    EXPECT_EQ(batch.value("a", "k"), "changed");
}

TEST(GetINIvalue, BufferOf127BytesAndTheTwoCharacterMinimum)
{
    const std::string longValue(200, 'x');
    const ProfileDocument doc("[s]\r\n"
                              "one=5\r\n"
                              "two=10\r\n"
                              "quotedone=\"5\"\r\n"
                              "long=" + longValue + "\r\n"
                              "exact=" + std::string(126, 'y') + "\r\n"
                              "nul=ab\0cd\r\n"s
                              "nulearly=a\0bcd\r\n"s);
    EXPECT_EQ(getINIvalue(doc, "s", "one"), "noValidValueFound");
    EXPECT_EQ(getINIvalue(doc, "s", "missing"), "noValidValueFound");
    EXPECT_EQ(getINIvalue(doc, "s", "two"), "10");
    EXPECT_EQ(getINIvalue(doc, "s", "quotedone"), "noValidValueFound");
    EXPECT_EQ(getINIvalue(doc, "s", "long"), std::string(126, 'x'));
    EXPECT_EQ(getINIvalue(doc, "s", "exact"), std::string(126, 'y'));
    EXPECT_EQ(getINIvalue(doc, "s", "nul"), "ab");
    EXPECT_EQ(getINIvalue(doc, "s", "nulearly"), "noValidValueFound");
}

TEST(GetINIvalue, DoesNotCutAUtf8CharacterInTwo)
{
    // 125 ASCII bytes and then "µ" (2 bytes): the 126-byte cut would split it.
    const ProfileDocument doc("[s]\nk=" + std::string(125, 'a') + "\xC2\xB5" + "tail\n");
    EXPECT_EQ(getINIvalue(doc, "s", "k"), std::string(125, 'a'));
}

TEST(GetINIvalue, FromFilesMissingOrUnreadable)
{
    test::TempFolder folder;
    const std::string path = folder.write("a.zvx", "[s]\nk=value\n");
    EXPECT_EQ(getINIvalue("S", "K", path), "value");
    EXPECT_EQ(getINIvalue("s", "k", folder.file("missing.zvx")), "noValidValueFound");
    EXPECT_EQ(getINIvalue("s", "k", folder.path().string()), "noValidValueFound");
}

TEST(ProfileFile, LoadsMissingAsEmptyAndRefusesFoldersWithAMessage)
{
    test::TempFolder folder;
    auto missing = loadProfile(folder.file("nothing.zvx"));
    ASSERT_TRUE(missing.ok());
    EXPECT_EQ(missing->bytes(), "");

    auto isFolder = loadProfile(folder.path().string());
    ASSERT_FALSE(isFolder.ok());
    EXPECT_NE(isFolder.error().message.find(folder.path().string()), std::string::npos);
    EXPECT_NE(isFolder.error().message.find("folder"), std::string::npos);
}

TEST(ProfileFile, SaveAndLoadKeepTheBytesExactly)
{
    test::TempFolder folder;
    const std::string original = "\xEF\xBB\xBF; from another tool\n[s]\rk=1\r\n\r\n\0binary\xFF\n"s;
    const std::string path = folder.write("x.zvx", original);
    auto doc = loadProfile(path);
    ASSERT_TRUE(doc.ok());
    EXPECT_EQ(doc->bytes(), original);
    ASSERT_EQ(doc->setValue("s", "k", "2"), std::nullopt);
    ASSERT_EQ(saveProfile(doc.value(), path), std::nullopt);
    EXPECT_EQ(test::TempFolder::read(path), "\xEF\xBB\xBF; from another tool\n[s]\rk=2\r\n\r\n\0binary\xFF\n"s);
}

} // namespace
} // namespace zvx
