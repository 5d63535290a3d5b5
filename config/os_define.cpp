#include "config/os_define.h"

#include <cstdio>

std::string OsPlatformKey(uint32_t platform_id, uint32_t major, uint32_t minor)
{
    char buf[32];
    snprintf(buf, sizeof buf, "0X%04X%02X%02X", unsigned(platform_id & 0xFFFF), unsigned(major & 0xFF),
             unsigned(minor & 0xFF));
    return buf;
}

namespace {

// The product-type suffixes tried after `key`: workstation .PRO; domain controller .DOM then
// .SER; any other type .SER. Nothing when the type is unknown.
std::vector<std::string> ProductTypeKeys(const OsVersionInfo& v, const std::string& key)
{
    if (!v.ProductTypeKnown()) return {};
    if (v.product_type == kNtWorkstation) return {key + ".PRO"};
    if (v.product_type == kNtDomainController) return {key + ".DOM", key + ".SER"};
    return {key + ".SER"};
}

}  // namespace

bool DetectOsDefine(const OsVersionInfo& v, const OsDefineLookup& lookup, ILogSink& log, std::string& define)
{
    define.clear();
    if (!v.Readable()) {
        log.WriteError(v.error, "Get OS Version fail");
        return false;
    }
    auto found = [&](const std::string& key) { return lookup(key, define); };

    std::string key = OsPlatformKey(v.platform_id, v.major, v.minor);

    if (v.is64) {
        if (found(key + ".64")) return true;
        for (const auto& k : ProductTypeKeys(v, key + ".64"))
            if (found(k)) return true;
    }

    if (v.platform_id == kPlatformWindows && v.major == 4 && v.minor == 10 && IsWindowsMe(v))
        key = OsPlatformKey(kPlatformWindows, 4, 90);

    if (found(key)) return true;
    define.clear();
    if (v.platform_id != kPlatformNt) return false;

    log.Write("OS Define not found, so installer finds Lastest Version OS Define");
    log.Write("OS Major Version [0x%04x] , minor version [0x%04x], 64bit [%d]", unsigned(v.major),
              unsigned(v.minor), v.is64 ? 1 : 0);
    bool first_pass = true;
    for (int major = int(v.major); major >= 4; --major, first_pass = false) {
        for (int minor = first_pass ? int(v.minor) : 5; minor >= 0; --minor) {
            std::string q = OsPlatformKey(v.platform_id, uint32_t(major), uint32_t(minor));
            if (v.is64) q += ".64";
            std::vector<std::string> tries = ProductTypeKeys(v, q);
            tries.push_back(q);
            for (const auto& k : tries) {
                log.Write("Find Define ==> (%s)", k.c_str());
                if (found(k)) {
                    log.Write("OS String was found ==> [%s]", define.c_str());
                    return true;
                }
            }
        }
    }
    define.clear();
    return false;
}

std::vector<std::string> OsFolderNames(int os_class, bool is64)
{
    switch (os_class) {
    case kOsWin95:
    case kOsWin95Osr2:
        if (!is64) return {"WIN98ME", "WIN9X", "WIN95"};
        break;
    case kOsWin98:
    case kOsWin98Se:
        if (!is64) return {"WIN98ME", "WIN9X", "WIN98"};
        break;
    case kOsWinMe:
        if (!is64) return {"WIN98ME", "WIN9X", "WINME"};
        break;
    case kOsNt4:
        if (!is64) return {"WINNT", "WINNT40"};
        break;
    case kOsWin2000:
        if (!is64) return {"WinXP_2000_VISTA_32", "WinXP_2000_VISTA", "WINXP2K", "WIN2KXP", "WIN2000"};
        break;
    case kOsWinXp:
    case kOsServer2003:
        if (is64) return {"WinXP_VISTA_64", "WINXP_64", "WinXP_VISTA", "WINXP"};
        return {"WinXP_2000_VISTA_32", "WinXP_2000_VISTA", "WINXP2K", "WIN2KXP", "WINXP"};
    case kOsVista:
    case kOsServer2008:
        if (is64) return {"WinXP_VISTA_64", "VISTA_64", "VISTA"};
        return {"VISTA", "WinXP_2000_VISTA_32", "WinXP_2000_VISTA"};
    default:
        break;
    }
    return {};
}
