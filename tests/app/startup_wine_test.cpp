// Start-up of the real program under Wine: log files, their header, the single instance.
// Each test runs a private copy of the demo disc whose program (and so its data file, its
// log names and its mutex) carries a name of its own, so tests never share a log or mutex.
#include "app/messages.h"

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include "tests/support/file_text.h"

#include <atomic>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

std::string tempDir()
{
    char buf[MAX_PATH];
    GetTempPathA(sizeof buf, buf);
    return buf;  // ends with a backslash
}

void copyTree(const std::string& from, const std::string& to)
{
    CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((from + "\\*").c_str(), &fd);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << from;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) copyTree(from + "\\" + name, to + "\\" + name);
        else CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

void removeTree(const std::string& dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            std::string p = dir + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) removeTree(p);
            else DeleteFileA(p.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
}

// A private disc: program "<name>.exe", data file "<name>.dat", program name "<name> Product".
class ScratchDisc {
public:
    explicit ScratchDisc(const std::string& name) : name_(name)
    {
        dir_ = tempDir() + "qvdisc_" + name;
        removeTree(dir_);
        copyTree(std::string(QV_BINARY_DIR) + "\\disc", dir_);
        MoveFileA((dir_ + "\\Setup.exe").c_str(), (dir_ + "\\" + name + ".exe").c_str());
        std::string dat = read_file(dir_ + "\\Setup.dat");
        DeleteFileA((dir_ + "\\Setup.dat").c_str());
        size_t p = dat.find("PROGRAM_NAME = ");
        size_t e = dat.find("\r\n", p);
        dat.replace(p, e - p, "PROGRAM_NAME = " + ProgramName());
        write_file(dir_ + "\\" + name + ".dat", dat);
        RemoveLogs();
    }
    ~ScratchDisc()
    {
        RemoveLogs();
        removeTree(dir_);
    }

    std::string InstallingKey() const { return "Software\\Velmora\\" + ProgramName() + "\\Installing"; }
    void RemoveProductKeys() const { SHDeleteKeyA(HKEY_LOCAL_MACHINE, ("Software\\Velmora\\" + ProgramName()).c_str()); }
    std::string ProgramName() const { return name_ + " Product"; }
    std::string MutexName() const { return ProgramName() + " Installer Program"; }
    std::string LogPath(int n) const
    {
        return tempDir() + name_ + ".exe" + (n < 0 ? std::string() : std::to_string(n)) + ".log";
    }
    void RemoveLogs() const
    {
        for (int n = -1; n < 5; ++n) DeleteFileA(LogPath(n).c_str());
    }

    // Runs the program and waits; returns its exit code.
    DWORD Run(const std::string& args) const
    {
        std::string exe = dir_ + "\\" + name_ + ".exe";
        std::string cmd = "\"" + exe + "\" " + args;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir_.c_str(), &si, &pi))
            return 0xFFFFFFFF;
        WaitForSingleObject(pi.hProcess, 60000);
        DWORD code = 0xFFFFFFFF;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return code;
    }

private:
    std::string name_;
    std::string dir_;
};

std::string expectedHeader(const std::string& program_name)
{
    char line[80];
    snprintf(line, sizeof line, "// %-55s//\r\n", program_name.c_str());
    return "////////////////////////////////////////////////////////////\r\n"
           "//                                                        //\r\n" +
           std::string(line) +
           "//                                                        //\r\n"
           "////////////////////////////////////////////////////////////\r\n"
           "\r\n"
           "Data : ";
}

std::atomic<int>* g_activations;

LRESULT CALLBACK firstInstanceProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_USER_ACTIVATE) ++*g_activations;
    return DefWindowProcA(h, m, w, l);
}

}  // namespace

TEST(Startup, EachRunLeavesItsOwnLogWithHeaderAndParameters)
{
    ScratchDisc disc("QvStartLog");
    EXPECT_EQ(disc.Run("/S"), 0u);
    EXPECT_EQ(disc.Run("/S /L9"), 0u);
    std::string first = read_file(disc.LogPath(-1));
    std::string second = read_file(disc.LogPath(0));
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    // The header carries the default name: the log exists before the data file is read.
    const std::string header = expectedHeader("Velmora Printer Installer Program");
    EXPECT_EQ(first.compare(0, header.size(), header), 0) << first.substr(0, 400);
    EXPECT_EQ(second.compare(0, header.size(), header), 0);
    EXPECT_NE(first.find("]  Parameter : /S\r\n"), std::string::npos);
    EXPECT_NE(second.find("]  Parameter : /S /L9\r\n"), std::string::npos);
    EXPECT_NE(first.find("]  End of installation\r\n"), std::string::npos);
    EXPECT_EQ(GetFileAttributesA(disc.LogPath(1).c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Startup, SecondInstanceWithoutWindowEnds)
{
    ScratchDisc disc("QvStartMutex");
    HANDLE mutex = CreateMutexA(nullptr, TRUE, disc.MutexName().c_str());
    ASSERT_NE(mutex, nullptr);
    EXPECT_EQ(disc.Run("/S"), 2u);
    CloseHandle(mutex);
    std::string log = read_file(disc.LogPath(-1));
    EXPECT_NE(log.find("]  There is a previous running instance of this application, so it is terminated.\r\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("Parameter : "), std::string::npos);  // it ended before the command line
}

TEST(Startup, SecondInstanceActivatesTheFirstAndEnds)
{
    ScratchDisc disc("QvStartWindow");
    const std::string cls = disc.MutexName();
    std::atomic<int> activations{0};
    std::atomic<HWND> window{nullptr};
    std::atomic<DWORD> thread_id{0};

    // The "first instance": the mutex and a window of the wizard's class, on a thread that
    // pumps so the second instance's SendMessage is answered.
    HANDLE mutex = CreateMutexA(nullptr, TRUE, cls.c_str());
    std::thread first([&] {
        g_activations = &activations;
        WNDCLASSA wc = {};
        wc.lpfnWndProc = firstInstanceProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = cls.c_str();
        RegisterClassA(&wc);
        window = CreateWindowA(cls.c_str(), "first", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
        thread_id = GetCurrentThreadId();
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        DestroyWindow(window);
    });
    while (!thread_id) Sleep(10);

    EXPECT_EQ(disc.Run(""), 2u);
    PostThreadMessageA(thread_id, WM_QUIT, 0, 0);
    first.join();
    CloseHandle(mutex);

    std::string log = read_file(disc.LogPath(-1));
    EXPECT_NE(log.find("]  The installer is already running\r\n"), std::string::npos) << log;
    EXPECT_GE(activations.load(), 1);
    EXPECT_NE(log.find("]  End of installation\r\n"), std::string::npos);
}

namespace {

std::string regString(const std::string& key, const char* name)
{
    char buf[1024] = {};
    DWORD size = sizeof buf - 1, type = 0;
    HKEY k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return "<no key>";
    LONG r = RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(k);
    return r == ERROR_SUCCESS && type == REG_SZ ? std::string(buf) : "<none>";
}

DWORD regDword(const std::string& key, const char* name)
{
    DWORD v = 0xFFFFFFFF, size = sizeof v;
    HKEY k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return v;
    RegQueryValueExA(k, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size);
    RegCloseKey(k);
    return v;
}

}  // namespace

// The language asked for on the command line picks the string file and the option variant,
// and is recorded under the Installing key; an unsupported one runs in English.
TEST(Startup, LanguageFromCommandLine)
{
    struct Case {
        const char* arg;
        DWORD lang_code;
        const char* abbr;
        const char* string_file;
        bool right_align;
    };
    const Case cases[] = {
        {"/L0x0412", 0x0412, "KR", "Lang_KR.str", false},
        {"/L1037", 0x040D, "HB", "Lang_HB.str", true},
        {"/L0x0419", 9, "EN", "Lang_EN.str", false},  // Russian: not shipped
    };
    // Wine reports Windows 7, which the demo does not define: Vista's definition is found by
    // the downward search, its ".64" one on a 64-bit system.
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    const std::string os_line = wow64 ? "OS Define String = VISTA64\r\n" : "OS Define String = VISTA\r\n";
    const std::string os_dir = wow64 ? "OS Directory = VISTA_64\r\n" : "OS Directory = VISTA\r\n";
    for (const Case& c : cases) {
        ScratchDisc disc("QvStartLang");
        disc.RemoveProductKeys();
        EXPECT_EQ(disc.Run(std::string("/S ") + c.arg), 0u) << c.arg;
        std::string log = read_file(disc.LogPath(-1));
        EXPECT_NE(log.find(std::string("Set Language : Language Abbr\t\t= ") + c.abbr + "\r\n"), std::string::npos)
            << c.arg << "\n" << log;
        EXPECT_NE(log.find(std::string("Set Language : String file\t\t= ") + c.string_file), std::string::npos) << c.arg;
        EXPECT_NE(log.find(os_line), std::string::npos) << log;
        EXPECT_NE(log.find(os_dir), std::string::npos);
        const std::string last_align = log.substr(log.rfind("RIGHT ALIGN Option is"), 24);
        EXPECT_EQ(last_align, c.right_align ? "RIGHT ALIGN Option is ON" : "RIGHT ALIGN Option is OF") << c.arg;
        EXPECT_EQ(regDword(disc.InstallingKey(), "LangCode"), c.lang_code) << c.arg;
        EXPECT_EQ(regString(disc.InstallingKey(), "LangAbbr"), c.abbr) << c.arg;
        const std::string str_file = regString(disc.InstallingKey(), "STR_FILE");
        EXPECT_NE(str_file.find(c.string_file), std::string::npos) << str_file;
        disc.RemoveProductKeys();
    }
}
