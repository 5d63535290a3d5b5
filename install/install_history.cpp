#include "install/install_history.h"

#include "system/registry.h"
#include "system/system_utils.h"

#include <vector>

namespace {

// One byte beyond CRegistry's longest string, so that any stored entry fits.
constexpr size_t kEntryBuffer = 4100;
constexpr DWORD kForceDelete = 1;  // SUOI_FORCEDELETE

HKEY root_key(int index)
{
    static const HKEY roots[] = {HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT,     HKEY_CURRENT_CONFIG, HKEY_CURRENT_USER,
                                 HKEY_USERS,         HKEY_PERFORMANCE_DATA, HKEY_DYN_DATA};
    return roots[index];
}

bool read_text(const std::string& key, const std::string& name, std::string& out, HKEY root = HKEY_LOCAL_MACHINE)
{
    std::vector<char> buffer(kEntryBuffer, '\0');
    if (CRegistry::GetValue(key.c_str(), name.c_str(), buffer.data(), root) != ERROR_SUCCESS) return false;
    out = buffer.data();
    return true;
}

bool read_count(const std::string& key, int type, unsigned long& count)
{
    return CRegistry::GetValue(key.c_str(), HistoryCountName(type), &count) == ERROR_SUCCESS;
}

ILogSink& sink(ILogSink* log)
{
    static CNullLog none;
    return log ? *log : none;
}

}  // namespace

InstallHistoryEnv MakeInstallHistoryEnv(const CInstallerVars& vars, ILogSink* log, ILogSink* trace, CopyFileEnv copy)
{
    InstallHistoryEnv env;
    env.roots = vars.RegistryRoots();
    env.is64 = vars.Dirs().is64;
    env.log = log;
    env.trace = trace;
    env.copy = std::move(copy);
    const CSystemDirs& dirs = vars.Dirs();
    for (const std::string* dir : {&dirs.windows_dir, &dirs.system_dir, &dirs.inf_dir, &dirs.program_files_dir,
                                   &dirs.temp_dir})
        if (!dir->empty()) env.protected_dirs.push_back(*dir);
    return env;
}

std::string CopyUninstaller(const CopyFileEnv& env, const std::string& uninstaller, const std::string& temp_dir,
                            const std::string& windows_dir, ILogSink& log)
{
    for (const std::string& target : {UninstallerTempCopy(uninstaller, temp_dir), UninstallerWindowsCopy(windows_dir)})
        if (CCopyFile::CopyOneFile(env, uninstaller.c_str(), target.c_str(), true)) return target;
    log.Write("Copy uninstaller fail. create uninstall process fail!!");
    return std::string();
}

CInstallHistory::CInstallHistory(InstallHistoryEnv env) : env_(std::move(env))
{
    // The removal must never register what it deletes.
    env_.copy.history = nullptr;
    setupapi_.reset(::LoadLibraryA("Setupapi.dll"));
    if (setupapi_)
        uninstall_oem_inf_ =
            reinterpret_cast<UninstallOEMInfFn>(
            reinterpret_cast<void*>(::GetProcAddress(setupapi_.get(), "SetupUninstallOEMInfA")));
}

bool CInstallHistory::AddHistoryEntry(const std::string& text, int type, const std::string& history_key)
{
    const std::string& key = history_key.empty() ? env_.roots.installing_history : history_key;
    if (type < 0 || type >= kHistoryTypeCount) return false;
    std::string entry = HistoryEntryText(text, type, env_.is64);

    unsigned long count = 0;
    if (!read_count(key, type, count)) count = 0;

    unique_hkey hkey;
    LONG rc = ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                                nullptr, hkey.put(), nullptr);
    if (rc != ERROR_SUCCESS) {
        TraceSystemError(static_cast<unsigned long>(rc), "CUtl-Open or Create Key", sink(env_.trace));
        return false;
    }
    std::string name = HistoryEntryName(type, count);
    // The stored length leaves out the terminating zero, as every history writer does.
    ::RegSetValueExA(hkey.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(entry.c_str()),
                     static_cast<DWORD>(entry.size()));
    DWORD next = count + 1;
    ::RegSetValueExA(hkey.get(), HistoryCountName(type), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&next),
                     sizeof next);
    return true;
}

bool CInstallHistory::MergeHistory(const std::string& source_key, const std::string& target_key)
{
    for (int type : kMergeOrder) {
        unsigned long count = 0;
        if (!read_count(source_key, type, count)) continue;
        for (unsigned long i = 0; i < count; ++i) {
            std::string entry;
            if (!read_text(source_key, HistoryEntryName(type, i), entry)) continue;
            // Already mapped when it was first recorded; mapping again changes nothing.
            AddHistoryEntry(entry, type, target_key);
        }
    }
    CRegistry::DeleteKey(source_key.c_str(), false);
    return true;
}

bool CInstallHistory::UninstallHistory(const std::string& history_key, bool remove_own_program)
{
    if (history_key.empty()) return false;
    for (int type : kUninstallOrder) {
        unsigned long count = 0;
        if (!read_count(history_key, type, count)) continue;
        // From the count itself down: the first name tried is one past the last entry.
        for (unsigned long i = count + 1; i-- > 0;) {
            std::string entry;
            if (!read_text(history_key, HistoryEntryName(type, i), entry)) continue;
            RemoveEntry(type, entry);
        }
    }
    if (remove_own_program) {
        char path[MAX_PATH] = {};
        if (::GetModuleFileNameA(nullptr, path, MAX_PATH) != 0) CCopyFile::DeleteOneFile(env_.copy, path);
    }
    return true;
}

void CInstallHistory::RemoveEntry(int type, const std::string& entry)
{
    switch (type) {
    case kHistoryValue: {
        int root = 0;
        std::string sub_key, name;
        if (SplitValueEntry(entry, root, sub_key, name))
            CRegistry::DeleteValue(sub_key.c_str(), name.c_str(), root_key(root));
        break;
    }
    case kHistoryKey: {
        int root = 0;
        std::string sub_key;
        // This key only: one that still has sub-keys was not ours alone and stays.
        if (SplitKeyEntry(entry, root, sub_key)) CRegistry::DeleteKey(sub_key.c_str(), true, root_key(root));
        break;
    }
    case kHistoryFile:
        if (uninstall_oem_inf_ && IsInfFile(entry)) {
            std::string file = BareFileName(entry);
            if (uninstall_oem_inf_(file.c_str(), kForceDelete, nullptr))
                sink(env_.log).Write("%s file uninstalled", entry.c_str());
            else
                sink(env_.log).WriteError(::GetLastError(), "%s", file.c_str());
        }
        CCopyFile::DeleteOneFile(env_.copy, entry.c_str());
        break;
    case kHistoryDestDir:
        if (IsRemovableTree(entry, env_.protected_dirs))
            CCopyFile::DeleteDirectory(env_.copy, entry.c_str(), true);
        else
            sink(env_.trace).Write("Destination directory kept (%s)\n", entry.c_str());
        break;
    case kHistoryDirectory:
        CCopyFile::DeleteDirectory(env_.copy, entry.c_str(), false);
        break;
    case kHistoryShortcut:
        DeleteFileAndDirs(entry.c_str(), false);
        break;
    default:
        break;
    }
}

bool CInstallHistory::SaveInstalledState(const IInstalledStateItems& items)
{
    const CRegistryRoots& roots = env_.roots;
    CRegistry::CopyKey(roots.installing.c_str(), roots.installed.c_str(), false);
    for (int i = 0; i < items.ItemCount(); ++i) {
        std::string name = items.ItemName(i);
        if (!name.empty()) SaveItemRecord(name);
    }
    for (int i = 0; i < items.ShortcutCount(); ++i) {
        std::string name = items.ShortcutName(i);
        if (name.empty()) continue;
        std::string from = roots.installing + "\\Shortcut\\" + name;
        std::string to = roots.installed + "\\Shortcut\\" + name;
        CRegistry::CopyKey(from.c_str(), to.c_str(), false);
    }
    MergeHistory(roots.installing_history, roots.installed_history);
    return true;
}

void CInstallHistory::SaveItemRecord(const std::string& name)
{
    const CRegistryRoots& roots = env_.roots;
    std::string from = roots.installing + "\\Items\\" + name;
    unsigned long install_now = 0;
    if (CRegistry::GetValue(from.c_str(), "InstallNow", &install_now) != ERROR_SUCCESS || install_now != 2) return;

    std::string command;
    bool keep = false;
    if (read_text(from, "UninstCmd", command)) {
        keep = !command.empty();
    } else {
        std::string value_name, uninstall;
        keep = read_text(from, "Uninstall_Value_Name", value_name) && !value_name.empty() &&
               read_text(roots.uninstall_info, value_name, uninstall) && !uninstall.empty();
    }
    if (!keep) return;
    std::string to = roots.installed + "\\Items\\" + name;
    CRegistry::CopyKey(from.c_str(), to.c_str(), false);
}
