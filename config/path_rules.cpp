#include "config/path_rules.h"

#include "config/vars_text.h"

namespace {

bool IsAbsolute(const std::string& t)
{
    if (t.size() == 2 && t[1] == ':') return true;                         // "C:"
    if (t.size() >= 3 && t[1] == ':' && t[2] == '\\') return true;         // "C:\..."
    if (t.size() >= 2 && t[0] == '\\' && t[1] == '\\') return true;        // "\\server\share"
    return false;
}

std::string ParentOf(const std::string& dir)
{
    size_t cut = dir.find_last_of('\\');
    return cut == std::string::npos ? dir : dir.substr(0, cut);
}

}  // namespace

std::string ResolvePathRule(const std::string& text, const std::string& source_dir)
{
    // An empty name names no file; it must not turn into the source directory.
    if (text.empty()) return std::string();

    // $SRC_DIR$ is put in first: a leading "$SRC_DIR$\x" (a value read without expansion)
    // is then recognised as absolute instead of being put below the source directory twice.
    std::string t = text;
    vars_text::ReplaceAll(t, "$SRC_DIR$", source_dir);

    std::string result;
    if (IsAbsolute(t))
        result = t;
    else if (t.compare(0, 2, "..") == 0)
        result = ParentOf(source_dir) + t.substr(2);
    else if (t[0] == '.')
        result = source_dir + t.substr(1);
    else
        result = source_dir + "\\" + t;

    vars_text::ReplaceAll(result, "$SRC_DIR$", source_dir);
    return result;
}
