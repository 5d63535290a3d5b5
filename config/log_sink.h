#pragma once
// Where every subsystem writes its step lines. CLog (config/log.h) is the real sink; tests
// use a recording one. Win32-free so that logic modules can log in the native build too.
#include <cstdarg>
#include <cstdint>

#if defined(__GNUC__)
#define QV_PRINTF(fmt_index, first_arg) __attribute__((format(printf, fmt_index, first_arg)))
#else
#define QV_PRINTF(fmt_index, first_arg)
#endif

class ILogSink {
public:
    virtual ~ILogSink() = default;

    // One time-stamped line.
    void Write(const char* fmt, ...) QV_PRINTF(2, 3)
    {
        va_list ap;
        va_start(ap, fmt);
        WriteV(0, fmt, ap);
        va_end(ap);
    }

    // One line, and when code is not 0 a second "Error Code = %d :%s " line with the
    // system's text for the code.
    void WriteError(uint32_t code, const char* fmt, ...) QV_PRINTF(3, 4)
    {
        va_list ap;
        va_start(ap, fmt);
        WriteV(code, fmt, ap);
        va_end(ap);
    }

protected:
    virtual void WriteV(uint32_t code, const char* fmt, va_list ap) = 0;
};

// Writes nothing: for code paths that run before a log exists, and for tests that do not look.
class CNullLog final : public ILogSink {
protected:
    void WriteV(uint32_t, const char*, va_list) override {}
};
