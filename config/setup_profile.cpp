#include "config/setup_profile.h"

#include "config/language.h"
#include "config/vars_text.h"

using vars_text::CutToBuffer;

// ---- variant candidates ----

std::vector<std::string> SectionVariantCandidates(const std::string& base, const std::string& os,
                                                  const std::string& lang, bool network, bool usb_only)
{
    const std::string b = base, o = "." + os, l = "." + lang, n = ".NETWORK", u = ".USB";
    std::vector<std::string> list;
    if (network && usb_only)
        list = {b + o + l + n + u, b + o + l + n, b + o + l + u, b + o + l, b + o + n + u, b + o + n,
                b + o + u,         b + o,         b + l + n + u, b + l + n, b + l + u,     b + l,
                b + n + u,         b + n,         b + u,         b};
    else if (network)
        list = {b + o + l + n, b + o + l, b + o + n, b + o, b + l + n, b + l, b + n, b};
    else if (usb_only)
        list = {b + o + l + u, b + o + l, b + o + u, b + o, b + l + u, b + l, b + u, b};
    else
        list = {b + o + l, b + o, b + l, b};
    for (auto& name : list) name = vars_text::ToUpper(name);
    return list;
}

// ---- CSetupProfile ----

bool CSetupProfile::Open(const std::string& main_path, const std::string& string_path,
                         const std::string& message_path, bool convert)
{
    string_path_ = string_path;
    convert_ = convert;
    if (!main_path.empty()) {
        main_.Reload(main_path.c_str(), string_path.c_str());
        main_path_ = main_path;
        main_loaded_ = true;
    }
    if (!message_path.empty()) {
        messages_.Reload(message_path.c_str(), string_path.c_str());
        message_path_ = message_path;
        message_loaded_ = true;
    }
    return main_loaded_;
}

bool CSetupProfile::ReloadMain(const std::string& path)
{
    main_.Reload(path.c_str(), string_path_.c_str());
    return true;
}

bool CSetupProfile::ReloadMessages(const std::string& path)
{
    messages_.Reload(path.c_str(), string_path_.c_str());
    message_path_ = path;
    message_loaded_ = true;
    return true;
}

std::string CSetupProfile::SubstituteMessages(const std::string& input) const
{
    if (!message_loaded_) return input;
    std::string text = input;
    size_t pos = 0;
    for (;;) {
        size_t a = text.find('@', pos);
        if (a == std::string::npos) break;
        size_t b = text.find('@', a + 1);
        if (b == std::string::npos) break;
        const std::string key = text.substr(a + 1, b - a - 1);
        std::string message;
        if (!key.empty() && messages_.GetString("MESSAGES", key.c_str(), message, true, kSetupValueBuffer) == kProfileOk) {
            // Occurrences from here on; what lies before was scanned already.
            const std::string reference = "@" + key + "@";
            std::string rest = text.substr(a);
            vars_text::ReplaceAll(rest, reference, message);
            text.resize(a);
            text += rest;
            pos = a + message.size();  // message texts are not scanned again
        } else {
            pos = b + 1;
        }
        if (text.size() >= kSetupValueBuffer) {
            CutToBuffer(text, kSetupValueBuffer);
            if (pos > text.size()) break;
        }
    }
    return text;
}

std::string CSetupProfile::Substitute(std::string text, bool expand, uint16_t lang_id, const std::string& abbr,
                                      const std::string& lang_dir) const
{
    text = SubstituteMessages(text);
    if (expand && context_ && !context_->RemoteInstallOption()) {
        text = context_->ExpandMacros(text, lang_id, abbr, lang_dir);
        CutToBuffer(text, kSetupValueBuffer);
    }
    return text;
}

bool CSetupProfile::Read(const std::string& section, const std::string& key, std::string& out, bool expand,
                         uint16_t lang_id, const std::string& abbr, const std::string& lang_dir) const
{
    if (!main_loaded_) return false;
    std::string value;
    if (main_.GetString(section.c_str(), key.c_str(), value, convert_, kSetupValueBuffer) != kProfileOk) return false;
    CutToBuffer(value, kSetupValueBuffer);
    out = Substitute(value, expand, lang_id, abbr, lang_dir);
    return true;
}

bool CSetupProfile::ReadNumber(const std::string& section, const std::string& key, uint32_t* number) const
{
    return main_loaded_ && main_.GetDword(section.c_str(), key.c_str(), number) == kProfileOk;
}

bool CSetupProfile::ReadSize(const std::string& section, const std::string& key, ProfileSize* size) const
{
    return main_loaded_ && main_.GetControl(section.c_str(), key.c_str(), size) == kProfileOk;
}

bool CSetupProfile::ReadPoint(const std::string& section, const std::string& key, ProfilePoint* point) const
{
    return main_loaded_ && main_.GetControl(section.c_str(), key.c_str(), point) == kProfileOk;
}

bool CSetupProfile::ReadColor(const std::string& section, const std::string& key, ProfileColor* color) const
{
    return main_loaded_ && main_.GetControl(section.c_str(), key.c_str(), color) == kProfileOk;
}

bool CSetupProfile::ReadRect(const std::string& section, const std::string& key, ProfileRect* rect) const
{
    return main_loaded_ && main_.GetControl(section.c_str(), key.c_str(), rect) == kProfileOk;
}

bool CSetupProfile::ReadSection(const std::string& section, std::vector<std::string>& entries, bool expand,
                                uint16_t lang_id, const std::string& abbr, const std::string& lang_dir) const
{
    if (!main_loaded_) return false;
    std::string buffer(kSetupValueBuffer, '\0');
    if (main_.GetAllKey(section.c_str(), &buffer[0], buffer.size(), false) != kProfileOk) return false;
    entries.clear();
    if (context_ && context_->RemoteInstallOption()) return true;

    size_t used = 1;  // the list's closing NUL
    for (size_t pos = 0; pos < buffer.size() && buffer[pos] != '\0';) {
        const std::string raw(buffer.c_str() + pos);
        pos += raw.size() + 1;
        std::string entry = Substitute(raw, expand, lang_id, abbr, lang_dir);
        if (used + entry.size() + 1 > kSetupValueBuffer) break;
        used += entry.size() + 1;
        entries.push_back(std::move(entry));
    }
    return true;
}

bool CSetupProfile::SectionExists(const std::string& name) const
{
    if (!main_loaded_ || name.empty()) return false;
    for (const SECTION_LIST* s = main_.Main().First(); s; s = s->next)
        if (ProfileNameEquals(s->name, name)) return true;
    return false;
}

bool CSetupProfile::FindSectionVariant(const std::string& base, std::string& found) const
{
    if (base.empty()) return false;
    const std::string os = context_ ? context_->OsDefineString() : std::string();
    const std::string lang = context_ ? context_->CurrentLanguageAbbr() : std::string();
    const bool network = context_ && context_->NetworkOption();
    const bool usb = context_ && context_->UsbOnlyOption();
    for (const auto& candidate : SectionVariantCandidates(base, os, lang, network, usb)) {
        if (SectionExists(candidate)) {
            found = candidate;
            return true;
        }
    }
    return false;
}

// ---- CProfileSet ----

namespace {

constexpr const char* kFileInfo = "INSTALLER_FILE_INFO";

std::string NameAfterLastBackslash(const std::string& path)
{
    size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

std::string CProfileSet::ConfigFileName(const std::string& abbr) const
{
    std::string name;
    if (data_.Read(kFileInfo, "CONFIGURE_FILE." + abbr, name)) return name;
    if (data_.Read(kFileInfo, "CONFIGURE_FILE", name)) return name;
    return ".\\data\\qvinst.qvi";
}

void CProfileSet::SetStringFile(const std::string& path)
{
    string_file_ = path;
    string_file_name_ = NameAfterLastBackslash(path);
}

bool CProfileSet::Open(const std::string& data_file, const IProfileSetHost& host, const IProfileContext* context,
                       ILogSink& log)
{
    host_ = &host;
    log_ = &log;
    for (CSetupProfile* p : {&data_, &config_, &command_, &strings_}) p->SetContext(context);

    if (!host.FileExists(data_file)) return false;
    data_file_ = data_file;
    if (!data_.Open(data_file, data_file, "", false)) return false;

    const std::string abbr = context ? context->CurrentLanguageAbbr() : std::string("EN");
    config_file_ = host.ResolvePath(ConfigFileName(abbr), true);
    if (config_file_.empty() || !config_.Open(config_file_, data_file, "", false)) return false;

    std::string command;
    if (!data_.Read(kFileInfo, "COMMAND_FILE", command)) command = ".\\data\\qvinst.cmd";
    command_file_ = host.ResolvePath(command, true);
    if (command_file_.empty() || !command_.Open(command_file_, data_file, "", false)) return false;

    if (!data_.Read(kFileInfo, "STRING_FILE_FORMAT", string_format_)) string_format_ = ".\\data\\String\\Lang_%s.str";
    // The first string file is taken relative to the current directory (the source
    // directory by then); SetLanguageFiles resolves it properly.
    SetStringFile(vars_text::FormatOneString(string_format_, "EN"));
    if (!strings_.Open(string_file_, data_file, string_file_, true)) return false;

    std::string setting;
    if (!data_.Read(kFileInfo, "SETTING_FILE", setting)) setting = ".\\Config.ini";
    setting_file_ = host.ResolvePath(setting, true);  // a missing setting file is no failure
    return true;
}

bool CProfileSet::SetLanguageFiles(const std::string& abbr)
{
    if (!host_ || !log_) return false;
    std::string path = host_->ResolvePath(vars_text::FormatOneString(string_format_, abbr), false);
    if (!host_->FileExists(path))
        path = host_->ResolvePath(vars_text::FormatOneString(string_format_, LanguageAbbrOf(data_, 9)), false);
    SetStringFile(path);

    const std::string config = host_->ResolvePath(ConfigFileName(abbr), true);
    if (!config.empty()) {
        config_file_ = config;
        config_.ReloadMain(config);
    }

    command_.ReloadMessages(string_file_);
    config_.ReloadMessages(string_file_);
    data_.ReloadMessages(string_file_);
    strings_.ReloadMain(string_file_);
    strings_.ReloadMessages(string_file_);

    log_->Write("Set Language : String file\t\t= %s", string_file_name_.c_str());
    log_->Write("Set Language : Configure file\t\t= %s", config_file_.c_str());
    return true;
}
