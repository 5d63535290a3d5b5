#include "system/text_utils.h"

#include <cstring>
#include <vector>

namespace {

bool isLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

// atoi without its undefined overflow: clamps to the 32-bit range.
int32_t decimalValue(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 0x80000000LL) value = 0x80000000LL;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) value = INT32_MAX;
    return int32_t(value);
}

// Pieces of `list` between delimiters; consecutive delimiters form no piece.
std::vector<std::string> pieces(const std::string& list, const std::string& delimiters)
{
    std::vector<std::string> out;
    size_t i = 0;
    while (i < list.size()) {
        size_t start = list.find_first_not_of(delimiters, i);
        if (start == std::string::npos) break;
        size_t end = list.find_first_of(delimiters, start);
        if (end == std::string::npos) end = list.size();
        out.push_back(list.substr(start, end - start));
        i = end;
    }
    return out;
}

}  // namespace

bool BytesToHex(const unsigned char* bytes, size_t count, char* out)
{
    if (!bytes || !count || !out) return false;
    std::string hex = BytesToHex(bytes, count);
    std::memcpy(out, hex.c_str(), hex.size() + 1);
    return true;
}

std::string BytesToHex(const unsigned char* bytes, size_t count)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    if (!bytes) return out;
    out.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 0x0F];
    }
    return out;
}

uint32_t HexTextToNumber(const std::string& text)
{
    uint32_t value = 0;
    size_t n = text.size() < 8 ? text.size() : 8;
    for (size_t k = 0; k < n; ++k) value |= uint32_t(hexDigit(text[text.size() - 1 - k])) << (4 * k);
    return value;
}

uint32_t TextToNumber(const std::string& text)
{
    std::string upper = ToUpperText(text);
    size_t at = upper.find("0X");
    if (at == std::string::npos) return uint32_t(decimalValue(text));
    std::string rest = text;
    rest.erase(at, 2);
    return HexTextToNumber(rest);
}

bool IsInList(const char* list, const char* item, const char* delimiters)
{
    if (!list || !*list || !item || !*item || !delimiters || !*delimiters) return false;
    for (const std::string& piece : pieces(list, delimiters))
        if (EqualsNoCase(TrimChars(piece, " \t"), item)) return true;
    return false;
}

bool GetToken(const char* list, const char* delimiters, int index, char* out, size_t size)
{
    if (!list || !delimiters || !out || !size) return false;
    std::string piece;
    if (!GetToken(std::string(list), std::string(delimiters), index, piece)) return false;
    size_t n = piece.size() < size - 1 ? piece.size() : size - 1;
    std::memcpy(out, piece.data(), n);
    out[n] = '\0';
    return true;
}

bool GetToken(const std::string& list, const std::string& delimiters, int index, std::string& out)
{
    if (index < 0) return false;
    std::vector<std::string> all = pieces(list, delimiters);
    if (size_t(index) >= all.size()) return false;
    out = all[size_t(index)];
    return true;
}

std::string TrimChars(const std::string& text, const char* chars)
{
    size_t start = text.find_first_not_of(chars);
    if (start == std::string::npos) return std::string();
    size_t end = text.find_last_not_of(chars);
    return text.substr(start, end - start + 1);
}

bool EqualsNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (isLeadByte((unsigned char)a[i]) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
}

std::string ToUpperText(const std::string& text)
{
    std::string out = text;
    for (size_t i = 0; i < out.size(); ++i) {
        if (isLeadByte((unsigned char)out[i])) {
            ++i;
            continue;
        }
        if (out[i] >= 'a' && out[i] <= 'z') out[i] = char(out[i] - 'a' + 'A');
    }
    return out;
}
