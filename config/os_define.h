#pragma once
// The OS define string: the name the configuration uses for the running Windows, looked up
// in section OS_DEFINE by a platform key formed from the version; and the driver folder
// names per OS class.
#include "config/log_sink.h"
#include "config/os_class.h"

#include <functional>
#include <string>
#include <vector>

// Looks a key up in OS_DEFINE (the value read with macro expansion); false when missing.
using OsDefineLookup = std::function<bool(const std::string& key, std::string& value)>;

// "0X%04X%02X%02X" of platform id, major and minor version.
std::string OsPlatformKey(uint32_t platform_id, uint32_t major, uint32_t minor);

// Finds the OS define string for the version; on failure `define` is empty. Logs
// "Get OS Version fail" when the version is unreadable and the lines of the downward search.
bool DetectOsDefine(const OsVersionInfo& version, const OsDefineLookup& lookup, ILogSink& log,
                    std::string& define);

// The driver search's folder names for an OS class, tried in order (at most six). On a
// 64-bit system only the 64-bit lists count.
std::vector<std::string> OsFolderNames(int os_class, bool is64);
