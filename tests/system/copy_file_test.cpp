// CCopyFile on real files under Wine: a scratch directory tree and a scratch registry key that
// the fixture creates and removes; replace and delete at restart checked in the system's
// pending-rename list (the real restart is exercised by copy_restart.sh).
#include "system/copy_file.h"

#include "platform/unique_handle.h"
#include "system/api_function.h"
#include "system/registry.h"
#include "tests/support/recording_log.h"

#include <gtest/gtest.h>

#include "tests/support/file_text.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

bool exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(::tolower(c)); });
    return s;
}

// Removes a scratch tree whatever state a failed test left it in.
void remove_tree(const std::string& dir)
{
    WIN32_FIND_DATAA found;
    unique_findfile find(::FindFirstFileA((dir + "\\*").c_str(), &found));
    if (find) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = dir + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                remove_tree(path);
            } else {
                ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(path.c_str());
            }
        } while (::FindNextFileA(find.get(), &found));
    }
    ::RemoveDirectoryA(dir.c_str());
}

// The raw PendingFileRenameOperations value, so that a test can put it back as it was.
struct PendingRenames {
    bool present = false;
    std::vector<BYTE> data;

    static PendingRenames Read()
    {
        PendingRenames p;
        unique_hkey key;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return p;
        DWORD type = 0, size = 0;
        if (::RegQueryValueExW(key.get(), L"PendingFileRenameOperations", nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            return p;
        p.data.resize(size);
        if (::RegQueryValueExW(key.get(), L"PendingFileRenameOperations", nullptr, &type, p.data.data(), &size) ==
            ERROR_SUCCESS) {
            p.present = true;
            p.data.resize(size);
        }
        return p;
    }

    void Restore() const
    {
        unique_hkey key;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) return;
        if (present)
            ::RegSetValueExW(key.get(), L"PendingFileRenameOperations", 0, REG_MULTI_SZ, data.data(),
                             static_cast<DWORD>(data.size()));
        else
            ::RegDeleteValueW(key.get(), L"PendingFileRenameOperations");
    }

    // (source, target) pairs in ANSI, lower case; target "" for a delete.
    std::vector<std::pair<std::string, std::string>> Pairs() const
    {
        std::vector<std::string> texts;
        const wchar_t* p = reinterpret_cast<const wchar_t*>(data.data());
        const wchar_t* end = p + data.size() / sizeof(wchar_t);
        while (p < end) {
            std::wstring w(p);
            p += w.size() + 1;
            char text[1024] = {};
            ::WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, text, sizeof text, nullptr, nullptr);
            texts.push_back(lower(text));
        }
        std::vector<std::pair<std::string, std::string>> pairs;
        for (size_t i = 0; i + 1 < texts.size(); i += 2) pairs.emplace_back(texts[i], texts[i + 1]);
        return pairs;
    }
};

// Records what the copy engine registers; removal deletes it backwards, files before
// directories, as an uninstallation does.
class FakeHistory final : public IInstallHistory {
public:
    std::vector<std::string> files;
    std::vector<std::string> dirs;
    const CopyFileEnv* env = nullptr;

    bool AddFile(const std::string& path) override
    {
        files.push_back(path);
        return true;
    }
    bool AddDirectory(const std::string& path) override
    {
        dirs.push_back(path);
        return true;
    }
    bool RemoveRunHistory() override
    {
        if (files.empty() && dirs.empty()) return false;
        for (auto it = files.rbegin(); it != files.rend(); ++it) CCopyFile::DeleteOneFile(*env, it->c_str());
        for (auto it = dirs.rbegin(); it != dirs.rend(); ++it) CCopyFile::DeleteDirectory(*env, it->c_str(), false);
        return true;
    }
};

class CopyFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        char name[64];
        std::snprintf(name, sizeof name, "qvcopy_%lu_%lu", ::GetCurrentProcessId(), ::GetTickCount());
        root_ = std::string(temp) + name;
        ASSERT_TRUE(::CreateDirectoryA(root_.c_str(), nullptr));
        key_ = std::string("Software\\QvTest\\") + name;
        pending_ = PendingRenames::Read();
        history_.env = &env_;
        env_.trace = &trace_;
        env_.log = &log_;
        env_.api = &api_;
        env_.history = &history_;
    }
    void TearDown() override
    {
        pending_.Restore();
        CRegistry::DeleteKey(key_.c_str());
        remove_tree(root_);
    }

    std::string Path(const std::string& rel) const { return root_ + "\\" + rel; }
    void Make(const std::string& rel, const std::string& text)
    {
        std::string path = Path(rel);
        for (size_t at = path.find('\\', root_.size() + 1); at != std::string::npos; at = path.find('\\', at + 1))
            ::CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
        write_file(path, text);
    }
    void Record(const std::string& name, const std::string& src, const std::string& dest, unsigned long sub_dirs,
                unsigned long del, const std::string& description = "desc")
    {
        std::string k = key_ + "\\" + name;
        ASSERT_EQ(0u, CRegistry::SetValue(k.c_str(), "Src", src.c_str()));
        ASSERT_EQ(0u, CRegistry::SetValue(k.c_str(), "Dest", dest.c_str()));
        ASSERT_EQ(0u, CRegistry::SetValue(k.c_str(), "Description", description.c_str()));
        ASSERT_EQ(0u, CRegistry::SetValue(k.c_str(), "CopySubDir", sub_dirs));
        ASSERT_EQ(0u, CRegistry::SetValue(k.c_str(), "Delete", del));
    }

    std::string root_;
    std::string key_;
    PendingRenames pending_;
    CRecordingLog trace_;
    CRecordingLog log_;
    CAPIFunction api_;
    FakeHistory history_;
    CopyFileEnv env_;
};

TEST_F(CopyFileTest, SelfCopyAndBadArgumentsTouchNothing)
{
    Make("A\\x.txt", "same");
    std::string upper = root_ + "\\a\\X.TXT";
    EXPECT_TRUE(CCopyFile::CopyOneFile(env_, Path("A\\x.txt").c_str(), upper.c_str(), true));
    EXPECT_TRUE(trace_.Contains("Src and Dest file are identical so it was not copied!!!"));
    EXPECT_EQ("same", read_file(Path("A\\x.txt")));
    EXPECT_TRUE(history_.files.empty());

    const char* cases[][2] = {{nullptr, "x"}, {"x", nullptr}, {"", "x"}, {"x", ""}};
    for (auto& c : cases) {
        ::SetLastError(0);
        EXPECT_FALSE(CCopyFile::CopyOneFile(env_, c[0], c[1], true));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), ::GetLastError());
    }
}

TEST_F(CopyFileTest, CopyCreatesMissingDirectoriesAndRegistersThem)
{
    Make("src.txt", "payload");
    std::string dest = Path("New\\Sub\\x.txt");
    EXPECT_TRUE(CCopyFile::CopyOneFile(env_, Path("src.txt").c_str(), dest.c_str(), true));
    EXPECT_EQ("payload", read_file(dest));
    EXPECT_EQ((std::vector<std::string>{Path("New"), Path("New\\Sub")}), history_.dirs);
    EXPECT_EQ(std::vector<std::string>{dest}, history_.files);

    // Without the flag nothing more is registered.
    EXPECT_TRUE(CCopyFile::CopyOneFile(env_, Path("src.txt").c_str(), Path("Other\\y.txt").c_str(), false));
    EXPECT_EQ(2u, history_.dirs.size());
    EXPECT_EQ(1u, history_.files.size());
}

TEST_F(CopyFileTest, ReadOnlyDestinationIsOverwrittenAndLeftNormal)
{
    Make("src.txt", "new");
    Make("dest.txt", "old");
    ASSERT_TRUE(::SetFileAttributesA(Path("dest.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(CCopyFile::CopyOneFile(env_, Path("src.txt").c_str(), Path("dest.txt").c_str(), false));
    EXPECT_EQ("new", read_file(Path("dest.txt")));
    // Wine reports every plain file as archive; what matters is that it is writable again.
    EXPECT_EQ(0u, ::GetFileAttributesA(Path("dest.txt").c_str()) & FILE_ATTRIBUTE_READONLY);

    // A read-only (or hidden) source does not pass that on: the installed copy stays writable.
    ASSERT_TRUE(::SetFileAttributesA(Path("src.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(CCopyFile::CopyOneFile(env_, Path("src.txt").c_str(), Path("fresh.txt").c_str(), false));
    EXPECT_EQ(0u, ::GetFileAttributesA(Path("fresh.txt").c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
}

TEST_F(CopyFileTest, MissingSourceFailsAndLeavesTheDestination)
{
    Make("dest.txt", "keep");
    EXPECT_FALSE(CCopyFile::CopyOneFile(env_, Path("nothing.txt").c_str(), Path("dest.txt").c_str(), true));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), ::GetLastError());
    EXPECT_EQ("keep", read_file(Path("dest.txt")));
    EXPECT_TRUE(history_.files.empty());
    EXPECT_TRUE(PendingRenames::Read().data == pending_.data);
}

TEST_F(CopyFileTest, CreateDirectoryChainCases)
{
    Make("file", "x");
    struct Case {
        std::string path;
        bool ok;
    } cases[] = {
        {Path("d1\\d2\\d3"), true},
        {Path("d1\\d2\\d3\\"), true},  // already there, trailing backslash
        {Path("file\\below"), false},   // a file in the way
        {"\\\\server\\share\\dir", false},
        {"", false},
    };
    for (const auto& c : cases) {
        history_.dirs.clear();
        EXPECT_EQ(c.ok, CCopyFile::CreateDirectoryChain(env_, c.path.c_str(), true)) << c.path;
    }
    EXPECT_TRUE(exists(Path("d1\\d2\\d3")));
    // The UNC path stopped at its first step: nothing was created for it.
    EXPECT_TRUE(trace_.Contains("Create directory fail (\\\\)\n")) << trace_.All();
    EXPECT_TRUE(trace_.Contains("Create directory fail []\n"));
}

TEST_F(CopyFileTest, RecordsRoundTripThroughTheRegistry)
{
    Make("one.txt", "1");
    Make("tree\\a.txt", "a");
    Make("tree\\sub\\b.txt", "b");
    Make("tree\\sub\\deeper\\c.txt", "c");
    std::string long_text(300, 'd');
    Record("r1", Path("one.txt"), Path("out\\one.txt"), 0, 1, long_text);
    Record("r2", Path("tree"), Path("flat"), 0, 0);
    Record("r3", Path("tree"), Path("deep"), 1, 1);
    Record("r4", Path("missing.txt"), Path("out\\missing.txt"), 0, 0);

    CCopyFile copy(env_);
    ASSERT_TRUE(copy.LoadRecords(key_.c_str()));
    EXPECT_EQ(key_, copy.KeyPath());
    std::vector<std::string> dests;
    for (int i = 0; i < copy.GetCount(); ++i) dests.push_back(copy.GetDest(i));
    std::sort(dests.begin(), dests.end());
    EXPECT_EQ((std::vector<std::string>{Path("deep\\a.txt"), Path("deep\\sub\\b.txt"), Path("deep\\sub\\deeper\\c.txt"),
                                        Path("flat\\a.txt"), Path("out\\one.txt")}),
              dests);
    for (const auto& e : copy.Entries()) {
        if (e.dest == Path("out\\one.txt")) {
            EXPECT_EQ(std::string(259, 'd'), e.description);
            EXPECT_TRUE(e.register_in_history);
        }
        if (e.dest == Path("flat\\a.txt")) {
            EXPECT_FALSE(e.register_in_history);
        }
    }
    EXPECT_TRUE(trace_.ContainsPart("Source not found (" + Path("missing.txt") + ")"));
    EXPECT_STREQ("", copy.GetDest(copy.GetCount()));
    EXPECT_STREQ("", copy.GetDescription(-1));
    EXPECT_FALSE(copy.CopyItem(copy.GetCount()));

    // A second load replaces the list rather than adding to it.
    ASSERT_TRUE(copy.LoadRecords(key_.c_str()));
    EXPECT_EQ(5, copy.GetCount());

    ASSERT_TRUE(copy.CopyAll(key_.c_str()));
    EXPECT_EQ("c", read_file(Path("deep\\sub\\deeper\\c.txt")));
    EXPECT_EQ("a", read_file(Path("flat\\a.txt")));
    EXPECT_FALSE(exists(Path("flat\\sub")));
    EXPECT_EQ("1", read_file(Path("out\\one.txt")));
    EXPECT_TRUE(log_.lines.empty());
}

TEST_F(CopyFileTest, CopyAllWithoutRecordsLogsAndFails)
{
    CCopyFile copy(env_);
    std::string missing = key_ + "\\none";
    EXPECT_FALSE(copy.CopyAll(missing.c_str()));
    EXPECT_TRUE(log_.Contains("Copy file Initial fail!!"));
    EXPECT_FALSE(copy.CopyAll(nullptr));
}

TEST_F(CopyFileTest, RollBackRemovesWhatTheRunCopied)
{
    Make("src\\a.txt", "a");
    Make("src\\sub\\b.txt", "b");
    Make("target\\keep.txt", "not ours");
    Record("r", Path("src"), Path("target\\new\\deeper"), 1, 1);

    CCopyFile copy(env_);
    ASSERT_TRUE(copy.CopyAll(key_.c_str()));
    ASSERT_TRUE(exists(Path("target\\new\\deeper\\sub\\b.txt")));
    // The copy page walks back over what it copied, then rolls the history back.
    for (int i = copy.GetCount() - 1; i >= 0; --i) EXPECT_TRUE(copy.DeleteItem(i));
    EXPECT_TRUE(copy.RollBack());
    EXPECT_FALSE(exists(Path("target\\new")));
    EXPECT_EQ("not ours", read_file(Path("target\\keep.txt")));

    CopyFileEnv no_history = env_;
    no_history.history = nullptr;
    EXPECT_FALSE(CCopyFile(no_history).RollBack());
}

TEST_F(CopyFileTest, CopyDirectoryFlatDeepAndIntoItself)
{
    Make("src\\a.txt", "a");
    Make("src\\sub\\b.txt", "b");
    EXPECT_TRUE(CCopyFile::CopyDirectory(env_, Path("src").c_str(), Path("flat").c_str(), false, false));
    EXPECT_TRUE(exists(Path("flat\\a.txt")));
    EXPECT_FALSE(exists(Path("flat\\sub")));

    EXPECT_TRUE(CCopyFile::CopyDirectory(env_, Path("src").c_str(), Path("deep\\x").c_str(), true, true));
    EXPECT_EQ("b", read_file(Path("deep\\x\\sub\\b.txt")));
    EXPECT_EQ(3u, history_.dirs.size());  // deep, deep\x, deep\x\sub

    // Into its own sub-directory: the copy does not chase itself.
    EXPECT_TRUE(CCopyFile::CopyDirectory(env_, Path("src").c_str(), Path("src\\copy").c_str(), true, false));
    EXPECT_EQ("b", read_file(Path("src\\copy\\sub\\b.txt")));
    EXPECT_FALSE(exists(Path("src\\copy\\copy")));

    EXPECT_FALSE(CCopyFile::CopyDirectory(env_, Path("src").c_str(), "\\\\server\\share", true, false));
}

TEST_F(CopyFileTest, DeleteOneFileCases)
{
    Make("ro.txt", "x");
    ::SetFileAttributesA(Path("ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    Make("quoted.txt", "x");
    Make("dir\\inside.txt", "x");
    std::string quoted = "  \"" + Path("quoted.txt") + "\" ";
    struct Case {
        std::string path;
        bool ok;
    } cases[] = {
        {Path("ro.txt"), true},
        {quoted, true},
        {Path("absent.txt"), true},
        {Path("no\\such\\dir\\absent.txt"), true},
        {Path("dir"), false},  // a directory is not a file
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.ok, CCopyFile::DeleteOneFile(env_, c.path.c_str())) << c.path;
    EXPECT_FALSE(exists(Path("ro.txt")));
    EXPECT_FALSE(exists(Path("quoted.txt")));
    EXPECT_TRUE(exists(Path("dir\\inside.txt")));
    EXPECT_TRUE(PendingRenames::Read().data == pending_.data);
}

TEST_F(CopyFileTest, DeleteDirectoryRemovesEmptiedParentsOnly)
{
    Make("P\\Q\\R\\f.txt", "x");
    Make("P\\Q\\R\\S\\g.txt", "x");
    Make("P\\Q\\R\\.a", "dot");  // short dot names are passed over
    EXPECT_TRUE(CCopyFile::DeleteDirectory(env_, Path("P\\Q\\R\\").c_str(), true));
    EXPECT_TRUE(exists(Path("P\\Q\\R\\.a")));  // so R stays, and so do its parents
    ::DeleteFileA(Path("P\\Q\\R\\.a").c_str());

    Make("P\\other.txt", "keep");
    EXPECT_TRUE(CCopyFile::DeleteDirectory(env_, Path("P\\Q\\R").c_str(), true));
    EXPECT_FALSE(exists(Path("P\\Q")));
    EXPECT_TRUE(exists(Path("P\\other.txt")));  // P is not empty

    // Not recursive: only an empty directory goes, and its parents stay.
    Make("E\\F\\x.txt", "x");
    EXPECT_TRUE(CCopyFile::DeleteDirectory(env_, Path("E\\F").c_str(), false));
    EXPECT_TRUE(exists(Path("E\\F\\x.txt")));
    ::DeleteFileA(Path("E\\F\\x.txt").c_str());
    EXPECT_TRUE(CCopyFile::DeleteDirectory(env_, Path("E\\F").c_str(), false));
    EXPECT_FALSE(exists(Path("E\\F")));
    EXPECT_TRUE(exists(Path("E")));

    EXPECT_FALSE(CCopyFile::DeleteDirectory(env_, "", true));
    EXPECT_FALSE(CCopyFile::DeleteDirectory(env_, nullptr, true));
}

// A destination held open without write or delete sharing can neither be overwritten nor
// renamed: the new content waits beside it for the next restart.
TEST_F(CopyFileTest, LockedDestinationIsReplacedAtRestartOnNt)
{
    Make("src.txt", "new content");
    Make("locked.txt", "old content");
    unique_hfile lock(::CreateFileA(Path("locked.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);

    EXPECT_TRUE(CCopyFile::CopyOneFile(env_, Path("src.txt").c_str(), Path("locked.txt").c_str(), true));
    EXPECT_EQ(std::vector<std::string>{Path("locked.txt")}, history_.files);
    lock.reset();
    EXPECT_EQ("old content", read_file(Path("locked.txt")));

    std::string dest = lower(Path("locked.txt"));
    bool found = false;
    for (const auto& pair : PendingRenames::Read().Pairs()) {
        if (pair.second.size() < dest.size() || pair.second.compare(pair.second.size() - dest.size(), dest.size(), dest))
            continue;
        found = true;
        // The waiting copy sits in the destination's directory and holds the new content.
        std::string waiting = pair.first.substr(pair.first.find(lower(root_)));
        EXPECT_EQ("new content", read_file(waiting));
    }
    EXPECT_TRUE(found);
}

TEST_F(CopyFileTest, LockedDestinationGoesIntoTheWininitListOn9x)
{
    Make("src.txt", "new content");
    Make("locked.txt", "old content");
    unique_hfile lock(::CreateFileA(Path("locked.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);
    CAPIFunction windows95(NullTrace(), CAPIFunction::Binding::None);  // no MoveFileExA
    CopyFileEnv env = env_;
    env.api = &windows95;
    env.os_family = kFamilyWin9x;
    env.wininit_path = Path("wininit.ini");

    EXPECT_TRUE(CCopyFile::CopyOneFile(env, Path("src.txt").c_str(), Path("locked.txt").c_str(), false));
    char short_dest[MAX_PATH] = {};
    ASSERT_NE(0u, ::GetShortPathNameA(Path("locked.txt").c_str(), short_dest, MAX_PATH));
    char waiting[MAX_PATH] = {};
    ASSERT_NE(0u, ::GetPrivateProfileStringA("rename", short_dest, "", waiting, MAX_PATH, env.wininit_path.c_str()));
    EXPECT_EQ("new content", read_file(waiting));
    ::DeleteFileA(waiting);
    EXPECT_TRUE(PendingRenames::Read().data == pending_.data);
}

TEST_F(CopyFileTest, LockedFileIsDeletedAtRestart)
{
    Make("locked.txt", "x");
    unique_hfile lock(::CreateFileA(Path("locked.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);
    EXPECT_TRUE(CCopyFile::DeleteOneFile(env_, Path("locked.txt").c_str()));
    std::string path = lower(Path("locked.txt"));
    bool found = false;
    for (const auto& pair : PendingRenames::Read().Pairs())
        if (pair.first.find(path) != std::string::npos && pair.second.empty()) found = true;
    EXPECT_TRUE(found);

    // Without MoveFileExA there is no way to do it: reported, not hidden.
    CAPIFunction windows95(NullTrace(), CAPIFunction::Binding::None);
    CopyFileEnv env = env_;
    env.api = &windows95;
    EXPECT_FALSE(CCopyFile::DeleteOneFile(env, Path("locked.txt").c_str()));
    EXPECT_TRUE(trace_.ContainsPart("Delete " + Path("locked.txt") + " fail!!"));
}

}  // namespace
