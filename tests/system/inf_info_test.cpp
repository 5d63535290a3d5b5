// CInfInfo on the real SetupAPI: printer INFs we did not write (shared fixtures) and small
// INFs of our own for the cases those do not show.
#include "system/inf_info.h"

#include "tests/support/recording_log.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// CI keeps shared/ beside the clone, so the fixtures are found relative to the source tree.
std::string SharedInf(const std::string& name) { return std::string(QV_SOURCE_DIR) + "\\..\\shared\\fixtures\\inf\\" + name; }
std::string OwnInf(const std::string& name) { return std::string(QV_SOURCE_DIR) + "\\tests\\data\\inf\\" + name; }

struct InitCase {
    const char* label;
    std::string path;
    int index;
    const char* name;
    bool ok;
    const char* cls;
    const char* manufacturer;
    const char* models;
    const char* driver;
    int driver_index;
    bool uni;
    const char* log;  // a line that must be logged, or null
};

void PrintTo(const InitCase& c, std::ostream* os) { *os << c.label; }

class InfInitTest : public ::testing::TestWithParam<InitCase> {};

TEST_P(InfInitTest, ReadsTheModel)
{
    const InitCase& c = GetParam();
    CRecordingLog log;
    CInfInfo inf(log);
    EXPECT_EQ(inf.Init(c.path, c.index, c.name), c.ok) << log.All();
    EXPECT_EQ(inf.Class(), c.cls);
    if (c.ok) {
        EXPECT_EQ(inf.Manufacturer(), c.manufacturer);
        EXPECT_EQ(inf.ModelsSection(), c.models);
        EXPECT_EQ(inf.DriverName(), c.driver);
        EXPECT_EQ(inf.DriverIndex(), c.driver_index);
        EXPECT_EQ(inf.UniDrv(), c.uni);
    }
    if (c.log) {
        EXPECT_TRUE(log.Contains(c.log)) << log.All();
    }
}

INSTANTIATE_TEST_SUITE_P(
    SharedFixtures, InfInitTest,
    ::testing::Values(
        // Decorations only: Microsoft.NTx86 is the section used.
        InitCase{"bitmap", SharedInf("bitmap.inf"), 0, "", true, "Printer", "Microsoft", "Microsoft.NTx86",
                 "Bitmap Driver", 0, true, nullptr},
        // A plain section beside decorated ones wins.
        InitCase{"winxp_by_index", SharedInf("winxp.inf"), 2, "", true, "Printer", "Microsoft", "Microsoft",
                 "PS Standard UI Replacement", 2, true, nullptr},
        InitCase{"winxp_by_name", SharedInf("winxp.inf"), 0, "themed oem ui (pscript5)", true, "Printer", "Microsoft",
                 "Microsoft", "themed oem ui (pscript5)", 1, true, nullptr},
        InitCase{"winxp_index_past_end", SharedInf("winxp.inf"), 3, "", false, "Printer", "", "", "", 0, false,
                 "Can not find driver name using index [3]"},
        InitCase{"winxp_unknown_name", SharedInf("winxp.inf"), 0, "No Such Model", false, "Printer", "", "", "", 0,
                 false, "Can not find driver name in this inf [No Such Model]"},
        // %string% manufacturer; an Include list is not the universal driver.
        InitCase{"xdsmpl", SharedInf("xdsmpl.inf"), 0, "", true, "Printer", "TODO-Set-Manufacturer", "Standard.NTx86",
                 "XPSDrv Sample Driver", 0, false, nullptr}));

INSTANTIATE_TEST_SUITE_P(
    OwnFixtures, InfInitTest,
    ::testing::Values(
        InitCase{"unidrv", OwnInf("models.inf"), 0, "", true, "Printer", "Acme", "Acme", "Acme One", 0, true, nullptr},
        InitCase{"include_list", OwnInf("models.inf"), 1, "", true, "Printer", "Acme", "Acme", "Acme Two", 1, false,
                 nullptr},
        InitCase{"empty_needs", OwnInf("models.inf"), 2, "", true, "Printer", "Acme", "Acme", "Acme Three", 2, false,
                 nullptr},
        InitCase{"no_needs", OwnInf("models.inf"), 3, "", true, "Printer", "Acme", "Acme", "Acme Four", 3, false,
                 nullptr},
        // The model is found; only the universal-driver test fails.
        InitCase{"no_install_section", OwnInf("models.inf"), 4, "", true, "Printer", "Acme", "Acme", "Acme Five", 4,
                 false, "Can not find DDInstall Section using index [4]"},
        InitCase{"negative_index", OwnInf("models.inf"), -1, "", false, "Printer", "", "", "", 0, false,
                 "Can not find driver name using index [-1]"},
        InitCase{"wrong_decoration", OwnInf("wrong_decoration.inf"), 0, "", false, "Printer", "", "", "", 0, false,
                 nullptr},
        InitCase{"manufacturer_only", OwnInf("mfg_only.inf"), 0, "", true, "Printer", "Acme Corp", "Acme Corp",
                 "Acme One", 0, true, nullptr},
        // Image: always the first model, whatever the caller asks for.
        InitCase{"image", OwnInf("image.inf"), 1, "Acme Scan 2", true, "Image", "Acme", "Models", "Acme Scan 1", 0,
                 false, nullptr},
        InitCase{"other_class", OwnInf("net.inf"), 0, "", true, "Net", "", "", "", 0, false, nullptr},
        InitCase{"no_class", OwnInf("noclass.inf"), 0, "", false, "", "", "", "", 0, false, nullptr},
        InitCase{"no_manufacturer", OwnInf("nomfg.inf"), 0, "", false, "printer", "", "", "", 0, false, nullptr}));

TEST(InfInfo, MissingFileIsLoggedWithTheSystemError)
{
    CRecordingLog log;
    CInfInfo inf(log);
    const std::string path = OwnInf("does_not_exist.inf");
    EXPECT_FALSE(inf.Init(path));
    ASSERT_FALSE(log.lines.empty());
    EXPECT_EQ(log.lines[0].text, "SetupOpenInfFile(" + path + ")");
    EXPECT_NE(log.lines[0].code, 0u);

    log.lines.clear();
    EXPECT_FALSE(inf.Init(""));
    EXPECT_TRUE(log.lines.empty());
}

TEST(InfInfo, GetClassNeedsRoomForTheTerminator)
{
    CRecordingLog log;
    CInfInfo inf(log);
    char buffer[16];
    EXPECT_FALSE(inf.GetClass(SharedInf("bitmap.inf"), buffer, 7));
    EXPECT_TRUE(inf.GetClass(SharedInf("bitmap.inf"), buffer, 8));
    EXPECT_STREQ(buffer, "Printer");
    EXPECT_FALSE(inf.GetClass(OwnInf("noclass.inf"), buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "");

    std::string cls;
    EXPECT_TRUE(inf.GetClass(OwnInf("image.inf"), cls));
    EXPECT_EQ(cls, "Image");
}

TEST(InfInfo, ResetClearsEveryField)
{
    CNullLog log;
    CInfInfo inf(log);
    ASSERT_TRUE(inf.Init(SharedInf("winxp.inf"), 2));
    inf.Reset();
    EXPECT_EQ(inf.Class(), "");
    EXPECT_EQ(inf.Manufacturer(), "");
    EXPECT_EQ(inf.ModelsSection(), "");
    EXPECT_EQ(inf.DriverName(), "");
    EXPECT_EQ(inf.DriverIndex(), 0);
    EXPECT_FALSE(inf.UniDrv());
}

}  // namespace
