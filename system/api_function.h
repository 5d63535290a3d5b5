#pragma once
// System operations bound at run time, so that one program runs on systems that lack some of
// them. Each wrapper returns the operation's own result, or its "unavailable" value (and
// traces "GetProcAddress (<name>) fail!!") when the library or entry is missing.
#include "platform/unique_handle.h"
#include "system/trace.h"

#include <windows.h>

class CAPIFunction {
public:
    enum class Binding { Load, None };  // None: bind nothing (every operation unavailable)

    explicit CAPIFunction(ILogSink& trace = NullTrace(), Binding binding = Binding::Load);
    CAPIFunction(const CAPIFunction&) = delete;
    CAPIFunction& operator=(const CAPIFunction&) = delete;
    ~CAPIFunction() = default;  // the library owners release what was loaded

    // Kernel32.dll; unavailable: FALSE.
    BOOL MoveFileExA(LPCSTR existing, LPCSTR new_name, DWORD flags) const;
    // User32.dll; unavailable: no handle / FALSE.
    HDEVNOTIFY RegisterDeviceNotificationA(HANDLE recipient, LPVOID filter, DWORD flags) const;
    BOOL UnregisterDeviceNotification(HDEVNOTIFY notification) const;
    // Msimg32.dll; unavailable: FALSE.
    BOOL GradientFill(HDC dc, PTRIVERTEX vertices, ULONG vertex_count, PVOID mesh, ULONG mesh_count,
                      ULONG mode) const;
    // SetupAPI.dll; unavailable: (DWORD)-1.
    DWORD CMP_WaitNoPendingInstallEvents(DWORD timeout) const;
    // ADVAPI32.dll; unavailable: FALSE (FreeSid: null).
    BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision) const;
    BOOL AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD a0, DWORD a1, DWORD a2,
                                  DWORD a3, DWORD a4, DWORD a5, DWORD a6, DWORD a7, PSID* sid) const;
    BOOL InitializeAcl(PACL acl, DWORD size, DWORD revision) const;
    BOOL AddAccessAllowedObjectAce(PACL acl, DWORD revision, DWORD ace_flags, DWORD mask, GUID* object_type,
                                   GUID* inherited_object_type, PSID sid) const;
    BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL present, PACL acl, BOOL defaulted) const;
    BOOL SetSecurityDescriptorControl(PSECURITY_DESCRIPTOR descriptor, SECURITY_DESCRIPTOR_CONTROL mask,
                                      SECURITY_DESCRIPTOR_CONTROL bits) const;
    PVOID FreeSid(PSID sid) const;

    // Every security operation above was resolved.
    bool HasSecurityFunctions() const;

private:
    using MoveFileExFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);
    using RegisterDeviceNotificationFn = HDEVNOTIFY(WINAPI*)(HANDLE, LPVOID, DWORD);
    using UnregisterDeviceNotificationFn = BOOL(WINAPI*)(HDEVNOTIFY);
    using GradientFillFn = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);
    using WaitNoPendingFn = DWORD(WINAPI*)(DWORD);
    using InitializeSecurityDescriptorFn = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, DWORD);
    using AllocateAndInitializeSidFn = BOOL(WINAPI*)(PSID_IDENTIFIER_AUTHORITY, BYTE, DWORD, DWORD, DWORD, DWORD,
                                                     DWORD, DWORD, DWORD, DWORD, PSID*);
    using InitializeAclFn = BOOL(WINAPI*)(PACL, DWORD, DWORD);
    using AddAccessAllowedObjectAceFn = BOOL(WINAPI*)(PACL, DWORD, DWORD, DWORD, GUID*, GUID*, PSID);
    using SetSecurityDescriptorDaclFn = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, BOOL, PACL, BOOL);
    using SetSecurityDescriptorControlFn = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR_CONTROL,
                                                         SECURITY_DESCRIPTOR_CONTROL);
    using FreeSidFn = PVOID(WINAPI*)(PSID);

    void Unavailable(const char* name) const;

    ILogSink& trace_;
    unique_hmodule kernel32_, user32_, msimg32_, setupapi_, advapi32_;

    MoveFileExFn move_file_ex_ = nullptr;
    RegisterDeviceNotificationFn register_device_notification_ = nullptr;
    UnregisterDeviceNotificationFn unregister_device_notification_ = nullptr;
    GradientFillFn gradient_fill_ = nullptr;
    WaitNoPendingFn wait_no_pending_ = nullptr;
    InitializeSecurityDescriptorFn initialize_security_descriptor_ = nullptr;
    AllocateAndInitializeSidFn allocate_and_initialize_sid_ = nullptr;
    InitializeAclFn initialize_acl_ = nullptr;
    AddAccessAllowedObjectAceFn add_access_allowed_object_ace_ = nullptr;
    SetSecurityDescriptorDaclFn set_security_descriptor_dacl_ = nullptr;
    SetSecurityDescriptorControlFn set_security_descriptor_control_ = nullptr;
    FreeSidFn free_sid_ = nullptr;
};
