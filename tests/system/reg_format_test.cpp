#include "system/reg_format.h"

#include <gtest/gtest.h>

TEST(RegFormat, ValueTexts)
{
    EXPECT_EQ("\"Dest_Dir\"", RegNameText("Dest_Dir"));
    EXPECT_EQ("\"\"", RegNameText(""));
    EXPECT_EQ("\"C:\\x\"", RegStringText("C:\\x"));
    EXPECT_EQ("dword:0000002a", RegDwordText(42));
    EXPECT_EQ("dword:ffffffff", RegDwordText(0xFFFFFFFF));
    EXPECT_EQ("hex:", RegBinaryText());
}

TEST(RegFormat, SectionNamesMapRootWords)
{
    struct Case { const char* section; int root; const char* sub_key; } cases[] = {
        {"HKEY_LOCAL_MACHINE\\Software\\X", kRootLocalMachine, "Software\\X"},
        {"hkey_current_user\\X", 1, "X"},
        {"HKEY_CLASSES_ROOT\\.txt", 0, ".txt"},
        {"HKEY_DYN_DATA\\A\\B", 5, "A\\B"},
        {"SOFTWARE\\X", kRootLocalMachine, "SOFTWARE\\X"},
        {"HKEY_USERS\\X", kRootLocalMachine, "HKEY_USERS\\X"},  // not one of the six words
        {"HKEY_CURRENT_USER", 1, ""},
    };
    for (const auto& c : cases) {
        RegSectionName got = SplitSectionName(c.section);
        EXPECT_EQ(c.root, got.root) << c.section;
        EXPECT_EQ(c.sub_key, got.sub_key) << c.section;
    }
}

TEST(RegFormat, JoinDoesNotDoubleBackslash)
{
    EXPECT_EQ("A\\B", JoinKeyPath("A", "B"));
    EXPECT_EQ("A\\B", JoinKeyPath("A\\", "B"));
}

TEST(RegFormat, ImportLines)
{
    struct Case {
        const char* line;
        RegImportLine::Kind kind;
        const char* name;
        const char* text;
        uint32_t number;
    } cases[] = {
        {"\"Name\" = \"value\"", RegImportLine::String, "Name", "value", 0},
        {"\"\" = \"default\"", RegImportLine::String, "", "default", 0},
        {" \"Pad\"\t=\t\"\"a b\"\" ", RegImportLine::String, "Pad", "a b", 0},
        {"\"Eq\" = \"x=y\"", RegImportLine::String, "Eq", "x=y", 0},
        {"\"N\" = dword:0000002a", RegImportLine::Dword, "N", "", 42},
        {"\"N\" = DWORD: \"2a\" ", RegImportLine::Dword, "N", "", 42},
        {"\"N\" = dword:123456789", RegImportLine::Dword, "N", "", 0x23456789},
        {"\"B\" = hex:", RegImportLine::Binary, "B", "", 0},
        {"\"B\" = HEX:01,02", RegImportLine::Binary, "B", "", 0},
        {"\"Q\" = qword:1", RegImportLine::Unknown, "Q", "", 0},
        {"\"Q\" = plain", RegImportLine::Unknown, "Q", "", 0},
        {"FLAG", RegImportLine::Unknown, "FLAG", "", 0},
    };
    for (const auto& c : cases) {
        RegImportLine got = ParseImportLine(c.line);
        EXPECT_EQ(c.kind, got.kind) << c.line;
        EXPECT_EQ(c.name, got.name) << c.line;
        EXPECT_EQ(c.text, got.text) << c.line;
        EXPECT_EQ(c.number, got.number) << c.line;
    }
}
