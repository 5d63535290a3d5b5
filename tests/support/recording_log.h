#pragma once
// A log sink that keeps every line, for tests that check the product's log texts.
#include "config/log_sink.h"

#include <cstdio>
#include <string>
#include <vector>

class CRecordingLog final : public ILogSink {
public:
    struct Line {
        uint32_t code;
        std::string text;
    };
    std::vector<Line> lines;

    bool Contains(const std::string& text) const
    {
        for (const auto& l : lines)
            if (l.text == text) return true;
        return false;
    }
    bool ContainsPart(const std::string& part) const
    {
        for (const auto& l : lines)
            if (l.text.find(part) != std::string::npos) return true;
        return false;
    }
    std::string All() const
    {
        std::string s;
        for (const auto& l : lines) s += l.text + "\n";
        return s;
    }

protected:
    void WriteV(uint32_t code, const char* fmt, va_list ap) override
    {
        char buf[4096];
        vsnprintf(buf, sizeof buf, fmt, ap);
        lines.push_back({code, buf});
    }
};
