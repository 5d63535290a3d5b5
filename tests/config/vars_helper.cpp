// A small program for the Wine tests of the variables: the tests change what Windows version
// Wine reports to it, or start it as the installer of a scratch disc.
//   vars_helper os-define DATA_FILE   prints "VERSION=", "PRODUCT=", "IS64=", each log line as "LOG:"
//                                     and "DEFINE="
//   vars_helper init                  runs the variables' start-up next to itself; prints "LOG:" lines
//                                     and "RESULT=", "DEST=", "PORT=", "OS=", "ABBR="
#include "config/installer_vars.h"
#include "config/os_define.h"
#include "config/setup_profile.h"
#include "platform/vars_platform_win.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

class StdoutLog final : public ILogSink {
protected:
    void WriteV(uint32_t code, const char* fmt, va_list ap) override
    {
        char buf[4096];
        vsnprintf(buf, sizeof buf, fmt, ap);
        std::printf("LOG:%s|%u\n", buf, unsigned(code));
    }
};

int OsDefine(const char* data_file)
{
    CVarsPlatformWin platform;
    OsVersionInfo version = platform.VersionInfo();
    version.is64 = platform.IsWow64();
    CSetupProfile data;
    data.Open(data_file, data_file, "", false);
    StdoutLog log;
    std::string define;
    const OsDefineLookup lookup = [&](const std::string& key, std::string& value) {
        return data.Read("OS_DEFINE", key, value);
    };
    bool ok = DetectOsDefine(version, lookup, log, define);
    std::printf("VERSION=%u.%u\nPRODUCT=%u%s\nIS64=%d\nDEFINE=%s\n", unsigned(version.major),
                unsigned(version.minor), unsigned(version.product_type), version.ok_ex ? "" : " (unknown)",
                version.is64 ? 1 : 0, define.c_str());
    return ok ? 0 : 1;
}

int Init()
{
    CVarsPlatformWin platform;
    StdoutLog log;
    CInstallerVars vars(platform, log);
    bool ok = vars.Initialize();
    std::printf("RESULT=%d\nDEST=%s\nPORT=%s\nOS=%s\nABBR=%s\n", ok ? 1 : 0, vars.Settings().dest_dir.c_str(),
                vars.Settings().port.c_str(), vars.Settings().os_define.c_str(), vars.Language().current_abbr.c_str());
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "os-define") == 0) return OsDefine(argv[2]);
    if (argc >= 2 && std::strcmp(argv[1], "init") == 0) return Init();
    std::fprintf(stderr, "usage: vars_helper os-define DATA_FILE | init\n");
    return 2;
}
