#pragma once
// A scratch directory for the variables' tests, removed afterwards. The installer forms its
// paths with backslashes; the native file functions take a backslash as part of a name, so a
// "disc" lives in the scratch directory as files named "disc\<path>" — exactly the names the
// installer then asks for.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

class VarsScratch {
public:
    VarsScratch()
    {
        std::random_device rd;
        root_ = std::filesystem::temp_directory_path() / ("qv_vars_" + std::to_string(rd()));
        std::filesystem::create_directories(root_);
    }
    ~VarsScratch()
    {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    VarsScratch(const VarsScratch&) = delete;
    VarsScratch& operator=(const VarsScratch&) = delete;

    // A plain file in the scratch directory; returns its path.
    std::string File(const std::string& name, const std::string& text) const
    {
        const std::string path = (root_ / name).string();
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        return path;
    }

    // The disc's source directory S: backslash paths below it name files of the scratch dir.
    std::string DiscDir() const { return (root_ / "disc").string(); }

    // A file of the disc, `relative` written with backslashes ("data\\qvinst.qvi").
    std::string DiscFile(const std::string& relative, const std::string& text) const
    {
        return File("disc\\" + relative, text);
    }

    // Copies a fixture tree (tests/data/vars/<name>) onto the disc.
    void CopyFixture(const std::string& name) const
    {
        const std::filesystem::path from = std::filesystem::path(QV_SOURCE_DIR) / "tests" / "data" / "vars" / name;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(from)) {
            if (!entry.is_regular_file()) continue;
            std::string relative = std::filesystem::relative(entry.path(), from).generic_string();
            for (char& c : relative)
                if (c == '/') c = '\\';
            std::ifstream in(entry.path(), std::ios::binary);
            DiscFile(relative, std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
        }
    }

private:
    std::filesystem::path root_;
};
