#include "system/registry.h"

#include "config/profile.h"
#include "config/profile_io.h"
#include "platform/unique_handle.h"
#include "system/api_function.h"
#include "system/reg_format.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// Working sizes of the enumerations and reads.
constexpr DWORD kNameSize = 260;
constexpr DWORD kDataSize = 4096;
constexpr size_t kListSize = 4096;

// DeleteEmptyParent's access: read, plus create-sub-key and set-value.
constexpr REGSAM kParentAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;
// The export's access (0x2001F).
constexpr REGSAM kExportAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

bool empty(const char* text) { return !text || !*text; }

struct heap_free {
    void operator()(void* block) const { ::HeapFree(::GetProcessHeap(), 0, block); }
};

// BOOL + GetLastError: a failure never comes back as 0.
DWORD last_error()
{
    DWORD err = ::GetLastError();
    return err ? err : ERROR_GEN_FAILURE;
}

const HKEY kRoots[kRegistryRootCount] = {
    HKEY_CLASSES_ROOT,     HKEY_CURRENT_USER,   HKEY_LOCAL_MACHINE,
    HKEY_PERFORMANCE_DATA, HKEY_CURRENT_CONFIG, HKEY_DYN_DATA,
};

const char* root_name(HKEY root)
{
    for (int i = 0; i < kRegistryRootCount; ++i)
        if (kRoots[i] == root) return kRegistryRootNames[i];
    return nullptr;
}

// A joined path that would not fit the 260-byte path buffers is refused rather than cut:
// a cut path names another key.
bool join(const std::string& parent, const char* child, std::string& out)
{
    out = JoinKeyPath(parent, child);
    return out.size() <= kRegistryPathMax;
}

LONG query_counts(HKEY key, DWORD* sub_keys, DWORD* values)
{
    return ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, sub_keys, nullptr, nullptr, values, nullptr, nullptr,
                              nullptr, nullptr);
}

// One value by index: name in 260 bytes, data in 4096 (kept NUL-terminated for strings
// stored without their terminator).
struct EnumeratedValue {
    char name[kNameSize];
    std::vector<char> data = std::vector<char>(kDataSize + 1, '\0');
    DWORD type = 0;
    DWORD size = 0;
};

LONG enum_value(HKEY key, DWORD index, EnumeratedValue& v)
{
    DWORD name_size = kNameSize;
    v.size = kDataSize;
    std::fill(v.data.begin(), v.data.end(), '\0');
    return ::RegEnumValueA(key, index, v.name, &name_size, nullptr, &v.type, reinterpret_cast<BYTE*>(v.data.data()),
                           &v.size);
}

LONG enum_key(HKEY key, DWORD index, char (&name)[kNameSize])
{
    DWORD size = kNameSize;
    return ::RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
}

// RegDeleteKeyA, and when that is refused, one more try after granting access.
unsigned long delete_one_key(const char* sub_key, HKEY root, unsigned long (*grant)(const char*, HKEY))
{
    LONG rc = ::RegDeleteKeyA(root, sub_key);
    if (rc != ERROR_ACCESS_DENIED) return rc;
    if (grant(sub_key, root) != ERROR_SUCCESS) return ERROR_ACCESS_DENIED;
    return ::RegDeleteKeyA(root, sub_key);
}

// The export of one key into the in-memory list; children follow their parent.
class Exporter {
public:
    Exporter(HKEY root, const char* root_word) : root_(root), root_word_(root_word) {}

    LONG Export(const std::string& sub_key)
    {
        unique_hkey key;
        LONG rc = ::RegOpenKeyExA(root_, sub_key.c_str(), 0, kExportAccess, key.put());
        if (rc != ERROR_SUCCESS) return rc;
        std::string section = std::string(root_word_) + "\\" + sub_key;
        // A name the reader would cut or refuse cannot come back: leave the key out.
        if (section.size() > kSectionNameMax) return ERROR_FILENAME_EXCED_RANGE;
        if (!list_.AddSection(section.c_str())) return ERROR_INVALID_DATA;

        DWORD sub_keys = 0, values = 0;
        rc = query_counts(key.get(), &sub_keys, &values);
        if (rc != ERROR_SUCCESS) return ERROR_SUCCESS;  // the key's section stays, empty
        char name[kNameSize];
        for (DWORD i = 0; i < sub_keys; ++i) {
            if (enum_key(key.get(), i, name) != ERROR_SUCCESS) continue;
            std::string child;
            if (join(sub_key, name, child)) Export(child);  // a failing child is left out
        }

        EnumeratedValue v;
        for (DWORD i = 0; i < values; ++i) {
            if (enum_value(key.get(), i, v) != ERROR_SUCCESS) continue;
            std::string text;
            if (v.type == REG_SZ)
                text = RegStringText(v.data.data());
            else if (v.type == REG_DWORD && v.size >= sizeof(DWORD))
                text = RegDwordText(*reinterpret_cast<const DWORD*>(v.data.data()));
            else if (v.type == REG_BINARY)
                text = RegBinaryText();
            else
                continue;
            std::string key_text = RegNameText(v.name);
            // Lines the reader would cut or stop at would lose this value or the rest of the file.
            if (key_text.size() > kKeyMax || text.size() > kValueMax || key_text.size() + 3 + text.size() > kLineMax)
                continue;
            list_.SetValue(section.c_str(), key_text.c_str(), text.c_str());
        }
        return ERROR_SUCCESS;
    }

    const CSectionList& List() const { return list_; }

private:
    HKEY root_;
    const char* root_word_;
    CSectionList list_;
};

// "key = value" texts of one section as the reader lists them, with %NAME% references
// expanded. The reader's \r and \n conversion is not applied: registry data holds paths
// such as "C:\new", which it would break. 14 when the texts need more than 4096 bytes.
uint32_t section_lines(const CProfile& profile, const SECTION_LIST* section, std::vector<std::string>& lines)
{
    lines.clear();
    if (!section) return kProfileNotFound;
    size_t used = 0;
    for (const LINE_LIST* line = section->first_line; line; line = line->next) {
        std::string entry;
        if (!line->value.empty()) {
            entry = line->key + " = " + line->value;
            profile.ConvertDefinedString(entry, false, kListSize);
        } else {
            entry = line->key;
        }
        if (entry.empty()) continue;
        if (used + entry.size() + 1 >= kListSize) {
            lines.clear();
            return kProfileNoRoom;
        }
        used += entry.size() + 1;
        lines.push_back(std::move(entry));
    }
    return kProfileOk;
}

LONG import_line(HKEY key, const std::string& line)
{
    RegImportLine parsed = ParseImportLine(line);
    switch (parsed.kind) {
    case RegImportLine::String:
        return ::RegSetValueExA(key, parsed.name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(parsed.text.c_str()),
                                static_cast<DWORD>(parsed.text.size()));
    case RegImportLine::Dword: {
        DWORD number = parsed.number;
        return ::RegSetValueExA(key, parsed.name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                                sizeof number);
    }
    case RegImportLine::Binary:
        return ERROR_SUCCESS;  // the export keeps no binary data
    default:
        return ERROR_INVALID_DATA;
    }
}

}  // namespace

unsigned long CRegistry::GetValue(const char* sub_key, const char* name, char* buffer, HKEY root, unsigned long size)
{
    if (empty(sub_key) || empty(name) || !buffer) return ERROR_INVALID_PARAMETER;
    unique_hkey key;
    LONG rc = ::RegOpenKeyExA(root, sub_key, 0, KEY_READ, key.put());
    if (rc != ERROR_SUCCESS) return rc;
    DWORD type = 0;
    rc = ::RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    if (type != REG_SZ) return ERROR_INVALID_PARAMETER;
    // One byte beyond the 4096 read keeps a string stored without terminator terminated.
    std::vector<char> data(kDataSize + 1, '\0');
    DWORD data_size = kDataSize;
    rc = ::RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &data_size);
    if (rc != ERROR_SUCCESS) return rc;
    if (type != REG_SZ) return ERROR_INVALID_PARAMETER;
    size_t need = std::strlen(data.data()) + 1;
    if (size != kNoSizeCheck && size < need) return ERROR_INSUFFICIENT_BUFFER;
    std::memcpy(buffer, data.data(), need);
    return ERROR_SUCCESS;
}

unsigned long CRegistry::GetValue(const char* sub_key, const char* name, unsigned long* number, HKEY root)
{
    if (empty(sub_key) || empty(name) || !number) return ERROR_INVALID_PARAMETER;
    unique_hkey key;
    LONG rc = ::RegOpenKeyExA(root, sub_key, 0, KEY_READ, key.put());
    if (rc != ERROR_SUCCESS) return rc;
    // The type first, so that a long value of another type still gives 87.
    DWORD type = 0;
    rc = ::RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    if (type != REG_DWORD) return ERROR_INVALID_PARAMETER;
    DWORD value = 0;
    DWORD value_size = sizeof value;
    rc = ::RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &value_size);
    if (rc != ERROR_SUCCESS) return rc;
    if (type != REG_DWORD) return ERROR_INVALID_PARAMETER;
    *number = value;
    return ERROR_SUCCESS;
}

unsigned long CRegistry::SetValue(const char* sub_key, const char* name, const char* text, HKEY root)
{
    if (empty(sub_key) || empty(name) || !text) return ERROR_INVALID_PARAMETER;
    unique_hkey key;
    LONG rc = ::RegCreateKeyExA(root, sub_key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, key.put(),
                                nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    return ::RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                            static_cast<DWORD>(std::strlen(text)));
}

unsigned long CRegistry::SetValue(const char* sub_key, const char* name, unsigned long number, HKEY root)
{
    if (empty(sub_key) || empty(name)) return ERROR_INVALID_PARAMETER;
    unique_hkey key;
    LONG rc = ::RegCreateKeyExA(root, sub_key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, key.put(),
                                nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    DWORD value = number;
    return ::RegSetValueExA(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

unsigned long CRegistry::DeleteValue(const char* sub_key, const char* name, HKEY root)
{
    unique_hkey key;
    LONG rc = ::RegOpenKeyExA(root, sub_key, 0, KEY_ALL_ACCESS, key.put());
    if (rc != ERROR_SUCCESS) return rc;
    return ::RegDeleteValueA(key.get(), name);
}

unsigned long CRegistry::DeleteKey(const char* sub_key, bool this_key_only, HKEY root)
{
    if (this_key_only) {
        // An empty path would name the root itself, and the access fallback would then
        // rewrite the root's permissions.
        if (empty(sub_key)) return ERROR_INVALID_PARAMETER;
        return delete_one_key(sub_key, root, &CRegistry::SetDaclPermission);
    }
    unsigned long rc = DeleteSubKey(sub_key, root);
    if (rc != ERROR_SUCCESS) return rc;
    return DeleteEmptyParent(sub_key, root);
}

unsigned long CRegistry::DeleteSubKey(const char* sub_key, HKEY root)
{
    if (empty(sub_key)) return ERROR_INVALID_PARAMETER;
    {
        unique_hkey key;
        LONG rc = ::RegOpenKeyExA(root, sub_key, 0, KEY_ALL_ACCESS, key.put());
        if (rc != ERROR_SUCCESS) return rc;
        DWORD sub_keys = 0;
        rc = query_counts(key.get(), &sub_keys, nullptr);
        if (rc != ERROR_SUCCESS) return rc;
        char name[kNameSize];
        for (DWORD i = 0; i < sub_keys; ++i) {
            // Each round removes the first child, so index 0 is always the next one.
            if (enum_key(key.get(), 0, name) != ERROR_SUCCESS) continue;
            std::string child;
            if (!join(sub_key, name, child)) return ERROR_FILENAME_EXCED_RANGE;
            unsigned long child_rc = DeleteSubKey(child.c_str(), root);
            if (child_rc != ERROR_SUCCESS) return child_rc;
        }
    }  // the key is closed before it is deleted
    return delete_one_key(sub_key, root, &CRegistry::SetDaclPermission);
}

unsigned long CRegistry::DeleteEmptyParent(const char* sub_key, HKEY root)
{
    if (empty(sub_key)) return ERROR_INVALID_PARAMETER;
    std::string path = sub_key;
    // "A\B\C\" names the same key as "A\B\C": its parent is A\B, not the deleted key.
    while (!path.empty() && path.back() == '\\') path.pop_back();
    size_t slash = path.rfind('\\');
    if (slash == std::string::npos) return ERROR_SUCCESS;
    path.resize(slash);
    // A first-level key (no backslash left) is never removed.
    while (path.find('\\') != std::string::npos) {
        {
            unique_hkey key;
            LONG rc = ::RegOpenKeyExA(root, path.c_str(), 0, kParentAccess, key.put());
            if (rc != ERROR_SUCCESS) return rc;
            DWORD sub_keys = 0, values = 0;
            rc = query_counts(key.get(), &sub_keys, &values);
            if (rc != ERROR_SUCCESS) return rc;
            if (sub_keys != 0 || values != 0) return ERROR_SUCCESS;
        }
        LONG rc = ::RegDeleteKeyA(root, path.c_str());
        if (rc != ERROR_SUCCESS) return rc;
        path.resize(path.rfind('\\'));
    }
    return ERROR_SUCCESS;
}

unsigned long CRegistry::SetDaclPermission(const char* sub_key, HKEY root)
{
    CAPIFunction api;
    if (!api.HasSecurityFunctions()) return ERROR_NOT_SUPPORTED;
    ::SetLastError(ERROR_SUCCESS);  // so that a failing step reports its own error, not a stale one

    std::vector<unsigned char> descriptor(SECURITY_DESCRIPTOR_MIN_LENGTH, 0);
    if (!api.InitializeSecurityDescriptor(descriptor.data(), SECURITY_DESCRIPTOR_REVISION)) return last_error();

    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!api.AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone))
        return last_error();
    auto free_sid = scope_exit([&] { api.FreeSid(everyone); });

    const DWORD acl_size = ::GetLengthSid(everyone) + 52;
    unique_any<void*, heap_free> acl(::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, acl_size));
    if (!acl) return ERROR_NOT_ENOUGH_MEMORY;
    PACL dacl = static_cast<PACL>(acl.get());
    if (!api.InitializeAcl(dacl, acl_size, ACL_REVISION_DS)) return last_error();
    if (!api.AddAccessAllowedObjectAce(dacl, ACL_REVISION_DS, CONTAINER_INHERIT_ACE | INHERITED_ACE, KEY_ALL_ACCESS,
                                       nullptr, nullptr, everyone))
        return last_error();
    if (!api.SetSecurityDescriptorDacl(descriptor.data(), TRUE, dacl, FALSE)) return last_error();
    if (!api.SetSecurityDescriptorControl(descriptor.data(), SE_DACL_AUTO_INHERITED, SE_DACL_AUTO_INHERITED))
        return last_error();

    unique_hkey key;
    LONG rc = ::RegOpenKeyExA(root, sub_key, 0, WRITE_DAC, key.put());
    if (rc != ERROR_SUCCESS) return rc;
    ::RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor.data());
    return ::RegCloseKey(key.release());
}

unsigned long CRegistry::CopyKey(const char* source, const char* destination, bool recursive, HKEY source_root,
                                 HKEY destination_root)
{
    if (empty(source) || empty(destination)) return ERROR_INVALID_PARAMETER;
    unique_hkey key;
    LONG rc = ::RegOpenKeyExA(source_root, source, 0, KEY_READ, key.put());
    if (rc != ERROR_SUCCESS) return rc;
    DWORD sub_keys = 0, values = 0;
    rc = query_counts(key.get(), &sub_keys, &values);
    if (rc != ERROR_SUCCESS) return rc;
    if (recursive) {
        char name[kNameSize];
        for (DWORD i = 0; i < sub_keys; ++i) {
            rc = enum_key(key.get(), i, name);
            if (rc != ERROR_SUCCESS) return rc;
            std::string from, to;
            if (!join(source, name, from) || !join(destination, name, to)) return ERROR_FILENAME_EXCED_RANGE;
            unsigned long child_rc = CopyKey(from.c_str(), to.c_str(), true, source_root, destination_root);
            if (child_rc != ERROR_SUCCESS) return child_rc;
        }
    }
    return CopyValue(key.get(), values, destination, destination_root);
}

unsigned long CRegistry::CopyValue(HKEY source, unsigned long value_count, const char* destination,
                                   HKEY destination_root)
{
    EnumeratedValue v;
    for (DWORD i = 0; i < value_count; ++i) {
        LONG rc = enum_value(source, i, v);
        if (rc != ERROR_SUCCESS) return rc;
        unsigned long write_rc = ERROR_SUCCESS;
        if (v.type == REG_SZ)
            write_rc = SetValue(destination, v.name, v.data.data(), destination_root);
        else if (v.type == REG_DWORD)
            write_rc = SetValue(destination, v.name, *reinterpret_cast<const DWORD*>(v.data.data()), destination_root);
        if (write_rc != ERROR_SUCCESS) return write_rc;
    }
    return ERROR_SUCCESS;
}

unsigned long CRegistry::SaveToFile(const char* sub_key, const char* path, HKEY root)
{
    // An empty sub-key would export the whole root; an unknown root has no section word that
    // an import could map back.
    const char* root_word = root_name(root);
    if (empty(sub_key) || empty(path) || !root_word) return ERROR_INVALID_PARAMETER;
    unique_hfile file(::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_ARCHIVE, nullptr));
    if (!file) return last_error();

    Exporter exporter(root, root_word);
    LONG rc = exporter.Export(sub_key);
    if (rc != ERROR_SUCCESS) return rc;
    return exporter.List().SaveFile(file.get());
}

unsigned long CRegistry::LoadFromFile(const char* path)
{
    std::string text;
    uint32_t rc = ReadWholeFile(path, text);
    if (rc != ERROR_SUCCESS) return rc;
    CProfile profile;
    profile.CreateFromText(text, path);

    std::vector<char> names(kListSize, '\0');
    rc = profile.GetSectionName(names.data(), names.size(), true);
    if (rc != ERROR_SUCCESS) return rc;

    unsigned long result = ERROR_SUCCESS;
    for (const char* name = names.data(); *name; name += std::strlen(name) + 1) {
        RegSectionName target = SplitSectionName(name);
        unique_hkey key;
        LONG section_rc = ::RegCreateKeyExA(kRoots[target.root], target.sub_key.c_str(), 0, nullptr,
                                            REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, key.put(), nullptr);
        if (section_rc == ERROR_SUCCESS) {
            std::vector<std::string> lines;
            // Lines that do not fit leave the key created and empty, and still count as success.
            if (section_lines(profile, profile.Main().FindSection(name), lines) == kProfileOk)
                for (const std::string& line : lines) section_rc = import_line(key.get(), line);
        }
        result = section_rc;
    }
    return result;
}
