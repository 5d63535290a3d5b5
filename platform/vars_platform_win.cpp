#include "platform/vars_platform_win.h"

#include "platform/unique_handle.h"
#include "system/copy_file.h"
#include "system/registry.h"
#include "system/system_utils.h"

#include <vector>

namespace {

HKEY RootKey(RegRoot root) { return root == RegRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

// Calls a "fill this buffer of n bytes, return the length" API, growing the buffer once when
// the first one was too small.
template <typename Fill>
std::string BufferText(Fill fill)
{
    std::vector<char> buffer(MAX_PATH + 1, '\0');
    DWORD n = fill(buffer.data(), DWORD(buffer.size()));
    if (n >= buffer.size()) {
        buffer.assign(n + 1, '\0');
        n = fill(buffer.data(), DWORD(buffer.size()));
        if (n >= buffer.size()) return std::string();
    }
    return std::string(buffer.data(), n);
}

}  // namespace

std::string CVarsPlatformWin::ProgramPath()
{
    // GetModuleFileNameA returns the buffer size (cut) rather than the needed size.
    std::vector<char> buffer(MAX_PATH, '\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), DWORD(buffer.size()));
        if (n == 0) return std::string();
        if (n < buffer.size()) return std::string(buffer.data(), n);
        buffer.assign(buffer.size() * 2, '\0');
    }
}

bool CVarsPlatformWin::SetCurrentDir(const std::string& dir) { return ::SetCurrentDirectoryA(dir.c_str()) != FALSE; }

std::string CVarsPlatformWin::WindowsDirectory()
{
    return BufferText([](char* b, DWORD n) { return ::GetWindowsDirectoryA(b, n); });
}

std::string CVarsPlatformWin::SystemDirectory()
{
    return BufferText([](char* b, DWORD n) { return ::GetSystemDirectoryA(b, n); });
}

std::string CVarsPlatformWin::TempPath()
{
    return BufferText([](char* b, DWORD n) { return ::GetTempPathA(n, b); });
}

OsVersionInfo CVarsPlatformWin::VersionInfo()
{
    OsVersionInfo version;
    ReadOsVersion(version);  // on failure: neither ok flag, error set
    return version;
}

bool CVarsPlatformWin::IsWow64()
{
    // Bound at run time: Windows before XP SP2 has no IsWow64Process.
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    HMODULE kernel32 = ::GetModuleHandleA("Kernel32.dll");
    if (!kernel32) return false;
    auto fn = reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void*>(::GetProcAddress(kernel32, "IsWow64Process")));
    BOOL wow64 = FALSE;
    return fn && fn(::GetCurrentProcess(), &wow64) && wow64;
}

uint16_t CVarsPlatformWin::SystemDefaultLangId() { return ::GetSystemDefaultLangID(); }

bool CVarsPlatformWin::RegGetString(RegRoot root, const std::string& key, const std::string& name, std::string& value)
{
    std::vector<char> buffer(4097, '\0');
    if (CRegistry::GetValue(key.c_str(), name.c_str(), buffer.data(), RootKey(root), DWORD(buffer.size())) !=
        ERROR_SUCCESS)
        return false;
    value = buffer.data();
    return true;
}

bool CVarsPlatformWin::RegGetDword(RegRoot root, const std::string& key, const std::string& name, uint32_t& value)
{
    unsigned long number = 0;
    if (CRegistry::GetValue(key.c_str(), name.c_str(), &number, RootKey(root)) != ERROR_SUCCESS) return false;
    value = uint32_t(number);
    return true;
}

bool CVarsPlatformWin::RegSetString(RegRoot root, const std::string& key, const std::string& name,
                                    const std::string& value)
{
    return CRegistry::SetValue(key.c_str(), name.c_str(), value.c_str(), RootKey(root)) == ERROR_SUCCESS;
}

bool CVarsPlatformWin::RegSetDword(RegRoot root, const std::string& key, const std::string& name, uint32_t value)
{
    return CRegistry::SetValue(key.c_str(), name.c_str(), static_cast<unsigned long>(value), RootKey(root)) ==
           ERROR_SUCCESS;
}

std::vector<std::string> EnumPortNames()
{
    std::vector<std::string> names;
    DWORD needed = 0, returned = 0;
    if (::EnumPortsA(nullptr, 2, nullptr, 0, &needed, &returned) || needed == 0) return names;
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return names;
    unique_hglobal block(::GlobalAlloc(GPTR, needed));
    if (!block) return names;
    BYTE* buffer = static_cast<BYTE*>(static_cast<void*>(block.get()));  // GPTR: fixed memory, the handle is the address
    if (!::EnumPortsA(nullptr, 2, buffer, needed, &needed, &returned)) return names;
    const auto* ports = reinterpret_cast<const PORT_INFO_2A*>(buffer);
    for (DWORD i = 0; i < returned; ++i)
        if (ports[i].pPortName) names.emplace_back(ports[i].pPortName);
    return names;
}

std::vector<std::string> CVarsPlatformWin::PortNames() { return EnumPortNames(); }

bool CVarsPlatformWin::FileExists(const std::string& path) { return ::FileExists(path.c_str()); }

std::string CVarsPlatformWin::PrivateProfileString(const std::string& section, const std::string& key,
                                                   const std::string& default_value, const std::string& file)
{
    std::vector<char> buffer(16384, '\0');
    DWORD n = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), default_value.c_str(), buffer.data(),
                                         DWORD(buffer.size()), file.c_str());
    return std::string(buffer.data(), n);
}

bool CVarsPlatformWin::CreateDirectoryChain(const std::string& dir)
{
    // The copy engine's chain: every component after the drive, nothing registered.
    return CCopyFile::CreateDirectoryChain(CopyFileEnv(), dir.c_str(), false);
}

void CVarsPlatformWin::RemoveEmptyDirectories(const std::string& dir) { RemoveDirectoryTree(dir.c_str()); }

uintptr_t CVarsPlatformWin::BeginWaitCursor()
{
    return reinterpret_cast<uintptr_t>(::SetCursor(::LoadCursor(nullptr, IDC_WAIT)));
}

void CVarsPlatformWin::EndWaitCursor(uintptr_t previous) { ::SetCursor(reinterpret_cast<HCURSOR>(previous)); }
