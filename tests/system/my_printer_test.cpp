// CMyPrinter: the record table on its own, and the apply steps and spooler operations against
// real printers that the fixture creates in Wine's spooler and deletes again.
#include "system/my_printer.h"

#include "platform/unique_handle.h"
#include "system/api_function.h"
#include "tests/support/recording_log.h"

#include <gtest/gtest.h>

#include "tests/support/file_text.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char kDriver[] = "QvTest Stand-in Driver";

bool contains(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

PRINTER_DATA record(const std::string& driver, const std::string& printer, int key = -1)
{
    PRINTER_DATA r;
    r.driver_name = driver;
    r.printer_name = printer;
    r.item_key = key;
    return r;
}

class FakeHost final : public IPrinterHost {
public:
    int family = kFamilyNt5;
    std::string source_dir, dest_dir, inf_dir;
    CopyFileEnv copy_env;
    std::vector<std::string> diagnosed;

    int OsFamily() const override { return family; }
    std::string ExpandMacros(const std::string& text) const override
    {
        std::string out = text;
        size_t at = out.find("$SOURCE$");
        if (at != std::string::npos) out.replace(at, 8, source_dir);
        return out;
    }
    std::string SourceDir() const override { return source_dir; }
    std::string DestDir() const override { return dest_dir; }
    std::string InfDir() const override { return inf_dir; }
    CopyFileEnv CopyEnv() const override { return copy_env; }
    int DiagnosisEx(const std::string& printer) override
    {
        diagnosed.push_back(printer);
        return 0;
    }
};

class RecordingHistory final : public IInstallHistory {
public:
    std::vector<std::string> files;
    bool AddFile(const std::string& path) override
    {
        files.push_back(path);
        return true;
    }
    bool AddDirectory(const std::string&) override { return true; }
    bool RemoveRunHistory() override { return false; }
};

// --- the table alone ----------------------------------------------------------------------

TEST(PrinterRecords, TableLimitsAndLookups)
{
    CRecordingLog log;
    CMyPrinter table(log);
    for (int i = 0; i < kMaxPrinterRecords; ++i)
        ASSERT_TRUE(table.AddRecord(record("Driver " + std::to_string(i), "Printer " + std::to_string(i), 10 + i)));
    EXPECT_FALSE(table.AddRecord(record("Driver 10", "Printer 10")));
    EXPECT_EQ(kMaxPrinterRecords, table.GetCount());

    PRINTER_DATA r;
    ASSERT_TRUE(table.GetRecord(3, r));
    EXPECT_EQ(3, r.position);
    EXPECT_EQ("Driver 3", r.driver_name);
    EXPECT_FALSE(table.GetRecord(10, r));
    EXPECT_TRUE(r.driver_name.empty());
    EXPECT_EQ(-1, r.position);

    ASSERT_TRUE(table.GetRecord(4, r));
    r.default_printer = true;
    r.printer_name = "Renamed 4";
    EXPECT_TRUE(table.PutRecord(r));
    r.position = 10;
    EXPECT_FALSE(table.PutRecord(r));
    ASSERT_TRUE(table.GetRecord(6, r));
    r.default_printer = true;
    table.PutRecord(r);

    std::string text;
    EXPECT_TRUE(table.GetDefaultPrinterName(text));
    EXPECT_EQ("Renamed 4", text);  // the first default record
    EXPECT_TRUE(table.GetDefaultDriverName(text));
    EXPECT_EQ("Driver 4", text);

    EXPECT_TRUE(table.MarkInstalled("DRIVER 2"));
    EXPECT_FALSE(table.MarkInstalled("Driver 99"));
    table.GetRecord(2, r);
    EXPECT_TRUE(r.installed);

    EXPECT_FALSE(table.SetAllPort("", true));
    EXPECT_TRUE(table.SetAllPort("IP_10.0.0.7", true));
    EXPECT_TRUE(log.Contains("Set all printer port as IP_10.0.0.7 , 1"));
    EXPECT_EQ("IP_10.0.0.7", table.AllPort());
    table.GetRecord(9, r);
    EXPECT_EQ("IP_10.0.0.7", r.port);
    EXPECT_TRUE(r.network_port);
    table.ClearPortFlags();
    table.GetRecord(9, r);
    EXPECT_FALSE(r.network_port);

    EXPECT_TRUE(table.GetPortByKey(15, text));
    EXPECT_EQ("IP_10.0.0.7", text);
    EXPECT_FALSE(table.GetPortByKey(-1, text));
    EXPECT_FALSE(table.GetPortByKey(99, text));

    EXPECT_TRUE(table.RenamePrinterName("printer 1", "Office"));
    table.GetRecord(1, r);
    EXPECT_EQ("Office", r.printer_name);

    std::vector<std::string> names;
    table.MarkInstalled("Driver 1");
    EXPECT_EQ(2, table.MyGetInstalledPrinter(names));
    EXPECT_EQ((std::vector<std::string>{"Office", "Printer 2"}), names);

    PRINTER_DATA cleared = r;
    CMyPrinter::ClearRecord(cleared);
    EXPECT_EQ(r.driver_name, cleared.driver_name);
    EXPECT_TRUE(cleared.printer_name.empty() && cleared.port.empty() && !cleared.installed);
    EXPECT_EQ(-1, cleared.position);
    EXPECT_EQ(-1, cleared.item_key);

    table.ClearAllRecords();
    EXPECT_EQ(0, table.GetCount());
    EXPECT_FALSE(table.GetDefaultDriverName(text));  // slot 0 is empty now
    EXPECT_TRUE(table.AddRecord(record("x", "y")));
}

TEST(PrinterRecords, LongTextsAreCutAndFullListsReported)
{
    CRecordingLog log;
    CMyPrinter table(log);
    std::string huge(20000, 'n');
    ASSERT_TRUE(table.AddRecord(record("a", huge)));
    ASSERT_TRUE(table.AddRecord(record("b", std::string(9000, 'm'))));
    PRINTER_DATA r;
    table.GetRecord(0, r);
    EXPECT_EQ(kPrinterTextLimit, r.printer_name.size());
    // 16383 + 1 bytes fill the list; the second name no longer fits.
    table.MarkInstalled("a");
    table.MarkInstalled("b");
    std::vector<std::string> names;
    EXPECT_EQ(-1, table.MyGetInstalledPrinter(names));
    EXPECT_EQ(1u, names.size());
}

// --- against the spooler ------------------------------------------------------------------

class PrinterSpoolerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        DRIVER_INFO_3A driver = {};
        driver.cVersion = 3;
        driver.pName = const_cast<char*>(kDriver);
        driver.pDriverPath = const_cast<char*>("wineps.drv");
        driver.pDataFile = const_cast<char*>("generic.ppd");
        driver.pConfigFile = const_cast<char*>("wineps.drv");
        if (!::AddPrinterDriverExA(nullptr, 3, reinterpret_cast<LPBYTE>(&driver), APD_COPY_NEW_FILES))
            std::printf("AddPrinterDriverExA: %lu\n", ::GetLastError());
    }
    static void TearDownTestSuite() { ::DeletePrinterDriverA(nullptr, nullptr, const_cast<char*>(kDriver)); }

    void SetUp() override
    {
        char id[32];
        std::snprintf(id, sizeof id, "%lu", ::GetTickCount() % 100000);
        a_ = std::string("QvTest A ") + id;
        b_ = std::string("QvTest B ") + id;
        ASSERT_TRUE(AddPrinter(a_));
        ASSERT_TRUE(AddPrinter(b_));
        char name[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (::GetDefaultPrinterA(name, &size)) old_default_ = name;

        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        scratch_ = std::string(temp) + "qvprinter_" + id;
        ::CreateDirectoryA(scratch_.c_str(), nullptr);
        host_.copy_env.history = &history_;
        host_.copy_env.api = &api_;
    }
    void TearDown() override
    {
        for (const auto& name : created_) DeletePrinter(name);
        if (!old_default_.empty()) ::SetDefaultPrinterA(old_default_.c_str());
        for (const auto& f : scratch_files_) ::DeleteFileA(f.c_str());
        for (auto it = scratch_dirs_.rbegin(); it != scratch_dirs_.rend(); ++it) ::RemoveDirectoryA(it->c_str());
        ::RemoveDirectoryA(scratch_.c_str());
    }

    bool AddPrinter(const std::string& name)
    {
        PRINTER_INFO_2A info = {};
        info.pPrinterName = const_cast<char*>(name.c_str());
        info.pPortName = const_cast<char*>("LPT1:");
        info.pDriverName = const_cast<char*>(kDriver);
        info.pPrintProcessor = const_cast<char*>("WinPrint");
        info.pDatatype = const_cast<char*>("RAW");
        info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
        unique_printer printer(::AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&info)));
        if (!printer) {
            std::printf("AddPrinterA(%s): %lu\n", name.c_str(), ::GetLastError());
            return false;
        }
        created_.push_back(name);
        return true;
    }
    // A printer renamed by a test is deleted under whichever name it has.
    void DeletePrinter(const std::string& name)
    {
        for (const std::string& candidate : {name, name + " renamed"}) {
            PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
            unique_printer printer;
            if (::OpenPrinterA(const_cast<char*>(candidate.c_str()), printer.put(), &defaults))
                ::DeletePrinter(printer.get());
        }
    }

    struct Info {
        bool found = false;
        std::string port, share;
        DWORD attributes = 0;
    };
    static Info Query(const std::string& name)
    {
        Info out;
        unique_printer printer;
        if (!::OpenPrinterA(const_cast<char*>(name.c_str()), printer.put(), nullptr)) return out;
        DWORD needed = 0;
        ::GetPrinterA(printer.get(), 2, nullptr, 0, &needed);
        std::vector<BYTE> buffer(needed);
        if (!needed || !::GetPrinterA(printer.get(), 2, buffer.data(), needed, &needed)) return out;
        auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
        out.found = true;
        out.port = info->pPortName ? info->pPortName : "";
        out.share = info->pShareName ? info->pShareName : "";
        out.attributes = info->Attributes;
        return out;
    }
    static std::string CurrentDefault()
    {
        char name[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        return ::GetDefaultPrinterA(name, &size) ? name : "";
    }
    // The name the spooler lists for the printer created as `created`. Wine 8 records a new
    // name without re-keying the printer: it is listed under the new name but still opened
    // (and made the default) under the old one, so a rename is checked in the list.
    static std::string ListedName(const std::string& created)
    {
        DWORD needed = 0, count = 0;
        ::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
        std::vector<BYTE> buffer(needed);
        if (!needed || !::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count))
            return "";
        auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
        std::string found;
        for (DWORD i = 0; i < count; ++i) {
            std::string name = info[i].pPrinterName ? info[i].pPrinterName : "";
            if (name == created || name == created + " renamed") found = name;
        }
        return found;
    }
    std::string Scratch(const std::string& rel, const std::string* content = nullptr)
    {
        std::string path = scratch_ + "\\" + rel;
        if (content) {
            write_file(path, *content);
            scratch_files_.push_back(path);
        }
        return path;
    }
    void ScratchDir(const std::string& rel)
    {
        ::CreateDirectoryA(Scratch(rel).c_str(), nullptr);
        scratch_dirs_.push_back(Scratch(rel));
    }

    std::string a_, b_;
    std::vector<std::string> created_;
    std::string old_default_;
    std::string scratch_;
    std::vector<std::string> scratch_files_, scratch_dirs_;
    CRecordingLog log_;
    CAPIFunction api_;
    RecordingHistory history_;
    FakeHost host_;
};

// The install-update order: default by driver name, shares, ports, names. (The default by the
// final name that follows is TheLastDefaultRecordWins: Wine cannot open a renamed printer
// under its new name, see ListedName.)
TEST_F(PrinterSpoolerTest, ApplyStepsReachTheSpooler)
{
    CMyPrinter table(log_, &host_);
    PRINTER_DATA ra = record(a_, a_ + " renamed", 0);
    ra.default_printer = true;
    ra.share = true;
    ra.share_name = "QVSHARE";
    PRINTER_DATA rb = record(b_, b_ + " renamed", 1);
    rb.share = true;
    rb.share_name = "NOTSHARED";
    ASSERT_TRUE(table.AddRecord(ra));
    ASSERT_TRUE(table.AddRecord(rb));
    ASSERT_TRUE(table.SetAllPort("LPT2:", true));
    ASSERT_TRUE(table.MarkInstalled(a_));  // B was not installed

    EXPECT_TRUE(table.ApplyDefault(false));
    EXPECT_EQ(a_, CurrentDefault());
    EXPECT_TRUE(table.ApplyShares());
    EXPECT_TRUE(table.ApplyPorts());
    EXPECT_TRUE(table.ApplyNames());
    EXPECT_TRUE(table.DiagnoseAll());

    Info a = Query(a_);
    ASSERT_TRUE(a.found) << log_.All();
    EXPECT_EQ("LPT2:", a.port);
    EXPECT_EQ("QVSHARE", a.share);
    EXPECT_TRUE(a.attributes & PRINTER_ATTRIBUTE_SHARED);
    EXPECT_EQ(a_ + " renamed", ListedName(a_));

    // Not installed: only the port was assigned.
    Info b = Query(b_);
    ASSERT_TRUE(b.found);
    EXPECT_EQ("LPT2:", b.port);
    EXPECT_EQ(0u, b.attributes & PRINTER_ATTRIBUTE_SHARED);
    EXPECT_EQ(b_, ListedName(b_));
    EXPECT_EQ(std::vector<std::string>{a_ + " renamed"}, host_.diagnosed);

    for (const char* line : {"Set Default Printer (%s) Success", "Share %s Printer with QVSHARE share name successfully!",
                             "Set %s Printer port as LPT2: successfully!"}) {
        char text[512];
        std::snprintf(text, sizeof text, line, a_.c_str());
        EXPECT_TRUE(log_.Contains(text)) << text << "\n" << log_.All();
    }
    EXPECT_TRUE(log_.Contains("Set " + a_ + " Printer name as " + a_ + " renamed successfully!"));
}

TEST_F(PrinterSpoolerTest, TheLastDefaultRecordWins)
{
    CMyPrinter table(log_, &host_);
    for (const auto& name : {a_, b_}) {
        PRINTER_DATA r = record(name, name);
        r.default_printer = true;
        table.AddRecord(r);
        table.MarkInstalled(name);
    }
    EXPECT_TRUE(table.ApplyDefault(true));
    EXPECT_EQ(b_, CurrentDefault());

    CMyPrinter none(log_, &host_);
    none.AddRecord(record(a_, a_));
    EXPECT_FALSE(none.ApplyDefault(true));  // no default and installed record
}

TEST_F(PrinterSpoolerTest, DefaultPrinterByOsFamily)
{
    ASSERT_TRUE(CMyPrinter::MakeDefaultPrinter(a_, kFamilyNt5, log_));
    EXPECT_EQ(a_, CurrentDefault());

    // NT 4: the [Windows] Device entry, built from the printer's Devices value.
    ASSERT_TRUE(CMyPrinter::MakeDefaultPrinter(b_, kFamilyNt4, log_)) << log_.All();
    char device[MAX_PATH] = {};
    ::GetProfileStringA("Windows", "Device", "", device, MAX_PATH);
    EXPECT_EQ(0u, std::string(device).find(b_ + ","));
    EXPECT_EQ(b_, CurrentDefault());

    // Windows 9x: the default attribute on the printer itself.
    ASSERT_TRUE(CMyPrinter::MakeDefaultPrinter(a_, kFamilyWin9x, log_)) << log_.All();
    EXPECT_TRUE(Query(a_).attributes & PRINTER_ATTRIBUTE_DEFAULT);

    EXPECT_FALSE(CMyPrinter::MakeDefaultPrinter(a_, kFamilyWin32s, log_));
    EXPECT_TRUE(log_.Contains("Set Default Printer (" + a_ + ") fail"));
    EXPECT_FALSE(CMyPrinter::MakeDefaultPrinter("QvTest no such printer", kFamilyNt5, log_));
    EXPECT_EQ("Set Default Printer (QvTest no such printer) fail", log_.lines.back().text);
    EXPECT_NE(0u, log_.lines.back().code);  // with the system's reason
    EXPECT_FALSE(CMyPrinter::MakeDefaultPrinter("", kFamilyNt5, log_));

    std::string name;
    EXPECT_TRUE(CMyPrinter::MyGetDefaultPrinter(name));
    EXPECT_EQ(b_, name);
    EXPECT_EQ(b_, CMyPrinter(log_).StartDefaultPrinter());
}

struct PrinterProbe : CMyPrinter {
    using CMyPrinter::DefaultFromAttributes;
};

// Without GetDefaultPrinterA (Windows 98) the default printer is the one whose attributes carry
// the default bit, as in 0x44 (default, local).
TEST_F(PrinterSpoolerTest, DefaultLookupByAttributes)
{
    {
        PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        unique_printer printer;
        ASSERT_TRUE(::OpenPrinterA(const_cast<char*>(b_.c_str()), printer.put(), &defaults));
        DWORD needed = 0;
        ::GetPrinterA(printer.get(), 2, nullptr, 0, &needed);
        std::vector<BYTE> buffer(needed);
        ASSERT_TRUE(::GetPrinterA(printer.get(), 2, buffer.data(), needed, &needed));
        auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
        info->Attributes = PRINTER_ATTRIBUTE_DEFAULT | PRINTER_ATTRIBUTE_LOCAL;
        ASSERT_TRUE(::SetPrinterA(printer.get(), 2, buffer.data(), 0));
    }
    ASSERT_EQ(0x44u, Query(b_).attributes & 0x44u);
    std::string name;
    EXPECT_TRUE(PrinterProbe::DefaultFromAttributes(name, NullTrace()));
    EXPECT_EQ(b_, name);
}

TEST_F(PrinterSpoolerTest, SpoolerFailuresAreLoggedWithTheSystemError)
{
    EXPECT_FALSE(CMyPrinter::SetPrinterPort("QvTest no such printer", "LPT1:", log_));
    ASSERT_FALSE(log_.lines.empty());
    EXPECT_EQ("OpenPrinter (QvTest no such printer)", log_.lines.back().text);
    EXPECT_NE(0u, log_.lines.back().code);

    log_.lines.clear();
    EXPECT_TRUE(CMyPrinter::SetPrinterName("QvTest no such printer", "QVTEST NO SUCH PRINTER", log_));
    EXPECT_TRUE(log_.lines.empty());  // same name: the spooler is not asked
    EXPECT_FALSE(CMyPrinter::SharePrinter(a_, "", log_));
    EXPECT_FALSE(CMyPrinter::SetPrinterPort("", "LPT1:", log_));

    CMyPrinter table(log_, &host_);
    PRINTER_DATA r = record("QvTest no such printer", "x");
    r.network_port = true;
    r.port = "LPT1:";
    table.AddRecord(r);
    EXPECT_FALSE(table.ApplyPorts());
    EXPECT_TRUE(log_.Contains("Set QvTest no such printer printer port to LPT1: => fail"));
}

TEST_F(PrinterSpoolerTest, PortsPrintersAndNamesInUse)
{
    std::vector<std::string> ports;
    ASSERT_TRUE(CMyPrinter::EnumPortList(ports));
    EXPECT_TRUE(contains(ports, "LPT1:"));
    EXPECT_TRUE(contains(ports, "FILE:"));
    for (const auto& p : ports) EXPECT_EQ(std::string::npos, p.find("COM")) << p;

    std::vector<std::string> printers;
    int count = CMyPrinter::MyGetPrinterInPC(printers);
    EXPECT_EQ(static_cast<int>(printers.size()), count);
    EXPECT_TRUE(contains(printers, a_));
    EXPECT_TRUE(contains(printers, b_));

    CMyPrinter table(log_, &host_);
    table.AddRecord(record("QvTest Pending Model", "QvTest Pending Model"));
    struct Case {
        std::string new_name, current;
        bool in_use;
    } cases[] = {
        {a_, a_, false},                       // its own name
        {"qvtest a " + a_.substr(9), b_, true},  // another printer's, ignoring case
        {"QvTest Fresh Name", b_, false},
        {"QvTest Pending Model", b_, false},   // a record not yet installed
    };
    for (const auto& c : cases) EXPECT_EQ(c.in_use, table.IsNameInUse(c.new_name, c.current)) << c.new_name;
    table.MarkInstalled("QvTest Pending Model");
    EXPECT_TRUE(table.IsNameInUse("qvtest pending model", b_));
}

TEST_F(PrinterSpoolerTest, OemInfByOsFamily)
{
    const std::string inf =
        "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\nClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}\r\n"
        "Provider=QvTest\r\n; " + a_ + "\r\n";
    ScratchDir("src");
    ScratchDir("dest");
    ScratchDir("dest\\Install");
    ScratchDir("inf");
    Scratch("src\\qvtest.inf", &inf);
    const std::string installed_copy = inf + "; installed copy\r\n";
    Scratch("dest\\Install\\qvtest.inf", &installed_copy);
    host_.source_dir = Scratch("src");
    host_.dest_dir = Scratch("dest");
    host_.inf_dir = Scratch("inf");

    // NT 5: through SetupAPI, from the installed copy of the source directory.
    CMyPrinter table(log_, &host_);
    std::string oem;
    ASSERT_TRUE(table.CopyOemInf(Scratch("src\\qvtest.inf"), &oem)) << log_.All();
    ASSERT_FALSE(oem.empty());
    EXPECT_EQ(installed_copy, read_file(oem));
    std::string again;
    EXPECT_TRUE(table.CopyOemInf(Scratch("src\\qvtest.inf"), &again));  // already there
    ::DeleteFileA(oem.c_str());
    ::DeleteFileA((oem.substr(0, oem.size() - 3) + "PNF").c_str());

    // Elsewhere: copied into the INF directory and registered; reached from ApplyDefault by
    // the driver name, with the record's INF path expanded.
    host_.family = kFamilyWin9x;
    PRINTER_DATA r = record(a_, a_);
    r.default_printer = true;
    r.inf_path = "$SOURCE$\\qvtest.inf";
    table.AddRecord(r);
    table.MarkInstalled(a_);
    table.ApplyDefault(false);
    scratch_files_.push_back(Scratch("inf\\qvtest.inf"));
    EXPECT_EQ(inf, read_file(Scratch("inf\\qvtest.inf")));
    EXPECT_EQ(std::vector<std::string>{Scratch("inf\\qvtest.inf")}, history_.files);
}

}  // namespace
