// The variables' real machine under Wine: ports, registry, directories, the reported Windows
// version as a new process sees it, and a whole start-up from a scratch disc.
#include "config/installer_vars.h"
#include "platform/unique_handle.h"
#include "platform/vars_platform_win.h"
#include "system/registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string OwnDir()
{
    char path[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\'));
}

std::string HelperPath() { return OwnDir() + "\\vars_helper.exe"; }

struct RunResult {
    DWORD exit_code = 0xFFFFFFFF;
    std::string out;
    bool Has(const std::string& line) const { return out.find(line + "\n") != std::string::npos; }
};

// Runs a command line and collects what it writes to stdout.
RunResult RunProgram(const std::string& command_line)
{
    RunResult result;
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    unique_handle read_end, write_end;
    if (!::CreatePipe(read_end.put(), write_end.put(), &sa, 0)) return result;
    ::SetHandleInformation(read_end.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = write_end.get();
    si.hStdError = write_end.get();
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::vector<char> cmd(command_line.begin(), command_line.end());
    cmd.push_back('\0');
    if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return result;
    unique_handle process(pi.hProcess), thread(pi.hThread);
    write_end.reset();  // so that the read ends when the child does
    char buf[4096];
    DWORD got = 0;
    while (::ReadFile(read_end.get(), buf, sizeof buf, &got, nullptr) && got > 0) result.out.append(buf, got);
    ::WaitForSingleObject(process.get(), 30000);
    ::GetExitCodeProcess(process.get(), &result.exit_code);
    // The C runtime writes "\r\n" to a pipe in text mode.
    result.out.erase(std::remove(result.out.begin(), result.out.end(), '\r'), result.out.end());
    return result;
}

bool Contains(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

TEST(VarsPlatformWin, PortsOfTheSpooler)
{
    CVarsPlatformWin platform;
    const std::vector<std::string> ports = platform.PortNames();
    EXPECT_TRUE(Contains(ports, "LPT1:"));
    EXPECT_TRUE(Contains(ports, "FILE:"));
}

TEST(VarsPlatformWin, RegistryRoundTrip)
{
    CVarsPlatformWin platform;
    const std::string key = "Software\\QvVarsTest\\" + std::to_string(::GetCurrentProcessId());
    for (RegRoot root : {RegRoot::CurrentUser, RegRoot::LocalMachine}) {
        HKEY hroot = root == RegRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        auto cleanup = scope_exit([&] { CRegistry::DeleteKey(key.c_str(), false, hroot); });
        std::string text;
        uint32_t number = 0;
        EXPECT_FALSE(platform.RegGetString(root, key, "Dest_Dir", text));
        ASSERT_TRUE(platform.RegSetString(root, key, "Dest_Dir", "C:\\Program Files\\Velmora"));
        ASSERT_TRUE(platform.RegSetDword(root, key, "LangCode", 0x040A));
        ASSERT_TRUE(platform.RegGetString(root, key, "Dest_Dir", text));
        EXPECT_EQ(text, "C:\\Program Files\\Velmora");
        ASSERT_TRUE(platform.RegGetDword(root, key, "LangCode", number));
        EXPECT_EQ(number, 0x040Au);
        // A value of the other type is not read.
        EXPECT_FALSE(platform.RegGetString(root, key, "LangCode", text));
        EXPECT_FALSE(platform.RegGetDword(root, key, "Dest_Dir", number));
    }
}

TEST(VarsPlatformWin, DirectoriesAndVersion)
{
    CVarsPlatformWin platform;
    const std::string windows = platform.WindowsDirectory();
    EXPECT_FALSE(windows.empty());
    EXPECT_EQ(platform.SystemDirectory().compare(0, windows.size(), windows), 0);
    const std::string temp = platform.TempPath();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
    EXPECT_TRUE(platform.VersionInfo().Readable());
    EXPECT_NE(platform.SystemDefaultLangId(), 0);
    EXPECT_TRUE(platform.FileExists(HelperPath()));
    EXPECT_FALSE(platform.FileExists(OwnDir() + "\\no such file.dat"));
    EXPECT_FALSE(platform.FileExists(OwnDir()));  // a directory is no file

    // A chain of new directories, and their removal up to the first one that is not empty.
    const std::string root = temp + "qv_vars_dirs_" + std::to_string(::GetCurrentProcessId());
    ASSERT_TRUE(platform.CreateDirectoryChain(root + "\\a\\b\\c\\"));
    EXPECT_TRUE(fs::is_directory(root + "\\a\\b\\c"));
    std::ofstream(root + "\\a\\keep.txt") << "x";
    platform.RemoveEmptyDirectories(root + "\\a\\b\\c");
    EXPECT_FALSE(fs::exists(root + "\\a\\b"));
    EXPECT_TRUE(fs::exists(root + "\\a\\keep.txt"));
    std::error_code ec;
    fs::remove_all(root, ec);
}

// Wine reads the version it reports from HKCU\Software\Wine\AppDefaults\<program>\Version
// (before the global value) when a process starts: only the helper is affected.
class ReportedVersion : public ::testing::Test {
protected:
    const std::string key = "Software\\Wine\\AppDefaults\\vars_helper.exe";
    void TearDown() override { ::RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str()); }
    void Set(const char* version)
    {
        ASSERT_EQ(CRegistry::SetValue(key.c_str(), "Version", version, HKEY_CURRENT_USER), 0u);
    }
};

TEST_F(ReportedVersion, DownwardSearchFindsVistaOnWindows7)
{
    CVarsPlatformWin platform;
    const bool is64 = platform.IsWow64();
    const std::string data = std::string(QV_SOURCE_DIR) + "\\tests\\data\\vars\\os_define.dat";
    const std::string command = "\"" + HelperPath() + "\" os-define \"" + data + "\"";
    const std::string vista = is64 ? "VISTA64" : "VISTA";
    const std::string suffix = is64 ? ".64" : "";

    Set("winxp");
    RunResult xp = RunProgram(command);
    EXPECT_TRUE(xp.Has("VERSION=5.1")) << xp.out;
    EXPECT_TRUE(xp.Has("DEFINE=WINXP")) << xp.out;
    EXPECT_EQ(xp.out.find("LOG:"), std::string::npos) << xp.out;  // found without the search

    Set("vista");
    RunResult v = RunProgram(command);
    EXPECT_TRUE(v.Has("VERSION=6.0")) << v.out;
    EXPECT_TRUE(v.Has("DEFINE=" + vista)) << v.out;

    // Wine's default is Windows 7 SP1 as a workstation; "win7" set explicitly reports a server
    // product type under Wine 8. Both must reach Vista's definition.
    for (const char* seven : {"", "win7"}) {
        if (*seven)
            Set(seven);
        else
            ::RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
        RunResult r = RunProgram(command);
        EXPECT_EQ(r.exit_code, 0u) << r.out;
        EXPECT_TRUE(r.Has("VERSION=6.1")) << r.out;
        EXPECT_TRUE(r.Has(std::string("IS64=") + (is64 ? "1" : "0"))) << r.out;
        const std::string type_tries = r.Has("PRODUCT=1") ? ".PRO" : r.Has("PRODUCT=2") ? ".DOM" : ".SER";
        auto tries = [&](const std::string& q) {
            std::string lines;
            if (type_tries == ".DOM") lines += "LOG:Find Define ==> (" + q + ".DOM)|0\n";
            lines += "LOG:Find Define ==> (" + q + (type_tries == ".PRO" ? ".PRO" : ".SER") + ")|0\n";
            return lines + "LOG:Find Define ==> (" + q + ")|0\n";
        };
        const std::string expected = "LOG:OS Define not found, so installer finds Lastest Version OS Define|0\n"
                                     "LOG:OS Major Version [0x0006] , minor version [0x0001], 64bit [" +
                                     std::string(is64 ? "1" : "0") + "]|0\n" + tries("0X00020601" + suffix) +
                                     tries("0X00020600" + suffix) + "LOG:OS String was found ==> [" + vista +
                                     "]|0\n";
        EXPECT_NE(r.out.find(expected), std::string::npos) << "[" << seven << "]\n" << r.out;
        EXPECT_TRUE(r.Has("DEFINE=" + vista)) << r.out;
    }
}

// The helper copied onto a scratch disc as its installer: real paths, files and registry.
TEST(VarsPlatformWin, StartUpFromAScratchDisc)
{
    CVarsPlatformWin platform;
    const std::string disc = platform.TempPath() + "qv_vars_disc_" + std::to_string(::GetCurrentProcessId());
    auto cleanup = scope_exit([&] {
        std::error_code ec;
        fs::remove_all(disc, ec);
        CRegistry::DeleteKey("Software\\QvVarsWine", false, HKEY_LOCAL_MACHINE);
    });
    ASSERT_TRUE(platform.CreateDirectoryChain(disc + "\\data\\String"));
    ASSERT_TRUE(::CopyFileA(HelperPath().c_str(), (disc + "\\Setup.exe").c_str(), FALSE));
    std::ofstream(disc + "\\Setup.dat") << "[PROGRAM_INFO]\nMFG = QvVarsWine\nMDL = LX-200\nVIDPID = VID_1F3A\n"
                                           "PROGRAM_NAME = LX\nDESTINATION_DIR = $SRC_DIR$\\dest\\\n"
                                           "[OS_DEFINE]\n0X00020601 = WIN7\n0X00020601.64 = WIN7\n";
    std::ofstream(disc + "\\data\\qvinst.qvi") << "[DLG_COMMON]\n";
    std::ofstream(disc + "\\data\\qvinst.cmd") << "[X]\n";
    std::ofstream(disc + "\\data\\String\\Lang_EN.str") << "[MESSAGES]\n";

    RunResult r = RunProgram("\"" + disc + "\\Setup.exe\" init");
    EXPECT_EQ(r.exit_code, 0u) << r.out;
    EXPECT_TRUE(r.Has("RESULT=1")) << r.out;
    EXPECT_TRUE(r.Has("DEST=" + disc + "\\dest")) << r.out;
    EXPECT_TRUE(r.Has("PORT=LPT1:")) << r.out;
    EXPECT_TRUE(r.Has("OS=WIN7")) << r.out;  // Wine's default: Windows 7
    EXPECT_TRUE(r.Has("LOG:Set Language : String file\t\t= Lang_EN.str|0")) << r.out;
    EXPECT_TRUE(r.Has("LOG: Source Directroy = " + disc + "\n|0")) << r.out;
    EXPECT_TRUE(fs::is_directory(disc + "\\dest"));

    std::string abbr;
    ASSERT_TRUE(platform.RegGetString(RegRoot::LocalMachine, "Software\\QvVarsWine\\LX\\Installing", "LangAbbr", abbr));
    EXPECT_EQ(abbr, "EN");
}

}  // namespace
