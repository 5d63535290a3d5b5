#include "system/inf_info.h"

#include "platform/unique_handle.h"
#include "system/text_utils.h"

namespace {

// The SetupAPI's text calls report BOOL + GetLastError; here every "false" means the value
// is not there (or does not fit kTextSize), which the callers treat alike.
bool string_field(INFCONTEXT& context, DWORD index, std::string& out)
{
    std::string buffer(CInfInfo::kTextSize, '\0');
    if (!::SetupGetStringFieldA(&context, index, &buffer[0], static_cast<DWORD>(buffer.size()), nullptr))
        return false;
    buffer.resize(strnlen(buffer.c_str(), buffer.size()));
    out = buffer;
    return true;
}

bool line_text(HINF inf, const std::string& section, const char* key, std::string& out)
{
    std::string buffer(CInfInfo::kTextSize, '\0');
    if (!::SetupGetLineTextA(nullptr, inf, section.c_str(), key, &buffer[0], static_cast<DWORD>(buffer.size()),
                             nullptr))
        return false;
    buffer.resize(strnlen(buffer.c_str(), buffer.size()));
    out = buffer;
    return true;
}

bool line_at(HINF inf, const std::string& section, int index, INFCONTEXT& context)
{
    if (index < 0) return false;
    return ::SetupGetLineByIndexA(inf, section.c_str(), static_cast<DWORD>(index), &context) != FALSE;
}

bool has_lines(HINF inf, const std::string& section) { return ::SetupGetLineCountA(inf, section.c_str()) > 0; }

bool is_printer(const std::string& cls) { return EqualsNoCase(cls, "Printer"); }
bool is_image(const std::string& cls) { return EqualsNoCase(cls, "Image"); }

}  // namespace

CInfInfo::CInfInfo(ILogSink& log) : log_(log) {}

void CInfInfo::Reset()
{
    class_.clear();
    driver_name_.clear();
    manufacturer_.clear();
    models_section_.clear();
    uni_drv_ = false;
    driver_index_ = 0;
}

bool CInfInfo::GetClass(const std::string& inf_path, char* buffer, size_t size)
{
    if (!buffer || size == 0) return false;
    buffer[0] = '\0';
    unique_hinf inf(::SetupOpenInfFileA(inf_path.c_str(), nullptr, INF_STYLE_WIN4, nullptr));
    if (!inf) {
        log_.WriteError(::GetLastError(), "SetupOpenInfFile(%s)", inf_path.c_str());
        return false;
    }
    const DWORD room = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
    if (!::SetupGetLineTextA(nullptr, inf.get(), "Version", "Class", buffer, room, nullptr)) {
        buffer[0] = '\0';
        return false;
    }
    return buffer[0] != '\0';
}

bool CInfInfo::GetClass(const std::string& inf_path, std::string& class_name)
{
    std::string buffer(kTextSize, '\0');
    if (!GetClass(inf_path, &buffer[0], buffer.size())) return false;
    buffer.resize(strnlen(buffer.c_str(), buffer.size()));
    class_name = buffer;
    return true;
}

bool CInfInfo::Init(const std::string& inf_path, int model_index, const std::string& model_name)
{
    if (inf_path.empty()) return false;
    if (!GetClass(inf_path, class_)) return false;
    if (!is_printer(class_) && !is_image(class_)) return true;

    unique_hinf inf(::SetupOpenInfFileA(inf_path.c_str(), class_.c_str(), INF_STYLE_WIN4, nullptr));
    if (!inf) {
        log_.WriteError(::GetLastError(), "SetupOpenInfFile(%s)", inf_path.c_str());
        return false;
    }
    return GetInfo(inf.get(), model_index, model_name);
}

bool CInfInfo::GetInfo(void* handle, int model_index, const std::string& model_name)
{
    HINF inf = static_cast<HINF>(handle);
    INFCONTEXT context;
    if (!line_at(inf, "Manufacturer", 0, context) || !string_field(context, 0, manufacturer_)) {
        manufacturer_.clear();
        return false;
    }
    std::string section;
    std::string decoration;
    if (!string_field(context, 1, section)) section = manufacturer_;
    if (!string_field(context, 2, decoration)) decoration.clear();

    if (!has_lines(inf, section)) {
        if (decoration.empty()) return false;
        section += "." + decoration;
        // The decorated name must fit the same field as any other.
        if (section.size() >= kTextSize || !has_lines(inf, section)) return false;
    }
    models_section_ = section;

    if (is_printer(class_)) {
        const bool found = CheckDriverNameAndIndex(inf, section, model_index, model_name);
        if (CheckUniDrv(inf)) uni_drv_ = true;
        return found;
    }
    // Image: the first model.
    if (!line_at(inf, section, 0, context) || !string_field(context, 0, driver_name_)) {
        driver_name_.clear();
        log_.Write("Can not find driver name");
        return false;
    }
    return true;
}

bool CInfInfo::CheckDriverNameAndIndex(void* handle, const std::string& section, int index, const std::string& name)
{
    HINF inf = static_cast<HINF>(handle);
    INFCONTEXT context;
    if (name.empty()) {
        std::string text;
        if (!line_at(inf, section, index, context) || !string_field(context, 0, text)) {
            log_.Write("Can not find driver name using index [%d]", index);
            return false;
        }
        driver_name_ = text;
        driver_index_ = index;
        return true;
    }
    for (int i = 0; line_at(inf, section, i, context); ++i) {
        std::string text;
        if (string_field(context, 0, text) && EqualsNoCase(text, name)) {
            driver_index_ = i;
            driver_name_ = name;
            return true;
        }
    }
    log_.Write("Can not find driver name in this inf [%s]", name.c_str());
    return false;
}

bool CInfInfo::CheckUniDrv(void* handle)
{
    HINF inf = static_cast<HINF>(handle);
    INFCONTEXT context;
    std::string install;
    // "Model =" with nothing after it names no install section either.
    if (!line_at(inf, models_section_, driver_index_, context) || !string_field(context, 1, install) ||
        install.empty()) {
        log_.Write("Can not find DDInstall Section using index [%d]", driver_index_);
        return false;
    }
    std::string include;
    std::string needs;
    // The whole Include text: a list naming ntprint.inf among others is not the universal driver.
    if (!line_text(inf, install, "Include", include) || !EqualsNoCase(include, "ntprint.inf")) return false;
    return line_text(inf, install, "Needs", needs) && !needs.empty();
}
