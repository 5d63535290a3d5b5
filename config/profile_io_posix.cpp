// File access of the reader on systems without the Win32 file and private-profile functions
// (the native build). Errors are reported as the Win32 numbers the Windows build gives.
#include "config/profile_io.h"

#include "config/profile.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

namespace {

struct file_close {
    void operator()(FILE* f) const { std::fclose(f); }
};
using unique_file = std::unique_ptr<FILE, file_close>;

uint32_t win32_error(int err)
{
    switch (err) {
    case ENOENT: return 2;   // ERROR_FILE_NOT_FOUND
    case ENOTDIR: return 3;  // ERROR_PATH_NOT_FOUND
    case EACCES: return 5;   // ERROR_ACCESS_DENIED
    case EISDIR: return 5;   // what CreateFileA gives for a directory
    default: return 31;      // ERROR_GEN_FAILURE
    }
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim_blanks(std::string_view s)
{
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

// One line of the file: [begin, end) is its text, [end, next) its line break.
struct text_line {
    size_t begin, end, next;
};

std::vector<text_line> split_lines(const std::string& text)
{
    std::vector<text_line> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) {
            lines.push_back({pos, text.size(), text.size()});
            break;
        }
        size_t next = end + 1;
        if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
        lines.push_back({pos, end, next});
        pos = next;
    }
    return lines;
}

// A header as the private-profile functions see it: a line starting with `[`, the name up to
// the last `]`, trimmed as the reader trims names. Comments are not looked at, as there.
bool header_name(std::string_view line, std::string& name)
{
    line = trim_blanks(line);
    if (line.empty() || line.front() != '[') return false;
    size_t close = line.rfind(']');
    if (close == std::string_view::npos) return false;
    std::string_view s = line.substr(0, close + 1);
    while (!s.empty() && (is_blank(s.front()) || s.front() == '"' || s.front() == '[')) s.remove_prefix(1);
    while (!s.empty() && (is_blank(s.back()) || s.back() == '"' || s.back() == ']')) s.remove_suffix(1);
    name.assign(s.substr(0, kSectionNameMax));
    return true;
}

// Cut like the reader cuts keys.
std::string line_key(std::string_view line) { return std::string(trim_blanks(line.substr(0, line.find('='))).substr(0, kKeyMax)); }

// The new file text: the key's first line in the section (over every header of that name, in
// file order, as the reader merges them) is rewritten; a new key goes after the last line of
// the first such section; a new section goes to the end. An empty key empties the section.
std::string update_text(const std::string& text, const char* section, const char* key, const char* value)
{
    const char* eol = text.find("\r\n") != std::string::npos ? "\r\n"
                      : text.find('\n') != std::string::npos ? "\n"
                                                              : "\r\n";
    const bool empty_section = !key || !*key;
    const std::vector<text_line> lines = split_lines(text);

    bool in_section = false;
    bool first_done = false;                  // the first section of that name has ended
    size_t insert_after = std::string::npos;  // its header or its last non-blank line
    std::vector<size_t> drop;                 // lines to remove when emptying
    const std::string_view wanted = std::string_view(section).substr(0, kSectionNameMax);
    std::string name;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view line(text.data() + lines[i].begin, lines[i].end - lines[i].begin);
        if (header_name(line, name)) {
            if (in_section) first_done = true;
            in_section = ProfileNameEquals(name, wanted);
            if (in_section && insert_after == std::string::npos) insert_after = i;
            continue;
        }
        if (!in_section || trim_blanks(line).empty()) continue;
        if (empty_section) {
            drop.push_back(i);
            continue;
        }
        if (ProfileNameEquals(line_key(line), key)) {
            std::string out = text;
            out.replace(lines[i].begin, lines[i].end - lines[i].begin, std::string(key) + "=" + value);
            return out;
        }
        if (!first_done) insert_after = i;
    }

    if (empty_section && insert_after != std::string::npos) {
        std::string out;
        size_t pos = 0;
        for (size_t i : drop) {
            out.append(text, pos, lines[i].begin - pos);
            pos = lines[i].next;
        }
        out.append(text, pos, std::string::npos);
        return out;
    }

    std::string out = text;
    std::string added = empty_section ? std::string() : std::string(key) + "=" + value + eol;
    if (insert_after != std::string::npos) {
        const text_line& at = lines[insert_after];
        std::string piece = (at.next == at.end ? std::string(eol) : std::string()) + added;
        out.insert(at.next, piece);
        return out;
    }
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += eol;
    out += "[" + std::string(section) + "]" + eol + added;
    return out;
}

}  // namespace

uint32_t ReadWholeFile(const char* path, std::string& contents)
{
    contents.clear();
    if (!path || !*path) return 87;
    errno = 0;
    unique_file file(std::fopen(path, "rb"));
    if (!file) return win32_error(errno);
    char chunk[16384];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) contents.append(chunk, got);
    if (std::ferror(file.get())) {
        uint32_t rc = win32_error(errno);
        contents.clear();
        return rc;
    }
    return 0;
}

uint32_t WriteProfileValue(const char* path, const char* section, const char* key, const char* value)
{
    if (!path || !*path || !section || !*section) return 87;
    std::string text;
    uint32_t rc = ReadWholeFile(path, text);
    if (rc == 2)
        text.clear();  // written anew, as the private-profile functions do
    else if (rc)
        return rc;
    std::string updated = update_text(text, section, key, value ? value : "");
    errno = 0;
    unique_file file(std::fopen(path, "wb"));
    if (!file) return win32_error(errno);
    if (std::fwrite(updated.data(), 1, updated.size(), file.get()) != updated.size()) return win32_error(errno);
    if (std::fclose(file.release()) != 0) return win32_error(errno);
    return 0;
}

uint32_t WriteToFileHandle(void* file, const std::string& bytes)
{
    if (!file) return 87;
    FILE* f = static_cast<FILE*>(file);
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fflush(f) != 0) return win32_error(errno);
    return 0;
}
