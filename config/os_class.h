#pragma once
// The running Windows version as the platform reports it, and the OS class and family codes
// that every version-dependent rule of the installer uses. Win32-free: the platform layer
// fills OsVersionInfo (GetVersionExA, IsWow64Process, the VersionNumber registry value).
#include <cstdint>
#include <string>

// Product types and suite bit as GetVersionExA reports them.
constexpr uint8_t kNtWorkstation = 1;        // VER_NT_WORKSTATION
constexpr uint8_t kNtDomainController = 2;   // VER_NT_DOMAIN_CONTROLLER
constexpr uint8_t kNtServer = 3;             // VER_NT_SERVER
constexpr uint16_t kSuiteTerminal = 0x0010;  // VER_SUITE_TERMINAL

constexpr uint32_t kPlatformWin32s = 0;
constexpr uint32_t kPlatformWindows = 1;  // 95, 98, ME
constexpr uint32_t kPlatformNt = 2;

struct OsVersionInfo {
    bool ok_ex = false;     // the extended (156-byte) structure was filled: product type known
    bool ok_basic = false;  // only the basic (148-byte) structure was filled
    uint32_t error = 0;     // system error when neither call succeeded
    uint32_t platform_id = 0;
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
    std::string csd;            // service-pack text
    uint8_t product_type = 0;   // valid when ok_ex
    uint16_t suite_mask = 0;    // valid when ok_ex
    bool is64 = false;          // the process runs on 64-bit Windows
    std::string version_number; // VersionNumber of ...\Windows\CurrentVersion (Windows 9x only)

    bool Readable() const { return ok_ex || ok_basic; }
    bool ProductTypeKnown() const { return ok_ex; }
};

// OS class codes (also called the OS index).
enum OsClassCode : int {
    kOsUnknown = 0,
    kOsWin32s = 2,
    kOsWin95 = 3,
    kOsWin95Osr2 = 4,
    kOsWin98 = 6,
    kOsWin98Se = 7,
    kOsWinMe = 9,
    kOsWin9xOther = 10,
    kOsNt3 = 11,
    kOsNt4 = 12,
    kOsWin2000 = 13,  // also any later NT major version not listed
    kOsWinXp = 14,
    kOsServer2003 = 16,
    kOsVista = 18,
    kOsServer2008 = 19,
};

// OS family codes.
enum OsFamilyCode : int {
    kFamilyUnknown = 0,
    kFamilyWin32s = 2,
    kFamilyWin9x = 10,
    kFamilyNt4 = 15,  // NT 3.x and 4.0
    kFamilyNt5 = 17,  // NT 5 and later
};

struct OsClassification {
    int os_class = kOsUnknown;
    int family = kFamilyUnknown;
};

// False only when the version could not be read. A platform id other than 0, 1, 2 gives
// class and family 0.
bool ClassifyOs(const OsVersionInfo& version, OsClassification& out);

// Windows ME reports itself as 98 (4.10); its VersionNumber text tells it apart.
bool IsWindowsMe(const OsVersionInfo& version);
