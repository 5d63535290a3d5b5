#pragma once
// The one gateway to the Windows registry. Every operation returns a Win32 status code.
#include <windows.h>

class CRegistry {
public:
    CRegistry() = default;
    CRegistry(const CRegistry&) {}
    CRegistry& operator=(const CRegistry&) { return *this; }
    virtual ~CRegistry() = default;

    static constexpr unsigned long kNoSizeCheck = 0xFFFFFFFF;

    static unsigned long GetValue(const char* sub_key, const char* name, char* buffer, HKEY root = HKEY_LOCAL_MACHINE,
                                  unsigned long size = kNoSizeCheck);
    static unsigned long GetValue(const char* sub_key, const char* name, unsigned long* number, HKEY root = HKEY_LOCAL_MACHINE);
    static unsigned long SetValue(const char* sub_key, const char* name, const char* text, HKEY root = HKEY_LOCAL_MACHINE);
    static unsigned long SetValue(const char* sub_key, const char* name, unsigned long number, HKEY root = HKEY_LOCAL_MACHINE);
    static unsigned long DeleteValue(const char* sub_key, const char* name, HKEY root = HKEY_LOCAL_MACHINE);
    static unsigned long DeleteKey(const char* sub_key, bool this_key_only = false, HKEY root = HKEY_LOCAL_MACHINE);
    static unsigned long CopyKey(const char* source, const char* destination, bool recursive = true,
                                 HKEY source_root = HKEY_LOCAL_MACHINE, HKEY destination_root = HKEY_LOCAL_MACHINE);
    static unsigned long SaveToFile(const char* sub_key, const char* path, HKEY root = HKEY_LOCAL_MACHINE);
    static unsigned long LoadFromFile(const char* path);

protected:
    static unsigned long DeleteSubKey(const char* sub_key, HKEY root);
    static unsigned long DeleteEmptyParent(const char* sub_key, HKEY root);
    static unsigned long SetDaclPermission(const char* sub_key, HKEY root);
    static unsigned long CopyValue(HKEY source, unsigned long value_count, const char* destination, HKEY destination_root);
};
