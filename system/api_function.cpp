#include "system/api_function.h"

namespace {

template <typename Fn>
void resolve(const unique_hmodule& module, const char* name, Fn& out)
{
    out = module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module.get(), name))) : nullptr;
}

}  // namespace

CAPIFunction::CAPIFunction(ILogSink& trace, Binding binding) : trace_(trace)
{
    if (binding == Binding::None) return;
    kernel32_.reset(::LoadLibraryA("Kernel32.dll"));
    user32_.reset(::LoadLibraryA("User32.dll"));
    msimg32_.reset(::LoadLibraryA("Msimg32.dll"));
    setupapi_.reset(::LoadLibraryA("SetupAPI.dll"));
    advapi32_.reset(::LoadLibraryA("ADVAPI32.dll"));

    resolve(kernel32_, "MoveFileExA", move_file_ex_);
    resolve(user32_, "RegisterDeviceNotificationA", register_device_notification_);
    resolve(user32_, "UnregisterDeviceNotification", unregister_device_notification_);
    resolve(msimg32_, "GradientFill", gradient_fill_);
    resolve(setupapi_, "CMP_WaitNoPendingInstallEvents", wait_no_pending_);
    resolve(advapi32_, "InitializeSecurityDescriptor", initialize_security_descriptor_);
    resolve(advapi32_, "AllocateAndInitializeSid", allocate_and_initialize_sid_);
    resolve(advapi32_, "InitializeAcl", initialize_acl_);
    resolve(advapi32_, "AddAccessAllowedObjectAce", add_access_allowed_object_ace_);
    resolve(advapi32_, "SetSecurityDescriptorDacl", set_security_descriptor_dacl_);
    resolve(advapi32_, "SetSecurityDescriptorControl", set_security_descriptor_control_);
    resolve(advapi32_, "FreeSid", free_sid_);
}

void CAPIFunction::Unavailable(const char* name) const { trace_.Write("GetProcAddress (%s) fail!!", name); }

BOOL CAPIFunction::MoveFileExA(LPCSTR existing, LPCSTR new_name, DWORD flags) const
{
    if (!move_file_ex_) {
        Unavailable("MoveFileEx");
        return FALSE;
    }
    return move_file_ex_(existing, new_name, flags);
}

HDEVNOTIFY CAPIFunction::RegisterDeviceNotificationA(HANDLE recipient, LPVOID filter, DWORD flags) const
{
    if (!register_device_notification_) {
        Unavailable("RegisterDeviceNotification");
        return nullptr;
    }
    return register_device_notification_(recipient, filter, flags);
}

BOOL CAPIFunction::UnregisterDeviceNotification(HDEVNOTIFY notification) const
{
    if (!unregister_device_notification_) {
        Unavailable("UnregisterDeviceNotification");
        return FALSE;
    }
    return unregister_device_notification_(notification);
}

BOOL CAPIFunction::GradientFill(HDC dc, PTRIVERTEX vertices, ULONG vertex_count, PVOID mesh, ULONG mesh_count,
                                ULONG mode) const
{
    if (!gradient_fill_) {
        Unavailable("GradientFill");
        return FALSE;
    }
    return gradient_fill_(dc, vertices, vertex_count, mesh, mesh_count, mode);
}

DWORD CAPIFunction::CMP_WaitNoPendingInstallEvents(DWORD timeout) const
{
    if (!wait_no_pending_) {
        Unavailable("CMP_WaitNoPendingInstallEvents");
        return static_cast<DWORD>(-1);
    }
    return wait_no_pending_(timeout);
}

BOOL CAPIFunction::InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision) const
{
    if (!initialize_security_descriptor_) {
        Unavailable("InitializeSecurityDescriptor");
        return FALSE;
    }
    return initialize_security_descriptor_(descriptor, revision);
}

BOOL CAPIFunction::AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD a0, DWORD a1,
                                            DWORD a2, DWORD a3, DWORD a4, DWORD a5, DWORD a6, DWORD a7,
                                            PSID* sid) const
{
    if (!allocate_and_initialize_sid_) {
        Unavailable("AllocateAndInitializeSid");
        return FALSE;
    }
    return allocate_and_initialize_sid_(authority, count, a0, a1, a2, a3, a4, a5, a6, a7, sid);
}

BOOL CAPIFunction::InitializeAcl(PACL acl, DWORD size, DWORD revision) const
{
    if (!initialize_acl_) {
        Unavailable("InitializeAcl");
        return FALSE;
    }
    return initialize_acl_(acl, size, revision);
}

BOOL CAPIFunction::AddAccessAllowedObjectAce(PACL acl, DWORD revision, DWORD ace_flags, DWORD mask,
                                             GUID* object_type, GUID* inherited_object_type, PSID sid) const
{
    if (!add_access_allowed_object_ace_) {
        Unavailable("AddAccessAllowedObjectAce");
        return FALSE;
    }
    return add_access_allowed_object_ace_(acl, revision, ace_flags, mask, object_type, inherited_object_type, sid);
}

BOOL CAPIFunction::SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL present, PACL acl,
                                             BOOL defaulted) const
{
    if (!set_security_descriptor_dacl_) {
        Unavailable("SetSecurityDescriptorDacl");
        return FALSE;
    }
    return set_security_descriptor_dacl_(descriptor, present, acl, defaulted);
}

BOOL CAPIFunction::SetSecurityDescriptorControl(PSECURITY_DESCRIPTOR descriptor, SECURITY_DESCRIPTOR_CONTROL mask,
                                                SECURITY_DESCRIPTOR_CONTROL bits) const
{
    if (!set_security_descriptor_control_) {
        Unavailable("SetSecurityDescriptorControl");
        return FALSE;
    }
    return set_security_descriptor_control_(descriptor, mask, bits);
}

PVOID CAPIFunction::FreeSid(PSID sid) const
{
    if (!free_sid_) {
        Unavailable("FreeSid");
        return nullptr;
    }
    return free_sid_(sid);
}

bool CAPIFunction::HasSecurityFunctions() const
{
    return initialize_security_descriptor_ && allocate_and_initialize_sid_ && initialize_acl_ &&
           add_access_allowed_object_ace_ && set_security_descriptor_dacl_ && set_security_descriptor_control_ &&
           free_sid_;
}
