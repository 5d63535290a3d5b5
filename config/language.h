#pragma once
// Language ids, their mapping and validation against the data file, and their abbreviations
// and directories.
#include <cstdint>
#include <string>

class CSetupProfile;

constexpr uint16_t kDefaultLanguageId = 9;  // English, primary id

struct CLanguageInfo {
    uint16_t current_id = kDefaultLanguageId;  // in use, after mapping
    uint16_t system_id = kDefaultLanguageId;   // the system's default language id
    uint16_t org_id = kDefaultLanguageId;      // as asked for, validated, before mapping
    std::string current_abbr = "EN";
    std::string system_abbr = "EN";
    std::string org_abbr = "EN";
    std::string lang_dir;
    std::string org_lang_dir;
};

inline uint16_t PrimaryLanguageId(uint16_t id) { return uint16_t(id & 0x3FF); }
inline uint16_t SubLanguageId(uint16_t id) { return uint16_t(id >> 10); }

// "0X%04X": the key form of a language id in the data file's language sections.
std::string LanguageKey(uint16_t id);

// The built-in abbreviation of a language id (by primary id and, for some, sub-language).
std::string BuiltInLanguageAbbr(uint16_t id);

// COUNTRY_LANG_CODE: the full id's key, else the primary id's key; a found value replaces it.
uint16_t MapLanguageId(const CSetupProfile& data, uint16_t id);

// PROGRAM_LANG_INFO: the number of the first listed key equal to the id or to its primary
// id; 9 when the id is not listed.
uint16_t ValidateLanguageId(const CSetupProfile& data, uint16_t id);

// LANGUAGE_ABBR / LANGUAGE_DIR (expanded): full id's key, else primary id's key, else the
// built-in table.
std::string LanguageAbbrOf(const CSetupProfile& data, uint16_t id);
std::string LanguageDirOf(const CSetupProfile& data, uint16_t id);
