#pragma once
// The single application object: owns every long-lived service, runs start-up (interactive
// or silent), the message loop, and shutdown.
#include "app/command_line.h"
#include "app/wizard.h"
#include "config/installer_vars.h"
#include "config/log.h"
#include "install/item.h"
#include "network/network_printer.h"
#include "platform/unique_handle.h"
#include "platform/vars_platform_win.h"
#include "system/api_function.h"
#include "system/component_libs.h"
#include "system/my_printer.h"
#include "system/printer_host.h"
#include "system/system_utils.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

// Exit codes of the program (scripts of silent installs rely on them).
enum ExitCode : int {
    kExitSuccess = 0,      // the procedure succeeded
    kExitFailed = 1,       // the procedure failed
    kExitStartupEnded = 2, // start-up ended the program
};

// The variables' view of the component-library gateway.
class CComponentLibsHost final : public IComponentLibsHost {
public:
    explicit CComponentLibsHost(CComponentLibs& libs) : libs_(libs) {}
    bool Load(const ComponentLibRequest& request, ILogSink& log) override;
    int GetDevicePort(const std::string& mfg, const std::string& mdl, const std::string& vidpid,
                      std::vector<std::string>& ports) override;

private:
    CComponentLibs& libs_;
};

class CInstallerApp {
public:
    CInstallerApp();
    ~CInstallerApp();
    CInstallerApp(const CInstallerApp&) = delete;
    CInstallerApp& operator=(const CInstallerApp&) = delete;

    // Start-up, message loop, shutdown; returns the process exit code.
    int Run(const std::string& command_line);

    // A configured text in a message box: program name as caption, right-to-left reading
    // when RIGHT_ALIGN is on.
    int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT style);
    // The wizard when its window exists; none in silent mode.
    HWND OwnerWindow() const;

    // Start section choice (also used by tests and later commands).
    int ChooseStartSection(int requested);

    // "Port on the command line" for the silent procedures.
    void ApplyCommandLinePort();

    // The install-state values under the Installing key.
    void WriteInstallState(bool product_values);

    bool Silent() const { return silent_; }
    int SetupType() const { return setup_type_; }
    const std::string& StartSection() const { return start_section_; }

    CInstallerVars& Vars() { return vars_; }
    CComponentLibs& Libs() { return libs_; }
    CItem& Items() { return items_; }
    CMyPrinter& Printers() { return printers_; }
    CLog& Log() { return log_; }
    CAPIFunction& Api() { return api_; }

private:
    enum class Startup { Continue, End, Silent };

    Startup InitInstance(const std::string& command_line);
    int RunSilent();
    bool InitializeRun();
    int MessageLoop();
    void OnIdle();
    void ExitInstance();

    bool RunPreinstaller(HWND owner);
    void RunPreinstallerThreaded(HWND owner);
    void StartCheckVista64();
    bool StartPnPThread(bool compress);
    void StopPnPThreads();

    // Not a service: the machine as the variables see it.
    CVarsPlatformWin platform_;

    // Services, in construction order; destroyed in reverse. The variables and the gateway
    // are handed the log before it is constructed and use it only afterwards.
    CInstallerVars vars_;
    CComponentLibs libs_;
    CComponentLibsHost libs_host_;
    DeviceQueriesOf<CComponentLibs> device_queries_;
    CItem items_;
    CNetworkPrinter network_;
    CPrinterHost printer_host_;
    CMyPrinter printers_;
    CLog log_;
    CAPIFunction api_;

    std::unique_ptr<CWizard> wizard_;
    bool silent_ = false;
    bool initialised_ = false;
    bool started_ = false;
    int setup_type_ = 1;
    std::string start_section_;
    CommandLineOptions options_;
    unique_handle mutex_;
    int exit_code_ = kExitSuccess;

    // Plug-and-play helper threads: each loops while its flag is set; the stop event ends
    // the 5-second sleep at once so that shutdown never waits on it or outlives a library.
    std::atomic<uint32_t> compress_pnp_run_{1};
    std::atomic<uint32_t> active_pnp_run_{1};
    unique_handle pnp_stop_;
    std::thread compress_pnp_thread_;
    std::thread active_pnp_thread_;
};
