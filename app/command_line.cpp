#include "app/command_line.h"

#include "config/profile.h"

namespace {

bool isSeparator(char c) { return c == '/' || c == '-'; }

std::string trimValue(const std::string& s)
{
    const char* blanks = " \t\"";
    size_t b = s.find_first_not_of(blanks);
    if (b == std::string::npos) return std::string();
    size_t e = s.find_last_not_of(blanks);
    return s.substr(b, e - b + 1);
}

}  // namespace

CommandLineOptions ParseCommandLine(const std::string& text)
{
    CommandLineOptions o;
    // Neither separator can be the trail byte of a double-byte character in the code pages
    // the product ships (trail bytes start at 0x40), so splitting bytes is safe.
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isSeparator(text[i])) ++i;
        size_t start = i;
        while (i < text.size() && !isSeparator(text[i])) ++i;
        if (start == i) break;
        std::string token = text.substr(start, i - start);
        char letter = token[0];
        std::string value = trimValue(token.substr(1));
        switch (letter) {
        case 'A': case 'a':
            o.has_destination = true;
            o.destination = value;
            break;
        case 'D': case 'd': o.setup_type = 6; break;
        case 'L': case 'l':
            o.has_language = true;
            o.language_id = StringToDword(value);
            break;
        case 'P': case 'p':
            o.has_port = true;
            o.port = value;
            break;
        case 'R': case 'r': o.setup_type = 3; break;
        case 'S': case 's': o.silent = true; break;
        case 'U': case 'u': o.setup_type = 2; break;
        default: break;  // other letters (a leading blank too) are ignored
        }
    }
    return o;
}
