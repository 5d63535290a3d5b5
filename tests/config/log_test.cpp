#include "config/log.h"

#include "platform/fault_guard.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <clocale>
#include <ctime>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

const char kProgram[] = "C:\\somewhere\\prog.exe";

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> SplitCrLf(const std::string& text)
{
    std::vector<std::string> lines;
    size_t pos = 0;
    for (;;) {
        const size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) break;
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    EXPECT_EQ(pos, text.size()) << "text after the last CR LF";
    return lines;
}

std::string DateLine()
{
    setlocale(LC_TIME, "C");
    const time_t now = time(nullptr);
    char buf[128];
    strftime(buf, sizeof buf, "Data : %A, %B %d, %Y", localtime(&now));
    return buf;
}

std::string SystemText(DWORD code)
{
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                       FORMAT_MESSAGE_ALLOCATE_BUFFER,
                   nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                   reinterpret_cast<char*>(&text), 0, nullptr);
    std::string s = text ? text : "";
    LocalFree(text);
    return s;
}

const std::regex kStamp(R"(^\[\d\d\.\d\d\.\d\d\]  )");

class LogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmp[MAX_PATH];
        GetTempPathA(MAX_PATH, tmp);
        dir_ = std::string(tmp) + "qv_log_test_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(dir_.c_str(), nullptr);
        dir_ += "\\";
    }
    void TearDown() override
    {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((dir_ + "*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do DeleteFileA((dir_ + fd.cFileName).c_str());
            while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryA(dir_.c_str());
    }
    // The lines after the header.
    std::vector<std::string> Body(const std::string& path)
    {
        auto lines = SplitCrLf(ReadFile(path));
        EXPECT_GE(lines.size(), 9u);
        if (lines.size() < 9) return {};
        return std::vector<std::string>(lines.begin() + 9, lines.end());
    }
    std::string dir_;
};

TEST_F(LogTest, HeaderBytesAndLineFormat)
{
    const std::string before = DateLine();
    std::string path;
    {
        CLog log("Velmora Printer Installer Program", dir_, kProgram);
        ASSERT_TRUE(log.IsOpen());
        path = log.Path();
        log.Write("Hello %s %d", "world", 7);
    }
    const std::string after = DateLine();
    EXPECT_EQ(path, dir_ + "prog.exe.log");

    const std::string text = ReadFile(path);
    const std::string head =
        "////////////////////////////////////////////////////////////\r\n"
        "//                                                        //\r\n"
        "// Velmora Printer Installer Program                      //\r\n"
        "//                                                        //\r\n"
        "////////////////////////////////////////////////////////////\r\n"
        "\r\n";
    ASSERT_EQ(text.compare(0, head.size(), head), 0) << text;
    const std::string rest = text.substr(head.size());
    const std::string date = rest.substr(0, rest.find("\r\n"));
    EXPECT_TRUE(date == before || date == after) << date;
    const std::string tail = rest.substr(date.size());
    ASSERT_EQ(tail.compare(0, 6, "\r\n\r\n\r\n"), 0);

    const auto body = SplitCrLf(tail.substr(6));
    ASSERT_EQ(body.size(), 1u);
    EXPECT_TRUE(std::regex_match(body[0], std::regex(R"(\[\d\d\.\d\d\.\d\d\]  Hello world 7)")))
        << body[0];
}

TEST_F(LogTest, LongProgramNameIsNotCut)
{
    const std::string name(70, 'N');
    CLog log(name, dir_, kProgram);
    const std::string path = log.Path();
    const auto lines = SplitCrLf(ReadFile(path));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[2], "// " + name + "//");
}

TEST_F(LogTest, EveryRunGetsANewFile)
{
    std::vector<std::string> paths;
    for (int run = 0; run < 3; ++run) {
        CLog log("P", dir_, kProgram);
        ASSERT_TRUE(log.IsOpen());
        log.Write("run %d", run);
        paths.push_back(log.Path());
    }
    EXPECT_EQ(paths[0], dir_ + "prog.exe.log");
    EXPECT_EQ(paths[1], dir_ + "prog.exe0.log");
    EXPECT_EQ(paths[2], dir_ + "prog.exe1.log");
    // The first run's log was left as it was.
    const auto first = Body(paths[0]);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_NE(first[0].find("  run 0"), std::string::npos);
}

TEST_F(LogTest, ErrorCodeAddsASecondLine)
{
    CLog log("P", dir_, kProgram);
    log.WriteError(0, "no error");
    log.WriteError(5, "Open %s", "x.dat");
    const auto body = Body(log.Path());
    ASSERT_GE(body.size(), 3u);
    EXPECT_TRUE(std::regex_search(body[0], kStamp));
    EXPECT_EQ(body[0].substr(12), "no error");
    EXPECT_EQ(body[1].substr(12), "Open x.dat");
    // The system text usually ends in CR LF itself, so the error line may span two lines.
    const std::string text = ReadFile(log.Path());
    const std::string expected = "  Error Code = 5 :" + SystemText(5) + " \r\n";
    EXPECT_FALSE(SystemText(5).empty());
    EXPECT_NE(text.find(expected), std::string::npos) << text;
    EXPECT_TRUE(std::regex_search(body[2], kStamp));
    EXPECT_EQ(body[2].substr(12, 16), "Error Code = 5 :");
}

TEST_F(LogTest, OverlongMessageIsCut)
{
    CLog log("P", dir_, kProgram);
    const std::string big(10000, 'x');
    log.Write("%s", big.c_str());
    log.Write("after");
    const auto body = Body(log.Path());
    ASSERT_EQ(body.size(), 2u);
    EXPECT_EQ(body[0].size(), 4095u);
    EXPECT_EQ(body[0].substr(12), std::string(4095 - 12, 'x'));
    EXPECT_EQ(body[1].substr(12), "after");
}

TEST_F(LogTest, FaultWhileFormattingLeavesTheLogWorking)
{
    CLog log("P", dir_, kProgram);
    const char* bad = reinterpret_cast<const char*>(8);
    EXPECT_FALSE(fault_guard::GuardedCall([&] { log.Write("bad %s", bad); }));
    log.Write("after");
    const auto body = Body(log.Path());
    ASSERT_EQ(body.size(), 1u);
    EXPECT_EQ(body[0].substr(12), "after");
}

TEST_F(LogTest, UncreatableLogIsSilentlySkipped)
{
    CLog log("P", dir_ + "missing\\dir", kProgram);
    EXPECT_FALSE(log.IsOpen());
    EXPECT_TRUE(log.Path().empty());
    log.Write("nothing %d", 1);
    log.WriteError(5, "nothing");
}

TEST_F(LogTest, ConcurrentWritersNeverInterleave)
{
    std::string path;
    std::atomic<int> calls{0};
    {
        CLog log("P", dir_, kProgram);
        ASSERT_TRUE(log.IsOpen());
        path = log.Path();
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&log, &calls, t] {
                const std::string pad(200, char('a' + t));
                for (int i = 0; i < 500; ++i) {
                    if (i % 5 == 0)
                        log.WriteError(5, "T%d L%d %s", t, i, pad.c_str());
                    else
                        log.Write("T%d L%d %s", t, i, pad.c_str());
                    ++calls;
                }
            });
        for (auto& th : threads) th.join();
    }
    const std::string text = ReadFile(path);
    const std::string err = "Error Code = 5 :" + SystemText(5) + " ";
    // Remove the multi-line error texts first, then every line must be one whole message.
    std::string flat;
    size_t pos = 0;
    int errors = 0;
    for (size_t hit; (hit = text.find(err, pos)) != std::string::npos; pos = hit + err.size()) {
        flat += text.substr(pos, hit - pos) + "ERR";
        ++errors;
    }
    flat += text.substr(pos);
    const auto lines = SplitCrLf(flat);
    ASSERT_GE(lines.size(), 9u);
    const std::regex msg(R"(\[\d\d\.\d\d\.\d\d\]  T([0-3]) L(\d+) ([a-d]{200}))");
    const std::regex err_line(R"(\[\d\d\.\d\d\.\d\d\]  ERR)");
    size_t messages = 0;
    bool expect_error = false;
    for (size_t i = 9; i < lines.size(); ++i) {
        std::smatch m;
        if (expect_error) {
            EXPECT_TRUE(std::regex_match(lines[i], err_line)) << lines[i];
            expect_error = false;
            continue;
        }
        ASSERT_TRUE(std::regex_match(lines[i], m, msg)) << "line " << i << ": " << lines[i];
        const int t = std::stoi(m[1]);
        EXPECT_EQ(m[3].str(), std::string(200, char('a' + t)));
        expect_error = std::stoi(m[2]) % 5 == 0;
        ++messages;
    }
    EXPECT_FALSE(expect_error);
    EXPECT_GT(messages, 0u);
    EXPECT_LE(messages, size_t(calls.load()));
}

}  // namespace
