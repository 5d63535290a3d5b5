#include "config/language.h"

#include "config/setup_profile.h"
#include "config/vars_text.h"

#include <cstdio>
#include <vector>

std::string LanguageKey(uint16_t id)
{
    char buf[16];
    snprintf(buf, sizeof buf, "0X%04X", unsigned(id));
    return buf;
}

std::string BuiltInLanguageAbbr(uint16_t id)
{
    const uint16_t sub = SubLanguageId(id);
    switch (PrimaryLanguageId(id)) {
    case 1: return "AB";
    case 4: return sub == 1 ? "CT" : "CP";
    case 5: return "CZ";
    case 6: return "DN";
    case 7: return "GR";
    case 8: return "GK";
    case 10: return "SP";
    case 11: return "FI";
    case 12: return "FN";
    case 13: return "HB";
    case 14: return "HU";
    case 16: return "IT";
    case 17: return "JP";
    case 18: return "KR";
    case 19: return "DT";
    case 20: return "NR";
    case 21: return "PO";
    case 22: return sub == 1 ? "BP" : sub == 2 ? "PT" : "";
    case 25: return "RU";
    case 29: return "SW";
    case 30: return "TI";
    case 31: return "TK";
    case 33: return "IN";
    default: return "EN";
    }
}

uint16_t MapLanguageId(const CSetupProfile& data, uint16_t id)
{
    uint32_t mapped = 0;
    if (data.ReadNumber("COUNTRY_LANG_CODE", LanguageKey(id), &mapped) ||
        data.ReadNumber("COUNTRY_LANG_CODE", LanguageKey(PrimaryLanguageId(id)), &mapped))
        return uint16_t(mapped);
    return id;
}

uint16_t ValidateLanguageId(const CSetupProfile& data, uint16_t id)
{
    std::vector<std::string> lines;
    if (data.ReadSection("PROGRAM_LANG_INFO", lines, true)) {
        const uint16_t primary = PrimaryLanguageId(id);
        for (const auto& line : lines) {
            const size_t eq = line.find('=');
            const uint32_t n = StringToDword(vars_text::TrimBlanks(eq == std::string::npos ? line : line.substr(0, eq)));
            if (n == id || n == primary) return uint16_t(n);
        }
    }
    return kDefaultLanguageId;
}

namespace {

std::string LookUp(const CSetupProfile& data, const char* section, uint16_t id)
{
    std::string value;
    if (data.Read(section, LanguageKey(id), value) || data.Read(section, LanguageKey(PrimaryLanguageId(id)), value))
        return value;
    return BuiltInLanguageAbbr(id);
}

}  // namespace

std::string LanguageAbbrOf(const CSetupProfile& data, uint16_t id) { return LookUp(data, "LANGUAGE_ABBR", id); }
std::string LanguageDirOf(const CSetupProfile& data, uint16_t id) { return LookUp(data, "LANGUAGE_DIR", id); }
