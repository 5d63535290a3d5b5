#include "config/os_class.h"

#include "config/vars_text.h"

bool ClassifyOs(const OsVersionInfo& v, OsClassification& out)
{
    out = OsClassification();
    if (!v.Readable()) return false;
    const uint8_t product_type = v.ProductTypeKnown() ? v.product_type : 0;
    const std::string csd = vars_text::ToUpper(v.csd);

    switch (v.platform_id) {
    case kPlatformWin32s:
        out = {kOsWin32s, kFamilyWin32s};
        break;
    case kPlatformWindows:
        out.family = kFamilyWin9x;
        if (v.minor == 0)
            out.os_class = (csd == "B" || csd == "C") ? kOsWin95Osr2 : kOsWin95;
        else if (v.minor == 10)
            out.os_class = (csd == "A") ? kOsWin98Se : kOsWin98;
        else if (v.minor == 90)
            out.os_class = kOsWinMe;
        else
            out.os_class = kOsWin9xOther;
        break;
    case kPlatformNt:
        if (v.major == 3) {
            out = {kOsNt3, kFamilyNt4};
        } else if (v.major == 4) {
            out = {kOsNt4, kFamilyNt4};
        } else if (v.major == 5) {
            out.family = kFamilyNt5;
            if (v.minor == 0)
                out.os_class = kOsWin2000;
            else if (v.minor == 2)
                // XP 64-bit reports 5.2 like Server 2003; only a workstation on 64-bit
                // Windows, seen through the extended structure, counts as XP.
                out.os_class = (v.ok_ex && v.is64 && product_type == kNtWorkstation) ? kOsWinXp : kOsServer2003;
            else
                out.os_class = kOsWinXp;
        } else if (v.major == 6) {
            out.family = kFamilyNt5;
            out.os_class = product_type == kNtWorkstation ? kOsVista : kOsServer2008;
        } else {
            out = {kOsWin2000, kFamilyNt5};
        }
        break;
    default:
        break;
    }
    return true;
}

bool IsWindowsMe(const OsVersionInfo& v)
{
    return v.version_number.find("4.90.") != std::string::npos;
}
