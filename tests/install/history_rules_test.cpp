// The install history's text rules: names, the 64-bit file mapping, entry splitting.
#include "install/history_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(HistoryRules, ListNames)
{
    const struct {
        int type;
        const char* count;
        const char* entry3;
    } cases[] = {
        {kHistoryFile, "NumOfFiles", "File3"},         {kHistoryDirectory, "NumOfDirs", "Dir3"},
        {kHistoryKey, "NumOfKeys", "Key3"},            {kHistoryValue, "NumOfValues", "Value3"},
        {kHistoryShortcut, "NumOfShortcuts", "Shortcut3"}, {kHistoryDestDir, "NumOfDestDirs", "DestDir3"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(c.count, HistoryCountName(c.type));
        EXPECT_EQ(c.entry3, HistoryEntryName(c.type, 3));
    }
    EXPECT_EQ(nullptr, HistoryCountName(6));
    EXPECT_EQ(nullptr, HistoryCountName(-1));
    EXPECT_EQ("", HistoryEntryName(6, 0));
    EXPECT_EQ("File0", HistoryEntryName(kHistoryFile, 0));
}

TEST(HistoryRules, EntryTextMapsSystem32OnlyForFilesOn64Bit)
{
    const struct {
        const char* text;
        int type;
        bool is64;
        const char* stored;
    } cases[] = {
        {"C:\\WINDOWS\\system32\\x.dll", kHistoryFile, true, "C:\\WINDOWS\\SYSWOW64\\X.DLL"},
        {"C:\\WINDOWS\\system32\\x.dll", kHistoryFile, false, "C:\\WINDOWS\\system32\\x.dll"},
        {"C:\\WINDOWS\\system32\\drivers", kHistoryDirectory, true, "C:\\WINDOWS\\system32\\drivers"},
        {"C:\\Program Files\\a.txt", kHistoryFile, true, "C:\\PROGRAM FILES\\A.TXT"},
        // Only a whole path component: a directory merely starting with the name stays.
        {"C:\\system32x\\a", kHistoryFile, true, "C:\\SYSTEM32X\\A"},
        {"C:\\WINDOWS\\System32", kHistoryFile, true, "C:\\WINDOWS\\SYSTEM32"},
        // A double-byte character whose trail byte is a lower-case letter stays as it is.
        {"C:\\\x83\x61.txt", kHistoryFile, true, "C:\\\x83\x61.TXT"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.stored, HistoryEntryText(c.text, c.type, c.is64)) << c.text;
}

TEST(HistoryRules, ValueEntries)
{
    const struct {
        const char* entry;
        bool ok;
        int root;
        const char* key;
        const char* name;
    } cases[] = {
        {"HKEY_CURRENT_USER\\Software\\X\\Flag", true, kRootCurrentUser, "Software\\X", "Flag"},
        {"HKEY_LOCAL_MACHINE\\Software\\Flag", true, kRootLocalMachine, "Software", "Flag"},
        {"hkey_users\\S\\V", true, kRootUsers, "S", "V"},
        {"HKEY_DYN_DATA\\S\\V", true, kRootDynData, "S", "V"},
        {"HKEY_LOCAL_MACHINE\\S\\", true, kRootLocalMachine, "S", ""},  // the default value
        {"HKLM\\Software\\X\\Flag", false, 0, "", ""},                  // unknown root: skipped
        {"HKEY_LOCAL_MACHINE\\Flag", false, 0, "", ""},                 // one backslash
        {"HKEY_LOCAL_MACHINE", false, 0, "", ""},
        {"HKEY_LOCAL_MACHINE\\\\Flag", false, 0, "", ""},  // no key: never the root's own value
        {"", false, 0, "", ""},
    };
    for (const auto& c : cases) {
        int root = -1;
        std::string key, name;
        ASSERT_EQ(c.ok, SplitValueEntry(c.entry, root, key, name)) << c.entry;
        if (!c.ok) continue;
        EXPECT_EQ(c.root, root) << c.entry;
        EXPECT_EQ(c.key, key) << c.entry;
        EXPECT_EQ(c.name, name) << c.entry;
    }
}

TEST(HistoryRules, KeyEntries)
{
    const struct {
        const char* entry;
        bool ok;
        int root;
        const char* key;
    } cases[] = {
        {"HKEY_LOCAL_MACHINE\\Software\\X", true, kRootLocalMachine, "Software\\X"},
        {"HKEY_CLASSES_ROOT\\.qvx", true, kRootClassesRoot, ".qvx"},
        {"HKEY_CURRENT_CONFIG\\A", true, kRootCurrentConfig, "A"},
        {"HKEY_PERFORMANCE_DATA\\A", true, kRootPerformanceData, "A"},
        {"SOMEWHERE\\Software\\X", true, kRootLocalMachine, "Software\\X"},  // unknown root: HKLM
        {"Software", false, 0, ""},
        {"HKEY_CURRENT_USER\\", false, 0, ""},
    };
    for (const auto& c : cases) {
        int root = -1;
        std::string key;
        ASSERT_EQ(c.ok, SplitKeyEntry(c.entry, root, key)) << c.entry;
        if (!c.ok) continue;
        EXPECT_EQ(c.root, root) << c.entry;
        EXPECT_EQ(c.key, key) << c.entry;
    }
    EXPECT_EQ(-1, HistoryRootIndex("HKEY_LOCAL"));
    EXPECT_STREQ("HKEY_CURRENT_USER", HistoryRootName(kRootCurrentUser));
    EXPECT_EQ(nullptr, HistoryRootName(7));
}

TEST(HistoryRules, InfFilesAndNames)
{
    const struct {
        const char* path;
        bool inf;
    } cases[] = {
        {"C:\\WINDOWS\\INF\\OEM12.INF", true}, {"a.inf", true},   {"x.InF", true},
        {"C:\\a.inf.bak", false},              {"C:\\a.inff", false}, {"C:\\inf", false},
        {"C:\\a.", false},                     {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.inf, IsInfFile(c.path)) << c.path;
    EXPECT_EQ("OEM12.INF", BareFileName("C:\\WINDOWS\\INF\\OEM12.INF"));
    EXPECT_EQ("oem1.inf", BareFileName("oem1.inf"));
    EXPECT_EQ("", BareFileName("C:\\dir\\"));
}

TEST(HistoryRules, OnlyDirectoriesBelowARootAndOutsideTheSystemAreRemovedWhole)
{
    const std::vector<std::string> system = {"C:\\WINDOWS", "C:\\WINDOWS\\system32", "C:\\Program Files\\"};
    const struct {
        const char* path;
        bool removable;
    } cases[] = {
        {"C:\\Program Files\\Q\\Install", true},
        {"C:\\Q", true},
        {"d:\\Q\\", true},
        {"\\\\server\\share\\Q", true},
        {"C:\\WINDOWS\\Temp\\Q", true},
        {"C:\\", false},
        {"C:", false},
        {"C:Q", false},  // relative to the drive's current directory
        {"\\\\server\\share", false},
        {"\\\\server\\share\\", false},
        {"\\Q", false},
        {"Install", false},
        {"", false},
        {"c:\\windows\\", false},
        {"C:\\WINDOWS\\SYSTEM32", false},
        {"C:\\Program Files", false},
        {"C:\\Program", true},  // a name that only begins like a protected one
    };
    for (const auto& c : cases) EXPECT_EQ(c.removable, IsRemovableTree(c.path, system)) << c.path;
    EXPECT_TRUE(IsRemovableTree("C:\\WINDOWS", {}));
}

TEST(HistoryRules, Uninstaller)
{
    EXPECT_EQ("/P\"C:\\Program Files\\Q\\Install\" /I0x1a2b", UninstallerParameters("C:\\Program Files\\Q\\Install", 0x1a2b));
    EXPECT_EQ("/P\"\" /I0x0", UninstallerParameters("", 0));
    EXPECT_EQ("C:\\Temp\\QVDelAll.exe", UninstallerTempCopy("D:\\Data\\QVDelAll.exe", "C:\\Temp"));
    EXPECT_EQ("C:\\WINDOWS\\UnInstEE.exe", UninstallerWindowsCopy("C:\\WINDOWS"));
}

}  // namespace
