#pragma once
// The real machine as the installer variables see it, with the program at a path the caller
// names and no directories made or removed: loads a disc laid out anywhere without touching
// the destination. Derive to change one answer (e.g. make FileExists fail for a path).
#include "config/vars_platform.h"
#include "platform/vars_platform_win.h"

#include <string>
#include <utility>
#include <vector>

class CDiscPlatform : public IVarsPlatform {
public:
    explicit CDiscPlatform(std::string program) : program_(std::move(program)) {}

    std::string ProgramPath() override { return program_; }
    bool SetCurrentDir(const std::string& dir) override { return real_.SetCurrentDir(dir); }
    std::string WindowsDirectory() override { return real_.WindowsDirectory(); }
    std::string SystemDirectory() override { return real_.SystemDirectory(); }
    std::string TempPath() override { return real_.TempPath(); }
    OsVersionInfo VersionInfo() override { return real_.VersionInfo(); }
    bool IsWow64() override { return real_.IsWow64(); }
    uint16_t SystemDefaultLangId() override { return real_.SystemDefaultLangId(); }
    bool RegGetString(RegRoot root, const std::string& key, const std::string& name, std::string& value) override
    {
        return real_.RegGetString(root, key, name, value);
    }
    bool RegGetDword(RegRoot root, const std::string& key, const std::string& name, uint32_t& value) override
    {
        return real_.RegGetDword(root, key, name, value);
    }
    bool RegSetString(RegRoot root, const std::string& key, const std::string& name, const std::string& value) override
    {
        return real_.RegSetString(root, key, name, value);
    }
    bool RegSetDword(RegRoot root, const std::string& key, const std::string& name, uint32_t value) override
    {
        return real_.RegSetDword(root, key, name, value);
    }
    std::vector<std::string> PortNames() override { return real_.PortNames(); }
    bool FileExists(const std::string& path) override { return real_.FileExists(path); }
    std::string PrivateProfileString(const std::string& section, const std::string& key,
                                     const std::string& default_value, const std::string& file) override
    {
        return real_.PrivateProfileString(section, key, default_value, file);
    }
    bool CreateDirectoryChain(const std::string&) override { return true; }
    void RemoveEmptyDirectories(const std::string&) override {}
    uintptr_t BeginWaitCursor() override { return 0; }
    void EndWaitCursor(uintptr_t) override {}

private:
    std::string program_;
    CVarsPlatformWin real_;
};
