#pragma once
// Reader of every sectioned text file (configuration, command, string, data, setting files and
// registry exports). Win32-free: file access goes through config/profile_io.h.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Limits of the stored fields (bytes, without the NUL).
constexpr size_t kSectionNameMax = 255;
constexpr size_t kKeyMax = 255;
constexpr size_t kValueMax = 4095;
constexpr size_t kLineMax = 4095;

// Return codes (Win32 error numbers).
constexpr uint32_t kProfileOk = 0;
constexpr uint32_t kProfileNotFound = 13;      // ERROR_INVALID_DATA
constexpr uint32_t kProfileNoRoom = 14;        // ERROR_OUTOFMEMORY
constexpr uint32_t kProfileBadArgument = 87;   // ERROR_INVALID_PARAMETER
constexpr uint32_t kProfileNoMoreItems = 259;  // ERROR_NO_MORE_ITEMS

struct LINE_LIST;

struct SECTION_LIST {
    int32_t kind = 1;
    SECTION_LIST* prev = nullptr;
    SECTION_LIST* next = nullptr;
    LINE_LIST* first_line = nullptr;
    int32_t reserved = 0;
    std::string name;  // at most kSectionNameMax bytes, without brackets
    LINE_LIST* last_line = nullptr;  // lets loading append in constant time
};

struct LINE_LIST {
    int32_t kind = 0;
    SECTION_LIST* section = nullptr;
    LINE_LIST* prev = nullptr;
    LINE_LIST* next = nullptr;
    std::string value;  // at most kValueMax bytes
    std::string key;    // at most kKeyMax bytes
};

// Plain value types of the control lookups, laid out like their Windows counterparts.
struct ProfileSize { int32_t cx = 0, cy = 0; };
struct ProfilePoint { int32_t x = 0, y = 0; };
struct ProfileRect { int32_t left = 0, top = 0, right = 0, bottom = 0; };
using ProfileColor = uint32_t;  // red + green*256 + blue*65536

// Decimal, or hexadecimal when the text holds "0x" anywhere (see the .cpp for the rule).
uint32_t StringToDword(const std::string& text);

// The name and key comparison of every lookup: ASCII letters without regard to case, bytes
// from 0x80 up and the byte after a lead byte (0x81-0xFE) exactly, so double-byte names stay
// distinct.
bool ProfileNameEquals(std::string_view a, std::string_view b);

class CSectionList {
public:
    CSectionList() = default;
    CSectionList(const CSectionList&) = delete;
    CSectionList& operator=(const CSectionList&) = delete;
    virtual ~CSectionList();

    SECTION_LIST* AddSection(const char* name, const char* after = nullptr);
    LINE_LIST* AddLine(const char* section, const char* text, bool replace = false, const char* after_key = nullptr);
    LINE_LIST* AddLine(SECTION_LIST* section, const char* text, bool replace = false, const char* after_key = nullptr);
    SECTION_LIST* FindSection(const char* name) const;  // null name: the first section
    LINE_LIST* FindKey(const SECTION_LIST* section, const char* key, int index = 0) const;
    LINE_LIST* FindKey(const SECTION_LIST* section, int index) const;
    bool GetValue(const char* section, const char* key, char* buffer, size_t length, int index = 0) const;
    bool GetValue(const char* section, const char* key, std::string& value, int index = 0) const;
    bool SetValue(const char* section, const char* key, const char* value, int index = 0);
    // Keys as a double-NUL list. *length: in the buffer size, out the bytes all keys need
    // (each key and its NUL, without the closing NUL). 0, 13, 14 (buffer zeroed), 87.
    uint32_t GetAllKey(const char* section, char* buffer, size_t* length, int* count) const;
    bool DeleteSection(const char* name);
    bool DeleteLine(const char* section, const char* key);
    bool DeleteAllLines(const char* section);
    void Delete();
    void ClearAll() { Delete(); }

    // Text export: "[name]\r\n", "key = value\r\n" or "key\r\n", then "\r\n" per section.
    std::string SectionText(const SECTION_LIST* section) const;
    std::string Text() const;
    // `file` is a Win32 HANDLE (void*) in the Windows build and a FILE* in the native build.
    // 0, or the error of the first write that failed.
    uint32_t SaveFile(void* file) const;
    uint32_t WriteSection(void* file, const SECTION_LIST* section) const;

    SECTION_LIST* First() const { return first_; }

private:
    SECTION_LIST* first_ = nullptr;
    SECTION_LIST* last_ = nullptr;
};

class CProfile {
public:
    CProfile() = default;
    CProfile(const char* main_path, const char* string_path);
    CProfile(const CProfile&) = delete;
    CProfile& operator=(const CProfile&) = delete;
    virtual ~CProfile() = default;

    uint32_t Create(const char* main_path, const char* string_path, int unused = 0);
    uint32_t Reload(const char* main_path, const char* string_path);
    // Loads from text already in memory, as if it were the main file at `path`.
    uint32_t CreateFromText(const std::string& text, const char* path = "");

    // The buffer is zeroed first, so a missing key (13) leaves it empty. The value is cut to the
    // buffer; an expansion that does not fit leaves the unexpanded value and still returns 0.
    uint32_t GetString(const char* section, const char* key, char* buffer, size_t length, bool convert) const;
    // The same with a std::string result; `limit` is the caller's buffer length.
    uint32_t GetString(const char* section, const char* key, std::string& value, bool convert, size_t limit = 16384) const;
    uint32_t GetDword(const char* section, const char* key, uint32_t* number) const;
    uint32_t GetControl(const char* section, const char* key, ProfileSize* size) const;
    uint32_t GetControl(const char* section, const char* key, ProfilePoint* point) const;
    uint32_t GetControl(const char* section, const char* key, ProfileColor* color) const;
    uint32_t GetControl(const char* section, const char* key, ProfileRect* rect) const;
    uint32_t GetSectionName(char* buffer, size_t length, bool separator_nul) const;
    uint32_t GetAllKey(const char* section, char* buffer, size_t length, bool skip_empty) const;

    // Disk writes (the in-memory lists are not changed). An empty key empties the section.
    // Section and key are cut to their fields and the value so that "key=value" fits a line.
    uint32_t SetValue(const char* section, const char* key, const char* value);
    uint32_t SetValue(const char* section, const char* key, int32_t number);
    uint32_t SetValue(const char* section, const char* key, const ProfileSize& size);
    uint32_t SetValue(const char* section, const char* key, ProfileColor color);
    uint32_t SetValue(const char* section, const char* key, const ProfileRect& rect);

    // %NAME% expansion of a caller's buffer in place (0, 14 when it does not fit, 87 empty).
    // A definition that refers to itself ends with 14 and the text unexpanded.
    uint32_t ConvertDefinedString(char* buffer, size_t length, bool convert) const;
    uint32_t ConvertDefinedString(std::string& text, bool convert, size_t limit = 16384) const;

    bool IsLoaded() const { return main_loaded_; }
    bool IsStringLoaded() const { return string_loaded_; }
    const std::string& Path() const { return main_path_; }
    const CSectionList& Main() const { return main_; }
    CSectionList& Main() { return main_; }
    const CSectionList& Strings() const { return strings_; }

protected:
    uint32_t LoadFile(const char* path, CSectionList& list);
    bool GetStringValue(const std::string& reference, std::string& value) const;
    uint32_t SetData(const char* section, const char* key, const char* value);

private:
    CSectionList main_;
    CSectionList strings_;
    bool main_loaded_ = false;
    bool string_loaded_ = false;
    std::string main_path_;  // at most 519 bytes
};

// Parses text into a list as LoadFile does (comment removal, folding, lines, sections).
void ParseProfileText(const std::string& text, CSectionList& list);
