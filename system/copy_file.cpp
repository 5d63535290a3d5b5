#include "system/copy_file.h"

#include "platform/unique_handle.h"
#include "system/api_function.h"
#include "system/registry.h"
#include "system/system_utils.h"
#include "system/text_utils.h"
#include "system/trace.h"

#include <windows.h>

#include <cstring>

namespace {

constexpr size_t kDescriptionLimit = 259;  // 260-byte field

ILogSink& trace_of(const CopyFileEnv& env) { return env.trace ? *env.trace : NullTrace(); }

// Callers read the failing call's code with GetLastError(); a log line must not replace it.
bool fail(DWORD error)
{
    ::SetLastError(error);
    return false;
}

// Positions of the backslashes of a path, stepping over double-byte characters (whose second
// byte may be 0x5C in the system code page).
std::vector<size_t> backslashes(const std::string& path)
{
    std::vector<size_t> at;
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (::IsDBCSLeadByte(c) && i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (c == '\\') at.push_back(i);
    }
    return at;
}

size_t last_backslash(const std::string& path)
{
    std::vector<size_t> at = backslashes(path);
    return at.empty() ? std::string::npos : at.back();
}

bool ends_with_backslash(const std::string& path)
{
    return !path.empty() && last_backslash(path) == path.size() - 1;
}

std::string join(const std::string& dir, const std::string& name)
{
    return ends_with_backslash(dir) ? dir + name : dir + "\\" + name;
}

std::string read_text(const std::string& key, const char* name)
{
    char buffer[4096] = {};
    if (CRegistry::GetValue(key.c_str(), name, buffer, HKEY_LOCAL_MACHINE) != ERROR_SUCCESS) return std::string();
    return buffer;
}

unsigned long read_number(const std::string& key, const char* name)
{
    unsigned long number = 0;
    if (CRegistry::GetValue(key.c_str(), name, &number, HKEY_LOCAL_MACHINE) != ERROR_SUCCESS) return 0;
    return number;
}

// Clears what could make an installed file read-only, hidden or special. The archive bit a
// fresh copy carries is left alone: asking for nothing but that would cost a second open of
// every file copied, which is most of the time of a directory copy.
void make_normal(const char* path)
{
    constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    DWORD attributes = ::GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kSettable))
        ::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
}

bool is_dot_entry(const char* name) { return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0; }

bool move_file(const CopyFileEnv& env, const char* from, const char* to, DWORD flags)
{
    if (!env.api) {
        trace_of(env).Write("GetProcAddress (MoveFileEx) fail!!");
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return false;
    }
    return env.api->MoveFileExA(from, to, flags) != FALSE;
}

// A new empty file in `dir` named after the first three characters of `path`'s file name.
bool temp_name_in(const std::string& dir, const std::string& path, std::string& out)
{
    size_t slash = last_backslash(path);
    std::string name = (slash == std::string::npos || slash + 1 == path.size()) ? path : path.substr(slash + 1);
    std::string prefix = name.substr(0, 3);
    char buffer[MAX_PATH] = {};
    if (!::GetTempFileNameA(dir.c_str(), prefix.c_str(), 0, buffer)) return false;
    out = buffer;
    return true;
}

std::string short_or_long(const std::string& path, ILogSink& trace)
{
    char buffer[MAX_PATH] = {};
    DWORD n = ::GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        trace.WriteError(::GetLastError(), "Get Short Path Name fail!! [%s]", path.c_str());
        return path;
    }
    return buffer;
}

// Windows 9x: the system moves the new copy into place at the next start when the
// "rename" section of wininit.ini names it (destination=source, short names).
bool wininit_rename(const CopyFileEnv& env, const std::string& source, const std::string& dest)
{
    ILogSink& trace = trace_of(env);
    std::string temp;
    char temp_dir[MAX_PATH] = {};
    if (!::GetTempPathA(MAX_PATH, temp_dir) || !temp_name_in(temp_dir, source, temp)) {
        DWORD error = ::GetLastError();
        trace.WriteError(error, "Get Temp File Name fail!!");
        return fail(error);
    }
    auto drop_temp = scope_exit([&] {
        DWORD error = ::GetLastError();
        ::DeleteFileA(temp.c_str());
        ::SetLastError(error);
    });
    if (!::CopyFileA(source.c_str(), temp.c_str(), FALSE)) {
        DWORD error = ::GetLastError();
        trace.WriteError(error, "Copy %s to %s fail!!", source.c_str(), temp.c_str());
        return fail(error);
    }
    std::string short_temp = short_or_long(temp, trace);
    std::string short_dest = short_or_long(dest, trace);
    const char* list = env.wininit_path.empty() ? "wininit.ini" : env.wininit_path.c_str();
    if (!::WritePrivateProfileStringA("rename", short_dest.c_str(), short_temp.c_str(), list)) {
        DWORD error = ::GetLastError();
        trace.WriteError(error, "Write rename list (%s) fail!!", list);
        return fail(error);
    }
    drop_temp.release();
    trace.Write("[%s] will be replaced by [%s] after reboot!!", dest.c_str(), temp.c_str());
    return true;
}

// NT family, destination that cannot even be renamed (held open without delete sharing): the
// new copy waits beside it and the system renames it over the old one at the next start.
// Beside it, because a rename at start-up cannot cross volumes.
bool delayed_replace(const CopyFileEnv& env, const std::string& source, const std::string& dest)
{
    ILogSink& trace = trace_of(env);
    size_t slash = last_backslash(dest);
    std::string dir = slash == std::string::npos ? std::string(".") : dest.substr(0, slash + 1);
    std::string temp;
    if (!temp_name_in(dir, dest, temp)) {
        DWORD error = ::GetLastError();
        trace.WriteError(error, "Get Temp File Name fail!!");
        return fail(error);
    }
    auto drop_temp = scope_exit([&] {
        DWORD error = ::GetLastError();
        ::DeleteFileA(temp.c_str());
        ::SetLastError(error);
    });
    if (!::CopyFileA(source.c_str(), temp.c_str(), FALSE)) {
        DWORD error = ::GetLastError();
        trace.WriteError(error, "Copy %s to %s fail!!", source.c_str(), temp.c_str());
        return fail(error);
    }
    if (!move_file(env, temp.c_str(), dest.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING)) {
        DWORD error = ::GetLastError();
        trace.WriteError(error, "MoveFileEx (%s) -> (%s) fail!!", temp.c_str(), dest.c_str());
        return fail(error);
    }
    drop_temp.release();
    trace.Write("[%s] will be replaced by [%s] after reboot!!", dest.c_str(), temp.c_str());
    return true;
}

struct CopyWalk {
    const CopyFileEnv& env;
    bool recursive;
    bool register_flag;
    std::string top_dest;  // never walked into as a source: a copy into its own sub-directory

    void Walk(const std::string& source, const std::string& dest) const
    {
        ILogSink& trace = trace_of(env);
        WIN32_FIND_DATAA found;
        std::string pattern = join(source, "*.*");
        unique_findfile find(::FindFirstFileA(pattern.c_str(), &found));
        if (!find) {
            trace.WriteError(::GetLastError(), "FindFirstFile (%s) fail!!", pattern.c_str());
            return;
        }
        do {
            if (is_dot_entry(found.cFileName)) continue;
            std::string from = join(source, found.cFileName);
            std::string to = join(dest, found.cFileName);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (!recursive || EqualsNoCase(from, top_dest)) continue;
                if (!CCopyFile::CreateDirectoryChain(env, to.c_str(), register_flag)) {
                    trace.Write("Create (%s) directory fail!!", to.c_str());
                    continue;
                }
                Walk(from, to);
            } else {
                CCopyFile::CopyOneFile(env, from.c_str(), to.c_str(), register_flag);
            }
        } while (::FindNextFileA(find.get(), &found));
    }
};

// Deletes what the directory holds; sub-directories are emptied and removed on the way.
void delete_contents(const CopyFileEnv& env, const std::string& dir)
{
    ILogSink& trace = trace_of(env);
    WIN32_FIND_DATAA found;
    std::string pattern = join(dir, "*.*");
    unique_findfile find(::FindFirstFileA(pattern.c_str(), &found));
    if (!find) return;
    do {
        const char* name = found.cFileName;
        if (name[0] == '.' && std::strlen(name) <= 2) continue;
        std::string path = join(dir, name);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (::RemoveDirectoryA(path.c_str())) continue;
            // A junction is removed, never followed: its target is not ours.
            if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
            delete_contents(env, path);
            if (!::RemoveDirectoryA(path.c_str()))
                trace.WriteError(::GetLastError(), "Delete Directory fail (%s) \n", path.c_str());
        } else if (!CCopyFile::DeleteOneFile(env, path.c_str())) {
            trace.Write("Delete File Fail (%s) \n", path.c_str());
        }
    } while (::FindNextFileA(find.get(), &found));
}

}  // namespace

CCopyFile::CCopyFile(CopyFileEnv env) : env_(std::move(env)) {}

// --- the record list -------------------------------------------------------------------

bool CCopyFile::LoadRecords(const char* key)
{
    ILogSink& trace = trace_of(env_);
    entries_.clear();
    if (!key || !*key) return false;
    unique_hkey root;
    LONG rc = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, root.put());
    if (rc != ERROR_SUCCESS) {
        trace.WriteError(rc, "RegOpenKeyEx (%s) fail!!", key);
        return fail(rc);
    }
    key_ = key;

    DWORD count = 0;
    rc = ::RegQueryInfoKeyA(root.get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) trace.WriteError(rc, "RegQueryInfoKey (%s) fail!!", key);
    for (DWORD i = 0; i < count; ++i) {
        char name[MAX_PATH] = {};
        DWORD length = MAX_PATH;
        if (::RegEnumKeyExA(root.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        std::string record = key_ + "\\" + name;
        std::string source = read_text(record, "Src");
        std::string dest = read_text(record, "Dest");
        std::string description = CutText(read_text(record, "Description"), kDescriptionLimit);
        bool sub_dirs = read_number(record, "CopySubDir") != 0;
        bool register_flag = read_number(record, "Delete") != 0;

        DWORD attributes = ::GetFileAttributesA(source.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            DWORD error = ::GetLastError();
            if (error == ERROR_FILE_NOT_FOUND)
                trace.WriteError(error, "Source not found (%s)", source.c_str());
            else
                trace.WriteError(error, "Get file attribut fail (%s)", source.c_str());
            continue;
        }
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            AddSource(source, dest, description, register_flag, sub_dirs);
        else
            entries_.push_back({source, dest, description, register_flag});
    }
    return true;
}

void CCopyFile::AddSource(const std::string& source, const std::string& dest, const std::string& description,
                          bool register_flag, bool sub_dirs)
{
    WIN32_FIND_DATAA found;
    std::string pattern = join(source, "*.*");
    unique_findfile find(::FindFirstFileA(pattern.c_str(), &found));
    if (!find) {
        trace_of(env_).WriteError(::GetLastError(), "FindFirstFile (%s) fail!!", pattern.c_str());
        return;
    }
    do {
        if (is_dot_entry(found.cFileName)) continue;
        std::string from = join(source, found.cFileName);
        std::string to = join(dest, found.cFileName);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (sub_dirs) AddSource(from, to, description, register_flag, sub_dirs);
        } else {
            entries_.push_back({from, to, description, register_flag});
        }
    } while (::FindNextFileA(find.get(), &found));
}

const char* CCopyFile::GetDest(int index) const
{
    return index >= 0 && index < GetCount() ? entries_[index].dest.c_str() : "";
}

const char* CCopyFile::GetDescription(int index) const
{
    return index >= 0 && index < GetCount() ? entries_[index].description.c_str() : "";
}

bool CCopyFile::CopyItem(int index)
{
    if (index < 0 || index >= GetCount()) return false;
    const COPY_FILE_ENTRY& e = entries_[index];
    return CopyOneFile(env_, e.source.c_str(), e.dest.c_str(), e.register_in_history);
}

bool CCopyFile::DeleteItem(int index)
{
    if (index < 0 || index >= GetCount()) return false;
    return DeleteOneFile(env_, entries_[index].dest.c_str());
}

bool CCopyFile::CopyAll(const char* key)
{
    if (!LoadRecords(key)) {
        if (env_.log) env_.log->Write("Copy file Initial fail!!");
        return false;
    }
    for (int i = 0; i < GetCount(); ++i) CopyItem(i);
    return true;
}

bool CCopyFile::RollBack()
{
    return env_.history ? env_.history->RemoveRunHistory() : false;
}

// --- static operations -----------------------------------------------------------------

bool CCopyFile::CopyOneFile(const CopyFileEnv& env, const char* source, const char* dest, bool register_flag)
{
    ILogSink& trace = trace_of(env);
    if (!source || !dest || !*source || !*dest) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (EqualsNoCase(source, dest)) {
        trace.Write("Src and Dest file are identical so it was not copied!!!");
        return true;
    }
    if (!::CopyFileA(source, dest, FALSE)) {
        DWORD error = ::GetLastError();
        trace.WriteError(error, "Copy %s to %s fail!!", source, dest);
        if (error == ERROR_ACCESS_DENIED) {
            ::SetFileAttributesA(dest, FILE_ATTRIBUTE_NORMAL);
        } else if (error == ERROR_PATH_NOT_FOUND) {
            std::string path = dest;
            size_t slash = last_backslash(path);
            std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash);
            if (!CreateDirectoryChain(env, dir.c_str(), register_flag)) {
                DWORD chain_error = ::GetLastError();
                trace.Write("Create (%s) directory fail!!", dir.c_str());
                return fail(chain_error);
            }
        }
        if (!::CopyFileA(source, dest, FALSE)) {
            trace.WriteError(::GetLastError(), "Copy %s to %s fail!!", source, dest);
            if (!ReplaceOnReboot(env, source, dest)) return false;
        }
    }
    if (register_flag && env.history) env.history->AddFile(dest);
    make_normal(dest);
    return true;
}

bool CCopyFile::ReplaceOnReboot(const CopyFileEnv& env, const std::string& source, const std::string& dest)
{
    ILogSink& trace = trace_of(env);
    // Rename-aside: the old file moves out of the way (deleted at restart), the new one is
    // copied into the freed name at once.
    std::string temp;
    if (env.api && MakeTempFileName(env, dest, temp)) {
        if (move_file(env, dest.c_str(), temp.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            if (::CopyFileA(source.c_str(), dest.c_str(), FALSE)) {
                if (!move_file(env, temp.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
                    trace.WriteError(::GetLastError(), "MoveFileEx (%s) fail!!", temp.c_str());
                return true;
            }
            trace.WriteError(::GetLastError(), "Copy %s to %s fail!!", source.c_str(), dest.c_str());
            if (!move_file(env, temp.c_str(), dest.c_str(), MOVEFILE_REPLACE_EXISTING))
                trace.WriteError(::GetLastError(), "MoveFileEx (%s) -> (%s) fail!!", temp.c_str(), dest.c_str());
        } else {
            trace.WriteError(::GetLastError(), "MoveFileEx (%s) -> (%s) fail!!", dest.c_str(), temp.c_str());
            ::DeleteFileA(temp.c_str());
        }
    }
    if (env.os_family == kFamilyWin9x) return wininit_rename(env, source, dest);
    return delayed_replace(env, source, dest);
}

bool CCopyFile::MakeTempFileName(const CopyFileEnv& env, const std::string& path, std::string& out)
{
    char dir[MAX_PATH] = {};
    if (!::GetTempPathA(MAX_PATH, dir) || !temp_name_in(dir, path, out)) {
        DWORD error = ::GetLastError();
        trace_of(env).WriteError(error, "Get Temp File Name fail!!");
        return fail(error);
    }
    return true;
}

bool CCopyFile::CreateDirectoryChain(const CopyFileEnv& env, const char* path, bool register_flag)
{
    ILogSink& trace = trace_of(env);
    if (!path || !*path) {
        trace.Write("Create directory fail [%s]\n", path ? path : "");
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    std::string text = path;
    if (!ends_with_backslash(text)) text += '\\';
    std::vector<size_t> at = backslashes(text);
    // The first component (a drive) is never created.
    for (size_t i = 1; i < at.size(); ++i) {
        std::string dir = text.substr(0, at[i] + 1);
        if (::CreateDirectoryA(dir.c_str(), nullptr)) {
            if (register_flag && env.history) env.history->AddDirectory(dir.substr(0, dir.size() - 1));
            continue;
        }
        DWORD error = ::GetLastError();
        if (error == ERROR_ALREADY_EXISTS) continue;
        trace.WriteError(error, "Create directory fail (%s)\n", dir.c_str());
        return fail(error);
    }
    return true;
}

bool CCopyFile::CopyDirectory(const CopyFileEnv& env, const char* source, const char* dest, bool recursive,
                              bool register_flag)
{
    if (!source || !dest || !*source || !*dest) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (!CreateDirectoryChain(env, dest, register_flag)) {
        DWORD error = ::GetLastError();
        trace_of(env).Write("Create (%s) directory fail!!", dest);
        return fail(error);
    }
    std::string top = dest;
    if (ends_with_backslash(top)) top.pop_back();
    CopyWalk{env, recursive, register_flag, top}.Walk(source, dest);
    return true;
}

bool CCopyFile::DeleteOneFile(const CopyFileEnv& env, const char* path)
{
    ILogSink& trace = trace_of(env);
    std::string file = path ? TrimChars(path, " \"") : std::string();
    if (file.empty()) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    DWORD attributes = ::GetFileAttributesA(file.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        // Not a file: moving a directory aside for a delete at restart would strand it.
        trace.Write("Delete %s fail!!", file.c_str());
        return fail(ERROR_ACCESS_DENIED);
    }
    ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (::DeleteFileA(file.c_str())) return true;
    DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    if (DeleteOnReboot(env, file)) return true;
    trace.Write("Delete %s fail!!", file.c_str());
    TraceSystemError(error, "DeleteFile", trace);
    return fail(error);
}

bool CCopyFile::DeleteOnReboot(const CopyFileEnv& env, const std::string& path)
{
    ILogSink& trace = trace_of(env);
    if (!env.api) {
        trace.Write("GetProcAddress (MoveFileEx) fail!!");
        return fail(ERROR_PROC_NOT_FOUND);
    }
    std::string temp;
    if (MakeTempFileName(env, path, temp)) {
        if (move_file(env, path.c_str(), temp.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            if (move_file(env, temp.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
                trace.Write("[%s] , [%s]  file will be deleted after reboot!!", path.c_str(), temp.c_str());
                return true;
            }
            // Not scheduled: the file must not be stranded under a temporary name.
            DWORD error = ::GetLastError();
            trace.WriteError(error, "MoveFileEx (%s) fail!!", temp.c_str());
            if (::DeleteFileA(temp.c_str())) return true;
            move_file(env, temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
            return fail(error);
        }
        trace.WriteError(::GetLastError(), "MoveFileEx (%s) -> (%s) fail!!", path.c_str(), temp.c_str());
        ::DeleteFileA(temp.c_str());
    } else {
        trace.Write("Get temp file name fail!!  So [%s] file could not be deleted!!", path.c_str());
    }
    // A file held open without delete sharing cannot be renamed, but the system can still
    // remove it at the next start.
    if (move_file(env, path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
        trace.Write("[%s] file will be deleted after reboot!!", path.c_str());
        return true;
    }
    DWORD error = ::GetLastError();
    trace.WriteError(error, "MoveFileEx (%s) fail!!", path.c_str());
    return fail(error);
}

bool CCopyFile::DeleteDirectory(const CopyFileEnv& env, const char* path, bool recursive)
{
    ILogSink& trace = trace_of(env);
    if (!path || !*path) return false;
    std::string dir = path;
    if (ends_with_backslash(dir)) dir.pop_back();
    if (dir.empty()) return true;

    if (recursive) {
        DWORD attributes = ::GetFileAttributesA(dir.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            delete_contents(env, dir);
    }
    if (!::RemoveDirectoryA(dir.c_str())) {
        trace.WriteError(::GetLastError(), "Delete Directory fail (%s) \n", dir.c_str());
        return true;
    }
    trace.Write("Delete Directory (%s) \n", dir.c_str());
    if (!recursive) return true;
    // Parents left empty go too; a drive root ("C:") never.
    std::string parent = dir;
    for (;;) {
        size_t slash = last_backslash(parent);
        if (slash == std::string::npos) break;
        parent.resize(slash);
        if (parent.size() < 4) break;
        ::RemoveDirectoryA(parent.c_str());
    }
    return true;
}
