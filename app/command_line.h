#pragma once
// The installer's command line: tokens split at every '/' and '-', first letter = option.
#include <cstdint>
#include <string>

struct CommandLineOptions {
    int setup_type = 1;  // SetupType; /D, /R, /U change it
    bool silent = false; // /S
    bool has_destination = false;
    std::string destination;  // /A
    bool has_language = false;
    uint32_t language_id = 0;  // /L, decimal or 0x-hexadecimal
    bool has_port = false;
    std::string port;  // /P: a port name, or an IP address when it starts with a digit
};

// Runs of separators count as one, so a value cannot hold '/' or '-': "/AC:\My-Dir" gives
// the destination "C:\My" and a token "Dir" whose letter D means remove-all.
CommandLineOptions ParseCommandLine(const std::string& text);
