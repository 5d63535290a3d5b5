#include "app/start_section.h"

#include <utility>
#include <vector>

int AdjustRequestedType(int requested, bool installed, bool maintenance_on, bool network_on)
{
    if (requested == 1 && installed && maintenance_on && !network_on) return 3;
    return requested;
}

StartChoice ChooseStartSection(int requested, bool on_cdrom, const FindVariantFn& find)
{
    using Candidate = std::pair<const char*, int>;
    std::vector<Candidate> order;
    switch (requested) {
    case 3:
        order = {on_cdrom ? Candidate{"REINST_START_INFO_CD", 5} : Candidate{"REINST_START_INFO_LOCAL", 5},
                 {"REINST_START_INFO", 3}, {"UNINST_START_INFO", 2}, {"INSTALL_START_INFO", 1}};
        break;
    case 2:
        order = {{"UNINST_START_INFO", 2}, {"REINST_START_INFO", 3},
                 on_cdrom ? Candidate{"REINST_START_INFO_CD", 5} : Candidate{"REINST_START_INFO_LOCAL", 4},
                 {"INSTALL_START_INFO", 1}};
        break;
    case 6:
        order = {{"DELETEALL_START_INFO", 6}, {"REINST_START_INFO", 3}, {"UNINST_START_INFO", 2},
                 {"INSTALL_START_INFO", 1}};
        break;
    default:
        order = {{"INSTALL_START_INFO", 1}};
        break;
    }
    StartChoice choice;
    for (const auto& c : order) {
        std::string found;
        if (find(c.first, found)) {
            choice.setup_type = c.second;
            choice.section = found;
            return choice;
        }
    }
    return choice;
}
