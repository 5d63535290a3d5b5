#pragma once
// The gateway to the maker's component libraries: loads them at start-up from the paths the
// data file names, binds their entries by name once, and makes every call — logged, inside a
// fault guard, with the entry's own failure value when the entry is missing or faults.
#include "config/log_sink.h"
#include "platform/unique_handle.h"
#include "system/component_entries.h"

#include <functional>
#include <string>
#include <vector>

// Where the library paths come from.
struct ComponentLibSource {
    // Reads a key of the data profile, macro-expanded; false when the key is missing.
    std::function<bool(const std::string& section, const std::string& key, std::string& out)> read;
    // Resolves a configured path against the source directory (no existence check).
    std::function<std::string(const std::string& path)> resolve;
    // The best OS variant of INSTALLER_FILE_INFO, read before it; empty when there is none.
    std::string platform_section;
};

enum class ComponentLib {
    Installer,      // INSTALLER_DLL
    Utility,        // UTILITY_DLL
    RemoteInstall,  // REMOTE_INSTALL_DLL
    Diagnosis,      // DIAGNOSIS_DLL
    TestPage,       // TESTPAGE_DLL
    NetworkMan,     // NETWORKMAN_DLL
    Resource,       // RESOURCE_DLL (loaded as data: bitmaps only)
    Preinstaller,   // PREINSTALLER_DLL
    SetIp,          // SETIP_DLL
    Count
};

class CComponentLibs {
public:
    CComponentLibs();
    ~CComponentLibs();
    CComponentLibs(const CComponentLibs&) = delete;
    CComponentLibs& operator=(const CComponentLibs&) = delete;

    // Reads the paths, loads every library and binds the entries. Each library that cannot be
    // loaded is logged ("Load installer DLL fail (%s)" ...) and its entries stay missing.
    // A key whose value is empty names no library (nothing loaded, nothing logged).
    // True when every library named loaded. The log is kept for the calls that follow; it
    // must outlive them (the destructor does not log).
    bool Load(const ComponentLibSource& src, ILogSink& log);
    // Releases every library; entries become missing.
    void Unload();

    // Resolved path of a library ("" when none is named).
    const std::string& Path(ComponentLib lib) const;
    bool IsLoaded(ComponentLib lib) const;
    const std::string& ResourcePath() const { return Path(ComponentLib::Resource); }
    HMODULE ResourceModule() const;       // data-file module for FindResource; NULL when none
    HMODULE RemoteInstallModule() const;  // NULL when not loaded
    const std::string& UninstallerPath() const { return uninstaller_; }  // UNINSTALLER_EXE
    const std::string& QvOpenPath() const { return qvopen_; }            // QVOPEN_EXE

    // --- installer library; 0 when missing or on a fault.
    int MyInstall(int reserved, const std::string& base_key, const std::string& item_key, int flag);
    int MyCreateShortCut(int reserved, const std::string& base_key, const std::string& record_key);

    // --- utility library; 0 when missing or on a fault.
    // The port count the library reports (-1: no USB); ports gets the names of its list.
    int GetDevicePort(const std::string& mfg, const std::string& mdl, const std::string& vidpid,
                      std::vector<std::string>& ports);
    int StartPreventPnP(const std::string& mfg, const std::string& mdl);
    int EndPreventPnP(const std::string& mfg, const std::string& mdl);
    int RemoveHardwareWizardDialog();
    int MySetForegroundNHWdDialog();
    int SystemRefresh(const std::string& mfg, const std::string& mdl, const std::string& vidpid);
    int SaveFile(const std::string& reg_path, const std::string& sub_key, int flags);
    int RemoveUnknownDev(const std::string& mfg, const std::string& mdl, const std::string& vidpid);
    DWORD GetDiskFreeSpaceQV(const std::string& path);  // MB; 0 unknown
    int MyGetDeviceIDFromPort(const std::string& port, std::string& id);  // id: at most 16 KB

    // --- remote-install library: bound by the remote worker, not at load.
    // NULL (logged) when the library or its entry is missing.
    QV_DoRemoteInstall* ResolveDoRemoteInstall();
    int DoRemoteInstall(QV_DoRemoteInstall* entry, const QV_REMOTE_INSTALL_RECORD& record);

    // --- diagnosis library; 1 when missing or on a fault.
    int Diagnosis(const std::string& mfg, const std::string& printer, const std::string& mdl,
                  const std::string& vidpid);
    int DiagnosisEx(const std::string& mfg, const std::string& printer, const std::string& mdl,
                    const std::string& vidpid, int flags);

    // --- test-page library. PrintTestPage passes the resource library's path as its fourth
    // argument. -1 when missing or on a fault; PrintPrnFile 1.
    int PrintTestPage(const std::string& printer, const std::string& param2,
                      const std::string& param3, const std::string& param4);
    int MetaTestPage(const std::string& printer, const std::string& param2);
    int PrintPrnFile(const std::string& printer, const std::string& param2);

    // --- network library. The Adv forms fall back to the plain entry when the library has no
    // Adv entry; a fault in an Adv entry gives 1 (MySetNetworkPortAdv: 0).
    int SnmpDiscovery(QV_SnmpCallback* callback, void* context);  // 0 missing/fault
    int SnmpDiscoveryAdv(QV_SnmpCallback* callback, void* context, const std::string& community);
    // 0: desc holds the description (at most 16 KB); 4096 when missing or on a fault.
    int MyGetPrinterDesc(const std::string& address, std::string& desc);
    int MyGetPrinterDescAdv(const std::string& address, std::string& desc, int use_public_oid,
                            const std::string& community);
    // 0: ipx holds the IPX address; 1 when missing or on a fault.
    int MyGetIPX(const std::string& address, std::string& ipx);
    int MyGetIPXAdv(const std::string& address, std::string& ipx, const std::string& community);
    // Non-zero: the port was created; 0 when missing or on a fault.
    int MySetNetworkPortEx(const std::string& port, const std::string& address,
                           const std::string& mac, const std::string& ipx,
                           const std::string& monitor, const QV_NET_FILE_BLOCK& files,
                           const std::string& mutex, int standard_port);
    int MySetNetworkPortAdv(const std::string& port, const std::string& address,
                            const std::string& mac, const std::string& ipx,
                            const std::string& monitor, const QV_NET_FILE_BLOCK& files,
                            const std::string& mutex, int standard_port,
                            const std::string& community);
    int MyDelNetworkPort(const std::string& port, const std::string& mutex, int standard_port);

    // --- pre-installer library; -1 when missing or on a fault.
    int Preinstall(HWND owner, const std::string& command_line);

    // --- set-IP library; 1 when missing or on a fault.
    int SetIP(const std::string& ip, const std::string& gateway, const std::string& mask,
              const std::string& mac);
    // buffer NULL: *count gets the number of devices; otherwise at most entries entries of
    // QV_NET_PRINTER_ENTRY bytes are filled. 0 done, 1 none (also when missing or faulting).
    int GetNetPrinter(unsigned char* buffer, int entries, int* count);

private:
    void* Find(int entry) const;
    int Missing(const char* name, int fail);
    template <class T, class F>
    T Guarded(const char* name, T fail, F&& call);

    ILogSink* log_;
    CNullLog null_log_;
    unique_hmodule modules_[static_cast<int>(ComponentLib::Count)];
    std::string paths_[static_cast<int>(ComponentLib::Count)];
    std::vector<void*> entries_;
    std::string uninstaller_;
    std::string qvopen_;
};
