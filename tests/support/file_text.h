#pragma once
// Whole-file reads and writes for tests that check or prepare file contents byte for byte.
#include <fstream>
#include <sstream>
#include <string>

inline std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void write_file(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}
