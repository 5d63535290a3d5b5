// Installer variables over a fake machine and a small disc: the start-up sequence and its
// log, destination, port, language selection, macros, paths and the device check.
#include "config/installer_vars.h"

#include "tests/config/fake_vars_platform.h"
#include "tests/config/vars_scratch.h"
#include "tests/support/recording_log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* kInstalled = "Software\\Velmora\\LX Installer\\Installed";
constexpr const char* kInstalling = "Software\\Velmora\\LX Installer\\Installing";
constexpr const char* kDefaultDest = "C:\\Program Files\\Velmora\\LX Installer";

std::string BaseDataFile()
{
    std::ifstream in(std::string(QV_SOURCE_DIR) + "/tests/data/vars/disc/Setup.dat", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Without(std::string text, const std::string& line)
{
    size_t p = text.find(line);
    if (p != std::string::npos) text.erase(p, line.size());
    return text;
}

struct FakeLibs : IComponentLibsHost {
    int count = 0;
    std::vector<std::string> ports;
    std::string section, utility;
    bool Load(const ComponentLibRequest& request, ILogSink&) override
    {
        section = request.platform_section;
        std::string value;
        if (request.read(section, "UTILITY_DLL", value)) utility = request.resolve(value);
        return false;  // a library that does not load does not end start-up
    }
    int GetDevicePort(const std::string&, const std::string&, const std::string&, std::vector<std::string>& out) override
    {
        out = ports;
        return count;
    }
};

struct FakeHooks : ILanguageHooks {
    int reloads = 0, interactive = 0;
    bool right_align = false;
    void ReloadNetworkTexts() override { ++reloads; }
    void ApplyInteractiveLanguageChange(bool rtl) override
    {
        ++interactive;
        right_align = rtl;
    }
};

class VarsTest : public ::testing::Test {
protected:
    VarsScratch scratch;
    FakeVarsPlatform platform;
    CRecordingLog log;
    FakeLibs libs;
    FakeHooks hooks;
    std::unique_ptr<CInstallerVars> vars;
    std::string S;  // the disc's source directory

    void SetUp() override
    {
        scratch.CopyFixture("disc");
        S = scratch.DiscDir();
        platform.program_path = S + "\\Setup.exe";
        platform.SetString(RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                           "C:\\Program Files");
        platform.dirs = {"c:\\program files", "c:\\program files\\common files"};
    }

    bool Start(const std::string* data_file = nullptr)
    {
        if (data_file) scratch.DiscFile("Setup.dat", *data_file);
        vars = std::make_unique<CInstallerVars>(platform, log);
        vars->SetComponentLibs(&libs);
        vars->SetLanguageHooks(&hooks);
        return vars->Initialize();
    }
    bool StartWith(const std::string& extra)
    {
        const std::string text = BaseDataFile() + "\n" + extra;
        return Start(&text);
    }

    // The lines appear in this order (others may lie between).
    void ExpectInOrder(const std::vector<std::string>& expected)
    {
        size_t at = 0;
        for (const auto& want : expected) {
            while (at < log.lines.size() && log.lines[at].text != want) ++at;
            ASSERT_LT(at, log.lines.size()) << "missing or out of order: [" << want << "]\nlog:\n" << log.All();
            ++at;
        }
    }
};

TEST_F(VarsTest, InitializeRunsItsStepsInOrder)
{
    ASSERT_TRUE(Start());
    EXPECT_EQ(platform.current_dir, S);
    EXPECT_EQ(vars->InstallerFileName(), "Setup.exe");
    EXPECT_EQ(vars->Version(), "2.1.0");
    ExpectInOrder({
        "USB ONLY Option is OFF",
        "INSTALL DEVICE Option is OFF",  // OPTION.WINXP applies from the first read on
        "Community Name size = 14",
        "Set Language : Language ID\t\t= 0X0409",
        "Set Language : Language Abbr\t\t= EN",
        "Set Language : System Language ID\t= 0X0409",
        "Set Language : System Language Abbr = EN",
        "Set Language : Language Dir\t\t= English",
        "Set Language : Org Language ID\t\t= 0X0409",
        "Set Language : Org Language Abbr\t\t= EN",
        "Set Language : Org Language Dir\t\t= English",
        "Set Language : String file\t\t= Lang_EN.str",
        "Set Language : Configure file\t\t= " + S + "\\data\\qvinst.qvi",
        "USB ONLY Option is OFF",
        "Community Name size = 14",
        "OS Define String = WINXP",
        "OS Directory = XP",
        " m_cstrDataFile file name is [" + S + "\\Setup.dat]\n",
        " Configure file Name is [" + S + "\\data\\qvinst.qvi] \n",
        " String file Name is [" + S + "\\data\\String\\Lang_EN.str] \n",
        " Source Directroy = " + S + "\n",
        " Destination Directroy = " + std::string(kDefaultDest) + "\n",
        " Inf Directroy = C:\\WINDOWS\\Inf\n",
        " Language Abbreviation = EN\n",
        " Original Language Abbreviation = EN\n",
        " Language directory = English\n",
        " Original Language directory = English\n",
        " OS Directroy = XP\n",
        " OS String = WINXP\n",
        " System Directroy = C:\\WINDOWS\\system32\n",
        " Windows Directroy = C:\\WINDOWS\n",
        " Language ID = 0x0409\n",
        " Program files directory = C:\\Program Files\n",
        " Current Installing registry root key = " + std::string(kInstalling) + "\n",
        " Current Installed registry root key = " + std::string(kInstalled) + "\n",
        " Temporary directory = C:\\TEMP\n",
    });
    EXPECT_EQ(vars->RegistryRoots().installing_history, std::string(kInstalling) + "\\InstHistory");
    EXPECT_EQ(vars->RegistryRoots().uninstall_info, "Software\\Velmora\\LX Installer\\UninstallInfo");
    EXPECT_EQ(vars->Settings().install_dir, std::string(kDefaultDest) + "\\Install");
    EXPECT_TRUE(platform.HasDir(kDefaultDest));
    EXPECT_EQ(vars->Settings().port, "LPT1:");
    EXPECT_EQ(vars->Settings().vidpid, "VID_1F3A&PID_0200");
    ASSERT_TRUE(platform.Dword(RegRoot::LocalMachine, kInstalling, "LangCode"));
    EXPECT_EQ(*platform.Dword(RegRoot::LocalMachine, kInstalling, "LangCode"), 0x0409u);
    EXPECT_EQ(*platform.String(RegRoot::LocalMachine, kInstalling, "STR_FILE"), S + "\\data\\String\\Lang_EN.str");
    EXPECT_EQ(platform.wait_cursor_depth, 0);
    EXPECT_EQ(hooks.reloads, 1);
    EXPECT_EQ(hooks.interactive, 0);

    // The profiles are wired: message substitution from the string file, macros expanded.
    std::string title;
    ASSERT_TRUE(vars->ConfigProfile().Read("DLG_COMMON", "TITLE", title));
    EXPECT_EQ(title, "Velmora setup");
    // The libraries get the data profile and the resolver.
    EXPECT_EQ(libs.section, "INSTALLER_FILE_INFO");
    EXPECT_EQ(libs.utility, S + "\\data\\Qvutil.dll");
}

TEST_F(VarsTest, MissingProductValuesEndStartUpUnlessMainOnly)
{
    const std::string no_mfg = Without(BaseDataFile(), "MFG = Velmora\n");
    ASSERT_FALSE(Start(&no_mfg));
    EXPECT_TRUE(log.Contains("Initialize Model Variable fail!!"));
    EXPECT_FALSE(log.ContainsPart("Set Language"));

    log.lines.clear();
    const std::string main_only = no_mfg + "\n[OPTION]\nMAIN_ONLY = 1\n";
    ASSERT_TRUE(Start(&main_only));
    EXPECT_TRUE(log.Contains("Initialize Model Variable fail!!"));
    EXPECT_EQ(vars->RegistryRoots().installing, "Software\\\\LX Installer\\Installing");
}

TEST_F(VarsTest, MissingFilesEndStartUp)
{
    platform.program_path = S + "\\Other.exe";  // no Other.dat
    ASSERT_FALSE(Start());
    EXPECT_TRUE(log.Contains("Initialize Profiles fail!!"));

    log.lines.clear();
    platform.program_path = S + "\\Setup.exe";
    const std::string bad_command = Without(BaseDataFile(), "COMMAND_FILE = data\\qvinst.cmd\n") +
                                    "\n[INSTALLER_FILE_INFO]\nCOMMAND_FILE = data\\none.cmd\n";
    ASSERT_FALSE(Start(&bad_command));
    EXPECT_TRUE(log.Contains("(" + S + "\\data\\none.cmd) file does not exist."));
    EXPECT_TRUE(log.Contains("Initialize Profiles fail!!"));
}

TEST_F(VarsTest, VersionFallsBackToAutorun)
{
    platform.private_profile[FakeVarsPlatform::Lower(S + "\\Autorun.inf|INFOMATION|VERSION")] = "9.9";
    const std::string text = Without(BaseDataFile(), "VERSION = 2.1.0\n");
    ASSERT_TRUE(Start(&text));
    EXPECT_EQ(vars->Version(), "9.9");
    EXPECT_EQ(vars->ExpandMacros("v$VERSION$"), "v9.9");
}

TEST_F(VarsTest, DestinationOrder)
{
    // Installed key first, then DESTINATION_DIR (expanded), then program files\MFG\name.
    platform.SetString(RegRoot::LocalMachine, kInstalled, "Dest_Dir", "D:\\Earlier\\");
    ASSERT_TRUE(StartWith("[PROGRAM_INFO]\nDESTINATION_DIR = $PROGRAM_FILES_DIR$\\Custom\\\n"));
    EXPECT_EQ(vars->Settings().dest_dir, "D:\\Earlier");
    EXPECT_EQ(vars->Settings().org_dest_dir, "D:\\Earlier");

    platform.SetString(RegRoot::LocalMachine, kInstalled, "Dest_Dir", "");
    ASSERT_TRUE(StartWith("[PROGRAM_INFO]\nDESTINATION_DIR = $PROGRAM_FILES_DIR$\\Custom\\\n"));
    EXPECT_EQ(vars->Settings().dest_dir, "C:\\Program Files\\Custom");
    EXPECT_EQ(vars->ExpandMacros("$DEST_INST_DIR$"), "C:\\Program Files\\Custom\\Install");

    ASSERT_TRUE(StartWith(""));
    EXPECT_EQ(vars->Settings().dest_dir, kDefaultDest);
}

TEST_F(VarsTest, PortChoice)
{
    struct Case {
        const char* extra;
        std::vector<std::string> ports;
        const char* expected;
    } cases[] = {
        {"[PROGRAM_INFO]\nDEFAULT_PORT = com1:\n", {"COM1:", "LPT1:", "FILE:"}, "com1:"},
        {"[PROGRAM_INFO]\nDEFAULT_PORT = USB001\n", {"COM1:", "LPT1:", "FILE:"}, "LPT1:"},
        {"[OPTION]\nUSB_ONLY = 1\n", {"COM1:", "LPT1:", "FILE:"}, "FILE:"},
        {"", {"COM1:", "FILE:"}, "FILE:"},
        {"", {"COM1:", "lpt1:"}, "LPT1:"},
    };
    for (const auto& c : cases) {
        platform.ports = c.ports;
        ASSERT_TRUE(StartWith(c.extra));
        EXPECT_EQ(vars->Settings().port, c.expected) << c.extra;
    }

    log.lines.clear();
    vars->SetPort("");
    vars->SetPort("IP_10.0.0.5");
    vars->SetIP("10.0.0.5");
    vars->SetPrinterInstalled(false);
    vars->SetPrinterInstalled(true);
    EXPECT_EQ(vars->ExpandMacros("$PORT$ $IP$"), "IP_10.0.0.5 10.0.0.5");
    std::vector<std::string> lines;
    for (const auto& l : log.lines) lines.push_back(l.text);
    EXPECT_EQ(lines, (std::vector<std::string>{"Set Port : LPT1:", "Set Port : IP_10.0.0.5", "Set IP : 10.0.0.5",
                                               "Printer was installed"}));
}

TEST_F(VarsTest, SetDestinationMovesAndReturns)
{
    ASSERT_TRUE(Start());
    log.lines.clear();

    ASSERT_TRUE(vars->SetDestination("D:\\Mine\\Sub\\"));
    EXPECT_TRUE(log.Contains("Set Destination ==> D:\\Mine\\Sub\\"));
    EXPECT_EQ(vars->Settings().dest_dir, "D:\\Mine\\Sub");
    EXPECT_EQ(vars->Settings().install_dir, "D:\\Mine\\Sub\\Install");
    EXPECT_EQ(*platform.String(RegRoot::LocalMachine, kInstalling, "Dest_Dir"), "D:\\Mine\\Sub");
    EXPECT_TRUE(platform.HasDir("D:\\Mine\\Sub"));
    // The abandoned directory and its empty parents are gone; the shared parent stays.
    EXPECT_FALSE(platform.HasDir(kDefaultDest));
    EXPECT_FALSE(platform.HasDir("C:\\Program Files\\Velmora"));
    EXPECT_TRUE(platform.HasDir("C:\\Program Files"));

    log.lines.clear();
    ASSERT_TRUE(vars->SetDestination(""));
    EXPECT_EQ(log.lines.at(0).text, "Reset Destination Directory [" + std::string(kDefaultDest) + "]");
    EXPECT_EQ(log.lines.at(1).text, "Set Destination ==> " + std::string(kDefaultDest));
    EXPECT_FALSE(platform.HasDir("D:\\Mine"));
    EXPECT_TRUE(platform.HasDir(kDefaultDest));
    EXPECT_EQ(vars->Settings().dest_dir, kDefaultDest);

    // The same directory, in other case or with a backslash: nothing to do.
    log.lines.clear();
    const size_t removed = platform.removed.size();
    ASSERT_TRUE(vars->SetDestination("c:\\program files\\velmora\\lx installer\\"));
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(platform.removed.size(), removed);
}

TEST_F(VarsTest, LanguageMappingAndValidation)
{
    struct Case {
        const char* name;
        uint16_t system_id;
        const char* extra;
        uint16_t current, org;
        const char* abbr;
        const char* org_abbr;
        const char* string_file;
        const char* config_file;
    } cases[] = {
        {"mapped Spanish", 0x0C0A, "", 0x040A, 9, "SP", "EN", "Lang_SP.str", "qvinst_sp.qvi"},
        {"listed itself", 0x0C0A, "[PROGRAM_LANG_INFO]\n0x0C0A = Spanish (modern)\n", 0x040A, 0x0C0A, "SP", "SP",
         "Lang_SP.str", "qvinst_sp.qvi"},
        // Listed by its primary id only; there is no Korean string file: the language-9 one.
        {"Korean by primary id", 0x0412, "", 0x0012, 0x0012, "KR", "KR", "Lang_EN.str", "qvinst.qvi"},
        {"unsupported", 0x0407, "", 9, 9, "EN", "EN", "Lang_EN.str", "qvinst.qvi"},
        {"abbreviation from the data file", 0x0409, "[LANGUAGE_ABBR]\n0X0009 = SP\n", 0x0409, 0x0409, "SP", "SP",
         "Lang_SP.str", "qvinst_sp.qvi"},
    };
    for (const auto& c : cases) {
        platform.lang_id = c.system_id;
        log.lines.clear();
        ASSERT_TRUE(StartWith(c.extra)) << c.name;
        const CLanguageInfo& lang = vars->Language();
        EXPECT_EQ(lang.current_id, c.current) << c.name;
        EXPECT_EQ(lang.org_id, c.org) << c.name;
        EXPECT_EQ(lang.current_abbr, c.abbr) << c.name;
        EXPECT_EQ(lang.org_abbr, c.org_abbr) << c.name;
        EXPECT_EQ(vars->Profiles().StringFileName(), c.string_file) << c.name;
        EXPECT_EQ(vars->Profiles().ConfigFile(), S + "\\data\\" + c.config_file) << c.name;
        EXPECT_EQ(vars->ExpandMacros("$LANG_ABBR$$ORG_LANG_ABBR$"), std::string(c.abbr) + c.org_abbr) << c.name;
    }
}

TEST_F(VarsTest, InstalledLanguageWinsAtStartUp)
{
    platform.reg_dwords[FakeVarsPlatform::RegName(RegRoot::LocalMachine, kInstalled, "LangCode")] = 0x040A;
    ASSERT_TRUE(Start());
    EXPECT_EQ(vars->Language().org_id, 0x040A);
    EXPECT_EQ(vars->Language().lang_dir, "Spanish");
    EXPECT_EQ(vars->ExpandMacros("$LCID$/$ORG_LCID$"), "040A/040A");
    std::string title;
    ASSERT_TRUE(vars->ConfigProfile().Read("DLG_COMMON", "TITLE", title));
    EXPECT_EQ(title, "Spanish pages");
    EXPECT_EQ(*platform.String(RegRoot::LocalMachine, kInstalling, "LangAbbr"), "SP");
}

TEST_F(VarsTest, InteractiveLanguageChange)
{
    ASSERT_TRUE(StartWith("[OPTION]\nRIGHT_ALIGN = 1\n"));
    log.lines.clear();

    // The language already in use: nothing happens but the cursor.
    ASSERT_TRUE(vars->SelectLanguage(0x0409, true));
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(hooks.interactive, 0);
    EXPECT_EQ(platform.wait_cursor_depth, 0);

    ASSERT_TRUE(vars->SelectLanguage(0x040A, true));
    EXPECT_TRUE(log.Contains("Set Language : Language Abbr\t\t= SP"));
    EXPECT_TRUE(log.Contains("Set Language : String file\t\t= Lang_SP.str"));
    EXPECT_EQ(hooks.interactive, 1);
    EXPECT_TRUE(hooks.right_align);
    EXPECT_EQ(hooks.reloads, 2);
    EXPECT_EQ(platform.wait_cursor_depth, 0);
    EXPECT_EQ(*platform.String(RegRoot::LocalMachine, kInstalling, "STR_FILE"), S + "\\data\\String\\Lang_SP.str");
    std::string title;
    ASSERT_TRUE(vars->StringProfile().Read("MESSAGES", "TITLE", title));
    EXPECT_EQ(title, "Instalacion de Velmora");
}

TEST_F(VarsTest, MacrosAndPaths)
{
    ASSERT_TRUE(Start());
    EXPECT_EQ(vars->ExpandMacros("$SRC_DIR$|$WIN_DIR$|$SYS_DIR$|$INF_DIR$|$OS_DIR$|$INSTALLER_EXE$|$STRING_FILE_NAME$"),
              S + "|C:\\WINDOWS|C:\\WINDOWS\\system32|C:\\WINDOWS\\Inf|XP|Setup.exe|Lang_EN.str");
    EXPECT_EQ(vars->ExpandMacros("$DATA_FILE$"), S + "\\Setup.dat");
    EXPECT_EQ(vars->ExpandMacros("$LANG_ABBR$ $LANG_DIR$ $LCID$", 0x0412, "KR", "Korean"), "KR Korean 0412");
    EXPECT_EQ(vars->ExpandMacros("$BOOL_INSTALLED$"), "0");
    vars->SetInstalled(true);
    EXPECT_EQ(vars->ExpandMacros("$BOOL_INSTALLED$$BOOL_!INSTALLED$"), "10");

    log.lines.clear();
    EXPECT_EQ(vars->ResolvePath(".\\data\\qvinst.cmd", true), S + "\\data\\qvinst.cmd");
    EXPECT_EQ(vars->ResolvePath("data\\missing.dll", false), S + "\\data\\missing.dll");
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(vars->ResolvePath("data\\missing.dll", true), "");
    EXPECT_TRUE(log.Contains("(" + S + "\\data\\missing.dll) file does not exist."));
    // No Config.ini on the disc: the setting file stays empty, start-up went on.
    EXPECT_EQ(vars->Profiles().SettingFile(), "");
}

TEST_F(VarsTest, DeviceConnected)
{
    ASSERT_TRUE(Start());
    struct Case {
        int count;
        std::vector<std::string> ports;
        bool require_lpt, expected;
    } cases[] = {
        {0, {}, false, false},
        {-1, {}, false, false},
        {300, {"USB001"}, false, false},
        {1, {"USB001"}, true, false},
        {2, {"USB001", "lpt1:"}, true, true},
        {1, {"USB001"}, false, true},
    };
    for (const auto& c : cases) {
        libs.count = c.count;
        libs.ports = c.ports;
        EXPECT_EQ(vars->IsDeviceConnected(c.require_lpt), c.expected) << c.count << " lpt " << c.require_lpt;
    }
    EXPECT_TRUE(vars->Settings().device_connected);
}

TEST_F(VarsTest, DirectoriesOfTheMachine)
{
    // A terminal server names the shared Windows directory in the registry...
    platform.version.product_type = kNtServer;
    platform.version.suite_mask = kSuiteTerminal;
    platform.version.minor = 2;
    platform.SetString(RegRoot::LocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", "D:\\WTS");
    platform.windows_dir = "C:\\Users\\me\\WINDOWS";
    platform.temp_path = "C:\\Users\\me\\Temp\\";
    platform.wow64 = true;
    CInstallerVars a(platform, log);
    EXPECT_EQ(a.Dirs().windows_dir, "D:\\WTS");
    EXPECT_EQ(a.Dirs().inf_dir, "D:\\WTS\\Inf");
    EXPECT_EQ(a.Dirs().temp_dir, "C:\\Users\\me\\Temp");
    EXPECT_TRUE(a.Dirs().is64);
    EXPECT_EQ(a.OsClass(), kOsServer2003);

    // ...or, without it, the parent of the system directory.
    platform.reg_strings.clear();
    CInstallerVars b(platform, log);
    EXPECT_EQ(b.Dirs().windows_dir, "C:\\WINDOWS");
    EXPECT_EQ(b.Dirs().program_files_dir, "");

    platform.version.suite_mask = 0;
    CInstallerVars c(platform, log);
    EXPECT_EQ(c.Dirs().windows_dir, "C:\\Users\\me\\WINDOWS");
    EXPECT_TRUE(log.lines.empty());  // construction logs nothing
}

TEST_F(VarsTest, FailedOsDetectionLeavesOsValuesEmpty)
{
    platform.version.major = 6;  // Vista is defined, but the server line is not
    platform.version.minor = 0;
    platform.version.product_type = kNtServer;
    const std::string text = Without(BaseDataFile(), "0X00020600 = VISTA\n");
    ASSERT_TRUE(Start(&text));
    EXPECT_EQ(vars->Settings().os_define, "WINXP");  // the downward search finds 5.1
    EXPECT_TRUE(log.Contains("Find Define ==> (0X00020600.SER)"));

    log.lines.clear();
    platform.version.major = 4;
    ASSERT_TRUE(Start(&text));
    EXPECT_EQ(vars->Settings().os_define, "");
    EXPECT_EQ(vars->Settings().os_dir, "");
    EXPECT_FALSE(log.ContainsPart("OS Define String"));
    EXPECT_TRUE(log.Contains(" OS String = \n"));
}

}  // namespace
