#pragma once
// File copy engine: the copy records of a run (loaded from the registry, copied one by one by
// the copy page or all at once by a silent install), and the copy, directory-creation and
// delete operations the commands, the uninstaller and the printer and network set-up use.
// A file in use is replaced at the next restart, a file that cannot be deleted is deleted
// then; on request every copied file and created directory goes into the install history.
//
// The static operations return a bool as the installer's callers expect; when one returns
// false, GetLastError() holds the code of the system call that failed (87 for a bad argument).
#include "config/log_sink.h"
#include "config/os_class.h"
#include "system/install_history_sink.h"

#include <string>
#include <vector>

class CAPIFunction;

// What the copy operations take from the installer. Every pointer may be null.
struct CopyFileEnv {
    ILogSink* log = nullptr;            // the run log: "Copy file Initial fail!!"
    ILogSink* trace = nullptr;          // the diagnostic channel: every other line
    const CAPIFunction* api = nullptr;  // MoveFileExA; null: unavailable (as on Windows 95)
    int os_family = kFamilyNt5;         // 10: replace at restart through the wininit.ini list
    IInstallHistory* history = nullptr; // null: nothing is registered
    std::string wininit_path;           // empty: "wininit.ini" (the Windows directory)
};

// One file to copy.
struct COPY_FILE_ENTRY {
    std::string source;
    std::string dest;
    std::string description;  // at most 259 bytes
    bool register_in_history = false;
};

class CCopyFile {
public:
    explicit CCopyFile(CopyFileEnv env);
    CCopyFile(const CCopyFile&) = delete;
    CCopyFile& operator=(const CCopyFile&) = delete;
    virtual ~CCopyFile() = default;

    // --- the record list ---------------------------------------------------------------

    // Replaces the list with the records under HKEY_LOCAL_MACHINE\key (one sub-key each:
    // Src, Dest, Description, CopySubDir, Delete). False when the key cannot be opened;
    // records whose source cannot be read are skipped.
    bool LoadRecords(const char* key);
    int GetCount() const { return static_cast<int>(entries_.size()); }
    // "" for an index outside the list.
    const char* GetDest(int index) const;
    const char* GetDescription(int index) const;
    // CopyOneFile of the entry; false for an index outside the list.
    bool CopyItem(int index);
    // DeleteOneFile of the entry's destination; false for an index outside the list.
    bool DeleteItem(int index);
    // LoadRecords, then every entry in order whatever each one gives. False (logged) only
    // when the records cannot be loaded.
    bool CopyAll(const char* key);
    // Removes what this run registered in the install history; false without a history.
    bool RollBack();

    const std::string& KeyPath() const { return key_; }
    const std::vector<COPY_FILE_ENTRY>& Entries() const { return entries_; }
    const CopyFileEnv& Env() const { return env_; }

    // --- static operations -------------------------------------------------------------

    // Copies, overwriting. True when copied now, scheduled to replace the destination at the
    // next restart, or when both paths name the same file. False on a bad argument, when the
    // destination directory cannot be created, or when neither copy nor schedule worked.
    static bool CopyOneFile(const CopyFileEnv& env, const char* source, const char* dest, bool register_flag);
    // Creates the destination chain (false when that fails), then copies the files of the
    // source (and with `recursive` its sub-directories); single failures do not stop it.
    static bool CopyDirectory(const CopyFileEnv& env, const char* source, const char* dest, bool recursive,
                              bool register_flag);
    // Creates every directory of the path after its first component. True when all exist
    // afterwards; a UNC path fails at its first step.
    static bool CreateDirectoryChain(const CopyFileEnv& env, const char* path, bool register_flag);
    // True when the file is deleted, absent, or scheduled for deletion at the next restart.
    // Spaces and double quotes around the path are ignored.
    static bool DeleteOneFile(const CopyFileEnv& env, const char* path);
    // Removes the directory (with `recursive`: its content first, then each parent left
    // empty, never a drive root). False only for an empty path.
    static bool DeleteDirectory(const CopyFileEnv& env, const char* path, bool recursive);

protected:
    static bool ReplaceOnReboot(const CopyFileEnv& env, const std::string& source, const std::string& dest);
    static bool DeleteOnReboot(const CopyFileEnv& env, const std::string& path);
    // A new empty file in the system temporary directory named after the first three
    // characters of the path's file name.
    static bool MakeTempFileName(const CopyFileEnv& env, const std::string& path, std::string& out);

private:
    void AddSource(const std::string& source, const std::string& dest, const std::string& description,
                   bool register_flag, bool sub_dirs);

    CopyFileEnv env_;
    std::string key_;
    std::vector<COPY_FILE_ENTRY> entries_;
};
