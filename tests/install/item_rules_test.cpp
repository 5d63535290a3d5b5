// The item's pure rules: install-type keywords, parameter lines, model-name substitution,
// destination paths, parameter rewriting, share names, OS lists and names, item types.
#include "install/item_rules.h"

#include "config/setup_profile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ItemRules, InstallTypeKeywords)
{
    struct Case {
        const char* keyword;
        int type;
        bool device_check;
    } cases[] = {
        {"NO", kInstallNo, false},        {"all", kInstallAll, false},      {"GrayChk", kInstallGrayChecked, false},
        {"CHK", kInstallChecked, false},  {"unchk", kInstallUnchecked, false}, {"devchk", kInstallUnchecked, true},
        {"DEVCHK", kInstallUnchecked, true}, {"", kInstallNo, false},      {"MAYBE", kInstallNo, false},
        {"CHECKED", kInstallNo, false},
    };
    for (const auto& c : cases) {
        bool device_check = !c.device_check;
        EXPECT_EQ(InstallTypeOfKeyword(c.keyword, &device_check), c.type) << c.keyword;
        EXPECT_EQ(device_check, c.device_check) << c.keyword;
    }
    EXPECT_EQ(InstallTypeOfKeyword("chk"), kInstallChecked);  // no flag wanted

    EXPECT_EQ(InstallTypeOfDeviceCheck(1), kInstallChecked);
    EXPECT_EQ(InstallTypeOfDeviceCheck(2), kInstallNo);
    EXPECT_EQ(InstallTypeOfDeviceCheck(0), kInstallUnchecked);
    EXPECT_EQ(InstallTypeOfDeviceCheck(-1), kInstallUnchecked);
}

TEST(ItemRules, ParameterLinesJoinInOrder)
{
    const std::vector<std::string> lines = {
        "DISPLAY_NAME = Printer Driver",
        "INST_PARAM = /A",
        "UNINST_PARAM = \t/U 1\t",
        "INST_PARAM = /B",
        "inst_param = /C",      // keys compare upper-cased
        " REINST_PARAM  = /R",  // blanks around the key
        "INST_PARAM",           // no equals sign
        "INST_PARAM =",         // no value
        "INST_PARAM =    ",     // blank value
        "X_PARAM=/ab",          // shorter than 12 characters
        "INST_PARAM=x",         // exactly 12: counts
        "INST_PARAMS = /Z",     // another key
    };
    const ItemParameters p = ParseItemParameters(lines);
    EXPECT_EQ(p.install, "/A /B /C x");
    EXPECT_EQ(p.uninstall, "/U 1");
    EXPECT_EQ(p.reinstall, "/R");

    EXPECT_EQ(ParseItemParameters({}).install, "");
    // Short lines are skipped even when they carry a parameter key.
    EXPECT_EQ(ParseItemParameters({"INST_PARAM=", "REINST_PARAM"}).install, "");
}

TEST(ItemRules, ParametersStayWithinTheBuffer)
{
    // "/A " and the big value with its blank would need one byte more than the buffer holds.
    const std::string big(kItemTextBuffer - 4, 'a');
    const ItemParameters p = ParseItemParameters({"INST_PARAM = /A", "INST_PARAM = " + big, "INST_PARAM = /B"});
    EXPECT_TRUE(p.install == "/A /B") << p.install.size();
    const ItemParameters q = ParseItemParameters({"INST_PARAM = /A", "INST_PARAM = " + big.substr(1)});
    EXPECT_EQ(q.install.size(), 3 + big.size() - 1);
    EXPECT_LT(p.install.size(), kItemTextBuffer);
}

TEST(ItemRules, ModelNameSubstitution)
{
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"%MODEL% Printer Driver", "XY-2010 Printer Driver"},
        {"%X% and %X% again", "XY-2010 and XY-2010 again"},
        {"%A% then %B%", "XY-2010 then %B%"},  // only the first token
        {"Driver for %s", "Driver for XY-2010"},
        {"%s and %s", "XY-2010s"},  // "%s and %" is the first token
        {"%M% for %s", "XY-2010 for XY-2010"},
        {"100% sure", "100% sure"},  // one percent sign is no token
        {"plain", "plain"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(SubstituteModelName(c.text, "XY-2010"), c.expected) << c.text;
    EXPECT_EQ(SubstituteModelName("%MODEL% Driver", ""), " Driver");
}

TEST(ItemRules, DestinationPaths)
{
    struct Case {
        const char* source;
        const char* source_dir;
        const char* expected;
    } cases[] = {
        {"$SRC_DIR$\\Printer\\a.inf", "D:\\Disc", "$DEST_INST_DIR$\\Printer\\a.inf"},
        {"D:\\Disc\\Printer\\a.inf", "D:\\Disc", "C:\\Dest\\Install\\Printer\\a.inf"},
        {"d:\\disc\\Printer\\a.inf", "D:\\Disc", "d:\\disc\\Printer\\a.inf"},  // exact text only
        {"D:\\Other\\a.inf", "D:\\Disc", "D:\\Other\\a.inf"},
        {"D:\\Disc\\a.inf", "", "D:\\Disc\\a.inf"},  // no source directory: nothing to replace
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConvertPathToDestination(c.source, c.source_dir, "C:\\Dest\\Install"), c.expected) << c.source;
}

TEST(ItemRules, RemovingAnOption)
{
    struct Case {
        const char* text;
        const char* option;
        const char* expected;
    } cases[] = {
        {"/S /I 3 /Q", "/I", "/S  /Q"},        // the blank before the next slash stays
        {"/S /I 3", "/I", "/S "},              // nothing follows: all from the option on goes
        {"/S /INSTALL /Q", "/I", "/S  /Q"},    // found inside a longer word
        {"/s /i 3 /q", "/I", "/s  /q"},        // ignoring case
        {"/S /Q", "/I", "/S /Q"},              // absent
        {"/S /I/Q", "/I", "/S /Q"},            // a slash right after the option
        {"/I 1 /I 2", "/I", " /I 2"},          // only the first occurrence
        {"", "/I", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(RemoveParamOption(c.text, c.option), c.expected) << c.text;
}

TEST(ItemRules, PrinterParameterRewrites)
{
    struct Case {
        const char* text;
        int index;
        const char* driver;
        bool ok;
        const char* expected;
    } cases[] = {
        {"/S /I 3 /Q", 5, "", true, "/S  /Q /I 5"},
        {"/S /I 3 /Q", -1, "XY-2010", true, "/S /I 3 /Q /O \"XY-2010\""},
        {"/S /I 2", 4, "X", true, "/S  /I 4"},
        {"/S", 0, "", true, "/S /I 0"},
        {"/S /I 3", -1, "", true, "/S /I 3"},  // by name without a name: unchanged
        {"/O \"old\" /S", -1, " \"new\"\t", true, " /S /O \"new\""},
        {"", 5, "X", false, ""},
        {"", -1, "X", false, ""},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(RewritePrinterParameters(text, kItemTextBuffer, c.index, c.driver), c.ok) << c.text;
        EXPECT_EQ(text, c.expected) << c.text;
    }

    // A result that does not fit leaves the text as it was.
    std::string text = "/S /I 3";
    EXPECT_FALSE(RewritePrinterParameters(text, 8, 12, ""));  // "/S  /I 12" needs 10 bytes
    EXPECT_EQ(text, "/S /I 3");
    EXPECT_TRUE(RewritePrinterParameters(text, 9, 1, ""));  // "/S  /I 1" needs 9
    EXPECT_EQ(text, "/S  /I 1");
}

TEST(ItemRules, ScanAndPortParameterRewrites)
{
    std::string scan = "/U old /X";
    EXPECT_TRUE(RewriteScanUninstParam(scan, kItemTextBuffer, " \"Acme Scan 1\" "));
    EXPECT_EQ(scan, " /X /U \"Acme Scan 1\"");
    std::string empty;
    EXPECT_FALSE(RewriteScanUninstParam(empty, kItemTextBuffer, "Scan"));
    std::string no_model = "/U 1";
    EXPECT_FALSE(RewriteScanUninstParam(no_model, kItemTextBuffer, ""));
    EXPECT_EQ(no_model, "/U 1");

    std::string port = "/S /P\"LPT1:\" /Q";
    EXPECT_TRUE(RewritePortParameter(port, kItemTextBuffer, "USB001"));
    EXPECT_EQ(port, "/S  /Q /P\"USB001\"");
    std::string plain = "/S";
    EXPECT_TRUE(RewritePortParameter(plain, kItemTextBuffer, "IP_10.0.0.5"));
    EXPECT_EQ(plain, "/S /P\"IP_10.0.0.5\"");
    std::string no_port = "/S";
    EXPECT_FALSE(RewritePortParameter(no_port, kItemTextBuffer, ""));
    EXPECT_EQ(no_port, "/S");
    std::string none;
    EXPECT_FALSE(RewritePortParameter(none, kItemTextBuffer, "LPT1:"));
    EXPECT_EQ(none, "");
}

TEST(ItemRules, ShareNames)
{
    struct Case {
        const char* driver;
        const char* mfg;
        const char* expected;
    } cases[] = {
        {"Velmora XY-2010 Series PCL 6", "Velmora", "2010PCL6"},
        {"Velmora XY-1610 Series", "Velmora", "XY1610"},
        {"velmora xy-1610 series", "Velmora", "XY1610"},  // upper-cased first
        {"Velmora Phaser 3010 PS", "Velmora", "3010PS"},   // PS: leading letters go
        {"Velmora Phaser 3010", "Velmora", "P3010"},
        {"Velmora WorkCentre 7120", "Velmora", "WC7120"},
        {"Velmora AB_CD-7 PCL 6", "Velmora", "7PCL6"},     // underscores go with the letters
        {"XY-2010 PCL 6", "", "2010PCL6"},                 // no MFG to remove
        {"Velmora PSX", "Velmora", ""},                    // " PS" inside a word counts: all letters go
        {"", "Velmora", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(MakeShareName(c.driver, c.mfg), c.expected) << c.driver;
}

TEST(ItemRules, OsLists)
{
    struct Case {
        const char* list;
        const char* os;
        bool in;
    } cases[] = {
        {"WIN98, WINME", "WinMe", true},  {"WIN98,\tWINME ", "WINME", true}, {"WIN98", "WIN9", false},
        {"WIN98ME", "WIN98", false},      {"", "WINXP", false},              {"A,,B", "", false},
        {" , WINXP", "winxp", true},
    };
    for (const auto& c : cases) EXPECT_EQ(OsListContains(c.list, c.os), c.in) << c.list << " / " << c.os;
}

class ItemProfileRules : public ::testing::Test {
protected:
    CSetupProfile data;
    void Open(const char* name)
    {
        ASSERT_TRUE(data.Open(std::string(QV_SOURCE_DIR) + "/tests/data/items/" + name, "", "", false));
    }
};

TEST_F(ItemProfileRules, OsStringsOfOtherGenerations)
{
    Open("rules.dat");
    struct Case {
        const char* id;
        bool ok;
        const char* name;
    } cases[] = {
        {"0X0001040A", true, "WIN98SE"},
        {"0X00020400", false, ""},  // listed as unsupported (ignoring case)
        {"0X00020600", true, "VISTA"},
        {"0X00020600.64", false, ""},  // not defined
    };
    for (const auto& c : cases) {
        std::string name = "unchanged";
        EXPECT_EQ(OsStringOfId(data, c.id, name), c.ok) << c.id;
        EXPECT_EQ(name, c.ok ? c.name : "unchanged") << c.id;
    }
    // The rows of the generation search, in order.
    EXPECT_STREQ(kItemGenerationRows[0].os_define_id, "0X0001040A");
    EXPECT_EQ(kItemGenerationRows[0].os_class, 7);
    EXPECT_EQ(kItemGenerationRows[1].os_class, 12);
    EXPECT_EQ(kItemGenerationRows[2].os_class, 18);
    EXPECT_FALSE(kItemGenerationRows[2].is64);
    EXPECT_STREQ(kItemGenerationRows[3].os_define_id, "0X00020600.64");
    EXPECT_TRUE(kItemGenerationRows[3].is64);
    EXPECT_EQ(kItemGenerationRows[3].property, kInf64);
}

TEST_F(ItemProfileRules, ItemTypeTable)
{
    Open("rules.dat");
    struct Case {
        const char* class_name;
        const char* section;
    } cases[] = {
        {"Printer", "TYPE_PRINTER"},  // the first of two matching entries
        {"printer", "TYPE_PRINTER"},
        {"IMAGE", "TYPE_IMAGE"},
        {"Modem", ""},  // no match: an empty type section
    };
    for (const auto& c : cases) {
        std::string section = "unchanged";
        EXPECT_TRUE(FindItemTypeSection(data, c.class_name, section)) << c.class_name;
        EXPECT_EQ(section, c.section) << c.class_name;
    }
}

TEST_F(ItemProfileRules, NoItemTypeTable)
{
    Open("no_types.dat");
    std::string section = "unchanged";
    EXPECT_FALSE(FindItemTypeSection(data, "Printer", section));
    EXPECT_EQ(section, "unchanged");
}

}  // namespace
