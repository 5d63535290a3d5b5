#pragma once
// The printer-settings table: what the installer wants done with each printer it installs
// (final name, port, share name, default printer), applied through the print spooler once the
// drivers are in place; and the spooler questions the pages ask (ports, local printers, the
// default printer, whether a name is taken).
#include "config/log_sink.h"
#include "system/copy_file.h"
#include "system/trace.h"

#include <string>
#include <vector>

constexpr int kMaxPrinterRecords = 10;
constexpr size_t kPrinterTextLimit = 16383;  // text fields of 16 KB
constexpr size_t kPrinterListBytes = 16384;  // name lists: names each followed by a zero byte

// One printer item's wishes.
struct PRINTER_DATA {
    std::string driver_name;   // the name the driver installation gives the printer
    std::string printer_name;  // the name it should carry in the end
    std::string share_name;
    std::string inf_path;      // may hold installer macros
    std::string port;
    bool default_printer = false;
    bool share = false;
    bool installed = false;     // set by MarkInstalled; the apply steps but ApplyPorts skip others
    bool network_port = false;  // assign the port
    int position = -1;          // slot in the table
    int item_key = -1;          // index of the owning item, -1 none
};

// What the apply steps take from the rest of the installer, asked when they run (the table
// exists before the variables are initialised).
class IPrinterHost {
public:
    virtual ~IPrinterHost() = default;
    virtual int OsFamily() const = 0;
    virtual std::string ExpandMacros(const std::string& text) const = 0;
    virtual std::string SourceDir() const = 0;
    virtual std::string DestDir() const = 0;  // its "\Install" holds the copy of the source
    virtual std::string InfDir() const = 0;   // the Windows INF directory
    // The copy operations' environment, for the INF copy outside the NT 5 family.
    virtual CopyFileEnv CopyEnv() const = 0;
    // The diagnosis library's DiagnosisEx(MFG, printer, MDL, VIDPID, 0).
    virtual int DiagnosisEx(const std::string& printer) = 0;
};

class CMyPrinter {
public:
    // Empties the table and remembers the current default printer. Writes nothing to `log`
    // (it may not be open yet); `host` may be given later with SetHost.
    explicit CMyPrinter(ILogSink& log, IPrinterHost* host = nullptr, ILogSink& trace = NullTrace());
    CMyPrinter(const CMyPrinter&) = delete;
    CMyPrinter& operator=(const CMyPrinter&) = delete;
    virtual ~CMyPrinter() = default;

    void SetHost(IPrinterHost* host) { host_ = host; }

    // --- the record list ---------------------------------------------------------------

    void ClearAllRecords();
    // Empties every field but the driver name; position and key -1.
    static void ClearRecord(PRINTER_DATA& record);
    // Appends a copy at position GetCount(); false when 10 are held. Texts over 16 KB are cut.
    bool AddRecord(const PRINTER_DATA& record);
    // Index outside 0..9: `out` is cleared and the result false.
    bool GetRecord(int index, PRINTER_DATA& out) const;
    // Back into the held slot named by its position; false for any other position.
    bool PutRecord(const PRINTER_DATA& record);
    int GetCount() const { return count_; }
    // The first record whose driver name matches (ignoring case) is marked installed.
    bool MarkInstalled(const std::string& driver_name);
    // Every record gets the port and the network-port flag; an empty port is refused.
    bool SetAllPort(const std::string& port, bool network_port);
    void ClearPortFlags();
    // False for key -1 or when no record has that item key.
    bool GetPortByKey(int key, std::string& out) const;
    // Printer name of the first default record; empty (false) when there is none.
    bool GetDefaultPrinterName(std::string& out) const;
    // Driver name of the first default record, else the printer name of slot 0.
    bool GetDefaultDriverName(std::string& out) const;
    // Printer names of the installed records that have a driver name; the count, or -1 when
    // they do not fit the 16 KB list (`out` then holds those that fit).
    int MyGetInstalledPrinter(std::vector<std::string>& out) const;
    // The first record whose printer name matches (ignoring case) takes the new name.
    bool RenamePrinterName(const std::string& old_name, const std::string& new_name);
    // True when `new_name` (ignoring case) is the driver name of an installed record or the
    // name of a local printer, not counting any that is named `current_name`.
    bool IsNameInUse(const std::string& new_name, const std::string& current_name) const;

    const std::string& StartDefaultPrinter() const { return start_default_; }
    const std::string& AllPort() const { return all_port_; }

    // --- apply steps (each walks all records and carries on after a failure) -----------

    // The last default and installed record becomes the default printer, by its printer name
    // or, without `use_printer_name`, by its driver name, its INF then copied to the system.
    bool ApplyDefault(bool use_printer_name);
    bool ApplyShares();  // installed records with the share flag and a share name
    bool ApplyPorts();   // every record with the network-port flag, installed or not
    bool ApplyNames();   // installed records with a printer name
    bool DiagnoseAll();  // DiagnosisEx for each installed record
    // True when every step it took succeeded.

    // Copies the driver INF into the system: SetupCopyOEMInfA on the NT 5 family (from the
    // installed copy of the source directory), else CopyOneFile into the INF directory.
    // `installed_as` (may be null) receives the name the system gave it.
    bool CopyOemInf(const std::string& path, std::string* installed_as = nullptr);

    // --- spooler operations --------------------------------------------------------------

    // By OS family: 10 the default attribute, 15 the "Device" profile entry, 17
    // SetDefaultPrinterA (else the profile entry). Logged; other families fail.
    static bool MakeDefaultPrinter(const std::string& name, int os_family, ILogSink& log);
    static bool SetPrinterPort(const std::string& printer, const std::string& port, ILogSink& log);
    // Names equal ignoring case: true without asking the spooler.
    static bool SetPrinterName(const std::string& printer, const std::string& new_name, ILogSink& log);
    static bool SharePrinter(const std::string& printer, const std::string& share_name, ILogSink& log);
    // The system's ports but those whose name contains "COM"; false when they cannot be listed.
    static bool EnumPortList(std::vector<std::string>& out, ILogSink& trace = NullTrace());
    // Local printer names; the count, or -1 when they do not fit 16 KB or cannot be listed.
    static int MyGetPrinterInPC(std::vector<std::string>& out, ILogSink& trace = NullTrace());
    // The current default printer; false when there is none.
    static bool MyGetDefaultPrinter(std::string& out, ILogSink& trace = NullTrace());

protected:
    // Without GetDefaultPrinterA: the first local printer that carries the default attribute.
    static bool DefaultFromAttributes(std::string& out, ILogSink& trace);

private:
    int Family() const;
    // The last record with the default and installed flags; -1 when none.
    int DefaultIndex() const;

    ILogSink& log_;
    ILogSink& trace_;
    IPrinterHost* host_;
    PRINTER_DATA records_[kMaxPrinterRecords];
    int count_ = 0;
    std::string all_port_;       // at most 259 bytes
    std::string start_default_;  // at most 259 bytes
};
