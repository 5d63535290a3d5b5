#include "config/options.h"

#include "config/os_class.h"
#include "config/setup_profile.h"

#include <string>

namespace {

enum class WhenMissing { Off, On, Unchanged };

struct OptionKey {
    const char* key;
    bool COptions::*flag;
    WhenMissing missing;
    const char* on_text;
    const char* off_text;
};

}  // namespace

bool COptions::ReadOptions(const CSetupProfile& data, int os_class, ILogSink& log)
{
    std::string variant;
    if (!data.FindSectionVariant("OPTION", variant)) {
        log.Write("Get Option fail");
        variant.clear();
    }
    auto read = [&](const char* key, uint32_t* value) {
        return (!variant.empty() && data.ReadNumber(variant, key, value)) || data.ReadNumber("OPTION", key, value);
    };

    static const OptionKey keys[] = {
        {"USB_ONLY", &COptions::usb_only_, WhenMissing::Off, "USB ONLY Option is ON", "USB ONLY Option is OFF"},
        {"NETWORK", &COptions::network_, WhenMissing::Off, "NETWORK Option is ON", "NETWORK Option is OFF"},
        {"WIRELESS", &COptions::wireless_, WhenMissing::Off, "WIRELESS Option is ON", "WIRELESS Option is OFF"},
        {"DEVICE_INSTALL", &COptions::device_install_, WhenMissing::Unchanged, "INSTALL DEVICE Option is ON",
         "INSTALL DEVICE Option is OFF"},
        {"SHOW_INST_ERROR", &COptions::show_inst_error_, WhenMissing::Unchanged, "SHOW INSTALL ERROR Option is ON",
         "SHOW INSTALL ERROR Option is OFF"},
        {"RIGHT_ALIGN", &COptions::right_align_, WhenMissing::Off, "RIGHT ALIGN Option is ON",
         "RIGHT ALIGN Option is OFF"},
        {"PRECREATE_DLG", &COptions::precreate_dlg_, WhenMissing::Unchanged, "PRECREATE DIALOG option is ON",
         "PRECREATE DIALOG option is OFF"},
        {"MAIN_ONLY", &COptions::main_only_, WhenMissing::Unchanged, "JUST MAIN option is ON",
         "JUST MAIN option is OFF"},
        {"SET_SOURCE_PATH", &COptions::set_source_path_, WhenMissing::Unchanged, "SET SOURCE PATH option is ON",
         "SET SOURCE PATH option is OFF"},
        {"USE_PUBLIC_OID", &COptions::use_public_oid_, WhenMissing::Unchanged, "USE PUBLIC OID option is ON",
         "USE PUBLIC OID option is OFF"},
        {"USE_IPX", &COptions::use_ipx_, WhenMissing::Unchanged, "USE IPX option is ON", "USE IPX option is OFF"},
        {"STOP_FIREWALL", &COptions::stop_firewall_, WhenMissing::Unchanged, "Stop Firewall option is ON",
         "Stop Firewall option is OFF"},
        {"AGFA", &COptions::agfa_, WhenMissing::Unchanged, "AGFA option is ON", "AGFA option is OFF"},
        {"MAINTENANCE_ON", &COptions::maintenance_on_, WhenMissing::On, "MAINTENANCE Option is ON",
         "MAINTENANCE Option is OFF"},
    };

    for (const OptionKey& k : keys) {
        bool& flag = this->*k.flag;
        const std::string key = k.key;
        uint32_t value = 0;
        bool present = false;
        // The layout of Windows 95 and NT 3/4 cannot mirror: the key is not even read there.
        const bool rtl_unsupported = key == "RIGHT_ALIGN" && (os_class == kOsWin95 || os_class == kOsWin95Osr2 ||
                                                             os_class == kOsNt3 || os_class == kOsNt4);
        if (!rtl_unsupported) present = read(k.key, &value);

        if (present) {
            flag = value != 0;
            if (key == "AGFA") agfa_given_ = true;
        } else if (k.missing == WhenMissing::Unchanged) {
            continue;  // no log line
        } else {
            flag = k.missing == WhenMissing::On;
        }
        log.Write("%s", flag ? k.on_text : k.off_text);
    }

    uint32_t size = 0;
    if (read("COMMUNITY_SIZE", &size) && size != 0) community_size_ = size;
    log.Write("Community Name size = %d", int(community_size_));
    return true;
}
