// CItemInfo's resolution of programs, driver INFs, parameters and share names while an item
// loads.
#include "install/item_info.h"

#include "config/vars_text.h"
#include "install/item_guard.h"
#include "system/collector.h"
#include "system/my_printer.h"
#include "system/text_utils.h"

namespace {

void cut(std::string& text, size_t buffer = kItemTextBuffer) { vars_text::CutToBuffer(text, buffer); }

}  // namespace

std::string* CItemInfo::OperationCommand(int operation)
{
    switch (operation) {
    case kItemInstall: return &inst_cmd_;
    case kItemUninstall: return &uninst_cmd_;
    case kItemReinstall: return &reinst_cmd_;
    default: return nullptr;
    }
}

bool CItemInfo::FindTarget(const std::string& root, const std::string& os_name, int os_code, bool is64,
                           TARGET_INFO& target)
{
    const std::string& language = vars_.Language().lang_dir;
    if (services_.collector)
        return services_.collector->FindTarget(root.c_str(), comp_class_.c_str(), language.c_str(), os_name.c_str(),
                                               &target, os_code, is64);
    CCollector collector(log_, &vars_.DataProfile(), vars_.SourceDir());
    return collector.FindTarget(root.c_str(), comp_class_.c_str(), language.c_str(), os_name.c_str(), &target,
                                os_code, is64);
}

bool CItemInfo::CheckItemCmd()
{
    return item_guard::Run(
        false,
        [&] {
            if (CheckCommand(kItemInstall, true)) {
                install_valid_ = true;
            } else if (!comp_dir_.empty()) {
                const std::string& os = vars_.Settings().os_define;
                log_.Write(" ");
                log_.Write("Find Target (Dir[%s],Class[%s],Lang[%s],OS[%s]", comp_dir_.c_str(), comp_class_.c_str(),
                           vars_.Language().lang_dir.c_str(), os.c_str());
                TARGET_INFO target;
                if (!FindTarget(comp_dir_, os, 0, false, target)) {
                    log_.Write(" <== No target was found!!! ==> ");
                    install_valid_ = false;
                } else {
                    install_valid_ = true;
                    comp_dir_ = target.directory;
                    cut(comp_dir_);
                    bool ok = false;
                    switch (target.kind) {
                    case kTargetPrinterInf:
                        inf_file_ = target.path;
                        driver_name_ = target.driver_name;
                        printer_name_ = target.driver_name;
                        ok = GetItemInfoFromInf();
                        break;
                    case kTargetImageInf:
                    case kTargetOtherInf:
                        inf_file_ = target.path;
                        ok = GetItemInfoFromInf();
                        break;
                    case kTargetSetup:
                        ok = SetTargetCommand(target.path);
                        break;
                    default:
                        install_valid_ = false;
                        break;
                    }
                    if (ok) {
                        log_.Write(" ");
                        log_.Write("<==Target Found!!!!==>");
                        log_.Write("Target Name : [%s]", target.driver_name.c_str());
                        log_.Write("Target Dir  : [%s]", target.directory.c_str());
                        log_.Write("Target      : [%s]", target.path.c_str());
                    }
                }
            }

            CheckInstallation(false);
            if (installed_) {
                std::string value;
                uninstall_valid_ = (!uninst_key_.empty() && UninstallValue(value) && !value.empty()) ||
                                   CheckCommand(kItemUninstall, false);
                reinstall_valid_ = CheckCommand(kItemReinstall, false);
            }
            return install_valid_ || uninstall_valid_ || reinstall_valid_;
        },
        [&] { log_.Write("GPF in CItemInfo::CheckItemCmd"); });
}

bool CItemInfo::SetTargetCommand(const std::string& path)
{
    if (path.empty()) return false;
    inst_cmd_ = uninst_cmd_ = reinst_cmd_ = path;
    cut(inst_cmd_);
    cut(uninst_cmd_);
    cut(reinst_cmd_);
    if (success_ret_ == -1) success_ret_ = 0;
    return true;
}

bool CItemInfo::CheckCommand(int operation, bool inf_check)
{
    return item_guard::Run(
        false,
        [&] {
            const std::string* command = OperationCommand(operation);
            if (!command) return false;
            if (vars_.FileExists(GetRealData(*command))) {
                if (success_ret_ == -1) success_ret_ = 0;
                return true;
            }
            log_.Write("[%s](%d)  Command is not available", command->c_str(), operation);
            const std::string inf = GetRealData(inf_file_);
            if (!vars_.FileExists(inf)) {
                log_.Write("[%s] Inf is not available", inf.c_str());
                return false;
            }
            if (!inf_check) return false;
            if (GetItemInfoFromInf()) return true;
            log_.Write("[%s] Inf has wrong data", inf.c_str());
            return false;
        },
        [&] { log_.Write("GPF in CItemInfo::CheckCommand"); });
}

bool CItemInfo::GetItemInfoFromInf()
{
    return item_guard::Run(
        false,
        [&] {
            const std::string path = GetRealData(inf_file_);
            if (path.empty()) {
                log_.Write("Invalid Inf File Name [%s]", display_name_.c_str());
                return false;
            }
            inf_.Reset();
            if (inf_.Init(path, model_index_, driver_name_)) {
                if (model_index_ == 0) model_index_ = inf_.DriverIndex();
                if (driver_name_.empty()) driver_name_ = inf_.DriverName();
                if (printer_name_.empty()) printer_name_ = inf_.DriverName();
                uni_drv_ = inf_.UniDrv();
                if (model_name_.empty()) {
                    model_name_ = inf_.DriverName();
                    cut(model_name_, kItemModelBuffer);
                }
            }
            comp_class_ = inf_.Class();
            cut(comp_class_, kItemClassBuffer);
            return GetCommandFromItemType(comp_class_);
        },
        [&] { log_.Write("GPF in CItemInfo::GetItemInfoFromInf"); });
}

bool CItemInfo::GetCommandFromItemType(const std::string& class_name)
{
    if (class_name.empty()) return false;
    return item_guard::Run(
        false,
        [&] {
            std::string section;
            if (!FindItemTypeSection(vars_.DataProfile(), class_name, section)) {
                log_.Write("Invalid ITEM_TYPE_INFO !!!");
                return false;
            }
            // Without a matching type section the reads below leave the item's own values.
            GetData(section, "INSTALLER", inst_cmd_, false);
            if (!vars_.FileExists(GetRealData(inst_cmd_))) {
                log_.Write("there is no matched inf installer section [%s]", class_name.c_str());
                return false;
            }
            uninst_cmd_ = reinst_cmd_ = inst_cmd_;
            GetData(section, "INST_PARAM", inst_param_, false);
            GetData(section, "UNINST_PARAM", uninst_param_, false);
            GetData(section, "REINST_PARAM", reinst_param_, false);
            if (success_ret_ == -1) GetData(section, "SUCCESS_RET_VAL", success_ret_);
            if (IsPrinterItem()) {
                ModifyPrinterParameters(inst_param_, kItemTextBuffer, model_index_, driver_name_);
                ModifyPrinterParameters(uninst_param_, kItemTextBuffer, model_index_, driver_name_);
                ModifyPrinterParameters(reinst_param_, kItemTextBuffer, model_index_, driver_name_);
            } else if (EqualsNoCase(class_name, "Image")) {
                ModifyScanUninstParam(uninst_param_, kItemTextBuffer, model_name_);
            }
            type_resolved_ = true;
            return true;
        },
        [&] { log_.Write("GPF in CItemInfo::GetCommandFromItemType(%s)", class_name.c_str()); });
}

bool CItemInfo::ModifyPrinterParameters(std::string& text, size_t size, int index, const std::string& driver)
{
    return item_guard::Run(
        false, [&] { return RewritePrinterParameters(text, size, index, driver); },
        [&] { log_.Write("GPF in CItemInfo::ModifyPrinterParameters(%s)", text.c_str()); });
}

bool CItemInfo::ModifyScanUninstParam(std::string& text, size_t size, const std::string& model)
{
    return item_guard::Run(
        false, [&] { return RewriteScanUninstParam(text, size, model); },
        [&] { log_.Write("GPF in CItemInfo::ModifyScanUninstParam(%s)", text.c_str()); });
}

bool CItemInfo::ModifyPrinterPortCommand(std::string& text)
{
    if (text.empty()) return false;
    return item_guard::Run(
        false,
        [&] {
            std::string port;
            if (!services_.printers || !services_.printers->GetPortByKey(printer_key_, port)) return false;
            std::string rewritten = text;
            if (!RewritePortParameter(rewritten, kItemTextBuffer, port)) return false;
            log_.Write("Modify install param of printer[%s] from [%s] to [%s]", display_name_.c_str(), text.c_str(),
                       rewritten.c_str());
            text = rewritten;
            return true;
        },
        [&] { log_.Write("GPF in CItemInfo::ModifyPrinterPortCommand(%s)", text.c_str()); });
}

bool CItemInfo::CheckPrinterInformation()
{
    return item_guard::Run(
        false,
        [&] {
            for (const ItemGenerationRow& row : kItemGenerationRows) {
                std::string os_name;
                if (!GetOSString(row.os_define_id, os_name)) continue;
                TARGET_INFO target;
                if (FindTarget(org_comp_dir_, os_name, row.os_class, row.is64, target) &&
                    target.kind == kTargetPrinterInf) {
                    gen_inf_[row.property] = target.path;
                    cut(gen_inf_[row.property]);
                }
            }
            SetSharName();
            return true;
        },
        [&] { log_.Write("GPF in CItemInfo::CheckPrinterInformation"); });
}

bool CItemInfo::GetOSString(const std::string& id, std::string& name)
{
    return item_guard::Run(
        false, [&] { return OsStringOfId(vars_.DataProfile(), id, name); },
        [&] { log_.Write("GPF in CItemInfo::GetOSString"); });
}

bool CItemInfo::SetSharName()
{
    return item_guard::Run(
        false,
        [&] {
            if (share_name_.empty()) {
                share_name_ = MakeShareName(driver_name_, vars_.ProgramInfo().mfg);
                cut(share_name_);
            }
            return true;
        },
        [&] { log_.Write("GPF in CItemInfo::SetSharName"); });
}
