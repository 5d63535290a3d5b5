// Items under Wine: loading from the item disc (tests/data/items/disc) with its INFs and
// stand-in programs, resolution by INF and by search, language, install types and the device
// check, the item and copy-file records under a scratch product key, installation checks, the
// log block and the guard lines.
#include "install/item_info.h"

#include "config/installer_vars.h"
#include "platform/unique_handle.h"
#include "platform/vars_platform_win.h"
#include "system/my_printer.h"
#include "system/registry.h"
#include "system/system_utils.h"
#include "tests/support/recording_log.h"

#include <gtest/gtest.h>

#include "tests/support/disc_platform.h"
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const std::string kDisc = std::string(QV_SOURCE_DIR) + "\\tests\\data\\items\\disc";
constexpr const char* kProductKey = "Software\\Velmora\\QvItemTest";
const std::string kInstalling = std::string(kProductKey) + "\\Installing";
const std::string kInstalled = std::string(kProductKey) + "\\Installed";
const std::string kUninstallInfo = std::string(kProductKey) + "\\UninstallInfo";
constexpr const char* kInstallDir = "C:\\QvItemTest\\Dest\\Install";

// The real machine with the program on the item disc; no directories are made or removed,
// and FileExists can be made to throw for one path.
class DiscPlatform final : public CDiscPlatform {
public:
    DiscPlatform() : CDiscPlatform(kDisc + "\\Setup.exe") {}
    std::string throw_on_exists;
    bool FileExists(const std::string& path) override
    {
        if (!throw_on_exists.empty() && path == throw_on_exists) throw std::runtime_error("file test");
        return CDiscPlatform::FileExists(path);
    }
};

// Records every line; the first line that contains `trigger` faults instead, by a C++
// exception or by an access violation.
class FaultingLog final : public ILogSink {
public:
    std::vector<std::string> lines;
    std::string trigger;
    bool hardware = false;

    bool Has(const std::string& line) const
    {
        for (const auto& l : lines)
            if (l == line) return true;
        return false;
    }
    int Count(const std::string& line) const
    {
        int n = 0;
        for (const auto& l : lines) n += l == line;
        return n;
    }
    std::string All() const
    {
        std::string s;
        for (const auto& l : lines) s += l + "\n";
        return s;
    }

protected:
    void WriteV(uint32_t, const char* fmt, va_list ap) override
    {
        va_list copy;
        va_copy(copy, ap);
        const int n = std::vsnprintf(nullptr, 0, fmt, copy);
        va_end(copy);
        std::string text(n > 0 ? size_t(n) : 0, '\0');
        if (n > 0) std::vsnprintf(&text[0], size_t(n) + 1, fmt, ap);
        if (!trigger.empty() && text.find(trigger) != std::string::npos) {
            trigger.clear();
            if (hardware) *static_cast<volatile int*>(nullptr) = 1;
            throw std::runtime_error("log fault");
        }
        lines.push_back(text);
    }
};

struct FakeDevice final : IDeviceQueries {
    int desc_rc = 4096;
    std::string desc;
    std::string port_id;
    std::vector<std::string> asked;
    bool fault = false, hardware = false;

    void Fail()
    {
        if (hardware) *static_cast<volatile int*>(nullptr) = 1;
        if (fault) throw std::runtime_error("device");
    }
    int MyGetPrinterDesc(const std::string& address, std::string& out) override
    {
        asked.push_back("ip:" + address);
        Fail();
        out = desc;
        return desc_rc;
    }
    int MyGetDeviceIDFromPort(const std::string& port, std::string& out) override
    {
        asked.push_back("port:" + port);
        Fail();
        out = port_id;
        return port_id.empty() ? 0 : 1;
    }
};

struct FakeLibs final : IComponentLibsHost {
    int count = 0;
    std::vector<std::string> ports;
    bool Load(const ComponentLibRequest&, ILogSink&) override { return false; }
    int GetDevicePort(const std::string&, const std::string&, const std::string&, std::vector<std::string>& out) override
    {
        out = ports;
        return count;
    }
};

std::string RegText(const std::string& key, const char* name)
{
    char buffer[4100] = {};
    return CRegistry::GetValue(key.c_str(), name, buffer, HKEY_LOCAL_MACHINE, sizeof buffer) == ERROR_SUCCESS
               ? std::string(buffer)
               : std::string("<none>");
}

long long RegNumber(const std::string& key, const char* name)
{
    unsigned long number = 0;
    return CRegistry::GetValue(key.c_str(), name, &number) == ERROR_SUCCESS ? (long long)number : -1;
}

bool KeyExists(const std::string& key)
{
    unique_hkey h;
    return ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, h.put()) == ERROR_SUCCESS;
}

// Value names in the order the key lists them.
std::vector<std::string> ValueNames(const std::string& key)
{
    std::vector<std::string> names;
    unique_hkey h;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, h.put()) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD size = sizeof name;
        if (::RegEnumValueA(h.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.push_back(name);
    }
    return names;
}

class ItemTest : public ::testing::Test {
protected:
    DiscPlatform platform;
    CRecordingLog vars_log;
    FaultingLog log;
    FakeDevice device;
    FakeLibs libs;
    ItemServices services;
    std::unique_ptr<CInstallerVars> vars;

    void SetUp() override
    {
        CRegistry::DeleteKey(kProductKey, false);
        vars = std::make_unique<CInstallerVars>(platform, vars_log);
        ASSERT_TRUE(vars->Initialize()) << vars_log.All();
        ASSERT_EQ(vars->SourceDir(), kDisc);
        ASSERT_EQ(vars->Settings().os_define, "WIN7") << "the disc defines Wine's default Windows 7";
        ASSERT_EQ(vars->Settings().install_dir, kInstallDir);
        services.device = &device;
        services.libs = &libs;
    }
    void TearDown() override { CRegistry::DeleteKey(kProductKey, false); }

    std::unique_ptr<CItemInfo> Make() { return std::make_unique<CItemInfo>(*vars, log, services); }
    std::unique_ptr<CItemInfo> Load(const std::string& section)
    {
        auto item = Make();
        EXPECT_TRUE(item->LoadItemInfo(section)) << section << "\n" << log.All();
        return item;
    }
    static std::string Disc(const std::string& rest = std::string()) { return kDisc + rest; }
};

// --- loading ---------------------------------------------------------------------------

TEST_F(ItemTest, UtilityLoadsWithItsOwnPrograms)
{
    auto item = Load("UTILITY");
    EXPECT_EQ(item->Name(), "UTILITY");
    EXPECT_EQ(item->DisplayName(), "Velmora Utility (7)");  // the key for the running OS wins
    EXPECT_EQ(item->InstallDescription(), "Installs the utility");
    EXPECT_EQ(item->RemoveDescription(), "About the utility");  // from DESCRIPTION
    EXPECT_EQ(item->RepairDescription(), "About the utility");
    EXPECT_EQ(item->Tooltip(), "Utility tip");
    EXPECT_EQ(item->ComponentDir(), Disc("\\Utility"));
    EXPECT_EQ(item->ConfiguredComponentDir(), Disc("\\Utility"));
    EXPECT_FALSE(item->CopyComponent());
    EXPECT_TRUE(item->CopyWhenSelected());
    EXPECT_EQ(item->InstallType(), kInstallChecked);
    EXPECT_EQ(item->ComponentClass(), "");
    EXPECT_FALSE(item->IsPrinterItem());
    // Programs stay raw; their macros are expanded when used.
    EXPECT_EQ(item->InstallCommand(), "$SRC_DIR$\\Utility\\inst.exe");
    EXPECT_EQ(item->InstallParameters(), "/A $LANG_ABBR$ /B /L$LCID$");
    EXPECT_EQ(item->UninstallParameters(), "/U");
    EXPECT_EQ(item->ReinstallParameters(), "");
    EXPECT_EQ(item->UninstallKey(), "Utility_Uninst");
    EXPECT_EQ(item->ReinstallKey(), "Utility_Reinst");
    EXPECT_EQ(item->SuccessReturn(), 0);  // -1 becomes 0 once the program is found
    EXPECT_FALSE(item->TypeResolved());
    // The item's language: ITEM_LANG maps the installer's 0x0409 to Spanish.
    EXPECT_EQ(item->LanguageSection(), "UTIL_LANG");
    EXPECT_EQ(item->ItemLanguage(), 0x040A);
    EXPECT_EQ(item->ItemLanguageAbbr(), "SP");
    EXPECT_EQ(item->ItemLanguageDir(), "Spanish");
    EXPECT_EQ(item->GetRealData(item->InstallParameters()), "/A SP /B /L040A");
    // Not installed: uninstall and reinstall stay off although the uninstall program exists.
    EXPECT_TRUE(item->InstallValid());
    EXPECT_FALSE(item->UninstallValid());
    EXPECT_FALSE(item->ReinstallValid());
    EXPECT_FALSE(item->Installed());

    EXPECT_TRUE(log.Has("[UTILITY] Component Loading ..."));
    EXPECT_TRUE(log.Has("======= [UTILITY] Item Information ========="));
    // The configured program on the medium is enough: no search, no INF.
    for (const auto& line : log.lines) EXPECT_EQ(line.find("Find Target"), std::string::npos) << line;
}

TEST_F(ItemTest, ItemsThatDoNotLoad)
{
    struct Case {
        const char* section;
        std::vector<std::string> lines;
    } cases[] = {
        {"UNSUPPORTED",
         {" UNSUPPORTED is not available in this OS(WIN7)", "[UNSUPPORTED] Loading Default Item information ==> Fail!!"}},
        {"MODEM",
         {"[](0)  Command is not available", "there is no matched inf installer section [Modem]",
          "[" + Disc("\\Other\\modem.inf") + "] Inf has wrong data", "[MODEM] Item is not available!!!!"}},
        {"NOWHERE",
         {"Find Target (Dir[" + Disc("\\Nowhere") + "],Class[],Lang[English],OS[WIN7]",
          " <== No target was found!!! ==> ", "[NOWHERE] Item is not available!!!!"}},
        {"NO_SUCH_SECTION", {"[] Inf is not available", "[NO_SUCH_SECTION] Item is not available!!!!"}},
    };
    for (const auto& c : cases) {
        log.lines.clear();
        auto item = Make();
        EXPECT_FALSE(item->LoadItemInfo(c.section)) << c.section;
        for (const auto& line : c.lines) EXPECT_TRUE(log.Has(line)) << c.section << ": " << line << "\n" << log.All();
        EXPECT_FALSE(log.Has("======= [" + std::string(c.section) + "] Item Information ========="));
    }
    log.lines.clear();
    EXPECT_FALSE(Make()->LoadItemInfo(""));
    EXPECT_EQ(log.lines.size(), 1u);  // only the destruction line
}

TEST_F(ItemTest, ItemLanguageMap)
{
    ASSERT_EQ(vars->Language().system_id, 0x0409) << "the fallback cases assume Wine's English system language";
    auto utility = Load("UTILITY");
    auto tool = Load("SETUP_TOOL");  // no ITEM_LANG
    struct Case {
        CItemInfo* item;
        uint16_t asked;
        uint16_t id;
        const char* abbr;
        const char* dir;
    } cases[] = {
        {utility.get(), 0x0409, 0x040A, "SP", "Spanish"},  // the full id's key
        {utility.get(), 0x0412, 0x0412, "KR", "Korean"},   // the primary id's key (0X0012)
        {utility.get(), 0x0407, 0x040A, "SP", "Spanish"},  // neither: the system language's key
        {tool.get(), 0x0412, 0x0412, "KR", "Korean"},      // no map: the language itself
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(c.item->SetItemLang(c.asked));
        EXPECT_EQ(c.item->ItemLanguage(), c.id) << std::hex << c.asked;
        EXPECT_EQ(c.item->ItemLanguageAbbr(), c.abbr) << std::hex << c.asked;
        EXPECT_EQ(c.item->ItemLanguageDir(), c.dir) << std::hex << c.asked;
    }
    // $LCID$, $LANG_ABBR$ and $LANG_DIR$ follow the item's language.
    EXPECT_EQ(tool->GetRealData("$LCID$ $LANG_ABBR$ $LANG_DIR$ $ORG_LANG_ABBR$"), "0412 KR Korean EN");
}

TEST_F(ItemTest, SetupProgramFoundBySearch)
{
    auto item = Load("SETUP_TOOL");
    const std::string target = "$SRC_DIR$\\TOOL\\SETUP.EXE";
    EXPECT_EQ(item->InstallCommand(), target);
    EXPECT_EQ(item->UninstallCommand(), target);
    EXPECT_EQ(item->ReinstallCommand(), target);
    EXPECT_EQ(item->SuccessReturn(), 0);
    EXPECT_EQ(item->ComponentDir(), Disc("\\Tool"));
    EXPECT_EQ(item->InstallType(), kInstallUnchecked);
    EXPECT_TRUE(item->InstallValid());
    EXPECT_FALSE(item->UninstallValid());
    EXPECT_FALSE(item->ReinstallValid());
    EXPECT_TRUE(log.Has("Find Target (Dir[" + Disc("\\Tool") + "],Class[],Lang[English],OS[WIN7]"));
    EXPECT_TRUE(log.Has("<==Target Found!!!!==>"));
    EXPECT_TRUE(log.Has("Target Dir  : [" + Disc("\\Tool") + "]"));
    EXPECT_TRUE(log.Has("Target      : [" + target + "]"));
}

TEST_F(ItemTest, PrinterReadFromItsInf)
{
    auto item = Load("PRINTER");
    const std::string model = "Velmora XY-2010 Series PCL 6";
    EXPECT_EQ(item->ComponentClass(), "Printer");  // from the INF: no COMP_CLASS given
    EXPECT_TRUE(item->IsPrinterItem());
    EXPECT_EQ(item->DriverName(), model);
    EXPECT_EQ(item->PrinterName(), model);
    EXPECT_EQ(item->ModelName(), model);
    EXPECT_EQ(item->ModelIndex(), 0);
    EXPECT_TRUE(item->UniDrv());
    EXPECT_TRUE(item->TypeResolved());
    // The item type's installer serves all three operations; its INST_PARAM replaces the
    // item's, the item's UNINST_PARAM stays; each gets the model index.
    EXPECT_EQ(item->InstallCommand(), "$SRC_DIR$\\Installer\\prninst.exe");
    EXPECT_EQ(item->UninstallCommand(), item->InstallCommand());
    EXPECT_EQ(item->ReinstallCommand(), item->InstallCommand());
    EXPECT_EQ(item->InstallParameters(), "/Q  /I 0");
    EXPECT_EQ(item->UninstallParameters(), "/R  /I 0");
    EXPECT_EQ(item->ReinstallParameters(), "/RE /I 0");
    EXPECT_EQ(item->SuccessReturn(), -1);  // neither the item nor its type gives one
    EXPECT_EQ(item->DisplayName(), model + " Printer Driver");
    EXPECT_EQ(item->InstallDescription(), "Installs " + model);
    EXPECT_EQ(item->DestinationInf(), "$DEST_INST_DIR$\\Printer\\Current\\xy2010.inf");
    // The other generations' INFs found under the configured directory; the NT row is
    // skipped (SYSTEM_REQUIREMENT excludes WINNT4), so its configured INF stays.
    EXPECT_EQ(item->GenerationInf(kInf9x), "$SRC_DIR$\\PRINTER\\WIN9X\\PRN9X.INF");
    EXPECT_EQ(item->GenerationInf(kInfNt), Disc("\\Printer\\WINNT\\prnnt.inf"));
    EXPECT_EQ(item->GenerationInf(kInf32), "$SRC_DIR$\\PRINTER\\VISTA\\PRN32.INF");
    EXPECT_EQ(item->GenerationInf(kInf64), "$SRC_DIR$\\PRINTER\\VISTA_64\\PRN64.INF");
    EXPECT_EQ(item->ShareName(), "2010PCL6");
    EXPECT_TRUE(item->SharePrinter());
    EXPECT_FALSE(item->DefaultPrinter());
    EXPECT_TRUE(log.Has("[](0)  Command is not available"));

    // INF names in the item's texts.
    EXPECT_EQ(item->GetRealData("$INF$|$SRC_INF$|$DEST_INF$", true),
              Disc("\\Printer\\Current\\xy2010.inf|") + Disc("\\Printer\\Current\\xy2010.inf|") + kInstallDir +
                  "\\Printer\\Current\\xy2010.inf");
    EXPECT_EQ(item->Result(), item->GetRealData("$INF$", true));
    EXPECT_EQ(item->GetRealData("$INF$"), "$INF$");
    EXPECT_EQ(item->GetRealData(static_cast<const char*>(nullptr)), "");
    EXPECT_EQ(item->Result(), "");
}

TEST_F(ItemTest, PrintersAndScannerResolvedOtherwise)
{
    // By driver name (index -1): the option /O names the driver; the given share name stays.
    auto by_name = Load("PRINTER_BYNAME");
    EXPECT_EQ(by_name->ModelIndex(), -1);
    EXPECT_EQ(by_name->DriverName(), "Velmora XY-1610 Series");
    EXPECT_EQ(by_name->ModelName(), "Velmora XY-1610 Series");
    EXPECT_EQ(by_name->PrinterName(), "Office Printer");
    EXPECT_FALSE(by_name->UniDrv());  // Include=ntprint.inf without Needs
    EXPECT_EQ(by_name->InstallParameters(), "/Q /I 9 /O \"Velmora XY-1610 Series\"");
    EXPECT_EQ(by_name->UninstallParameters(), "");
    EXPECT_EQ(by_name->ShareName(), "SHARED1");
    EXPECT_TRUE(by_name->DefaultPrinter());
    // A configured INF that does not exist is dropped; one that exists is kept, expanded.
    EXPECT_EQ(by_name->GenerationInf(kInf9x), "");
    EXPECT_EQ(by_name->GenerationInf(kInf32), Disc("\\Printer\\VISTA\\prn32.inf"));

    // By search: the running system's folder of WIN7_DIR holds the printer INF.
    auto found = Load("PRINTER_SEARCH");
    EXPECT_EQ(found->InfFile(), "$SRC_DIR$\\PRINTER\\CURRENT\\XY2010.INF");
    EXPECT_EQ(found->ComponentDir(), Disc("\\Printer\\Current"));
    EXPECT_EQ(found->ConfiguredComponentDir(), Disc("\\Printer"));
    EXPECT_EQ(found->DriverName(), "Velmora XY-2010 Series PCL 6");
    EXPECT_EQ(found->InstallParameters(), "/Q  /I 0");
    EXPECT_EQ(found->GenerationInf(kInf64), "$SRC_DIR$\\PRINTER\\VISTA_64\\PRN64.INF");
    EXPECT_TRUE(log.Has("Target Name : [Velmora XY-2010 Series PCL 6]"));

    // A scanner by search: its type's uninstall parameters name the model; its success code.
    auto scanner = Load("SCANNER");
    EXPECT_EQ(scanner->ComponentClass(), "Image");
    EXPECT_EQ(scanner->InfFile(), "$SRC_DIR$\\SCANNER\\SCAN.INF");
    EXPECT_EQ(scanner->InstallCommand(), "$SRC_DIR$\\Installer\\scaninst.exe");
    EXPECT_EQ(scanner->UninstallParameters(), "/X  /U \"Velmora Scan 1\"");
    EXPECT_EQ(scanner->ModelName(), "Velmora Scan 1");
    EXPECT_EQ(scanner->SuccessReturn(), 3);
    EXPECT_FALSE(scanner->IsPrinterItem());
}

TEST_F(ItemTest, ItemTypeAndInfOperationsDirectly)
{
    auto utility = Load("UTILITY");
    // No type serves "Modem", but the item's own install program exists: it becomes all three.
    EXPECT_TRUE(utility->GetCommandFromItemType("Modem"));
    EXPECT_EQ(utility->UninstallCommand(), "$SRC_DIR$\\Utility\\inst.exe");
    EXPECT_EQ(utility->ReinstallCommand(), "$SRC_DIR$\\Utility\\inst.exe");
    EXPECT_TRUE(utility->TypeResolved());
    EXPECT_FALSE(utility->GetCommandFromItemType(""));

    auto tool = Load("SETUP_TOOL");
    log.lines.clear();
    EXPECT_FALSE(tool->GetItemInfoFromInf());
    EXPECT_TRUE(log.Has("Invalid Inf File Name [Setup Tool]"));
    EXPECT_FALSE(tool->SetTargetCommand(""));

    std::string name;
    EXPECT_TRUE(tool->GetOSString("0X00020600.64", name));
    EXPECT_EQ(name, "VISTA64");
    EXPECT_FALSE(tool->GetOSString("0X00020400", name));  // unsupported
    EXPECT_FALSE(tool->GetOSString("0X00009999", name));

    std::string dest = "kept";
    tool->ConvertToDestination("", dest);
    EXPECT_EQ(dest, "kept");
    tool->ConvertToDestination(Disc("\\Tool\\setup.exe"), dest);
    EXPECT_EQ(dest, std::string(kInstallDir) + "\\Tool\\setup.exe");
}

// --- install types ---------------------------------------------------------------------

TEST_F(ItemTest, DeviceCheck)
{
    auto item = Load("DEVCHK_ITEM");
    const std::string match = "MFG:Velmora;MDL:Velmora XY-2010 Series;CLS:PRINTER;DES:XY-2010;";
    const std::string other = "MFG:Velmora;MDL:Velmora XY-1610 Series;CLS:PRINTER;";
    struct Case {
        const char* what;
        std::string ip, port;
        bool network;
        int desc_rc;
        std::string desc, port_id;
        int count;
        std::vector<std::string> ports;
        int type;
        std::vector<std::string> asked;
    } cases[] = {
        {"address matches", "10.0.0.5", "", false, 0, match, "", 0, {}, kInstallChecked, {"ip:10.0.0.5"}},
        {"address, other model", "10.0.0.5", "", false, 0, other, "", 0, {}, kInstallNo, {"ip:10.0.0.5"}},
        {"address unreadable", "10.0.0.5", "", false, 4096, match, "", 0, {}, kInstallUnchecked, {"ip:10.0.0.5"}},
        {"network port", "", "IP_10.0.0.7", true, 4096, "", match, 1, {"USB001"}, kInstallChecked,
         {"port:IP_10.0.0.7"}},
        {"local port not asked", "", "LPT1:", false, 4096, "", match, 2, {"USB003", "USB004"}, kInstallChecked,
         {"port:USB003"}},
        {"device port, other model", "", "LPT1:", false, 4096, "", other, 1, {"USB003"}, kInstallNo, {"port:USB003"}},
        {"no device port", "", "LPT1:", false, 4096, "", match, 0, {}, kInstallUnchecked, {}},
        {"no USB", "", "LPT1:", false, 4096, "", match, -1, {}, kInstallUnchecked, {}},
    };
    for (const auto& c : cases) {
        vars->SetIP(c.ip);
        vars->SetPort(c.port);
        vars->SetNetworkPrinter(c.network);
        device.desc_rc = c.desc_rc;
        device.desc = c.desc;
        device.port_id = c.port_id;
        device.asked.clear();
        libs.count = c.count;
        libs.ports = c.ports;
        EXPECT_EQ(item->GetInstallType("devchk"), c.type) << c.what;
        EXPECT_EQ(device.asked, c.asked) << c.what;
    }

    // No device string: UNCHK without asking; no device queries at all: nothing can be read.
    vars->SetIP("10.0.0.5");
    device.desc_rc = 0;
    device.desc = match;
    device.asked.clear();
    EXPECT_EQ(Load("DEVCHK_NOSTRING")->InstallType(), kInstallUnchecked);
    EXPECT_TRUE(device.asked.empty());
    services.device = nullptr;
    auto unqueried = Load("DEVCHK_ITEM");
    EXPECT_EQ(unqueried->InstallType(), kInstallUnchecked);
}

TEST_F(ItemTest, ItemStateFollowsTheSetupType)
{
    auto utility = Load("UTILITY");  // DEFAULT_INST_TYPE chk, TYPICAL ALL
    auto tool = Load("SETUP_TOOL");  // DEFAULT_INST_TYPE UNCHK only
    // No "Install_Type": unchanged.
    EXPECT_EQ(utility->GetItemState(false), kInstallChecked);
    EXPECT_EQ(tool->GetItemState(false), kInstallUnchecked);

    ASSERT_EQ(CRegistry::SetValue(kInstalling.c_str(), "Install_Type", "TYPICAL"), 0u);
    EXPECT_EQ(utility->GetItemState(true), kInstallChecked);  // keep: not re-read
    EXPECT_EQ(utility->GetItemState(false), kInstallAll);
    EXPECT_EQ(utility->InstallType(), kInstallAll);
    EXPECT_EQ(tool->GetItemState(false), kInstallUnchecked);  // falls back to DEFAULT_INST_TYPE

    ASSERT_EQ(CRegistry::SetValue(kInstalling.c_str(), "Install_Type", "typical"), 0u);  // keys ignore case
    EXPECT_EQ(utility->GetItemState(false), kInstallAll);
}

// --- installation checks -----------------------------------------------------------------

TEST_F(ItemTest, InstallationByUninstallValueOrInstalledRecord)
{
    auto utility = Load("UTILITY");
    auto tool = Load("SETUP_TOOL");
    EXPECT_FALSE(utility->CheckInstallation(false));

    // The UNINST_KEY value, any content.
    ASSERT_EQ(CRegistry::SetValue(kUninstallInfo.c_str(), "Utility_Uninst", ""), 0u);
    EXPECT_TRUE(utility->CheckInstallation(false));
    EXPECT_TRUE(utility->Installed());
    ASSERT_EQ(CRegistry::DeleteValue(kUninstallInfo.c_str(), "Utility_Uninst"), 0u);
    EXPECT_FALSE(utility->CheckInstallation(false));
    EXPECT_FALSE(utility->Installed());

    // Without UNINST_KEY: "InstallNow" 2 in the Installed record.
    const std::string record = kInstalled + "\\Items\\SETUP_TOOL";
    struct Case {
        bool dword;
        unsigned long number;
        bool installed;
    } cases[] = {{true, 2, true}, {true, 1, false}, {false, 0, false}};
    for (const auto& c : cases) {
        if (c.dword)
            CRegistry::SetValue(record.c_str(), "InstallNow", c.number);
        else
            CRegistry::SetValue(record.c_str(), "InstallNow", "2");  // a string does not count
        EXPECT_EQ(tool->CheckInstallation(false), c.installed) << c.dword << " " << c.number;
    }
}

TEST_F(ItemTest, InstalledItemsOfferRemovalAndRepair)
{
    ASSERT_EQ(CRegistry::SetValue(kUninstallInfo.c_str(), "Utility_Uninst", "C:\\Velmora\\uninst.log"), 0u);
    auto utility = Load("UTILITY");
    EXPECT_TRUE(utility->Installed());
    EXPECT_TRUE(utility->UninstallValid());
    EXPECT_FALSE(utility->ReinstallValid());  // its reinstall program is missing
    EXPECT_TRUE(log.Has("[$SRC_DIR$\\Utility\\missing.exe](2)  Command is not available"));

    ASSERT_EQ(CRegistry::SetValue((kInstalled + "\\Items\\SETUP_TOOL").c_str(), "InstallNow", 2UL), 0u);
    auto tool = Load("SETUP_TOOL");
    EXPECT_TRUE(tool->Installed());
    EXPECT_TRUE(tool->UninstallValid());
    EXPECT_TRUE(tool->ReinstallValid());
}

TEST_F(ItemTest, PrinterInstallationByDriver)
{
    auto item = Load("PRINTER_BYNAME");
    EXPECT_FALSE(item->Installed());
    DRIVER_INFO_3A driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<char*>("Velmora XY-1610 Series");
    driver.pDriverPath = const_cast<char*>("wineps.drv");
    driver.pDataFile = const_cast<char*>("generic.ppd");
    driver.pConfigFile = const_cast<char*>("wineps.drv");
    ASSERT_TRUE(::AddPrinterDriverExA(nullptr, 3, reinterpret_cast<LPBYTE>(&driver), APD_COPY_NEW_FILES))
        << ::GetLastError();
    auto cleanup = scope_exit([&] { ::DeletePrinterDriverA(nullptr, nullptr, driver.pName); });
    EXPECT_TRUE(item->CheckInstallation(false));
    EXPECT_FALSE(item->CheckInstallation(true));  // no printer uses it
    EXPECT_FALSE(item->Installed());
}

// --- records -------------------------------------------------------------------------------

TEST_F(ItemTest, UtilityRecord)
{
    auto item = Load("UTILITY");
    const std::string key = kInstalling + "\\Items\\UTILITY";
    item->SetSelected(true);
    ASSERT_TRUE(item->WriteItemInfo());
    EXPECT_TRUE(log.Has("Velmora Utility (7) item is checked!!"));
    // Wine lists a key's values sorted by name, so only the set is checked: nothing empty
    // is written (no ReinstParam), and there is no reinstall program value.
    std::vector<std::string> names = ValueNames(key);
    std::sort(names.begin(), names.end());
    const std::vector<std::string> expected = {"InstCmd",     "InstParam",      "InstallNow",
                                               "Item_Name",   "Reinstall_Value_Name", "Success_Return",
                                               "UninstCmd",   "UninstParam",    "Uninstall_Value_Name"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(RegText(key, "Item_Name"), "UTILITY");
    EXPECT_EQ(RegText(key, "InstCmd"), Disc("\\Utility\\inst.exe"));
    EXPECT_EQ(RegText(key, "UninstCmd"), Disc("\\Utility\\uninst.exe"));
    EXPECT_EQ(RegText(key, "InstParam"), "/A SP /B /L040A");
    EXPECT_EQ(RegText(key, "UninstParam"), "/U");
    EXPECT_EQ(RegText(key, "Uninstall_Value_Name"), "Utility_Uninst");
    EXPECT_EQ(RegText(key, "Reinstall_Value_Name"), "Utility_Reinst");
    EXPECT_EQ(RegNumber(key, "Success_Return"), 0);
    EXPECT_EQ(RegNumber(key, "InstallNow"), 1);

    // Unselected: no InstallNow 1 stays behind; the library's 2 does.
    item->SetSelected(false);
    log.lines.clear();
    ASSERT_TRUE(item->WriteItemInfo());
    EXPECT_EQ(RegNumber(key, "InstallNow"), -1);
    EXPECT_FALSE(log.Has("Velmora Utility (7) item is checked!!"));
    CRegistry::SetValue(key.c_str(), "InstallNow", 2UL);
    ASSERT_TRUE(item->WriteItemInfo());
    EXPECT_EQ(RegNumber(key, "InstallNow"), 2);
}

TEST_F(ItemTest, PrinterRecordWithPort)
{
    CRecordingLog printer_log;
    CMyPrinter table(printer_log);
    PRINTER_DATA record;
    record.driver_name = "Velmora XY-2010 Series PCL 6";
    record.port = "IP_10.0.0.9";
    record.item_key = 3;
    ASSERT_TRUE(table.AddRecord(record));
    services.printers = &table;

    auto item = Load("PRINTER");
    item->SetPrinterKey(3);
    item->SetSelected(true);
    ASSERT_TRUE(item->WriteItemInfo());
    const std::string key = kInstalling + "\\Items\\PRINTER";
    const std::string install = kInstallDir;
    EXPECT_EQ(RegText(key, "InstCmd"), Disc("\\Installer\\prninst.exe"));
    EXPECT_EQ(RegText(key, "InstParam"), "/Q  /I 0 /P\"IP_10.0.0.9\"");
    EXPECT_TRUE(log.Has("Modify install param of printer[Velmora XY-2010 Series PCL 6 Printer Driver] from [/Q  /I 0] "
                        "to [/Q  /I 0 /P\"IP_10.0.0.9\"]"));
    EXPECT_EQ(RegNumber(key, "Success_Return"), 0xFFFFFFFFLL);
    EXPECT_EQ(RegNumber(key, "InstallNow"), 1);
    EXPECT_EQ(RegText(key, "Driver_Name"), "Velmora XY-2010 Series PCL 6");
    EXPECT_EQ(RegNumber(key, "Printer"), 1);
    EXPECT_EQ(RegText(key, "Printer_Name"), "Velmora XY-2010 Series PCL 6");
    EXPECT_EQ(RegText(key, "Inf_Path"), install + "\\Printer\\Current\\xy2010.inf");
    EXPECT_EQ(RegText(key, "Win_9x_Inf"), install + "\\PRINTER\\WIN9X\\PRN9X.INF");
    EXPECT_EQ(RegText(key, "Win_NT_Inf"), install + "\\Printer\\WINNT\\prnnt.inf");
    EXPECT_EQ(RegText(key, "Win_32_Inf"), install + "\\PRINTER\\VISTA\\PRN32.INF");
    EXPECT_EQ(RegText(key, "Win_64_Inf"), install + "\\PRINTER\\VISTA_64\\PRN64.INF");
    EXPECT_EQ(RegText(key, "Share_Name"), "2010PCL6");
    EXPECT_EQ(RegNumber(key, "Share"), 1);
    EXPECT_EQ(RegNumber(key, "UniDrv"), 1);
    // The item's own parameters are not changed by the record.
    EXPECT_EQ(item->InstallParameters(), "/Q  /I 0");

    // No entry for the item in the table: no port option.
    item->SetPrinterKey(4);
    ASSERT_TRUE(item->WriteItemInfo());
    EXPECT_EQ(RegText(key, "InstParam"), "/Q  /I 0");
    std::string params = "/S";
    EXPECT_FALSE(item->ModifyPrinterPortCommand(params));
    std::string empty;
    item->SetPrinterKey(3);
    EXPECT_FALSE(item->ModifyPrinterPortCommand(empty));

    // A second printer: no share name, INFs or printer name missing means no such values.
    auto by_name = Load("PRINTER_BYNAME");
    ASSERT_TRUE(by_name->WriteItemInfo());
    const std::string key2 = kInstalling + "\\Items\\PRINTER_BYNAME";
    EXPECT_EQ(RegText(key2, "Win_9x_Inf"), "<none>");
    EXPECT_EQ(RegText(key2, "Win_32_Inf"), install + "\\Printer\\VISTA\\prn32.inf");
    EXPECT_EQ(RegText(key2, "Printer_Name"), "Office Printer");
    EXPECT_EQ(RegNumber(key2, "InstallNow"), -1);
    EXPECT_EQ(RegNumber(key2, "UniDrv"), 0);
}

TEST_F(ItemTest, CopyFileRecords)
{
    auto utility = Load("UTILITY");  // copied only when selected
    const std::string copy = kInstalling + "\\CopyFiles\\";
    ASSERT_TRUE(utility->WriteCopyFileInfo());
    EXPECT_FALSE(KeyExists(copy + "UTILITY"));
    utility->SetSelected(true);
    ASSERT_TRUE(utility->WriteCopyFileInfo());
    EXPECT_EQ(RegText(copy + "UTILITY", "Description"), "Velmora Utility (7)");
    EXPECT_EQ(RegText(copy + "UTILITY", "Src"), Disc("\\Utility"));
    EXPECT_EQ(RegText(copy + "UTILITY", "Dest"), std::string(kInstallDir) + "\\Utility");
    EXPECT_EQ(RegNumber(copy + "UTILITY", "CopySubDir"), 1);
    EXPECT_EQ(RegNumber(copy + "UTILITY", "Delete"), 1);
    EXPECT_FALSE(KeyExists(copy + "UTILITY_0"));

    auto printer = Load("PRINTER");  // always copied, with each generation's INF directory
    ASSERT_TRUE(printer->WriteCopyFileInfo());
    struct Case {
        const char* key;
        std::string src;
        std::string dest;
    } cases[] = {
        {"PRINTER", Disc("\\Printer"), std::string(kInstallDir) + "\\Printer"},
        {"PRINTER_0", Disc("\\PRINTER\\WIN9X"), std::string(kInstallDir) + "\\PRINTER\\WIN9X"},
        {"PRINTER_1", Disc("\\Printer\\WINNT"), std::string(kInstallDir) + "\\Printer\\WINNT"},
        {"PRINTER_2", Disc("\\PRINTER\\VISTA"), std::string(kInstallDir) + "\\PRINTER\\VISTA"},
        {"PRINTER_3", Disc("\\PRINTER\\VISTA_64"), std::string(kInstallDir) + "\\PRINTER\\VISTA_64"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RegText(copy + c.key, "Src"), c.src) << c.key;
        EXPECT_EQ(RegText(copy + c.key, "Dest"), c.dest) << c.key;
        EXPECT_EQ(RegText(copy + c.key, "Description"), printer->DisplayName()) << c.key;
    }
    EXPECT_FALSE(KeyExists(copy + "PRINTER_4"));

    // Both paths are needed.
    printer->SetRegCopyFileInfo("C:\\a", "", 7);
    printer->SetRegCopyFileInfo("", "C:\\b", 8);
    EXPECT_FALSE(KeyExists(copy + "PRINTER_7"));
    EXPECT_FALSE(KeyExists(copy + "PRINTER_8"));
}

TEST_F(ItemTest, DeleteInstalledItemKey)
{
    auto utility = Load("UTILITY");
    const std::string items = kInstalled + "\\Items\\";
    ASSERT_EQ(CRegistry::SetValue((items + "UTILITY\\Sub").c_str(), "X", "1"), 0u);
    ASSERT_EQ(CRegistry::SetValue((items + "OTHER").c_str(), "InstallNow", 2UL), 0u);
    EXPECT_TRUE(utility->DeleteInstallKey());
    EXPECT_FALSE(KeyExists(items + "UTILITY"));
    EXPECT_TRUE(KeyExists(items + "OTHER"));
    EXPECT_FALSE(utility->DeleteInstallKey());

    // A nameless item touches nothing.
    CItemInfo nameless(*vars, log, services);
    EXPECT_FALSE(nameless.DeleteInstallKey());
    EXPECT_FALSE(nameless.WriteItemInfo());
    EXPECT_TRUE(KeyExists(items + "OTHER"));
}

// --- log -------------------------------------------------------------------------------------

TEST_F(ItemTest, ItemInformationBlock)
{
    auto item = Load("PRINTER_BYNAME");
    log.lines.clear();
    item->ShowItemInfo();
    const std::string ruler(84, '-');
    const std::vector<std::string> expected = {
        " ",
        " ",
        "======= [PRINTER_BYNAME] Item Information =========",
        " ",
        " Installation Valid : [1] ",
        " Uninstallation Valid : [0] ",
        " Reinstallation Valid : [0] ",
        " Item Installed : [0] ",
        " ",
        "Class = [Printer]",
        "Component Directory = []",
        "Device String = []",
        "Display Name = [Second printer]",
        "Install Description = []",
        "Remove Description = []",
        "Repair Description = []",
        "Tooltip = []",
        "Unsupported OS = []",
        "Copy File = [0]",
        "Copy File (Selected) = [0]",
        "Install Type = [0]",
        ruler,
        "Inf = [$SRC_DIR$\\Printer\\Current\\xy2010.inf]",
        "TargetInf = [$DEST_INST_DIR$\\Printer\\Current\\xy2010.inf]",
        "Install Command = [$SRC_DIR$\\Installer\\prninst.exe]",
        "Install Parameter = [/Q /I 9 /O \"Velmora XY-1610 Series\"]",
        "Uninstall Command = [$SRC_DIR$\\Installer\\prninst.exe]",
        "Uninstall Parameter = []",
        "Uninstall Key = []",
        "Reinstall Command = [$SRC_DIR$\\Installer\\prninst.exe]",
        "Reinstall Parameter = [/RE /O \"Velmora XY-1610 Series\"]",
        "Reinstall Key = []",
        "Success Return = [-1]",
        ruler,
        "LangID = [0X0409]",
        "Lang Abbr = [EN]",
        "Lang Dir = [English]",
        "Lang Section = []",
        "Driver name = [Velmora XY-1610 Series]",
        "Printer name = [Office Printer]",
        "Share name = [SHARED1]",
        "Win9x Inf = []",
        "WinNT Inf = []",
        "Win32 Inf = [" + Disc("\\Printer\\VISTA\\prn32.inf") + "]",
        "Win64 Inf = []",
        "Driver Index = [-1]",
        "Share option = [0]",
        "Default = [1]",
        "Uni Drv = [0]",
        ruler,
        " ",
        " ",
    };
    EXPECT_EQ(log.lines, expected);

    item.reset();
    EXPECT_TRUE(log.Has("[PRINTER_BYNAME] Item is being destoried!!"));
}

// --- guards ------------------------------------------------------------------------------------

TEST_F(ItemTest, FaultsFailTheOperationWithItsLine)
{
    CRecordingLog printer_log;
    CMyPrinter table(printer_log);
    PRINTER_DATA record;
    record.port = "IP_10.0.0.9";
    record.item_key = 3;
    ASSERT_TRUE(table.AddRecord(record));
    services.printers = &table;

    struct Case {
        const char* what;
        std::string trigger;  // the log line that faults
        bool hardware;
        std::function<bool()> run;  // the operation's result
        bool result;
        std::vector<std::string> lines;
    } cases[] = {
        {"load", "[UTILITY] Component Loading", true, [&] { return Make()->LoadItemInfo("UTILITY"); }, false,
         {"GPF in CItemInfo::LoadItemInfo [UTILITY]"}},
        {"item information", " UNSUPPORTED is not available", false,
         [&] { return Make()->LoadItemInfo("UNSUPPORTED"); }, false,
         {"GPF in CItemInfo::GetItemInfo [UNSUPPORTED]", "[UNSUPPORTED] Loading Default Item information ==> Fail!!"}},
        // The command check fails; the search then finds the printer anyway.
        {"command check", "[](0)  Command is not available", true, [&] { return Make()->LoadItemInfo("PRINTER"); },
         true, {"GPF in CItemInfo::CheckCommand", "<==Target Found!!!!==>"}},
        {"item check", "Find Target (", false, [&] { return Make()->LoadItemInfo("SCANNER"); }, false,
         {"GPF in CItemInfo::CheckItemCmd", "[SCANNER] Item is not available!!!!"}},
        {"item type", "there is no matched inf installer section", true,
         [&] { return Make()->LoadItemInfo("MODEM"); }, false,
         {"GPF in CItemInfo::GetCommandFromItemType(Modem)", "[" + Disc("\\Other\\modem.inf") + "] Inf has wrong data"}},
        {"inf", "Invalid Inf File Name", false,
         [&] {
             auto item = Make();
             item->LoadItemInfo("SETUP_TOOL");
             log.trigger = "Invalid Inf File Name";
             return item->GetItemInfoFromInf();
         },
         false, {"GPF in CItemInfo::GetItemInfoFromInf"}},
        {"record", "item is checked!!", true,
         [&] {
             auto item = Make();
             item->LoadItemInfo("UTILITY");
             item->SetSelected(true);
             log.trigger = "item is checked!!";
             const bool ok = item->WriteItemInfo();
             return ok || RegNumber(kInstalling + "\\Items\\UTILITY", "InstallNow") != -1;
         },
         false, {"GPF in CItemInfo::WriteItemInfo"}},
        {"port option", "Modify install param", false,
         [&] {
             auto item = Make();
             item->LoadItemInfo("PRINTER");
             item->SetPrinterKey(3);
             log.trigger = "Modify install param";
             return item->WriteItemInfo() &&
                    RegText(kInstalling + "\\Items\\PRINTER", "InstParam") == "/Q  /I 0";
         },
         true, {"GPF in CItemInfo::ModifyPrinterPortCommand(/Q  /I 0)"}},
        {"information block", "Class = [", true,
         [&] {
             auto item = Make();
             log.trigger.clear();
             item->LoadItemInfo("UTILITY");
             log.trigger = "Class = [";
             item->ShowItemInfo();
             return false;
         },
         false, {"GPF in CItemInfo::ShowItemInfo"}},
    };
    for (auto& c : cases) {
        log.lines.clear();
        log.trigger = c.trigger;
        log.hardware = c.hardware;
        EXPECT_EQ(c.run(), c.result) << c.what << "\n" << log.All();
        for (const auto& line : c.lines) EXPECT_EQ(log.Count(line), 1) << c.what << ": " << line << "\n" << log.All();
        log.trigger.clear();
        CRegistry::DeleteKey(kInstalling.c_str(), false);
    }
}

TEST_F(ItemTest, FaultsInCollaborators)
{
    auto item = Load("DEVCHK_ITEM");
    vars->SetIP("10.0.0.5");
    for (bool hardware : {false, true}) {
        log.lines.clear();
        device.fault = !hardware;
        device.hardware = hardware;
        EXPECT_EQ(item->GetInstallType("devchk"), kInstallNo) << hardware;
        EXPECT_EQ(log.Count("GPF in CItemInfo::GetInstallType[devchk]"), 1) << hardware;
    }
    device.fault = device.hardware = false;

    // A file test that throws while the printer's INFs are read; the load goes on.
    platform.throw_on_exists = Disc("\\Printer\\VISTA\\prn32.inf");
    log.lines.clear();
    auto printer = Load("PRINTER_BYNAME");
    EXPECT_EQ(log.Count("GPF in CItemInfo::GetItemPrinter [PRINTER_BYNAME]"), 1) << log.All();
    EXPECT_EQ(printer->DriverName(), "Velmora XY-1610 Series");  // read before the fault
    EXPECT_FALSE(printer->DefaultPrinter());  // read after it: left as it was
    EXPECT_EQ(printer->ModelIndex(), 1);      // INDEX unread: the INF's index of the named model
    EXPECT_EQ(printer->ShareName(), "XY1610");  // SHARE_NAME unread: made from the driver name
}

}  // namespace
