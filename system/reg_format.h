#pragma once
// The text form of a registry export file (section names, key and value texts) and the
// path rules of the registry gateway. Win32-free: CRegistry maps roots to handles.
#include <cstddef>
#include <cstdint>
#include <string>

// Root words in the order CRegistry maps them: HKEY_CLASSES_ROOT, HKEY_CURRENT_USER,
// HKEY_LOCAL_MACHINE, HKEY_PERFORMANCE_DATA, HKEY_CURRENT_CONFIG, HKEY_DYN_DATA.
constexpr int kRegistryRootCount = 6;
constexpr int kRootLocalMachine = 2;
extern const char* const kRegistryRootNames[kRegistryRootCount];

// Joined key paths are kept within the gateway's 260-byte path buffers.
constexpr size_t kRegistryPathMax = 259;

// "parent\child", without doubling a backslash the parent already ends with.
std::string JoinKeyPath(const std::string& parent, const std::string& child);

// A section name split into its root and sub-key. Without a leading root word (compared
// ignoring case) the root is HKEY_LOCAL_MACHINE and the whole name is the sub-key.
struct RegSectionName {
    int root = kRootLocalMachine;
    std::string sub_key;
};
RegSectionName SplitSectionName(const std::string& section);

// Texts written into the export file.
std::string RegNameText(const std::string& value_name);  // "\"name\"", the default value "\"\""
std::string RegStringText(const std::string& text);      // "\"text\""
std::string RegDwordText(uint32_t number);               // "dword:0000002a"
std::string RegBinaryText();                             // "hex:" (the data is not kept)

// One imported "name = value" line.
struct RegImportLine {
    enum Kind { String, Dword, Binary, Unknown } kind = Unknown;
    std::string name;
    std::string text;     // String
    uint32_t number = 0;  // Dword
};
RegImportLine ParseImportLine(const std::string& line);
