#include "install/history_rules.h"

#include "system/text_utils.h"

#include <cstdio>

namespace {

struct ListNames {
    const char* count;
    const char* entry;
};
constexpr ListNames kLists[kHistoryTypeCount] = {
    {"NumOfFiles", "File"},         {"NumOfDirs", "Dir"},           {"NumOfKeys", "Key"},
    {"NumOfValues", "Value"},       {"NumOfShortcuts", "Shortcut"}, {"NumOfDestDirs", "DestDir"},
};

constexpr const char* kRootNames[] = {
    "HKEY_LOCAL_MACHINE", "HKEY_CLASSES_ROOT", "HKEY_CURRENT_CONFIG",  "HKEY_CURRENT_USER",
    "HKEY_USERS",         "HKEY_PERFORMANCE_DATA", "HKEY_DYN_DATA",
};

bool valid_type(int type) { return type >= 0 && type < kHistoryTypeCount; }

}  // namespace

const char* HistoryCountName(int type) { return valid_type(type) ? kLists[type].count : nullptr; }

std::string HistoryEntryName(int type, unsigned long index)
{
    if (!valid_type(type)) return std::string();
    return kLists[type].entry + std::to_string(index);
}

std::string HistoryEntryText(const std::string& text, int type, bool is64)
{
    if (type != kHistoryFile || !is64) return text;
    std::string upper = ToUpperText(text);
    static const std::string from = "\\SYSTEM32\\", to = "\\SYSWOW64\\";
    size_t at = upper.find(from);
    if (at != std::string::npos) upper.replace(at, from.size(), to);
    return upper;
}

int HistoryRootIndex(const std::string& name)
{
    for (int i = 0; i < static_cast<int>(sizeof kRootNames / sizeof kRootNames[0]); ++i)
        if (EqualsNoCase(name, kRootNames[i])) return i;
    return -1;
}

const char* HistoryRootName(int index)
{
    if (index < 0 || index >= static_cast<int>(sizeof kRootNames / sizeof kRootNames[0])) return nullptr;
    return kRootNames[index];
}

bool SplitValueEntry(const std::string& entry, int& root, std::string& sub_key, std::string& value_name)
{
    size_t first = entry.find('\\');
    size_t last = entry.rfind('\\');
    if (first == std::string::npos || first == last) return false;
    root = HistoryRootIndex(entry.substr(0, first));
    if (root < 0) return false;
    sub_key = entry.substr(first + 1, last - first - 1);
    value_name = entry.substr(last + 1);
    // An empty key would name the root itself: nothing the history could have recorded.
    return !sub_key.empty();
}

bool SplitKeyEntry(const std::string& entry, int& root, std::string& sub_key)
{
    size_t first = entry.find('\\');
    if (first == std::string::npos) return false;
    root = HistoryRootIndex(entry.substr(0, first));
    if (root < 0) root = kRootLocalMachine;
    sub_key = entry.substr(first + 1);
    return !sub_key.empty();
}

bool IsRemovableTree(const std::string& path, const std::vector<std::string>& protected_dirs)
{
    std::string dir = path;
    while (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
    size_t below_root = 0;  // where the first component under the root starts
    if (dir.size() >= 2 && dir[1] == ':' && ((dir[0] | 0x20) >= 'a' && (dir[0] | 0x20) <= 'z')) {
        if (dir.size() < 4 || dir[2] != '\\') return false;
        below_root = 3;
    } else if (dir.compare(0, 2, "\\\\") == 0) {
        size_t share = dir.find('\\', 2);
        if (share == std::string::npos) return false;
        size_t below = dir.find('\\', share + 1);
        if (below == std::string::npos) return false;
        below_root = below + 1;
    } else {
        return false;
    }
    if (below_root >= dir.size()) return false;
    for (const std::string& p : protected_dirs) {
        std::string other = p;
        while (!other.empty() && (other.back() == '\\' || other.back() == '/')) other.pop_back();
        if (other.empty()) continue;
        // The directory itself, or one that holds it.
        if (EqualsNoCase(dir, other)) return false;
        if (other.size() > dir.size() && other[dir.size()] == '\\' && EqualsNoCase(dir, other.substr(0, dir.size())))
            return false;
    }
    return true;
}

bool IsInfFile(const std::string& path)
{
    size_t dot = path.rfind('.');
    if (dot == std::string::npos) return false;
    return EqualsNoCase(path.substr(dot + 1), "inf");
}

std::string BareFileName(const std::string& path)
{
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string UninstallerParameters(const std::string& dest_install_dir, uint32_t process_id)
{
    char pid[16];
    std::snprintf(pid, sizeof pid, "%x", static_cast<unsigned>(process_id));
    return "/P\"" + dest_install_dir + "\" /I0x" + pid;
}

std::string UninstallerTempCopy(const std::string& uninstaller, const std::string& temp_dir)
{
    return temp_dir + "\\" + BareFileName(uninstaller);
}

std::string UninstallerWindowsCopy(const std::string& windows_dir) { return windows_dir + "\\UnInstEE.exe"; }
