#include "app/command_line.h"
#include "app/start_section.h"

#include <gtest/gtest.h>

#include <set>

struct CommandLineCase {
    const char* text;
    int setup_type;
    bool silent;
    const char* destination;  // null: no /A
    long language;            // -1: no /L
    const char* port;         // null: no /P
};

class CommandLineTest : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, Parses)
{
    const auto& c = GetParam();
    CommandLineOptions o = ParseCommandLine(c.text);
    EXPECT_EQ(o.setup_type, c.setup_type);
    EXPECT_EQ(o.silent, c.silent);
    EXPECT_EQ(o.has_destination, c.destination != nullptr);
    if (c.destination) EXPECT_EQ(o.destination, c.destination);
    EXPECT_EQ(o.has_language, c.language >= 0);
    if (c.language >= 0) EXPECT_EQ(o.language_id, (uint32_t)c.language);
    EXPECT_EQ(o.has_port, c.port != nullptr);
    if (c.port) EXPECT_EQ(o.port, c.port);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineTest,
    ::testing::Values(
        CommandLineCase{"", 1, false, nullptr, -1, nullptr},
        CommandLineCase{"/S", 1, true, nullptr, -1, nullptr},
        CommandLineCase{"/u /s", 2, true, nullptr, -1, nullptr},
        CommandLineCase{"-R", 3, false, nullptr, -1, nullptr},
        CommandLineCase{"/D", 6, false, nullptr, -1, nullptr},
        // later tokens override earlier ones; runs of separators count as one
        CommandLineCase{"/U//-R", 3, false, nullptr, -1, nullptr},
        CommandLineCase{"/L0x0412", 1, false, nullptr, 0x412, nullptr},
        CommandLineCase{"/L1042 /L9", 1, false, nullptr, 9, nullptr},
        CommandLineCase{"/A\"C:\\Velmora Files\" /S", 1, true, "C:\\Velmora Files", -1, nullptr},
        // a hyphen cuts the destination; the rest is a token of its own ("Dir": remove all)
        CommandLineCase{"/AC:\\My-Dir", 6, false, "C:\\My", -1, nullptr},
        CommandLineCase{"/P192.168.0.7 /S", 1, true, nullptr, -1, "192.168.0.7"},
        CommandLineCase{"/PLPT1: /x /Q", 1, false, nullptr, -1, "LPT1:"}));

TEST(StartSection, MaintenanceOnlyForInstalledInstallWithoutNetwork)
{
    EXPECT_EQ(AdjustRequestedType(1, true, true, false), 3);
    EXPECT_EQ(AdjustRequestedType(1, true, true, true), 1);
    EXPECT_EQ(AdjustRequestedType(1, true, false, false), 1);
    EXPECT_EQ(AdjustRequestedType(1, false, true, false), 1);
    EXPECT_EQ(AdjustRequestedType(2, true, true, false), 2);
}

struct StartCase {
    int requested;
    bool cdrom;
    std::set<std::string> sections;
    int type;
    const char* section;
};

TEST(StartSection, FallBackOrders)
{
    const std::set<std::string> all = {"INSTALL_START_INFO", "UNINST_START_INFO", "REINST_START_INFO",
                                       "REINST_START_INFO_CD", "REINST_START_INFO_LOCAL", "DELETEALL_START_INFO"};
    const StartCase cases[] = {
        {1, false, all, 1, "INSTALL_START_INFO"},
        {3, true, all, 5, "REINST_START_INFO_CD"},
        {3, false, all, 5, "REINST_START_INFO_LOCAL"},
        {3, false, {"REINST_START_INFO_CD", "UNINST_START_INFO"}, 2, "UNINST_START_INFO"},
        {2, false, all, 2, "UNINST_START_INFO"},
        // uninstall without UNINST_START_INFO starts a reinstall
        {2, false, {"REINST_START_INFO", "INSTALL_START_INFO"}, 3, "REINST_START_INFO"},
        {2, false, {"REINST_START_INFO_LOCAL", "INSTALL_START_INFO"}, 4, "REINST_START_INFO_LOCAL"},
        {2, true, {"REINST_START_INFO_CD", "REINST_START_INFO_LOCAL"}, 5, "REINST_START_INFO_CD"},
        {6, false, all, 6, "DELETEALL_START_INFO"},
        {6, false, {"UNINST_START_INFO"}, 2, "UNINST_START_INFO"},
        {7, false, all, 1, "INSTALL_START_INFO"},
        {1, false, {"UNINST_START_INFO"}, 0, ""},
    };
    for (const auto& c : cases) {
        StartChoice choice = ChooseStartSection(c.requested, c.cdrom, [&](const std::string& base, std::string& found) {
            if (!c.sections.count(base)) return false;
            found = base;
            return true;
        });
        EXPECT_EQ(choice.setup_type, c.type) << c.requested << " " << c.section;
        EXPECT_EQ(choice.section, c.section) << c.requested;
    }
}
