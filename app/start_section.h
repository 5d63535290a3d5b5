#pragma once
// Choice of the start section (the configuration section that drives the wizard) and of the
// setup type, from the type the command line asked for.
#include <functional>
#include <string>

struct StartChoice {
    int setup_type = 0;   // 0 when not even INSTALL_START_INFO exists
    std::string section;  // best variant found, empty when none
};

// find(base, found): the best existing variant of a section, false when there is none.
using FindVariantFn = std::function<bool(const std::string& base, std::string& found)>;

// Step 1 of the choice: an install of a product that is already installed becomes
// maintenance (3) when MAINTENANCE_ON is on and NETWORK off. `installed` is true when the
// Installed key holds LangCode and (for an install) some item is installed.
int AdjustRequestedType(int requested, bool installed, bool maintenance_on, bool network_on);

// The fall-back orders per requested type (2 uninstall, 3 reinstall, 6 remove all, other:
// install only).
StartChoice ChooseStartSection(int requested, bool on_cdrom, const FindVariantFn& find);
