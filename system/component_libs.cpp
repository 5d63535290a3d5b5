#include "system/component_libs.h"

#include "platform/fault_guard.h"

#include <cstring>

namespace {

constexpr const char* kSection = "INSTALLER_FILE_INFO";

struct LibInfo {
    ComponentLib lib;
    const char* key;
    const char* default_path;  // nullptr: TESTPAGE_DLL, which defaults to DIAGNOSIS_DLL
    const char* fail_text;
};

// Load order: DIAGNOSIS_DLL before TESTPAGE_DLL, whose default it is.
const LibInfo kLibs[] = {
    {ComponentLib::Installer, "INSTALLER_DLL", ".\\data\\Qvrun.dll", "Load installer DLL fail (%s)"},
    {ComponentLib::Utility, "UTILITY_DLL", ".\\data\\Qvutil.dll", "Load utility DLL fail (%s)"},
    {ComponentLib::RemoteInstall, "REMOTE_INSTALL_DLL", ".\\data\\Qvrmtint.dll",
     "Load remote install DLL fail (%s)"},
    {ComponentLib::Diagnosis, "DIAGNOSIS_DLL", ".\\data\\Qvdiag.dll", "Load diagnosis DLL fail (%s)"},
    {ComponentLib::TestPage, "TESTPAGE_DLL", nullptr, "Load test page DLL fail (%s)"},
    {ComponentLib::NetworkMan, "NETWORKMAN_DLL", ".\\data\\QvNetMan.dll",
     "Load network manager DLL fail (%s)"},
    {ComponentLib::Resource, "RESOURCE_DLL", ".\\QVres.dll", "Load resource DLL fail (%s)"},
    {ComponentLib::Preinstaller, "PREINSTALLER_DLL", ".\\data\\QVpre.dll",
     "Load pre-installer DLL fail (%s)"},
    {ComponentLib::SetIp, "SETIP_DLL", ".\\data\\Setip.dll", "Load SetIP DLL fail (%s)"},
};

// The entries bound at load, by library. DoRemoteInstall is bound by the remote worker.
enum Entry : int {
    eMyInstall,
    eMyCreateShortCut,
    eGetDevicePort,
    eStartPreventPnP,
    eEndPreventPnP,
    eRemoveHardwareWizardDialog,
    eMySetForegroundNHWdDialog,
    eSystemRefresh,
    eSaveFile,
    eRemoveUnknownDev,
    eGetDiskFreeSpaceQV,
    eMyGetDeviceIDFromPort,
    eDiagnosis,
    eDiagnosisEx,
    ePrintTestPage,
    eMetaTestPage,
    ePrintPrnFile,
    eSnmpDiscovery,
    eSnmpDiscoveryAdv,
    eMyGetPrinterDesc,
    eMyGetPrinterDescAdv,
    eMyGetIPX,
    eMyGetIPXAdv,
    eMySetNetworkPortEx,
    eMySetNetworkPortAdv,
    eMyDelNetworkPort,
    ePreinstall,
    eSetIP,
    eGetNetPrinter,
    eEntryCount
};

struct EntryInfo {
    Entry entry;
    ComponentLib lib;
    const char* name;
};

const EntryInfo kEntries[] = {
    {eMyInstall, ComponentLib::Installer, "MyInstall"},
    {eMyCreateShortCut, ComponentLib::Installer, "MyCreateShortCut"},
    {eGetDevicePort, ComponentLib::Utility, "GetDevicePort"},
    {eStartPreventPnP, ComponentLib::Utility, "StartPreventPnP"},
    {eEndPreventPnP, ComponentLib::Utility, "EndPreventPnP"},
    {eRemoveHardwareWizardDialog, ComponentLib::Utility, "RemoveHardwareWizardDialog"},
    {eMySetForegroundNHWdDialog, ComponentLib::Utility, "MySetForegroundNHWdDialog"},
    {eSystemRefresh, ComponentLib::Utility, "SystemRefresh"},
    {eSaveFile, ComponentLib::Utility, "SaveFile"},
    {eRemoveUnknownDev, ComponentLib::Utility, "RemoveUnknownDev"},
    {eGetDiskFreeSpaceQV, ComponentLib::Utility, "GetDiskFreeSpaceQV"},
    {eMyGetDeviceIDFromPort, ComponentLib::Utility, "MyGetDeviceIDFromPort"},
    {eDiagnosis, ComponentLib::Diagnosis, "Diagnosis"},
    {eDiagnosisEx, ComponentLib::Diagnosis, "DiagnosisEx"},
    {ePrintTestPage, ComponentLib::TestPage, "PrintTestPage"},
    {eMetaTestPage, ComponentLib::TestPage, "MetaTestPage"},
    {ePrintPrnFile, ComponentLib::TestPage, "PrintPrnFile"},
    {eSnmpDiscovery, ComponentLib::NetworkMan, "SnmpDiscovery"},
    {eSnmpDiscoveryAdv, ComponentLib::NetworkMan, "SnmpDiscoveryAdv"},
    {eMyGetPrinterDesc, ComponentLib::NetworkMan, "MyGetPrinterDesc"},
    {eMyGetPrinterDescAdv, ComponentLib::NetworkMan, "MyGetPrinterDescAdv"},
    {eMyGetIPX, ComponentLib::NetworkMan, "MyGetIPX"},
    {eMyGetIPXAdv, ComponentLib::NetworkMan, "MyGetIPXAdv"},
    {eMySetNetworkPortEx, ComponentLib::NetworkMan, "MySetNetworkPortEx"},
    {eMySetNetworkPortAdv, ComponentLib::NetworkMan, "MySetNetworkPortAdv"},
    {eMyDelNetworkPort, ComponentLib::NetworkMan, "MyDelNetworkPort"},
    {ePreinstall, ComponentLib::Preinstaller, "Preinstall"},
    {eSetIP, ComponentLib::SetIp, "SetIP"},
    {eGetNetPrinter, ComponentLib::SetIp, "GetNetPrinter"},
};
static_assert(sizeof kEntries / sizeof kEntries[0] == eEntryCount, "one row per entry");

const std::string kEmpty;

// A text a library wrote into buf, which it may have left unterminated.
std::string Terminated(std::vector<char>& buf)
{
    buf.back() = '\0';
    return std::string(buf.data());
}

}  // namespace

CComponentLibs::CComponentLibs() : log_(&null_log_), entries_(eEntryCount, nullptr) {}

CComponentLibs::~CComponentLibs() = default;

void CComponentLibs::Unload()
{
    entries_.assign(eEntryCount, nullptr);
    for (auto& m : modules_) m.reset();
    for (auto& p : paths_) p.clear();
    uninstaller_.clear();
    qvopen_.clear();
}

bool CComponentLibs::Load(const ComponentLibSource& src, ILogSink& log)
{
    Unload();
    log_ = &log;

    // Platform section first, then the common section, else the default.
    auto value = [&](const char* key, const std::string& fallback) {
        std::string v;
        if (!src.platform_section.empty() && src.read && src.read(src.platform_section, key, v))
            return v;
        if (src.read && src.read(kSection, key, v)) return v;
        return fallback;
    };
    auto resolved = [&](const std::string& text) {
        if (text.empty()) return std::string();
        return src.resolve ? src.resolve(text) : text;
    };

    bool all = true;
    std::string diagnosis_text;
    for (const LibInfo& info : kLibs) {
        const std::string text = value(info.key, info.default_path ? info.default_path : diagnosis_text);
        if (info.lib == ComponentLib::Diagnosis) diagnosis_text = text;
        const int i = static_cast<int>(info.lib);
        paths_[i] = resolved(text);
        if (paths_[i].empty()) continue;  // no library named for this key

        // The resource library only lends its bitmaps: map it as data, run none of its code.
        // The others may bring their own dependencies from their directory.
        const DWORD flags = info.lib == ComponentLib::Resource ? LOAD_LIBRARY_AS_DATAFILE
                                                               : LOAD_WITH_ALTERED_SEARCH_PATH;
        modules_[i].reset(LoadLibraryExA(paths_[i].c_str(), nullptr, flags));
        if (!modules_[i]) {
            log.WriteError(GetLastError(), info.fail_text, paths_[i].c_str());
            all = false;
        }
    }
    uninstaller_ = resolved(value("UNINSTALLER_EXE", ".\\data\\QVDelAll.exe"));
    qvopen_ = resolved(value("QVOPEN_EXE", ".\\data\\Qvopen.exe"));

    for (const EntryInfo& e : kEntries) {
        HMODULE m = modules_[static_cast<int>(e.lib)].get();
        entries_[e.entry] = m ? reinterpret_cast<void*>(GetProcAddress(m, e.name)) : nullptr;
    }
    return all;
}

const std::string& CComponentLibs::Path(ComponentLib lib) const
{
    const int i = static_cast<int>(lib);
    return i >= 0 && i < static_cast<int>(ComponentLib::Count) ? paths_[i] : kEmpty;
}

bool CComponentLibs::IsLoaded(ComponentLib lib) const
{
    const int i = static_cast<int>(lib);
    return i >= 0 && i < static_cast<int>(ComponentLib::Count) && modules_[i];
}

HMODULE CComponentLibs::ResourceModule() const
{
    return modules_[static_cast<int>(ComponentLib::Resource)].get();
}

HMODULE CComponentLibs::RemoteInstallModule() const
{
    return modules_[static_cast<int>(ComponentLib::RemoteInstall)].get();
}

void* CComponentLibs::Find(int entry) const { return entries_[entry]; }

int CComponentLibs::Missing(const char* name, int fail)
{
    log_->Write("Call %s ==> NULL", name);
    return fail;
}

template <class T, class F>
T CComponentLibs::Guarded(const char* name, T fail, F&& call)
{
    T result = fail;
    if (!fault_guard::GuardedCall([&] { result = call(); })) {
        log_->Write("Call %s() ==> GPF!!!!", name);
        return fail;
    }
    return result;
}

#define QV_BIND(Name)                                                  \
    auto* fn = reinterpret_cast<QV_##Name*>(Find(e##Name));

// --- installer library ----------------------------------------------------------------------

int CComponentLibs::MyInstall(int reserved, const std::string& base_key,
                              const std::string& item_key, int flag)
{
    QV_BIND(MyInstall);
    if (!fn) return Missing("MyInstall", 0);
    log_->Write("Call MyInstall(%d,%s,%s,%d)", reserved, base_key.c_str(), item_key.c_str(), flag);
    return Guarded("MyInstall", 0, [&] { return fn(reserved, base_key.c_str(), item_key.c_str(), flag); });
}

int CComponentLibs::MyCreateShortCut(int reserved, const std::string& base_key,
                                     const std::string& record_key)
{
    QV_BIND(MyCreateShortCut);
    if (!fn) return Missing("MyCreateShortCut", 0);
    log_->Write("Call MyCreateShortCut(%d,%s,%s)", reserved, base_key.c_str(), record_key.c_str());
    return Guarded("MyCreateShortCut", 0,
                   [&] { return fn(reserved, base_key.c_str(), record_key.c_str()); });
}

// --- utility library ------------------------------------------------------------------------

int CComponentLibs::GetDevicePort(const std::string& mfg, const std::string& mdl,
                                  const std::string& vidpid, std::vector<std::string>& ports)
{
    ports.clear();
    QV_BIND(GetDevicePort);
    if (!fn) return Missing("GetDevicePort", 0);
    log_->Write("Call GetDevicePort(%s,%s,%s)", mfg.c_str(), mdl.c_str(), vidpid.c_str());
    std::vector<char> buf(QV_PORT_LIST_SIZE + 2, '\0');
    int count = 0;
    const bool ok = Guarded("GetDevicePort", false, [&] {
        fn(mfg.c_str(), mdl.c_str(), vidpid.c_str(), buf.data(), QV_PORT_LIST_SIZE, &count);
        return true;
    });
    if (!ok) return 0;
    // Zero-separated names up to an empty one; the two bytes past the size end any list.
    for (size_t pos = 0; pos < QV_PORT_LIST_SIZE && buf[pos];) {
        const std::string name(buf.data() + pos);
        ports.push_back(name);
        pos += name.size() + 1;
    }
    return count;
}

int CComponentLibs::StartPreventPnP(const std::string& mfg, const std::string& mdl)
{
    QV_BIND(StartPreventPnP);
    if (!fn) return Missing("StartPreventPnP", 0);
    log_->Write("Call StartPreventPnP(%s,%s)", mfg.c_str(), mdl.c_str());
    return Guarded("StartPreventPnP", 0, [&] { return fn(mfg.c_str(), mdl.c_str()); });
}

int CComponentLibs::EndPreventPnP(const std::string& mfg, const std::string& mdl)
{
    QV_BIND(EndPreventPnP);
    if (!fn) return Missing("EndPreventPnP", 0);
    log_->Write("Call EndPreventPnP(%s,%s)", mfg.c_str(), mdl.c_str());
    return Guarded("EndPreventPnP", 0, [&] { return fn(mfg.c_str(), mdl.c_str()); });
}

int CComponentLibs::RemoveHardwareWizardDialog()
{
    QV_BIND(RemoveHardwareWizardDialog);
    if (!fn) return Missing("RemoveHardwareWizardDialog", 0);
    log_->Write("Call RemoveHardwareWizardDialog()");
    return Guarded("RemoveHardwareWizardDialog", 0, [&] { return fn(); });
}

int CComponentLibs::MySetForegroundNHWdDialog()
{
    QV_BIND(MySetForegroundNHWdDialog);
    if (!fn) return Missing("MySetForegroundNHWdDialog", 0);
    log_->Write("Call MySetForegroundNHWdDialog()");
    return Guarded("MySetForegroundNHWdDialog", 0, [&] { return fn(); });
}

int CComponentLibs::SystemRefresh(const std::string& mfg, const std::string& mdl,
                                  const std::string& vidpid)
{
    QV_BIND(SystemRefresh);
    if (!fn) return Missing("SystemRefresh", 0);
    log_->Write("Call SystemRefresh(%s,%s,%s)", mfg.c_str(), mdl.c_str(), vidpid.c_str());
    return Guarded("SystemRefresh", 0, [&] { return fn(mfg.c_str(), mdl.c_str(), vidpid.c_str()); });
}

int CComponentLibs::SaveFile(const std::string& reg_path, const std::string& sub_key, int flags)
{
    QV_BIND(SaveFile);
    if (!fn) return Missing("SaveFile", 0);
    log_->Write("Call SaveFile(%s,%s,%d)", reg_path.c_str(), sub_key.c_str(), flags);
    return Guarded("SaveFile", 0, [&] { return fn(reg_path.c_str(), sub_key.c_str(), flags); });
}

int CComponentLibs::RemoveUnknownDev(const std::string& mfg, const std::string& mdl,
                                     const std::string& vidpid)
{
    QV_BIND(RemoveUnknownDev);
    if (!fn) return Missing("RemoveUnknownDev", 0);
    log_->Write("Call RemoveUnknownDev(%s,%s,%s)", mfg.c_str(), mdl.c_str(), vidpid.c_str());
    return Guarded("RemoveUnknownDev", 0,
                   [&] { return fn(mfg.c_str(), mdl.c_str(), vidpid.c_str()); });
}

DWORD CComponentLibs::GetDiskFreeSpaceQV(const std::string& path)
{
    QV_BIND(GetDiskFreeSpaceQV);
    if (!fn) return static_cast<DWORD>(Missing("GetDiskFreeSpaceQV", 0));
    log_->Write("Call GetDiskFreeSpaceQV(%s)", path.c_str());
    return Guarded("GetDiskFreeSpaceQV", DWORD(0), [&] { return fn(path.c_str()); });
}

int CComponentLibs::MyGetDeviceIDFromPort(const std::string& port, std::string& id)
{
    id.clear();
    QV_BIND(MyGetDeviceIDFromPort);
    if (!fn) return Missing("MyGetDeviceIDFromPort", 0);
    log_->Write("Call MyGetDeviceIDFromPort(%s)", port.c_str());
    std::vector<char> buf(QV_DEVICE_ID_SIZE, '\0');
    const int r = Guarded("MyGetDeviceIDFromPort", 0,
                          [&] { return fn(port.c_str(), buf.data(), QV_DEVICE_ID_SIZE); });
    id = Terminated(buf);
    return r;
}

// --- remote-install library -----------------------------------------------------------------

QV_DoRemoteInstall* CComponentLibs::ResolveDoRemoteInstall()
{
    HMODULE m = RemoteInstallModule();
    auto* fn = m ? reinterpret_cast<QV_DoRemoteInstall*>(
                       reinterpret_cast<void*>(GetProcAddress(m, "DoRemoteInstall")))
                 : nullptr;
    if (!fn) Missing("DoRemoteInstall", 0);
    return fn;
}

int CComponentLibs::DoRemoteInstall(QV_DoRemoteInstall* entry, const QV_REMOTE_INSTALL_RECORD& record)
{
    if (!entry) return Missing("DoRemoteInstall", 0);
    // The record holds a password: only the computer's name goes to the log.
    std::string computer(record.computer, strnlen(record.computer, sizeof record.computer));
    log_->Write("Call DoRemoteInstall(%s)", computer.c_str());
    return Guarded("DoRemoteInstall", 0, [&] { return entry(&record); });
}

// --- diagnosis and test-page libraries ------------------------------------------------------

int CComponentLibs::Diagnosis(const std::string& mfg, const std::string& printer,
                              const std::string& mdl, const std::string& vidpid)
{
    QV_BIND(Diagnosis);
    if (!fn) return Missing("Diagnosis", 1);
    log_->Write("Call Diagnosis(%s,%s,%s,%s)", mfg.c_str(), printer.c_str(), mdl.c_str(),
                vidpid.c_str());
    return Guarded("Diagnosis", 1,
                   [&] { return fn(mfg.c_str(), printer.c_str(), mdl.c_str(), vidpid.c_str()); });
}

int CComponentLibs::DiagnosisEx(const std::string& mfg, const std::string& printer,
                                const std::string& mdl, const std::string& vidpid, int flags)
{
    QV_BIND(DiagnosisEx);
    if (!fn) return Missing("DiagnosisEx", 1);
    log_->Write("Call DiagnosisEx(%s,%s,%s,%s,%d)", mfg.c_str(), printer.c_str(), mdl.c_str(),
                vidpid.c_str(), flags);
    return Guarded("DiagnosisEx", 1, [&] {
        return fn(mfg.c_str(), printer.c_str(), mdl.c_str(), vidpid.c_str(), flags);
    });
}

int CComponentLibs::PrintTestPage(const std::string& printer, const std::string& param2,
                                  const std::string& param3, const std::string& param4)
{
    QV_BIND(PrintTestPage);
    if (!fn) return Missing("PrintTestPage", -1);
    const std::string& res = ResourcePath();
    log_->Write("Call PrintTestPage(%s,%s,%s,%s,%s)", printer.c_str(), param2.c_str(),
                param3.c_str(), res.c_str(), param4.c_str());
    return Guarded("PrintTestPage", -1, [&] {
        return fn(printer.c_str(), param2.c_str(), param3.c_str(), res.c_str(), param4.c_str());
    });
}

int CComponentLibs::MetaTestPage(const std::string& printer, const std::string& param2)
{
    QV_BIND(MetaTestPage);
    if (!fn) return Missing("MetaTestPage", -1);
    log_->Write("Call MetaTestPage(%s,%s)", printer.c_str(), param2.c_str());
    return Guarded("MetaTestPage", -1, [&] { return fn(printer.c_str(), param2.c_str()); });
}

int CComponentLibs::PrintPrnFile(const std::string& printer, const std::string& param2)
{
    QV_BIND(PrintPrnFile);
    if (!fn) return Missing("PrintPrnFile", 1);
    log_->Write("Call PrintPrnFile(%s,%s)", printer.c_str(), param2.c_str());
    return Guarded("PrintPrnFile", 1, [&] { return fn(printer.c_str(), param2.c_str()); });
}

// --- network library ------------------------------------------------------------------------
// Community names are access secrets of the devices: they are not logged.

int CComponentLibs::SnmpDiscovery(QV_SnmpCallback* callback, void* context)
{
    QV_BIND(SnmpDiscovery);
    if (!fn) return Missing("SnmpDiscovery", 0);
    log_->Write("Call SnmpDiscovery()");
    return Guarded("SnmpDiscovery", 0, [&] { return fn(callback, context); });
}

int CComponentLibs::SnmpDiscoveryAdv(QV_SnmpCallback* callback, void* context,
                                     const std::string& community)
{
    QV_BIND(SnmpDiscoveryAdv);
    if (!fn) return SnmpDiscovery(callback, context);
    log_->Write("Call SnmpDiscoveryAdv()");
    return Guarded("SnmpDiscoveryAdv", 1, [&] { return fn(callback, context, community.c_str()); });
}

int CComponentLibs::MyGetPrinterDesc(const std::string& address, std::string& desc)
{
    desc.clear();
    QV_BIND(MyGetPrinterDesc);
    if (!fn) return Missing("MyGetPrinterDesc", 4096);
    log_->Write("Call MyGetPrinterDesc(%s)", address.c_str());
    std::vector<char> buf(QV_DEVICE_ID_SIZE, '\0');
    const int r = Guarded("MyGetPrinterDesc", 4096,
                          [&] { return fn(address.c_str(), buf.data(), QV_DEVICE_ID_SIZE); });
    desc = Terminated(buf);
    return r;
}

int CComponentLibs::MyGetPrinterDescAdv(const std::string& address, std::string& desc,
                                        int use_public_oid, const std::string& community)
{
    desc.clear();
    QV_BIND(MyGetPrinterDescAdv);
    if (!fn) return MyGetPrinterDesc(address, desc);
    log_->Write("Call MyGetPrinterDescAdv(%s,%d)", address.c_str(), use_public_oid);
    std::vector<char> buf(QV_DEVICE_ID_SIZE, '\0');
    const int r = Guarded("MyGetPrinterDescAdv", 1, [&] {
        return fn(address.c_str(), buf.data(), QV_DEVICE_ID_SIZE, use_public_oid, community.c_str());
    });
    desc = Terminated(buf);
    return r;
}

int CComponentLibs::MyGetIPX(const std::string& address, std::string& ipx)
{
    ipx.clear();
    QV_BIND(MyGetIPX);
    // 0 is this entry's success: a missing entry or a fault must not look like one.
    if (!fn) return Missing("MyGetIPX", 1);
    log_->Write("Call MyGetIPX(%s)", address.c_str());
    std::vector<char> buf(QV_IPX_SIZE, '\0');
    const int r = Guarded("MyGetIPX", 1, [&] { return fn(address.c_str(), buf.data(), QV_IPX_SIZE); });
    ipx = Terminated(buf);
    return r;
}

int CComponentLibs::MyGetIPXAdv(const std::string& address, std::string& ipx,
                                const std::string& community)
{
    ipx.clear();
    QV_BIND(MyGetIPXAdv);
    if (!fn) return MyGetIPX(address, ipx);
    log_->Write("Call MyGetIPXAdv(%s)", address.c_str());
    std::vector<char> buf(QV_IPX_SIZE, '\0');
    const int r = Guarded("MyGetIPXAdv", 1, [&] {
        return fn(address.c_str(), buf.data(), QV_IPX_SIZE, community.c_str());
    });
    ipx = Terminated(buf);
    return r;
}

int CComponentLibs::MySetNetworkPortEx(const std::string& port, const std::string& address,
                                       const std::string& mac, const std::string& ipx,
                                       const std::string& monitor, const QV_NET_FILE_BLOCK& files,
                                       const std::string& mutex, int standard_port)
{
    QV_BIND(MySetNetworkPortEx);
    if (!fn) return Missing("MySetNetworkPortEx", 0);
    log_->Write("Call MySetNetworkPortEx(%s,%s,%s,%s,%s,%s,%d)", port.c_str(), address.c_str(),
                mac.c_str(), ipx.c_str(), monitor.c_str(), mutex.c_str(), standard_port);
    return Guarded("MySetNetworkPortEx", 0, [&] {
        return fn(port.c_str(), address.c_str(), mac.c_str(), ipx.c_str(), monitor.c_str(), &files,
                  mutex.c_str(), standard_port);
    });
}

int CComponentLibs::MySetNetworkPortAdv(const std::string& port, const std::string& address,
                                        const std::string& mac, const std::string& ipx,
                                        const std::string& monitor, const QV_NET_FILE_BLOCK& files,
                                        const std::string& mutex, int standard_port,
                                        const std::string& community)
{
    QV_BIND(MySetNetworkPortAdv);
    if (!fn) return MySetNetworkPortEx(port, address, mac, ipx, monitor, files, mutex, standard_port);
    log_->Write("Call MySetNetworkPortAdv(%s,%s,%s,%s,%s,%s,%d)", port.c_str(), address.c_str(),
                mac.c_str(), ipx.c_str(), monitor.c_str(), mutex.c_str(), standard_port);
    return Guarded("MySetNetworkPortAdv", 0, [&] {
        return fn(port.c_str(), address.c_str(), mac.c_str(), ipx.c_str(), monitor.c_str(), &files,
                  mutex.c_str(), standard_port, community.c_str());
    });
}

int CComponentLibs::MyDelNetworkPort(const std::string& port, const std::string& mutex,
                                     int standard_port)
{
    QV_BIND(MyDelNetworkPort);
    if (!fn) return Missing("MyDelNetworkPort", 0);
    log_->Write("Call MyDelNetworkPort(%s,%s,%d)", port.c_str(), mutex.c_str(), standard_port);
    return Guarded("MyDelNetworkPort", 0,
                   [&] { return fn(port.c_str(), mutex.c_str(), standard_port); });
}

// --- pre-installer and set-IP libraries -----------------------------------------------------

int CComponentLibs::Preinstall(HWND owner, const std::string& command_line)
{
    QV_BIND(Preinstall);
    if (!fn) return Missing("Preinstall", -1);
    log_->Write("Call Preinstall(%s)", command_line.c_str());
    return Guarded("Preinstall", -1, [&] { return fn(owner, command_line.c_str()); });
}

int CComponentLibs::SetIP(const std::string& ip, const std::string& gateway,
                          const std::string& mask, const std::string& mac)
{
    QV_BIND(SetIP);
    if (!fn) return Missing("SetIP", 1);
    log_->Write("Call SetIP(%s,%s,%s,%s)", ip.c_str(), gateway.c_str(), mask.c_str(), mac.c_str());
    return Guarded("SetIP", 1,
                   [&] { return fn(ip.c_str(), gateway.c_str(), mask.c_str(), mac.c_str()); });
}

int CComponentLibs::GetNetPrinter(unsigned char* buffer, int entries, int* count)
{
    int local = 0;
    int* out = count ? count : &local;
    *out = 0;
    QV_BIND(GetNetPrinter);
    if (!fn) return Missing("GetNetPrinter", 1);
    log_->Write("Call GetNetPrinter(%d)", buffer ? entries : 0);
    const int r = Guarded("GetNetPrinter", 1, [&] { return fn(buffer, buffer ? entries : 0, out); });
    if (r != 0) *out = 0;
    // Never more than the buffer holds, whatever the library says.
    if (buffer && *out > entries) *out = entries;
    if (*out < 0) *out = 0;
    return r;
}
