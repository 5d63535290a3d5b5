#pragma once
// How a configured file name becomes an absolute path, relative to the source directory (the
// program's directory, without trailing backslash). Existence checking and its log line are
// the installer variables' business (CInstallerVars::ResolvePath).
#include <string>

std::string ResolvePathRule(const std::string& text, const std::string& source_dir);
