#include "config/macros.h"

#include "config/vars_text.h"

#include <cstdio>

namespace {

std::string Hex4(uint16_t id)
{
    char buf[8];
    snprintf(buf, sizeof buf, "%04X", unsigned(id));
    return buf;
}

}  // namespace

std::string ExpandMacros(const std::string& text, const MacroValues& v)
{
    if (text.find('$') == std::string::npos) return text;
    const std::pair<const char*, std::string> table[] = {
        {"$LANG_ABBR$", v.lang_abbr},
        {"$ORG_LANG_ABBR$", v.org_lang_abbr},
        {"$SRC_DIR$", v.src_dir},
        {"$DEST_DIR$", v.dest_dir},
        {"$DEST_INST_DIR$", v.dest_inst_dir},
        {"$WIN_DIR$", v.win_dir},
        {"$SYS_DIR$", v.sys_dir},
        {"$INF_DIR$", v.inf_dir},
        {"$OS_DIR$", v.os_dir},
        {"$PROGRAM_FILES_DIR$", v.program_files_dir},
        {"$LANG_DIR$", v.lang_dir},
        {"$ORG_LANG_DIR$", v.org_lang_dir},
        {"$DATA_FILE$", v.data_file},
        {"$CONFIG_FILE$", v.config_file},
        {"$STRING_FILE$", v.string_file},
        {"$VERSION$", v.version},
        {"$INSTALLER_EXE$", v.installer_exe},
        {"$IP$", v.ip},
        {"$STRING_FILE_NAME$", v.string_file_name},
        {"$PORT$", v.port},
        {"$LCID$", Hex4(v.lcid)},
        {"$ORG_LCID$", Hex4(v.org_lcid)},
        {"$BOOL_INSTALLED$", v.installed ? "1" : "0"},
        {"$BOOL_!INSTALLED$", v.installed ? "0" : "1"},
    };
    std::string out = text;
    for (const auto& m : table) vars_text::ReplaceAll(out, m.first, m.second);
    return out;
}
