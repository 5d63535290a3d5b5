// The reader: file syntax, lookups, %NAME% expansion and the disk writes. Built natively (the
// POSIX file functions) and for Windows (CreateFileA, WritePrivateProfileStringA under Wine).
#include "config/profile.h"
#include "config/profile_io.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include "platform/unique_handle.h"
#endif

namespace fs = std::filesystem;

namespace {

const char* const kMissing = "<missing>";

// The stored value of a key occurrence, or kMissing.
std::string Stored(const CSectionList& list, const char* section, const char* key, int index = 0)
{
    const LINE_LIST* line = list.FindKey(list.FindSection(section), key, index);
    return line ? line->value : kMissing;
}

std::vector<std::string> SectionNames(const CSectionList& list)
{
    std::vector<std::string> names;
    for (const SECTION_LIST* s = list.First(); s; s = s->next) names.push_back(s->name);
    return names;
}

std::vector<std::string> Keys(const CSectionList& list, const char* section)
{
    std::vector<std::string> keys;
    const SECTION_LIST* s = list.FindSection(section);
    for (const LINE_LIST* l = s ? s->first_line : nullptr; l; l = l->next) keys.push_back(l->key);
    return keys;
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A directory of its own under the system's temporary directory, removed afterwards.
class ScratchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device rd;
        dir_ = fs::temp_directory_path() / ("qv_profile_" + std::to_string(rd()));
        fs::create_directories(dir_);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string File(const char* name, const std::string& bytes)
    {
        fs::path p = dir_ / name;
        WriteBytes(p, bytes);
        return p.string();
    }
    fs::path dir_;
};

// ---------------------------------------------------------------------------------------------
// File syntax

struct SyntaxCase {
    const char* what;
    const char* text;
    const char* section;
    const char* key;
    int index;
    const char* value;  // kMissing: no such line
};

const SyntaxCase kSyntax[] = {
    {"quoted // is text", "[A]\r\nkey = \"a // b\"\r\n", "A", "key", 0, "\"a // b\""},
    {"// outside quotes ends the line", "[A]\r\nkey = a // b\r\n", "A", "key", 0, "a"},
    {"quoted /* is text", "[A]\nk = \"x /* y\"\nnext=1\n", "A", "k", 0, "\"x /* y\""},
    {"... and does not swallow the next line", "[A]\nk = \"x /* y\"\nnext=1\n", "A", "next", 0, "1"},
    {"block comment before the key", "[A]\n/* note */key=1\n", "A", "key", 0, "1"},
    {"block comment joins two lines", "[A]\nk = x /* c\nd */ y\n", "A", "k", 0, "x  y"},
    {"open quote carries into the next line", "[A]\nq = \"open\nr = // kept\" too\n", "A", "r", 0, "// kept\" too"},
    {"quote closed on the next line re-enables comments", "[A]\nq = \"a\nb\" // c\nz=1\n", "A", "b\"", 0, ""},
    {"quotes inside comments do not count", "[A]\n// \"\nk = 1 // x\n", "A", "k", 0, "1"},
    {"unclosed /* drops the rest", "[A]\nk=1 /* open\nm=2\n", "A", "m", 0, kMissing},
    {"... but keeps the text before it", "[A]\nk=1 /* open\nm=2\n", "A", "k", 0, "1"},
    {"comment-only line vanishes", "[A]\n// only\n  // indented\nk=1\n", "A", "k", 0, "1"},
    {"lone CR breaks lines", "[A]\rk=1\rm=2\r", "A", "m", 0, "2"},
    {"mixed CR LF runs fold", "[A]\r\r\n\n\rk=1\n\r\n", "A", "k", 0, "1"},
    {"last line without a break", "[A]\nk=1", "A", "k", 0, "1"},
    {"blanks trimmed around key and value", "[A]\n\t key \t=\t value \t\n", "A", "key", 0, "value"},
    {"value keeps further =", "[A]\nk = a=b = c\n", "A", "k", 0, "a=b = c"},
    {"line without = is a key", "[A]\nFLAG\n", "A", "FLAG", 0, ""},
    {"quotes kept in key and value", "[A]\n\"k\" = \"v\"\n", "A", "\"k\"", 0, "\"v\""},
    {"lines before the first header dropped", "orphan=1\n[A]\nk=1\n", "A", "orphan", 0, kMissing},
    {"lines after an empty header dropped", "[A]\nk=1\n[ ]\nk=2\n", "A", "k", 1, kMissing},
    {"repeated header merges, index 1 reaches the second", "[MAIN]\nk=1\n[B]\nx=1\n[main]\nk=2\n", "MAIN", "k", 1, "2"},
    {"header trimmed of blanks and quotes", "[ \"Main\" ]\nk=1\n", "main", "k", 0, "1"},
    {"lookup name trimmed as a header", "[ \"Main\" ]\nk=1\n", "[MAIN]", "k", 0, "1"},
    {"header with extra brackets", "[[X]]\nk=1\n", "x", "k", 0, "1"},
    {"text after ] is not a header", "[A]\n[B] x\nk=1\n", "A", "k", 0, "1"},
    {"keys compare without case", "[A]\nKey=1\n", "a", "KEY", 0, "1"},
    {"double-byte trail byte is not folded", "[A]\n\x83\x41=1\n", "A", "\x83\x61", 0, kMissing},
    {"double-byte key found exactly", "[A]\n\x83\x41=1\n", "A", "\x83\x41", 0, "1"},
    {"double-byte section name kept", "[\x82\xa0\x82\xa2]\nk=1\n", "\x82\xa0\x82\xa2", "k", 0, "1"},
    {"empty key is never found", "[A]\n= v\n", "A", "", 0, kMissing},
};

TEST(ProfileSyntax, Table)
{
    for (const SyntaxCase& c : kSyntax) {
        CSectionList list;
        ParseProfileText(c.text, list);
        EXPECT_EQ(Stored(list, c.section, c.key, c.index), c.value) << c.what;
    }
}

TEST(ProfileSyntax, RepeatedHeadersKeepFileOrder)
{
    CSectionList list;
    ParseProfileText("[MAIN]\nk=1\n[B]\nx=1\n[main]\nk=2\nm=3\n[B]\ny=2\n", list);
    EXPECT_EQ(SectionNames(list), (std::vector<std::string>{"MAIN", "B"}));
    EXPECT_EQ(Keys(list, "MAIN"), (std::vector<std::string>{"k", "k", "m"}));
    EXPECT_EQ(Keys(list, "B"), (std::vector<std::string>{"x", "y"}));
}

TEST(ProfileSyntax, EmptyAndCommentOnlyTextsLoadWithNoSections)
{
    for (const char* text : {"", "\r\n\r\n\n", "// one\r\n/* two\r\n three */\r\n  // four"}) {
        CProfile p;
        p.CreateFromText(text);
        EXPECT_TRUE(p.IsLoaded());
        EXPECT_EQ(p.Main().First(), nullptr) << text;
    }
}

TEST(ProfileSyntax, EmptyKeyLineIsStoredButNotFound)
{
    CSectionList list;
    ParseProfileText("[A]\n= v\nk=1\n", list);
    const LINE_LIST* first = list.FindKey(list.FindSection("A"), 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->key, "");
    EXPECT_EQ(first->value, "v");
    EXPECT_EQ(list.FindKey(list.FindSection("A"), -1), nullptr);
}

TEST(ProfileSyntax, NulByteEndsTheText)
{
    CSectionList list;
    ParseProfileText(std::string("[A]\nk=1\n\0m=2\n", 13), list);
    EXPECT_EQ(Stored(list, "A", "k"), "1");
    EXPECT_EQ(Stored(list, "A", "m"), kMissing);
}

TEST(ProfileSyntax, TooLongLineEndsTheReadingButLoadSucceeds)
{
    const std::string fits = "k=" + std::string(4093, 'v');   // 4095 bytes
    const std::string over = "x=" + std::string(4094, 'v');   // 4096 bytes
    CProfile p;
    p.CreateFromText("[A]\n" + fits + "\nm=1\n" + over + "\nn=2\n[B]\nb=1\n");
    EXPECT_TRUE(p.IsLoaded());
    EXPECT_EQ(Stored(p.Main(), "A", "k").size(), 4093u);
    EXPECT_EQ(Stored(p.Main(), "A", "m"), "1");
    EXPECT_EQ(Stored(p.Main(), "A", "x"), kMissing);
    EXPECT_EQ(Stored(p.Main(), "A", "n"), kMissing);
    EXPECT_EQ(p.Main().FindSection("B"), nullptr);

    // The limit holds after comment removal: a long comment is no long line.
    CSectionList list;
    ParseProfileText("[A]\nk=1 // " + std::string(6000, 'c') + "\nm=2\n", list);
    EXPECT_EQ(Stored(list, "A", "m"), "2");
}

TEST(ProfileSyntax, OverlongKeysAndHeadersAreCutToTheirFields)
{
    const std::string long_key(300, 'K');
    const std::string long_name(300, 'S');
    CSectionList list;
    ParseProfileText("[" + long_name + "]\n" + long_key + " = v\n", list);
    const SECTION_LIST* s = list.FindSection(long_name.c_str());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->name, std::string(255, 'S'));
    EXPECT_EQ(s->first_line->key, std::string(255, 'K'));
    EXPECT_EQ(Stored(list, long_name.c_str(), long_key.c_str()), "v");
    EXPECT_EQ(Stored(list, long_name.c_str(), std::string(255, 'K').c_str()), "v");
}

// Random texts built from the syntax's special characters: no crash, no overflow under the
// sanitizers, every field within its limit, every expansion ends.
TEST(ProfileSyntax, RandomTextsStayWithinLimits)
{
    const char alphabet[] = "[]=\"/*\r\n \t%aKS\\;,0x";
    std::mt19937 rng(12345);
    for (int round = 0; round < 1500; ++round) {
        std::string text = "[STRINGS]\n%a% = \"%a%%K%\"\n%K% = \"x%a%\"\n[S]\n";
        size_t n = rng() % 300;
        for (size_t i = 0; i < n; ++i) text += alphabet[rng() % (sizeof alphabet - 1)];
        CProfile p;
        p.CreateFromText(text);
        for (const SECTION_LIST* s = p.Main().First(); s; s = s->next) {
            ASSERT_FALSE(s->name.empty());
            ASSERT_LE(s->name.size(), kSectionNameMax);
            for (const LINE_LIST* l = s->first_line; l; l = l->next) {
                ASSERT_LE(l->key.size(), kKeyMax);
                ASSERT_LE(l->value.size(), kValueMax);
                ASSERT_EQ(l->section, s);
                char buffer[64];
                if (!l->key.empty()) p.GetString(s->name.c_str(), l->key.c_str(), buffer, sizeof buffer, true);
            }
        }
        char all[512];
        p.GetAllKey("S", all, sizeof all, false);
    }
}

// ---------------------------------------------------------------------------------------------
// Numbers and control values

TEST(ProfileNumbers, StringToDword)
{
    const struct {
        const char* text;
        uint32_t number;
    } cases[] = {
        {"0x1f", 31}, {"0X1F", 31}, {"1F0X", 31}, {"10", 10}, {"abc", 0}, {"0x123456789", 0x23456789},
        {"12,34", 12}, {"  -1", 0xFFFFFFFFu}, {"+7x", 7}, {"4294967295", 0xFFFFFFFFu}, {"0xG1", 1},
        {"0x0x10", 0x10}, {"0xffffffff", 0xFFFFFFFFu}, {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(StringToDword(c.text), c.number) << c.text;
}

class ProfileControls : public ::testing::Test {
protected:
    void SetUp() override
    {
        p_.CreateFromText(
            "[C]\n"
            "pair = 1,2\nskip = 1,,2\nlone = 5\ncommas = ,,\nspaced =  3 , 0x10\n"
            "color = 255,128,0\nwide = 256,1,2\nhex = 0x10\n"
            "rect = 1,2,3,4\nthree = 1,2,3\n");
    }
    CProfile p_;
};

TEST_F(ProfileControls, Size)
{
    const struct {
        const char* key;
        uint32_t rc;
        int32_t cx, cy;
    } cases[] = {
        {"pair", 0, 1, 2}, {"skip", 0, 1, 2}, {"spaced", 0, 3, 16}, {"lone", 87, 0, 0}, {"commas", 87, 0, 0},
        {"missing", 13, 0, 0},
    };
    for (const auto& c : cases) {
        ProfileSize size;
        EXPECT_EQ(p_.GetControl("C", c.key, &size), c.rc) << c.key;
        if (c.rc == 0) {
            EXPECT_EQ(size.cx, c.cx) << c.key;
            EXPECT_EQ(size.cy, c.cy) << c.key;
        }
    }
}

TEST_F(ProfileControls, PointReportsEveryFailureAs87)
{
    ProfilePoint point;
    ASSERT_EQ(p_.GetControl("C", "pair", &point), 0u);
    EXPECT_EQ(point.x, 1);
    EXPECT_EQ(point.y, 2);
    EXPECT_EQ(p_.GetControl("C", "lone", &point), 87u);
    EXPECT_EQ(p_.GetControl("C", "missing", &point), 87u);
}

TEST_F(ProfileControls, Color)
{
    ProfileColor color = 0;
    ASSERT_EQ(p_.GetControl("C", "color", &color), 0u);
    EXPECT_EQ(color, 0x80FFu);  // red in the lowest byte
    ASSERT_EQ(p_.GetControl("C", "wide", &color), 0u);
    EXPECT_EQ(color, 0x020100u);  // each part cut to 8 bits
    EXPECT_EQ(p_.GetControl("C", "pair", &color), 87u);
    EXPECT_EQ(p_.GetControl("C", "missing", &color), 13u);
}

TEST_F(ProfileControls, Rect)
{
    ProfileRect rect;
    ASSERT_EQ(p_.GetControl("C", "rect", &rect), 0u);
    EXPECT_EQ(std::vector<int32_t>({rect.left, rect.top, rect.right, rect.bottom}), std::vector<int32_t>({1, 2, 3, 4}));
    EXPECT_EQ(p_.GetControl("C", "three", &rect), 87u);
    EXPECT_EQ(p_.GetControl("C", "missing", &rect), 87u);
}

TEST_F(ProfileControls, DwordReadsRaw)
{
    uint32_t number = 0;
    EXPECT_EQ(p_.GetDword("C", "hex", &number), 0u);
    EXPECT_EQ(number, 16u);
    EXPECT_EQ(p_.GetDword("C", "pair", &number), 0u);
    EXPECT_EQ(number, 1u);
    EXPECT_EQ(p_.GetDword("C", "missing", &number), 13u);
    EXPECT_EQ(p_.GetDword("C", "hex", nullptr), 87u);
}

// ---------------------------------------------------------------------------------------------
// Lookups and %NAME% expansion

class ProfileStrings : public ::testing::Test {
protected:
    void SetUp() override
    {
        p_.CreateFromText(
            "[STRINGS]\n"
            "%P% = \"Printer\"\n%N% = \"my %P%\"\n%E% = \"\"\n%I% = \"%I%\"\n%S% = \"a%S%\"\n"
            "%A% = \"%B%\"\n%B% = \"%A%\"\n%L% = \"" + std::string(40, 'L') + "\"\n"
            "[T]\n"
            "install = Install %P%\ntwice = %P%%P%\nundefined = %Q%\npercent = 100% of %P%\n"
            "nested = %N%\nlower = %p%\nempty = %E%\nescapes = a\\nb\\r\\nc\nidentity = %I% %P%\n"
            "grows = x%S%\ncycle = %A%\nlong = %L%\ndigits = 0123456789\nquoted = \"q\"\nFLAG\n");
    }
    std::string Get(const char* key, bool convert, size_t length = 16384)
    {
        std::vector<char> buffer(length, 'x');
        uint32_t rc = p_.GetString("T", key, buffer.data(), length, convert);
        return rc ? "rc" + std::to_string(rc) : std::string(buffer.data());
    }
    CProfile p_;
};

TEST_F(ProfileStrings, Expansion)
{
    const struct {
        const char* key;
        bool convert;
        const char* expected;
    } cases[] = {
        {"install", false, "Install Printer"},
        {"twice", false, "PrinterPrinter"},
        {"undefined", false, "%Q%"},
        {"percent", false, "100% of Printer"},  // the closing % of an undefined pair opens %P%
        {"nested", false, "my Printer"},
        {"lower", false, "Printer"},
        {"empty", false, ""},
        {"quoted", false, "\"q\""},  // quotes are trimmed from STRINGS values only
        {"escapes", true, "a\nb\r\nc"},
        {"escapes", false, "a\\nb\\r\\nc"},
        {"identity", false, "%I% Printer"},
        {"grows", false, "x%S%"},  // refers to itself: left unexpanded
        {"cycle", false, "%A%"},
        {"FLAG", false, ""},
        {"missing", false, "rc13"},
    };
    for (const auto& c : cases) EXPECT_EQ(Get(c.key, c.convert), c.expected) << c.key;
}

TEST_F(ProfileStrings, BufferLimits)
{
    // A result that does not fit leaves the unexpanded value and still counts as found.
    EXPECT_EQ(Get("long", false, 40), "%L%");
    EXPECT_EQ(Get("long", false, 41), std::string(40, 'L'));
    // A value longer than the buffer is cut and terminated.
    EXPECT_EQ(Get("digits", false, 5), "0123");

    char buffer[40] = "%L%";
    EXPECT_EQ(p_.ConvertDefinedString(buffer, sizeof buffer, false), 14u);
    EXPECT_STREQ(buffer, "%L%");
    char empty[8] = "";
    EXPECT_EQ(p_.ConvertDefinedString(empty, sizeof empty, false), 87u);

    char missing[8];
    std::memset(missing, 'x', sizeof missing);
    EXPECT_EQ(p_.GetString("T", "nothing", missing, sizeof missing, false), 13u);
    EXPECT_EQ(std::string(missing, sizeof missing), std::string(sizeof missing, '\0'));
    EXPECT_EQ(p_.GetString("T", nullptr, missing, sizeof missing, false), 87u);
    EXPECT_EQ(p_.GetString("T", "install", nullptr, 8, false), 87u);
}

TEST_F(ProfileStrings, StringFormMatchesBufferForm)
{
    for (const char* key : {"install", "twice", "long", "digits", "escapes", "grows", "empty", "missing"})
        for (size_t limit : {1, 2, 4, 8, 16, 40, 41, 16384})
            for (bool convert : {false, true}) {
                std::vector<char> buffer(limit, 'x');
                uint32_t rc_buffer = p_.GetString("T", key, buffer.data(), limit, convert);
                std::string value = "old";
                uint32_t rc_string = p_.GetString("T", key, value, convert, limit);
                EXPECT_EQ(rc_string, rc_buffer) << key << " " << limit;
                EXPECT_EQ(value, std::string(buffer.data())) << key << " " << limit;
            }
}

TEST(ProfileLookups, GetSectionNameLayouts)
{
    CProfile p;
    p.CreateFromText("[AB]\nk=1\n[C]\n");

    char nul[6];
    ASSERT_EQ(p.GetSectionName(nul, sizeof nul, true), 0u);
    EXPECT_EQ(std::string(nul, sizeof nul), std::string("AB\0C\0\0", 6));
    EXPECT_EQ(p.GetSectionName(nul, 5, true), 14u);

    char spaced[10];
    ASSERT_EQ(p.GetSectionName(spaced, sizeof spaced, false), 0u);
    EXPECT_EQ(std::string(spaced, sizeof spaced), std::string("AB C     \0", 10));
    EXPECT_EQ(p.GetSectionName(spaced, 6, false), 0u);
    EXPECT_EQ(p.GetSectionName(spaced, 5, false), 14u);

    CProfile empty;
    empty.CreateFromText("// nothing\n");
    EXPECT_EQ(empty.GetSectionName(spaced, sizeof spaced, false), 13u);
    EXPECT_EQ(empty.GetSectionName(nullptr, 4, true), 87u);
}

TEST(ProfileLookups, ListGetAllKey)
{
    CSectionList list;
    ParseProfileText("[S]\nA=1\nBB = 2\n= no key\nA=3\n[E]\n", list);

    char buffer[8];
    size_t length = sizeof buffer;
    int count = -1;
    ASSERT_EQ(list.GetAllKey("S", buffer, &length, &count), 0u);
    EXPECT_EQ(std::string(buffer, 8), std::string("A\0BB\0A\0\0", 8));
    EXPECT_EQ(length, 7u);
    EXPECT_EQ(count, 3);

    length = 7;  // the closing NUL has no room
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(list.GetAllKey("S", buffer, &length, &count), 14u);
    EXPECT_EQ(length, 7u);
    EXPECT_EQ(std::string(buffer, 7), std::string(7, '\0'));

    length = sizeof buffer;
    EXPECT_EQ(list.GetAllKey("E", buffer, &length, nullptr), 0u);
    EXPECT_EQ(length, 0u);
    length = sizeof buffer;
    EXPECT_EQ(list.GetAllKey("missing", buffer, &length, &count), 13u);
    EXPECT_EQ(list.GetAllKey("S", nullptr, &length, &count), 87u);
    EXPECT_EQ(list.GetAllKey("S", buffer, nullptr, &count), 87u);
}

TEST(ProfileLookups, ProfileGetAllKeyExpandsEntries)
{
    CProfile p;
    p.CreateFromText("[STRINGS]\n%P% = Printer\n[K]\nname = %P%\nFLAG\nx = a\\nb\n");
    char buffer[64];
    ASSERT_EQ(p.GetAllKey("K", buffer, sizeof buffer, false), 0u);
    EXPECT_EQ(std::string(buffer, 29), std::string("name = Printer\0FLAG\0x = a\nb\0\0", 29));
    ASSERT_EQ(p.GetAllKey("K", buffer, sizeof buffer, true), 0u);
    EXPECT_EQ(std::string(buffer, 24), std::string("name = Printer\0x = a\nb\0\0", 24));

    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(p.GetAllKey("K", buffer, 20, false), 14u);
    EXPECT_EQ(std::string(buffer, 20), std::string(20, '\0'));
    EXPECT_EQ(p.GetAllKey("none", buffer, sizeof buffer, false), 13u);
    EXPECT_EQ(p.GetAllKey("K", buffer, 0, false), 87u);
}

// ---------------------------------------------------------------------------------------------
// Editing the list in memory

TEST(SectionListEdit, AddFindDeleteKeepLinksSound)
{
    CSectionList list;
    ASSERT_NE(list.AddSection("B"), nullptr);
    list.AddSection("C");
    list.AddSection("A", "B");
    EXPECT_EQ(list.AddSection("[ b ]"), list.FindSection("B"));
    EXPECT_EQ(list.AddSection("\"\""), nullptr);
    EXPECT_EQ(SectionNames(list), (std::vector<std::string>{"B", "A", "C"}));

    list.AddLine("B", "k1=1");
    list.AddLine("B", "k3 = 3");
    list.AddLine("B", "k2=2", false, "k1");
    EXPECT_EQ(Keys(list, "B"), (std::vector<std::string>{"k1", "k2", "k3"}));
    EXPECT_EQ(list.AddLine("B", "K2 = 22", true)->value, "22");
    EXPECT_EQ(Keys(list, "B").size(), 3u);
    EXPECT_EQ(list.AddLine("missing", "x=1"), nullptr);
    EXPECT_EQ(list.AddLine("B", ""), nullptr);

    // Removing the last line or section must leave appending at the right end.
    EXPECT_TRUE(list.DeleteLine("B", "k3"));
    list.AddLine("B", "k4=4");
    EXPECT_EQ(Keys(list, "B"), (std::vector<std::string>{"k1", "k2", "k4"}));
    EXPECT_TRUE(list.DeleteLine("B", "k1"));
    list.AddLine("B", "k0=0", false, "nothing");
    EXPECT_EQ(Keys(list, "B"), (std::vector<std::string>{"k2", "k4", "k0"}));
    EXPECT_FALSE(list.DeleteLine("B", "k1"));
    EXPECT_TRUE(list.DeleteSection("C"));
    list.AddSection("D");
    EXPECT_EQ(SectionNames(list), (std::vector<std::string>{"B", "A", "D"}));
    EXPECT_TRUE(list.DeleteSection("B"));
    list.AddSection("E", "missing");
    EXPECT_EQ(SectionNames(list), (std::vector<std::string>{"A", "D", "E"}));
    EXPECT_FALSE(list.DeleteSection(""));

    list.AddLine("A", "x=1");
    EXPECT_TRUE(list.DeleteAllLines("A"));
    EXPECT_EQ(list.FindSection("A")->first_line, nullptr);
    list.AddLine("A", "y=1");
    EXPECT_EQ(Keys(list, "A"), (std::vector<std::string>{"y"}));
    EXPECT_FALSE(list.DeleteAllLines("missing"));

    list.ClearAll();
    EXPECT_EQ(list.First(), nullptr);
    list.AddSection("F");
    EXPECT_EQ(SectionNames(list), (std::vector<std::string>{"F"}));
}

TEST(SectionListEdit, SetValueAndText)
{
    CSectionList list;
    ParseProfileText("[B]\nk = old\nFLAG\n", list);
    EXPECT_TRUE(list.SetValue("B", "K", "new"));
    EXPECT_TRUE(list.SetValue("B", "k", "second", 1));
    EXPECT_TRUE(list.SetValue("New", "ALONE", ""));
    EXPECT_EQ(Stored(list, "B", "k", 0), "new");
    EXPECT_EQ(Stored(list, "B", "k", 1), "second");

    char buffer[4];
    EXPECT_TRUE(list.GetValue("B", "k", buffer, sizeof buffer, 1));
    EXPECT_STREQ(buffer, "sec");
    EXPECT_FALSE(list.GetValue("B", "none", buffer, sizeof buffer));

    EXPECT_EQ(list.Text(), "[B]\r\nk = new\r\nFLAG\r\nk = second\r\n\r\n[New]\r\nALONE\r\n\r\n");
}

#ifdef _WIN32
using out_file = unique_hfile;
out_file OpenOut(const fs::path& path)
{
    return out_file(::CreateFileA(path.string().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}
#else
struct file_close {
    void operator()(FILE* f) const { std::fclose(f); }
};
struct out_file : std::unique_ptr<FILE, file_close> {
    using std::unique_ptr<FILE, file_close>::unique_ptr;
};
out_file OpenOut(const fs::path& path) { return out_file(std::fopen(path.string().c_str(), "wb")); }
#endif

TEST_F(ScratchTest, SaveFileWritesEverySection)
{
    CSectionList list;
    ParseProfileText("[A]\nk = v\nFLAG\n[B]\n", list);
    fs::path path = dir_ / "saved.reg";
    {
        out_file out = OpenOut(path);
        ASSERT_TRUE(out);
        EXPECT_EQ(list.SaveFile(out.get()), 0u);
    }
    EXPECT_EQ(ReadBytes(path), "[A]\r\nk = v\r\nFLAG\r\n\r\n[B]\r\n\r\n");
    EXPECT_EQ(list.SaveFile(nullptr), 87u);
}

// ---------------------------------------------------------------------------------------------
// Loading files

TEST_F(ScratchTest, ReadWholeFileErrors)
{
    std::string contents = "stale";
    EXPECT_EQ(ReadWholeFile((dir_ / "none.qvi").string().c_str(), contents), 2u);
    EXPECT_EQ(contents, "");
    std::string plain = File("plain.txt", "x");
    EXPECT_EQ(ReadWholeFile((plain + "/inside.qvi").c_str(), contents), 3u);
    EXPECT_EQ(ReadWholeFile(dir_.string().c_str(), contents), 5u);
    EXPECT_EQ(ReadWholeFile("", contents), 87u);
    const std::string binary("[A]\r\nk=\x01\x02\xff\r\n", 11);
    EXPECT_EQ(ReadWholeFile(File("bin.qvi", binary).c_str(), contents), 0u);
    EXPECT_EQ(contents, binary);
}

TEST_F(ScratchTest, CreateLoadsMainThenStringFile)
{
    std::string main = File("main.qvi", "[STRINGS]\r\n%P% = Main\r\n%M% = OnlyMain\r\n[T]\r\nk = %P% %M%\r\n");
    std::string strings = File("Lang_EN.str", "[STRINGS]\r\n%P% = \"Str\"\r\n");
    std::string missing = (dir_ / "missing.qvi").string();

    CProfile none(missing.c_str(), strings.c_str());
    EXPECT_FALSE(none.IsLoaded());
    EXPECT_FALSE(none.IsStringLoaded());  // not read without the main file
    EXPECT_EQ(none.Path(), "");

    CProfile p(main.c_str(), strings.c_str());
    ASSERT_TRUE(p.IsLoaded());
    ASSERT_TRUE(p.IsStringLoaded());
    EXPECT_EQ(p.Path(), main);
    std::string value;
    ASSERT_EQ(p.GetString("T", "k", value, false), 0u);
    EXPECT_EQ(value, "Str OnlyMain");  // the string file first, then the main file

    CProfile main_only(main.c_str(), missing.c_str());
    EXPECT_TRUE(main_only.IsLoaded());
    EXPECT_FALSE(main_only.IsStringLoaded());
    ASSERT_EQ(main_only.GetString("T", "k", value, false), 0u);
    EXPECT_EQ(value, "Main OnlyMain");
}

TEST_F(ScratchTest, CreateMergesAndReloadStartsAfresh)
{
    std::string first = File("first.qvi", "[A]\nk=1\n");
    std::string second = File("second.qvi", "[a]\nk=2\n[B]\nx=1\n");
    CProfile p(first.c_str(), nullptr);
    p.Create(second.c_str(), nullptr);
    EXPECT_EQ(Stored(p.Main(), "A", "k", 1), "2");
    EXPECT_EQ(p.Path(), second);
    p.Reload(second.c_str(), nullptr);
    EXPECT_EQ(Stored(p.Main(), "A", "k", 0), "2");
    EXPECT_EQ(Stored(p.Main(), "A", "k", 1), kMissing);
}

// ---------------------------------------------------------------------------------------------
// Writing to disk

const char kWriteFixture[] =
    "; head\r\n"
    "[A]\r\n"
    "k = old\r\n"
    "other=1\r\n"
    "\r\n"
    "[B]\r\n"
    "x=1\r\n";

TEST_F(ScratchTest, SetValueWritesTheFileNotTheMemory)
{
    std::string path = File("write.qvi", kWriteFixture);
    CProfile p(path.c_str(), nullptr);
    ASSERT_TRUE(p.IsLoaded());

    EXPECT_EQ(p.SetValue("A", "k", "new"), 0u);
    EXPECT_EQ(p.SetValue("A", "added", "v"), 0u);
    EXPECT_EQ(p.SetValue("C", "n", int32_t(-7)), 0u);
    EXPECT_EQ(p.SetValue("C", "size", ProfileSize{3, 4}), 0u);
    EXPECT_EQ(p.SetValue("C", "color", ProfileColor(0x80FF)), 0u);
    EXPECT_EQ(p.SetValue("C", "rect", ProfileRect{1, 2, 3, 4}), 0u);
    EXPECT_EQ(Stored(p.Main(), "A", "k"), "old");  // memory unchanged until reloaded

#ifndef _WIN32
    // Everything else in the file stays as it was.
    EXPECT_EQ(ReadBytes(path),
              "; head\r\n[A]\r\nk=new\r\nother=1\r\nadded=v\r\n\r\n[B]\r\nx=1\r\n"
              "[C]\r\nn=-7\r\nsize=3,4\r\ncolor=255,128,0\r\nrect=1,2,3,4\r\n");
#endif

    p.Reload(path.c_str(), nullptr);
    std::string value;
    EXPECT_EQ(p.GetString("A", "k", value, false), 0u);
    EXPECT_EQ(value, "new");
    EXPECT_EQ(Stored(p.Main(), "A", "other"), "1");
    EXPECT_EQ(Stored(p.Main(), "A", "added"), "v");
    EXPECT_EQ(Stored(p.Main(), "B", "x"), "1");
    uint32_t number = 0;
    EXPECT_EQ(p.GetDword("C", "n", &number), 0u);
    EXPECT_EQ(int32_t(number), -7);
    ProfileSize size;
    EXPECT_EQ(p.GetControl("C", "size", &size), 0u);
    EXPECT_EQ(size.cx * 10 + size.cy, 34);
    ProfileColor color = 0;
    EXPECT_EQ(p.GetControl("C", "color", &color), 0u);
    EXPECT_EQ(color, 0x80FFu);
    ProfileRect rect;
    EXPECT_EQ(p.GetControl("C", "rect", &rect), 0u);
    EXPECT_EQ(rect.left + rect.top * 10 + rect.right * 100 + rect.bottom * 1000, 4321);
}

TEST_F(ScratchTest, SetValueWithEmptyKeyEmptiesTheSection)
{
    std::string path = File("empty.qvi", kWriteFixture);
    CProfile p(path.c_str(), nullptr);
    EXPECT_EQ(p.SetValue("a", "", ""), 0u);
    p.Reload(path.c_str(), nullptr);
    ASSERT_NE(p.Main().FindSection("A"), nullptr);
    EXPECT_EQ(p.Main().FindSection("A")->first_line, nullptr);
    EXPECT_EQ(Stored(p.Main(), "B", "x"), "1");
}

TEST_F(ScratchTest, SetValueArguments)
{
    std::string path = File("args.qvi", kWriteFixture);
    CProfile p(path.c_str(), nullptr);
    EXPECT_EQ(p.SetValue(nullptr, "k", "v"), 87u);
    EXPECT_EQ(p.SetValue("A", nullptr, "v"), 87u);
    EXPECT_EQ(p.SetValue("A", "k", static_cast<const char*>(nullptr)), 87u);
    CProfile unloaded;
    EXPECT_EQ(unloaded.SetValue("A", "k", "v"), 87u);
    EXPECT_EQ(ReadBytes(path), kWriteFixture);
}

// What is written must read back as one line: an overlong value is cut so that the file stays
// readable past it, and a line break does not smuggle in further lines.
TEST_F(ScratchTest, SetValueKeepsTheWrittenLineReadable)
{
    std::string path = File("long.qvi", kWriteFixture);
    CProfile p(path.c_str(), nullptr);
    EXPECT_EQ(p.SetValue("A", "k", std::string(5000, 'v').c_str()), 0u);
    EXPECT_EQ(p.SetValue("A", "other", "a\r\n[Z]\r\nz=1"), 0u);
    p.Reload(path.c_str(), nullptr);
    EXPECT_EQ(Stored(p.Main(), "A", "k"), std::string(4095 - 2, 'v'));
    EXPECT_EQ(Stored(p.Main(), "A", "other"), "a");
    EXPECT_EQ(p.Main().FindSection("Z"), nullptr);
    EXPECT_EQ(Stored(p.Main(), "B", "x"), "1");
}

// The private-profile functions put a relative name into the Windows directory; the write
// must go to the file the reader opened.
TEST_F(ScratchTest, SetValueWithRelativePathWritesBesideTheCurrentDirectory)
{
    File("rel.qvi", kWriteFixture);
    const fs::path saved = fs::current_path();
    fs::current_path(dir_);
    CProfile p("rel.qvi", nullptr);
    uint32_t rc = p.SetValue("B", "x", "2");
    fs::current_path(saved);
    ASSERT_EQ(rc, 0u);
    CProfile check((dir_ / "rel.qvi").string().c_str(), nullptr);
    EXPECT_EQ(Stored(check.Main(), "B", "x"), "2");
}

}  // namespace
