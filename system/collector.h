#pragma once
// Searches an item's directory tree on the medium for the directory that holds its driver:
// a setup program, or an INF of the wanted class, trying operating-system and language
// sub-directories in a fixed order, and reports what it found as a TARGET_INFO.
// Windows tree only; the header itself is Win32-free.
#include "config/log_sink.h"

#include <cstddef>
#include <functional>
#include <string>

class CSetupProfile;

// What FindTarget found.
enum TargetKind : int {
    kTargetNone = 0,        // an INF whose class could not be read
    kTargetPrinterInf = 3,
    kTargetImageInf = 4,
    kTargetOtherInf = 5,    // an INF of another class
    kTargetSetup = 6,       // a setup program (setup.exe)
};

// FindFile's kinds.
enum FoundFileKind : int {
    kFoundInf = 1,
    kFoundSetup = 2,
};

constexpr size_t kTargetPathSize = 1024;   // path and directory, NUL included
constexpr size_t kTargetDriverSize = 256;  // driver name, NUL included

// The driver-target record; meaningful only when FindTarget returned true.
struct TARGET_INFO {
    std::string path;         // upper-cased, the installer directory replaced by "$SRC_DIR$"
    std::string directory;    // the found file's directory as on disk (before the last backslash)
    std::string driver_name;  // printer and image INFs: the first model's name (at most 255)
    int kind = kTargetNone;   // TargetKind
};

// OS class code (config/os_class.h) and 64-bit flag of the running system; false when unknown.
using CollectorOsDetect = std::function<bool(int& os_class, bool& is64)>;

class CCollector {
public:
    // data_profile: where the "<OS name>_DIR" sections live (may be null: no such sections).
    // installer_dir: the installer's source directory, replaced by "$SRC_DIR$" in target
    // paths. detect: the running system for OS code 0; empty means GetOSVersion and
    // IsWow64Process. From the installer variables:
    //   CCollector(vars.Log(), &vars.DataProfile(), vars.SourceDir())
    CCollector(ILogSink& log, const CSetupProfile* data_profile, std::string installer_dir,
               CollectorOsDetect detect = CollectorOsDetect());

    // Searches root, then its OS and language sub-directories (see CollectorCandidateDirs in
    // system/collector_rules.h for the order). os_code 0: the running system's class and
    // 64-bit flag, is64 ignored. language null: no language (English forms are tried);
    // empty: only root and root\<OS folder> are tried. False when nothing is found, root is
    // empty or not a directory (logged), target is null, or a fault occurred (logged).
    bool FindTarget(const char* root, const char* class_name, const char* language, const char* os_name,
                    TARGET_INFO* target, int os_code = 0, bool is64 = false);

    // One directory: FindFile, then the record. False when nothing is found there.
    bool SearchTarget(const char* directory, const char* class_name, TARGET_INFO* target);

    // setup.exe of the directory wins; else the first *.inf in listing order (with a class,
    // the first whose class equals it ignoring case). kind (may be null) gets FoundFileKind.
    // Status: 0 found, 2 nothing found, 87 bad arguments, 122 path longer than size - 1,
    // 1 after a fault.
    unsigned long FindFile(const char* directory, const char* class_name, char* out, int size, int* kind);

    // Reads the INF: kTargetPrinterInf / kTargetImageInf (driver_name gets the first model's
    // name, cut to 255), kTargetOtherInf, or kTargetNone without a readable class or after a
    // fault.
    int GetInfInfo(const char* inf_path, std::string& driver_name);

private:
    ILogSink& log_;
    const CSetupProfile* data_profile_;
    std::string installer_dir_;
    CollectorOsDetect detect_;
};
