#include "config/log.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

// The product's line and message buffers are 4096 bytes: longer text is cut to 4095.
constexpr size_t kLineLimit = 4095;

std::string FormatLimited(const char* fmt, va_list ap)
{
    std::vector<char> buf(kLineLimit + 1, '\0');
    // One byte short so that the terminator survives a printf that does not write one when
    // it truncates.
    vsnprintf(buf.data(), kLineLimit, fmt, ap);
    buf[kLineLimit] = '\0';
    return std::string(buf.data());
}

std::string Cut(std::string s)
{
    if (s.size() > kLineLimit) s.resize(kLineLimit);
    return s;
}

// "%A, %B %d, %Y" with English names whatever the user's locale.
std::string FormatDate(const SYSTEMTIME& t)
{
    static const char* const days[] = {"Sunday", "Monday", "Tuesday", "Wednesday",
                                       "Thursday", "Friday", "Saturday"};
    static const char* const months[] = {"January", "February", "March", "April",
                                         "May", "June", "July", "August",
                                         "September", "October", "November", "December"};
    const char* day = t.wDayOfWeek < 7 ? days[t.wDayOfWeek] : "";
    const char* month = t.wMonth >= 1 && t.wMonth <= 12 ? months[t.wMonth - 1] : "";
    char buf[64];
    snprintf(buf, sizeof buf, "%s, %s %02u, %04u", day, month, unsigned(t.wDay), unsigned(t.wYear));
    return buf;
}

std::string TimeStamp()
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    char buf[16];
    snprintf(buf, sizeof buf, "[%02u.%02u.%02u]", unsigned(t.wHour), unsigned(t.wMinute),
             unsigned(t.wSecond));
    return buf;
}

std::string SystemText(DWORD code)
{
    char* text = nullptr;
    const DWORD n = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0,
        nullptr);
    std::string s = (n && text) ? std::string(text, n) : std::string();
    if (text) LocalFree(text);
    return s;
}

}  // namespace

CLog::CLog(const std::string& program_name, const std::string& directory,
           const std::string& program_path)
{
    if (Create(directory, program_path)) WriteHeader(program_name);
}

CLog::~CLog()
{
    if (file_) CloseHandle(static_cast<HANDLE>(file_));
}

bool CLog::Create(const std::string& directory, const std::string& program_path)
{
    std::string program = program_path;
    if (program.empty()) {
        char buf[MAX_PATH] = {};
        const DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return false;
        program = buf;
    }
    const size_t slash = program.find_last_of('\\');
    const std::string name = slash == std::string::npos ? program : program.substr(slash + 1);

    std::string dir = directory;
    if (dir.empty()) {
        char buf[MAX_PATH] = {};
        const DWORD n = GetTempPathA(MAX_PATH, buf);
        if (n == 0 || n >= MAX_PATH) return false;
        dir = buf;
    }
    if (dir.back() != '\\' && dir.back() != '/') dir += '\\';

    // x.exe.log, then x.exe0.log, x.exe1.log ...: an older log is never overwritten.
    for (int i = -1; i < 0x7fffffff; ++i) {
        const std::string path =
            i < 0 ? dir + name + ".log" : dir + name + std::to_string(i) + ".log";
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                               nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            file_ = h;
            path_ = path;
            return true;
        }
        const DWORD err = GetLastError();
        if (err != ERROR_ALREADY_EXISTS && err != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

void CLog::WriteHeader(const std::string& program_name)
{
    const std::string slashes(60, '/');
    const std::string blank = "//" + std::string(56, ' ') + "//";
    char name_line[512];
    snprintf(name_line, sizeof name_line, "// %-55s//", program_name.c_str());
    SYSTEMTIME t;
    GetLocalTime(&t);

    std::string h;
    for (const std::string& line :
         {slashes, blank, std::string(name_line), blank, slashes, std::string(),
          "Data : " + FormatDate(t), std::string(), std::string()})
        h += line + "\r\n";
    WriteRaw(h);
}

void CLog::WriteRaw(const std::string& bytes)
{
    DWORD written = 0;
    // Write errors are ignored: the log never stops the installer.
    WriteFile(static_cast<HANDLE>(file_), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
              nullptr);
}

void CLog::WriteV(uint32_t code, const char* fmt, va_list ap)
{
    if (!file_) return;
    // Formatted before the busy flag is taken: a fault in the caller's arguments, caught by a
    // fault guard around the caller, must not leave the flag set for the rest of the run.
    const std::string message = FormatLimited(fmt ? fmt : "", ap);
    std::string error_line;
    if (code != 0)
        error_line = Cut("Error Code = " + std::to_string(static_cast<int>(code)) + " :" +
                         SystemText(code) + " ");

    if (busy_.test_and_set(std::memory_order_acquire)) return;  // another line is being written
    SetEndOfFile(static_cast<HANDLE>(file_));
    // Each line goes out in one write with its CR LF.
    WriteRaw(Cut(TimeStamp() + "  " + message) + "\r\n");
    if (code != 0) WriteRaw(Cut(TimeStamp() + "  " + error_line) + "\r\n");

    busy_.clear(std::memory_order_release);
}
