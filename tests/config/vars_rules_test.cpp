// The pure rules under the installer variables: path resolution, macro expansion, OS
// classification, OS define search and the driver folder table.
#include "config/macros.h"
#include "config/os_class.h"
#include "config/os_define.h"
#include "config/path_rules.h"
#include "tests/support/recording_log.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

TEST(ResolvePathRule, Cases)
{
    const std::string s = "C:\\Disc\\Setup";
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"D:", "D:"},
        {"D:\\x\\y.dll", "D:\\x\\y.dll"},
        {"\\\\server\\share\\a.inf", "\\\\server\\share\\a.inf"},
        {"..\\common\\x.qvi", "C:\\Disc\\common\\x.qvi"},
        {".\\data\\qvinst.qvi", "C:\\Disc\\Setup\\data\\qvinst.qvi"},
        {"data\\qvinst.qvi", "C:\\Disc\\Setup\\data\\qvinst.qvi"},
        {"D:x", "C:\\Disc\\Setup\\D:x"},  // a drive-relative name is no absolute path
        {"x\\$SRC_DIR$\\y", "C:\\Disc\\Setup\\x\\C:\\Disc\\Setup\\y"},
        // A value read unexpanded keeps its macro: it must not land below S twice.
        {"$SRC_DIR$\\setup.ini", "C:\\Disc\\Setup\\setup.ini"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ResolvePathRule(c.text, s), c.expected) << c.text;
}

TEST(ExpandMacros, EveryMacroInOrder)
{
    MacroValues v;
    v.lang_abbr = "SP";
    v.org_lang_abbr = "EN";
    v.src_dir = "C:\\S";
    v.dest_dir = "C:\\D";
    v.dest_inst_dir = "C:\\D\\Install";
    v.win_dir = "C:\\W";
    v.sys_dir = "C:\\W\\system32";
    v.inf_dir = "C:\\W\\Inf";
    v.os_dir = "XP";
    v.program_files_dir = "C:\\PF";
    v.lang_dir = "Spanish";
    v.org_lang_dir = "English";
    v.data_file = "C:\\S\\Setup.dat";
    v.config_file = "C:\\S\\data\\qvinst.qvi";
    v.string_file = "C:\\S\\data\\String\\Lang_SP.str";
    v.version = "1.2";
    v.installer_exe = "Setup.exe";
    v.ip = "10.0.0.7";
    v.string_file_name = "Lang_SP.str";
    v.port = "LPT1:";
    v.lcid = 0x040A;
    v.org_lcid = 0x0C0A;
    v.installed = true;

    EXPECT_EQ(ExpandMacros("$LANG_ABBR$$ORG_LANG_ABBR$", v), "SPEN");
    EXPECT_EQ(ExpandMacros("$lang_abbr$ $Lang_Abbr$", v), "$lang_abbr$ $Lang_Abbr$");
    EXPECT_EQ(ExpandMacros("$SRC_DIR$|$DEST_DIR$|$DEST_INST_DIR$|$WIN_DIR$|$SYS_DIR$|$INF_DIR$|$OS_DIR$|"
                           "$PROGRAM_FILES_DIR$|$LANG_DIR$|$ORG_LANG_DIR$",
                           v),
              "C:\\S|C:\\D|C:\\D\\Install|C:\\W|C:\\W\\system32|C:\\W\\Inf|XP|C:\\PF|Spanish|English");
    EXPECT_EQ(ExpandMacros("$DATA_FILE$|$CONFIG_FILE$|$STRING_FILE$|$VERSION$|$INSTALLER_EXE$|$IP$|"
                           "$STRING_FILE_NAME$|$PORT$",
                           v),
              "C:\\S\\Setup.dat|C:\\S\\data\\qvinst.qvi|C:\\S\\data\\String\\Lang_SP.str|1.2|Setup.exe|10.0.0.7|"
              "Lang_SP.str|LPT1:");
    EXPECT_EQ(ExpandMacros("$LCID$ $ORG_LCID$ $BOOL_INSTALLED$ $BOOL_!INSTALLED$", v), "040A 0C0A 1 0");
    v.installed = false;
    EXPECT_EQ(ExpandMacros("$BOOL_INSTALLED$$BOOL_!INSTALLED$", v), "01");

    // A replacement is scanned by the later macros only.
    v.version = "$DEST_DIR$+$PORT$";
    EXPECT_EQ(ExpandMacros("$VERSION$", v), "$DEST_DIR$+LPT1:");
    v.port = "$PORT$";
    EXPECT_EQ(ExpandMacros("$PORT$", v), "$PORT$");
}

OsVersionInfo Nt(uint32_t major, uint32_t minor, uint8_t type = kNtWorkstation, bool is64 = false)
{
    OsVersionInfo v;
    v.ok_ex = true;
    v.platform_id = kPlatformNt;
    v.major = major;
    v.minor = minor;
    v.product_type = type;
    v.is64 = is64;
    return v;
}

OsVersionInfo Win9x(uint32_t minor, const char* csd = "", const char* version_number = "")
{
    OsVersionInfo v;
    v.ok_basic = true;
    v.platform_id = kPlatformWindows;
    v.major = 4;
    v.minor = minor;
    v.csd = csd;
    v.version_number = version_number;
    return v;
}

TEST(ClassifyOs, Table)
{
    OsVersionInfo basic_vista = Nt(6, 0);
    basic_vista.ok_ex = false;
    basic_vista.ok_basic = true;  // product type unknown: counted as 0
    OsVersionInfo win32s;
    win32s.ok_basic = true;
    struct Case {
        const char* name;
        OsVersionInfo v;
        int os_class, family;
    } cases[] = {
        {"win32s", win32s, 2, 2},
        {"95", Win9x(0), 3, 10},
        {"95 osr2", Win9x(0, "b"), 4, 10},
        {"95 osr2 C", Win9x(0, "C"), 4, 10},
        {"95 ' B' is not compared trimmed", Win9x(0, " B"), 3, 10},
        {"98", Win9x(10), 6, 10},
        {"98 se", Win9x(10, "A"), 7, 10},
        {"me", Win9x(90), 9, 10},
        {"other 9x", Win9x(3), 10, 10},
        {"nt 3.51", Nt(3, 51), 11, 15},
        {"nt 4", Nt(4, 0), 12, 15},
        {"2000", Nt(5, 0), 13, 17},
        {"xp", Nt(5, 1), 14, 17},
        {"server 2003", Nt(5, 2, kNtServer), 16, 17},
        {"5.2 workstation, 32-bit", Nt(5, 2), 16, 17},
        {"xp 64-bit", Nt(5, 2, kNtWorkstation, true), 14, 17},
        {"server 2003 64-bit", Nt(5, 2, kNtServer, true), 16, 17},
        {"vista", Nt(6, 0), 18, 17},
        {"windows 7", Nt(6, 1), 18, 17},
        {"server 2008", Nt(6, 0, kNtDomainController), 19, 17},
        {"vista, basic structure", basic_vista, 19, 17},
        {"later nt", Nt(10, 0), 13, 17},
    };
    for (const auto& c : cases) {
        OsClassification out;
        ASSERT_TRUE(ClassifyOs(c.v, out)) << c.name;
        EXPECT_EQ(out.os_class, c.os_class) << c.name;
        EXPECT_EQ(out.family, c.family) << c.name;
    }
    OsClassification out;
    EXPECT_FALSE(ClassifyOs(OsVersionInfo(), out));
}

class DetectOsTest : public ::testing::Test {
protected:
    std::map<std::string, std::string> defines;
    std::vector<std::string> asked;
    CRecordingLog log;
    std::string define = "stale";

    bool Detect(const OsVersionInfo& v)
    {
        OsDefineLookup lookup = [this](const std::string& key, std::string& value) {
            asked.push_back(key);
            auto it = defines.find(key);
            if (it == defines.end()) return false;
            value = it->second;
            return true;
        };
        return DetectOsDefine(v, lookup, log, define);
    }
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> out;
        for (const auto& l : log.lines) out.push_back(l.text);
        return out;
    }
};

TEST_F(DetectOsTest, Windows7FindsVistaByTheDownwardSearch)
{
    defines = {{"0X00020501", "WINXP"}, {"0X00020600", "VISTA"}};
    ASSERT_TRUE(Detect(Nt(6, 1)));
    EXPECT_EQ(define, "VISTA");
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "OS Define not found, so installer finds Lastest Version OS Define",
                           "OS Major Version [0x0006] , minor version [0x0001], 64bit [0]",
                           "Find Define ==> (0X00020601.PRO)",
                           "Find Define ==> (0X00020601)",
                           "Find Define ==> (0X00020600.PRO)",
                           "Find Define ==> (0X00020600)",
                           "OS String was found ==> [VISTA]",
                       }));
}

TEST_F(DetectOsTest, XpWorkstationIsFoundDirectly)
{
    defines = {{"0X00020501", "WINXP"}};
    ASSERT_TRUE(Detect(Nt(5, 1)));
    EXPECT_EQ(define, "WINXP");
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(asked, (std::vector<std::string>{"0X00020501"}));

    // A .PRO definition alone is reached only in the first pass of the downward search.
    defines = {{"0X00020501.PRO", "XPPRO"}};
    asked.clear();
    ASSERT_TRUE(Detect(Nt(5, 1)));
    EXPECT_EQ(define, "XPPRO");
    EXPECT_EQ(asked, (std::vector<std::string>{"0X00020501", "0X00020501.PRO"}));
}

TEST_F(DetectOsTest, SixtyFourBitXpTriesSuffixesFirst)
{
    defines = {{"0X00020502", "XP64"}};
    ASSERT_TRUE(Detect(Nt(5, 2, kNtWorkstation, true)));
    EXPECT_EQ(define, "XP64");
    EXPECT_EQ(asked, (std::vector<std::string>{"0X00020502.64", "0X00020502.64.PRO", "0X00020502"}));

    // In the downward search every key carries .64; a domain controller tries .DOM then .SER.
    defines = {{"0X00020500.64", "W2K64"}};
    asked.clear();
    ASSERT_TRUE(Detect(Nt(5, 1, kNtDomainController, true)));
    EXPECT_EQ(define, "W2K64");
    EXPECT_EQ(asked, (std::vector<std::string>{"0X00020501.64", "0X00020501.64.DOM", "0X00020501.64.SER",
                                               "0X00020501", "0X00020501.64.DOM", "0X00020501.64.SER",
                                               "0X00020501.64", "0X00020500.64.DOM", "0X00020500.64.SER",
                                               "0X00020500.64"}));
}

TEST_F(DetectOsTest, LaterPassesStartAtMinorFive)
{
    defines = {{"0X00020400", "NT4"}};
    OsVersionInfo v = Nt(6, 1);
    v.ok_ex = false;  // product type unknown: no suffix tries
    v.ok_basic = true;
    ASSERT_TRUE(Detect(v));
    EXPECT_EQ(define, "NT4");
    std::vector<std::string> expected = {"0X00020601", "0X00020601", "0X00020600"};
    for (int major = 5; major >= 4; --major)
        for (int minor = 5; minor >= 0; --minor)
            expected.push_back(OsPlatformKey(2, major, minor));
    EXPECT_EQ(asked, expected);
}

TEST_F(DetectOsTest, WindowsMeAndTheNinetyFiveLine)
{
    defines = {{"0X0001045A", "WINME"}, {"0X00010400", "WIN95"}};
    ASSERT_TRUE(Detect(Win9x(10, "", "4.90.3000")));
    EXPECT_EQ(define, "WINME");
    EXPECT_EQ(asked, (std::vector<std::string>{"0X0001045A"}));

    // 9x has no downward search: 98 without a definition fails.
    ASSERT_FALSE(Detect(Win9x(10, "", "4.10.2222")));
    EXPECT_EQ(define, "");
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(DetectOsTest, FailuresLeaveTheDefineEmpty)
{
    OsVersionInfo unreadable;
    unreadable.error = 87;
    ASSERT_FALSE(Detect(unreadable));
    EXPECT_EQ(define, "");
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].text, "Get OS Version fail");
    EXPECT_EQ(log.lines[0].code, 87u);

    log.lines.clear();
    ASSERT_FALSE(Detect(Nt(5, 1)));
    EXPECT_EQ(define, "");
    EXPECT_EQ(log.lines.size(), 2u + 2u * 2 + 6u * 2);  // header lines, then 5.1..5.0 and 4.5..4.0, each .PRO and plain
}

TEST(OsFolderNames, Table)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(OsFolderNames(3, false), (V{"WIN98ME", "WIN9X", "WIN95"}));
    EXPECT_EQ(OsFolderNames(7, false), (V{"WIN98ME", "WIN9X", "WIN98"}));
    EXPECT_EQ(OsFolderNames(9, false), (V{"WIN98ME", "WIN9X", "WINME"}));
    EXPECT_EQ(OsFolderNames(12, false), (V{"WINNT", "WINNT40"}));
    EXPECT_EQ(OsFolderNames(13, false), (V{"WinXP_2000_VISTA_32", "WinXP_2000_VISTA", "WINXP2K", "WIN2KXP", "WIN2000"}));
    EXPECT_EQ(OsFolderNames(16, false), (V{"WinXP_2000_VISTA_32", "WinXP_2000_VISTA", "WINXP2K", "WIN2KXP", "WINXP"}));
    EXPECT_EQ(OsFolderNames(14, true), (V{"WinXP_VISTA_64", "WINXP_64", "WinXP_VISTA", "WINXP"}));
    EXPECT_EQ(OsFolderNames(18, false), (V{"VISTA", "WinXP_2000_VISTA_32", "WinXP_2000_VISTA"}));
    EXPECT_EQ(OsFolderNames(19, true), (V{"WinXP_VISTA_64", "VISTA_64", "VISTA"}));
    // On 64-bit Windows only the 64-bit lists count.
    EXPECT_TRUE(OsFolderNames(13, true).empty());
    EXPECT_TRUE(OsFolderNames(6, true).empty());
    EXPECT_TRUE(OsFolderNames(11, false).empty());
    EXPECT_TRUE(OsFolderNames(10, false).empty());
}

}  // namespace
