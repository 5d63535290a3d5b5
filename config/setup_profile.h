#pragma once
// Setup profiles: a main file and a message file read together, with @KEY@ message
// substitution, $NAME$ macro expansion and the best-variant section search; and the set of
// the four profiles (data, configuration, command, string) the installer reads.
#include "config/log_sink.h"
#include "config/profile.h"

#include <cstdint>
#include <string>
#include <vector>

// A value read through a setup profile is worked on in a 16 KiB buffer (NUL included).
constexpr size_t kSetupValueBuffer = 16384;
constexpr size_t kSectionListBuffer = 16384;

// What a profile needs from the installer variables: the macro expander, the remote-install
// option, and the parts of a section variant. CInstallerVars implements it.
class IProfileContext {
public:
    virtual ~IProfileContext() = default;
    // An empty or zero override means the current value.
    virtual std::string ExpandMacros(const std::string& text, uint16_t lang_id, const std::string& abbr,
                                     const std::string& lang_dir) const = 0;
    virtual bool RemoteInstallOption() const = 0;
    virtual bool NetworkOption() const = 0;
    virtual bool UsbOnlyOption() const = 0;
    virtual std::string OsDefineString() const = 0;
    virtual std::string CurrentLanguageAbbr() const = 0;
};

// The variant names of `base` in the order they are tried, upper-cased:
// base.OS.LANG[.NETWORK][.USB] down to base.
std::vector<std::string> SectionVariantCandidates(const std::string& base, const std::string& os,
                                                  const std::string& lang, bool network, bool usb_only);

class CSetupProfile {
public:
    CSetupProfile() = default;
    CSetupProfile(const CSetupProfile&) = delete;
    CSetupProfile& operator=(const CSetupProfile&) = delete;

    void SetContext(const IProfileContext* context) { context_ = context; }

    // Loads the main file when its path is not empty (and then sets the main-loaded flag),
    // the message file when its path is not empty; both get `string_path` for %NAME%.
    // Returns the main-loaded flag.
    bool Open(const std::string& main_path, const std::string& string_path, const std::string& message_path,
              bool convert);

    // First occurrence of key in section, %NAME% expanded, @KEY@ substituted from MESSAGES of
    // the message file and, with `expand`, macro-expanded (not while remote install is on).
    // False when the main file is not loaded or the key is missing; `out` is then untouched.
    // The result is cut to the 16 KiB buffer.
    bool Read(const std::string& section, const std::string& key, std::string& out, bool expand = true,
              uint16_t lang_id = 0, const std::string& abbr = std::string(),
              const std::string& lang_dir = std::string()) const;

    // Raw values, no substitution.
    bool ReadNumber(const std::string& section, const std::string& key, uint32_t* number) const;
    bool ReadSize(const std::string& section, const std::string& key, ProfileSize* size) const;
    bool ReadPoint(const std::string& section, const std::string& key, ProfilePoint* point) const;
    bool ReadColor(const std::string& section, const std::string& key, ProfileColor* color) const;
    bool ReadRect(const std::string& section, const std::string& key, ProfileRect* rect) const;

    // Every line of the section as "key = value" (or the key alone), substituted as Read does.
    // While remote install is on it succeeds with no entries. Entries that would overflow the
    // 16 KiB buffer are left off.
    bool ReadSection(const std::string& section, std::vector<std::string>& entries, bool expand = true,
                     uint16_t lang_id = 0, const std::string& abbr = std::string(),
                     const std::string& lang_dir = std::string()) const;

    bool ReloadMain(const std::string& path);
    bool ReloadMessages(const std::string& path);

    bool SectionExists(const std::string& name) const;
    // The first existing candidate of SectionVariantCandidates, upper-cased.
    bool FindSectionVariant(const std::string& base, std::string& found) const;

    // @KEY@ substitution alone (nothing happens without a message file).
    std::string SubstituteMessages(const std::string& text) const;

    bool IsLoaded() const { return main_loaded_; }
    bool MessagesLoaded() const { return message_loaded_; }
    bool Convert() const { return convert_; }
    const std::string& MainPath() const { return main_path_; }
    const std::string& MessagePath() const { return message_path_; }
    const std::string& StringPath() const { return string_path_; }
    CProfile& Main() { return main_; }
    const CProfile& Main() const { return main_; }
    const CProfile& Messages() const { return messages_; }

private:
    std::string Substitute(std::string text, bool expand, uint16_t lang_id, const std::string& abbr,
                           const std::string& lang_dir) const;

    CProfile main_;
    CProfile messages_;
    std::string main_path_;
    std::string message_path_;
    std::string string_path_;
    bool main_loaded_ = false;
    bool message_loaded_ = false;
    bool convert_ = false;
    const IProfileContext* context_ = nullptr;
};

// Path services the profile set needs from the installer variables.
class IProfileSetHost {
public:
    virtual ~IProfileSetHost() = default;
    // Absolute path of a configured name; with `check`, empty (and logged) when it names no file.
    virtual std::string ResolvePath(const std::string& text, bool check) const = 0;
    virtual bool FileExists(const std::string& path) const = 0;
};

class CProfileSet {
public:
    CProfileSet() = default;
    CProfileSet(const CProfileSet&) = delete;
    CProfileSet& operator=(const CProfileSet&) = delete;

    // Opens the four profiles; false when the data, configuration or command file is missing.
    // The host, context and log are kept for SetLanguageFiles.
    bool Open(const std::string& data_file, const IProfileSetHost& host, const IProfileContext* context,
              ILogSink& log);

    // Switches the string file (falling back to language id 9's) and the configuration file
    // to the language and reloads. False before Open.
    bool SetLanguageFiles(const std::string& abbr);

    CSetupProfile& Data() { return data_; }
    CSetupProfile& Config() { return config_; }
    CSetupProfile& Command() { return command_; }
    CSetupProfile& Strings() { return strings_; }
    const CSetupProfile& Data() const { return data_; }
    const CSetupProfile& Config() const { return config_; }
    const CSetupProfile& Command() const { return command_; }
    const CSetupProfile& Strings() const { return strings_; }

    const std::string& DataFile() const { return data_file_; }
    const std::string& ConfigFile() const { return config_file_; }
    const std::string& CommandFile() const { return command_file_; }
    const std::string& StringFileFormat() const { return string_format_; }
    const std::string& StringFile() const { return string_file_; }
    const std::string& StringFileName() const { return string_file_name_; }
    const std::string& SettingFile() const { return setting_file_; }

private:
    std::string ConfigFileName(const std::string& abbr) const;
    void SetStringFile(const std::string& path);

    CSetupProfile data_;
    CSetupProfile config_;
    CSetupProfile command_;
    CSetupProfile strings_;
    std::string data_file_;
    std::string config_file_;
    std::string command_file_;
    std::string string_format_;
    std::string string_file_;
    std::string string_file_name_;
    std::string setting_file_;
    const IProfileSetHost* host_ = nullptr;
    ILogSink* log_ = nullptr;
};
