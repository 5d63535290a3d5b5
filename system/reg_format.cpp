#include "system/reg_format.h"

#include "system/text_utils.h"

#include <cstdio>

const char* const kRegistryRootNames[kRegistryRootCount] = {
    "HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE",
    "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA",
};

std::string JoinKeyPath(const std::string& parent, const std::string& child)
{
    if (!parent.empty() && parent.back() == '\\') return parent + child;
    return parent + "\\" + child;
}

RegSectionName SplitSectionName(const std::string& section)
{
    RegSectionName out;
    size_t slash = section.find('\\');
    std::string word = section.substr(0, slash);
    for (int i = 0; i < kRegistryRootCount; ++i) {
        if (EqualsNoCase(word, kRegistryRootNames[i])) {
            out.root = i;
            out.sub_key = slash == std::string::npos ? std::string() : section.substr(slash + 1);
            return out;
        }
    }
    out.sub_key = section;
    return out;
}

std::string RegNameText(const std::string& value_name) { return "\"" + value_name + "\""; }

std::string RegStringText(const std::string& text) { return "\"" + text + "\""; }

std::string RegDwordText(uint32_t number)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s:%08x", "dword", (unsigned)number);
    return buffer;
}

std::string RegBinaryText() { return "hex:"; }

RegImportLine ParseImportLine(const std::string& line)
{
    RegImportLine out;
    size_t eq = line.find('=');
    out.name = TrimChars(line.substr(0, eq), " \t\"");
    std::string value = eq == std::string::npos ? std::string() : TrimChars(line.substr(eq + 1), " \t");
    if (!value.empty() && value.front() == '"' && value.back() == '"') {
        out.kind = RegImportLine::String;
        out.text = TrimChars(value, "\"");
        return out;
    }
    size_t colon = value.find(':');
    std::string type = value.substr(0, colon);
    if (EqualsNoCase(type, "dword")) {
        out.kind = RegImportLine::Dword;
        std::string digits = colon == std::string::npos ? std::string() : value.substr(colon + 1);
        out.number = HexTextToNumber(TrimChars(digits, " \t\""));
    } else if (EqualsNoCase(type, "hex")) {
        out.kind = RegImportLine::Binary;
    }
    return out;
}
