// Sets up the files copy_restart.sh checks after a restart: in C:\<dir> (the argument), a
// destination held open while it is replaced on the NT path and on the Windows 9x path
// (wininit.ini of the Windows directory), and a file held open while it is deleted.
// Exit code 0 when every operation reported success and nothing changed yet.
#include "system/api_function.h"
#include "system/copy_file.h"
#include "platform/unique_handle.h"
#include "system/trace.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

void write_file(const std::string& path, const char* text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

unique_hfile hold(const std::string& path)
{
    return unique_hfile(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
}

int failures = 0;
void check(bool ok, const char* what)
{
    std::printf("%s: %s\n", what, ok ? "ok" : "FAILED");
    if (!ok) ++failures;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: copy_restart_setup DIR\n");
        return 2;
    }
    std::string dir = argv[1];
    ::CreateDirectoryA(dir.c_str(), nullptr);
    write_file(dir + "\\new_nt.txt", "new nt");
    write_file(dir + "\\nt.txt", "old nt");
    write_file(dir + "\\new_9x.txt", "new 9x");
    write_file(dir + "\\w9x.txt", "old 9x");
    write_file(dir + "\\doomed.txt", "doomed");

    unique_hfile nt = hold(dir + "\\nt.txt");
    unique_hfile w9x = hold(dir + "\\w9x.txt");
    unique_hfile doomed = hold(dir + "\\doomed.txt");
    check(nt && w9x && doomed, "files held open");

    CAPIFunction api;
    CopyFileEnv env;
    env.api = &api;
    check(CCopyFile::CopyOneFile(env, (dir + "\\new_nt.txt").c_str(), (dir + "\\nt.txt").c_str(), false),
          "NT replacement reported");
    check(CCopyFile::DeleteOneFile(env, (dir + "\\doomed.txt").c_str()), "NT delete reported");

    CAPIFunction windows95(NullTrace(), CAPIFunction::Binding::None);
    CopyFileEnv env9x;
    env9x.api = &windows95;
    env9x.os_family = kFamilyWin9x;
    check(CCopyFile::CopyOneFile(env9x, (dir + "\\new_9x.txt").c_str(), (dir + "\\w9x.txt").c_str(), false),
          "9x replacement reported");

    nt.reset();
    w9x.reset();
    doomed.reset();
    check(read_file(dir + "\\nt.txt") == "old nt" && read_file(dir + "\\w9x.txt") == "old 9x" &&
              read_file(dir + "\\doomed.txt") == "doomed",
          "nothing changed before the restart");
    return failures ? 1 : 0;
}
