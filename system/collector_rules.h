#pragma once
// The driver-target search's pure rules: the folder names, the order of the directories
// tried, and how a found path is recorded. Win32-free.
#include <string>
#include <vector>

// The folder names tried under the root: the lines of the "<OS name>_DIR" section first,
// then the OS folder names of the OS class (config/os_define.h); empty names left out.
std::vector<std::string> CollectorFolderNames(const std::vector<std::string>& dir_section_lines, int os_class,
                                              bool is64);

// The directories tried after the root itself, in order, for folder names N and language L:
// root\N..., root\L, root\English, root\N\L..., root\N\English..., root\L\N...,
// root\English\N... . The L forms need a non-empty L; the English forms need L null or
// other than "English" (ignoring case) and non-empty. A null language gives only the English
// forms; an empty one none of the language forms.
std::vector<std::string> CollectorCandidateDirs(const std::string& root, const char* language,
                                                const std::vector<std::string>& names);

// The target path: the found path upper-cased, every occurrence of the upper-cased
// installer directory replaced by "$SRC_DIR$" (none when that directory is empty).
std::string CollectorTargetPath(const std::string& found, const std::string& installer_dir);

// The text before the last backslash (the whole text when there is none).
std::string CollectorTargetDir(const std::string& found);
