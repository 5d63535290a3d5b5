// File access of the reader through the Win32 file and private-profile functions.
#include "config/profile_io.h"

#include "platform/unique_handle.h"

#include <algorithm>

namespace {

// BOOL + GetLastError: a failure never comes back as 0.
uint32_t last_error()
{
    DWORD err = ::GetLastError();
    return err ? err : ERROR_GEN_FAILURE;
}

}  // namespace

uint32_t ReadWholeFile(const char* path, std::string& contents)
{
    contents.clear();
    if (!path || !*path) return ERROR_INVALID_PARAMETER;
    unique_hfile file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return last_error();
    DWORD high = 0;
    DWORD size = ::GetFileSize(file.get(), &high);
    if (size == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) return last_error();
    if (high != 0) return ERROR_FILE_TOO_LARGE;
    std::string data(size, '\0');
    DWORD done = 0;
    while (done < size) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), &data[done], size - done, &got, nullptr)) return last_error();
        if (got == 0) break;  // the file became shorter meanwhile
        done += got;
    }
    data.resize(done);
    contents.swap(data);
    return NO_ERROR;
}

uint32_t WriteProfileValue(const char* path, const char* section, const char* key, const char* value)
{
    if (!path || !*path || !section || !*section) return ERROR_INVALID_PARAMETER;
    // A relative name would make the private-profile functions write into the Windows
    // directory; the reader opened it relative to the current directory.
    DWORD need = ::GetFullPathNameA(path, 0, nullptr, nullptr);
    if (need == 0) return last_error();
    std::string full(need, '\0');
    DWORD got = ::GetFullPathNameA(path, need, &full[0], nullptr);
    if (got == 0 || got >= need) return last_error();
    full.resize(got);

    if (!key || !*key) {
        static const char kNoKeys[2] = {0, 0};  // an empty double-NUL list
        if (!::WritePrivateProfileSectionA(section, kNoKeys, full.c_str())) return last_error();
        return NO_ERROR;
    }
    if (!::WritePrivateProfileStringA(section, key, value ? value : "", full.c_str())) return last_error();
    return NO_ERROR;
}

uint32_t WriteToFileHandle(void* file, const std::string& bytes)
{
    if (!file || file == INVALID_HANDLE_VALUE) return ERROR_INVALID_PARAMETER;
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        if (!::WriteFile(static_cast<HANDLE>(file), bytes.data() + done, chunk, &wrote, nullptr)) return last_error();
        if (wrote == 0) return ERROR_WRITE_FAULT;
        done += wrote;
    }
    return NO_ERROR;
}
