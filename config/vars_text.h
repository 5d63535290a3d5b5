#pragma once
// Small text rules shared by the variables, profiles, options and OS modules. Section names,
// keys, ports and paths compare ignoring ASCII case, as the system's ANSI compare does for them.
#include <cstddef>
#include <string>

namespace vars_text {

inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

inline std::string ToUpper(std::string s)
{
    for (char& c : s) c = UpperAscii(c);
    return s;
}

inline bool EqualsNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    return true;
}

inline std::string TrimBlanks(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return std::string();
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

// Replaces every occurrence, scanning on after each replacement so that a replacement that
// contains the pattern cannot loop.
inline void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    if (from.empty()) return;
    size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
}

// A value handed back in a buffer of `buffer_len` bytes (NUL included) is cut to fit.
inline void CutToBuffer(std::string& text, size_t buffer_len)
{
    if (buffer_len == 0) text.clear();
    else if (text.size() >= buffer_len) text.resize(buffer_len - 1);
}

inline std::string WithoutTrailingBackslash(std::string s)
{
    if (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

// The product's format texts take one "%s"; configured formats are data, never a printf
// format, so only the first "%s" is filled and "%%" becomes "%".
inline std::string FormatOneString(const std::string& format, const std::string& value)
{
    std::string out;
    bool filled = false;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            if (format[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (format[i + 1] == 's' && !filled) {
                out += value;
                filled = true;
                ++i;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}

}  // namespace vars_text
