#pragma once
// One installable item: its definition from the item's section of the data file, what the
// load works out from it (device class, the real programs, driver INFs, parameters, share
// name, language), its state in the run, and the registry records the component library and
// the copy-files page read. Every operation runs under a fault guard: a fault or exception
// inside it logs one "GPF in CItemInfo::..." line and fails the operation.
//
// The header is Win32-free; the implementation calls the registry, spooler and SetupAPI
// layers of system/ (Windows tree only).
#include "config/installer_vars.h"
#include "config/log_sink.h"
#include "install/item_rules.h"
#include "system/collector.h"
#include "system/inf_info.h"

#include <cstdint>
#include <string>

class CMyPrinter;
class IDeviceQueries;

// Collaborators beyond the variables. Every pointer may be null: without device queries no
// device ID can be read, without the libraries no device port is found, without the
// printer-settings table no port option is made, without a collector the item searches with
// one of its own over the variables' data profile.
struct ItemServices {
    IDeviceQueries* device = nullptr;      // DEVCHK: the device ID at an address or port
    IComponentLibsHost* libs = nullptr;    // DEVCHK: GetDevicePort
    const CMyPrinter* printers = nullptr;  // the port of the item's printer-settings entry
    CCollector* collector = nullptr;       // the driver-target search
};

// The operation numbers of CheckCommand and its log line.
enum ItemOperation : int { kItemInstall = 0, kItemUninstall = 1, kItemReinstall = 2 };

class CItemInfo {
public:
    // vars and log (and what services point to) must outlive the item.
    CItemInfo(CInstallerVars& vars, ILogSink& log, const ItemServices& services = ItemServices());
    // Logs "[<item name>] Item is being destoried!!".
    ~CItemInfo();
    CItemInfo(const CItemInfo&) = delete;
    CItemInfo& operator=(const CItemInfo&) = delete;

    // --- loading ---------------------------------------------------------------------------

    // Reads the item's section and resolves it. True when the item exists on this system and
    // at least one of install, uninstall and reinstall is possible.
    bool LoadItemInfo(const std::string& section);
    // The steps of the load.
    bool GetItemInfo(const std::string& section);     // false: unsupported on this OS
    bool GetItemLan(const std::string& section);
    bool GetItemCommand(const std::string& section);  // false: the section cannot be listed
    bool GetItemPrinter(const std::string& section);
    bool GetParameters(const std::string& section);

    // Data-profile reads; a missing key leaves the destination as it was. True when found.
    // Text: "<key>.<OS name>", then the key; while the destination is still empty the same
    // with the alternate key. Cut to the item's 16 KiB text buffer.
    bool GetData(const std::string& section, const std::string& key, std::string& dest, bool expand = true,
                 const std::string& alt_key = std::string());
    // Flag: number > 0. No OS suffix.
    bool GetData(const std::string& section, const std::string& key, bool& flag);
    // Number. No OS suffix.
    bool GetData(const std::string& section, const std::string& key, int& number);

    // Item language := lang_id, mapped by the ITEM_LANG section; abbreviation and directory
    // from the language tables.
    bool SetItemLang(uint16_t lang_id);
    // %TOKEN% and "%s" in the display name and the three descriptions become the model name.
    void ModifyDisplayNameAndDescription();
    // The place the copy-files page copies `source` to; an empty source leaves `destination`.
    void ConvertToDestination(const std::string& source, std::string& destination);
    // The text with the installer macros expanded in the item's language; with inf_names
    // also $INF$, $SRC_INF$ (the item's INF) and $DEST_INF$ (its destination INF). The
    // result is also kept in the result buffer (Result()). A null text gives "".
    std::string GetRealData(const char* text, bool inf_names = false);
    std::string GetRealData(const std::string& text, bool inf_names = false);

    // --- state -------------------------------------------------------------------------

    // Printer: the driver is installed (by_printer: some local printer uses it); otherwise the
    // UNINST_KEY value under UninstallInfo, or InstallNow 2 in the Installed item record.
    // Stores and returns the installed flag.
    bool CheckInstallation(bool by_printer);
    // ItemInstallType of a DEFAULT_INST_TYPE keyword; DEVCHK runs the device check.
    int GetInstallType(const std::string& keyword);
    // keep: the install type. Otherwise re-evaluated from the Installing key's
    // "Install_Type" (the item key it names, else DEFAULT_INST_TYPE) when that is present.
    int GetItemState(bool keep);
    bool IsPrinterItem() const;

    // --- registry records ----------------------------------------------------------------

    // The item record "<Installing>\Items\<item name>".
    bool WriteItemInfo();
    // The copy-file records of the component directory and of the per-generation INF
    // directories, when the item is to be copied.
    bool WriteCopyFileInfo();
    // "<Installing>\CopyFiles\<item name>" (counter -1) or "...\<item name>_<counter>".
    void SetRegCopyFileInfo(const std::string& source, const std::string& destination, int counter);
    // Deletes "<Installed>\Items\<item name>" with its tree; true when deleted.
    bool DeleteInstallKey();
    // The item's properties as a block of log lines.
    void ShowItemInfo();

    // --- program and driver resolution -----------------------------------------------------

    // Decides the three valid flags and the installed flag; true when any operation is valid.
    bool CheckItemCmd();
    // The operation's program exists, or (inf_check) the INF yields one.
    bool CheckCommand(int operation, bool inf_check);
    // All three programs := path; a success code of -1 becomes 0. False for an empty path.
    bool SetTargetCommand(const std::string& path);
    // Reads the item's INF (model, index, class, universal driver), then the item type.
    bool GetItemInfoFromInf();
    // The installer program and parameters of the class from the item-type table.
    bool GetCommandFromItemType(const std::string& class_name);
    // The parameter rewrites, on a text of `size` bytes (NUL included).
    bool ModifyPrinterParameters(std::string& text, size_t size, int index, const std::string& driver);
    bool ModifyScanUninstParam(std::string& text, size_t size, const std::string& model);
    // The port of the item's printer-settings entry as the /P option; false (unchanged) when
    // the text is empty or the entry has no port.
    bool ModifyPrinterPortCommand(std::string& text);
    // The driver INFs of the other Windows generations, then the share name. Always true
    // (false only after a fault).
    bool CheckPrinterInformation();
    // The OS name of an OS_DEFINE id unless SYSTEM_REQUIREMENT's UNSUPPORTED_OS lists it.
    bool GetOSString(const std::string& id, std::string& name);
    // A share name from the driver name when SHARE_NAME was not given.
    bool SetSharName();

    // --- properties --------------------------------------------------------------------

    const std::string& Name() const { return name_; }
    const std::string& DisplayName() const { return display_name_; }
    const std::string& InstallDescription() const { return install_desc_; }
    const std::string& RemoveDescription() const { return remove_desc_; }
    const std::string& RepairDescription() const { return repair_desc_; }
    const std::string& Tooltip() const { return tooltip_; }
    const std::string& ComponentDir() const { return comp_dir_; }
    const std::string& ConfiguredComponentDir() const { return org_comp_dir_; }
    const std::string& DeviceString() const { return device_string_; }
    bool CopyComponent() const { return copy_file_; }
    bool CopyWhenSelected() const { return copy_file_selected_; }
    const std::string& UnsupportedOs() const { return unsupported_os_; }
    int InstallType() const { return install_type_; }
    const std::string& ComponentClass() const { return comp_class_; }
    const std::string& InstallCommand() const { return inst_cmd_; }
    const std::string& InstallParameters() const { return inst_param_; }
    const std::string& UninstallCommand() const { return uninst_cmd_; }
    const std::string& UninstallParameters() const { return uninst_param_; }
    const std::string& ReinstallCommand() const { return reinst_cmd_; }
    const std::string& ReinstallParameters() const { return reinst_param_; }
    const std::string& UninstallKey() const { return uninst_key_; }
    const std::string& ReinstallKey() const { return reinst_key_; }
    const std::string& InfFile() const { return inf_file_; }
    const std::string& DestinationInf() const { return dest_inf_; }
    int SuccessReturn() const { return success_ret_; }
    const std::string& LanguageSection() const { return lang_section_; }

    const std::string& PrinterName() const { return printer_name_; }
    const std::string& DriverName() const { return driver_name_; }
    const std::string& ShareName() const { return share_name_; }
    const std::string& GenerationInf(ItemInfGeneration which) const { return gen_inf_[which]; }
    bool DefaultPrinter() const { return default_printer_; }
    bool SharePrinter() const { return share_printer_; }
    int ModelIndex() const { return model_index_; }
    bool UniDrv() const { return uni_drv_; }

    uint16_t ItemLanguage() const { return item_lang_; }
    const std::string& ItemLanguageAbbr() const { return item_lang_abbr_; }
    const std::string& ItemLanguageDir() const { return item_lang_dir_; }
    const std::string& ModelName() const { return model_name_; }
    bool TypeResolved() const { return type_resolved_; }
    bool InstallValid() const { return install_valid_; }
    bool UninstallValid() const { return uninstall_valid_; }
    bool ReinstallValid() const { return reinstall_valid_; }
    bool Selected() const { return selected_; }
    bool Installed() const { return installed_; }
    int PrinterKey() const { return printer_key_; }
    const std::string& Result() const { return result_; }

    // Set by the pages and the silent installer, the install engine, the collection.
    void SetSelected(bool on) { selected_ = on; }
    void SetInstalled(bool on) { installed_ = on; }
    void SetPrinterKey(int key) { printer_key_ = key; }
    void SetDefaultPrinter(bool on) { default_printer_ = on; }

private:
    std::string Expand(const std::string& text) const;  // GetRealData without the buffer
    std::string ItemKey(const std::string& root) const;  // "<root>\Items\<item name>"
    int DeviceCheck();
    // The UNINST_KEY string value under the UninstallInfo key.
    bool UninstallValue(std::string& value) const;
    bool FindTarget(const std::string& root, const std::string& os_name, int os_code, bool is64, TARGET_INFO& target);
    std::string* OperationCommand(int operation);

    CInstallerVars& vars_;
    ILogSink& log_;
    ItemServices services_;
    CInfInfo inf_;

    std::string name_;
    std::string display_name_;
    std::string install_desc_;
    std::string remove_desc_;
    std::string repair_desc_;
    std::string tooltip_;
    std::string comp_dir_;
    std::string org_comp_dir_;
    std::string device_string_;
    bool copy_file_ = false;
    bool copy_file_selected_ = false;
    std::string unsupported_os_;
    int install_type_ = kInstallNo;
    std::string comp_class_;
    std::string inst_cmd_;
    std::string inst_param_;
    std::string uninst_cmd_;
    std::string uninst_param_;
    std::string reinst_cmd_;
    std::string reinst_param_;
    std::string uninst_key_;
    std::string reinst_key_;
    std::string inf_file_;
    std::string dest_inf_;
    int success_ret_ = -1;
    std::string lang_section_;

    std::string printer_name_;
    std::string driver_name_;
    std::string share_name_;
    std::string gen_inf_[kInfGenerations];
    bool default_printer_ = false;
    bool share_printer_ = false;
    int model_index_ = 0;
    bool uni_drv_ = false;

    uint16_t item_lang_ = 0x0009;
    std::string item_lang_abbr_;
    std::string item_lang_dir_;
    std::string model_name_;
    bool type_resolved_ = false;
    bool install_valid_ = false;
    bool uninstall_valid_ = false;
    bool reinstall_valid_ = false;
    bool selected_ = false;
    bool installed_ = false;
    int printer_key_ = -1;
    std::string result_;
};
