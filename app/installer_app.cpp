#include "app/installer_app.h"

#include "app/messages.h"
#include "app/setup_type.h"
#include "app/start_section.h"
#include "system/registry.h"
#include "system/system_utils.h"

#include <commctrl.h>

#include <cctype>
#include <cstdio>
#include <system_error>
#include <vector>

namespace {

bool isPnPSkipped(int os_class)
{
    // Windows 95 (3, 4) and NT 3.x/4.0 (11, 12) have no new-hardware wizard to handle.
    return os_class == 3 || os_class == 4 || os_class == 11 || os_class == 12;
}

std::string withoutTrailingBackslash(std::string s)
{
    while (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

}  // namespace

bool CComponentLibsHost::Load(const ComponentLibRequest& request, ILogSink& log)
{
    ComponentLibSource src;
    src.read = request.read;
    src.resolve = request.resolve;
    src.platform_section = request.platform_section;
    return libs_.Load(src, log);
}

int CComponentLibsHost::GetDevicePort(const std::string& mfg, const std::string& mdl, const std::string& vidpid,
                                      std::vector<std::string>& ports)
{
    return libs_.GetDevicePort(mfg, mdl, vidpid, ports);
}

CInstallerApp::CInstallerApp()
    : vars_(platform_, log_),
      libs_host_(libs_),
      device_queries_(libs_),
      items_(vars_, log_, &printers_, ItemServices{&device_queries_, &libs_host_, &printers_, nullptr}),
      printer_host_(vars_, libs_, CopyFileEnv{&log_, &NullTrace(), &api_}),
      printers_(log_, &printer_host_),
      log_(vars_.ProgramInfo().program_name)
{
    vars_.SetComponentLibs(&libs_host_);
}

CInstallerApp::~CInstallerApp()
{
    StopPnPThreads();
    // The items log their end: they go while the log (constructed after them) still lives.
    items_.Clear();
}

int CInstallerApp::Run(const std::string& command_line)
{
    Startup s = InitInstance(command_line);
    int code = kExitStartupEnded;
    if (s == Startup::Silent) {
        code = exit_code_;
    } else if (s == Startup::Continue) {
        code = MessageLoop();
    }
    ExitInstance();
    return code;
}

CInstallerApp::Startup CInstallerApp::InitInstance(const std::string& command_line)
{
    // 1. Control support: common controls and the rich-edit class.
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_INTERNET_CLASSES};
    InitCommonControlsEx(&icc);
    LoadLibraryA("riched20.dll");

    // 2. The wizard object; its window comes later.
    wizard_ = std::make_unique<CWizard>(log_);

    // 3. Variables.
    if (!vars_.Initialize()) {
        log_.Write("Initilize global variable fail");
        return Startup::End;
    }
    const COptions& opt = vars_.Options();
    const std::string& program_name = vars_.ProgramInfo().program_name;

    // 4. Single instance.
    const std::string mutex_name = CWizard::ClassNameFor(program_name);
    SetLastError(0);
    HANDLE m = CreateMutexA(nullptr, TRUE, mutex_name.c_str());
    DWORD mutex_error = GetLastError();
    if (m && mutex_error != ERROR_ALREADY_EXISTS) {
        mutex_.reset(m);
    } else if (mutex_error == ERROR_ALREADY_EXISTS) {
        if (m) CloseHandle(m);
        HWND other = FindWindowA(mutex_name.c_str(), nullptr);
        if (!other) {
            log_.Write("There is a previous running instance of this application, so it is terminated.");
            return Startup::End;
        }
        SendMessageA(other, WM_USER_ACTIVATE, 0, 0);
    }

    // 5. Rights.
    if (opt.DeviceInstall() && vars_.OsFamily() != kFamilyWin9x && !IsAdministrator()) {
        std::string text;
        if (vars_.DataProfile().Read("SYSTEM_REQUIREMENT", "MSG_IS_NOT_ADMIN", text)) {
            ShowMessageBox(nullptr, text, program_name, MB_OK);
            return Startup::End;
        }
    }

    // 6. Command line.
    log_.Write("Parameter : %s", command_line.c_str());
    options_ = ParseCommandLine(command_line);
    setup_type_ = options_.setup_type;
    silent_ = options_.silent;
    if (options_.has_destination) vars_.SetDestination(options_.destination);
    if (options_.has_language) vars_.SelectLanguage(static_cast<uint16_t>(options_.language_id), false);
    if (options_.has_port) {
        vars_.SetPort(options_.port);
        vars_.SetPortOnCommandLine(true);
    }

    // 7. A first install: minimum requirements, and the setting file may ask for a script.
    if (setup_type_ == kSetupInstall) {
        // The requirement check belongs to the destination page's module; a product that
        // defines no requirements passes.
        const std::string& setting_file = vars_.Profiles().SettingFile();
        if (!setting_file.empty() &&
            platform_.PrivateProfileString("INSTALL", "SILENT", "", setting_file) == "1") {
            silent_ = true;
            setup_type_ = kSetupScripted;
        }
    }

    // 8. Silent mode: the work is done here and the program ends.
    if (silent_) {
        exit_code_ = RunSilent();
        return Startup::Silent;
    }

    // 9. Interactive: the wizard window.
    switch (wizard_->Create(program_name)) {
    case CWizard::kCreateFailed:
        log_.Write("The installer initializing fail");
        mutex_.reset();
        return Startup::End;
    case CWizard::kOtherInstance:
        log_.Write("The installer is already running");
        mutex_.reset();
        return Startup::End;
    default:
        break;
    }

    // 10. No plug-and-play installation may be pending.
    WaitForPnP(true, [this] { libs_.MySetForegroundNHWdDialog(); });

    // 13. The run itself.
    if (!InitializeRun()) {
        log_.Write("Initialize fail");
        return Startup::End;
    }

    // 14. Keep new-hardware wizards out of the way during an install.
    if (opt.DeviceInstall() && setup_type_ == kSetupInstall) StartPnPThread(true);

    // 15. Ready.
    WriteInstallState(true);
    initialised_ = true;
    return Startup::Continue;
}

int CInstallerApp::RunSilent()
{
    char dest[4096] = {};
    if (CRegistry::GetValue(vars_.RegistryRoots().installed.c_str(), "Dest_Dir", dest) == ERROR_SUCCESS && dest[0])
        vars_.SetDestination(dest);
    switch (setup_type_) {
    case kSetupInstall:
    case kSetupScripted:
        WriteInstallState(true);
        RunPreinstaller(nullptr);
        return kExitSuccess;
    case kSetupUninstall:
    case kSetupReinstall:
        return kExitSuccess;
    default:
        return kExitSuccess;
    }
}

bool CInstallerApp::InitializeRun()
{
    const COptions& opt = vars_.Options();
    const std::string& program_name = vars_.ProgramInfo().program_name;
    uintptr_t cursor = platform_.BeginWaitCursor();
    auto restore = scope_exit([&] { platform_.EndWaitCursor(cursor); });

    // 3. Items.
    if (!items_.Init(std::string(), nullptr)) {
        log_.Write("Initialize installed item information fail");
        if (!opt.MainOnly()) return false;
    }

    // 5. Start section and setup type.
    setup_type_ = ChooseStartSection(setup_type_);

    // 6.
    if (opt.MainOnly()) {
        setup_type_ = kSetupInstall;
    } else {
        items_.SetPrinterInfo(printers_);
        network_.ReadInfo("NETWORK_PRINTER_INFO");
        if (setup_type_ == kSetupNone) {
            ShowMessageBox(OwnerWindow(), GetSystemErrorText(ERROR_INVALID_PARAMETER), program_name, MB_OK);
            log_.Write("Invalid Parameter");
            return false;
        }
        if (setup_type_ == kSetupInstall && items_.GetCount() == 0) {
            std::string text;
            if (vars_.DataProfile().Read("SYSTEM_REQUIREMENT", "MSG_NOT_SUPPORTED_OS", text))
                ShowMessageBox(OwnerWindow(), text, program_name, MB_OK);
            log_.Write("There is no valid item!!!");
            return false;
        }
    }

    // 8. Pre-installer for an install; remove-all selects everything installed.
    if (setup_type_ == kSetupInstall) RunPreinstallerThreaded(nullptr);
    if (setup_type_ == kSetupRemoveAll) items_.SetDeleteAll();

    // 10.
    StartCheckVista64();
    return true;
}

int CInstallerApp::ChooseStartSection(int requested)
{
    const COptions& opt = vars_.Options();
    const CRegistryRoots& roots = vars_.RegistryRoots();
    if ((requested == kSetupInstall && items_.IsthereInstalledItem()) || requested == kSetupReinstall) {
        unsigned long lang = 0;
        if (CRegistry::GetValue(roots.installed.c_str(), "LangCode", &lang) == ERROR_SUCCESS) {
            vars_.SetInstalled(true);
            requested = AdjustRequestedType(requested, true, opt.MaintenanceOn(), opt.Network());
        }
    }
    const bool on_cdrom = GetDriveKind() == kDriveCdRom;
    StartChoice choice = ::ChooseStartSection(requested, on_cdrom, [this](const std::string& base, std::string& found) {
        return vars_.ConfigProfile().FindSectionVariant(base, found);
    });
    start_section_ = choice.section;
    if (choice.setup_type == kSetupNone) {
        log_.Write("Start Section is [%s]", start_section_.c_str());
        return kSetupNone;
    }
    CRegistry::SetValue(roots.installing.c_str(), "Setup_Type", static_cast<unsigned long>(choice.setup_type));
    if (choice.setup_type == kSetupInstall && opt.Agfa()) {
        const std::string agfa = start_section_ + ".AGFA";
        if (vars_.ConfigProfile().SectionExists(agfa)) start_section_ = agfa;
    }
    log_.Write("Start Section is [%s]", start_section_.c_str());
    return choice.setup_type;
}

void CInstallerApp::WriteInstallState(bool product_values)
{
    if (vars_.Options().MainOnly()) return;
    const std::string& key = vars_.RegistryRoots().installing;
    const CProgramInfo& info = vars_.ProgramInfo();
    const CInstallSettings& s = vars_.Settings();
    if (product_values) {
        CRegistry::SetValue(key.c_str(), "MFG", info.mfg.c_str());
        CRegistry::SetValue(key.c_str(), "MDL", info.mdl.c_str());
        CRegistry::SetValue(key.c_str(), "VIDPID", info.vidpid.c_str());
        CRegistry::SetValue(key.c_str(), "Printer_Port", s.port.c_str());
        CRegistry::SetValue(key.c_str(), "Program_Name", info.program_name.c_str());
    }
    const CLanguageInfo& lang = vars_.Language();
    CRegistry::SetValue(key.c_str(), "LangCode", static_cast<unsigned long>(lang.org_id));
    CRegistry::SetValue(key.c_str(), "LangAbbr", lang.current_abbr.c_str());
    CRegistry::SetValue(key.c_str(), "Dest_Dir", s.dest_dir.c_str());
    CRegistry::SetValue(key.c_str(), "Win_Dir", vars_.Dirs().windows_dir.c_str());
    CRegistry::SetValue(key.c_str(), "Temp_Dir", vars_.Dirs().temp_dir.c_str());
    CRegistry::SetValue(key.c_str(), "STR_FILE", vars_.Profiles().StringFile().c_str());
    unsigned long os_ver = 4;
    if (vars_.OsFamily() == kFamilyWin9x) os_ver = 1;
    else if (vars_.OsFamily() == kFamilyNt4) os_ver = 2;
    else if (vars_.Dirs().is64) os_ver = 5;
    CRegistry::SetValue(key.c_str(), "OS_Ver", os_ver);
}

void CInstallerApp::ApplyCommandLinePort()
{
    if (!vars_.PortOnCommandLine()) return;
    std::string port = vars_.Settings().port;
    if (port.empty()) return;
    if (std::isdigit(static_cast<unsigned char>(port[0]))) {
        // An IP address: its port is created by the network port module.
        network_.ReadInfo("NETWORK_PRINTER_INFO");
        port = "IP_" + port;
        log_.Write("Create network port [%s] fail", port.c_str());
    }
    log_.Write("Set Printer Port : %s", port.c_str());
    printers_.SetAllPort(port, vars_.Settings().network_printer);
}

bool CInstallerApp::RunPreinstaller(HWND owner)
{
    const CLanguageInfo& lang = vars_.Language();
    char command[6 * 260 + 64];
    snprintf(command, sizeof command, "/P %s /S %s /D %s /R %s /L %s /A %s", vars_.Profiles().DataFile().c_str(),
             vars_.SourceDir().c_str(), vars_.Settings().dest_dir.c_str(), vars_.RegistryRoots().installing_history.c_str(),
             lang.lang_dir.c_str(), lang.current_abbr.c_str());
    log_.Write("Call Pre-Installer : Command ==> %s", command);
    return libs_.Preinstall(owner, command) != -1;
}

void CInstallerApp::RunPreinstallerThreaded(HWND owner)
{
    std::atomic<bool> done{false};
    std::thread worker([this, owner, &done] {
        RunPreinstaller(owner);
        done = true;
    });
    // Keep the windows of this thread alive while the pre-installer works.
    while (!done) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    worker.join();
}

void CInstallerApp::StartCheckVista64()
{
    const OsVersionInfo& v = vars_.OsVersion();
    if (!vars_.Dirs().is64 || v.major <= 5) return;
    std::string path = withoutTrailingBackslash(vars_.SourceDir()) + "\\Data\\checkVista64.exe";
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::vector<char> cmd(path.begin(), path.end());
    cmd.push_back('\0');
    if (CreateProcessA(path.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        unique_handle process(pi.hProcess), thread(pi.hThread);
        log_.Write("Call [%s] Success", path.c_str());
    }
}

bool CInstallerApp::StartPnPThread(bool compress)
{
    if (isPnPSkipped(vars_.OsClass())) return true;
    if (!pnp_stop_) pnp_stop_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::atomic<uint32_t>& flag = compress ? compress_pnp_run_ : active_pnp_run_;
    std::thread& slot = compress ? compress_pnp_thread_ : active_pnp_thread_;
    if (slot.joinable()) return true;
    flag = 1;
    try {
        HANDLE stop = pnp_stop_.get();
        slot = std::thread([this, compress, stop, &flag] {
            while (flag.load()) {
                if (compress) libs_.RemoveHardwareWizardDialog();
                else libs_.MySetForegroundNHWdDialog();
                if (WaitForSingleObject(stop, 5000) == WAIT_OBJECT_0) break;
            }
        });
    } catch (const std::system_error& e) {
        log_.WriteError(static_cast<uint32_t>(e.code().value()),
                        compress ? "Create Compress PnP Thread error!!" : "Create Active PnP Thread error!!");
        return false;
    }
    return true;
}

void CInstallerApp::StopPnPThreads()
{
    compress_pnp_run_ = 0;
    active_pnp_run_ = 0;
    if (pnp_stop_) SetEvent(pnp_stop_.get());
    if (compress_pnp_thread_.joinable()) compress_pnp_thread_.join();
    if (active_pnp_thread_.joinable()) active_pnp_thread_.join();
}

int CInstallerApp::MessageLoop()
{
    MSG msg;
    for (;;) {
        while (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            OnIdle();
            WaitMessage();
        }
        int r = GetMessageA(&msg, nullptr, 0, 0);
        if (r == 0 || r == -1) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return exit_code_;
}

void CInstallerApp::OnIdle()
{
    if (!initialised_ || started_) return;
    log_.Write("Start installation");
    std::string warning;
    if (setup_type_ == kSetupInstall &&
        vars_.DataProfile().Read("SYSTEM_REQUIREMENT", "MSG_INSTALLED_DRIVER", warning)) {
        for (const std::string& driver : items_.PrinterDriverNames()) {
            if (IsPrinterDriverInstalled(driver.c_str(), false, log_)) {
                ShowMessageBox(OwnerWindow(), warning, vars_.ProgramInfo().program_name, MB_OK | MB_ICONWARNING);
                break;
            }
        }
    }
    log_.Write("PostMessage.... ");
    if (wizard_ && wizard_->Window()) PostMessageA(wizard_->Window(), WM_USER_START, 1, 0);
    started_ = true;
}

void CInstallerApp::ExitInstance()
{
    log_.Write("End of installation");
    wizard_.reset();
    mutex_.reset();
    if (vars_.Options().DeviceInstall()) StopPnPThreads();
}

int CInstallerApp::ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT style)
{
    if (vars_.Options().RightAlign()) style |= MB_RTLREADING;
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), style);
}

HWND CInstallerApp::OwnerWindow() const
{
    if (silent_) return nullptr;
    return wizard_ ? wizard_->Window() : nullptr;
}
