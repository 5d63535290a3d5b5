// The driver search's directory order and the recorded target path.
#include "system/collector_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Dirs = std::vector<std::string>;

TEST(CollectorFolderNames, SectionLinesFirstThenTheOsFolders)
{
    EXPECT_EQ(CollectorFolderNames({"Custom", "", "WINXP"}, 14, false),
              (Dirs{"Custom", "WINXP", "WinXP_2000_VISTA_32", "WinXP_2000_VISTA", "WINXP2K", "WIN2KXP", "WINXP"}));
    EXPECT_EQ(CollectorFolderNames({}, 18, true), (Dirs{"WinXP_VISTA_64", "VISTA_64", "VISTA"}));
    EXPECT_EQ(CollectorFolderNames({}, 0, false), Dirs{});
}

struct OrderCase {
    const char* label;
    const char* root;
    const char* language;  // null: no language at all
    Dirs names;
    Dirs expected;
};

void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.label; }

class CandidateOrderTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(CandidateOrderTest, TriesTheDirectoriesInOrder)
{
    const OrderCase& c = GetParam();
    EXPECT_EQ(CollectorCandidateDirs(c.root, c.language, c.names), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CandidateOrderTest,
    ::testing::Values(
        // XP, 32-bit, Korean, no <OS>_DIR section.
        OrderCase{"korean_xp32", "R", "Korean", CollectorFolderNames({}, 14, false),
                  {"R\\WinXP_2000_VISTA_32", "R\\WinXP_2000_VISTA", "R\\WINXP2K", "R\\WIN2KXP", "R\\WINXP",
                   "R\\Korean", "R\\English",
                   "R\\WinXP_2000_VISTA_32\\Korean", "R\\WinXP_2000_VISTA\\Korean", "R\\WINXP2K\\Korean",
                   "R\\WIN2KXP\\Korean", "R\\WINXP\\Korean",
                   "R\\WinXP_2000_VISTA_32\\English", "R\\WinXP_2000_VISTA\\English", "R\\WINXP2K\\English",
                   "R\\WIN2KXP\\English", "R\\WINXP\\English",
                   "R\\Korean\\WinXP_2000_VISTA_32", "R\\Korean\\WinXP_2000_VISTA", "R\\Korean\\WINXP2K",
                   "R\\Korean\\WIN2KXP", "R\\Korean\\WINXP",
                   "R\\English\\WinXP_2000_VISTA_32", "R\\English\\WinXP_2000_VISTA", "R\\English\\WINXP2K",
                   "R\\English\\WIN2KXP", "R\\English\\WINXP"}},
        // English is the language: its forms come once, as the language's.
        OrderCase{"english", "R", "English", {"A", "B"},
                  {"R\\A", "R\\B", "R\\English", "R\\A\\English", "R\\B\\English", "R\\English\\A", "R\\English\\B"}},
        OrderCase{"english_any_case", "R", "ENGLISH", {"A"}, {"R\\A", "R\\ENGLISH", "R\\A\\ENGLISH", "R\\ENGLISH\\A"}},
        // No language at all: the English forms only.
        OrderCase{"null_language", "R", nullptr, {"A", "B"},
                  {"R\\A", "R\\B", "R\\English", "R\\A\\English", "R\\B\\English", "R\\English\\A", "R\\English\\B"}},
        // An empty language: no language forms.
        OrderCase{"empty_language", "R", "", {"A", "B"}, {"R\\A", "R\\B"}},
        OrderCase{"no_names", "R", "Korean", {}, {"R\\Korean", "R\\English"}},
        OrderCase{"root_trailing_backslash", "C:\\Disc\\", "", {"A"}, {"C:\\Disc\\A"}}));

struct PathCase {
    const char* found;
    const char* installer_dir;
    const char* path;
    const char* directory;
};

TEST(CollectorTargetPath, UpperCasedWithTheInstallerDirectoryReplaced)
{
    const PathCase cases[] = {
        {"C:\\Inst\\Printer\\WINXP\\a.inf", "C:\\Inst", "$SRC_DIR$\\PRINTER\\WINXP\\A.INF", "C:\\Inst\\Printer\\WINXP"},
        // The installer directory's case does not matter.
        {"D:\\Disc\\Printer\\setup.exe", "d:\\disc", "$SRC_DIR$\\PRINTER\\SETUP.EXE", "D:\\Disc\\Printer"},
        // Elsewhere on the system: only upper-cased.
        {"E:\\Drivers\\x.inf", "C:\\Inst", "E:\\DRIVERS\\X.INF", "E:\\Drivers"},
        {"E:\\Drivers\\x.inf", "", "E:\\DRIVERS\\X.INF", "E:\\Drivers"},
        // A double-byte name keeps its trail bytes (0x61 here) as they are.
        {"C:\\Inst\\\xB0\x61\\b.inf", "C:\\Inst", "$SRC_DIR$\\\xB0\x61\\B.INF", "C:\\Inst\\\xB0\x61"},
        {"a.inf", "C:\\Inst", "A.INF", "a.inf"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CollectorTargetPath(c.found, c.installer_dir), c.path) << c.found;
        EXPECT_EQ(CollectorTargetDir(c.found), c.directory) << c.found;
    }
}

}  // namespace
