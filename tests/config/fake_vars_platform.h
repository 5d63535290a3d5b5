#pragma once
// A machine for the installer variables in native tests: registry, ports, directories and
// private-profile values in memory; file existence from the real file system (fixture files)
// plus names added by the test.
#include "config/vars_platform.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

class FakeVarsPlatform : public IVarsPlatform {
public:
    std::string program_path = "C:\\Disc\\Setup.exe";
    std::string current_dir;
    std::string windows_dir = "C:\\WINDOWS";
    std::string system_dir = "C:\\WINDOWS\\system32";
    std::string temp_path = "C:\\TEMP\\";
    OsVersionInfo version = XpWorkstation();
    bool wow64 = false;
    uint16_t lang_id = 0x0409;
    std::vector<std::string> ports = {"COM1:", "FILE:", "LPT1:"};
    std::set<std::string> files;  // extra existing files (lower case)
    std::map<std::string, std::string> private_profile;  // "file|section|key" (lower case) -> value
    std::set<std::string> dirs;                          // existing directories (lower case)
    std::vector<std::string> created, removed;           // as asked for
    int wait_cursor_depth = 0;
    int wait_cursor_calls = 0;

    static OsVersionInfo XpWorkstation()
    {
        OsVersionInfo v;
        v.ok_ex = true;
        v.platform_id = kPlatformNt;
        v.major = 5;
        v.minor = 1;
        v.build = 2600;
        v.product_type = kNtWorkstation;
        return v;
    }

    static std::string Lower(std::string s)
    {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        return s;
    }
    static std::string RegName(RegRoot root, const std::string& key, const std::string& name)
    {
        return Lower((root == RegRoot::LocalMachine ? "HKLM\\" : "HKCU\\") + key + "|" + name);
    }

    // Registry values by "HKLM\key|name".
    std::map<std::string, std::string> reg_strings;
    std::map<std::string, uint32_t> reg_dwords;
    void SetString(RegRoot root, const std::string& key, const std::string& name, const std::string& value)
    {
        reg_strings[RegName(root, key, name)] = value;
    }
    const std::string* String(RegRoot root, const std::string& key, const std::string& name) const
    {
        auto it = reg_strings.find(RegName(root, key, name));
        return it == reg_strings.end() ? nullptr : &it->second;
    }
    const uint32_t* Dword(RegRoot root, const std::string& key, const std::string& name) const
    {
        auto it = reg_dwords.find(RegName(root, key, name));
        return it == reg_dwords.end() ? nullptr : &it->second;
    }
    bool HasDir(const std::string& dir) const { return dirs.count(Lower(dir)) != 0; }

    std::string ProgramPath() override { return program_path; }
    bool SetCurrentDir(const std::string& dir) override
    {
        current_dir = dir;
        return true;
    }
    std::string WindowsDirectory() override { return windows_dir; }
    std::string SystemDirectory() override { return system_dir; }
    std::string TempPath() override { return temp_path; }
    OsVersionInfo VersionInfo() override { return version; }
    bool IsWow64() override { return wow64; }
    uint16_t SystemDefaultLangId() override { return lang_id; }

    bool RegGetString(RegRoot root, const std::string& key, const std::string& name, std::string& value) override
    {
        auto it = reg_strings.find(RegName(root, key, name));
        if (it == reg_strings.end()) return false;
        value = it->second;
        return true;
    }
    bool RegGetDword(RegRoot root, const std::string& key, const std::string& name, uint32_t& value) override
    {
        auto it = reg_dwords.find(RegName(root, key, name));
        if (it == reg_dwords.end()) return false;
        value = it->second;
        return true;
    }
    bool RegSetString(RegRoot root, const std::string& key, const std::string& name, const std::string& value) override
    {
        reg_strings[RegName(root, key, name)] = value;
        return true;
    }
    bool RegSetDword(RegRoot root, const std::string& key, const std::string& name, uint32_t value) override
    {
        reg_dwords[RegName(root, key, name)] = value;
        return true;
    }

    std::vector<std::string> PortNames() override { return ports; }

    bool FileExists(const std::string& path) override
    {
        if (path.empty()) return false;
        if (files.count(Lower(path))) return true;
        struct stat st;
        return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }

    std::string PrivateProfileString(const std::string& section, const std::string& key,
                                     const std::string& default_value, const std::string& file) override
    {
        auto it = private_profile.find(Lower(file + "|" + section + "|" + key));
        return it == private_profile.end() ? default_value : it->second;
    }

    bool CreateDirectoryChain(const std::string& dir) override
    {
        created.push_back(dir);
        for (size_t pos = dir.find('\\'); pos != std::string::npos; pos = dir.find('\\', pos + 1))
            if (pos > 2) dirs.insert(Lower(dir.substr(0, pos)));
        dirs.insert(Lower(dir));
        return true;
    }

    // Like the system: a directory goes only while nothing lies below it; the drive stays.
    void RemoveEmptyDirectories(const std::string& dir) override
    {
        removed.push_back(dir);
        std::string d = Lower(dir);
        while (!d.empty() && d.back() != ':' && dirs.count(d)) {
            const std::string below = d + "\\";
            bool empty = std::none_of(dirs.begin(), dirs.end(), [&](const std::string& x) {
                return x.compare(0, below.size(), below) == 0;
            });
            if (!empty) break;
            dirs.erase(d);
            size_t cut = d.find_last_of('\\');
            if (cut == std::string::npos) break;
            d = d.substr(0, cut);
        }
    }

    uintptr_t BeginWaitCursor() override
    {
        ++wait_cursor_calls;
        return uintptr_t(++wait_cursor_depth);
    }
    void EndWaitCursor(uintptr_t) override { --wait_cursor_depth; }
};
