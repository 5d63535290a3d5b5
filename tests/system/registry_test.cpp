// CRegistry against the real registry, under scratch keys the fixture creates and removes.
#include "system/registry.h"

#include "platform/unique_handle.h"

#include <gtest/gtest.h>

#include "tests/support/file_text.h"
#include <shlwapi.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Reaches the protected steps.
struct RegistryProbe : CRegistry {
    using CRegistry::DeleteEmptyParent;
    using CRegistry::SetDaclPermission;
};

std::string unique_suffix()
{
    char text[64];
    std::snprintf(text, sizeof text, "%lu_%lu", ::GetCurrentProcessId(), ::GetTickCount());
    return text;
}

bool key_exists(HKEY root, const std::string& path)
{
    unique_hkey key;
    return ::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

void create_key(HKEY root, const std::string& path)
{
    unique_hkey key;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr));
}

void set_raw(HKEY root, const std::string& path, const char* name, DWORD type, const void* data, DWORD size)
{
    unique_hkey key;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr));
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), size));
}

// Type and size of a stored value; false when it is missing.
bool raw_info(HKEY root, const std::string& path, const char* name, DWORD* type, DWORD* size)
{
    unique_hkey key;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
    return ::RegQueryValueExA(key.get(), name, nullptr, type, nullptr, size) == ERROR_SUCCESS;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        suffix_ = unique_suffix();
        base_ = "Software\\QvTest\\" + suffix_;  // same path under HKCU and HKLM
        create_key(HKEY_CURRENT_USER, base_);
        create_key(HKEY_LOCAL_MACHINE, base_);
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        dir_ = std::string(temp) + "qvreg_" + suffix_;
        ::CreateDirectoryA(dir_.c_str(), nullptr);
    }
    void TearDown() override
    {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            ::SHDeleteKeyA(root, base_.c_str());
            ::SHDeleteEmptyKeyA(root, "Software\\QvTest");  // other runs may still use it
        }
        ::SHDeleteKeyA(HKEY_CURRENT_USER, ("QvTest_" + suffix_).c_str());
        for (const std::string& f : files_) ::DeleteFileA(f.c_str());
        ::RemoveDirectoryA(dir_.c_str());
    }
    std::string Key(const std::string& rel) const { return base_ + "\\" + rel; }
    std::string File(const std::string& name)
    {
        files_.push_back(dir_ + "\\" + name);
        return files_.back();
    }

    std::string suffix_, base_, dir_;
    std::vector<std::string> files_;
};

// --- values --------------------------------------------------------------------------------

TEST_F(RegistryTest, StringWithoutTerminatorReadsBackIntact)
{
    const std::string k = Key("V");
    ASSERT_EQ(0u, CRegistry::SetValue(k.c_str(), "Dest_Dir", "C:\\Program Files\\Qv", HKEY_CURRENT_USER));
    DWORD type = 0, size = 0;
    ASSERT_TRUE(raw_info(HKEY_CURRENT_USER, k, "Dest_Dir", &type, &size));
    EXPECT_EQ(DWORD(REG_SZ), type);

    char out[64];
    std::memset(out, 'x', sizeof out);
    ASSERT_EQ(0u, CRegistry::GetValue(k.c_str(), "Dest_Dir", out, HKEY_CURRENT_USER));
    EXPECT_STREQ("C:\\Program Files\\Qv", out);

    // Data written by others without a terminator, exactly filling the declared size.
    set_raw(HKEY_CURRENT_USER, k, "Raw", REG_SZ, "abc", 3);
    std::memset(out, 'x', sizeof out);
    ASSERT_EQ(0u, CRegistry::GetValue(k.c_str(), "Raw", out, HKEY_CURRENT_USER, 4));
    EXPECT_STREQ("abc", out);

    ASSERT_EQ(0u, CRegistry::SetValue(k.c_str(), "Empty", "", HKEY_CURRENT_USER));
    ASSERT_EQ(0u, CRegistry::GetValue(k.c_str(), "Empty", out, HKEY_CURRENT_USER));
    EXPECT_STREQ("", out);
}

TEST_F(RegistryTest, DwordRoundTrip)
{
    const std::string k = Key("V");
    ASSERT_EQ(0u, CRegistry::SetValue(k.c_str(), "Setup_Type", 3ul, HKEY_CURRENT_USER));
    DWORD type = 0, size = 0;
    ASSERT_TRUE(raw_info(HKEY_CURRENT_USER, k, "Setup_Type", &type, &size));
    EXPECT_EQ(DWORD(REG_DWORD), type);
    EXPECT_EQ(4u, size);
    unsigned long n = 0;
    ASSERT_EQ(0u, CRegistry::GetValue(k.c_str(), "Setup_Type", &n, HKEY_CURRENT_USER));
    EXPECT_EQ(3u, n);
}

TEST_F(RegistryTest, ArgumentsAndTypesAreChecked)
{
    const std::string k = Key("V");
    ASSERT_EQ(0u, CRegistry::SetValue(k.c_str(), "Num", 7ul, HKEY_CURRENT_USER));
    ASSERT_EQ(0u, CRegistry::SetValue(k.c_str(), "Text", "abc", HKEY_CURRENT_USER));
    const unsigned char bytes[] = {1, 2, 3};
    set_raw(HKEY_CURRENT_USER, k, "Bin", REG_BINARY, bytes, sizeof bytes);
    set_raw(HKEY_CURRENT_USER, k, "Expand", REG_EXPAND_SZ, "%x%", 4);

    char out[64] = "untouched";
    unsigned long n = 99;
    const char* kc = k.c_str();
    struct Case { unsigned long got; unsigned long want; const char* what; } cases[] = {
        {CRegistry::GetValue(kc, "Num", out, HKEY_CURRENT_USER), 87, "string read of a DWORD"},
        {CRegistry::GetValue(kc, "Bin", out, HKEY_CURRENT_USER), 87, "string read of binary"},
        {CRegistry::GetValue(kc, "Expand", out, HKEY_CURRENT_USER), 87, "string read of REG_EXPAND_SZ"},
        {CRegistry::GetValue(kc, "Text", &n, HKEY_CURRENT_USER), 87, "DWORD read of a string"},
        {CRegistry::GetValue(kc, "", out, HKEY_CURRENT_USER), 87, "empty name"},
        {CRegistry::GetValue(nullptr, "Text", out, HKEY_CURRENT_USER), 87, "null sub-key"},
        {CRegistry::GetValue("", "Text", &n, HKEY_CURRENT_USER), 87, "empty sub-key"},
        {CRegistry::SetValue(kc, "", "x", HKEY_CURRENT_USER), 87, "default value refused"},
        {CRegistry::SetValue(kc, "T", static_cast<const char*>(nullptr), HKEY_CURRENT_USER), 87, "null text"},
        {CRegistry::SetValue("", "T", 1ul, HKEY_CURRENT_USER), 87, "empty sub-key (DWORD)"},
        {CRegistry::GetValue(kc, "Missing", out, HKEY_CURRENT_USER), 2, "missing value"},
        {CRegistry::GetValue(Key("Nope").c_str(), "Text", &n, HKEY_CURRENT_USER), 2, "missing key"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.want, c.got) << c.what;
    EXPECT_STREQ("untouched", out);
    EXPECT_EQ(99u, n);
}

TEST_F(RegistryTest, DeclaredSizeMustHoldTheTerminator)
{
    const std::string k = Key("V");
    ASSERT_EQ(0u, CRegistry::SetValue(k.c_str(), "Text", "abcd", HKEY_CURRENT_USER));
    char out[8] = "zzzzzzz";
    EXPECT_EQ(122u, CRegistry::GetValue(k.c_str(), "Text", out, HKEY_CURRENT_USER, 4));
    EXPECT_STREQ("zzzzzzz", out);
    EXPECT_EQ(0u, CRegistry::GetValue(k.c_str(), "Text", out, HKEY_CURRENT_USER, 5));
    EXPECT_STREQ("abcd", out);
}

TEST_F(RegistryTest, StringsUpTo4096BytesAreRead)
{
    const std::string k = Key("V");
    // 4095 characters and the terminator fill the 4096-byte read.
    const std::string full(4095, 'q');
    set_raw(HKEY_CURRENT_USER, k, "Full", REG_SZ, full.data(), DWORD(full.size()));
    const std::string over(4097, 'q');
    set_raw(HKEY_CURRENT_USER, k, "Over", REG_SZ, over.data(), DWORD(over.size()));

    std::vector<char> out(8192, 'x');
    ASSERT_EQ(0u, CRegistry::GetValue(k.c_str(), "Full", out.data(), HKEY_CURRENT_USER));
    EXPECT_EQ(full, std::string(out.data()));
    EXPECT_EQ(234u, CRegistry::GetValue(k.c_str(), "Over", out.data(), HKEY_CURRENT_USER));
}

TEST_F(RegistryTest, DeleteValue)
{
    const std::string k = Key("V");
    ASSERT_EQ(0u, CRegistry::SetValue(k.c_str(), "Gone", "x", HKEY_CURRENT_USER));
    EXPECT_EQ(0u, CRegistry::DeleteValue(k.c_str(), "Gone", HKEY_CURRENT_USER));
    DWORD type, size;
    EXPECT_FALSE(raw_info(HKEY_CURRENT_USER, k, "Gone", &type, &size));
    EXPECT_EQ(2u, CRegistry::DeleteValue(k.c_str(), "Gone", HKEY_CURRENT_USER));
    EXPECT_EQ(2u, CRegistry::DeleteValue(Key("Nope").c_str(), "Gone", HKEY_CURRENT_USER));
}

// --- deleting keys -------------------------------------------------------------------------

TEST_F(RegistryTest, TreeDeleteKeepsAParentThatStillHoldsAValue)
{
    ASSERT_EQ(0u, CRegistry::SetValue(Key("A\\B").c_str(), "Other", "keep", HKEY_CURRENT_USER));
    ASSERT_EQ(0u, CRegistry::SetValue(Key("A\\B\\C\\D").c_str(), "V", "x", HKEY_CURRENT_USER));
    create_key(HKEY_CURRENT_USER, Key("A\\B\\C\\E"));

    EXPECT_EQ(0u, CRegistry::DeleteKey(Key("A\\B\\C").c_str(), false, HKEY_CURRENT_USER));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, Key("A\\B\\C")));
    EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, Key("A\\B")));
}

TEST_F(RegistryTest, TreeDeletePrunesEmptiedParentsUpToAValuedOne)
{
    ASSERT_EQ(0u, CRegistry::SetValue(base_.c_str(), "Marker", "stop here", HKEY_CURRENT_USER));
    ASSERT_EQ(0u, CRegistry::SetValue(Key("A\\B\\C").c_str(), "V", 1ul, HKEY_CURRENT_USER));

    EXPECT_EQ(0u, CRegistry::DeleteKey(Key("A\\B\\C").c_str(), false, HKEY_CURRENT_USER));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, Key("A")));
    EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, base_));
}

TEST_F(RegistryTest, TreeDeleteNeverRemovesAFirstLevelKey)
{
    // HKCU\QvTest_<n>\Only\Leaf: pruning stops below the first-level key even when it empties.
    const std::string top = "QvTest_" + suffix_;
    create_key(HKEY_CURRENT_USER, top + "\\Only\\Leaf");
    EXPECT_EQ(0u, CRegistry::DeleteKey((top + "\\Only\\Leaf").c_str(), false, HKEY_CURRENT_USER));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, top + "\\Only"));
    EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, top));

    // A path without a backslash removes only its own tree.
    create_key(HKEY_CURRENT_USER, top + "\\X\\Y");
    EXPECT_EQ(0u, CRegistry::DeleteKey(top.c_str(), false, HKEY_CURRENT_USER));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, top));
    EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, "Software"));
}

TEST_F(RegistryTest, TreeDeleteWithTrailingBackslashSucceeds)
{
    ASSERT_EQ(0u, CRegistry::SetValue(base_.c_str(), "Marker", "x", HKEY_CURRENT_USER));
    create_key(HKEY_CURRENT_USER, Key("T\\U"));
    EXPECT_EQ(0u, CRegistry::DeleteKey((Key("T\\U") + "\\").c_str(), false, HKEY_CURRENT_USER));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, Key("T")));
}

TEST_F(RegistryTest, DeleteKeyErrors)
{
    EXPECT_EQ(2u, CRegistry::DeleteKey(Key("Missing").c_str(), false, HKEY_CURRENT_USER));
    EXPECT_EQ(87u, CRegistry::DeleteKey("", false, HKEY_CURRENT_USER));
    EXPECT_EQ(87u, CRegistry::DeleteKey(nullptr, false, HKEY_CURRENT_USER));
    // An empty path names the root itself: refused before anything is touched.
    EXPECT_EQ(87u, CRegistry::DeleteKey("", true, HKEY_CURRENT_USER));
    EXPECT_EQ(87u, RegistryProbe::DeleteEmptyParent("", HKEY_CURRENT_USER));
}

TEST_F(RegistryTest, ThisKeyOnlyDeletesALeafButNotAKeyWithChildren)
{
    create_key(HKEY_CURRENT_USER, Key("P\\Child"));
    // Refused with sub-keys (5), also after the access fallback; nothing is removed.
    EXPECT_EQ(5u, CRegistry::DeleteKey(Key("P").c_str(), true, HKEY_CURRENT_USER));
    EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, Key("P\\Child")));

    EXPECT_EQ(0u, CRegistry::DeleteKey(Key("P\\Child").c_str(), true, HKEY_CURRENT_USER));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, Key("P\\Child")));
    EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, Key("P")));  // no pruning in this mode
}

// The fallback's object ACE is not available everywhere (Wine lacks it): where it is, the key
// ends up with one inherited full-access ACE for Everyone; where it is not, the failing step's
// system error comes back.
TEST_F(RegistryTest, AccessFallbackGrantsEveryoneFullAccess)
{
    create_key(HKEY_CURRENT_USER, Key("Locked"));
    const unsigned long rc = RegistryProbe::SetDaclPermission(Key("Locked").c_str(), HKEY_CURRENT_USER);

    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    ASSERT_TRUE(::AllocateAndInitializeSid(&world, 1, 0, 0, 0, 0, 0, 0, 0, 0, &everyone));
    std::vector<BYTE> probe(::GetLengthSid(everyone) + 52, 0);
    PACL probe_acl = reinterpret_cast<PACL>(probe.data());
    ASSERT_TRUE(::InitializeAcl(probe_acl, DWORD(probe.size()), ACL_REVISION_DS));
    ::SetLastError(0);
    const bool object_aces = ::AddAccessAllowedObjectAce(probe_acl, ACL_REVISION_DS, 0x12, KEY_ALL_ACCESS, nullptr,
                                                         nullptr, everyone) != FALSE;
    const DWORD probe_error = ::GetLastError();
    ::FreeSid(everyone);
    if (!object_aces) {
        EXPECT_EQ(probe_error ? probe_error : DWORD(ERROR_GEN_FAILURE), rc);
        return;
    }

    ASSERT_EQ(0u, rc);
    unique_hkey key;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CURRENT_USER, Key("Locked").c_str(), 0, READ_CONTROL, key.put()));
    DWORD size = 0;
    ::RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, nullptr, &size);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> sd(size);
    ASSERT_EQ(ERROR_SUCCESS, ::RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, sd.data(), &size));
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(::GetSecurityDescriptorDacl(sd.data(), &present, &dacl, &defaulted));
    ASSERT_TRUE(present && dacl);
    ASSERT_EQ(1, dacl->AceCount);
    ACE_HEADER* ace = nullptr;
    ASSERT_TRUE(::GetAce(dacl, 0, reinterpret_cast<void**>(&ace)));
    EXPECT_EQ(ACCESS_ALLOWED_OBJECT_ACE_TYPE, ace->AceType);
    EXPECT_EQ(CONTAINER_INHERIT_ACE | INHERITED_ACE, ace->AceFlags);
    EXPECT_EQ(DWORD(KEY_ALL_ACCESS), reinterpret_cast<ACCESS_ALLOWED_OBJECT_ACE*>(ace)->Mask);
}

// --- copying -------------------------------------------------------------------------------

TEST_F(RegistryTest, CopyKeyCopiesStringsAndDwordsOfTheTree)
{
    const std::string src = Key("Src"), dst = Key("Dst");
    ASSERT_EQ(0u, CRegistry::SetValue(src.c_str(), "S", "text", HKEY_CURRENT_USER));
    ASSERT_EQ(0u, CRegistry::SetValue(src.c_str(), "N", 42ul, HKEY_CURRENT_USER));
    const unsigned char bytes[] = {9};
    set_raw(HKEY_CURRENT_USER, src, "B", REG_BINARY, bytes, 1);
    ASSERT_EQ(0u, CRegistry::SetValue((src + "\\Sub\\Deep").c_str(), "D", "deep", HKEY_CURRENT_USER));
    create_key(HKEY_CURRENT_USER, src + "\\Bare");

    // Into HKLM: the roots are independent.
    ASSERT_EQ(0u, CRegistry::CopyKey(src.c_str(), dst.c_str(), true, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE));
    char out[64];
    unsigned long n = 0;
    ASSERT_EQ(0u, CRegistry::GetValue(dst.c_str(), "S", out, HKEY_LOCAL_MACHINE));
    EXPECT_STREQ("text", out);
    ASSERT_EQ(0u, CRegistry::GetValue(dst.c_str(), "N", &n, HKEY_LOCAL_MACHINE));
    EXPECT_EQ(42u, n);
    ASSERT_EQ(0u, CRegistry::GetValue((dst + "\\Sub\\Deep").c_str(), "D", out, HKEY_LOCAL_MACHINE));
    EXPECT_STREQ("deep", out);
    DWORD type, size;
    EXPECT_FALSE(raw_info(HKEY_LOCAL_MACHINE, dst, "B", &type, &size));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, dst + "\\Bare"));  // keys appear only through values
}

TEST_F(RegistryTest, CopyKeyWithoutRecursionAndItsErrors)
{
    const std::string src = Key("Src");
    ASSERT_EQ(0u, CRegistry::SetValue(src.c_str(), "S", "top", HKEY_CURRENT_USER));
    ASSERT_EQ(0u, CRegistry::SetValue((src + "\\Sub").c_str(), "S", "sub", HKEY_CURRENT_USER));
    ASSERT_EQ(0u, CRegistry::CopyKey(src.c_str(), Key("Flat").c_str(), false, HKEY_CURRENT_USER, HKEY_CURRENT_USER));
    EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, Key("Flat")));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, Key("Flat\\Sub")));

    EXPECT_EQ(87u, CRegistry::CopyKey("", Key("X").c_str(), true, HKEY_CURRENT_USER, HKEY_CURRENT_USER));
    EXPECT_EQ(87u, CRegistry::CopyKey(src.c_str(), nullptr, true, HKEY_CURRENT_USER, HKEY_CURRENT_USER));
    EXPECT_EQ(2u, CRegistry::CopyKey(Key("Missing").c_str(), Key("X").c_str(), true, HKEY_CURRENT_USER,
                                     HKEY_CURRENT_USER));
    // A default string value cannot be written by name: the copy stops there with 87.
    set_raw(HKEY_CURRENT_USER, Key("Def"), "", REG_SZ, "d", 1);
    EXPECT_EQ(87u, CRegistry::CopyKey(Key("Def").c_str(), Key("DefCopy").c_str(), true, HKEY_CURRENT_USER,
                                      HKEY_CURRENT_USER));
}

// --- export and import ---------------------------------------------------------------------

TEST_F(RegistryTest, SaveToFileOntoAnExistingFileFailsAndWritesNothing)
{
    const std::string path = File("exists.reg");
    write_file(path, "keep");
    ASSERT_EQ(0u, CRegistry::SetValue(Key("E").c_str(), "S", "x", HKEY_CURRENT_USER));
    EXPECT_EQ(80u, CRegistry::SaveToFile(Key("E").c_str(), path.c_str(), HKEY_CURRENT_USER));
    EXPECT_EQ("keep", read_file(path));
}

TEST_F(RegistryTest, SaveToFileErrors)
{
    EXPECT_EQ(2u, CRegistry::SaveToFile(Key("Missing").c_str(), File("missing.reg").c_str(), HKEY_CURRENT_USER));
    EXPECT_EQ(87u, CRegistry::SaveToFile("", File("empty.reg").c_str(), HKEY_CURRENT_USER));
    EXPECT_EQ(87u, CRegistry::SaveToFile(Key("E").c_str(), File("users.reg").c_str(), HKEY_USERS));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((dir_ + "\\users.reg").c_str()));
}

TEST_F(RegistryTest, ExportWritesTheTextFormat)
{
    const std::string k = Key("Fmt");
    ASSERT_EQ(0u, CRegistry::SetValue(k.c_str(), "S", "a b", HKEY_CURRENT_USER));
    ASSERT_EQ(0u, CRegistry::SetValue(k.c_str(), "N", 42ul, HKEY_CURRENT_USER));
    const unsigned char bytes[] = {1, 2};
    set_raw(HKEY_CURRENT_USER, k, "B", REG_BINARY, bytes, 2);
    set_raw(HKEY_CURRENT_USER, k, "", REG_SZ, "def", 3);
    set_raw(HKEY_CURRENT_USER, k, "M", REG_MULTI_SZ, "x\0\0", 3);
    create_key(HKEY_CURRENT_USER, k + "\\Empty");

    const std::string path = File("fmt.reg");
    ASSERT_EQ(0u, CRegistry::SaveToFile(k.c_str(), path.c_str(), HKEY_CURRENT_USER));
    const std::string text = read_file(path);
    const std::string header = "[HKEY_CURRENT_USER\\" + k + "]\r\n";
    const std::string child = "[HKEY_CURRENT_USER\\" + k + "\\Empty]\r\n";
    ASSERT_NE(std::string::npos, text.find(header)) << text;
    ASSERT_NE(std::string::npos, text.find(child)) << text;
    EXPECT_LT(text.find(header), text.find(child));  // parents first
    EXPECT_NE(std::string::npos, text.find("\"S\" = \"a b\"\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("\"N\" = dword:0000002a\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("\"B\" = hex:\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("\"\" = \"def\"\r\n")) << text;
    EXPECT_EQ(std::string::npos, text.find("\"M\"")) << text;  // other types are not written
}

TEST_F(RegistryTest, ExportImportRoundTrip)
{
    const std::string k = Key("Trip");
    ASSERT_EQ(0u, CRegistry::SetValue(k.c_str(), "S", "C:\\new\\readme.txt", HKEY_CURRENT_USER));
    ASSERT_EQ(0u, CRegistry::SetValue(k.c_str(), "N", 0xDEADBEEFul, HKEY_CURRENT_USER));
    const unsigned char bytes[] = {1, 2, 3};
    set_raw(HKEY_CURRENT_USER, k, "B", REG_BINARY, bytes, 3);
    ASSERT_EQ(0u, CRegistry::SetValue((k + "\\Child").c_str(), "C", "in child", HKEY_CURRENT_USER));
    create_key(HKEY_CURRENT_USER, k + "\\Empty");

    const std::string path = File("trip.reg");
    ASSERT_EQ(0u, CRegistry::SaveToFile(k.c_str(), path.c_str(), HKEY_CURRENT_USER));
    ASSERT_EQ(ERROR_SUCCESS, ::SHDeleteKeyA(HKEY_CURRENT_USER, k.c_str()));

    ASSERT_EQ(0u, CRegistry::LoadFromFile(path.c_str()));
    char out[64];
    unsigned long n = 0;
    ASSERT_EQ(0u, CRegistry::GetValue(k.c_str(), "S", out, HKEY_CURRENT_USER));
    EXPECT_STREQ("C:\\new\\readme.txt", out);  // no escape conversion of \n
    ASSERT_EQ(0u, CRegistry::GetValue(k.c_str(), "N", &n, HKEY_CURRENT_USER));
    EXPECT_EQ(0xDEADBEEFu, n);
    DWORD type, size;
    EXPECT_FALSE(raw_info(HKEY_CURRENT_USER, k, "B", &type, &size));
    ASSERT_EQ(0u, CRegistry::GetValue((k + "\\Child").c_str(), "C", out, HKEY_CURRENT_USER));
    EXPECT_STREQ("in child", out);
    EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, k + "\\Empty"));
}

TEST_F(RegistryTest, ImportMapsRootWordsAndDwordTexts)
{
    const std::string path = File("roots.reg");
    write_file(path,
               "[" + Key("Plain") + "]\r\n"
               "\"S\" = \"hklm\"\r\n"
               "[hkey_current_user\\" + Key("Lower") + "]\r\n"
               "\"A\" = dword:0x0000002A\r\n"
               "\"B\" = dword:2a\r\n"
               "\"C\" = dword:123456789\r\n"
               "\"\" = \"default\"\r\n"
               "[HKEY_CURRENT_USER\\" + Key("NoValues") + "]\r\n");
    ASSERT_EQ(0u, CRegistry::LoadFromFile(path.c_str()));

    char out[64];
    ASSERT_EQ(0u, CRegistry::GetValue(Key("Plain").c_str(), "S", out, HKEY_LOCAL_MACHINE));
    EXPECT_STREQ("hklm", out);
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, Key("Plain")));
    struct Case { const char* name; unsigned long want; } cases[] = {{"A", 42}, {"B", 42}, {"C", 0x23456789}};
    for (const auto& c : cases) {
        unsigned long n = 0;
        ASSERT_EQ(0u, CRegistry::GetValue(Key("Lower").c_str(), c.name, &n, HKEY_CURRENT_USER)) << c.name;
        EXPECT_EQ(c.want, n) << c.name;
    }
    DWORD type = 0, size = 0;
    ASSERT_TRUE(raw_info(HKEY_CURRENT_USER, Key("Lower"), "", &type, &size));
    EXPECT_EQ(DWORD(REG_SZ), type);
    EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, Key("NoValues")));  // an empty section creates its key
}

TEST_F(RegistryTest, ImportResultIsThatOfTheLastLineOfTheLastSection)
{
    const std::string bad_last = File("badlast.reg");
    write_file(bad_last, "[HKEY_CURRENT_USER\\" + Key("I") + "]\r\n\"Ok\" = \"1\"\r\n\"Q\" = qword:1\r\n");
    EXPECT_EQ(13u, CRegistry::LoadFromFile(bad_last.c_str()));
    char out[8];
    EXPECT_EQ(0u, CRegistry::GetValue(Key("I").c_str(), "Ok", out, HKEY_CURRENT_USER));  // written all the same

    const std::string bad_first = File("badfirst.reg");
    write_file(bad_first, "[HKEY_CURRENT_USER\\" + Key("J") + "]\r\n\"Q\" = qword:1\r\n\"Ok\" = \"1\"\r\n"
                          "[HKEY_CURRENT_USER\\" + Key("K") + "]\r\n\"H\" = hex:01\r\n");
    EXPECT_EQ(0u, CRegistry::LoadFromFile(bad_first.c_str()));
    DWORD type, size;
    EXPECT_FALSE(raw_info(HKEY_CURRENT_USER, Key("K"), "H", &type, &size));

    EXPECT_EQ(2u, CRegistry::LoadFromFile(File("absent.reg").c_str()));
}

TEST_F(RegistryTest, ImportLimitsOf4096Bytes)
{
    // Section names needing more than 4096 bytes: nothing is imported, 14.
    std::string many;
    for (int i = 0; i < 40; ++i) many += "[HKEY_CURRENT_USER\\" + Key("Many\\" + std::string(60, 'k') + std::to_string(i)) + "]\r\n\"V\" = \"1\"\r\n";
    const std::string names = File("names.reg");
    write_file(names, many);
    EXPECT_EQ(14u, CRegistry::LoadFromFile(names.c_str()));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, Key("Many")));

    // A section whose lines need more than 4096 bytes: the key, no values, success.
    std::string lines = "[HKEY_CURRENT_USER\\" + Key("Long") + "]\r\n";
    for (int i = 0; i < 20; ++i) lines += "\"V" + std::to_string(i) + "\" = \"" + std::string(250, 'v') + "\"\r\n";
    const std::string long_lines = File("lines.reg");
    write_file(long_lines, lines);
    EXPECT_EQ(0u, CRegistry::LoadFromFile(long_lines.c_str()));
    EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, Key("Long")));
    DWORD type, size;
    EXPECT_FALSE(raw_info(HKEY_CURRENT_USER, Key("Long"), "V0", &type, &size));
}

}  // namespace
