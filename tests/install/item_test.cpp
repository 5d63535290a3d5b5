// The item collection under Wine: loading in list order with progress, the default printer
// choice, the AGFA rule, the printer-settings table, copy-file, shortcut and failure records
// under a scratch product key, the whole-list questions, the guard lines; and the demo disc's
// items (copied with a scratch program name) end to end.
#include "install/item.h"

#include "app/messages.h"
#include "app/window_progress.h"
#include "config/installer_vars.h"
#include "platform/unique_handle.h"
#include "platform/vars_platform_win.h"
#include "system/my_printer.h"
#include "system/registry.h"

#include <gtest/gtest.h>

#include "tests/support/disc_platform.h"
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const std::string kDisc = std::string(QV_SOURCE_DIR) + "\\tests\\data\\collection\\disc";

using DiscPlatform = CDiscPlatform;

// Records every line; the first line that contains `trigger` throws instead.
class TriggerLog final : public ILogSink {
public:
    std::vector<std::string> lines;
    std::string trigger;

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
        char buffer[8192];
        std::vsnprintf(buffer, sizeof buffer, fmt, ap);
        if (!trigger.empty() && std::string(buffer).find(trigger) != std::string::npos) {
            trigger.clear();
            throw std::runtime_error("log fault");
        }
        lines.push_back(buffer);
    }
};

class NullSink final : public ILogSink {
protected:
    void WriteV(uint32_t, const char*, va_list) override {}
};

struct RecordingRunner final : ICommandRunner {
    std::vector<std::string> runs;  // "TYPE|Param1"
    bool result = true;
    bool fault = false;
    bool RunCommand(const CommandBlock& block) override
    {
        if (fault) throw std::runtime_error("runner");
        runs.push_back(block.type + "|" + block.Param(1));
        return result;
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

// The progress window: a real window that records the progress messages it is sent.
struct ProgressWindow {
    struct Message {
        unsigned message;
        WPARAM wparam;
        LPARAM lparam;
    };
    static std::vector<Message>& Received()
    {
        static std::vector<Message> received;
        return received;
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        if (msg >= WM_USER) Received().push_back({msg, wp, lp});
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    HWND hwnd = nullptr;
    ProgressWindow()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "QvCollProgress";
        RegisterClassA(&wc);
        hwnd = CreateWindowExA(0, "QvCollProgress", "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        Received().clear();
    }
    ~ProgressWindow() { DestroyWindow(hwnd); }
};

// Counts repaints and hands everything on to the window adapter.
struct CountingProgress final : IProgressWindow {
    CWindowProgress window;
    int repaints = 0;
    std::function<void()> on_send;
    explicit CountingProgress(HWND hwnd) : window(hwnd) {}
    void Send(unsigned message, uintptr_t wparam, intptr_t lparam) override
    {
        if (on_send) on_send();
        window.Send(message, wparam, lparam);
    }
    void Repaint() override
    {
        ++repaints;
        window.Repaint();
    }
};

// Installer variables over a data file of the collection disc, and a scratch product key.
class CollectionTest : public ::testing::Test {
protected:
    void Open(const std::string& program, const std::string& product_key)
    {
        product_key_ = product_key;
        CRegistry::DeleteKey(product_key_.c_str(), false);
        platform = std::make_unique<DiscPlatform>(program);
        vars = std::make_unique<CInstallerVars>(*platform, vars_log);
        ASSERT_TRUE(vars->Initialize());
    }
    void SetUp() override
    {
        Open(kDisc + "\\Setup.exe", "Software\\Velmora\\QvCollTest");
        ASSERT_EQ(vars->Settings().os_define, "WIN7");
    }
    void TearDown() override
    {
        items.reset();
        CRegistry::DeleteKey(product_key_.c_str(), false);
    }
    CItem& Items()
    {
        if (!items) items = std::make_unique<CItem>(*vars, log, &table);
        return *items;
    }
    std::string Installing() const { return vars->RegistryRoots().installing; }
    std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (int i = 0; i < Items().GetCount(); ++i) names.push_back(Items().GetItem(i)->Name());
        return names;
    }

    NullSink vars_log;
    TriggerLog log;
    NullSink table_log;
    CMyPrinter table{table_log};
    std::unique_ptr<DiscPlatform> platform;
    std::unique_ptr<CInstallerVars> vars;
    std::unique_ptr<CItem> items;
    std::string product_key_;
};

// --- loading -----------------------------------------------------------------------------------

TEST_F(CollectionTest, LoadsTheListInOrderWithProgressAndDropsUnsupportedItems)
{
    ProgressWindow window;
    CountingProgress progress(window.hwnd);
    ASSERT_TRUE(Items().Init(std::string(), &progress)) << log.All();
    EXPECT_EQ(Items().SectionName(), "ITEM_INFO");
    EXPECT_EQ(Names(), (std::vector<std::string>{"UTIL_A", "UTIL_B"}));
    EXPECT_EQ(Items().GetItem(0)->PrinterKey(), 0);
    EXPECT_EQ(Items().GetItem(1)->PrinterKey(), 1);
    EXPECT_EQ(Items().GetItem(2), nullptr);  // index equal to the count
    EXPECT_EQ(Items().GetItem(-1), nullptr);
    EXPECT_TRUE(log.Has(" UNSUPPORTED_HERE is not available in this OS(WIN7)"));
    EXPECT_TRUE(log.Has("[UNSUPPORTED_HERE] Item is being destoried!!"));
    EXPECT_TRUE(log.Has("[UTIL_B] Component Loading ..."));  // the entry is trimmed
    EXPECT_EQ(Items().UninstallEntrySection(), "ADD_REG.UNINST_EN");  // expanded

    // Pages are not pre-created here: 70 percent over the three entries, then one step each.
    const auto& got = ProgressWindow::Received();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].message, 2043u);
    EXPECT_EQ(got[0].wparam, 70u);
    EXPECT_EQ(got[0].lparam, 3);
    for (size_t i = 1; i < got.size(); ++i) {
        EXPECT_EQ(got[i].message, WM_USER_PROGRESS);
        EXPECT_EQ(got[i].wparam, 0u);
        EXPECT_EQ(got[i].lparam, 0);
    }
    EXPECT_EQ(progress.repaints, 3);
}

TEST_F(CollectionTest, MissingListFailsButStillReadsTheRest)
{
    EXPECT_FALSE(Items().Init("NO_SUCH_LIST"));
    EXPECT_EQ(Items().SectionName(), "");
    EXPECT_EQ(Items().GetCount(), 0);
    EXPECT_EQ(Items().UninstallEntrySection(), "ADD_REG.UNINST_EN");
    // Without a progress window nothing is sent; Refresh goes back to the default list.
    EXPECT_TRUE(Items().Refresh());
    EXPECT_EQ(Items().SectionName(), "ITEM_INFO");
    EXPECT_EQ(Names(), (std::vector<std::string>{"UTIL_A", "UTIL_B"}));
    log.lines.clear();
    EXPECT_TRUE(Items().Refresh());
    EXPECT_EQ(Items().GetCount(), 2);  // rebuilt, not appended
    EXPECT_TRUE(log.Has("[UTIL_A] Item is being destoried!!"));
}

// --- default printer and the AGFA rule ------------------------------------------------------------

TEST_F(CollectionTest, DefaultPrinterChoice)
{
    struct Case {
        const char* list;
        std::vector<bool> defaults;
        const char* logged;  // driver named in the log, null for none
    } cases[] = {
        {"ORDER_PS_PCL6_PLAIN", {false, true, false}, "Velmora LX-200 PCL 6"},
        {"ORDER_PLAIN_PCL6", {true, false}, "Velmora LX-100"},
        {"ORDER_PCL6_PLAIN", {true, false}, "Velmora LX-200 PCL 6"},  // a later plain one does not displace it
        {"ORDER_UTIL_PS_PCL6", {false, false, true}, "Velmora LX-200 PCL 6"},
        {"ORDER_PS_ONLY", {false, false}, nullptr},                     // a PS driver is never chosen
        {"ORDER_PLAIN_THEN_DEFAULT", {true, true}, "Velmora LX-100"},  // chosen before the walk meets the configured one
        {"ORDER_DEFAULT_FIRST", {true, false}, nullptr},                // a configured default ends the walk
    };
    for (const auto& c : cases) {
        items.reset();
        log.lines.clear();
        ASSERT_TRUE(Items().Init(c.list)) << c.list;
        ASSERT_EQ(Items().GetCount(), int(c.defaults.size())) << c.list << "\n" << log.All();
        for (int i = 0; i < Items().GetCount(); ++i)
            EXPECT_EQ(Items().GetItem(i)->DefaultPrinter(), c.defaults[size_t(i)]) << c.list << " item " << i;
        int lines = 0;
        for (const auto& l : log.lines) lines += l.find("driver was set as default printer") != std::string::npos;
        EXPECT_EQ(lines, c.logged ? 1 : 0) << c.list;
        if (c.logged) EXPECT_TRUE(log.Has(std::string(c.logged) + " driver was set as default printer")) << c.list;
    }
}

TEST_F(CollectionTest, PclDriverSwitchesAgfaOnUnlessConfigured)
{
    EXPECT_FALSE(vars->Options().Agfa());
    ASSERT_TRUE(Items().Init("ORDER_PLAIN_PCL6"));
    EXPECT_TRUE(vars->Options().Agfa());
    EXPECT_EQ(log.Count("AGFA Option is ON"), 1);

    // AGFA = 0 given: a PCL 5e driver changes nothing. Pages are pre-created there: 10 percent.
    items.reset();
    log.lines.clear();
    Open(kDisc + "\\Agfa.exe", "Software\\Velmora\\QvCollAgfa");
    ProgressWindow window;
    CountingProgress progress(window.hwnd);
    ASSERT_TRUE(Items().Init(std::string(), &progress));
    ASSERT_EQ(Items().GetCount(), 1);
    EXPECT_TRUE(vars->Options().AgfaGiven());
    EXPECT_FALSE(vars->Options().Agfa());
    EXPECT_FALSE(log.Has("AGFA Option is ON"));
    ASSERT_FALSE(ProgressWindow::Received().empty());
    EXPECT_EQ(ProgressWindow::Received()[0].wparam, 10u);
    EXPECT_EQ(ProgressWindow::Received()[0].lparam, 1);
    EXPECT_TRUE(Items().GetItem(0)->DefaultPrinter());  // " PCL 5e" is a plain driver
}

// --- the printer-settings table ------------------------------------------------------------------

TEST_F(CollectionTest, PrinterTableFromThePrinterItems)
{
    ASSERT_TRUE(Items().Init("TABLE_MIX"));
    ASSERT_EQ(Items().GetCount(), 5);
    table.AddRecord(PRINTER_DATA());  // an old entry goes

    ASSERT_TRUE(Items().SetPrinterInfo(table));
    ASSERT_EQ(table.GetCount(), 4);
    PRINTER_DATA r;
    ASSERT_TRUE(table.GetRecord(0, r));
    EXPECT_EQ(r.driver_name, "Velmora LX-100");
    EXPECT_EQ(r.printer_name, "Velmora LX-100 (Office)");
    EXPECT_EQ(r.share_name, "LX100");
    EXPECT_EQ(r.port, vars->Settings().port);
    EXPECT_FALSE(r.port.empty());
    EXPECT_TRUE(r.default_printer);
    EXPECT_TRUE(r.share);
    EXPECT_FALSE(r.network_port);
    EXPECT_EQ(r.position, 0);
    EXPECT_EQ(r.item_key, 1);  // the utility before it holds index 0
    for (int i = 1; i < 4; ++i) {
        ASSERT_TRUE(table.GetRecord(i, r));
        EXPECT_EQ(r.position, i);
        EXPECT_EQ(r.item_key, i + 1);
        EXPECT_FALSE(r.default_printer);
    }

    // Offered only: the unchecked printer stays out; positions stay consecutive.
    ASSERT_TRUE(Items().SetPrinterInfo(table, true));
    ASSERT_EQ(table.GetCount(), 3);
    const int keys[] = {1, 3, 4};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(table.GetRecord(i, r));
        EXPECT_EQ(r.position, i);
        EXPECT_EQ(r.item_key, keys[i]);
    }
}

TEST_F(CollectionTest, PrinterTableHoldsTenOfElevenPrinters)
{
    ASSERT_TRUE(Items().Init("ELEVEN"));
    ASSERT_EQ(Items().GetCount(), 11);
    ASSERT_TRUE(Items().SetPrinterInfo(table));
    EXPECT_EQ(table.GetCount(), 10);
    std::string port;
    EXPECT_TRUE(table.GetPortByKey(9, port));
    EXPECT_FALSE(table.GetPortByKey(10, port));
}

// --- records ---------------------------------------------------------------------------------------

TEST_F(CollectionTest, CopyFileRecords)
{
    ASSERT_TRUE(Items().WriteDefaultCopyFileInfo());
    const std::string plain = Installing() + "\\CopyFiles\\COPY_PLAIN";  // the entry is trimmed
    EXPECT_EQ(RegText(plain, "Description"), "Plain files");
    EXPECT_EQ(RegText(plain, "Src"), kDisc + "\\Plain");
    EXPECT_EQ(RegText(plain, "Dest"), "C:\\QvCollTest\\Dest\\Plain");
    EXPECT_EQ(RegNumber(plain, "CopySubDir"), -1);  // no COPY_SUBDIR: no value
    EXPECT_EQ(RegNumber(plain, "Delete"), 1);       // no DELETE: 1

    // The running system's variant replaces the section and names the record.
    EXPECT_FALSE(KeyExists(Installing() + "\\CopyFiles\\COPY_VARIANT"));
    const std::string variant = Installing() + "\\CopyFiles\\COPY_VARIANT.WIN7";
    EXPECT_EQ(RegText(variant, "Src"), kDisc + "\\Win7");
    EXPECT_EQ(RegNumber(variant, "CopySubDir"), 0);
    EXPECT_EQ(RegNumber(variant, "Delete"), 0);

    EXPECT_FALSE(Items().WriteCopyFileInfo(" \t"));
    EXPECT_EQ(RegNumber(Installing() + "\\CopyFiles", "Delete"), -1);  // not the CopyFiles key itself
}

TEST_F(CollectionTest, ShortcutRecordsAndTheShortcutList)
{
    ASSERT_TRUE(Items().WriteShortcutInfo());
    const std::string full = Installing() + "\\Shortcut\\SC_FULL";
    EXPECT_EQ(RegText(full, "Name"), "Velmora Utility");
    EXPECT_EQ(RegText(full, "Target"), "C:\\QvCollTest\\Dest\\Tools\\util.exe");
    EXPECT_EQ(RegText(full, "Start_in"), "C:\\QvCollTest\\Dest");
    EXPECT_EQ(RegText(full, "Argument"), "/start");
    EXPECT_EQ(RegText(full, "Icon_File"), "C:\\QvCollTest\\Dest\\Tools\\util.ico");
    EXPECT_EQ(RegText(full, "Folder_Name"), "Velmora");
    EXPECT_EQ(RegNumber(full, "Icon_Index"), 2);
    EXPECT_EQ(RegNumber(full, "Permission"), 1);
    EXPECT_EQ(RegNumber(full, "Group"), 1);  // "desktop", any case
    EXPECT_EQ(RegText(full, "Icon_Description"), "Starts the utility");
    EXPECT_EQ(RegNumber(full, "Delete"), 0);

    EXPECT_FALSE(KeyExists(Installing() + "\\Shortcut\\SC_NONAME"));

    const std::string defaults = Installing() + "\\Shortcut\\SC_DEFAULTS";
    EXPECT_EQ(RegText(defaults, "Start_in"), "C:\\QvCollTest\\Dest\\Docs");  // from the quoted target
    EXPECT_EQ(RegText(defaults, "Argument"), "");
    EXPECT_EQ(RegText(defaults, "Icon_Description"), "");
    EXPECT_EQ(RegNumber(defaults, "Icon_Index"), 0);
    EXPECT_EQ(RegNumber(defaults, "Permission"), 0);
    EXPECT_EQ(RegNumber(defaults, "Group"), 0);
    EXPECT_EQ(RegNumber(defaults, "Delete"), 1);

    ASSERT_EQ(Items().GetShortcutCount(), 2);
    EXPECT_EQ(*Items().GetShortcutName(0), "SC_FULL");
    EXPECT_EQ(*Items().GetShortcutName(1), "SC_DEFAULTS");
    EXPECT_EQ(Items().GetShortcutName(2), nullptr);
    // The list is never emptied.
    ASSERT_TRUE(Items().WriteShortcutInfo());
    EXPECT_EQ(Items().GetShortcutCount(), 4);
    EXPECT_EQ(*Items().GetShortcutName(3), "SC_DEFAULTS");
    EXPECT_FALSE(Items().WriteAShortcutInfo("SC_NONAME"));
    EXPECT_EQ(Items().GetShortcutCount(), 4);
}

TEST_F(CollectionTest, InstallFailureRecord)
{
    ASSERT_TRUE(Items().Init());
    EXPECT_EQ(Items().GetFailCount(), 0);
    EXPECT_TRUE(Items().WriteFailItem(0));
    EXPECT_TRUE(Items().WriteFailItem(1));
    EXPECT_TRUE(Items().WriteFailItem(0));
    EXPECT_FALSE(Items().WriteFailItem(2));
    const std::string key = Installing() + "\\InstallFail";
    EXPECT_EQ(RegNumber(key, "Count"), 3);
    EXPECT_EQ(RegText(key, "0"), "UTIL_A");
    EXPECT_EQ(RegText(key, "1"), "UTIL_B");
    EXPECT_EQ(RegText(key, "2"), "UTIL_A");
    EXPECT_EQ(Items().GetFailCount(), 3);
    EXPECT_EQ(Items().GetFailItemName(1), "Utility B");
    EXPECT_EQ(Items().GetFailItemName(3), "");
    CRegistry::SetValue(key.c_str(), "3", "util_b");  // names compare ignoring case
    EXPECT_EQ(Items().GetFailItemName(3), "Utility B");
    CRegistry::SetValue(key.c_str(), "4", "GONE");
    EXPECT_EQ(Items().GetFailItemName(4), "");
}

// --- whole-list questions, remove-all, the uninstall entry -----------------------------------------

TEST_F(CollectionTest, InstalledItemsRemoveAllAndTheUninstallEntry)
{
    // UTIL_A counts as installed by its UNINST_KEY value.
    CRegistry::SetValue(vars->RegistryRoots().uninstall_info.c_str(), "QvCollUtilA", "1");
    RecordingRunner runner;
    ASSERT_TRUE(Items().Init());
    ASSERT_TRUE(Items().GetItem(0)->Installed());
    ASSERT_FALSE(Items().GetItem(1)->Installed());
    EXPECT_FALSE(Items().IsthereInstalledItem());  // no Dest_Dir under the Installed key
    CRegistry::SetValue(vars->RegistryRoots().installed.c_str(), "Dest_Dir", "C:\\QvCollTest\\Dest");
    EXPECT_TRUE(Items().IsthereInstalledItem());

    EXPECT_FALSE(Items().SetDeleteAll());  // no command runner: the setup type cannot be set
    Items().SetCommandRunner(&runner);
    EXPECT_TRUE(Items().SetDeleteAll());
    EXPECT_TRUE(Items().GetItem(0)->Selected());
    EXPECT_FALSE(Items().GetItem(1)->Selected());
    EXPECT_EQ(RegNumber(Installing() + "\\Items\\UTIL_A", "InstallNow"), 1);
    EXPECT_FALSE(KeyExists(Installing() + "\\Items\\UTIL_B"));
    EXPECT_TRUE(Items().RegisterUninstallEntry());
    EXPECT_TRUE(Items().UnregisterUninstallEntry());
    EXPECT_EQ(runner.runs, (std::vector<std::string>{"CT_SET_SETUP_TYPE|UNINST", "CT_ADDREG|ADD_REG.UNINST_EN",
                                                     "CT_DELREG|ADD_REG.UNINST_EN"}));
    Items().ClearSelection();
    EXPECT_FALSE(Items().GetItem(0)->Selected());

    // The Installed item key of an index; none outside the list.
    CRegistry::SetValue((vars->RegistryRoots().installed + "\\Items\\UTIL_B").c_str(), "InstallNow", 2UL);
    EXPECT_TRUE(Items().DeleteItemInstallKey(1));
    EXPECT_FALSE(KeyExists(vars->RegistryRoots().installed + "\\Items\\UTIL_B"));
    EXPECT_FALSE(Items().DeleteItemInstallKey(2));
}

// --- guard lines ---------------------------------------------------------------------------------

TEST_F(CollectionTest, FaultsBecomeTheOperationsLogLines)
{
    {
        // A progress window that throws, then one that faults.
        for (bool hardware : {false, true}) {
            items.reset();
            log.lines.clear();
            ProgressWindow window;
            CountingProgress progress(window.hwnd);
            progress.on_send = [hardware] {
                if (hardware) *static_cast<volatile int*>(nullptr) = 1;
                throw std::runtime_error("progress");
            };
            EXPECT_FALSE(Items().Init(std::string(), &progress));
            EXPECT_TRUE(log.Has("GPF occurred in CItem::Init!!!")) << hardware;
        }
    }
    items.reset();
    log.lines.clear();
    log.trigger = "driver was set as default printer";
    EXPECT_TRUE(Items().Init("ORDER_PLAIN_PCL6"));  // the walk ends, the load stands
    EXPECT_TRUE(log.Has("GPF occurrred in CItem::FindAndSetDefaultPrinter!!!"));
    EXPECT_EQ(Items().GetCount(), 2);

    RecordingRunner runner;
    runner.fault = true;
    Items().SetCommandRunner(&runner);
    EXPECT_FALSE(Items().RegisterUninstallEntry());
    EXPECT_TRUE(log.Has("GPF occurrred in CItem::RegisterUninstallEntry!!!"));
}

// --- the demo disc ------------------------------------------------------------------------------

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void CopyTree(const std::string& from, const std::string& to)
{
    CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((from + "\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) CopyTree(from + "\\" + name, to + "\\" + name);
        else CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE);
    } while (FindNextFileA(find, &fd));
    FindClose(find);
}

void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = dir + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
            else DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &fd));
        FindClose(find);
    }
    RemoveDirectoryA(dir.c_str());
}

// The demo disc from the source tree as program QvCollDemo (its own product key).
class DemoTest : public CollectionTest {
protected:
    std::string disc;
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        disc = std::string(temp) + "qvcoll_demo";
        RemoveTree(disc);
        CopyTree(std::string(QV_SOURCE_DIR) + "\\examples\\demo", disc);
        std::string dat = ReadAll(disc + "\\Setup.dat");
        const std::string from = "PROGRAM_NAME = Velmora LX-200 Installer";
        const size_t at = dat.find(from);
        ASSERT_NE(at, std::string::npos);
        dat.replace(at, from.size(), "PROGRAM_NAME = QvCollDemo");
        std::ofstream(disc + "\\QvCollDemo.dat", std::ios::binary) << dat;
        Open(disc + "\\QvCollDemo.exe", "Software\\Velmora\\QvCollDemo");
    }
    void TearDown() override
    {
        CollectionTest::TearDown();
        RemoveTree(disc);
    }
};

TEST_F(DemoTest, DemoItemsLoadAndLeaveTheirRecords)
{
    ASSERT_TRUE(Items().Init()) << log.All();
    ASSERT_EQ(Names(), (std::vector<std::string>{"PRINTER_PCL6", "PRINTER_PS", "SCANNER", "STATUS_MONITOR",
                                                 "USER_GUIDE"}))
        << log.All();
    for (const std::string& name : Names()) {
        EXPECT_TRUE(log.Has("[" + name + "] Component Loading ...")) << name;
        EXPECT_TRUE(log.Has("======= [" + name + "] Item Information =========")) << name;
    }
    CItemInfo& pcl = *Items().GetItem(0);
    CItemInfo& ps = *Items().GetItem(1);
    EXPECT_EQ(pcl.DriverName(), "Velmora LX-200 PCL 6");  // the INF's first model, found by search
    EXPECT_EQ(pcl.DisplayName(), "Velmora LX-200 PCL 6 Printer Driver");
    EXPECT_TRUE(pcl.UniDrv());
    EXPECT_EQ(ps.DriverName(), "Velmora LX-200 PS");
    EXPECT_EQ(ps.ComponentClass(), "Printer");  // from its INF
    EXPECT_TRUE(pcl.DefaultPrinter());
    EXPECT_FALSE(ps.DefaultPrinter());
    EXPECT_TRUE(log.Has("Velmora LX-200 PCL 6 driver was set as default printer"));
    EXPECT_TRUE(vars->Options().Agfa());
    EXPECT_EQ(Items().GetItem(2)->ComponentClass(), "Image");
    EXPECT_EQ(Items().GetItem(3)->InstallCommand(), "$SRC_DIR$\\UTILITY\\STATUSMONITOR\\SETUP.EXE");
    EXPECT_FALSE(pcl.GenerationInf(kInf32).empty());
    EXPECT_FALSE(pcl.GenerationInf(kInf64).empty());

    pcl.SetSelected(true);
    Items().GetItem(4)->SetSelected(true);
    ASSERT_TRUE(Items().WriteItemRecords());
    const std::string rec = Installing() + "\\Items\\PRINTER_PCL6";
    EXPECT_EQ(RegText(rec, "Driver_Name"), "Velmora LX-200 PCL 6");
    EXPECT_EQ(RegNumber(rec, "InstallNow"), 1);
    EXPECT_EQ(RegNumber(rec, "Printer"), 1);
    EXPECT_EQ(RegText(rec, "InstCmd"), disc + "\\data\\PrnInst.exe");
    EXPECT_NE(RegText(rec, "Inf_Path").find("VLX200.INF"), std::string::npos);
    EXPECT_EQ(RegNumber(Installing() + "\\Items\\PRINTER_PS", "InstallNow"), -1);
    EXPECT_EQ(RegText(Installing() + "\\Items\\STATUS_MONITOR", "Uninstall_Value_Name"), "StatusMonitor");

    // Copy records: the always-copied items, the selected guide, not the unselected PS item.
    // The search's directory: VISTA\English on 32-bit Windows 7, WinXP_VISTA_64\English on 64-bit.
    const std::string found = vars->Dirs().is64 ? "\\Printer\\WinXP_VISTA_64\\English" : "\\Printer\\VISTA\\English";
    EXPECT_EQ(pcl.ComponentDir(), disc + found);
    EXPECT_EQ(RegText(Installing() + "\\CopyFiles\\PRINTER_PCL6", "Src"), disc + found);
    EXPECT_TRUE(KeyExists(Installing() + "\\CopyFiles\\PRINTER_PCL6_0"));  // the other generations' INFs
    EXPECT_TRUE(KeyExists(Installing() + "\\CopyFiles\\USER_GUIDE"));
    EXPECT_FALSE(KeyExists(Installing() + "\\CopyFiles\\PRINTER_PS"));
    const std::string readme = vars->Settings().os_define == "VISTA64" ? "COPY_README.VISTA64" : "COPY_README";
    EXPECT_EQ(RegText(Installing() + "\\CopyFiles\\" + readme, "Src"), disc + "\\Readme");
    EXPECT_EQ(RegText(Installing() + "\\Shortcut\\SHORTCUT_USER_GUIDE", "Name"), "LX-200 User's Guide");
    EXPECT_EQ(RegNumber(Installing() + "\\Shortcut\\SHORTCUT_README", "Group"), 1);
    EXPECT_EQ(Items().GetShortcutCount(), 2);

    // The table holds the offered printers: the unchecked PS driver stays out.
    ASSERT_EQ(table.GetCount(), 1);
    PRINTER_DATA r;
    ASSERT_TRUE(table.GetRecord(0, r));
    EXPECT_EQ(r.driver_name, "Velmora LX-200 PCL 6");
    EXPECT_TRUE(r.default_printer);
    EXPECT_EQ(r.item_key, 0);
}

}  // namespace
