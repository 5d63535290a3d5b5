#include "config/installer_vars.h"

#include "config/macros.h"
#include "config/os_define.h"
#include "config/path_rules.h"
#include "config/vars_text.h"

using vars_text::EqualsNoCase;
using vars_text::WithoutTrailingBackslash;

namespace {

constexpr const char* kCurrentVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kNtCurrentVersionKey = "Software\\Microsoft\\Windows NT\\CurrentVersion";

std::string Cut260(const std::string& s)
{
    std::string t = s;
    vars_text::CutToBuffer(t, kPathBuffer);
    return t;
}

std::string ParentDir(const std::string& dir)
{
    size_t cut = dir.find_last_of('\\');
    return cut == std::string::npos ? dir : dir.substr(0, cut);
}

}  // namespace

void CRegistryRoots::Form(const std::string& mfg, const std::string& program_name)
{
    const std::string base = "Software\\" + mfg + "\\" + program_name;
    installing = base + "\\Installing";
    installing_history = base + "\\Installing\\InstHistory";
    installed = base + "\\Installed";
    installed_history = base + "\\Installed\\InstHistory";
    uninstall_info = base + "\\UninstallInfo";
}

CInstallerVars::CInstallerVars(IVarsPlatform& platform, ILogSink& log) : platform_(platform), log_(log)
{
    os_version_ = platform_.VersionInfo();
    os_version_.is64 = platform_.IsWow64();
    if (os_version_.platform_id == kPlatformWindows)
        platform_.RegGetString(RegRoot::LocalMachine, kCurrentVersionKey, "VersionNumber", os_version_.version_number);
    ClassifyOs(os_version_, os_class_);

    dirs_.is64 = os_version_.is64;
    dirs_.system_dir = platform_.SystemDirectory();
    const bool terminal_server = os_version_.platform_id == kPlatformNt && os_version_.ProductTypeKnown() &&
                                 os_version_.product_type == kNtServer &&
                                 (os_version_.suite_mask & kSuiteTerminal) != 0;
    if (terminal_server) {
        // On a terminal server GetWindowsDirectory names the user's private directory.
        if (!platform_.RegGetString(RegRoot::LocalMachine, kNtCurrentVersionKey, "SystemRoot", dirs_.windows_dir))
            dirs_.windows_dir = ParentDir(dirs_.system_dir);
    } else {
        dirs_.windows_dir = platform_.WindowsDirectory();
    }
    dirs_.inf_dir = dirs_.windows_dir + "\\Inf";
    dirs_.temp_dir = WithoutTrailingBackslash(platform_.TempPath());
    if (!platform_.RegGetString(RegRoot::LocalMachine, kCurrentVersionKey, "ProgramFilesDir", dirs_.program_files_dir))
        dirs_.program_files_dir.clear();

    language_.system_id = platform_.SystemDefaultLangId();
}

bool CInstallerVars::Initialize()
{
    // 1, 2: source directory and installer name from the program's own path.
    const std::string program = platform_.ProgramPath();
    const size_t cut = program.find_last_of("\\/");
    source_dir_ = cut == std::string::npos ? std::string() : program.substr(0, cut);
    const std::string file = cut == std::string::npos ? program : program.substr(cut + 1);
    const size_t dot = file.find_last_of('.');
    const std::string base = dot == std::string::npos ? file : file.substr(0, dot);
    platform_.SetCurrentDir(source_dir_);
    installer_file_ = base + ".exe";
    settings_.source_dir = source_dir_;

    // 3
    if (!profiles_.Open(source_dir_ + "\\" + base + ".dat", *this, this, log_)) {
        log_.Write("Initialize Profiles fail!!");
        return false;
    }
    CSetupProfile& data = profiles_.Data();

    // The OS define string is found as soon as the data file is open, so that the options
    // below already see their variant for the running system (OPTION.<os>); the install
    // settings log it in their place.
    os_detected_ = DetectOS();

    // 4
    if (!data.Read("VERSION", "VERSION", version_))
        version_ = platform_.PrivateProfileString("INFOMATION", "VERSION", "", source_dir_ + "\\Autorun.inf");

    // 5
    options_.ReadOptions(data, os_class_.os_class, log_);

    // 6
    const bool have_mfg = data.Read("PROGRAM_INFO", "MFG", program_.mfg);
    const bool have_mdl = data.Read("PROGRAM_INFO", "MDL", program_.mdl);
    const bool have_vidpid = data.Read("PROGRAM_INFO", "VIDPID", program_.vidpid);
    data.Read("PROGRAM_INFO", "PROGRAM_NAME", program_.program_name);
    if (!have_mfg || !have_mdl || !have_vidpid) {
        log_.Write("Initialize Model Variable fail!!");
        if (!options_.MainOnly()) return false;
    }

    // 7
    roots_.Form(program_.mfg, program_.program_name);

    // 8
    language_.system_abbr = LanguageAbbrOf(data, ValidateLanguageId(data, MapLanguageId(data, language_.system_id)));

    // 9
    SelectLanguage(0, false);

    // 10
    InitInstallSettings();

    // 11: a library that does not load is reported by the gateway; its calls then answer
    // "==> NULL", so start-up goes on.
    LoadComponentLibs();

    // 12
    LogVariables();
    return true;
}

void CInstallerVars::InitInstallSettings()
{
    settings_.source_dir = source_dir_;
    settings_.mfg = Cut260(program_.mfg);
    settings_.mdl = Cut260(program_.mdl);
    settings_.vidpid = Cut260(program_.vidpid);

    // An empty value names no directory: the next source is used.
    std::string dest;
    if (!platform_.RegGetString(RegRoot::LocalMachine, roots_.installed, "Dest_Dir", dest) || dest.empty())
        if (!profiles_.Data().Read("PROGRAM_INFO", "DESTINATION_DIR", dest) || dest.empty())
            dest = dirs_.program_files_dir + "\\" + program_.mfg + "\\" + program_.program_name;
    dest = WithoutTrailingBackslash(dest);
    settings_.dest_dir = dest;
    settings_.org_dest_dir = dest;
    settings_.install_dir = dest + "\\Install";
    platform_.CreateDirectoryChain(dest);

    settings_.port = DefaultPort();

    if (os_detected_) {
        log_.Write("OS Define String = %s", settings_.os_define.c_str());
        if (!profiles_.Data().Read("OS_DIR", settings_.os_define, settings_.os_dir)) settings_.os_dir = settings_.os_define;
        log_.Write("OS Directory = %s", settings_.os_dir.c_str());
    } else {
        settings_.os_dir.clear();
    }
}

void CInstallerVars::LoadComponentLibs()
{
    if (!libs_) return;
    ComponentLibRequest request;
    request.read = [this](const std::string& section, const std::string& key, std::string& out) {
        return profiles_.Data().Read(section, key, out);
    };
    request.resolve = [this](const std::string& path) { return ResolvePath(path, false); };
    if (!profiles_.Data().FindSectionVariant("INSTALLER_FILE_INFO", request.platform_section))
        request.platform_section.clear();
    libs_->Load(request, log_);
}

void CInstallerVars::LogVariables()
{
    log_.Write(" m_cstrDataFile file name is [%s]\n", profiles_.DataFile().c_str());
    log_.Write(" Configure file Name is [%s] \n", profiles_.ConfigFile().c_str());
    log_.Write(" String file Name is [%s] \n", profiles_.StringFile().c_str());
    log_.Write(" Source Directroy = %s\n", source_dir_.c_str());
    log_.Write(" Destination Directroy = %s\n", settings_.dest_dir.c_str());
    log_.Write(" Inf Directroy = %s\n", dirs_.inf_dir.c_str());
    log_.Write(" Language Abbreviation = %s\n", language_.current_abbr.c_str());
    log_.Write(" Original Language Abbreviation = %s\n", language_.org_abbr.c_str());
    log_.Write(" Language directory = %s\n", language_.lang_dir.c_str());
    log_.Write(" Original Language directory = %s\n", language_.org_lang_dir.c_str());
    log_.Write(" OS Directroy = %s\n", settings_.os_dir.c_str());
    log_.Write(" OS String = %s\n", settings_.os_define.c_str());
    log_.Write(" System Directroy = %s\n", dirs_.system_dir.c_str());
    log_.Write(" Windows Directroy = %s\n", dirs_.windows_dir.c_str());
    log_.Write(" Language ID = 0x%04X\n", unsigned(language_.current_id));
    log_.Write(" Program files directory = %s\n", dirs_.program_files_dir.c_str());
    log_.Write(" Current Installing registry root key = %s\n", roots_.installing.c_str());
    log_.Write(" Current Installed registry root key = %s\n", roots_.installed.c_str());
    log_.Write(" Temporary directory = %s\n", dirs_.temp_dir.c_str());
}

bool CInstallerVars::DetectOS()
{
    const OsDefineLookup lookup = [this](const std::string& key, std::string& value) {
        return profiles_.Data().Read("OS_DEFINE", key, value);
    };
    return DetectOsDefine(os_version_, lookup, log_, settings_.os_define);
}

bool CInstallerVars::SelectLanguage(uint16_t id, bool interactive)
{
    bool force = false;
    if (id == 0) {
        uint32_t code = 0;
        if (platform_.RegGetDword(RegRoot::LocalMachine, roots_.installed, "LangCode", code)) id = uint16_t(code);
        force = true;
    }
    const uintptr_t cursor = platform_.BeginWaitCursor();
    if (id == 0) id = language_.system_id;

    const bool same = !force && id == language_.org_id;
    if (same && interactive) {
        platform_.EndWaitCursor(cursor);
        return true;
    }
    if (!same) {
        const CSetupProfile& data = profiles_.Data();
        language_.current_id = ValidateLanguageId(data, MapLanguageId(data, id));
        language_.org_id = ValidateLanguageId(data, id);
        language_.current_abbr = LanguageAbbrOf(data, language_.current_id);
        language_.org_abbr = LanguageAbbrOf(data, language_.org_id);
        language_.lang_dir = LanguageDirOf(data, language_.current_id);
        language_.org_lang_dir = LanguageDirOf(data, language_.org_id);

        log_.Write("Set Language : Language ID\t\t= 0X%04X", unsigned(language_.current_id));
        log_.Write("Set Language : Language Abbr\t\t= %s", language_.current_abbr.c_str());
        log_.Write("Set Language : System Language ID\t= 0X%04X", unsigned(language_.system_id));
        log_.Write("Set Language : System Language Abbr = %s", language_.system_abbr.c_str());
        log_.Write("Set Language : Language Dir\t\t= %s", language_.lang_dir.c_str());
        log_.Write("Set Language : Org Language ID\t\t= 0X%04X", unsigned(language_.org_id));
        log_.Write("Set Language : Org Language Abbr\t\t= %s", language_.org_abbr.c_str());
        log_.Write("Set Language : Org Language Dir\t\t= %s", language_.org_lang_dir.c_str());
    }

    profiles_.SetLanguageFiles(language_.current_abbr);
    // Written after the files switched, so that STR_FILE names the new language's file.
    platform_.RegSetDword(RegRoot::LocalMachine, roots_.installing, "LangCode", language_.org_id);
    platform_.RegSetString(RegRoot::LocalMachine, roots_.installing, "LangAbbr", language_.current_abbr);
    platform_.RegSetString(RegRoot::LocalMachine, roots_.installing, "STR_FILE", profiles_.StringFile());
    options_.ReadOptions(profiles_.Data(), os_class_.os_class, log_);
    if (hooks_) {
        hooks_->ReloadNetworkTexts();
        if (interactive) hooks_->ApplyInteractiveLanguageChange(options_.RightAlign());
    }
    platform_.EndWaitCursor(cursor);
    return true;
}

std::string CInstallerVars::DefaultPort()
{
    const std::vector<std::string> ports = platform_.PortNames();
    auto exists = [&](const std::string& name) {
        for (const auto& p : ports)
            if (EqualsNoCase(p, name)) return true;
        return false;
    };
    std::string port;
    if (profiles_.Data().Read("PROGRAM_INFO", "DEFAULT_PORT", port) && !port.empty() && exists(port)) return port;
    if (options_.UsbOnly()) return "FILE:";
    if (exists("LPT1:")) return "LPT1:";
    return "FILE:";
}

bool CInstallerVars::SetDestination(const std::string& path)
{
    const std::string old_dir = ExpandMacros(settings_.dest_dir);
    std::string new_dir = path;
    if (new_dir.empty()) {
        new_dir = ExpandMacros(settings_.org_dest_dir);
        log_.Write("Reset Destination Directory [%s]", new_dir.c_str());
    }
    // "C:\A" and "C:\A\" are one directory: removing and making it again would be pointless.
    if (EqualsNoCase(WithoutTrailingBackslash(new_dir), WithoutTrailingBackslash(old_dir))) return true;

    platform_.RemoveEmptyDirectories(old_dir);
    log_.Write("Set Destination ==> %s", new_dir.c_str());
    settings_.dest_dir = WithoutTrailingBackslash(new_dir);
    settings_.install_dir = settings_.dest_dir + "\\Install";
    platform_.RegSetString(RegRoot::LocalMachine, roots_.installing, "Dest_Dir", settings_.dest_dir);
    platform_.CreateDirectoryChain(settings_.dest_dir);
    return true;
}

void CInstallerVars::SetPort(const std::string& name)
{
    settings_.port = name.empty() ? DefaultPort() : name;
    log_.Write("Set Port : %s", settings_.port.c_str());
}

void CInstallerVars::SetIP(const std::string& ip)
{
    settings_.ip = ip;
    log_.Write("Set IP : %s", ip.c_str());
}

void CInstallerVars::SetPrinterInstalled(bool installed)
{
    settings_.printer_installed = installed;
    if (installed) log_.Write("Printer was installed");
}

bool CInstallerVars::IsDeviceConnected(bool require_lpt)
{
    if (!libs_) return false;
    std::vector<std::string> ports;
    const int count = libs_->GetDevicePort(settings_.mfg, settings_.mdl, settings_.vidpid, ports);
    if (count < 1 || count > 255) return false;  // -1: no USB; more than 255 is no answer
    if (require_lpt) {
        bool lpt = false;
        for (const auto& p : ports)
            if (vars_text::ToUpper(p).find("LPT") != std::string::npos) lpt = true;
        if (!lpt) return false;
    }
    settings_.device_connected = true;
    return true;
}

std::string CInstallerVars::ExpandMacros(const std::string& text, uint16_t lang_id, const std::string& abbr,
                                         const std::string& lang_dir) const
{
    MacroValues v;
    v.lang_abbr = abbr.empty() ? language_.current_abbr : abbr;
    v.org_lang_abbr = language_.org_abbr;
    v.src_dir = source_dir_;
    v.dest_dir = settings_.dest_dir;
    v.dest_inst_dir = settings_.install_dir;
    v.win_dir = dirs_.windows_dir;
    v.sys_dir = dirs_.system_dir;
    v.inf_dir = dirs_.inf_dir;
    v.os_dir = settings_.os_dir;
    v.program_files_dir = dirs_.program_files_dir;
    v.lang_dir = lang_dir.empty() ? language_.lang_dir : lang_dir;
    v.org_lang_dir = language_.org_lang_dir;
    v.data_file = profiles_.DataFile();
    v.config_file = profiles_.ConfigFile();
    v.string_file = profiles_.StringFile();
    v.version = version_;
    v.installer_exe = installer_file_;
    v.ip = settings_.ip;
    v.string_file_name = profiles_.StringFileName();
    v.port = settings_.port;
    v.lcid = lang_id != 0 ? lang_id : language_.current_id;
    v.org_lcid = language_.org_id;
    v.installed = installed_;
    return ::ExpandMacros(text, v);
}

std::string CInstallerVars::ResolvePath(const std::string& text, bool check) const
{
    std::string path = ResolvePathRule(text, source_dir_);
    if (check && !platform_.FileExists(path)) {
        log_.Write("(%s) file does not exist.", path.c_str());
        return std::string();
    }
    return path;
}

bool CInstallerVars::FileExists(const std::string& path) const { return platform_.FileExists(path); }
