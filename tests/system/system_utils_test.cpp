// System utilities and the run-time binder under Wine.
#include "system/system_utils.h"

#include "platform/unique_handle.h"
#include "system/api_function.h"
#include "system/registry.h"
#include "tests/support/recording_log.h"

#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string unique_suffix()
{
    char text[64];
    std::snprintf(text, sizeof text, "%lu_%lu", ::GetCurrentProcessId(), ::GetTickCount());
    return text;
}

bool dir_exists(const std::string& path)
{
    DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void touch(const std::string& path) { std::ofstream(path) << "x"; }

bool is_wow64()
{
    BOOL wow = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow) && wow;
}

// A scratch directory holding a marker file, so that upward walks stop at it.
class ScratchDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        root_ = std::string(temp) + "qvsys_" + unique_suffix();
        ASSERT_TRUE(::CreateDirectoryA(root_.c_str(), nullptr));
        touch(root_ + "\\marker");
    }
    void TearDown() override
    {
        std::string from = root_ + '\0';  // double-NUL list
        SHFILEOPSTRUCTA op = {};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
        ::SHFileOperationA(&op);
    }
    std::string MakeDirs(const std::string& rel)
    {
        std::string path = root_;
        size_t start = 0;
        while (start <= rel.size()) {
            size_t end = rel.find('\\', start);
            if (end == std::string::npos) end = rel.size();
            path += "\\" + rel.substr(start, end - start);
            ::CreateDirectoryA(path.c_str(), nullptr);
            start = end + 1;
        }
        return path;
    }
    std::string root_;
};

// --- version ---------------------------------------------------------------------------

TEST(OsVersion, WineReportsWindows7Workstation)
{
    OsVersionInfo v;
    ASSERT_TRUE(ReadOsVersion(v));
    ASSERT_TRUE(v.ok_ex);
    ASSERT_EQ(2u, v.platform_id);
    ASSERT_EQ(6u, v.major) << "the prefix is expected to report Windows 7";
    EXPECT_EQ(1u, v.minor);
    EXPECT_EQ(kNtWorkstation, v.product_type);
    EXPECT_EQ(is_wow64(), v.is64);

    int os_class = -1, family = -1;
    ASSERT_TRUE(GetOSVersion(&os_class, &family));
    EXPECT_EQ(18, os_class);
    EXPECT_EQ(17, family);
}

// Borrows the real VersionNumber value and puts back what was there.
TEST(OsVersion, IsWindowsMeLooksFor490InVersionNumber)
{
    const char* key = "Software\\Microsoft\\Windows\\CurrentVersion";
    char saved[260] = {};
    const bool had = CRegistry::GetValue(key, "VersionNumber", saved, HKEY_LOCAL_MACHINE, sizeof saved) == 0;
    auto restore = scope_exit([&] {
        if (had)
            CRegistry::SetValue(key, "VersionNumber", saved, HKEY_LOCAL_MACHINE);
        else
            CRegistry::DeleteValue(key, "VersionNumber", HKEY_LOCAL_MACHINE);
    });
    struct Case { const char* text; bool me; } cases[] = {
        {"4.90.3000", true}, {"x4.90.", true}, {"4.10.2222", false}, {"4.90", false},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(0u, CRegistry::SetValue(key, "VersionNumber", c.text, HKEY_LOCAL_MACHINE));
        EXPECT_EQ(c.me, IsWindowsMe()) << c.text;
    }
    CRegistry::DeleteValue(key, "VersionNumber", HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(IsWindowsMe());
}

// --- rights, spooler, devices --------------------------------------------------------------

TEST(Rights, WineRunsAsAdministrator) { EXPECT_TRUE(IsAdministrator()); }

TEST(Spooler, PortsAndDrivers)
{
    EXPECT_TRUE(PortExists("LPT1:"));
    EXPECT_TRUE(PortExists("lpt1:"));
    EXPECT_TRUE(PortExists("FILE:"));
    EXPECT_FALSE(PortExists("QVBOGUS:"));
    EXPECT_FALSE(PortExists(""));

    CRecordingLog log;
    EXPECT_FALSE(IsPrinterDriverInstalled("Qv Bogus Driver 9000", false, log));
    EXPECT_FALSE(IsPrinterDriverInstalled("Qv Bogus Driver 9000", true, log));
    EXPECT_FALSE(IsPrinterDriverInstalled("", false, log));
    EXPECT_TRUE(log.lines.empty()) << log.All();
}

class FakeDevice : public IDeviceQueries {
public:
    const char* id = nullptr;  // null: the library cannot read one
    std::string asked;
    int calls_network = 0, calls_port = 0;

    int MyGetPrinterDesc(const std::string& address, std::string& desc) override
    {
        ++calls_network;
        asked = address;
        if (!id) return 4096;  // what the gateway gives when the library cannot answer
        desc = id;
        return 0;
    }
    int MyGetDeviceIDFromPort(const std::string& port, std::string& device_id) override
    {
        ++calls_port;
        asked = port;
        if (!id) return 0;
        device_id = id;
        return 1;
    }
};

TEST(DeviceId, ComparesUpperCasedIdWithMfgMdlAndExpected)
{
    const char* full = "MFG:Velmora;MDL:QV-2000 Series;CMD:PCL;";
    struct Case {
        const char* id;
        bool network;
        const char* expected;
        int want;
    } cases[] = {
        {full, true, "pcl", kDeviceIdMatch},
        {full, false, "PCL", kDeviceIdMatch},
        {full, false, "", kDeviceIdMatch},
        {"MFG:Velmora;MDL:QV-1000;", false, "", kDeviceIdMismatch},  // lacks MDL
        {"MFG:Other;MDL:QV-2000;", true, "", kDeviceIdMismatch},     // lacks MFG
        {full, true, "PostScript", kDeviceIdMismatch},
        {nullptr, true, "", kNoDeviceId},  // unreachable
        {nullptr, false, "", kNoDeviceId},
        {"", false, "", kNoDeviceId},
    };
    for (const auto& c : cases) {
        FakeDevice device;
        device.id = c.id;
        const char* where = c.network ? "192.168.0.7" : "USB001";
        EXPECT_EQ(c.want, CheckDeviceId(device, where, c.expected, c.network, "velmora", "qv-2000"))
            << (c.id ? c.id : "(none)") << " / " << c.expected;
        EXPECT_EQ(where, device.asked);
        EXPECT_EQ(c.network ? 1 : 0, device.calls_network);
        EXPECT_EQ(c.network ? 0 : 1, device.calls_port);
    }
}

// Anything with the gateway's two entries can be handed over as it is.
struct FakeLibs {
    int MyGetPrinterDesc(const std::string&, std::string& desc)
    {
        desc = "MFG:VELMORA;MDL:QV-2000;";
        return 0;
    }
    int MyGetDeviceIDFromPort(const std::string&, std::string&) { return 0; }
};

TEST(DeviceId, GatewayAdapterForwards)
{
    FakeLibs libs;
    DeviceQueriesOf<FakeLibs> queries(libs);
    EXPECT_EQ(kDeviceIdMatch, CheckDeviceId(queries, "10.0.0.9", nullptr, true, "Velmora", "QV-2000"));
    EXPECT_EQ(kNoDeviceId, CheckDeviceId(queries, "LPT1:", "", false, "Velmora", "QV-2000"));
}

TEST(PnP, NothingPendingReturnsFalseAtOnce)
{
    int foreground = 0;
    EXPECT_FALSE(WaitForPnP(true, [&] { ++foreground; }));  // Wine has nothing pending
    EXPECT_EQ(0, foreground);
}

TEST(PnP, WaitLoops)
{
    struct Case {
        bool keep;
        int timeouts;  // waits that time out before one that does not (-1: all of them)
        int want_waits;
        int want_foreground;
        bool want;
    } cases[] = {
        {true, 0, 1, 0, false},   // first wait: nothing pending
        {false, 0, 1, 0, false},
        {true, 4, 5, 3, true},    // timeouts 2..4 call the foreground hook
        {false, 1, 2, 0, true},   // the second wait ends it
        {false, 3, 4, 0, true},
        {false, -1, 62, 0, true}, // at most 60 more steps after the second wait
    };
    for (const auto& c : cases) {
        int waits = 0, foreground = 0;
        auto wait = [&](DWORD timeout) -> DWORD {
            EXPECT_EQ(1000u, timeout);
            ++waits;
            return (c.timeouts < 0 || waits <= c.timeouts) ? WAIT_TIMEOUT : 0;
        };
        EXPECT_EQ(c.want, WaitForPnPWith(wait, c.keep, [&] { ++foreground; }));
        EXPECT_EQ(c.want_waits, waits) << c.keep << "/" << c.timeouts;
        EXPECT_EQ(c.want_foreground, foreground) << c.keep << "/" << c.timeouts;
    }
}

// --- services ------------------------------------------------------------------------------

// Wine's still-image service is harmless to start and stop.
TEST(Services, StartQueryStop)
{
    unsigned long state = 0;
    ASSERT_EQ(0u, StopSystemService("StiSvc", &state));
    EXPECT_EQ(unsigned(SERVICE_STOPPED), state);

    ASSERT_EQ(0u, StartSystemService("StiSvc", &state));
    EXPECT_EQ(unsigned(SERVICE_RUNNING), state);
    ASSERT_EQ(0u, QuerySystemService("StiSvc", &state));
    EXPECT_EQ(unsigned(SERVICE_RUNNING), state);
    state = 0;
    ASSERT_EQ(0u, StartSystemService("StiSvc", &state));  // already running
    EXPECT_EQ(unsigned(SERVICE_RUNNING), state);

    ASSERT_EQ(0u, StopSystemService("StiSvc", &state));
    EXPECT_EQ(unsigned(SERVICE_STOPPED), state);
    ASSERT_EQ(0u, QuerySystemService("StiSvc", &state));
    EXPECT_EQ(unsigned(SERVICE_STOPPED), state);
}

TEST(Services, Errors)
{
    unsigned long state = 77;
    EXPECT_EQ(unsigned(ERROR_SERVICE_DOES_NOT_EXIST), StartSystemService("QvNoSuchService", &state));
    EXPECT_EQ(unsigned(ERROR_SERVICE_DOES_NOT_EXIST), StopSystemService("QvNoSuchService", &state));
    EXPECT_EQ(unsigned(ERROR_SERVICE_DOES_NOT_EXIST), QuerySystemService("QvNoSuchService", &state));
    EXPECT_EQ(77u, state);
    EXPECT_EQ(87u, QuerySystemService("StiSvc", nullptr));
}

// --- files and drives ----------------------------------------------------------------------

TEST_F(ScratchDirTest, RemoveDirectoryTreeStopsAtTheFirstDirectoryThatCannotGo)
{
    const std::string b = MakeDirs("A\\B");
    touch(root_ + "\\A\\other.txt");
    CRecordingLog trace;
    EXPECT_TRUE(RemoveDirectoryTree(b.c_str(), trace));
    EXPECT_FALSE(dir_exists(b));
    EXPECT_TRUE(dir_exists(root_ + "\\A"));
    EXPECT_TRUE(trace.Contains("RemoveDirectory(" + b + ")\n")) << trace.All();
    EXPECT_TRUE(trace.Contains("RemoveDirectory(" + root_ + "\\A) fail \n")) << trace.All();

    EXPECT_FALSE(RemoveDirectoryTree(""));
    EXPECT_FALSE(RemoveDirectoryTree(nullptr));
}

TEST_F(ScratchDirTest, RemoveDirectoryTreeClimbsThroughEmptyParents)
{
    const std::string z = MakeDirs("X\\Y\\Z");
    EXPECT_TRUE(RemoveDirectoryTree((z + "\\").c_str()));
    EXPECT_FALSE(dir_exists(root_ + "\\X"));
    EXPECT_TRUE(dir_exists(root_));  // holds the marker
    EXPECT_TRUE(RemoveDirectoryTree((root_ + "\\Missing").c_str()));  // nothing to do is no failure
}

TEST_F(ScratchDirTest, DeleteFileAndDirs)
{
    const std::string d2 = MakeDirs("D1\\D2");
    touch(d2 + "\\f.lnk");
    EXPECT_TRUE(DeleteFileAndDirs((d2 + "\\f.lnk").c_str(), false));
    EXPECT_FALSE(dir_exists(root_ + "\\D1"));
    EXPECT_TRUE(dir_exists(root_));

    const std::string k = MakeDirs("K1\\K2");
    touch(k + "\\g.lnk");
    EXPECT_TRUE(DeleteFileAndDirs((k + "\\g.lnk").c_str(), true));
    EXPECT_TRUE(dir_exists(k));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((k + "\\g.lnk").c_str()));

    EXPECT_FALSE(DeleteFileAndDirs((k + "\\g.lnk").c_str(), false));
    EXPECT_TRUE(dir_exists(k));  // a failed delete leaves the directories
    EXPECT_FALSE(DeleteFileAndDirs("", false));
}

TEST_F(ScratchDirTest, FileExists)
{
    EXPECT_TRUE(FileExists((root_ + "\\marker").c_str()));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(nullptr));
    CRecordingLog trace;
    const std::string missing = root_ + "\\missing.txt";
    EXPECT_FALSE(FileExists(missing.c_str(), trace));
    ASSERT_EQ(1u, trace.lines.size());
    EXPECT_EQ(0u, trace.lines[0].text.find("[" + missing + "]")) << trace.All();
    EXPECT_GT(trace.lines[0].text.size(), missing.size() + 3);  // the system's text follows
}

TEST(Drives, GetDriveKind)
{
    EXPECT_EQ(kDriveFixed, GetDriveKind("C:\\"));
    EXPECT_EQ(kDriveFixed, GetDriveKind("C:\\windows\\system32\\x.dll"));
    EXPECT_EQ(kDriveOther, GetDriveKind("C:"));  // no backslash
    EXPECT_EQ(kDriveOther, GetDriveKind("relative"));
    char own[MAX_PATH];
    ::GetModuleFileNameA(nullptr, own, MAX_PATH);
    EXPECT_EQ(GetDriveKind(own), GetDriveKind(nullptr));
    EXPECT_EQ(GetDriveKind(own), GetDriveKind(""));
}

// Borrows the system's Setup key (the 64-bit view on 64-bit Windows), putting back what was there.
class SourcePathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        REGSAM access = KEY_ALL_ACCESS | (is_wow64() ? KEY_WOW64_64KEY : 0);
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSetup, 0, nullptr, 0, access, nullptr,
                                                   key_.put(), nullptr));
        saved_ = Read("SourcePath", &had_);
        saved_org_ = Read("SourcePath_ORG", &had_org_);
    }
    void TearDown() override
    {
        Restore("SourcePath", had_, saved_);
        Restore("SourcePath_ORG", had_org_, saved_org_);
    }
    std::string Read(const char* name, bool* found)
    {
        char data[1024] = {};
        DWORD size = sizeof data - 1;
        *found = ::RegQueryValueExA(key_.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) == 0;
        return data;
    }
    void Restore(const char* name, bool had, const std::string& text)
    {
        if (had)
            ::RegSetValueExA(key_.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             DWORD(text.size() + 1));
        else
            ::RegDeleteValueA(key_.get(), name);
    }
    void Write(const char* name, const std::string& text)
    {
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExA(key_.get(), name, 0, REG_SZ,
                                                  reinterpret_cast<const BYTE*>(text.c_str()), DWORD(text.size() + 1)));
    }

    static constexpr const char* kSetup = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup";
    unique_hkey key_;
    bool had_ = false, had_org_ = false;
    std::string saved_, saved_org_;
};

TEST_F(SourcePathTest, PutsTheOriginalBackAndDeletesIt)
{
    Write("SourcePath", "Z:\\driver\\disc\\");
    Write("SourcePath_ORG", "D:\\I386\\");
    EXPECT_EQ(0u, RestoreSourcePath());
    bool found = false;
    EXPECT_EQ("D:\\I386\\", Read("SourcePath", &found));
    EXPECT_TRUE(found);
    Read("SourcePath_ORG", &found);
    EXPECT_FALSE(found);

    // Nothing saved: the delete's "not found" is the result, SourcePath stays.
    EXPECT_EQ(2u, RestoreSourcePath());
    EXPECT_EQ("D:\\I386\\", Read("SourcePath", &found));
}

TEST_F(SourcePathTest, KeepsAnOriginalTooLongToReadWhole)
{
    Write("SourcePath", "Z:\\now\\");
    const std::string long_path = "D:\\" + std::string(300, 'p');
    Write("SourcePath_ORG", long_path);
    EXPECT_EQ(unsigned(ERROR_MORE_DATA), RestoreSourcePath());
    bool found = false;
    EXPECT_EQ(long_path, Read("SourcePath_ORG", &found));
    EXPECT_TRUE(found);
}

// --- error texts ---------------------------------------------------------------------------

TEST(ErrorText, SystemTextsAndTraceLines)
{
    const std::string denied = GetSystemErrorText(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(denied.empty());
    char buffer[8];
    EXPECT_TRUE(GetSystemErrorText(ERROR_ACCESS_DENIED, buffer, sizeof buffer));
    EXPECT_EQ(denied.substr(0, 7), buffer);  // cut to the buffer
    EXPECT_EQ("", GetSystemErrorText(0xE0FFFFFF));

    CRecordingLog trace;
    TraceSystemError(ERROR_ACCESS_DENIED, "RegOpenKeyEx", trace);
    TraceSystemError(ERROR_ACCESS_DENIED, nullptr, trace);
    ASSERT_EQ(2u, trace.lines.size());
    EXPECT_EQ("[RegOpenKeyEx]" + denied + "\n", trace.lines[0].text);
    EXPECT_EQ(denied + "\n", trace.lines[1].text);
}

// --- run-time binder -----------------------------------------------------------------------

TEST(Binder, UnboundOperationsGiveTheirUnavailableValuesAndTrace)
{
    CRecordingLog trace;
    CAPIFunction api(trace, CAPIFunction::Binding::None);
    EXPECT_FALSE(api.HasSecurityFunctions());
    PSID sid = nullptr;
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    struct Case { bool unavailable; const char* name; } cases[] = {
        {api.MoveFileExA("a", "b", 0) == FALSE, "MoveFileEx"},
        {api.RegisterDeviceNotificationA(nullptr, nullptr, 0) == nullptr, "RegisterDeviceNotification"},
        {api.UnregisterDeviceNotification(nullptr) == FALSE, "UnregisterDeviceNotification"},
        {api.GradientFill(nullptr, nullptr, 0, nullptr, 0, 0) == FALSE, "GradientFill"},
        {api.CMP_WaitNoPendingInstallEvents(0) == DWORD(-1), "CMP_WaitNoPendingInstallEvents"},
        {api.InitializeSecurityDescriptor(nullptr, 1) == FALSE, "InitializeSecurityDescriptor"},
        {api.AllocateAndInitializeSid(&world, 1, 0, 0, 0, 0, 0, 0, 0, 0, &sid) == FALSE, "AllocateAndInitializeSid"},
        {api.InitializeAcl(nullptr, 0, 4) == FALSE, "InitializeAcl"},
        {api.AddAccessAllowedObjectAce(nullptr, 4, 0, 0, nullptr, nullptr, nullptr) == FALSE,
         "AddAccessAllowedObjectAce"},
        {api.SetSecurityDescriptorDacl(nullptr, TRUE, nullptr, FALSE) == FALSE, "SetSecurityDescriptorDacl"},
        {api.SetSecurityDescriptorControl(nullptr, 0, 0) == FALSE, "SetSecurityDescriptorControl"},
        {api.FreeSid(nullptr) == nullptr, "FreeSid"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(c.unavailable) << c.name;
        EXPECT_TRUE(trace.Contains(std::string("GetProcAddress (") + c.name + ") fail!!")) << c.name;
    }
    EXPECT_EQ(sizeof cases / sizeof cases[0], trace.lines.size());
}

TEST_F(ScratchDirTest, BoundOperationsCallTheSystem)
{
    CRecordingLog trace;
    CAPIFunction api(trace);
    EXPECT_TRUE(api.HasSecurityFunctions());

    const std::string from = root_ + "\\marker", to = root_ + "\\moved";
    EXPECT_TRUE(api.MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(to.c_str()));
    EXPECT_EQ(0u, api.CMP_WaitNoPendingInstallEvents(0));

    unique_memdc dc(::CreateCompatibleDC(nullptr));
    unique_gdiobj bitmap(::CreateCompatibleBitmap(dc.get(), 4, 4));
    ::SelectObject(dc.get(), bitmap.get());
    TRIVERTEX v[2] = {{0, 0, 0xFF00, 0, 0, 0}, {4, 4, 0, 0, 0xFF00, 0}};
    GRADIENT_RECT rect = {0, 1};
    EXPECT_TRUE(api.GradientFill(dc.get(), v, 2, &rect, 1, GRADIENT_FILL_RECT_H));

    SECURITY_DESCRIPTOR sd;
    EXPECT_TRUE(api.InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION));
    EXPECT_TRUE(trace.lines.empty()) << trace.All();
}

}  // namespace
