#pragma once
// Everything the installer knows about itself and the machine: directories, product
// identity, registry roots, language, OS definition, options, profiles, install settings,
// and the $NAME$ macro expansion every expanded configuration value passes through.
#include "config/command_block.h"
#include "config/language.h"
#include "config/log_sink.h"
#include "config/options.h"
#include "config/os_class.h"
#include "config/setup_profile.h"
#include "config/vars_platform.h"

#include <cstdint>
#include <string>

constexpr const char* kDefaultProgramName = "Velmora Printer Installer Program";
constexpr size_t kPathBuffer = 260;

struct CSystemDirs {
    std::string windows_dir;
    std::string system_dir;
    std::string inf_dir;            // windows_dir + "\Inf"
    std::string program_files_dir;  // empty when the system does not say
    std::string temp_dir;           // no trailing backslash
    bool is64 = false;              // the process runs on 64-bit Windows
};

struct CProgramInfo {
    std::string mfg;
    std::string mdl;
    std::string vidpid;
    std::string program_name = kDefaultProgramName;
};

// All under HKEY_LOCAL_MACHINE.
struct CRegistryRoots {
    std::string installing;          // "Software\<MFG>\<PROGRAM_NAME>\Installing"
    std::string installing_history;  // ...\Installing\InstHistory
    std::string installed;           // ...\Installed
    std::string installed_history;   // ...\Installed\InstHistory
    std::string uninstall_info;      // ...\UninstallInfo

    void Form(const std::string& mfg, const std::string& program_name);
};

struct CInstallSettings {
    std::string source_dir;
    std::string dest_dir;
    std::string org_dest_dir;  // as first determined
    std::string install_dir;   // dest_dir + "\Install"
    std::string os_dir;
    std::string os_define;     // empty when detection failed
    std::string port;
    std::string ip;
    std::string mfg, mdl, vidpid;  // 260-byte copies
    bool network_printer = false;
    bool printer_installed = false;
    bool device_connected = false;
};

class CInstallerVars final : public IProfileContext, public IProfileSetHost {
public:
    // Reads the directories, the system language and the version at once; logs nothing.
    CInstallerVars(IVarsPlatform& platform, ILogSink& log);
    CInstallerVars(const CInstallerVars&) = delete;
    CInstallerVars& operator=(const CInstallerVars&) = delete;

    // Optional collaborators; without them the libraries are not loaded, no device is
    // found and a language change touches nothing but the variables and profiles.
    void SetComponentLibs(IComponentLibsHost* libs) { libs_ = libs; }
    void SetLanguageHooks(ILanguageHooks* hooks) { hooks_ = hooks; }

    // The start-up sequence; false ends the program.
    bool Initialize();

    // Language id 0: LangCode of the Installed key, else the system language.
    bool SelectLanguage(uint16_t id, bool interactive);
    bool DetectOS();

    // Install settings.
    bool SetDestination(const std::string& path);  // empty: back to the first destination
    // <winspool.h> makes SetPort a macro for SetPortA: both names are members, so a call
    // compiles and links whichever way the headers were included.
#pragma push_macro("SetPort")
#undef SetPort
    void SetPort(const std::string& name);  // empty: the default port
    void SetPortA(const std::string& name) { SetPort(name); }
#pragma pop_macro("SetPort")
    void SetIP(const std::string& ip);
    void SetPrinterInstalled(bool installed);
    bool IsDeviceConnected(bool require_lpt);
    std::string DefaultPort();

    std::string ExpandMacros(const std::string& text, uint16_t lang_id = 0, const std::string& abbr = std::string(),
                             const std::string& lang_dir = std::string()) const override;
    std::string ResolvePath(const std::string& text, bool check) const override;
    bool FileExists(const std::string& path) const override;

    // IProfileContext
    bool RemoteInstallOption() const override { return options_.RemoteInstall(); }
    bool NetworkOption() const override { return options_.Network(); }
    bool UsbOnlyOption() const override { return options_.UsbOnly(); }
    std::string OsDefineString() const override { return settings_.os_define; }
    std::string CurrentLanguageAbbr() const override { return language_.current_abbr; }

    // Accessors.
    const std::string& Version() const { return version_; }
    const std::string& InstallerFileName() const { return installer_file_; }
    const std::string& SourceDir() const { return source_dir_; }
    CommandBlock& CommandBuffer() { return command_buffer_; }
    COptions& Options() { return options_; }
    const COptions& Options() const { return options_; }
    CProfileSet& Profiles() { return profiles_; }
    const CProfileSet& Profiles() const { return profiles_; }
    CSetupProfile& DataProfile() { return profiles_.Data(); }
    CSetupProfile& ConfigProfile() { return profiles_.Config(); }
    CSetupProfile& CommandProfile() { return profiles_.Command(); }
    CSetupProfile& StringProfile() { return profiles_.Strings(); }
    const CLanguageInfo& Language() const { return language_; }
    const CSystemDirs& Dirs() const { return dirs_; }
    const CProgramInfo& ProgramInfo() const { return program_; }
    const CRegistryRoots& RegistryRoots() const { return roots_; }
    const CInstallSettings& Settings() const { return settings_; }
    void SetNetworkPrinter(bool on) { settings_.network_printer = on; }
    bool Installed() const { return installed_; }
    void SetInstalled(bool installed) { installed_ = installed; }
    bool PortOnCommandLine() const { return port_on_command_line_; }
    void SetPortOnCommandLine(bool on) { port_on_command_line_ = on; }
    const OsVersionInfo& OsVersion() const { return os_version_; }
    int OsClass() const { return os_class_.os_class; }
    int OsFamily() const { return os_class_.family; }
    IVarsPlatform& Platform() { return platform_; }
    ILogSink& Log() { return log_; }

private:
    void InitInstallSettings();
    void LoadComponentLibs();
    void LogVariables();

    IVarsPlatform& platform_;
    ILogSink& log_;
    IComponentLibsHost* libs_ = nullptr;
    ILanguageHooks* hooks_ = nullptr;

    std::string version_;
    std::string installer_file_;
    std::string source_dir_;
    CommandBlock command_buffer_;
    COptions options_;
    CProfileSet profiles_;
    CLanguageInfo language_;
    CSystemDirs dirs_;
    CProgramInfo program_;
    CRegistryRoots roots_;
    CInstallSettings settings_;
    bool installed_ = false;
    bool port_on_command_line_ = false;
    bool os_detected_ = false;
    OsVersionInfo os_version_;
    OsClassification os_class_;
};
