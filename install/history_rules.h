#pragma once
// The install history's text rules: list and entry names, the 64-bit file-path mapping, and
// the splitting of registry entries into root, key and value. Win32-free.
#include <cstdint>
#include <string>
#include <vector>

enum HistoryEntryType {
    kHistoryFile = 0,
    kHistoryDirectory = 1,
    kHistoryKey = 2,
    kHistoryValue = 3,
    kHistoryShortcut = 4,
    kHistoryDestDir = 5,
};
constexpr int kHistoryTypeCount = 6;

// "NumOfFiles" ... "NumOfDestDirs"; nullptr for a type outside 0 to 5.
const char* HistoryCountName(int type);
// "File%d" ... "DestDir%d" with the index; "" for a type outside 0 to 5.
std::string HistoryEntryName(int type, unsigned long index);

// Where a merge reads the lists, and where a removal walks them.
constexpr int kMergeOrder[kHistoryTypeCount] = {kHistoryValue,     kHistoryKey,     kHistoryFile,
                                               kHistoryDirectory, kHistoryDestDir, kHistoryShortcut};
constexpr int kUninstallOrder[kHistoryTypeCount] = {kHistoryValue,   kHistoryKey,       kHistoryFile,
                                                   kHistoryDestDir, kHistoryDirectory, kHistoryShortcut};

// The text a file entry is stored with: on a 64-bit system upper-cased (double-byte
// characters kept) with "\SYSTEM32\" turned into "\SYSWOW64\", where the 32-bit installer's
// files really land; unchanged otherwise and for every other type.
std::string HistoryEntryText(const std::string& text, int type, bool is64);

// The seven root names, in a fixed order: HKEY_LOCAL_MACHINE is 0.
enum HistoryRoot {
    kRootLocalMachine = 0,
    kRootClassesRoot,
    kRootCurrentConfig,
    kRootCurrentUser,
    kRootUsers,
    kRootPerformanceData,
    kRootDynData,
};
// The root's index, or -1 when the name is not one of the seven (ASCII case ignored).
int HistoryRootIndex(const std::string& name);
const char* HistoryRootName(int index);  // nullptr outside 0 to 6

// A value entry: root name, backslash, sub-key, backslash, value name, split at the first and
// the last backslash. False (skip) without two distinct backslashes or with an unknown root.
bool SplitValueEntry(const std::string& entry, int& root, std::string& sub_key, std::string& value_name);
// A key entry: split at the first backslash. False (skip) without one or with an empty
// sub-key; an unknown root name counts as HKEY_LOCAL_MACHINE.
bool SplitKeyEntry(const std::string& entry, int& root, std::string& sub_key);

// Whether a destination-directory entry may be removed with all its content: an absolute
// path ("X:\dir" or "\\server\share\dir") below its root that neither is nor holds one of
// `protected_dirs` (case and trailing backslashes ignored). A root, a relative path or a system directory
// recorded by mistake would otherwise take everything under it.
bool IsRemovableTree(const std::string& path, const std::vector<std::string>& protected_dirs);

// The text after the last full stop is "inf", ignoring case.
bool IsInfFile(const std::string& path);
// The text after the last backslash (the whole text without one).
std::string BareFileName(const std::string& path);

// The uninstaller's parameters: "/P\"<dest install dir>\" /I0x<pid in hex>".
std::string UninstallerParameters(const std::string& dest_install_dir, uint32_t process_id);
// Where CT_DELETE_ALL copies the uninstaller: first "<temp>\<its file name>", and when that
// copy fails "<windows>\UnInstEE.exe".
std::string UninstallerTempCopy(const std::string& uninstaller, const std::string& temp_dir);
std::string UninstallerWindowsCopy(const std::string& windows_dir);
