#include "system/collector.h"

#include "config/setup_profile.h"
#include "platform/fault_guard.h"
#include "platform/unique_handle.h"
#include "system/collector_rules.h"
#include "system/inf_info.h"
#include "system/system_utils.h"
#include "system/text_utils.h"

#include <cstring>
#include <utility>

namespace {

bool is_directory(const char* path)
{
    const DWORD attributes = ::GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool detect_running_os(int& os_class, bool& is64)
{
    OsVersionInfo version;
    OsClassification classification;
    if (!ReadOsVersion(version) || !ClassifyOs(version, classification)) return false;
    os_class = classification.os_class;
    is64 = version.is64;
    return true;
}

}  // namespace

CCollector::CCollector(ILogSink& log, const CSetupProfile* data_profile, std::string installer_dir,
                       CollectorOsDetect detect)
    : log_(log), data_profile_(data_profile), installer_dir_(std::move(installer_dir)), detect_(std::move(detect))
{
    if (!detect_) detect_ = detect_running_os;
}

bool CCollector::FindTarget(const char* root, const char* class_name, const char* language, const char* os_name,
                            TARGET_INFO* target, int os_code, bool is64)
{
    if (!root || !*root || !target) return false;

    bool found = false;
    std::vector<std::string> names;
    const bool normal = fault_guard::GuardedCall([&] {
        if (!is_directory(root)) {
            log_.Write("[%s] directory is not available!!!!", root);
            return;
        }
        if (SearchTarget(root, class_name, target)) {
            found = true;
            return;
        }

        std::vector<std::string> section_lines;
        if (os_name && *os_name && data_profile_)
            data_profile_->ReadSection(std::string(os_name) + "_DIR", section_lines, true);
        int os_class = os_code;
        bool os64 = is64;
        if (os_code == 0) {
            os_class = 0;
            os64 = false;
            if (!detect_(os_class, os64)) os_class = 0;  // no OS folders then
        }
        names = CollectorFolderNames(section_lines, os_class, os64);

        for (const auto& dir : CollectorCandidateDirs(root, language, names)) {
            if (SearchTarget(dir.c_str(), class_name, target)) {
                found = true;
                return;
            }
        }
    });
    if (!normal) {
        log_.Write("GPF in  CCollector::FindTarget()");
        found = false;
    }
    if (!fault_guard::GuardedCall([&] { std::vector<std::string>().swap(names); }))
        log_.Write("GPF in  CCollector::FindTarget() - clear");
    return found;
}

bool CCollector::SearchTarget(const char* directory, const char* class_name, TARGET_INFO* target)
{
    if (!directory || !*directory || !target) return false;

    bool found = false;
    const bool normal = fault_guard::GuardedCall([&] {
        std::string path(kTargetPathSize, '\0');
        int kind = 0;
        if (FindFile(directory, class_name, &path[0], static_cast<int>(path.size()), &kind) != ERROR_SUCCESS) return;
        path.resize(strnlen(path.c_str(), path.size()));

        target->path = CollectorTargetPath(path, installer_dir_);
        target->directory = CollectorTargetDir(path);
        target->driver_name.clear();
        target->kind = kind == kFoundSetup ? kTargetSetup : GetInfInfo(path.c_str(), target->driver_name);
        found = true;
    });
    if (!normal) {
        log_.Write("GPF in  CCollector::SearchTarget(%s)", directory);
        return false;
    }
    return found;
}

unsigned long CCollector::FindFile(const char* directory, const char* class_name, char* out, int size, int* kind)
{
    if (!directory || !*directory || !out || size <= 0) return ERROR_INVALID_PARAMETER;

    unsigned long status = ERROR_FILE_NOT_FOUND;
    const bool normal = fault_guard::GuardedCall([&] {
        std::string dir = directory;
        if (dir.back() == '\\') dir.pop_back();

        std::string result;
        int result_kind = 0;
        const std::string setup = dir + "\\setup.exe";
        if (::FileExists(setup.c_str())) {
            result = setup;
            result_kind = kFoundSetup;
        } else {
            const std::string pattern = dir + "\\*.inf";
            WIN32_FIND_DATAA data;
            unique_findfile search(::FindFirstFileA(pattern.c_str(), &data));
            if (search) {
                do {
                    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
                    const std::string file = dir + "\\" + data.cFileName;
                    bool match = !class_name || !*class_name;
                    if (!match) {
                        CInfInfo info(log_);
                        info.Init(file, 0, std::string());
                        match = EqualsNoCase(info.Class(), class_name);
                    }
                    if (match) {
                        result = file;
                        result_kind = kFoundInf;
                        break;
                    }
                } while (::FindNextFileA(search.get(), &data));
            }
        }

        if (result.empty()) {
            status = ERROR_FILE_NOT_FOUND;
            return;
        }
        if (result.size() >= static_cast<size_t>(size)) {
            status = ERROR_INSUFFICIENT_BUFFER;
            return;
        }
        std::memcpy(out, result.c_str(), result.size() + 1);
        if (kind) *kind = result_kind;
        status = ERROR_SUCCESS;
    });
    if (!normal) {
        log_.Write("GPF in  CCollector::FindFile(%s)", directory);
        return 1;
    }
    return status;
}

int CCollector::GetInfInfo(const char* inf_path, std::string& driver_name)
{
    if (!inf_path) return kTargetNone;
    int kind = kTargetNone;
    const bool normal = fault_guard::GuardedCall([&] {
        CInfInfo info(log_);
        info.Init(inf_path, 0, std::string());
        const std::string& cls = info.Class();
        if (EqualsNoCase(cls, "Printer") || EqualsNoCase(cls, "Image")) {
            driver_name = info.DriverName().substr(0, kTargetDriverSize - 1);
            kind = EqualsNoCase(cls, "Printer") ? kTargetPrinterInf : kTargetImageInf;
        } else if (!cls.empty()) {
            kind = kTargetOtherInf;
        }
    });
    if (!normal) {
        log_.Write("GPF in  CCollector::GetInfInfo(%s)", inf_path);
        return kTargetNone;
    }
    return kind;
}
