#pragma once
// Everything the installer variables ask of the machine, behind one interface so that the
// variables stay Win32-free: platform/vars_platform_win.h is the real one, tests use a fake.
#include "config/log_sink.h"
#include "config/os_class.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class RegRoot { LocalMachine, CurrentUser };

class IVarsPlatform {
public:
    virtual ~IVarsPlatform() = default;

    virtual std::string ProgramPath() = 0;  // full path of the running program
    virtual bool SetCurrentDir(const std::string& dir) = 0;
    virtual std::string WindowsDirectory() = 0;  // GetWindowsDirectory
    virtual std::string SystemDirectory() = 0;   // GetSystemDirectory
    virtual std::string TempPath() = 0;          // GetTempPath, trailing backslash included
    // Version fields only; is64 and version_number are filled by the caller.
    virtual OsVersionInfo VersionInfo() = 0;
    virtual bool IsWow64() = 0;  // false where the system cannot tell
    virtual uint16_t SystemDefaultLangId() = 0;

    virtual bool RegGetString(RegRoot root, const std::string& key, const std::string& name, std::string& value) = 0;
    virtual bool RegGetDword(RegRoot root, const std::string& key, const std::string& name, uint32_t& value) = 0;
    // Creates the key when missing.
    virtual bool RegSetString(RegRoot root, const std::string& key, const std::string& name, const std::string& value) = 0;
    virtual bool RegSetDword(RegRoot root, const std::string& key, const std::string& name, uint32_t value) = 0;

    virtual std::vector<std::string> PortNames() = 0;  // EnumPorts level 2
    virtual bool FileExists(const std::string& path) = 0;
    virtual std::string PrivateProfileString(const std::string& section, const std::string& key,
                                             const std::string& default_value, const std::string& file) = 0;
    virtual bool CreateDirectoryChain(const std::string& dir) = 0;
    // Removes dir and its parents while they are empty, never the drive itself.
    virtual void RemoveEmptyDirectories(const std::string& dir) = 0;

    virtual uintptr_t BeginWaitCursor() = 0;  // returns the cursor to restore
    virtual void EndWaitCursor(uintptr_t previous) = 0;
};

// What loading the maker's libraries needs from the variables.
struct ComponentLibRequest {
    std::function<bool(const std::string& section, const std::string& key, std::string& out)> read;
    std::function<std::string(const std::string& path)> resolve;  // ResolvePath without the check
    std::string platform_section;  // best variant of INSTALLER_FILE_INFO (may be it); empty when none
};

// The component-library gateway as the variables use it (an adapter over CComponentLibs).
class IComponentLibsHost {
public:
    virtual ~IComponentLibsHost() = default;
    virtual bool Load(const ComponentLibRequest& request, ILogSink& log) = 0;
    // GetDevicePort: the port count (1..255 valid, -1 no USB, 0 none) and the port names.
    virtual int GetDevicePort(const std::string& mfg, const std::string& mdl, const std::string& vidpid,
                              std::vector<std::string>& ports) = 0;
};

// Work a language selection hands to the wizard, pages, items and network search. Defaults
// do nothing, so the variables run without a user interface.
class ILanguageHooks {
public:
    virtual ~ILanguageHooks() = default;
    // The network printer search re-reads its texts.
    virtual void ReloadNetworkTexts() {}
    // An interactive change while the wizard runs: show the CHANGE_LANG_WIN progress window,
    // hide the wizard, set its right-to-left layout, reload the items, let the pages re-read
    // their configuration (unless silent), drop the progress window, show the wizard again
    // and post WM_USER_OPEN_DLG.
    virtual void ApplyInteractiveLanguageChange(bool right_align) { (void)right_align; }
};
