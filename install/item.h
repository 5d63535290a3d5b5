#pragma once
// The installer's one list of items, in configuration order, and everything that spans
// items: the default printer choice, the printer-settings table, the item, copy-file and
// shortcut records under the Installing key, the install-failure record and the whole-list
// questions. Every operation runs under a fault guard: a fault or exception inside it logs
// one "GPF occurrred in CItem::..." line and fails the operation.
//
// The header is Win32-free; the implementation reaches the registry through system/
// (Windows tree only).
#include "install/command_runner.h"
#include "install/item_info.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CMyPrinter;

constexpr const char* kDefaultItemSection = "ITEM_INFO";
constexpr const char* kDefaultUninstallEntrySection = "ADD_REG.UNINSTKEY";

// Where Init reports while it loads: the start-up progress window. Messages are sent, not
// posted, so the window has advanced before the next item loads.
class IProgressWindow {
public:
    virtual ~IProgressWindow() = default;
    virtual void Send(unsigned message, uintptr_t wparam, intptr_t lparam) = 0;
    virtual void Repaint() = 0;  // at once, the loop is not running yet
};

class CItem {
public:
    // vars, log and what the pointers name must outlive the collection; they are only stored
    // here (the application constructs the log after the collection). printers: the
    // printer-settings table WriteItemRecords rebuilds and the items take their port from
    // (may be null: none). services: handed to every item; a null printers field there is
    // filled with `printers`.
    CItem(CInstallerVars& vars, ILogSink& log, CMyPrinter* printers = nullptr,
          const ItemServices& services = ItemServices());
    ~CItem();
    CItem(const CItem&) = delete;
    CItem& operator=(const CItem&) = delete;

    // The wizard's RunCommand, for the uninstall entry and the remove-all setup type. May be
    // null: those operations then fail.
    void SetCommandRunner(ICommandRunner* runner) { runner_ = runner; }

    // --- the list ------------------------------------------------------------------------

    // Loads the items of `section` (empty: "ITEM_INFO"), reads the uninstall-entry section
    // name and picks the default printer. False when the section cannot be read (the name is
    // then cleared; the rest still runs) or after a fault. progress may be null.
    bool Init(const std::string& section = std::string(), IProgressWindow* progress = nullptr);
    // Destroys every item (each logs its end, so the owner runs this while the log lives).
    void Clear() { DestroyItems(); }
    // Destroys every item and runs Init with the default section.
    bool Refresh(IProgressWindow* progress = nullptr);
    // Loads the item; appended (printer-table key := its index) when the load succeeds.
    bool AddItem(const std::string& name);
    int GetCount() const { return static_cast<int>(items_.size()); }
    // Null for an index outside 0..count-1.
    CItemInfo* GetItem(int index) const;

    const std::string& SectionName() const { return section_; }
    const std::string& UninstallEntrySection() const { return uninstall_section_; }

    // --- registry records -------------------------------------------------------------------

    // Every item record, every item's copy-file records, COPY_FILE_INFO's records, the
    // shortcut records, then the printer-settings table (offered items only).
    bool WriteItemRecords();
    // "<Installing>\CopyFiles\<name>" from the command profile's section (its OS variant
    // "<name>.<OS>" when there is one). False for an empty name.
    bool WriteCopyFileInfo(const std::string& name);
    bool WriteDefaultCopyFileInfo();
    // SHORTCUT_INFO of the data profile; false when the section is missing.
    bool WriteShortcutInfo();
    // "<Installing>\Shortcut\<name>" from the command profile's section, and the name joins
    // the shortcut list (which is never emptied). False without a NAME key.
    bool WriteAShortcutInfo(const std::string& name);
    int GetShortcutCount() const { return static_cast<int>(shortcuts_.size()); }
    // Null past the end.
    const std::string* GetShortcutName(int index) const;

    // --- printers --------------------------------------------------------------------------

    // Rebuilds the table from the printer items in order; offered_only keeps those of
    // install type ALL, CHK and GRAYCHK. Items past the table's 10 slots are left out.
    bool SetPrinterInfo(CMyPrinter& table, bool offered_only = false);
    // The first printer item whose driver is not a " PS" one gets the default-printer flag,
    // unless an earlier printer item already has it; see item.cpp for the exact walk.
    void FindAndSetDefaultPrinter();

    // --- whole-list questions and state ------------------------------------------------------

    // The Installed key holds "Dest_Dir" and some item's installed flag is on.
    bool IsthereInstalledItem();
    // CheckInstallation(by printer) reports some item installed.
    bool IsAnyPrinterInstalled();
    bool DeleteItemInstallKey(int index);
    // "<Installing>\InstallFail": Count and one value "<n>" per failed item.
    bool WriteFailItem(int index);
    int GetFailCount();
    // Display name of the item recorded as entry n; "" when none.
    std::string GetFailItemName(int n);
    // Remove-all: every installed item is selected and its record rewritten, then the setup
    // type becomes UNINST.
    bool SetDeleteAll();
    void ClearSelection();
    // CT_ADDREG / CT_DELREG on the uninstall-entry section, run at once.
    bool RegisterUninstallEntry();
    bool UnregisterUninstallEntry();

    // Printer driver names of the printer items, for the installed-driver warning at start.
    std::vector<std::string> PrinterDriverNames() const;

private:
    bool Run(const char* type, const std::string& param1);
    void DestroyItems();

    CInstallerVars& vars_;
    ILogSink& log_;
    CMyPrinter* printers_;
    ItemServices services_;
    ICommandRunner* runner_ = nullptr;

    std::vector<std::unique_ptr<CItemInfo>> items_;
    std::string section_;
    std::string uninstall_section_ = kDefaultUninstallEntrySection;
    std::vector<std::string> shortcuts_;
};
