#pragma once
// The $NAME$ macros that every expanded configuration value passes through.
#include <cstdint>
#include <string>

// The values the macros stand for; overrides (language id, abbreviation, directory) are
// already put in by the caller.
struct MacroValues {
    std::string lang_abbr;
    std::string org_lang_abbr;
    std::string src_dir;
    std::string dest_dir;
    std::string dest_inst_dir;
    std::string win_dir;
    std::string sys_dir;
    std::string inf_dir;
    std::string os_dir;
    std::string program_files_dir;
    std::string lang_dir;
    std::string org_lang_dir;
    std::string data_file;
    std::string config_file;
    std::string string_file;
    std::string version;
    std::string installer_exe;
    std::string ip;
    std::string string_file_name;
    std::string port;
    uint16_t lcid = 0;
    uint16_t org_lcid = 0;
    bool installed = false;
};

// Replaces each macro, case-sensitively and everywhere, in the fixed order of the product;
// a replacement is scanned only by the macros that come after it.
std::string ExpandMacros(const std::string& text, const MacroValues& values);
