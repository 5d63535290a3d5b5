#pragma once
// The ordered list of installable items. This first cut holds the collection's start-up
// surface; items are loaded from ITEM_INFO once item definitions exist, until then the
// collection stays empty (and an interactive install ends with "There is no valid item!!!").
#include <cstddef>
#include <string>
#include <vector>

class CItem {
public:
    virtual ~CItem() = default;

    // progress: the start-up progress window (a window handle as an integer, 0 for none).
    bool Init(uintptr_t progress) { (void)progress; return true; }
    size_t Count() const { return 0; }
    bool IsthereInstalledItem() const { return false; }
    // Remove-all: every installed item is selected for removal.
    void SelectInstalledForRemoval() {}
    // Printer driver names of the items, for the installed-driver warning at start.
    std::vector<std::string> PrinterDriverNames() const { return {}; }
};
