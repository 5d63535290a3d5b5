#include "install/item.h"

#include "app/messages.h"
#include "config/vars_text.h"
#include "install/item_guard.h"
#include "system/my_printer.h"
#include "system/registry.h"
#include "system/text_utils.h"

#include <cstdio>

namespace {

constexpr size_t kShortcutNameLimit = 259;
// The start-up window spreads this many percent of its bar over the items.
constexpr uintptr_t kProgressShareWithPages = 10;
constexpr uintptr_t kProgressShareAlone = 70;

bool regString(const std::string& key, const char* name, std::string& out)
{
    std::vector<char> buffer(kItemTextBuffer, '\0');
    if (CRegistry::GetValue(key.c_str(), name, buffer.data(), HKEY_LOCAL_MACHINE,
                            static_cast<unsigned long>(buffer.size())) != ERROR_SUCCESS)
        return false;
    out = buffer.data();
    return true;
}

bool regDword(const std::string& key, const char* name, unsigned long& out)
{
    return CRegistry::GetValue(key.c_str(), name, &out) == ERROR_SUCCESS;
}

void regSet(const std::string& key, const char* name, const std::string& text)
{
    CRegistry::SetValue(key.c_str(), name, text.c_str());
}

void regSet(const std::string& key, const char* name, unsigned long number)
{
    CRegistry::SetValue(key.c_str(), name, number);
}

// The entries of a list section: one name a line, blanks around it dropped.
std::vector<std::string> listNames(const std::vector<std::string>& lines)
{
    std::vector<std::string> names;
    for (const std::string& line : lines) {
        std::string name = vars_text::TrimBlanks(line);
        if (!name.empty()) names.push_back(std::move(name));
    }
    return names;
}

// Start_in when the section gives none: the directory part of the target.
std::string targetDirectory(const std::string& target)
{
    const std::string bare = TrimChars(target, " \t\"");
    const size_t cut = bare.find_last_of('\\');
    return cut == std::string::npos ? std::string() : bare.substr(0, cut);
}

}  // namespace

CItem::CItem(CInstallerVars& vars, ILogSink& log, CMyPrinter* printers, const ItemServices& services)
    : vars_(vars), log_(log), printers_(printers), services_(services)
{
    if (!services_.printers) services_.printers = printers;
}

CItem::~CItem() = default;

// --- the list ----------------------------------------------------------------------------

bool CItem::Init(const std::string& section, IProgressWindow* progress)
{
    return item_guard::Run(
        false,
        [&] {
            section_ = section.empty() ? std::string(kDefaultItemSection) : section;
            // The item list stands beside the pages in the configuration file; a product
            // that keeps it in its data file is read from there.
            std::vector<std::string> lines;
            bool read = false;
            if (vars_.ConfigProfile().SectionExists(section_))
                read = vars_.ConfigProfile().ReadSection(section_, lines, true);
            else
                read = vars_.DataProfile().ReadSection(section_, lines, true);
            const std::vector<std::string> names = listNames(lines);

            if (progress)
                progress->Send(WM_USER_PROGRESS,
                               vars_.Options().PrecreateDlg() ? kProgressShareWithPages : kProgressShareAlone,
                               static_cast<intptr_t>(names.size()));
            for (const std::string& name : names) {
                AddItem(name);
                if (progress) {
                    progress->Send(WM_USER_PROGRESS, 0, 0);
                    progress->Repaint();
                }
            }
            if (!read) section_.clear();

            uninstall_section_ = kDefaultUninstallEntrySection;
            std::string entry;
            if (vars_.DataProfile().Read("PROGRAM_INFO", "OS_UNINST_REG_KEY", entry)) uninstall_section_ = entry;

            FindAndSetDefaultPrinter();
            return read;
        },
        [&] { log_.Write("GPF occurred in CItem::Init!!!"); });
}

void CItem::DestroyItems() { items_.clear(); }

bool CItem::Refresh(IProgressWindow* progress)
{
    return item_guard::Run(
        false,
        [&] {
            DestroyItems();
            return Init(std::string(), progress);
        },
        [&] { log_.Write("GPF occurrred in CItem::Refresh!!!"); });
}

bool CItem::AddItem(const std::string& name)
{
    return item_guard::Run(
        false,
        [&] {
            auto item = std::make_unique<CItemInfo>(vars_, log_, services_);
            if (!item->LoadItemInfo(name)) return false;  // destroyed here, the list unchanged
            item->SetPrinterKey(GetCount());
            COptions& options = vars_.Options();
            if (!options.AgfaGiven() && ToUpperText(item->DriverName()).find(" PCL") != std::string::npos) {
                options.SetAgfa(true);
                log_.Write("AGFA Option is ON");
            }
            items_.push_back(std::move(item));
            return true;
        },
        [&] { log_.Write("GPF occurrred in CItem::AddItem!!!"); });
}

CItemInfo* CItem::GetItem(int index) const
{
    if (index < 0 || index >= GetCount()) return nullptr;
    return items_[static_cast<size_t>(index)].get();
}

// --- registry records ---------------------------------------------------------------------

bool CItem::WriteItemRecords()
{
    return item_guard::Run(
        false,
        [&] {
            for (auto& item : items_) item->WriteItemInfo();
            for (auto& item : items_) item->WriteCopyFileInfo();
            WriteDefaultCopyFileInfo();
            WriteShortcutInfo();
            if (printers_) SetPrinterInfo(*printers_, true);
            return true;
        },
        [&] { log_.Write("GPF occurrred in CItem::WriteItemRecords!!!"); });
}

bool CItem::WriteCopyFileInfo(const std::string& name)
{
    return item_guard::Run(
        false,
        [&] {
            std::string used = vars_text::TrimBlanks(name);
            // Without a name the record would be the CopyFiles key itself.
            if (used.empty()) return false;
            const CSetupProfile& commands = vars_.CommandProfile();
            const std::string variant = used + "." + vars_.Settings().os_define;
            if (!vars_.Settings().os_define.empty() && commands.SectionExists(variant)) used = variant;

            const std::string key = vars_.RegistryRoots().installing + "\\CopyFiles\\" + used;
            std::string text;
            if (commands.Read(used, "DESCRIPTION", text)) regSet(key, "Description", text);
            if (commands.Read(used, "SOURCE", text)) regSet(key, "Src", text);
            if (commands.Read(used, "DESTINATION", text)) regSet(key, "Dest", text);
            uint32_t number = 0;
            if (commands.ReadNumber(used, "COPY_SUBDIR", &number)) regSet(key, "CopySubDir", (unsigned long)number);
            uint32_t erase = 0;
            regSet(key, "Delete", (unsigned long)(commands.ReadNumber(used, "DELETE", &erase) ? erase : 1));
            return true;
        },
        [&] { log_.Write("GPF occurrred in CItem::WriteCopyFileInfo!!!"); });
}

bool CItem::WriteDefaultCopyFileInfo()
{
    return item_guard::Run(
        false,
        [&] {
            std::vector<std::string> lines;
            if (!vars_.CommandProfile().ReadSection("COPY_FILE_INFO", lines, true)) return false;
            for (const std::string& name : listNames(lines)) WriteCopyFileInfo(name);
            return true;
        },
        [&] { log_.Write("GPF occurrred in CItem::WriteDefaultCopyFileInfo!!!"); });
}

bool CItem::WriteShortcutInfo()
{
    return item_guard::Run(
        false,
        [&] {
            std::vector<std::string> lines;
            if (!vars_.DataProfile().ReadSection("SHORTCUT_INFO", lines, true)) return false;
            for (const std::string& name : listNames(lines)) WriteAShortcutInfo(name);
            return true;
        },
        [&] { log_.Write("GPF occurrred in CItem::WriteShortcutInfo!!!"); });
}

bool CItem::WriteAShortcutInfo(const std::string& name)
{
    return item_guard::Run(
        false,
        [&] {
            if (name.empty()) return false;
            const CSetupProfile& commands = vars_.CommandProfile();
            std::string shortcut_name;
            if (!commands.Read(name, "NAME", shortcut_name)) return false;

            auto text = [&](const char* key, const std::string& fallback = std::string()) {
                std::string value;
                return commands.Read(name, key, value) ? value : fallback;
            };
            auto number = [&](const char* key, uint32_t fallback) {
                uint32_t value = 0;
                return (unsigned long)(commands.ReadNumber(name, key, &value) ? value : fallback);
            };
            const std::string target = text("TARGET");
            const std::string group = text("GROUP");

            const std::string key = vars_.RegistryRoots().installing + "\\Shortcut\\" + name;
            regSet(key, "Name", shortcut_name);
            regSet(key, "Target", target);
            regSet(key, "Start_in", text("START_IN", targetDirectory(target)));
            regSet(key, "Argument", text("ARGUMENT"));
            regSet(key, "Icon_File", text("ICON_FILE"));
            regSet(key, "Folder_Name", text("FOLDER_NAME"));
            regSet(key, "Icon_Index", number("ICON_INDEX", 0));
            regSet(key, "Permission", number("PERMISSION", 0));
            regSet(key, "Group", EqualsNoCase(group, "DESKTOP") ? 1UL : 0UL);
            regSet(key, "Icon_Description", text("DESCRIPTION"));
            regSet(key, "Delete", number("DELETE", 1));

            shortcuts_.push_back(name.substr(0, kShortcutNameLimit));
            return true;
        },
        [&] { log_.Write("GPF occurrred in CItem::WriteAShortcutInfo!!!"); });
}

const std::string* CItem::GetShortcutName(int index) const
{
    if (index < 0 || index >= GetShortcutCount()) return nullptr;
    return &shortcuts_[static_cast<size_t>(index)];
}

// --- printers -------------------------------------------------------------------------------

bool CItem::SetPrinterInfo(CMyPrinter& table, bool offered_only)
{
    return item_guard::Run(
        false,
        [&] {
            table.ClearAllRecords();
            const CInstallSettings& settings = vars_.Settings();
            int position = 0;
            for (int index = 0; index < GetCount(); ++index) {
                CItemInfo& item = *items_[static_cast<size_t>(index)];
                if (!item.IsPrinterItem()) continue;
                const int type = item.GetItemState(true);
                if (offered_only && type != kInstallAll && type != kInstallChecked && type != kInstallGrayChecked)
                    continue;
                PRINTER_DATA record;
                CMyPrinter::ClearRecord(record);
                record.driver_name = item.DriverName();
                record.printer_name = item.PrinterName();
                record.share_name = item.ShareName();
                record.inf_path = item.DestinationInf();
                record.port = settings.port;
                record.default_printer = item.DefaultPrinter();
                record.share = item.SharePrinter();
                record.network_port = settings.network_printer;
                record.position = position;
                record.item_key = index;
                if (table.AddRecord(record)) ++position;
            }
            return true;
        },
        [&] { log_.Write("GPF occurrred in CItem::SetPrinterInfo!!!"); });
}

void CItem::FindAndSetDefaultPrinter()
{
    item_guard::RunVoid(
        [&] {
            // Candidates in list order; kind 1 a PCL 6 driver, 2 a PS driver, 0 any other.
            struct Candidate {
                int index;
                int kind;
            };
            std::vector<Candidate> candidates;
            bool chosen = false;
            for (int index = 0; index < GetCount(); ++index) {
                CItemInfo& item = *items_[static_cast<size_t>(index)];
                if (item.IsPrinterItem()) {
                    // A printer the configuration already made the default ends the choice.
                    if (item.DefaultPrinter()) break;
                    const std::string& driver = item.DriverName();
                    int kind = 0;
                    if (driver.find(" PCL 6") != std::string::npos) kind = 1;
                    else if (driver.find(" PS") != std::string::npos) kind = 2;
                    candidates.push_back({index, kind});
                }
                if (chosen) continue;
                // The first plain driver, else the first PCL 6 one; never a PS driver. The
                // choice is made as soon as one qualifies.
                const Candidate* pick = nullptr;
                for (const Candidate& c : candidates)
                    if (c.kind == 0) {
                        pick = &c;
                        break;
                    }
                if (!pick)
                    for (const Candidate& c : candidates)
                        if (c.kind == 1) {
                            pick = &c;
                            break;
                        }
                if (!pick) continue;
                CItemInfo& winner = *items_[static_cast<size_t>(pick->index)];
                winner.SetDefaultPrinter(true);
                log_.Write("%s driver was set as default printer", winner.DriverName().c_str());
                chosen = true;
            }
        },
        [&] { log_.Write("GPF occurrred in CItem::FindAndSetDefaultPrinter!!!"); });
}

std::vector<std::string> CItem::PrinterDriverNames() const
{
    std::vector<std::string> names;
    for (const auto& item : items_)
        if (item->IsPrinterItem() && !item->DriverName().empty()) names.push_back(item->DriverName());
    return names;
}

// --- whole-list questions and state ---------------------------------------------------------

bool CItem::IsthereInstalledItem()
{
    return item_guard::Run(
        false,
        [&] {
            std::string dest;
            if (!regString(vars_.RegistryRoots().installed, "Dest_Dir", dest)) return false;
            for (const auto& item : items_)
                if (item->Installed()) return true;
            return false;
        },
        [&] { log_.Write("GPF occurrred in CItem::IsthereInstalledItem!!!"); });
}

bool CItem::IsAnyPrinterInstalled()
{
    return item_guard::Run(
        false,
        [&] {
            for (auto& item : items_)
                if (item->CheckInstallation(true)) return true;
            return false;
        },
        [&] { log_.Write("GPF occurrred in CItem::IsAnyPrinterInstalled!!!"); });
}

bool CItem::DeleteItemInstallKey(int index)
{
    CItemInfo* item = GetItem(index);
    if (!item) return false;
    return item_guard::Run(
        false, [&] { return item->DeleteInstallKey(); },
        [&] { log_.Write("GPF occurrred in CItem::DeleteItemInstallKey!!!"); });
}

bool CItem::WriteFailItem(int index)
{
    CItemInfo* item = GetItem(index);
    if (!item) return false;
    return item_guard::Run(
        false,
        [&] {
            const std::string key = vars_.RegistryRoots().installing + "\\InstallFail";
            unsigned long count = 0;
            count = regDword(key, "Count", count) ? count + 1 : 1;
            regSet(key, "Count", count);
            regSet(key, std::to_string(count - 1).c_str(), item->Name());
            return true;
        },
        [&] { log_.Write("GPF occurrred in CItem::WriteFailItem!!!"); });
}

int CItem::GetFailCount()
{
    return item_guard::Run(
        0,
        [&] {
            unsigned long count = 0;
            if (!regDword(vars_.RegistryRoots().installing + "\\InstallFail", "Count", count)) return 0;
            return static_cast<int>(count);
        },
        [&] { log_.Write("GPF occurrred in CItem::GetFailCount!!!"); });
}

std::string CItem::GetFailItemName(int n)
{
    return item_guard::Run(
        std::string(),
        [&] {
            std::string name;
            if (!regString(vars_.RegistryRoots().installing + "\\InstallFail", std::to_string(n).c_str(), name))
                return std::string();
            for (const auto& item : items_)
                if (EqualsNoCase(item->Name(), name)) return item->DisplayName();
            return std::string();
        },
        [&] { log_.Write("GPF occurrred in CItem::GetFailItemName!!!"); });
}

bool CItem::Run(const char* type, const std::string& param1)
{
    if (!runner_) return false;
    CommandBlock block;
    block.Set(type, param1);
    return runner_->RunCommand(block);
}

bool CItem::SetDeleteAll()
{
    return item_guard::Run(
        false,
        [&] {
            for (auto& item : items_) {
                if (!item->Installed()) continue;
                item->SetSelected(true);
                item->WriteItemInfo();
            }
            return Run("CT_SET_SETUP_TYPE", "UNINST");
        },
        [&] { log_.Write("GPF occurrred in CItem::SetDeleteAll!!!"); });
}

void CItem::ClearSelection()
{
    for (auto& item : items_) item->SetSelected(false);
}

bool CItem::RegisterUninstallEntry()
{
    return item_guard::Run(
        false, [&] { return Run("CT_ADDREG", uninstall_section_); },
        [&] { log_.Write("GPF occurrred in CItem::RegisterUninstallEntry!!!"); });
}

bool CItem::UnregisterUninstallEntry()
{
    return item_guard::Run(
        false, [&] { return Run("CT_DELREG", uninstall_section_); },
        [&] { log_.Write("GPF occurrred in CItem::UnregisterUninstallEntry!!!"); });
}
