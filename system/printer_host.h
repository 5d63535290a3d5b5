#pragma once
// The printer-settings table's view of the installer: the variables for the OS family, the
// directories and the macros, the component gateway for the diagnosis. The application
// object owns one beside the table and hands it over with CMyPrinter::SetHost.
#include "config/installer_vars.h"
#include "system/component_libs.h"
#include "system/my_printer.h"

class CPrinterHost final : public IPrinterHost {
public:
    // copy_env: what the INF copy outside the NT 5 family registers through (its history).
    CPrinterHost(CInstallerVars& vars, CComponentLibs& libs, CopyFileEnv copy_env)
        : vars_(vars), libs_(libs), copy_env_(std::move(copy_env))
    {
    }

    int OsFamily() const override { return vars_.OsFamily(); }
    std::string ExpandMacros(const std::string& text) const override { return vars_.ExpandMacros(text); }
    std::string SourceDir() const override { return vars_.SourceDir(); }
    std::string DestDir() const override { return vars_.Settings().dest_dir; }
    std::string InfDir() const override { return vars_.Dirs().inf_dir; }
    CopyFileEnv CopyEnv() const override
    {
        // The family is known only once the variables are initialised.
        CopyFileEnv env = copy_env_;
        env.os_family = vars_.OsFamily();
        return env;
    }
    int DiagnosisEx(const std::string& printer) override
    {
        const CProgramInfo& program = vars_.ProgramInfo();
        return libs_.DiagnosisEx(program.mfg, printer, program.mdl, program.vidpid, 0);
    }

private:
    CInstallerVars& vars_;
    CComponentLibs& libs_;
    CopyFileEnv copy_env_;
};
