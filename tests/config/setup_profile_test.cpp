// Setup profiles: variant candidates and search, @KEY@ substitution, macro expansion and the
// remote-install rule, section listings.
#include "config/setup_profile.h"

#include "tests/config/vars_scratch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TestContext : IProfileContext {
    bool remote = false, network = false, usb = false;
    std::string os = "WINXP", lang = "KR";
    mutable uint16_t seen_id = 0;
    mutable std::string seen_abbr, seen_dir;

    std::string ExpandMacros(const std::string& text, uint16_t id, const std::string& abbr,
                             const std::string& dir) const override
    {
        seen_id = id;
        seen_abbr = abbr;
        seen_dir = dir;
        std::string out = text;
        for (size_t p; (p = out.find("$SRC_DIR$")) != std::string::npos;) out.replace(p, 9, "C:\\Disc");
        return out;
    }
    bool RemoteInstallOption() const override { return remote; }
    bool NetworkOption() const override { return network; }
    bool UsbOnlyOption() const override { return usb; }
    std::string OsDefineString() const override { return os; }
    std::string CurrentLanguageAbbr() const override { return lang; }
};

TEST(SectionVariantCandidates, OrderForEveryOptionPair)
{
    using V = std::vector<std::string>;
    struct Case {
        bool network, usb;
        V expected;
    } cases[] = {
        {false, false, {"B.XP.KR", "B.XP", "B.KR", "B"}},
        {true, false, {"B.XP.KR.NETWORK", "B.XP.KR", "B.XP.NETWORK", "B.XP", "B.KR.NETWORK", "B.KR", "B.NETWORK", "B"}},
        {false, true, {"B.XP.KR.USB", "B.XP.KR", "B.XP.USB", "B.XP", "B.KR.USB", "B.KR", "B.USB", "B"}},
        {true, true,
         {"B.XP.KR.NETWORK.USB", "B.XP.KR.NETWORK", "B.XP.KR.USB", "B.XP.KR", "B.XP.NETWORK.USB", "B.XP.NETWORK",
          "B.XP.USB", "B.XP", "B.KR.NETWORK.USB", "B.KR.NETWORK", "B.KR.USB", "B.KR", "B.NETWORK.USB", "B.NETWORK",
          "B.USB", "B"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SectionVariantCandidates("b", "xp", "kr", c.network, c.usb), c.expected)
            << "network " << c.network << " usb " << c.usb;
}

class SetupProfileTest : public ::testing::Test {
protected:
    VarsScratch scratch;
    TestContext context;
    CSetupProfile profile;

    void Open(const std::string& main_text, const std::string& message_text = std::string(),
              const std::string& strings_text = std::string())
    {
        const std::string main = scratch.File("main.qvi", main_text);
        const std::string strings = scratch.File("strings.dat", strings_text);
        const std::string messages = message_text.empty() ? std::string() : scratch.File("msg.str", message_text);
        profile.SetContext(&context);
        ASSERT_TRUE(profile.Open(main, strings, messages, false));
    }
    std::string Read(const std::string& key, bool expand = true)
    {
        std::string out = "<missing>";
        profile.Read("S", key, out, expand);
        return out;
    }
};

TEST_F(SetupProfileTest, VariantSearchWalksDownToTheBaseName)
{
    // NETWORK off, USB_ONLY on, on WINXP in Korean.
    context.usb = true;
    Open("[option]\nA=1\n[Option.WinXP.KR]\nA=2\n[OTHER.WINXP]\nA=3\n");
    std::string found;
    ASSERT_TRUE(profile.FindSectionVariant("OPTION", found));
    EXPECT_EQ(found, "OPTION.WINXP.KR");  // found upper-cased

    Open("[OPTION.WINXP.KR.USB]\nA=1\n[OPTION.WINXP.KR]\nA=2\n");
    ASSERT_TRUE(profile.FindSectionVariant("OPTION", found));
    EXPECT_EQ(found, "OPTION.WINXP.KR.USB");

    context.os = "VISTA";
    ASSERT_TRUE(profile.FindSectionVariant("OTHER", found) == false);
    ASSERT_TRUE(profile.FindSectionVariant("option", found) == false);
}

TEST_F(SetupProfileTest, SectionExistsComparesWholeNamesIgnoringCase)
{
    Open("[Page One]\nA=1\n[DLG]\n");
    EXPECT_TRUE(profile.SectionExists("page one"));
    EXPECT_TRUE(profile.SectionExists("dlg"));
    EXPECT_FALSE(profile.SectionExists("Page"));
    EXPECT_FALSE(profile.SectionExists("DLG.X"));
    EXPECT_FALSE(profile.SectionExists(""));
}

TEST_F(SetupProfileTest, MessageReferencesAreSubstituted)
{
    Open("[S]\n"
         "A = Click @NEXT_TEXT@ to go on\n"
         "B = Click @NOPE@ to go on\n"
         "C = @NEXT_TEXT@@NEXT_TEXT@ and @BACK@\n"
         "D = mail@host and @NEXT_TEXT@\n"
         "E = @LOOP@!\n"
         "F = a@@b\n",
         "[MESSAGES]\nNEXT_TEXT = Next\nBACK = Back\\nup\nLOOP = @LOOP@ @BACK@\n");
    EXPECT_EQ(Read("A"), "Click Next to go on");
    EXPECT_EQ(Read("B"), "Click @NOPE@ to go on");
    EXPECT_EQ(Read("C"), "NextNext and Back\nup");  // messages are read with CR/LF conversion
    // A lone '@' pairs with the next one; an undefined pair stays and scanning goes on after it.
    EXPECT_EQ(Read("D"), "mail@host and @NEXT_TEXT@");
    EXPECT_EQ(Read("E"), "@LOOP@ @BACK@!");  // message texts are not scanned again
    EXPECT_EQ(Read("F"), "a@@b");
    EXPECT_EQ(Read("MISSING"), "<missing>");
}

TEST_F(SetupProfileTest, NoMessageFileLeavesReferences)
{
    Open("[S]\nA = @NEXT_TEXT@ %P%\n", "", "[STRINGS]\n%P% = \"Printer\"\n");
    EXPECT_EQ(Read("A"), "@NEXT_TEXT@ Printer");  // %NAME% from the string path still works
}

TEST_F(SetupProfileTest, MacroExpansionAndTheRemoteInstallRule)
{
    Open("[S]\nA = $SRC_DIR$\\setup.ini\nB = x\n[L]\nK = $SRC_DIR$\\a\nFLAG\n");
    EXPECT_EQ(Read("A"), "C:\\Disc\\setup.ini");
    EXPECT_EQ(Read("A", false), "$SRC_DIR$\\setup.ini");

    std::string out;
    ASSERT_TRUE(profile.Read("S", "B", out, true, 0x0412, "KR", "Korean"));
    EXPECT_EQ(context.seen_id, 0x0412);
    EXPECT_EQ(context.seen_abbr, "KR");
    EXPECT_EQ(context.seen_dir, "Korean");

    std::vector<std::string> lines;
    ASSERT_TRUE(profile.ReadSection("L", lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"K = C:\\Disc\\a", "FLAG"}));

    context.remote = true;
    EXPECT_EQ(Read("A"), "$SRC_DIR$\\setup.ini");
    lines = {"stale"};
    EXPECT_TRUE(profile.ReadSection("L", lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_FALSE(profile.ReadSection("NONE", lines));
}

TEST_F(SetupProfileTest, SubstitutedValueIsCutToTheBuffer)
{
    const std::string long_text(4000, 'm');
    Open("[S]\nA = @M@@M@@M@@M@@M@\n", "[MESSAGES]\nM = " + long_text + "\n");
    const std::string value = Read("A");
    EXPECT_EQ(value.size(), kSetupValueBuffer - 1);
    EXPECT_EQ(value, std::string(kSetupValueBuffer - 1, 'm'));
}

TEST_F(SetupProfileTest, NothingIsReadBeforeOpen)
{
    CSetupProfile empty;
    std::string out = "keep";
    uint32_t n = 7;
    EXPECT_FALSE(empty.Read("S", "A", out));
    EXPECT_FALSE(empty.ReadNumber("S", "A", &n));
    EXPECT_EQ(out, "keep");
    std::string found;
    EXPECT_FALSE(empty.FindSectionVariant("S", found));
}

TEST_F(SetupProfileTest, RawReadsSkipSubstitution)
{
    Open("[S]\nN = 0x20\nSZ = 10,20\nC = 255,128,0\nR = 1,2,3,4\nP = 5,6\nT = @M@\n", "[MESSAGES]\nM = 7\n");
    uint32_t n = 0;
    ASSERT_TRUE(profile.ReadNumber("S", "N", &n));
    EXPECT_EQ(n, 32u);
    EXPECT_TRUE(profile.ReadNumber("S", "T", &n));
    EXPECT_EQ(n, 0u);  // "@M@" read raw is no number
    ProfileSize sz;
    ProfileColor color = 0;
    ProfileRect rect;
    ProfilePoint point;
    ASSERT_TRUE(profile.ReadSize("S", "SZ", &sz));
    ASSERT_TRUE(profile.ReadColor("S", "C", &color));
    ASSERT_TRUE(profile.ReadRect("S", "R", &rect));
    ASSERT_TRUE(profile.ReadPoint("S", "P", &point));
    EXPECT_EQ(sz.cx + sz.cy, 30);
    EXPECT_EQ(color, 0x80FFu);
    EXPECT_EQ(rect.bottom, 4);
    EXPECT_EQ(point.y, 6);
    EXPECT_FALSE(profile.ReadNumber("S", "MISSING", &n));
}

}  // namespace
