#include "install/item_rules.h"

#include "config/setup_profile.h"
#include "config/vars_text.h"
#include "system/text_utils.h"

#include <cstdio>

namespace {

char upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// First position of `needle` in `text` ignoring ASCII case, from `from` on.
size_t findNoCase(const std::string& text, const std::string& needle, size_t from = 0)
{
    if (needle.empty() || needle.size() > text.size()) return std::string::npos;
    for (size_t i = from; i + needle.size() <= text.size(); ++i) {
        size_t k = 0;
        while (k < needle.size() && upper(text[i + k]) == upper(needle[k])) ++k;
        if (k == needle.size()) return i;
    }
    return std::string::npos;
}

bool fits(const std::string& text, size_t size) { return size > 0 && text.size() < size; }

bool commit(std::string& text, const std::string& result, size_t size)
{
    if (!fits(result, size)) return false;
    text = result;
    return true;
}

std::string quoteTrimmed(const std::string& text) { return TrimChars(text, " \t\""); }

}  // namespace

void CutItemText(std::string& text, size_t buffer) { vars_text::CutToBuffer(text, buffer); }

int InstallTypeOfKeyword(const std::string& keyword, bool* device_check)
{
    if (device_check) *device_check = false;
    const std::string k = vars_text::ToUpper(keyword);
    if (k == "NO") return kInstallNo;
    if (k == "ALL") return kInstallAll;
    if (k == "GRAYCHK") return kInstallGrayChecked;
    if (k == "CHK") return kInstallChecked;
    if (k == "UNCHK") return kInstallUnchecked;
    if (k == "DEVCHK") {
        if (device_check) *device_check = true;
        return kInstallUnchecked;
    }
    return kInstallNo;
}

int InstallTypeOfDeviceCheck(int check_result)
{
    if (check_result == 1) return kInstallChecked;
    if (check_result == 2) return kInstallNo;
    return kInstallUnchecked;
}

ItemParameters ParseItemParameters(const std::vector<std::string>& lines)
{
    ItemParameters out;
    for (const std::string& line : lines) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos || line.size() < 12) continue;
        const std::string key = vars_text::ToUpper(vars_text::TrimBlanks(line.substr(0, eq)));
        const std::string value = vars_text::TrimBlanks(line.substr(eq + 1));
        if (value.empty()) continue;
        std::string* target = key == "INST_PARAM"     ? &out.install
                              : key == "UNINST_PARAM" ? &out.uninstall
                              : key == "REINST_PARAM" ? &out.reinstall
                                                      : nullptr;
        if (!target) continue;
        // A value that would overflow the buffer is left off; the earlier ones stay.
        if (target->size() + value.size() + 1 >= kItemTextBuffer) continue;
        *target += value;
        *target += ' ';
    }
    for (std::string* p : {&out.install, &out.uninstall, &out.reinstall})
        if (!p->empty()) p->pop_back();
    return out;
}

std::string SubstituteModelName(const std::string& text, const std::string& model)
{
    std::string out = text;
    const size_t first = out.find('%');
    if (first != std::string::npos) {
        const size_t second = out.find('%', first + 1);
        if (second != std::string::npos) {
            const std::string token = out.substr(first, second - first + 1);
            vars_text::ReplaceAll(out, token, model);
        }
    }
    vars_text::ReplaceAll(out, "%s", model);
    CutItemText(out);
    return out;
}

std::string ConvertPathToDestination(const std::string& source, const std::string& source_dir,
                                     const std::string& install_dir)
{
    std::string out = source;
    vars_text::ReplaceAll(out, "$SRC_DIR$", "$DEST_INST_DIR$");
    vars_text::ReplaceAll(out, source_dir, install_dir);
    CutItemText(out);
    return out;
}

std::string RemoveParamOption(const std::string& text, const std::string& option)
{
    const size_t at = findNoCase(text, option);
    if (at == std::string::npos) return text;
    std::string out = text.substr(0, at);
    const size_t end = at + option.size();
    const size_t slash = text.find('/', end);
    if (slash != std::string::npos) {
        // The character before the next slash is normally the blank that separated the
        // options; when the slash follows the option directly, that character is part of
        // the option and must go with it.
        const size_t from = slash > end ? slash - 1 : slash;
        out += text.substr(from);
    }
    return out;
}

bool RewritePrinterParameters(std::string& text, size_t size, int index, const std::string& driver)
{
    if (text.empty()) return false;
    std::string out;
    if (index == -1) {
        if (driver.empty()) return true;
        out = RemoveParamOption(text, "/O") + " /O \"" + quoteTrimmed(driver) + "\"";
    } else {
        out = RemoveParamOption(text, "/I") + " /I " + std::to_string(index);
    }
    return commit(text, out, size);
}

bool RewriteScanUninstParam(std::string& text, size_t size, const std::string& model)
{
    if (text.empty() || model.empty()) return false;
    return commit(text, RemoveParamOption(text, "/U") + " /U \"" + quoteTrimmed(model) + "\"", size);
}

bool RewritePortParameter(std::string& text, size_t size, const std::string& port)
{
    if (text.empty() || port.empty()) return false;
    return commit(text, RemoveParamOption(text, "/P") + " /P\"" + port + "\"", size);
}

std::string MakeShareName(const std::string& driver_name, const std::string& mfg)
{
    std::string name = vars_text::ToUpper(driver_name);
    const int kind = name.find(" PCL 6") != std::string::npos ? 1 : name.find(" PS") != std::string::npos ? 2 : 0;
    vars_text::ReplaceAll(name, vars_text::ToUpper(mfg), "");
    vars_text::ReplaceAll(name, "SERIES", "");
    std::string squeezed;
    for (char c : name)
        if (c != ' ' && c != '-') squeezed += c;
    vars_text::ReplaceAll(squeezed, "PHASER", "P");
    vars_text::ReplaceAll(squeezed, "WORKCENTRE", "WC");
    if (kind == 0) return squeezed;
    size_t start = 0;
    while (start < squeezed.size()) {
        const char c = squeezed[start];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_')) break;
        ++start;
    }
    return squeezed.substr(start);
}

bool OsListContains(const std::string& list, const std::string& os_name)
{
    return IsInList(list.c_str(), os_name.c_str(), ",");
}

const ItemGenerationRow kItemGenerationRows[kInfGenerations] = {
    {"0X0001040A", 7, false, kInf9x},
    {"0X00020400", 12, false, kInfNt},
    {"0X00020600", 18, false, kInf32},
    {"0X00020600.64", 18, true, kInf64},
};

bool OsStringOfId(const CSetupProfile& data, const std::string& id, std::string& name)
{
    std::string found;
    if (!data.Read("OS_DEFINE", id, found)) return false;
    vars_text::CutToBuffer(found, kItemOsStringBuffer);
    std::string unsupported;
    if (data.Read("SYSTEM_REQUIREMENT", "UNSUPPORTED_OS", unsupported) && OsListContains(unsupported, found))
        return false;
    name = found;
    return true;
}

bool FindItemTypeSection(const CSetupProfile& data, const std::string& class_name, std::string& section)
{
    std::vector<std::string> entries;
    if (!data.ReadSection("ITEM_TYPE_INFO", entries)) return false;
    section.clear();
    for (const std::string& entry : entries) {
        std::string name = vars_text::TrimBlanks(entry);
        vars_text::CutToBuffer(name, kItemTypeSectionBuffer);
        std::string type_class;
        if (name.empty() || !data.Read(name, "CLASS", type_class)) continue;
        if (EqualsNoCase(type_class, class_name)) {
            section = name;
            return true;
        }
    }
    return true;
}
