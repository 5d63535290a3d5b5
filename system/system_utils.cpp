#include "system/system_utils.h"

#include "platform/unique_handle.h"
#include "system/registry.h"
#include "system/text_utils.h"

#include <winspool.h>

#include <cstring>
#include <vector>

namespace {

constexpr size_t kPathSize = 260;
constexpr unsigned long kDeviceIdSize = 16 * 1024;

DWORD last_error()
{
    DWORD err = ::GetLastError();
    return err ? err : ERROR_GEN_FAILURE;
}

bool empty(const char* text) { return !text || !*text; }

bool is_wow64()
{
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    HMODULE kernel32 = ::GetModuleHandleA("Kernel32.dll");
    if (!kernel32) return false;
    auto fn = reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void*>(::GetProcAddress(kernel32, "IsWow64Process")));
    BOOL wow64 = FALSE;
    if (!fn || !fn(::GetCurrentProcess(), &wow64)) return false;
    return wow64 != FALSE;
}

struct sid_free {
    void operator()(PSID sid) const { ::FreeSid(sid); }
};
struct service_close {
    void operator()(SC_HANDLE h) const { ::CloseServiceHandle(h); }
};
using unique_sid = unique_any<PSID, sid_free>;
using unique_service = unique_any<SC_HANDLE, service_close>;

// The spooler's size query, a zero-filled block of the reported size, and the real call.
// False when the call fails; an empty list gives true with no block.
template <typename Enumerate>
bool spooler_list(Enumerate enumerate, unique_hglobal& block, DWORD& count, bool& no_memory)
{
    no_memory = false;
    DWORD needed = 0;
    count = 0;
    if (enumerate(nullptr, 0, &needed, &count)) return true;
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0) return false;
    block.reset(::GlobalAlloc(GPTR, needed));
    if (!block) {
        no_memory = true;
        return false;
    }
    return enumerate(static_cast<BYTE*>(static_cast<void*>(block.get())), needed, &needed, &count) != FALSE;
}

// Cuts a path at its last backslash; false when none is left or the rest is a drive.
bool to_parent(std::string& path)
{
    size_t slash = path.rfind('\\');
    if (slash == std::string::npos) return false;
    path.resize(slash);
    return !path.empty() && path.back() != ':';
}

void strip_trailing_backslashes(std::string& path)
{
    while (path.size() > 1 && path.back() == '\\' && path[path.size() - 2] != ':') path.pop_back();
}

// Waits while the service is in `pending`, for as long as it makes progress within its hint.
unsigned long wait_pending(SC_HANDLE service, SERVICE_STATUS& status, DWORD pending)
{
    DWORD start = ::GetTickCount();
    DWORD check_point = status.dwCheckPoint;
    while (status.dwCurrentState == pending) {
        DWORD wait = status.dwWaitHint / 10;
        if (wait < 100) wait = 100;
        if (wait > 1000) wait = 1000;
        ::Sleep(wait);
        if (!::QueryServiceStatus(service, &status)) return last_error();
        if (status.dwCheckPoint > check_point) {
            start = ::GetTickCount();
            check_point = status.dwCheckPoint;
        } else if (::GetTickCount() - start > status.dwWaitHint) {
            break;
        }
    }
    return ERROR_SUCCESS;
}

enum class ServiceAction { Start, Stop };

unsigned long change_service(const char* name, unsigned long* state, ServiceAction action)
{
    const DWORD target = action == ServiceAction::Start ? SERVICE_RUNNING : SERVICE_STOPPED;
    const DWORD pending = action == ServiceAction::Start ? SERVICE_START_PENDING : SERVICE_STOP_PENDING;
    unique_service manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return last_error();
    unique_service service(::OpenServiceA(manager.get(), name, SERVICE_ALL_ACCESS));
    if (!service) return last_error();

    SERVICE_STATUS status = {};
    if (!::QueryServiceStatus(service.get(), &status)) return last_error();
    if (status.dwCurrentState == target) {
        if (state) *state = status.dwCurrentState;
        return ERROR_SUCCESS;
    }
    if (action == ServiceAction::Start) {
        if (!::StartServiceA(service.get(), 0, nullptr)) return last_error();
        if (!::QueryServiceStatus(service.get(), &status)) return last_error();
    } else {
        if (!::ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) return last_error();
    }
    unsigned long rc = wait_pending(service.get(), status, pending);
    if (state) *state = status.dwCurrentState;
    if (rc != ERROR_SUCCESS) return rc;
    return status.dwCurrentState == target ? ERROR_SUCCESS : ERROR_INVALID_SERVICE_CONTROL;  // 1052
}

}  // namespace

// --- version ---------------------------------------------------------------------------

bool ReadOsVersion(OsVersionInfo& version)
{
    version = OsVersionInfo();
    OSVERSIONINFOEXA ex = {};
    ex.dwOSVersionInfoSize = sizeof ex;
    if (::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&ex))) {
        version.ok_ex = true;
        version.product_type = ex.wProductType;
        version.suite_mask = ex.wSuiteMask;
    } else {
        ex = {};
        ex.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&ex))) {
            version.error = last_error();
            return false;
        }
        version.ok_basic = true;
    }
    version.platform_id = ex.dwPlatformId;
    version.major = ex.dwMajorVersion;
    version.minor = ex.dwMinorVersion;
    version.build = ex.dwBuildNumber;
    version.csd.assign(ex.szCSDVersion, strnlen(ex.szCSDVersion, sizeof ex.szCSDVersion));
    version.is64 = is_wow64();
    if (version.platform_id == kPlatformWindows) {
        char text[kPathSize] = {};
        if (CRegistry::GetValue("Software\\Microsoft\\Windows\\CurrentVersion", "VersionNumber", text,
                                HKEY_LOCAL_MACHINE, sizeof text) == ERROR_SUCCESS)
            version.version_number = text;
    }
    return true;
}

bool GetOSVersion(int* os_class, int* os_family)
{
    OsVersionInfo version;
    OsClassification result;
    if (!ReadOsVersion(version) || !ClassifyOs(version, result)) return false;
    if (os_class) *os_class = result.os_class;
    if (os_family) *os_family = result.family;
    return true;
}

bool IsWindowsMe()
{
    char text[kPathSize] = {};
    if (CRegistry::GetValue("Software\\Microsoft\\Windows\\CurrentVersion", "VersionNumber", text, HKEY_LOCAL_MACHINE,
                            sizeof text) != ERROR_SUCCESS)
        return false;
    return std::strstr(text, "4.90.") != nullptr;
}

// --- rights, printers, ports, devices ----------------------------------------------------

bool IsAdministrator()
{
    if (!::ImpersonateSelf(SecurityImpersonation)) return false;
    auto revert = scope_exit([] { ::RevertToSelf(); });

    unique_handle token;
    if (!::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, token.put())) {
        if (::GetLastError() != ERROR_NO_TOKEN) return false;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) return false;
    }

    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    unique_sid admins;
    if (!::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                    admins.put()))
        return false;

    unique_hlocal descriptor(::LocalAlloc(LPTR, SECURITY_DESCRIPTOR_MIN_LENGTH));
    if (!descriptor) return false;
    const DWORD acl_size = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + ::GetLengthSid(admins.get());
    unique_hlocal acl_block(::LocalAlloc(LPTR, acl_size));
    if (!acl_block) return false;
    PSECURITY_DESCRIPTOR sd = descriptor.get();
    PACL acl = static_cast<PACL>(acl_block.get());

    const DWORD kAccessRead = 1, kAccessWrite = 2;
    if (!::InitializeSecurityDescriptor(sd, SECURITY_DESCRIPTOR_REVISION) ||
        !::InitializeAcl(acl, acl_size, ACL_REVISION2) ||
        !::AddAccessAllowedAce(acl, ACL_REVISION2, kAccessRead | kAccessWrite, admins.get()) ||
        !::SetSecurityDescriptorDacl(sd, TRUE, acl, FALSE) || !::SetSecurityDescriptorGroup(sd, admins.get(), FALSE) ||
        !::SetSecurityDescriptorOwner(sd, admins.get(), FALSE) || !::IsValidSecurityDescriptor(sd))
        return false;

    GENERIC_MAPPING mapping = {kAccessRead, kAccessWrite, 0, kAccessRead | kAccessWrite};
    PRIVILEGE_SET privileges = {};
    DWORD privileges_size = sizeof privileges;
    DWORD granted = 0;
    BOOL status = FALSE;
    if (!::AccessCheck(sd, token.get(), kAccessRead, &mapping, &privileges, &privileges_size, &granted, &status))
        return false;
    return status != FALSE;
}

namespace {

// One spooler listing searched for a driver name; `driver_of` gives the name of entry i.
template <class Enumerate, class DriverOf>
bool listHasDriver(Enumerate enumerate, DriverOf driver_of, const char* name, const char* fail_trace, ILogSink& log,
                   ILogSink& trace)
{
    unique_hglobal block;
    DWORD count = 0;
    bool no_memory = false;
    if (!spooler_list(enumerate, block, count, no_memory)) {
        if (no_memory)
            log.Write("GlobalAlloc Error [Check Printer Installed]");
        else
            trace.Write("%s", fail_trace);
        return false;
    }
    for (DWORD i = 0; i < count; ++i) {
        const char* driver = driver_of(block.get(), i);
        if (driver && ::lstrcmpiA(driver, name) == 0) return true;
    }
    return false;
}

}  // namespace

bool IsPrinterDriverInstalled(const char* name, bool by_printer, ILogSink& log, ILogSink& trace)
{
    if (empty(name)) return false;
    if (by_printer) {
        return listHasDriver(
            [](BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) {
                return ::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer, size, needed, returned);
            },
            [](void* block, DWORD i) { return static_cast<PRINTER_INFO_2A*>(block)[i].pDriverName; }, name,
            "EnumPrinters fail!!\n", log, trace);
    }
    return listHasDriver(
        [](BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) {
            return ::EnumPrinterDriversA(nullptr, nullptr, 3, buffer, size, needed, returned);
        },
        [](void* block, DWORD i) { return static_cast<DRIVER_INFO_3A*>(block)[i].pName; }, name,
        "EnumPrinterDrivers fail!!\n", log, trace);
}

bool PortExists(const char* port)
{
    if (empty(port)) return false;
    unique_hglobal block;
    DWORD count = 0;
    bool no_memory = false;
    bool ok = spooler_list(
        [](BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) {
            return ::EnumPortsA(nullptr, 2, buffer, size, needed, returned);
        },
        block, count, no_memory);
    if (!ok) return false;
    auto* ports = static_cast<PORT_INFO_2A*>(static_cast<void*>(block.get()));
    for (DWORD i = 0; i < count; ++i)
        if (ports[i].pPortName && ::lstrcmpiA(ports[i].pPortName, port) == 0) return true;
    return false;
}

int CheckDeviceId(IDeviceQueries& queries, const char* where, const char* expected, bool network, const char* mfg,
                  const char* mdl)
{
    const std::string target = where ? where : "";
    std::string device_id;
    bool read = network ? queries.MyGetPrinterDesc(target, device_id) == 0
                        : queries.MyGetDeviceIDFromPort(target, device_id) != 0;
    if (device_id.size() >= kDeviceIdSize) device_id.resize(kDeviceIdSize - 1);  // the libraries' 16 KB buffer
    device_id.resize(strnlen(device_id.c_str(), device_id.size()));
    if (!read || device_id.empty()) return kNoDeviceId;

    const std::string id = ToUpperText(device_id);
    for (const char* part : {mfg, mdl, expected}) {
        if (id.find(ToUpperText(part ? part : "")) == std::string::npos) return kDeviceIdMismatch;
    }
    return kDeviceIdMatch;
}

bool WaitForPnPWith(const std::function<DWORD(DWORD)>& wait, bool keep_foreground,
                    const std::function<void()>& foreground)
{
    if (wait(1000) == 0) return false;  // nothing pending
    if (keep_foreground) {
        while (wait(1000) == WAIT_TIMEOUT)
            if (foreground) foreground();
    } else if (wait(1000) == WAIT_TIMEOUT) {
        for (int step = 0; step < 60; ++step)
            if (wait(1000) != WAIT_TIMEOUT) break;
    }
    return true;
}

bool WaitForPnP(bool keep_foreground, const std::function<void()>& foreground, ILogSink& trace)
{
    using WaitFn = DWORD(WINAPI*)(DWORD);
    unique_hmodule setupapi(::LoadLibraryA("Setupapi.dll"));
    if (!setupapi) return false;
    auto fn = reinterpret_cast<WaitFn>(
        reinterpret_cast<void*>(::GetProcAddress(setupapi.get(), "CMP_WaitNoPendingInstallEvents")));
    if (!fn) return false;
    trace.Write("Wait for PnP Operation!!!!!");
    bool waited = WaitForPnPWith([fn](DWORD timeout) { return fn(timeout); }, keep_foreground, foreground);
    if (waited) trace.Write("End of waiting for PnP Operation!!!!!");
    return waited;
}

// --- services ----------------------------------------------------------------------------

unsigned long StartSystemService(const char* name, unsigned long* state)
{
    return change_service(name, state, ServiceAction::Start);
}

unsigned long StopSystemService(const char* name, unsigned long* state)
{
    return change_service(name, state, ServiceAction::Stop);
}

unsigned long QuerySystemService(const char* name, unsigned long* state)
{
    if (!state) return ERROR_INVALID_PARAMETER;
    unique_service manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return last_error();
    unique_service service(::OpenServiceA(manager.get(), name, SERVICE_ALL_ACCESS));
    if (!service) return last_error();
    SERVICE_STATUS status = {};
    if (!::QueryServiceStatus(service.get(), &status)) return last_error();
    *state = status.dwCurrentState;
    return ERROR_SUCCESS;
}

// --- files and drives --------------------------------------------------------------------

bool RemoveDirectoryTree(const char* directory, ILogSink& trace)
{
    if (empty(directory)) return false;
    std::string path = directory;
    // "C:\A\B\" is the directory C:\A\B: its parent is C:\A.
    strip_trailing_backslashes(path);
    for (;;) {
        if (!::RemoveDirectoryA(path.c_str())) {
            trace.Write("RemoveDirectory(%s) fail \n", path.c_str());
            break;
        }
        trace.Write("RemoveDirectory(%s)\n", path.c_str());
        if (!to_parent(path)) break;
    }
    return true;
}

bool DeleteFileAndDirs(const char* file, bool keep_directories)
{
    if (empty(file) || !::DeleteFileA(file)) return false;
    if (keep_directories) return true;
    std::string path = file;
    while (to_parent(path) && ::RemoveDirectoryA(path.c_str())) {
    }
    return true;
}

bool FileExists(const char* path, ILogSink& trace)
{
    if (empty(path)) return false;
    unique_hfile file(
        ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        TraceSystemError(::GetLastError(), path, trace);
        return false;
    }
    return true;
}

int GetDriveKind(const char* path)
{
    std::string source;
    if (!empty(path)) {
        source = path;
    } else {
        char own[MAX_PATH] = {};
        DWORD n = ::GetModuleFileNameA(nullptr, own, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return kDriveOther;
        source.assign(own, n);
    }
    size_t slash = source.find('\\');
    if (slash == std::string::npos) return kDriveOther;
    switch (::GetDriveTypeA(source.substr(0, slash + 1).c_str())) {
    case DRIVE_REMOVABLE: return kDriveRemovable;
    case DRIVE_FIXED: return kDriveFixed;
    case DRIVE_CDROM: return kDriveCdRom;
    case DRIVE_RAMDISK: return kDriveRamDisk;
    case DRIVE_REMOTE: return kDriveRemote;
    default: return kDriveOther;
    }
}

unsigned long RestoreSourcePath(ILogSink& trace)
{
    REGSAM access = KEY_ALL_ACCESS | (is_wow64() ? KEY_WOW64_64KEY : 0);
    unique_hkey key;
    LONG rc = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup", 0, access,
                              key.put());
    if (rc != ERROR_SUCCESS) {
        TraceSystemError(rc, "RegOpenKeyEx", trace);
        return rc;
    }
    BYTE data[kPathSize] = {};
    DWORD size = sizeof data;
    DWORD type = 0;
    rc = ::RegQueryValueExA(key.get(), "SourcePath_ORG", nullptr, &type, data, &size);
    // The saved original is the only copy: keep it when it cannot be read whole or put back.
    if (rc == ERROR_MORE_DATA) return rc;
    if (rc == ERROR_SUCCESS) {
        rc = ::RegSetValueExA(key.get(), "SourcePath", 0, type, data, size);
        if (rc != ERROR_SUCCESS) {
            TraceSystemError(rc, "RegSetValueEx", trace);
            return rc;
        }
    }
    return ::RegDeleteValueA(key.get(), "SourcePath_ORG");
}

// --- error texts -------------------------------------------------------------------------

std::string CutText(const std::string& text, size_t limit)
{
    if (text.size() <= limit) return text;
    size_t end = 0;
    while (end < limit) {
        size_t step = (::IsDBCSLeadByte(static_cast<unsigned char>(text[end])) && end + 1 < text.size()) ? 2 : 1;
        if (end + step > limit) break;
        end += step;
    }
    return text.substr(0, end);
}

std::string GetSystemErrorText(unsigned long code)
{
    char* text = nullptr;
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                   FORMAT_MESSAGE_ALLOCATE_BUFFER,
                               nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                               reinterpret_cast<char*>(&text), 0, nullptr);
    unique_hlocal owner(text);
    return n && text ? std::string(text, n) : std::string();
}

bool GetSystemErrorText(unsigned long code, char* buffer, size_t size)
{
    if (!buffer || !size) return false;
    std::string text = GetSystemErrorText(code);
    size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return !text.empty();
}

void TraceSystemError(unsigned long code, const char* prefix, ILogSink& trace)
{
    std::string text = GetSystemErrorText(code);
    if (!empty(prefix))
        trace.Write("[%s]%s\n", prefix, text.c_str());
    else
        trace.Write("%s\n", text.c_str());
}

void ShowSystemError(unsigned long code, const char* caption)
{
    std::string text = GetSystemErrorText(code);
    ::MessageBoxA(nullptr, text.c_str(), caption ? caption : "", MB_OK | MB_ICONWARNING);
}
