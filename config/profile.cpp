// Reader of sectioned text files. Everything here works on text in memory; the file system is
// reached only through config/profile_io.h.
#include "config/profile.h"

#include "config/profile_io.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// The expansion's work buffer of the callers: configuration values are 16 KiB.
constexpr size_t kExpandLimit = 16384;
// A chain of %NAME% substitutions longer than this is a definition that refers to itself.
constexpr int kMaxSubstitutions = 1024;
// GetDword and GetControl read raw values into a 32 KiB buffer.
constexpr size_t kRawValueBuffer = 32768;

bool is_lead_byte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

unsigned char ascii_lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim_blanks(std::string_view s)
{
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

// Section names lose blanks, quotes and brackets at their ends: `[ "Main" ]` is Main. Names
// longer than the field are cut, so a long header and a lookup with the same long name agree.
std::string section_name(const char* text)
{
    std::string_view s = text ? text : "";
    while (!s.empty() && (is_blank(s.front()) || s.front() == '"' || s.front() == '[')) s.remove_prefix(1);
    while (!s.empty() && (is_blank(s.back()) || s.back() == '"' || s.back() == ']')) s.remove_suffix(1);
    return std::string(s.substr(0, kSectionNameMax));
}

// Keys are cut to their field the same way, at load and at lookup.
std::string_view key_field(std::string_view key) { return key.substr(0, kKeyMax); }

void split_line(std::string_view text, std::string& key, std::string& value)
{
    size_t eq = text.find('=');
    std::string_view k = trim_blanks(text.substr(0, eq));
    std::string_view v = eq == std::string_view::npos ? std::string_view() : trim_blanks(text.substr(eq + 1));
    key.assign(key_field(k));
    value.assign(v.substr(0, kValueMax));
}

bool is_line_break(char c) { return c == '\r' || c == '\n'; }

// Comment removal and line-break folding in one pass. The quote state runs over the whole text,
// not per line: an unbalanced quote keeps the markers of the following lines as plain text.
std::string remove_comments(const std::string& src)
{
    std::string out;
    out.reserve(src.size() + 2);
    auto line_break = [&out] {
        if (!out.empty() && out.back() != '\n') out += "\r\n";
    };
    bool quoted = false;
    size_t i = 0;
    const size_t n = src.size();
    while (i < n) {
        char c = src[i];
        if (is_line_break(c)) {
            while (i < n && is_line_break(src[i])) ++i;
            line_break();
            continue;
        }
        if (!quoted && c == '/' && i + 1 < n && src[i + 1] == '/') {
            while (i < n && !is_line_break(src[i])) ++i;
            while (i < n && is_line_break(src[i])) ++i;
            line_break();  // only when the line had text before the comment
            continue;
        }
        if (!quoted && c == '/' && i + 1 < n && src[i + 1] == '*') {
            size_t close = src.find("*/", i + 2);
            if (close == std::string::npos) break;  // an open block comment drops the rest
            i = close + 2;
            continue;
        }
        if (c == '"') quoted = !quoted;
        out += c;
        ++i;
    }
    return out;
}

// Replaces every occurrence of `from`; false (text unchanged) when the result would reach
// `limit` bytes, so that a growing expansion never builds more than the caller can hold.
bool replace_all(std::string& text, const std::string& from, const std::string& to, size_t limit)
{
    std::string out;
    size_t pos = 0;
    for (size_t hit; (hit = text.find(from, pos)) != std::string::npos; pos = hit + from.size()) {
        out.append(text, pos, hit - pos);
        out += to;
        if (out.size() >= limit) return false;
    }
    out.append(text, pos, std::string::npos);
    if (out.size() >= limit) return false;
    text.swap(out);
    return true;
}

// The classic CRT atoi: leading white space, a sign, digits up to the first other character.
// No overflow check: it wraps at 32 bits, so "4294967295" reads as 0xFFFFFFFF.
uint32_t crt_atoi(const std::string& s)
{
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    uint32_t total = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) total = total * 10 + uint32_t(s[i] - '0');
    return negative ? 0u - total : total;
}

// The fields of a control value: split at commas, empty fields skipped, fields untrimmed.
std::vector<std::string> comma_fields(const std::string& raw)
{
    std::vector<std::string> fields;
    size_t pos = 0;
    while (pos <= raw.size()) {
        size_t comma = raw.find(',', pos);
        if (comma == std::string::npos) comma = raw.size();
        if (comma > pos) fields.push_back(raw.substr(pos, comma - pos));
        pos = comma + 1;
    }
    return fields;
}

// A missing first field counts as 0; a missing later one fails.
bool control_numbers(const std::string& raw, size_t count, uint32_t* out)
{
    std::vector<std::string> fields = comma_fields(raw);
    for (size_t i = 0; i < count; ++i) {
        if (i < fields.size())
            out[i] = StringToDword(fields[i]);
        else if (i == 0)
            out[i] = 0;
        else
            return false;
    }
    return true;
}

void free_lines(SECTION_LIST* section)
{
    for (LINE_LIST* line = section->first_line; line;) {
        LINE_LIST* next = line->next;
        delete line;
        line = next;
    }
    section->first_line = section->last_line = nullptr;
}

// Lines are split at CR LF or a lone LF. After folding there is no lone CR left.
void parse_lines(const std::string& text, CSectionList& list)
{
    SECTION_LIST* current = nullptr;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        size_t content_end = (end > pos && text[end - 1] == '\r') ? end - 1 : end;
        if (content_end - pos > kLineMax) return;  // a too-long line ends the reading
        std::string_view line = trim_blanks(std::string_view(text).substr(pos, content_end - pos));
        pos = end + 1;
        if (line.empty()) continue;
        std::string owned(line);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            // A repeated header returns the existing section; an empty name (`[]`) gives no
            // section, and its lines are dropped like lines before the first header.
            current = list.AddSection(owned.c_str());
            continue;
        }
        if (current) list.AddLine(current, owned.c_str());
    }
}

}  // namespace

bool ProfileNameEquals(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (is_lead_byte(ca)) {
            // A double-byte character compares exactly; its trail byte may look like a letter.
            if (ca != cb) return false;
            if (++i < a.size() && a[i] != b[i]) return false;
            continue;
        }
        if (ascii_lower(ca) != ascii_lower(cb)) return false;
    }
    return true;
}

uint32_t StringToDword(const std::string& text)
{
    std::string s = text;
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    if (s.find("0X") == std::string::npos) return crt_atoi(s);

    std::string digits;
    for (size_t pos = 0;;) {
        size_t hit = s.find("0X", pos);
        digits.append(s, pos, hit == std::string::npos ? std::string::npos : hit - pos);
        if (hit == std::string::npos) break;
        pos = hit + 2;
    }
    // From the last character backwards; only the last eight count. A character that is not a
    // hexadecimal digit counts as 0, as atoi of it alone gives.
    uint32_t result = 0;
    size_t i = digits.size();
    for (int k = 0; k < 8 && i > 0; ++k) {
        char c = digits[--i];
        uint32_t d = (c >= 'A' && c <= 'F') ? uint32_t(c - 'A' + 10) : (c >= '0' && c <= '9') ? uint32_t(c - '0') : 0;
        result |= d << (4 * k);
    }
    return result;
}

void ParseProfileText(const std::string& text, CSectionList& list)
{
    // The file is handled as one C string: a NUL byte ends it.
    std::string src = text.substr(0, text.find('\0'));
    src += "\r\n";
    parse_lines(remove_comments(src), list);
}

// ---------------------------------------------------------------------------------------------
// CSectionList

CSectionList::~CSectionList() { Delete(); }

SECTION_LIST* CSectionList::AddSection(const char* name, const char* after)
{
    std::string trimmed = section_name(name);
    if (trimmed.empty()) return nullptr;
    if (SECTION_LIST* existing = FindSection(trimmed.c_str())) return existing;

    SECTION_LIST* pos = (after && *after) ? FindSection(after) : nullptr;
    if (!pos) pos = last_;
    auto* section = new SECTION_LIST;
    section->name = std::move(trimmed);
    section->prev = pos;
    if (pos) {
        section->next = pos->next;
        pos->next = section;
    } else {
        first_ = section;
    }
    if (section->next)
        section->next->prev = section;
    else
        last_ = section;
    return section;
}

LINE_LIST* CSectionList::AddLine(const char* section, const char* text, bool replace, const char* after_key)
{
    if (!section || !*section || !text || !*text) return nullptr;
    return AddLine(FindSection(section), text, replace, after_key);
}

LINE_LIST* CSectionList::AddLine(SECTION_LIST* section, const char* text, bool replace, const char* after_key)
{
    if (!section || !text || !*text) return nullptr;
    std::string key, value;
    split_line(text, key, value);
    if (replace) {
        if (LINE_LIST* line = FindKey(section, key.c_str(), 0)) {
            line->value = std::move(value);
            return line;
        }
    }
    LINE_LIST* pos = (after_key && *after_key) ? FindKey(section, after_key, 0) : nullptr;
    if (!pos) pos = section->last_line;
    auto* line = new LINE_LIST;
    line->section = section;
    line->key = std::move(key);
    line->value = std::move(value);
    line->prev = pos;
    if (pos) {
        line->next = pos->next;
        pos->next = line;
    } else {
        line->next = section->first_line;
        section->first_line = line;
    }
    if (line->next)
        line->next->prev = line;
    else
        section->last_line = line;
    return line;
}

SECTION_LIST* CSectionList::FindSection(const char* name) const
{
    if (!name) return first_;
    std::string wanted = section_name(name);
    if (wanted.empty()) return nullptr;
    for (SECTION_LIST* s = first_; s; s = s->next)
        if (ProfileNameEquals(s->name, wanted)) return s;
    return nullptr;
}

LINE_LIST* CSectionList::FindKey(const SECTION_LIST* section, const char* key, int index) const
{
    if (!section || !key || index < 0) return nullptr;
    std::string_view wanted = key_field(key);
    if (wanted.empty()) return nullptr;  // a line with an empty key is never found
    for (LINE_LIST* line = section->first_line; line; line = line->next)
        if (ProfileNameEquals(line->key, wanted) && index-- == 0) return line;
    return nullptr;
}

LINE_LIST* CSectionList::FindKey(const SECTION_LIST* section, int index) const
{
    if (!section || index < 0) return nullptr;
    LINE_LIST* line = section->first_line;
    while (line && index-- > 0) line = line->next;
    return line;
}

bool CSectionList::GetValue(const char* section, const char* key, char* buffer, size_t length, int index) const
{
    if (!section || !key || !buffer) return false;
    LINE_LIST* line = FindKey(FindSection(section), key, index);
    if (!line) return false;
    // Cut to the buffer and always terminated.
    if (length > 0) {
        size_t n = std::min(line->value.size(), length - 1);
        std::memcpy(buffer, line->value.data(), n);
        buffer[n] = '\0';
    }
    return true;
}

bool CSectionList::GetValue(const char* section, const char* key, std::string& value, int index) const
{
    if (!section || !key) return false;
    LINE_LIST* line = FindKey(FindSection(section), key, index);
    if (!line) return false;
    value = line->value;
    return true;
}

bool CSectionList::SetValue(const char* section, const char* key, const char* value, int index)
{
    if (!section || !key) return false;
    if (!value) value = "";
    SECTION_LIST* s = AddSection(section);
    if (!s) return false;
    if (LINE_LIST* line = FindKey(s, key, index)) {
        line->value.assign(value, std::min(std::strlen(value), kValueMax));
        return true;
    }
    std::string text = *value ? std::string(key) + " = " + value : std::string(key);
    AddLine(s, text.c_str());
    return true;
}

uint32_t CSectionList::GetAllKey(const char* section, char* buffer, size_t* length, int* count) const
{
    if (!section || !buffer || !length || *length == 0) return kProfileBadArgument;
    const size_t capacity = *length;
    std::memset(buffer, 0, capacity);
    if (count) *count = 0;
    SECTION_LIST* s = FindSection(section);
    if (!s) return kProfileNotFound;

    size_t total = 0;
    int copied = 0;
    bool fits = true;
    for (LINE_LIST* line = s->first_line; line; line = line->next) {
        if (line->key.empty()) continue;  // would end the list early
        size_t need = line->key.size() + 1;
        if (fits && total + need < capacity) {
            std::memcpy(buffer + total, line->key.data(), line->key.size());
            ++copied;
        } else {
            fits = false;
        }
        total += need;
    }
    *length = total;
    if (!fits) {
        std::memset(buffer, 0, capacity);
        return kProfileNoRoom;
    }
    if (count) *count = copied;
    return kProfileOk;
}

bool CSectionList::DeleteSection(const char* name)
{
    if (!name || !*name) return false;
    SECTION_LIST* s = FindSection(name);
    if (!s) return false;
    (s->prev ? s->prev->next : first_) = s->next;
    (s->next ? s->next->prev : last_) = s->prev;
    free_lines(s);
    delete s;
    return true;
}

bool CSectionList::DeleteLine(const char* section, const char* key)
{
    if (!section || !*section || !key) return false;
    SECTION_LIST* s = FindSection(section);
    LINE_LIST* line = FindKey(s, key, 0);
    if (!line) return false;
    (line->prev ? line->prev->next : s->first_line) = line->next;
    (line->next ? line->next->prev : s->last_line) = line->prev;
    delete line;
    return true;
}

bool CSectionList::DeleteAllLines(const char* section)
{
    if (!section || !*section) return false;
    SECTION_LIST* s = FindSection(section);
    if (!s) return false;
    free_lines(s);
    return true;
}

void CSectionList::Delete()
{
    for (SECTION_LIST* s = first_; s;) {
        SECTION_LIST* next = s->next;
        free_lines(s);
        delete s;
        s = next;
    }
    first_ = last_ = nullptr;
}

std::string CSectionList::SectionText(const SECTION_LIST* section) const
{
    std::string text;
    if (!section) return text;
    text += "[" + section->name + "]\r\n";
    for (const LINE_LIST* line = section->first_line; line; line = line->next) {
        text += line->key;
        if (!line->value.empty()) text += " = " + line->value;
        text += "\r\n";
    }
    text += "\r\n";
    return text;
}

std::string CSectionList::Text() const
{
    std::string text;
    for (const SECTION_LIST* s = first_; s; s = s->next) text += SectionText(s);
    return text;
}

uint32_t CSectionList::SaveFile(void* file) const
{
    if (!file) return kProfileBadArgument;
    for (const SECTION_LIST* s = first_; s; s = s->next)
        if (uint32_t rc = WriteSection(file, s)) return rc;
    return kProfileOk;
}

uint32_t CSectionList::WriteSection(void* file, const SECTION_LIST* section) const
{
    if (!file || !section) return kProfileBadArgument;
    return WriteToFileHandle(file, SectionText(section));
}

// ---------------------------------------------------------------------------------------------
// CProfile

CProfile::CProfile(const char* main_path, const char* string_path) { Create(main_path, string_path); }

uint32_t CProfile::Create(const char* main_path, const char* string_path, int)
{
    if (LoadFile(main_path, main_) == kProfileOk) {
        main_path_ = main_path;
        main_loaded_ = true;
        if (LoadFile(string_path, strings_) == kProfileOk) string_loaded_ = true;
    }
    return kProfileOk;
}

uint32_t CProfile::Reload(const char* main_path, const char* string_path)
{
    main_loaded_ = string_loaded_ = false;
    main_.Delete();
    strings_.Delete();
    return Create(main_path, string_path);
}

uint32_t CProfile::CreateFromText(const std::string& text, const char* path)
{
    ParseProfileText(text, main_);
    main_path_ = path ? path : "";
    main_loaded_ = true;
    return kProfileOk;
}

uint32_t CProfile::LoadFile(const char* path, CSectionList& list)
{
    if (!path || !*path) return kProfileBadArgument;
    std::string contents;
    if (uint32_t rc = ReadWholeFile(path, contents)) return rc;
    ParseProfileText(contents, list);
    return kProfileOk;
}

uint32_t CProfile::GetString(const char* section, const char* key, char* buffer, size_t length, bool convert) const
{
    if (!section || !key || !buffer || length == 0) return kProfileBadArgument;
    std::memset(buffer, 0, length);
    if (!main_.GetValue(section, key, buffer, length, 0)) return kProfileNotFound;
    ConvertDefinedString(buffer, length, convert);  // not fitting still counts as found
    return kProfileOk;
}

uint32_t CProfile::GetString(const char* section, const char* key, std::string& value, bool convert, size_t limit) const
{
    if (!section || !key || limit == 0) return kProfileBadArgument;
    value.clear();
    std::string raw;
    if (!main_.GetValue(section, key, raw, 0)) return kProfileNotFound;
    if (raw.size() > limit - 1) raw.resize(limit - 1);
    ConvertDefinedString(raw, convert, limit);
    value = std::move(raw);
    return kProfileOk;
}

uint32_t CProfile::GetDword(const char* section, const char* key, uint32_t* number) const
{
    if (!section || !key || !number) return kProfileBadArgument;
    std::string raw;
    if (!main_.GetValue(section, key, raw, 0)) return kProfileNotFound;
    if (raw.size() >= kRawValueBuffer) raw.resize(kRawValueBuffer - 1);
    *number = StringToDword(raw);
    return kProfileOk;
}

uint32_t CProfile::GetControl(const char* section, const char* key, ProfileSize* size) const
{
    if (!section || !key || !size) return kProfileBadArgument;
    std::string raw;
    if (!main_.GetValue(section, key, raw, 0)) return kProfileNotFound;
    uint32_t n[2];
    if (!control_numbers(raw, 2, n)) return kProfileBadArgument;
    size->cx = int32_t(n[0]);
    size->cy = int32_t(n[1]);
    return kProfileOk;
}

uint32_t CProfile::GetControl(const char* section, const char* key, ProfilePoint* point) const
{
    if (!point) return kProfileBadArgument;
    ProfileSize size;
    if (GetControl(section, key, &size) != kProfileOk) return kProfileBadArgument;
    point->x = size.cx;
    point->y = size.cy;
    return kProfileOk;
}

uint32_t CProfile::GetControl(const char* section, const char* key, ProfileColor* color) const
{
    if (!section || !key || !color) return kProfileBadArgument;
    std::string raw;
    if (!main_.GetValue(section, key, raw, 0)) return kProfileNotFound;
    uint32_t n[3];
    if (!control_numbers(raw, 3, n)) return kProfileBadArgument;
    *color = (n[0] & 0xFF) | ((n[1] & 0xFF) << 8) | ((n[2] & 0xFF) << 16);
    return kProfileOk;
}

uint32_t CProfile::GetControl(const char* section, const char* key, ProfileRect* rect) const
{
    if (!section || !key || !rect) return kProfileBadArgument;
    std::string raw;
    uint32_t n[4];
    if (!main_.GetValue(section, key, raw, 0) || !control_numbers(raw, 4, n)) return kProfileBadArgument;
    rect->left = int32_t(n[0]);
    rect->top = int32_t(n[1]);
    rect->right = int32_t(n[2]);
    rect->bottom = int32_t(n[3]);
    return kProfileOk;
}

uint32_t CProfile::GetSectionName(char* buffer, size_t length, bool separator_nul) const
{
    if (!buffer || length == 0) return kProfileBadArgument;
    if (separator_nul) {
        std::memset(buffer, 0, length);
    } else {
        std::memset(buffer, ' ', length);
        buffer[length - 1] = '\0';
    }
    if (!main_.First()) return kProfileNotFound;
    size_t pos = 0;
    for (const SECTION_LIST* s = main_.First(); s; s = s->next) {
        // Room must stay for the closing NUL in either layout.
        if (pos + s->name.size() + 1 >= length) {
            std::memset(buffer, 0, length);
            return kProfileNoRoom;
        }
        std::memcpy(buffer + pos, s->name.data(), s->name.size());
        pos += s->name.size();
        buffer[pos++] = separator_nul ? '\0' : ' ';
    }
    return kProfileOk;
}

uint32_t CProfile::GetAllKey(const char* section, char* buffer, size_t length, bool skip_empty) const
{
    if (!section || !buffer || length == 0) return kProfileBadArgument;
    std::memset(buffer, 0, length);
    const SECTION_LIST* s = main_.FindSection(section);
    if (!s) return kProfileNotFound;
    size_t pos = 0;
    for (const LINE_LIST* line = s->first_line; line; line = line->next) {
        std::string entry;
        if (!line->value.empty()) {
            entry = line->key + " = " + line->value;
            ConvertDefinedString(entry, true, kExpandLimit);
        } else if (!skip_empty) {
            entry = line->key;
        }
        if (entry.empty()) continue;  // would end the list early
        if (pos + entry.size() + 1 >= length) {
            std::memset(buffer, 0, length);
            return kProfileNoRoom;
        }
        std::memcpy(buffer + pos, entry.data(), entry.size());
        pos += entry.size() + 1;
    }
    return kProfileOk;
}

bool CProfile::GetStringValue(const std::string& reference, std::string& value) const
{
    std::string raw;
    bool found = (string_loaded_ && strings_.GetValue("STRINGS", reference.c_str(), raw)) ||
                 main_.GetValue("STRINGS", reference.c_str(), raw);
    if (!found) return false;
    size_t begin = raw.find_first_not_of('"');
    if (begin == std::string::npos) {
        value.clear();
    } else {
        size_t end = raw.find_last_not_of('"');
        value = raw.substr(begin, end - begin + 1);
    }
    return true;
}

uint32_t CProfile::ConvertDefinedString(char* buffer, size_t length, bool convert) const
{
    if (!buffer || length == 0 || buffer[0] == '\0') return kProfileBadArgument;
    std::string text(buffer, strnlen(buffer, length));
    if (uint32_t rc = ConvertDefinedString(text, convert, length)) return rc;
    std::memset(buffer, 0, length);
    std::memcpy(buffer, text.data(), text.size());
    return kProfileOk;
}

// A definition that refers to itself is bounded twice: the text may never reach the caller's
// limit, and the number of substitutions is capped for cycles that do not grow (%A% -> %B% ->
// %A%). Either bound leaves the text unexpanded, as a result that does not fit does.
uint32_t CProfile::ConvertDefinedString(std::string& text, bool convert, size_t limit) const
{
    if (text.empty() || limit == 0) return kProfileBadArgument;
    std::string work = text;
    int substitutions = 0;
    size_t a = work.find('%');
    while (a != std::string::npos) {
        size_t b = work.find('%', a + 1);
        if (b == std::string::npos) break;
        std::string reference = work.substr(a, b - a + 1);
        std::string value;
        // A name defined as itself changes nothing; go on as if it were not defined.
        if (GetStringValue(reference, value) && value != reference) {
            if (++substitutions > kMaxSubstitutions) return kProfileNoRoom;
            if (!replace_all(work, reference, value, limit)) return kProfileNoRoom;
            a = work.find('%', a);  // the substituted text may hold references itself
        } else {
            a = work.find('%', a + 1);  // this closing % may open the next reference
        }
    }
    if (convert) {
        replace_all(work, "\\r", "\r", std::string::npos);
        replace_all(work, "\\n", "\n", std::string::npos);
    }
    if (work.size() >= limit) return kProfileNoRoom;
    text.swap(work);
    return kProfileOk;
}

uint32_t CProfile::SetValue(const char* section, const char* key, const char* value)
{
    if (!section || !key || !value) return kProfileBadArgument;
    return SetData(section, key, value);
}

uint32_t CProfile::SetValue(const char* section, const char* key, int32_t number)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(number));
    return SetValue(section, key, text);
}

uint32_t CProfile::SetValue(const char* section, const char* key, const ProfileSize& size)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d,%d", static_cast<int>(size.cx), static_cast<int>(size.cy));
    return SetValue(section, key, text);
}

uint32_t CProfile::SetValue(const char* section, const char* key, ProfileColor color)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d,%d,%d", int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
    return SetValue(section, key, text);
}

uint32_t CProfile::SetValue(const char* section, const char* key, const ProfileRect& rect)
{
    char text[64];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d", static_cast<int>(rect.left), static_cast<int>(rect.top),
                  static_cast<int>(rect.right), static_cast<int>(rect.bottom));
    return SetValue(section, key, text);
}

// What goes to disk is cut to what the reader takes back: each part ends at a line break (a
// value holding "\r\n[X]" would otherwise add a section to the file), section and key are
// cut to their fields, and the value so that the written "key=value" line stays within the
// line limit (a longer line would end the next reading of the file there).
uint32_t CProfile::SetData(const char* section, const char* key, const char* value)
{
    if (main_path_.empty() || !section || !key || !value) return kProfileBadArgument;
    auto first_line = [](const char* text, size_t max) {
        std::string_view s(text);
        return std::string(s.substr(0, std::min(s.find_first_of("\r\n"), max)));
    };
    std::string name = first_line(section, kSectionNameMax);
    if (name.empty()) return kProfileBadArgument;
    std::string k = first_line(key, kKeyMax);
    if (k.empty()) return WriteProfileValue(main_path_.c_str(), name.c_str(), nullptr, nullptr);
    std::string v = first_line(value, kLineMax - k.size() - 1);
    return WriteProfileValue(main_path_.c_str(), name.c_str(), k.c_str(), v.c_str());
}
