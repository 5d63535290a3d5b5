// CCollector on driver trees laid out in a scratch directory, with the INFs of
// tests/data/inf and the real SetupAPI.
#include "system/collector.h"

#include "config/setup_profile.h"
#include "platform/unique_handle.h"
#include "tests/support/recording_log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string OwnInf(const std::string& name) { return std::string(QV_SOURCE_DIR) + "\\tests\\data\\inf\\" + name; }

void remove_tree(const std::string& dir)
{
    WIN32_FIND_DATAA found;
    unique_findfile find(::FindFirstFileA((dir + "\\*").c_str(), &found));
    if (find) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = dir + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(path);
            else
                ::DeleteFileA(path.c_str());
        } while (::FindNextFileA(find.get(), &found));
    }
    find.reset();
    ::RemoveDirectoryA(dir.c_str());
}

void make_dirs(const std::string& dir)
{
    for (size_t pos = dir.find('\\', 3); pos != std::string::npos; pos = dir.find('\\', pos + 1))
        ::CreateDirectoryA(dir.substr(0, pos).c_str(), nullptr);
    ::CreateDirectoryA(dir.c_str(), nullptr);
}

class CollectorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        ::GetTempPathA(sizeof temp, temp);
        disc_ = std::string(temp) + "qv_collector_" + std::to_string(::GetCurrentProcessId());
        remove_tree(disc_);
        root_ = disc_ + "\\Printer";
        make_dirs(root_);
    }
    void TearDown() override { remove_tree(disc_); }

    // An INF of tests/data/inf copied to root\rel (rel empty: the root itself).
    void PutInf(const std::string& rel, const std::string& inf, const std::string& as = std::string())
    {
        const std::string dir = rel.empty() ? root_ : root_ + "\\" + rel;
        make_dirs(dir);
        ASSERT_TRUE(::CopyFileA(OwnInf(inf).c_str(), (dir + "\\" + (as.empty() ? inf : as)).c_str(), FALSE)) << dir;
    }
    void PutFile(const std::string& rel, const std::string& name)
    {
        const std::string dir = rel.empty() ? root_ : root_ + "\\" + rel;
        make_dirs(dir);
        std::ofstream(dir + "\\" + name) << "x";
    }
    void ClearRoot()
    {
        remove_tree(root_);
        make_dirs(root_);
    }

    CRecordingLog log_;
    std::string disc_;
    std::string root_;
};

// The directories tried after the root, for Korean on 32-bit XP (code 14): the first of
// them that holds a printer INF is the target.
TEST_F(CollectorTest, FirstDirectoryInOrderWins)
{
    struct Row {
        std::vector<std::string> dirs;  // each gets a printer INF
        const char* expected;           // relative to the root; null: nothing found
    };
    const Row rows[] = {
        {{"", "WINXP"}, ""},
        {{"Korean", "WINXP"}, "WINXP"},
        {{"WINXP", "WinXP_2000_VISTA_32"}, "WinXP_2000_VISTA_32"},
        {{"English", "Korean"}, "Korean"},
        {{"WINXP2K\\Korean", "English"}, "English"},
        // All language forms under the OS folders before any English one.
        {{"WINXP2K\\English", "WINXP\\Korean"}, "WINXP\\Korean"},
        {{"Korean\\WinXP_2000_VISTA_32", "WINXP\\English"}, "WINXP\\English"},
        {{"English\\WinXP_2000_VISTA_32", "Korean\\WINXP"}, "Korean\\WINXP"},
        {{"English\\WIN2KXP"}, "English\\WIN2KXP"},
        // Not an XP folder, or nested too deep.
        {{"WIN2000", "VISTA", "Korean\\Korean", "WINXP\\Korean\\English"}, nullptr},
    };
    CCollector collector(log_, nullptr, disc_);
    for (const Row& row : rows) {
        ClearRoot();
        for (const auto& dir : row.dirs) PutInf(dir, "models.inf");
        TARGET_INFO target;
        const bool found = collector.FindTarget(root_.c_str(), "Printer", "Korean", "", &target, 14, false);
        ASSERT_EQ(found, row.expected != nullptr) << row.dirs[0];
        if (!found) continue;
        const std::string dir = *row.expected ? root_ + "\\" + row.expected : root_;
        EXPECT_EQ(target.directory, dir);
        EXPECT_EQ(target.kind, kTargetPrinterInf);
        EXPECT_EQ(target.driver_name, "Acme One");
    }
}

TEST_F(CollectorTest, TargetRecordOfAPrinterInf)
{
    PutInf("WINXP", "models.inf", "a.inf");
    CCollector collector(log_, nullptr, disc_);
    TARGET_INFO target;
    ASSERT_TRUE(collector.FindTarget(root_.c_str(), "printer", "English", nullptr, &target, 14, false));
    EXPECT_EQ(target.path, "$SRC_DIR$\\PRINTER\\WINXP\\A.INF");
    EXPECT_EQ(target.directory, root_ + "\\WINXP");
    EXPECT_EQ(target.kind, kTargetPrinterInf);
    EXPECT_EQ(target.driver_name, "Acme One");
}

TEST_F(CollectorTest, SetupProgramWinsOverAnInf)
{
    PutInf("", "models.inf");
    PutFile("", "setup.exe");
    CCollector collector(log_, nullptr, disc_);
    TARGET_INFO target;
    target.driver_name = "stale";
    ASSERT_TRUE(collector.FindTarget(root_.c_str(), "Printer", "English", "", &target, 14, false));
    EXPECT_EQ(target.kind, kTargetSetup);
    EXPECT_EQ(target.path, "$SRC_DIR$\\PRINTER\\SETUP.EXE");
    EXPECT_EQ(target.directory, root_);
    EXPECT_EQ(target.driver_name, "");
}

TEST_F(CollectorTest, ClassDecidesTheInfAndTheKind)
{
    PutInf("", "image.inf");
    PutInf("", "net.inf");
    PutInf("WINXP", "models.inf");
    PutInf("English", "noclass.inf");
    CCollector collector(log_, nullptr, disc_);
    struct Row {
        const char* cls;
        const char* dir;
        int kind;
        const char* driver;
    };
    const Row rows[] = {
        {"Printer", "\\WINXP", kTargetPrinterInf, "Acme One"},
        {"IMAGE", "", kTargetImageInf, "Acme Scan 1"},
        {"Net", "", kTargetOtherInf, ""},
    };
    for (const Row& row : rows) {
        TARGET_INFO target;
        ASSERT_TRUE(collector.FindTarget(root_.c_str(), row.cls, "English", "", &target, 14, false)) << row.cls;
        EXPECT_EQ(target.directory, root_ + row.dir) << row.cls;
        EXPECT_EQ(target.kind, row.kind) << row.cls;
        EXPECT_EQ(target.driver_name, row.driver) << row.cls;
    }
    // Without a class the first INF of a directory is taken, readable or not.
    TARGET_INFO target;
    ASSERT_TRUE(collector.SearchTarget((root_ + "\\English").c_str(), "", &target));
    EXPECT_EQ(target.kind, kTargetNone);
    EXPECT_FALSE(collector.FindTarget(root_.c_str(), "Ports", "English", "", &target, 14, false));
}

TEST_F(CollectorTest, OsDirSectionComesBeforeTheOsFolders)
{
    const std::string data = disc_ + "\\setup.dat";
    std::ofstream(data) << "[MYOS_DIR]\nCustom\nOther\n";
    CSetupProfile profile;
    ASSERT_TRUE(profile.Open(data, data, "", false));
    PutInf("WINXP", "models.inf");
    PutInf("Other", "models.inf");
    CCollector collector(log_, &profile, disc_);
    TARGET_INFO target;
    ASSERT_TRUE(collector.FindTarget(root_.c_str(), "Printer", "English", "MYOS", &target, 14, false));
    EXPECT_EQ(target.directory, root_ + "\\Other");
    // No OS name, or one without a section: the OS folders alone.
    ASSERT_TRUE(collector.FindTarget(root_.c_str(), "Printer", "English", "", &target, 14, false));
    EXPECT_EQ(target.directory, root_ + "\\WINXP");
    ASSERT_TRUE(collector.FindTarget(root_.c_str(), "Printer", "English", "NONE", &target, 14, false));
    EXPECT_EQ(target.directory, root_ + "\\WINXP");
}

TEST_F(CollectorTest, OsCodeZeroTakesTheRunningSystem)
{
    PutInf("WinXP_VISTA_64", "models.inf");
    PutInf("WINXP2K", "models.inf");
    int calls = 0;
    CCollector fake(log_, nullptr, disc_, [&](int& os_class, bool& is64) {
        ++calls;
        os_class = 14;
        is64 = false;
        return true;
    });
    TARGET_INFO target;
    // The 64-bit argument counts only with an explicit code.
    ASSERT_TRUE(fake.FindTarget(root_.c_str(), "Printer", "English", "", &target, 0, true));
    EXPECT_EQ(target.directory, root_ + "\\WINXP2K");
    EXPECT_EQ(calls, 1);
    ASSERT_TRUE(fake.FindTarget(root_.c_str(), "Printer", "English", "", &target, 14, true));
    EXPECT_EQ(target.directory, root_ + "\\WinXP_VISTA_64");
    EXPECT_EQ(calls, 1);

    // Wine reports Windows 7: the Vista folders, in either prefix.
    ClearRoot();
    PutInf("VISTA", "models.inf");
    CCollector real(log_, nullptr, disc_);
    ASSERT_TRUE(real.FindTarget(root_.c_str(), "Printer", nullptr, "", &target, 0, false));
    EXPECT_EQ(target.directory, root_ + "\\VISTA");
}

TEST_F(CollectorTest, RejectsMissingRootAndRecord)
{
    CCollector collector(log_, nullptr, disc_);
    TARGET_INFO target;
    const std::string missing = disc_ + "\\Scanner";
    EXPECT_FALSE(collector.FindTarget(missing.c_str(), "Printer", "English", "", &target, 14, false));
    EXPECT_TRUE(log_.Contains("[" + missing + "] directory is not available!!!!")) << log_.All();

    PutFile("", "file.txt");
    const std::string file = root_ + "\\file.txt";
    EXPECT_FALSE(collector.FindTarget(file.c_str(), "Printer", "English", "", &target, 14, false));
    EXPECT_TRUE(log_.Contains("[" + file + "] directory is not available!!!!")) << log_.All();

    log_.lines.clear();
    PutInf("", "models.inf");
    EXPECT_FALSE(collector.FindTarget(root_.c_str(), "Printer", "English", "", nullptr, 14, false));
    EXPECT_FALSE(collector.FindTarget("", "Printer", "English", "", &target, 14, false));
    EXPECT_FALSE(collector.FindTarget(nullptr, "Printer", "English", "", &target, 14, false));
    EXPECT_FALSE(collector.SearchTarget(root_.c_str(), "Printer", nullptr));
    EXPECT_FALSE(collector.SearchTarget("", "Printer", &target));
    EXPECT_TRUE(log_.lines.empty()) << log_.All();
}

TEST_F(CollectorTest, FindFileStatuses)
{
    PutInf("", "models.inf", "a.inf");
    CCollector collector(log_, nullptr, disc_);
    const std::string expected = root_ + "\\a.inf";
    std::string out(300, '\0');
    int kind = 0;

    EXPECT_EQ(collector.FindFile(nullptr, "", &out[0], 300, &kind), 87u);
    EXPECT_EQ(collector.FindFile("", "", &out[0], 300, &kind), 87u);
    EXPECT_EQ(collector.FindFile(root_.c_str(), "", nullptr, 300, &kind), 87u);
    EXPECT_EQ(collector.FindFile(root_.c_str(), "", &out[0], 0, &kind), 87u);

    // The path and its terminator must fit.
    const int exact = static_cast<int>(expected.size()) + 1;
    EXPECT_EQ(collector.FindFile(root_.c_str(), "Printer", &out[0], exact - 1, &kind), 122u);
    ASSERT_EQ(collector.FindFile((root_ + "\\").c_str(), "Printer", &out[0], exact, &kind), 0u);
    EXPECT_STREQ(out.c_str(), expected.c_str());
    EXPECT_EQ(kind, kFoundInf);

    EXPECT_EQ(collector.FindFile(root_.c_str(), "Image", &out[0], 300, &kind), 2u);
    make_dirs(root_ + "\\Empty");
    EXPECT_EQ(collector.FindFile((root_ + "\\Empty").c_str(), "", &out[0], 300, &kind), 2u);
    // A directory named like an INF is not one.
    make_dirs(root_ + "\\Sub\\dir.inf");
    EXPECT_EQ(collector.FindFile((root_ + "\\Sub").c_str(), "", &out[0], 300, &kind), 2u);

    PutFile("", "setup.exe");
    ASSERT_EQ(collector.FindFile(root_.c_str(), "Printer", &out[0], 300, &kind), 0u);
    EXPECT_STREQ(out.c_str(), (root_ + "\\setup.exe").c_str());
    EXPECT_EQ(kind, kFoundSetup);
}

TEST_F(CollectorTest, FaultsBecomeGpfLines)
{
    PutInf("", "models.inf");
    TARGET_INFO target;

    CCollector throwing(log_, nullptr, disc_, [](int&, bool&) -> bool { throw std::runtime_error("detect"); });
    PutInf("WINXP", "net.inf");  // the root holds no image INF: detection is reached
    EXPECT_FALSE(throwing.FindTarget(root_.c_str(), "Image", "English", "", &target, 0, false));
    EXPECT_TRUE(log_.Contains("GPF in  CCollector::FindTarget()")) << log_.All();

    log_.lines.clear();
    CCollector faulting(log_, nullptr, disc_, [](int&, bool&) -> bool {
        *static_cast<volatile int*>(nullptr) = 1;
        return true;
    });
    EXPECT_FALSE(faulting.FindTarget(root_.c_str(), "Image", "English", "", &target, 0, false));
    EXPECT_TRUE(log_.Contains("GPF in  CCollector::FindTarget()")) << log_.All();

    // A class text that cannot be read.
    log_.lines.clear();
    CCollector collector(log_, nullptr, disc_);
    std::string out(300, '\0');
    int kind = 0;
    const char* bad_class = reinterpret_cast<const char*>(16);
    EXPECT_EQ(collector.FindFile(root_.c_str(), bad_class, &out[0], 300, &kind), 1u);
    EXPECT_TRUE(log_.Contains("GPF in  CCollector::FindFile(" + root_ + ")")) << log_.All();

    // A record that cannot be written.
    log_.lines.clear();
    EXPECT_FALSE(collector.SearchTarget(root_.c_str(), "Printer", reinterpret_cast<TARGET_INFO*>(16)));
    EXPECT_TRUE(log_.Contains("GPF in  CCollector::SearchTarget(" + root_ + ")")) << log_.All();
}

}  // namespace
