#pragma once
// The reader's only contact with the file system. One implementation per platform:
// profile_io_win.cpp (Win32 file and private-profile functions) and profile_io_posix.cpp.
#include <cstdint>
#include <string>

// Reads a whole file; 0 or the Win32 error number (2 not found, 5 access denied ...).
uint32_t ReadWholeFile(const char* path, std::string& contents);

// Writes key = value into the file's section on disk, updating in place; an empty key
// (null) empties the whole section. 0 or the Win32 error number.
uint32_t WriteProfileValue(const char* path, const char* section, const char* key, const char* value);

// Writes raw bytes to an open file handle (HANDLE on Windows, FILE* elsewhere); 0 or error.
uint32_t WriteToFileHandle(void* file, const std::string& bytes);
