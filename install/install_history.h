#pragma once
// The install history: six numbered lists in an InstHistory key that record what a run put on
// the system (files, directories, keys, values, shortcuts, destination directories), kept per
// run under the Installing key, merged into the Installed key's history, and walked backwards
// by a removal. Also the step that turns a finished install run into installed state.
#include "config/installer_vars.h"
#include "config/log_sink.h"
#include "install/history_rules.h"
#include "platform/unique_handle.h"
#include "system/copy_file.h"
#include "system/install_history_sink.h"

#include <windows.h>

#include <string>
#include <vector>

// What SaveInstalledState asks of the item collection. InstalledStateOf<CItem> forwards to it.
class IInstalledStateItems {
public:
    virtual ~IInstalledStateItems() = default;
    virtual int ItemCount() const = 0;
    virtual std::string ItemName(int index) const = 0;  // the name of "<root>\Items\<name>"
    virtual int ShortcutCount() const = 0;
    virtual std::string ShortcutName(int index) const = 0;  // the name of "<root>\Shortcut\<name>"
};

template <typename Items>
class InstalledStateOf final : public IInstalledStateItems {
public:
    explicit InstalledStateOf(const Items& items) : items_(items) {}
    int ItemCount() const override { return items_.GetCount(); }
    std::string ItemName(int index) const override
    {
        auto* item = items_.GetItem(index);
        return item ? item->Name() : std::string();
    }
    int ShortcutCount() const override { return items_.GetShortcutCount(); }
    std::string ShortcutName(int index) const override
    {
        const std::string* name = items_.GetShortcutName(index);
        return name ? *name : std::string();
    }

private:
    const Items& items_;
};

// The system's SetupUninstallOEMInfA.
using UninstallOEMInfFn = BOOL(WINAPI*)(PCSTR inf_file_name, DWORD flags, PVOID reserved);

struct InstallHistoryEnv {
    CRegistryRoots roots;          // keys under HKEY_LOCAL_MACHINE (tests: a scratch key)
    bool is64 = false;             // file entries are mapped to SYSWOW64
    ILogSink* log = nullptr;       // "%s file uninstalled" and the INF failure line
    ILogSink* trace = nullptr;     // "CUtl-Open or Create Key"
    CopyFileEnv copy;              // for DeleteOneFile / DeleteDirectory (its history is ignored)
    // Never removed as a destination directory, nor any directory holding one of them.
    std::vector<std::string> protected_dirs;
};

// The installer's roots, 64-bit flag and system directories (the protected ones).
InstallHistoryEnv MakeInstallHistoryEnv(const CInstallerVars& vars, ILogSink* log, ILogSink* trace,
                                        CopyFileEnv copy);

// CT_DELETE_ALL's copy of the maker's uninstaller out of the destination it will remove:
// to "<temp>\<its name>", else to "<windows>\UnInstEE.exe", registered in the install history
// through env.history. The copy's path, or "" after logging
// "Copy uninstaller fail. create uninstall process fail!!" when neither copy worked.
std::string CopyUninstaller(const CopyFileEnv& env, const std::string& uninstaller, const std::string& temp_dir,
                            const std::string& windows_dir, ILogSink& log);

class CInstallHistory final : public IInstallHistory {
public:
    // Loads SetupUninstallOEMInfA of Setupapi.dll; without it INF entries are deleted like any
    // other file.
    explicit CInstallHistory(InstallHistoryEnv env);
    CInstallHistory(const CInstallHistory&) = delete;
    CInstallHistory& operator=(const CInstallHistory&) = delete;

    // Appends the text to the list of `type` (0 to 5) in `history_key` (empty: the run
    // history). True when written.
    bool AddHistoryEntry(const std::string& text, int type, const std::string& history_key = std::string());
    // Appends every entry of the source to the target, then deletes the source key. True.
    bool MergeHistory(const std::string& source_key, const std::string& target_key);
    // Deletes every recorded item, each list from its last entry down. False for an empty key.
    bool UninstallHistory(const std::string& history_key, bool remove_own_program = false);
    // Installing values, installed item records, shortcut records to the Installed key, then
    // the run history into the installed history. True.
    bool SaveInstalledState(const IInstalledStateItems& items);
    // UninstallHistory of the installed history (or of the run history).
    bool RemoveAllInstalled(bool run_history = false) { return UninstallHistory(HistoryKey(run_history), false); }

    static bool IsInfFile(const std::string& path) { return ::IsInfFile(path); }

    // IInstallHistory: the copy engine's registration.
    bool AddFile(const std::string& path) override { return AddHistoryEntry(path, kHistoryFile); }
    bool AddDirectory(const std::string& path) override { return AddHistoryEntry(path, kHistoryDirectory); }
    bool RemoveRunHistory() override { return UninstallHistory(env_.roots.installing_history, false); }

    const InstallHistoryEnv& Env() const { return env_; }
    // Tests replace the system's entry (nullptr: none).
    void SetUninstallOEMInf(UninstallOEMInfFn fn) { uninstall_oem_inf_ = fn; }
    bool HasUninstallOEMInf() const { return uninstall_oem_inf_ != nullptr; }

private:
    const std::string& HistoryKey(bool run_history) const
    {
        return run_history ? env_.roots.installing_history : env_.roots.installed_history;
    }
    void RemoveEntry(int type, const std::string& entry);
    void SaveItemRecord(const std::string& name);

    InstallHistoryEnv env_;
    unique_hmodule setupapi_;
    UninstallOEMInfFn uninstall_oem_inf_ = nullptr;
};
