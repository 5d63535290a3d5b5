#pragma once
// Text and number helpers shared by the system services and the commands. Win32-free.
#include <cstddef>
#include <cstdint>
#include <string>

// "%02X" per byte into `out` (room for 2 * count + 1 bytes). False on a null or zero argument.
bool BytesToHex(const unsigned char* bytes, size_t count, char* out);
std::string BytesToHex(const unsigned char* bytes, size_t count);

// The registry import's hexadecimal rule: at most the last eight characters, read from the
// right; a-f/A-F count 10-15, a decimal digit its value, anything else 0. So "0x2A" and "2a"
// both give 42, and "123456789" gives 0x23456789.
uint32_t HexTextToNumber(const std::string& text);

// Decimal (atoi: leading blanks and a sign accepted, stops at the first non-digit), or, when
// the text holds "0X" (any case), hexadecimal by HexTextToNumber once that "0X" is removed.
uint32_t TextToNumber(const std::string& text);

// True when one piece of `list` cut at any of `delimiters` (consecutive delimiters form no
// piece), trimmed of spaces and tabs, equals `item` ignoring case. False for any empty argument.
bool IsInList(const char* list, const char* item, const char* delimiters);

// The index-th piece (from 0) of `list` cut at any of `delimiters`, consecutive delimiters
// forming no piece. The char* form writes at most `size` bytes, the NUL included.
// False when there are fewer pieces (or a null/zero argument).
bool GetToken(const char* list, const char* delimiters, int index, char* out, size_t size);
bool GetToken(const std::string& list, const std::string& delimiters, int index, std::string& out);

// Trims any of `chars` from both ends.
std::string TrimChars(const std::string& text, const char* chars);

// Equal ignoring the case of ASCII letters; a byte after a double-byte lead byte (0x81-0xFE)
// compares exactly, so double-byte texts stay distinct.
bool EqualsNoCase(const std::string& a, const std::string& b);

// Upper-cases ASCII letters, leaving double-byte characters intact.
std::string ToUpperText(const std::string& text);
