#include "system/my_printer.h"

#include "config/os_class.h"
#include "platform/unique_handle.h"
#include "system/registry.h"
#include "system/system_utils.h"
#include "system/text_utils.h"

#include <windows.h>
#include <setupapi.h>
#include <winspool.h>

namespace {

constexpr size_t kPathLimit = 259;  // 260-byte fields

PRINTER_DATA clamped(const PRINTER_DATA& record)
{
    PRINTER_DATA r = record;
    r.driver_name = CutText(r.driver_name, kPrinterTextLimit);
    r.printer_name = CutText(r.printer_name, kPrinterTextLimit);
    r.share_name = CutText(r.share_name, kPrinterTextLimit);
    r.inf_path = CutText(r.inf_path, kPrinterTextLimit);
    r.port = CutText(r.port, kPrinterTextLimit);
    return r;
}

// Appends names while they fit a list of `bytes` (each followed by a zero byte); false when
// one did not.
bool fill_list(const std::vector<std::string>& names, std::vector<std::string>& out, size_t bytes)
{
    out.clear();
    size_t used = 0;
    for (const auto& name : names) {
        if (used + name.size() + 1 > bytes) return false;
        used += name.size() + 1;
        out.push_back(name);
    }
    return true;
}

// One spooler query: size query, zero-filled buffer of the reported size, real call. The
// query returns the buffer (empty when there was nothing) or false with the error kept.
template <class Query>
bool spooler_query(Query query, unique_hglobal& buffer, DWORD& returned, DWORD& error, int& failed_step)
{
    DWORD needed = 0;
    returned = 0;
    if (query(nullptr, 0, &needed, &returned)) {
        if (needed == 0) return true;
    }
    DWORD e = ::GetLastError();
    if (needed == 0) {
        error = e;
        failed_step = 1;
        return false;
    }
    buffer.reset(::GlobalAlloc(GPTR, needed));
    if (!buffer) {
        error = ::GetLastError();
        failed_step = 1;
        return false;
    }
    if (!query(static_cast<LPBYTE>(buffer.get()), needed, &needed, &returned)) {
        error = ::GetLastError();
        failed_step = 2;
        return false;
    }
    return true;
}

bool enum_local_printers(unique_hglobal& buffer, DWORD& count, DWORD& error, int& failed_step)
{
    return spooler_query(
        [](LPBYTE data, DWORD size, DWORD* needed, DWORD* returned) {
            return ::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, data, size, needed, returned) != FALSE;
        },
        buffer, count, error, failed_step);
}

std::vector<std::string> local_printer_names(bool& ok, ILogSink& trace)
{
    std::vector<std::string> names;
    unique_hglobal buffer;
    DWORD count = 0, error = 0;
    int step = 0;
    ok = enum_local_printers(buffer, count, error, step);
    if (!ok) {
        TraceSystemError(error, "CMyPrinter-MyGetPrinterInPC-EnumPrinters", trace);
        return names;
    }
    auto* info = static_cast<PRINTER_INFO_2A*>(buffer.get());
    for (DWORD i = 0; i < count; ++i)
        if (info[i].pPrinterName) names.push_back(info[i].pPrinterName);
    return names;
}

// Opens the printer (with full access, or the default access) and hands its level-2 information to `change`, then
// writes it back. Every failing call is logged with the printer name.
template <class Change>
bool change_printer(const std::string& printer, ILogSink& log, bool full_access, Change change)
{
    PRINTER_DEFAULTSA defaults = {const_cast<char*>("RAW"), nullptr, PRINTER_ALL_ACCESS};
    unique_printer handle;
    if (!::OpenPrinterA(const_cast<char*>(printer.c_str()), handle.put(), full_access ? &defaults : nullptr)) {
        log.WriteError(::GetLastError(), "OpenPrinter (%s)", printer.c_str());
        return false;
    }
    unique_hglobal buffer;
    DWORD unused = 0, error = 0;
    int step = 0;
    HANDLE h = handle.get();
    bool got = spooler_query(
        [h](LPBYTE data, DWORD size, DWORD* needed, DWORD*) { return ::GetPrinterA(h, 2, data, size, needed) != FALSE; },
        buffer, unused, error, step);
    if (!got || !buffer) {
        log.WriteError(got ? ERROR_INVALID_DATA : error, "GetPrinter (%s)", printer.c_str());
        return false;
    }
    auto* info = static_cast<PRINTER_INFO_2A*>(buffer.get());
    change(*info);
    if (!::SetPrinterA(handle.get(), 2, reinterpret_cast<LPBYTE>(info), 0)) {
        log.WriteError(::GetLastError(), "SetPrinter (%s)", printer.c_str());
        return false;
    }
    return true;
}

// NT 4 and the fallback of later systems: the [Windows] Device entry, "name,driver,port".
// 0, or the failing step's code.
DWORD default_by_profile(const std::string& name)
{
    char value[4096] = {};
    DWORD rc = CRegistry::GetValue("Software\\Microsoft\\Windows NT\\CurrentVersion\\Devices", name.c_str(), value,
                                   HKEY_CURRENT_USER);
    if (rc != ERROR_SUCCESS) return rc;
    if (!value[0]) return ERROR_INVALID_PRINTER_NAME;
    std::string device = name + "," + value;
    if (!::WriteProfileStringA("Windows", "Device", device.c_str())) return ::GetLastError();
    return ERROR_SUCCESS;
}

DWORD default_by_api(const std::string& name)
{
    using SetDefaultPrinterFn = BOOL(WINAPI*)(LPCSTR);
    unique_hmodule winspool(::LoadLibraryA("WinSpool.drv"));
    auto set_default = winspool ? reinterpret_cast<SetDefaultPrinterFn>(reinterpret_cast<void*>(
                                      ::GetProcAddress(winspool.get(), "SetDefaultPrinterA")))
                                : nullptr;
    if (!set_default) return ERROR_PROC_NOT_FOUND;
    return set_default(name.c_str()) ? ERROR_SUCCESS : ::GetLastError();
}

// Windows 9x: the default printer is the one that carries the default attribute.
bool default_by_attribute(const std::string& name, ILogSink& log)
{
    return change_printer(name, log, false,
                          [](PRINTER_INFO_2A& info) { info.Attributes |= PRINTER_ATTRIBUTE_DEFAULT; });
}

// Replaces the first occurrence of `what` (ignoring case) in `text`.
std::string replace_no_case(const std::string& text, const std::string& what, const std::string& with)
{
    if (what.empty()) return text;
    size_t at = ToUpperText(text).find(ToUpperText(what));
    if (at == std::string::npos) return text;
    return text.substr(0, at) + with + text.substr(at + what.size());
}

std::string file_name_of(const std::string& path)
{
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

CMyPrinter::CMyPrinter(ILogSink& log, IPrinterHost* host, ILogSink& trace) : log_(log), trace_(trace), host_(host)
{
    ClearAllRecords();
    std::string name;
    if (MyGetDefaultPrinter(name, trace_)) start_default_ = CutText(name, kPathLimit);
}

int CMyPrinter::Family() const { return host_ ? host_->OsFamily() : kFamilyNt5; }

// --- the record list -----------------------------------------------------------------------

void CMyPrinter::ClearAllRecords()
{
    for (auto& r : records_) r = PRINTER_DATA();
    count_ = 0;
}

void CMyPrinter::ClearRecord(PRINTER_DATA& record)
{
    PRINTER_DATA empty;
    empty.driver_name = std::move(record.driver_name);
    record = std::move(empty);
}

bool CMyPrinter::AddRecord(const PRINTER_DATA& record)
{
    if (count_ >= kMaxPrinterRecords) return false;
    records_[count_] = clamped(record);
    records_[count_].position = count_;
    ++count_;
    return true;
}

bool CMyPrinter::GetRecord(int index, PRINTER_DATA& out) const
{
    if (index < 0 || index >= kMaxPrinterRecords) {
        out = PRINTER_DATA();
        return false;
    }
    out = records_[index];
    return true;
}

bool CMyPrinter::PutRecord(const PRINTER_DATA& record)
{
    if (record.position < 0 || record.position >= count_) return false;
    records_[record.position] = clamped(record);
    return true;
}

bool CMyPrinter::MarkInstalled(const std::string& driver_name)
{
    for (int i = 0; i < count_; ++i) {
        if (EqualsNoCase(records_[i].driver_name, driver_name)) {
            records_[i].installed = true;
            return true;
        }
    }
    return false;
}

bool CMyPrinter::SetAllPort(const std::string& port, bool network_port)
{
    if (port.empty()) return false;
    all_port_ = CutText(port, kPathLimit);
    log_.Write("Set all printer port as %s , %d", all_port_.c_str(), network_port ? 1 : 0);
    for (int i = 0; i < count_; ++i) {
        records_[i].port = CutText(port, kPrinterTextLimit);
        records_[i].network_port = network_port;
    }
    return true;
}

void CMyPrinter::ClearPortFlags()
{
    for (int i = 0; i < count_; ++i) records_[i].network_port = false;
}

bool CMyPrinter::GetPortByKey(int key, std::string& out) const
{
    if (key == -1) return false;
    for (int i = 0; i < count_; ++i) {
        if (records_[i].item_key == key) {
            out = records_[i].port;
            return true;
        }
    }
    return false;
}

bool CMyPrinter::GetDefaultPrinterName(std::string& out) const
{
    out.clear();
    for (int i = 0; i < count_; ++i) {
        if (records_[i].default_printer) {
            out = records_[i].printer_name;
            break;
        }
    }
    return !out.empty();
}

bool CMyPrinter::GetDefaultDriverName(std::string& out) const
{
    for (int i = 0; i < count_; ++i) {
        if (records_[i].default_printer) {
            out = records_[i].driver_name;
            return !out.empty();
        }
    }
    out = records_[0].printer_name;
    return !out.empty();
}

int CMyPrinter::MyGetInstalledPrinter(std::vector<std::string>& out) const
{
    std::vector<std::string> names;
    for (int i = 0; i < count_; ++i)
        if (!records_[i].driver_name.empty() && records_[i].installed) names.push_back(records_[i].printer_name);
    if (!fill_list(names, out, kPrinterListBytes)) return -1;
    return static_cast<int>(out.size());
}

bool CMyPrinter::RenamePrinterName(const std::string& old_name, const std::string& new_name)
{
    for (int i = 0; i < count_; ++i) {
        if (EqualsNoCase(records_[i].printer_name, old_name)) {
            records_[i].printer_name = CutText(new_name, kPrinterTextLimit);
            return true;
        }
    }
    return false;
}

bool CMyPrinter::IsNameInUse(const std::string& new_name, const std::string& current_name) const
{
    auto taken = [&](const std::string& name) {
        return EqualsNoCase(name, new_name) && !EqualsNoCase(name, current_name);
    };
    for (int i = 0; i < count_; ++i)
        if (records_[i].installed && taken(records_[i].driver_name)) return true;
    bool ok = false;
    for (const auto& name : local_printer_names(ok, trace_))
        if (taken(name)) return true;
    return false;
}

// --- apply steps ---------------------------------------------------------------------------

int CMyPrinter::DefaultIndex() const
{
    int found = -1;
    for (int i = 0; i < count_; ++i)
        if (records_[i].default_printer && records_[i].installed) found = i;
    return found;
}

bool CMyPrinter::ApplyDefault(bool use_printer_name)
{
    int index = DefaultIndex();
    if (index < 0) return false;
    const PRINTER_DATA& r = records_[index];
    if (use_printer_name) return MakeDefaultPrinter(r.printer_name, Family(), log_);
    bool ok = MakeDefaultPrinter(r.driver_name, Family(), log_);
    if (!r.inf_path.empty()) {
        std::string inf = host_ ? host_->ExpandMacros(r.inf_path) : r.inf_path;
        CopyOemInf(inf);
    }
    return ok;
}

bool CMyPrinter::ApplyShares()
{
    bool ok = true;
    for (int i = 0; i < count_; ++i) {
        const PRINTER_DATA& r = records_[i];
        if (!r.installed || !r.share || r.share_name.empty()) continue;
        if (!SharePrinter(r.driver_name, r.share_name, log_)) ok = false;
    }
    return ok;
}

bool CMyPrinter::ApplyPorts()
{
    bool ok = true;
    for (int i = 0; i < count_; ++i) {
        const PRINTER_DATA& r = records_[i];
        if (!r.network_port) continue;
        if (!SetPrinterPort(r.driver_name, r.port, log_)) {
            log_.Write("Set %s printer port to %s => fail", r.driver_name.c_str(), r.port.c_str());
            ok = false;
        }
    }
    return ok;
}

bool CMyPrinter::ApplyNames()
{
    bool ok = true;
    for (int i = 0; i < count_; ++i) {
        const PRINTER_DATA& r = records_[i];
        if (!r.installed || r.printer_name.empty()) continue;
        if (!SetPrinterName(r.driver_name, r.printer_name, log_)) ok = false;
    }
    return ok;
}

bool CMyPrinter::DiagnoseAll()
{
    if (!host_) return false;
    for (int i = 0; i < count_; ++i)
        if (records_[i].installed) host_->DiagnosisEx(records_[i].printer_name);
    return true;
}

bool CMyPrinter::CopyOemInf(const std::string& path, std::string* installed_as)
{
    if (path.empty()) return false;
    if (Family() != kFamilyNt5) {
        if (!host_) return false;
        std::string inf_dir = host_->InfDir();
        std::string dest = inf_dir + "\\" + file_name_of(path);
        CopyFileEnv env = host_->CopyEnv();
        bool ok = CCopyFile::CopyOneFile(env, path.c_str(), dest.c_str(), true);
        if (!ok) log_.WriteError(::GetLastError(), "Copy %s to %s fail!!", path.c_str(), dest.c_str());
        if (ok && installed_as) *installed_as = dest;
        return ok;
    }
    // The source disc may be gone when the system needs the INF again: use the installed copy.
    std::string inf = path;
    if (host_) inf = replace_no_case(path, host_->SourceDir(), host_->DestDir() + "\\Install");

    using SetupCopyOEMInfFn = BOOL(WINAPI*)(PCSTR, PCSTR, DWORD, DWORD, PSTR, DWORD, PDWORD, PSTR*);
    unique_hmodule setupapi(::LoadLibraryA("setupapi.dll"));
    auto copy_oem = setupapi ? reinterpret_cast<SetupCopyOEMInfFn>(
                                   reinterpret_cast<void*>(::GetProcAddress(setupapi.get(), "SetupCopyOEMInfA")))
                             : nullptr;
    if (!copy_oem) {
        log_.WriteError(ERROR_PROC_NOT_FOUND, "SetupCopyOEMInf (%s)", inf.c_str());
        return false;
    }
    char dest[MAX_PATH] = {};
    DWORD required = 0;
    if (copy_oem(inf.c_str(), nullptr, SPOST_PATH, SP_COPY_NOOVERWRITE, dest, MAX_PATH, &required, nullptr)) {
        if (installed_as) *installed_as = dest;
        return true;
    }
    DWORD error = ::GetLastError();
    if (error == ERROR_FILE_EXISTS) {
        if (installed_as) *installed_as = dest;
        return true;
    }
    log_.WriteError(error, "SetupCopyOEMInf (%s)", inf.c_str());
    return false;
}

// --- spooler operations --------------------------------------------------------------------

bool CMyPrinter::MakeDefaultPrinter(const std::string& name, int os_family, ILogSink& log)
{
    bool ok = false;
    DWORD error = 0;  // stays 0 where no system call was made
    if (name.empty()) {
        error = ERROR_INVALID_PARAMETER;
    } else {
        switch (os_family) {
        case kFamilyWin9x: ok = default_by_attribute(name, log); break;  // logs its own failure
        case kFamilyNt4: error = default_by_profile(name); ok = error == ERROR_SUCCESS; break;
        case kFamilyNt5:
            error = default_by_api(name);
            if (error != ERROR_SUCCESS && default_by_profile(name) == ERROR_SUCCESS) error = ERROR_SUCCESS;
            ok = error == ERROR_SUCCESS;
            break;
        default: break;
        }
    }
    if (!ok) {
        log.WriteError(error, "Set Default Printer (%s) fail", name.c_str());
        return false;
    }
    ::SendNotifyMessageA(HWND_BROADCAST, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>("Windows"));
    log.Write("Set Default Printer (%s) Success", name.c_str());
    return true;
}

bool CMyPrinter::SetPrinterPort(const std::string& printer, const std::string& port, ILogSink& log)
{
    if (printer.empty() || port.empty()) return false;
    bool ok = change_printer(printer, log, true, [&](PRINTER_INFO_2A& info) {
        info.pPortName = const_cast<char*>(port.c_str());
        info.pSecurityDescriptor = nullptr;
    });
    if (ok) log.Write("Set %s Printer port as %s successfully!", printer.c_str(), port.c_str());
    return ok;
}

bool CMyPrinter::SetPrinterName(const std::string& printer, const std::string& new_name, ILogSink& log)
{
    if (printer.empty() || new_name.empty()) return false;
    if (EqualsNoCase(printer, new_name)) return true;
    bool ok = change_printer(printer, log, true,
                             [&](PRINTER_INFO_2A& info) { info.pPrinterName = const_cast<char*>(new_name.c_str()); });
    if (ok) log.Write("Set %s Printer name as %s successfully!", printer.c_str(), new_name.c_str());
    return ok;
}

bool CMyPrinter::SharePrinter(const std::string& printer, const std::string& share_name, ILogSink& log)
{
    if (printer.empty() || share_name.empty()) return false;
    bool ok = change_printer(printer, log, true, [&](PRINTER_INFO_2A& info) {
        info.pShareName = const_cast<char*>(share_name.c_str());
        info.Attributes |= PRINTER_ATTRIBUTE_SHARED;
    });
    if (ok) log.Write("Share %s Printer with %s share name successfully!", printer.c_str(), share_name.c_str());
    return ok;
}

bool CMyPrinter::EnumPortList(std::vector<std::string>& out, ILogSink& trace)
{
    out.clear();
    unique_hglobal buffer;
    DWORD count = 0, error = 0;
    int step = 0;
    bool ok = spooler_query(
        [](LPBYTE data, DWORD size, DWORD* needed, DWORD* returned) {
            return ::EnumPortsA(nullptr, 1, data, size, needed, returned) != FALSE;
        },
        buffer, count, error, step);
    if (!ok) {
        TraceSystemError(error, "EnumPorts", trace);
        return false;
    }
    std::vector<std::string> names;
    auto* info = static_cast<PORT_INFO_1A*>(buffer.get());
    for (DWORD i = 0; i < count; ++i) {
        if (!info[i].pName) continue;
        std::string name = info[i].pName;
        if (ToUpperText(name).find("COM") == std::string::npos) names.push_back(name);
    }
    fill_list(names, out, kPrinterListBytes);
    return true;
}

int CMyPrinter::MyGetPrinterInPC(std::vector<std::string>& out, ILogSink& trace)
{
    out.clear();
    bool ok = false;
    std::vector<std::string> names = local_printer_names(ok, trace);
    if (!ok) return -1;
    if (!fill_list(names, out, kPrinterListBytes)) {
        trace.Write("\t\tCMyPrinter-MyGetPrinterInPC The buffer size is small/r/n");
        return -1;
    }
    return static_cast<int>(out.size());
}

bool CMyPrinter::MyGetDefaultPrinter(std::string& out, ILogSink& trace)
{
    out.clear();
    using GetDefaultPrinterFn = BOOL(WINAPI*)(LPSTR, LPDWORD);
    unique_hmodule winspool(::LoadLibraryA("Winspool.drv"));
    auto get_default = winspool ? reinterpret_cast<GetDefaultPrinterFn>(
                                      reinterpret_cast<void*>(::GetProcAddress(winspool.get(), "GetDefaultPrinterA")))
                                : nullptr;
    if (get_default) {
        char name[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (get_default(name, &size) && name[0]) {
            out = name;
            return true;
        }
    }
    return DefaultFromAttributes(out, trace);
}

bool CMyPrinter::DefaultFromAttributes(std::string& out, ILogSink& trace)
{
    out.clear();
    unique_hglobal buffer;
    DWORD count = 0, error = 0;
    int step = 0;
    if (!enum_local_printers(buffer, count, error, step)) {
        TraceSystemError(error,
                         step == 1 ? "CMyPrinter-MyGetDefaultPrinter-EnumPrinters1"
                                   : "CMyPrinter-MyGetDefaultPrinter-EnumPrinters2",
                         trace);
        return false;
    }
    auto* info = static_cast<PRINTER_INFO_2A*>(buffer.get());
    for (DWORD i = 0; i < count; ++i) {
        if ((info[i].Attributes & PRINTER_ATTRIBUTE_DEFAULT) && info[i].pPrinterName && info[i].pPrinterName[0]) {
            out = CutText(info[i].pPrinterName, kPathLimit);
            return true;
        }
    }
    return false;
}
