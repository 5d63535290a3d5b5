#pragma once
// The installer variables' machine on Windows: the program's path, the system directories,
// the version, the registry (through CRegistry), the spooler's port list, files, directories
// and the wait cursor.
#include "config/vars_platform.h"

class CVarsPlatformWin final : public IVarsPlatform {
public:
    std::string ProgramPath() override;
    bool SetCurrentDir(const std::string& dir) override;
    std::string WindowsDirectory() override;
    std::string SystemDirectory() override;
    std::string TempPath() override;
    OsVersionInfo VersionInfo() override;
    bool IsWow64() override;
    uint16_t SystemDefaultLangId() override;

    bool RegGetString(RegRoot root, const std::string& key, const std::string& name, std::string& value) override;
    bool RegGetDword(RegRoot root, const std::string& key, const std::string& name, uint32_t& value) override;
    bool RegSetString(RegRoot root, const std::string& key, const std::string& name, const std::string& value) override;
    bool RegSetDword(RegRoot root, const std::string& key, const std::string& name, uint32_t value) override;

    std::vector<std::string> PortNames() override;
    bool FileExists(const std::string& path) override;
    std::string PrivateProfileString(const std::string& section, const std::string& key,
                                     const std::string& default_value, const std::string& file) override;
    bool CreateDirectoryChain(const std::string& dir) override;
    void RemoveEmptyDirectories(const std::string& dir) override;

    uintptr_t BeginWaitCursor() override;
    void EndWaitCursor(uintptr_t previous) override;
};

// EnumPortsA level 2: size query, zero-filled block of that size, real call. Empty on failure.
std::vector<std::string> EnumPortNames();
