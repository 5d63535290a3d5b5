#pragma once
// The run's log file in the temporary directory: a header, then one time-stamped line per
// call. Never overwrites an older log; a log that cannot be created is silently skipped.
#include "config/log_sink.h"

#include <atomic>
#include <string>

class CLog : public ILogSink {
public:
    static constexpr const char* kDefaultProgramName = "Velmora Printer Installer Program";

    // program_name: the name in the header. directory: where the file goes (default: the
    // temporary directory). program_path: the file the log is named after (default: the
    // running program). The overrides are for tests.
    explicit CLog(const std::string& program_name = kDefaultProgramName,
                  const std::string& directory = std::string(),
                  const std::string& program_path = std::string());
    ~CLog() override;
    CLog(const CLog&) = delete;
    CLog& operator=(const CLog&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    // Full path of the open log file; empty when none is open.
    const std::string& Path() const { return path_; }

protected:
    void WriteV(uint32_t code, const char* fmt, va_list ap) override;

private:
    bool Create(const std::string& directory, const std::string& program_path);
    void WriteHeader(const std::string& program_name);
    void WriteRaw(const std::string& bytes);

    void* file_ = nullptr;  // HANDLE; kept out of the header so it stays Win32-free
    std::string path_;
    // Set while a line is being written: a line arriving meanwhile is dropped, never mixed in.
    std::atomic_flag busy_ = ATOMIC_FLAG_INIT;
};
