// The install history against the real registry and file system under Wine: a scratch product
// key (HKLM\Software\QvTest\<unique>) and a scratch directory, each compared before a run and
// after its removal.
#include "install/install_history.h"

#include "install/item.h"
#include "system/copy_file.h"
#include "system/registry.h"

#include "platform/unique_handle.h"
#include "tests/support/file_text.h"
#include "tests/support/recording_log.h"

#include <gtest/gtest.h>
#include <setupapi.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

// The item collection fits the state interface as it stands.
template class InstalledStateOf<CItem>;

namespace {

std::string unique_suffix()
{
    static int serial = 0;
    char text[64];
    std::snprintf(text, sizeof text, "%lu_%lu_%d", ::GetCurrentProcessId(), ::GetTickCount(), ++serial);
    return text;
}

bool exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void make_dir(const std::string& path) { ::CreateDirectoryA(path.c_str(), nullptr); }

void remove_tree(const std::string& dir)
{
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((dir + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = dir + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(path);
            else
                ::DeleteFileA(path.c_str());
        } while (::FindNextFileA(find, &found));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(dir.c_str());
}

// Every path under the directory with each file's content, sorted.
void list_tree(const std::string& dir, const std::string& prefix, std::map<std::string, std::string>& out)
{
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((dir + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = dir + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[prefix + name + "\\"] = "";
            list_tree(path, prefix + name + "\\", out);
        } else {
            out[prefix + name] = read_file(path);
        }
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
}

std::map<std::string, std::string> listing(const std::string& dir)
{
    std::map<std::string, std::string> out;
    list_tree(dir, "", out);
    return out;
}

// The key tree as text: each key with its values (name, type, bytes), sub-keys sorted.
void export_key(HKEY root, const std::string& path, std::string& out)
{
    unique_hkey key;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    out += "[" + path + "]\n";
    std::map<std::string, std::string> values;
    for (DWORD i = 0;; ++i) {
        char name[512];
        BYTE data[4096];
        DWORD name_size = sizeof name, data_size = sizeof data, type = 0;
        if (::RegEnumValueA(key.get(), i, name, &name_size, nullptr, &type, data, &data_size) != ERROR_SUCCESS) break;
        values[name] = std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), data_size);
    }
    for (const auto& v : values) out += v.first + "=" + v.second + "\n";
    std::vector<std::string> subs;
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD size = sizeof name;
        if (::RegEnumKeyExA(key.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subs.push_back(name);
    }
    std::sort(subs.begin(), subs.end());
    for (const auto& s : subs) export_key(root, path + "\\" + s, out);
}

std::string export_key(HKEY root, const std::string& path)
{
    std::string out;
    export_key(root, path, out);
    return out;
}

bool key_exists(HKEY root, const std::string& path)
{
    unique_hkey key;
    return ::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

bool value_exists(HKEY root, const std::string& path, const char* name)
{
    unique_hkey key;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
    return ::RegQueryValueExA(key.get(), name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::string text_value(const std::string& path, const char* name)
{
    char buffer[4100] = {};
    return CRegistry::GetValue(path.c_str(), name, buffer) == ERROR_SUCCESS ? buffer : "<missing>";
}

unsigned long dword_value(const std::string& path, const char* name)
{
    unsigned long n = 0xDEAD;
    CRegistry::GetValue(path.c_str(), name, &n);
    return n;
}

class InstallHistoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        unique_ = unique_suffix();
        product_ = "Software\\QvTest\\" + unique_;
        env_.roots.Form("QvTest", unique_);
        env_.log = &log_;
        env_.trace = &trace_;
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        dir_ = std::string(temp) + "qvhist_" + unique_;
        make_dir(dir_);
        // What was there before the run: a removal must leave it alone.
        make_dir(dir_ + "\\keep");
        write_file(dir_ + "\\keep\\old.txt", "old");
        CRegistry::SetValue((product_ + "\\Other").c_str(), "Keep", "yes");
    }
    void TearDown() override
    {
        remove_tree(dir_);
        CRegistry::DeleteKey(product_.c_str());
        CRegistry::DeleteKey(("Software\\QvTest\\" + unique_).c_str(), false, HKEY_CURRENT_USER);
    }

    std::string unique_, product_, dir_;
    CRecordingLog log_, trace_;
    InstallHistoryEnv env_;
};

TEST_F(InstallHistoryTest, EntriesAreNumberedRegSzWithoutTerminatorAndCounted)
{
    CInstallHistory history(env_);
    const std::string run = env_.roots.installing_history;
    EXPECT_TRUE(history.AddHistoryEntry("C:\\a.txt", kHistoryFile));
    EXPECT_TRUE(history.AddHistoryEntry("C:\\a.txt", kHistoryFile, run));  // recorded twice
    EXPECT_TRUE(history.AddDirectory("C:\\d"));
    EXPECT_TRUE(history.AddHistoryEntry("HKEY_CURRENT_USER\\S\\V", kHistoryValue));
    EXPECT_TRUE(history.AddHistoryEntry("HKEY_LOCAL_MACHINE\\S", kHistoryKey));
    EXPECT_TRUE(history.AddHistoryEntry("C:\\m\\x.lnk", kHistoryShortcut));
    EXPECT_TRUE(history.AddHistoryEntry("C:\\dest", kHistoryDestDir));
    EXPECT_FALSE(history.AddHistoryEntry("C:\\x", 6));
    EXPECT_FALSE(history.AddHistoryEntry("C:\\x", -1));

    EXPECT_EQ(2u, dword_value(run, "NumOfFiles"));
    EXPECT_EQ("C:\\a.txt", text_value(run, "File0"));
    EXPECT_EQ("C:\\a.txt", text_value(run, "File1"));
    EXPECT_EQ(1u, dword_value(run, "NumOfDirs"));
    EXPECT_EQ("C:\\d", text_value(run, "Dir0"));
    EXPECT_EQ("HKEY_CURRENT_USER\\S\\V", text_value(run, "Value0"));
    EXPECT_EQ("HKEY_LOCAL_MACHINE\\S", text_value(run, "Key0"));
    EXPECT_EQ("C:\\m\\x.lnk", text_value(run, "Shortcut0"));
    EXPECT_EQ("C:\\dest", text_value(run, "DestDir0"));
    for (const char* name : {"NumOfValues", "NumOfKeys", "NumOfShortcuts", "NumOfDestDirs"})
        EXPECT_EQ(1u, dword_value(run, name)) << name;

    unique_hkey key;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, run.c_str(), 0, KEY_READ, key.put()));
    DWORD type = 0, size = 0;
    // The written length leaves out the zero, but the system adds one when the byte after the
    // data is zero (as NT does), so only the type is the writer's to check.
    ASSERT_EQ(ERROR_SUCCESS, ::RegQueryValueExA(key.get(), "File0", nullptr, &type, nullptr, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    ASSERT_EQ(ERROR_SUCCESS, ::RegQueryValueExA(key.get(), "NumOfFiles", nullptr, &type, nullptr, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
}

TEST_F(InstallHistoryTest, SixtyFourBitFileEntriesLandInSysWow64)
{
    env_.is64 = true;
    CInstallHistory history(env_);
    EXPECT_TRUE(history.AddFile("C:\\WINDOWS\\system32\\x.dll"));
    EXPECT_TRUE(history.AddDirectory("C:\\WINDOWS\\system32\\qv"));
    EXPECT_EQ("C:\\WINDOWS\\SYSWOW64\\X.DLL", text_value(env_.roots.installing_history, "File0"));
    EXPECT_EQ("C:\\WINDOWS\\system32\\qv", text_value(env_.roots.installing_history, "Dir0"));
}

TEST_F(InstallHistoryTest, KeyThatCannotBeCreatedIsTraced)
{
    CInstallHistory history(env_);
    // A name longer than the registry allows cannot be created.
    std::string key = product_ + "\\" + std::string(300, 'k');
    EXPECT_FALSE(history.AddHistoryEntry("C:\\a", kHistoryFile, key));
    EXPECT_TRUE(trace_.ContainsPart("[CUtl-Open or Create Key]")) << trace_.All();
}

TEST_F(InstallHistoryTest, MergeAppendsAfterTheTargetsEntriesAndDeletesTheSource)
{
    CInstallHistory history(env_);
    const std::string& run = env_.roots.installing_history;
    const std::string& installed = env_.roots.installed_history;
    CRegistry::SetValue(env_.roots.installing.c_str(), "Setup_Type", 1ul);
    for (const char* f : {"C:\\i0", "C:\\i1", "C:\\i2"}) history.AddHistoryEntry(f, kHistoryFile, installed);
    history.AddFile("C:\\r0");
    history.AddFile("C:\\r1");
    history.AddHistoryEntry("HKEY_USERS\\K", kHistoryKey);
    // A gap in the run's list: the missing entry is skipped, the others still arrive.
    history.AddHistoryEntry("C:\\s0", kHistoryShortcut);
    history.AddHistoryEntry("C:\\s1", kHistoryShortcut);
    CRegistry::DeleteValue(run.c_str(), "Shortcut0");

    EXPECT_TRUE(history.MergeHistory(run, installed));
    EXPECT_EQ(5u, dword_value(installed, "NumOfFiles"));
    EXPECT_EQ("C:\\i2", text_value(installed, "File2"));
    EXPECT_EQ("C:\\r0", text_value(installed, "File3"));
    EXPECT_EQ("C:\\r1", text_value(installed, "File4"));
    EXPECT_EQ("HKEY_USERS\\K", text_value(installed, "Key0"));
    EXPECT_EQ(1u, dword_value(installed, "NumOfShortcuts"));
    EXPECT_EQ("C:\\s1", text_value(installed, "Shortcut0"));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, run));
    EXPECT_TRUE(key_exists(HKEY_LOCAL_MACHINE, env_.roots.installing));  // only the history goes
}

// Records calls in place of the system's SetupUninstallOEMInfA.
std::vector<std::string> g_inf_calls;
DWORD g_inf_flags = 0;
BOOL g_inf_result = TRUE;
BOOL WINAPI fake_uninstall_inf(PCSTR name, DWORD flags, PVOID reserved)
{
    g_inf_calls.push_back(name);
    g_inf_flags = flags;
    if (reserved) g_inf_calls.push_back("<reserved>");
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return g_inf_result;
}

TEST_F(InstallHistoryTest, FilesGoFromTheLastEntryDownAndInfsThroughTheSystemFirst)
{
    CInstallHistory history(env_);
    history.SetUninstallOEMInf(&fake_uninstall_inf);
    g_inf_calls.clear();
    g_inf_result = TRUE;
    const std::string& run = env_.roots.installing_history;
    for (const char* name : {"oem0.inf", "a.txt", "OEM2.INF", "oem3.inf"}) {
        write_file(dir_ + "\\" + name, "x");
        history.AddFile(dir_ + "\\" + name);
    }
    CRegistry::DeleteValue(run.c_str(), "File3");  // an entry that cannot be read is passed over
    write_file(dir_ + "\\oem3.inf", "x");

    EXPECT_TRUE(history.UninstallHistory(run));
    EXPECT_EQ((std::vector<std::string>{"OEM2.INF", "oem0.inf"}), g_inf_calls);
    EXPECT_EQ(1u, g_inf_flags);
    EXPECT_TRUE(log_.Contains(dir_ + "\\OEM2.INF file uninstalled")) << log_.All();
    for (const char* gone : {"oem0.inf", "a.txt", "OEM2.INF"}) EXPECT_FALSE(exists(dir_ + "\\" + gone)) << gone;
    EXPECT_TRUE(exists(dir_ + "\\oem3.inf"));

    // A refusal is logged with the system's code and the file is deleted all the same.
    g_inf_calls.clear();
    g_inf_result = FALSE;
    const std::string other = product_ + "\\Other\\InstHistory";
    history.AddHistoryEntry(dir_ + "\\b.inf", kHistoryFile, other);
    write_file(dir_ + "\\b.inf", "x");
    log_.lines.clear();
    EXPECT_TRUE(history.UninstallHistory(other));
    ASSERT_EQ(1u, g_inf_calls.size());
    ASSERT_FALSE(log_.lines.empty());
    EXPECT_EQ("b.inf", log_.lines.back().text);
    EXPECT_EQ(static_cast<uint32_t>(ERROR_FILE_NOT_FOUND), log_.lines.back().code);
    EXPECT_FALSE(exists(dir_ + "\\b.inf"));

    EXPECT_FALSE(history.UninstallHistory(""));
}

TEST_F(InstallHistoryTest, RegistryEntriesWithUnknownRootsAreSkippedOrTakenAsLocalMachine)
{
    CInstallHistory history(env_);
    const std::string user_key = "Software\\QvTest\\" + unique_;
    CRegistry::SetValue(user_key.c_str(), "Flag", 1ul, HKEY_CURRENT_USER);
    CRegistry::SetValue(user_key.c_str(), "Other", 1ul, HKEY_CURRENT_USER);
    CRegistry::SetValue((product_ + "\\Gone").c_str(), "V", "v");
    CRegistry::SetValue((product_ + "\\Parent\\Child").c_str(), "V", "v");

    history.AddHistoryEntry("HKEY_CURRENT_USER\\" + user_key + "\\Flag", kHistoryValue);
    history.AddHistoryEntry("HKLM\\" + product_ + "\\Other\\Keep", kHistoryValue);
    history.AddHistoryEntry("HKEY_LOCAL_MACHINE\\" + product_ + "\\Other", kHistoryValue);  // no such value
    history.AddHistoryEntry("SOMEWHERE\\" + product_ + "\\Gone", kHistoryKey);
    history.AddHistoryEntry("HKEY_LOCAL_MACHINE\\" + product_ + "\\Parent", kHistoryKey);
    history.AddHistoryEntry(product_ + "\\Other", kHistoryKey);  // no root at all: "Software" would be the root

    EXPECT_TRUE(history.UninstallHistory(env_.roots.installing_history));
    EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, user_key, "Flag"));
    EXPECT_TRUE(value_exists(HKEY_CURRENT_USER, user_key, "Other"));
    EXPECT_TRUE(value_exists(HKEY_LOCAL_MACHINE, product_ + "\\Other", "Keep"));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, product_ + "\\Gone"));
    // A key that still has sub-keys stays.
    EXPECT_TRUE(key_exists(HKEY_LOCAL_MACHINE, product_ + "\\Parent\\Child"));
}

TEST_F(InstallHistoryTest, CopyMergeUninstallLeavesDirectoryAndRegistryAsBefore)
{
    const std::string src = dir_ + "\\src";
    make_dir(src);
    make_dir(src + "\\sub");
    write_file(src + "\\a.txt", "a");
    write_file(src + "\\sub\\b.txt", "bb");
    const auto dir_before = listing(dir_);
    const std::string reg_before = export_key(HKEY_LOCAL_MACHINE, product_);

    // A protected directory recorded by mistake, itself or through one that holds it, stays.
    env_.protected_dirs = {dir_ + "\\keep"};
    CInstallHistory history(env_);
    history.AddHistoryEntry(dir_ + "\\keep", kHistoryDestDir);
    history.AddHistoryEntry(dir_, kHistoryDestDir);
    CopyFileEnv copy;
    copy.history = &history;
    // The copy engine registers the files and the directories it creates.
    ASSERT_TRUE(CCopyFile::CopyDirectory(copy, src.c_str(), (dir_ + "\\app\\prog").c_str(), true, true));
    ASSERT_TRUE(CCopyFile::CopyOneFile(copy, (src + "\\a.txt").c_str(), (dir_ + "\\keep\\new.txt").c_str(), true));
    ASSERT_TRUE(CCopyFile::CopyOneFile(copy, (src + "\\a.txt").c_str(), (dir_ + "\\plain.txt").c_str(), false));
    // A destination directory, a shortcut in its own folders, a key and a value of the run.
    make_dir(dir_ + "\\dest");
    make_dir(dir_ + "\\dest\\Install");
    write_file(dir_ + "\\dest\\Install\\setup.log", "log");
    history.AddHistoryEntry(dir_ + "\\dest", kHistoryDestDir);
    make_dir(dir_ + "\\menu");
    make_dir(dir_ + "\\menu\\group");
    write_file(dir_ + "\\menu\\group\\prog.lnk", "lnk");
    history.AddHistoryEntry(dir_ + "\\menu\\group\\prog.lnk", kHistoryShortcut);
    CRegistry::SetValue((product_ + "\\Made\\Deeper").c_str(), "V", "v");
    CRegistry::SetValue((product_ + "\\Other").c_str(), "Added", "v");
    history.AddHistoryEntry("HKEY_LOCAL_MACHINE\\" + product_ + "\\Made", kHistoryKey);
    history.AddHistoryEntry("HKEY_LOCAL_MACHINE\\" + product_ + "\\Made\\Deeper", kHistoryKey);
    history.AddHistoryEntry("HKEY_LOCAL_MACHINE\\" + product_ + "\\Other\\Added", kHistoryValue);

    const std::string& run = env_.roots.installing_history;
    EXPECT_EQ(3u, dword_value(run, "NumOfFiles"));
    EXPECT_EQ(3u, dword_value(run, "NumOfDirs"));  // app, app\prog, app\prog\sub
    EXPECT_TRUE(history.MergeHistory(run, env_.roots.installed_history));
    EXPECT_TRUE(history.RemoveAllInstalled());
    // As CT_DELETE_ALL does once the history is walked; the Installing key is the run's.
    CRegistry::DeleteKey(env_.roots.installed.c_str());
    CRegistry::DeleteKey(env_.roots.installing.c_str());

    ::DeleteFileA((dir_ + "\\plain.txt").c_str());  // never recorded: the removal left it
    EXPECT_EQ(dir_before, listing(dir_));
    EXPECT_EQ(reg_before, export_key(HKEY_LOCAL_MACHINE, product_));
}

TEST_F(InstallHistoryTest, RollBackOfTheCopyEngineRemovesTheRunsFiles)
{
    CInstallHistory history(env_);
    CopyFileEnv copy;
    copy.history = &history;
    CCopyFile engine(copy);
    const auto before = listing(dir_);
    ASSERT_TRUE(CCopyFile::CopyOneFile(copy, (dir_ + "\\keep\\old.txt").c_str(), (dir_ + "\\x\\y\\old.txt").c_str(),
                                       true));
    EXPECT_TRUE(engine.RollBack());
    EXPECT_EQ(before, listing(dir_));
}

// A fake printer INF copied into the system's INF directory as oemNN.inf, then removed again
// through the history by the system's SetupUninstallOEMInfA.
TEST_F(InstallHistoryTest, OemInfIsUninstalledByTheSystem)
{
    CInstallHistory history(env_);
    ASSERT_TRUE(history.HasUninstallOEMInf());
    const std::string inf = dir_ + "\\qvfake.inf";
    write_file(inf, "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\n"
                    "ClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}\r\nProvider=QvTest" +
                        unique_ + "\r\nDriverVer=01/01/2020,1.0.0.0\r\n");
    char oem[MAX_PATH] = {};
    ASSERT_TRUE(::SetupCopyOEMInfA(inf.c_str(), nullptr, SPOST_NONE, 0, oem, MAX_PATH, nullptr, nullptr))
        << ::GetLastError();
    ASSERT_TRUE(exists(oem));
    ASSERT_TRUE(history.IsInfFile(oem));
    history.AddFile(oem);

    EXPECT_TRUE(history.UninstallHistory(env_.roots.installing_history));
    EXPECT_FALSE(exists(oem));
    EXPECT_TRUE(log_.Contains(std::string(oem) + " file uninstalled")) << log_.All();
}

TEST_F(InstallHistoryTest, UninstallerIsCopiedToTheTemporaryThenTheWindowsDirectoryAndRegistered)
{
    CInstallHistory history(env_);
    CopyFileEnv copy;
    copy.history = &history;
    make_dir(dir_ + "\\disc");
    make_dir(dir_ + "\\win");
    write_file(dir_ + "\\disc\\QVDelAll.exe", "MZ");
    const std::string& run = env_.roots.installing_history;

    EXPECT_EQ(dir_ + "\\keep\\QVDelAll.exe", CopyUninstaller(copy, dir_ + "\\disc\\QVDelAll.exe", dir_ + "\\keep",
                                                             dir_ + "\\win", log_));
    EXPECT_EQ("MZ", read_file(dir_ + "\\keep\\QVDelAll.exe"));
    EXPECT_EQ(dir_ + "\\keep\\QVDelAll.exe", text_value(run, "File0"));

    // No usable temporary directory (a file stands where it should be).
    write_file(dir_ + "\\notadir", "");
    EXPECT_EQ(dir_ + "\\win\\UnInstEE.exe", CopyUninstaller(copy, dir_ + "\\disc\\QVDelAll.exe", dir_ + "\\notadir",
                                                           dir_ + "\\win", log_));
    EXPECT_EQ(dir_ + "\\win\\UnInstEE.exe", text_value(run, "File1"));

    EXPECT_EQ("", CopyUninstaller(copy, dir_ + "\\disc\\missing.exe", dir_ + "\\keep", dir_ + "\\win", log_));
    EXPECT_TRUE(log_.Contains("Copy uninstaller fail. create uninstall process fail!!")) << log_.All();
    EXPECT_EQ(2u, dword_value(run, "NumOfFiles"));
}

// Items of the fake collection: name, InstallNow (0: none), UninstCmd (nullptr: none),
// Uninstall_Value_Name (nullptr: none), and whether the record reaches the Installed key.
struct FakeItems final : IInstalledStateItems {
    std::vector<std::string> items, shortcuts;
    int ItemCount() const override { return static_cast<int>(items.size()); }
    std::string ItemName(int i) const override { return items[i]; }
    int ShortcutCount() const override { return static_cast<int>(shortcuts.size()); }
    std::string ShortcutName(int i) const override { return shortcuts[i]; }
};

TEST_F(InstallHistoryTest, SaveInstalledStateKeepsTheItemsTheLibraryInstalled)
{
    const struct {
        const char* name;
        unsigned long install_now;
        const char* uninst_cmd;
        const char* value_name;
        bool saved;
    } cases[] = {
        {"Installed", 2, "remove.exe", nullptr, true},
        {"EmptyCommand", 2, "", "Listed", false},  // an empty UninstCmd wins over the value name
        {"OnlySelected", 1, "remove.exe", nullptr, false},
        {"NoState", 0, "remove.exe", nullptr, false},
        {"ByValueName", 2, nullptr, "Listed", true},
        {"ValueNameEmptyInfo", 2, nullptr, "EmptyInfo", false},
        {"ValueNameMissingInfo", 2, nullptr, "Absent", false},
        {"NoCommandNoName", 2, nullptr, nullptr, false},
    };
    const CRegistryRoots& roots = env_.roots;
    CRegistry::SetValue(roots.uninstall_info.c_str(), "Listed", "uninst.exe /x");
    CRegistry::SetValue(roots.uninstall_info.c_str(), "EmptyInfo", "");
    CRegistry::SetValue(roots.installing.c_str(), "Dest_Dir", "C:\\Q");
    CRegistry::SetValue(roots.installing.c_str(), "Setup_Type", 1ul);
    FakeItems items;
    for (const auto& c : cases) {
        std::string key = roots.installing + "\\Items\\" + c.name;
        CRegistry::SetValue(key.c_str(), "Item_Name", c.name);
        if (c.install_now) CRegistry::SetValue(key.c_str(), "InstallNow", c.install_now);
        if (c.uninst_cmd) CRegistry::SetValue(key.c_str(), "UninstCmd", c.uninst_cmd);
        if (c.value_name) CRegistry::SetValue(key.c_str(), "Uninstall_Value_Name", c.value_name);
        CRegistry::SetValue((key + "\\Sub").c_str(), "V", "v");
        items.items.push_back(c.name);
    }
    items.items.push_back("NoRecord");
    CRegistry::SetValue((roots.installing + "\\Shortcut\\Manual").c_str(), "NAME", "Manual");
    CRegistry::SetValue((roots.installing + "\\Shortcut\\Other").c_str(), "NAME", "Other");
    items.shortcuts.push_back("Manual");
    CInstallHistory history(env_);
    history.AddFile("C:\\q.txt");

    EXPECT_TRUE(history.SaveInstalledState(items));
    EXPECT_EQ("C:\\Q", text_value(roots.installed, "Dest_Dir"));
    EXPECT_EQ(1u, dword_value(roots.installed, "Setup_Type"));
    for (const auto& c : cases) {
        std::string key = roots.installed + "\\Items\\" + c.name;
        EXPECT_EQ(c.saved, key_exists(HKEY_LOCAL_MACHINE, key)) << c.name;
        if (!c.saved) continue;
        EXPECT_EQ(c.name, text_value(key, "Item_Name"));
        EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, key + "\\Sub")) << c.name;  // values only
    }
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, roots.installed + "\\Items\\NoRecord"));
    EXPECT_EQ("Manual", text_value(roots.installed + "\\Shortcut\\Manual", "NAME"));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, roots.installed + "\\Shortcut\\Other"));
    EXPECT_EQ("C:\\q.txt", text_value(roots.installed_history, "File0"));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, roots.installing_history));
}

}  // namespace
