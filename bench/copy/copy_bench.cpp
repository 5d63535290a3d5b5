// Throughput of CCopyFile::CopyDirectory against a plain CopyFileA loop over the same tree, in
// one run: a generated tree (default 2 000 files, 200 MB) in the temporary directory is
// copied alternately by both, twice each, and the best time of each counts. The tree and
// its copies are removed at the end.
//   copy_bench [files] [megabytes]
#include "system/api_function.h"
#include "system/copy_file.h"
#include "platform/unique_handle.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kFilesPerDir = 100;

double now_seconds()
{
    LARGE_INTEGER frequency, count;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool write_file(const std::string& path, const std::vector<char>& data, size_t size)
{
    unique_hfile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
    if (!file) return false;
    DWORD written = 0;
    return ::WriteFile(file.get(), data.data(), static_cast<DWORD>(size), &written, nullptr) && written == size;
}

// The baseline: what any tree copy has to do at least.
void plain_copy(const std::string& source, const std::string& dest)
{
    ::CreateDirectoryA(dest.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    unique_findfile find(::FindFirstFileA((source + "\\*.*").c_str(), &found));
    if (!find) return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            plain_copy(source + "\\" + name, dest + "\\" + name);
        else
            ::CopyFileA((source + "\\" + name).c_str(), (dest + "\\" + name).c_str(), FALSE);
    } while (::FindNextFileA(find.get(), &found));
}

void remove_tree(const std::string& dir)
{
    WIN32_FIND_DATAA found;
    unique_findfile find(::FindFirstFileA((dir + "\\*").c_str(), &found));
    if (find) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = dir + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(path);
            else
                ::DeleteFileA(path.c_str());
        } while (::FindNextFileA(find.get(), &found));
    }
    find.reset();
    ::RemoveDirectoryA(dir.c_str());
}

// Files and bytes under a directory, to check that a copy is complete.
void measure(const std::string& dir, long& files, unsigned long long& bytes)
{
    WIN32_FIND_DATAA found;
    unique_findfile find(::FindFirstFileA((dir + "\\*").c_str(), &found));
    if (!find) return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            measure(dir + "\\" + name, files, bytes);
        } else {
            ++files;
            bytes += (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        }
    } while (::FindNextFileA(find.get(), &found));
}

}  // namespace

int main(int argc, char** argv)
{
    int files = argc > 1 ? std::atoi(argv[1]) : 2000;
    int megabytes = argc > 2 ? std::atoi(argv[2]) : 200;
    if (files <= 0 || megabytes <= 0) {
        std::fprintf(stderr, "usage: copy_bench [files] [megabytes]\n");
        return 2;
    }
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    std::string root = std::string(temp) + "qvbench_" + std::to_string(::GetCurrentProcessId());
    std::string source = root + "\\src";
    ::CreateDirectoryA(root.c_str(), nullptr);
    ::CreateDirectoryA(source.c_str(), nullptr);

    const size_t file_size = static_cast<size_t>(megabytes) * 1024 * 1024 / files;
    std::vector<char> data(file_size);
    unsigned seed = 12345;
    for (auto& c : data) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    std::printf("generating %d files of %zu bytes in %s\n", files, file_size, source.c_str());
    for (int i = 0; i < files; ++i) {
        std::string dir = source + "\\d" + std::to_string(i / kFilesPerDir);
        if (i % kFilesPerDir == 0) ::CreateDirectoryA(dir.c_str(), nullptr);
        data[0] = static_cast<char>(i);
        if (!write_file(dir + "\\f" + std::to_string(i) + ".bin", data, file_size)) {
            std::fprintf(stderr, "cannot write the tree (error %lu)\n", ::GetLastError());
            remove_tree(root);
            return 1;
        }
    }
    long src_files = 0;
    unsigned long long src_bytes = 0;
    measure(source, src_files, src_bytes);

    CAPIFunction api;
    CopyFileEnv env;
    env.api = &api;
    double best_engine = 1e30, best_plain = 1e30;
    bool complete = true;
    // Alternating, so that neither side always meets a warmer cache.
    const char* order = "peep";
    for (const char* step = order; *step; ++step) {
        std::string dest = root + "\\dst";
        double start = now_seconds();
        if (*step == 'e')
            CCopyFile::CopyDirectory(env, source.c_str(), dest.c_str(), true, false);
        else
            plain_copy(source, dest);
        double elapsed = now_seconds() - start;
        long n = 0;
        unsigned long long bytes = 0;
        measure(dest, n, bytes);
        if (n != src_files || bytes != src_bytes) complete = false;
        std::printf("%-14s %7.3f s  %8.1f MB/s\n", *step == 'e' ? "CopyDirectory" : "CopyFileA loop", elapsed,
                    static_cast<double>(bytes) / (1024.0 * 1024.0) / elapsed);
        (*step == 'e' ? best_engine : best_plain) = std::min(*step == 'e' ? best_engine : best_plain, elapsed);
        remove_tree(dest);
    }
    remove_tree(root);

    double mb = static_cast<double>(src_bytes) / (1024.0 * 1024.0);
    double ratio = best_plain / best_engine;
    std::printf("best: CopyDirectory %.1f MB/s, CopyFileA loop %.1f MB/s\n", mb / best_engine, mb / best_plain);
    std::printf("throughput ratio CopyDirectory / CopyFileA loop: %.3f (goal >= 0.9)%s\n", ratio,
                complete ? "" : "  -- INCOMPLETE COPY");
    return complete ? 0 : 1;
}
