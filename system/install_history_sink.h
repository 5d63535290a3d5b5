#pragma once
// Where the copy engine registers what it puts on the system, so that a removal can take it
// away again. The install history fills it; without one (a null pointer) nothing is recorded.
// Win32-free.
#include <string>

class IInstallHistory {
public:
    virtual ~IInstallHistory() = default;

    // A copied file (history entry type 0) in the run history. True when written.
    virtual bool AddFile(const std::string& path) = 0;
    // A directory created for a copy (entry type 1) in the run history. True when written.
    virtual bool AddDirectory(const std::string& path) = 0;
    // Removes everything the run history records (files, then directories), as an
    // uninstallation does; false when the run history is empty.
    virtual bool RemoveRunHistory() = 0;
};
