#include "system/collector_rules.h"

#include "config/os_define.h"
#include "system/text_utils.h"

std::vector<std::string> CollectorFolderNames(const std::vector<std::string>& dir_section_lines, int os_class,
                                              bool is64)
{
    std::vector<std::string> names;
    for (const auto& line : dir_section_lines)
        if (!line.empty()) names.push_back(line);
    for (auto& name : OsFolderNames(os_class, is64))
        if (!name.empty()) names.push_back(std::move(name));
    return names;
}

std::vector<std::string> CollectorCandidateDirs(const std::string& root_in, const char* language,
                                                const std::vector<std::string>& names)
{
    // One trailing backslash of the root would double in every formed path.
    std::string root = root_in;
    if (!root.empty() && root.back() == '\\') root.pop_back();

    const bool with_lang = language && *language;
    const bool with_english = !language || (*language && !EqualsNoCase(language, "English"));
    const std::string lang = with_lang ? language : "";
    const std::string english = "English";

    std::vector<std::string> dirs;
    auto add = [&](const std::string& a) { dirs.push_back(root + "\\" + a); };
    auto add2 = [&](const std::string& a, const std::string& b) { dirs.push_back(root + "\\" + a + "\\" + b); };

    for (const auto& n : names) add(n);
    if (with_lang) add(lang);
    if (with_english) add(english);
    if (with_lang)
        for (const auto& n : names) add2(n, lang);
    if (with_english)
        for (const auto& n : names) add2(n, english);
    if (with_lang)
        for (const auto& n : names) add2(lang, n);
    if (with_english)
        for (const auto& n : names) add2(english, n);
    return dirs;
}

std::string CollectorTargetPath(const std::string& found, const std::string& installer_dir)
{
    std::string path = ToUpperText(found);
    const std::string from = ToUpperText(installer_dir);
    if (from.empty()) return path;
    static const std::string to = "$SRC_DIR$";
    for (size_t pos = path.find(from); pos != std::string::npos; pos = path.find(from, pos + to.size()))
        path.replace(pos, from.size(), to);
    return path;
}

std::string CollectorTargetDir(const std::string& found)
{
    const size_t slash = found.rfind('\\');
    return slash == std::string::npos ? found : found.substr(0, slash);
}
