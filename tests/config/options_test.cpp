// Installer options: variant first, then OPTION; missing-key rules; log texts; the
// right-to-left rule on old systems.
#include "config/options.h"

#include "config/os_class.h"
#include "config/setup_profile.h"
#include "tests/config/vars_scratch.h"
#include "tests/support/recording_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Variant parts as the variables give them: the flags are the options' own.
struct OptionsContext : IProfileContext {
    const COptions* options = nullptr;
    std::string os = "WINXP";
    std::string ExpandMacros(const std::string& t, uint16_t, const std::string&, const std::string&) const override
    {
        return t;
    }
    bool RemoteInstallOption() const override { return false; }
    bool NetworkOption() const override { return options->Network(); }
    bool UsbOnlyOption() const override { return options->UsbOnly(); }
    std::string OsDefineString() const override { return os; }
    std::string CurrentLanguageAbbr() const override { return "EN"; }
};

class OptionsTest : public ::testing::Test {
protected:
    VarsScratch scratch;
    COptions options;
    OptionsContext context;
    CSetupProfile data;
    CRecordingLog log;

    void Read(const std::string& text, int os_class = kOsWinXp)
    {
        context.options = &options;
        data.SetContext(&context);
        const std::string path = scratch.File("Setup.dat", text);
        ASSERT_TRUE(data.Open(path, path, "", false));
        log.lines.clear();
        ASSERT_TRUE(options.ReadOptions(data, os_class, log));
    }
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> out;
        for (const auto& l : log.lines) out.push_back(l.text);
        return out;
    }
};

TEST_F(OptionsTest, NoOptionSection)
{
    Read("[PROGRAM_INFO]\nMFG = X\n");
    EXPECT_EQ(Lines(), (std::vector<std::string>{"Get Option fail", "USB ONLY Option is OFF", "NETWORK Option is OFF",
                                                 "WIRELESS Option is OFF", "RIGHT ALIGN Option is OFF",
                                                 "MAINTENANCE Option is ON", "Community Name size = 14"}));
    EXPECT_TRUE(options.DeviceInstall());
    EXPECT_TRUE(options.PrecreateDlg());
    EXPECT_TRUE(options.MaintenanceOn());
    EXPECT_FALSE(options.MainOnly());
    EXPECT_FALSE(options.AgfaGiven());
    EXPECT_EQ(options.CommunitySize(), 14u);
}

TEST_F(OptionsTest, EveryKeyInOrder)
{
    Read("[OPTION]\n"
         "MAINTENANCE_ON = 0\nCOMMUNITY_SIZE = 0x20\nAGFA = 0\nSTOP_FIREWALL = 1\nUSE_IPX = 0\nUSE_PUBLIC_OID = 1\n"
         "SET_SOURCE_PATH = 0\nMAIN_ONLY = 1\nPRECREATE_DLG = 0\nRIGHT_ALIGN = 2\nSHOW_INST_ERROR = 1\n"
         "DEVICE_INSTALL = 0\nWIRELESS = 1\nNETWORK = 0x1\nUSB_ONLY = 0\n");
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "USB ONLY Option is OFF", "NETWORK Option is ON", "WIRELESS Option is ON",
                           "INSTALL DEVICE Option is OFF", "SHOW INSTALL ERROR Option is ON",
                           "RIGHT ALIGN Option is ON", "PRECREATE DIALOG option is OFF", "JUST MAIN option is ON",
                           "SET SOURCE PATH option is OFF", "USE PUBLIC OID option is ON", "USE IPX option is OFF",
                           "Stop Firewall option is ON", "AGFA option is OFF", "MAINTENANCE Option is OFF",
                           "Community Name size = 32"}));
    EXPECT_TRUE(options.AgfaGiven());  // present, even though off
    EXPECT_FALSE(options.Agfa());
    EXPECT_TRUE(options.RightAlign());
    EXPECT_EQ(options.CommunitySize(), 32u);
}

TEST_F(OptionsTest, VariantWinsAndPlainSectionFillsIn)
{
    Read("[OPTION]\nDEVICE_INSTALL = 1\nNETWORK = 1\n[OPTION.WINXP]\nDEVICE_INSTALL = 0\n");
    EXPECT_FALSE(options.DeviceInstall());
    EXPECT_TRUE(options.Network());

    // COMMUNITY_SIZE = 0 keeps the size it had.
    Read("[OPTION]\nCOMMUNITY_SIZE = 0\n");
    EXPECT_EQ(options.CommunitySize(), 14u);
    EXPECT_FALSE(options.Network());  // missing: off again
}

TEST_F(OptionsTest, RightAlignStaysOffOnWindows95AndNt)
{
    for (int os_class : {kOsWin95, kOsWin95Osr2, kOsNt3, kOsNt4}) {
        Read("[OPTION]\nRIGHT_ALIGN = 1\n", os_class);
        EXPECT_FALSE(options.RightAlign()) << os_class;
        EXPECT_TRUE(log.Contains("RIGHT ALIGN Option is OFF")) << os_class;
    }
    for (int os_class : {kOsWin98, kOsWin2000, kOsVista}) {
        Read("[OPTION]\nRIGHT_ALIGN = 1\n", os_class);
        EXPECT_TRUE(options.RightAlign()) << os_class;
    }
}

TEST_F(OptionsTest, SecondReadMayPickAnotherVariant)
{
    // The variant is chosen with USB_ONLY as it stood before the read.
    const std::string text = "[OPTION]\nUSB_ONLY = 1\nWIRELESS = 0\n[OPTION.WINXP.EN.USB]\nWIRELESS = 1\n";
    Read(text);
    EXPECT_TRUE(options.UsbOnly());
    EXPECT_FALSE(options.Wireless());
    Read(text);
    EXPECT_TRUE(options.Wireless());
}

}  // namespace
