#pragma once
// Small system services shared by the installer: version classification, the administrator
// check, printer-driver and port presence, the device-ID comparison, the plug-and-play wait,
// services, directory clean-up, file and drive tests, and the system's error texts.
// The trace sink of every operation defaults to the channel that writes nothing.
#include "config/log_sink.h"
#include "config/os_class.h"
#include "system/trace.h"

#include <windows.h>

#include <functional>
#include <string>

// --- version ---------------------------------------------------------------------------

// GetVersionExA (extended structure, else the basic one with the product type unknown) and
// IsWow64Process, resolved at run time. False when the version cannot be read (error set).
bool ReadOsVersion(OsVersionInfo& version);

// OS class and family codes (config/os_class.h). False only when the version cannot be read.
bool GetOSVersion(int* os_class, int* os_family);

// True when VersionNumber of HKLM "Software\Microsoft\Windows\CurrentVersion" holds "4.90.".
bool IsWindowsMe();

// --- rights, printers, ports, devices ----------------------------------------------------

// AccessCheck of the caller's token against a descriptor granting the Administrators group.
bool IsAdministrator();

// by_printer: some local printer uses the driver `name`; otherwise the driver is installed.
// `log` receives "GlobalAlloc Error [Check Printer Installed]".
bool IsPrinterDriverInstalled(const char* name, bool by_printer, ILogSink& log, ILogSink& trace = NullTrace());

// A port of that name (ignoring case) exists.
bool PortExists(const char* port);

// The component-library entries the device checks call, with CComponentLibs' signatures and
// result conventions (DeviceQueriesOf<CComponentLibs> forwards to the gateway).
class IDeviceQueries {
public:
    virtual ~IDeviceQueries() = default;
    // The network library's MyGetPrinterDesc for an address: 0 when the description was read.
    virtual int MyGetPrinterDesc(const std::string& address, std::string& desc) = 0;
    // The utility library's MyGetDeviceIDFromPort for a port: non-zero when the ID was read.
    virtual int MyGetDeviceIDFromPort(const std::string& port, std::string& id) = 0;
};

template <typename Libs>
class DeviceQueriesOf final : public IDeviceQueries {
public:
    explicit DeviceQueriesOf(Libs& libs) : libs_(libs) {}
    int MyGetPrinterDesc(const std::string& address, std::string& desc) override
    {
        return libs_.MyGetPrinterDesc(address, desc);
    }
    int MyGetDeviceIDFromPort(const std::string& port, std::string& id) override
    {
        return libs_.MyGetDeviceIDFromPort(port, id);
    }

private:
    Libs& libs_;
};

enum DeviceIdResult { kNoDeviceId = 0, kDeviceIdMatch = 1, kDeviceIdMismatch = 2 };

// Reads the device ID at the address (network) or port and compares it, upper-cased, with
// MFG, MDL and `expected`: 1 when it contains all three, 2 otherwise, 0 when no ID was read.
int CheckDeviceId(IDeviceQueries& queries, const char* where, const char* expected, bool network, const char* mfg,
                  const char* mdl);

// Waits for pending plug-and-play installations (CMP_WaitNoPendingInstallEvents of
// Setupapi.dll). With keep_foreground, waits without limit and calls `foreground` (the utility
// library's MySetForegroundNHWdDialog) after each timed-out second; otherwise at most about
// 60 s more. False when nothing was pending or the operation is missing.
bool WaitForPnP(bool keep_foreground, const std::function<void()>& foreground, ILogSink& trace = NullTrace());
// The same loop over a given wait operation (one call: one wait of `timeout` ms).
bool WaitForPnPWith(const std::function<DWORD(DWORD timeout)>& wait, bool keep_foreground,
                    const std::function<void()>& foreground);

// --- services ----------------------------------------------------------------------------

// Win32 status: 0 when the service reached (or was in) the target state, 1052 when it ended in
// another, else the system error. `state` (may be null) receives the last state seen.
unsigned long StartSystemService(const char* name, unsigned long* state);
unsigned long StopSystemService(const char* name, unsigned long* state);
// The current state; 87 without an output.
unsigned long QuerySystemService(const char* name, unsigned long* state);

// --- files and drives --------------------------------------------------------------------

// Removes the directory, then each parent while that succeeds, stopping above a drive.
// False only for an empty text.
bool RemoveDirectoryTree(const char* directory, ILogSink& trace = NullTrace());

// Deletes the file (false when that fails) and, unless keep_directories, its directory and
// each emptied parent.
bool DeleteFileAndDirs(const char* file, bool keep_directories);

// The file opens for reading (shared read, existing only).
bool FileExists(const char* path, ILogSink& trace = NullTrace());

enum DriveKind { kDriveOther = 0, kDriveRemovable = 1, kDriveFixed = 2, kDriveCdRom = 3, kDriveRamDisk = 4,
                 kDriveRemote = 5 };
// The kind of the drive of `path` (of the program's own file when null or empty).
int GetDriveKind(const char* path = nullptr);

// Puts SourcePath_ORG of HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\Setup" back into
// SourcePath and deletes SourcePath_ORG. Win32 status.
unsigned long RestoreSourcePath(ILogSink& trace = NullTrace());

// --- error texts -------------------------------------------------------------------------

// The system's text for a code ("" when it has none).
// At most `limit` bytes of text, never splitting a double-byte character of the system code page.
std::string CutText(const std::string& text, size_t limit);

std::string GetSystemErrorText(unsigned long code);
bool GetSystemErrorText(unsigned long code, char* buffer, size_t size);
// Traces "[prefix]text\n", or "text\n" without a prefix.
void TraceSystemError(unsigned long code, const char* prefix, ILogSink& trace = NullTrace());
// A warning box without owner showing the system's text.
void ShowSystemError(unsigned long code, const char* caption);
