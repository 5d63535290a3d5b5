#include "install/item_info.h"

#include "config/language.h"
#include "config/vars_text.h"
#include "install/item_guard.h"
#include "system/collector.h"
#include "system/my_printer.h"
#include "system/registry.h"
#include "system/system_utils.h"
#include "system/text_utils.h"

#include <vector>

namespace {

constexpr const char* kRuler = "------------------------------------------------------------------------------------";

// Without the component libraries no device ID can be read.
class NoDeviceQueries final : public IDeviceQueries {
public:
    int MyGetPrinterDesc(const std::string&, std::string&) override { return 4096; }
    int MyGetDeviceIDFromPort(const std::string&, std::string&) override { return 0; }
};

// A string value under HKEY_LOCAL_MACHINE; false when it cannot be read as a string.
bool regString(const std::string& key, const char* name, std::string& out)
{
    std::vector<char> buffer(kItemTextBuffer, '\0');
    if (CRegistry::GetValue(key.c_str(), name, buffer.data(), HKEY_LOCAL_MACHINE,
                            static_cast<unsigned long>(buffer.size())) != ERROR_SUCCESS)
        return false;
    out = buffer.data();
    return true;
}

void regSet(const std::string& key, const char* name, const std::string& text)
{
    CRegistry::SetValue(key.c_str(), name, text.c_str());
}

void regSet(const std::string& key, const char* name, unsigned long number)
{
    CRegistry::SetValue(key.c_str(), name, number);
}

void cut(std::string& text, size_t buffer = kItemTextBuffer) { vars_text::CutToBuffer(text, buffer); }

}  // namespace

CItemInfo::CItemInfo(CInstallerVars& vars, ILogSink& log, const ItemServices& services)
    : vars_(vars), log_(log), services_(services), inf_(log)
{
}

CItemInfo::~CItemInfo() { log_.Write("[%s] Item is being destoried!!", name_.c_str()); }

// --- loading -------------------------------------------------------------------------------

bool CItemInfo::LoadItemInfo(const std::string& section)
{
    if (section.empty()) return false;
    return item_guard::Run(
        false,
        [&] {
            log_.Write(" ");
            log_.Write(" ");
            log_.Write(" ");
            log_.Write("[%s] Component Loading ...", section.c_str());
            if (!GetItemInfo(section)) {
                log_.Write("[%s] Loading Default Item information ==> Fail!!", section.c_str());
                return false;
            }
            GetItemLan(section);
            GetItemCommand(section);
            if (comp_class_.empty() && !inf_file_.empty()) {
                CInfInfo reader(log_);
                std::string found;
                if (reader.GetClass(GetRealData(inf_file_), found)) {
                    comp_class_ = found;
                    cut(comp_class_, kItemClassBuffer);
                }
            }
            if (IsPrinterItem()) GetItemPrinter(section);
            if (CheckItemCmd()) {
                if (IsPrinterItem()) CheckPrinterInformation();
                ModifyDisplayNameAndDescription();
                ConvertToDestination(inf_file_, dest_inf_);
                ShowItemInfo();
                return true;
            }
            log_.Write(" ");
            log_.Write("[%s] Item is not available!!!!", section.c_str());
            log_.Write(" ");
            log_.Write(" ");
            return false;
        },
        [&] { log_.Write("GPF in CItemInfo::LoadItemInfo [%s]", section.c_str()); });
}

bool CItemInfo::GetItemInfo(const std::string& section)
{
    return item_guard::Run(
        false,
        [&] {
            name_ = section;
            const std::string& os = vars_.Settings().os_define;
            std::string unsupported;
            if (vars_.DataProfile().Read(section, "UNSUPPORTED_OS", unsupported)) {
                unsupported_os_ = unsupported;
                if (OsListContains(unsupported, os)) {
                    log_.Write(" %s is not available in this OS(%s)", name_.c_str(), os.c_str());
                    return false;
                }
            }
            GetData(section, "DISPLAY_NAME", display_name_);
            GetData(section, "INST_DESC", install_desc_, true, "DESCRIPTION");
            GetData(section, "REMOVE_DESC", remove_desc_, true, "DESCRIPTION");
            GetData(section, "REPAIR_DESC", repair_desc_, true, "DESCRIPTION");
            GetData(section, "TOOLTIP", tooltip_);
            GetData(section, "COMP_DIR", comp_dir_);
            org_comp_dir_ = comp_dir_;
            GetData(section, "DEVICE_STRING", device_string_);
            GetData(section, "COMP_COPY_FILE", copy_file_);
            GetData(section, "COMP_COPY_FILE_SELECTED", copy_file_selected_);
            std::string type;
            GetData(section, "DEFAULT_INST_TYPE", type);
            install_type_ = GetInstallType(type);
            if (GetData(section, "COMP_CLASS", comp_class_)) cut(comp_class_, kItemClassBuffer);
            return true;
        },
        [&] { log_.Write("GPF in CItemInfo::GetItemInfo [%s]", section.c_str()); });
}

bool CItemInfo::GetItemLan(const std::string& section)
{
    return item_guard::Run(
        false,
        [&] {
            GetData(section, "ITEM_LANG", lang_section_);
            return SetItemLang(vars_.Language().current_id);
        },
        [&] { log_.Write("GPF in CItemInfo::GetItemLan [%s]", section.c_str()); });
}

bool CItemInfo::SetItemLang(uint16_t lang_id)
{
    return item_guard::Run(
        false,
        [&] {
            item_lang_ = lang_id;
            const CSetupProfile& data = vars_.DataProfile();
            if (!lang_section_.empty()) {
                const uint16_t system = vars_.Language().system_id;
                const uint16_t tries[] = {lang_id, PrimaryLanguageId(lang_id), system, PrimaryLanguageId(system)};
                for (uint16_t id : tries) {
                    uint32_t number = 0;
                    if (data.ReadNumber(lang_section_, LanguageKey(id), &number)) {
                        item_lang_ = uint16_t(number & 0xFFFF);
                        break;
                    }
                }
            }
            item_lang_abbr_ = LanguageAbbrOf(data, item_lang_);
            item_lang_dir_ = LanguageDirOf(data, item_lang_);
            cut(item_lang_abbr_, kPathBuffer);
            cut(item_lang_dir_, kPathBuffer);
            return true;
        },
        [&] { log_.Write("GPF in CItemInfo::SetItemLang[%d]", int(lang_id)); });
}

bool CItemInfo::GetItemCommand(const std::string& section)
{
    return item_guard::Run(
        false,
        [&] {
            GetData(section, "INST_CMD", inst_cmd_, false);
            GetData(section, "UNINST_CMD", uninst_cmd_, false);
            GetData(section, "REINST_CMD", reinst_cmd_, false);
            GetData(section, "INF_FILE", inf_file_, false);
            GetData(section, "UNINST_KEY", uninst_key_);
            GetData(section, "REINST_KEY", reinst_key_);
            GetData(section, "SUCCESS_RET_VAL", success_ret_);
            return GetParameters(section);
        },
        [&] { log_.Write("GPF in CItemInfo::GetItemCommand [%s]", section.c_str()); });
}

bool CItemInfo::GetParameters(const std::string& section)
{
    return item_guard::Run(
        false,
        [&] {
            std::vector<std::string> lines;
            if (!vars_.DataProfile().ReadSection(section, lines, false)) return false;
            ItemParameters params = ParseItemParameters(lines);
            inst_param_ = std::move(params.install);
            uninst_param_ = std::move(params.uninstall);
            reinst_param_ = std::move(params.reinstall);
            return true;
        },
        [&] { log_.Write("GPF in CItemInfo::GetParameters[%s]", section.c_str()); });
}

bool CItemInfo::GetItemPrinter(const std::string& section)
{
    return item_guard::Run(
        false,
        [&] {
            GetData(section, "PRINTER_NAME", printer_name_);
            GetData(section, "DRIVER_NAME", driver_name_);
            static const char* const kInfKeys[kInfGenerations] = {"INF_9X", "INF_NT", "INF_32", "INF_64"};
            for (int i = 0; i < kInfGenerations; ++i) {
                std::string& inf = gen_inf_[i];
                GetData(section, kInfKeys[i], inf);
                if (inf.empty()) continue;
                inf = GetRealData(inf);
                if (!vars_.FileExists(inf)) inf.clear();
            }
            GetData(section, "SHARE_NAME", share_name_);
            GetData(section, "DEFAULT_PRINTER", default_printer_);
            GetData(section, "SHARE_PRINTER", share_printer_);
            GetData(section, "INDEX", model_index_);
            return true;
        },
        [&] { log_.Write("GPF in CItemInfo::GetItemPrinter [%s]", section.c_str()); });
}

bool CItemInfo::GetData(const std::string& section, const std::string& key, std::string& dest, bool expand,
                        const std::string& alt_key)
{
    if (section.empty() || key.empty()) return false;
    return item_guard::Run(
        false,
        [&] {
            const CSetupProfile& data = vars_.DataProfile();
            const std::string& os = vars_.Settings().os_define;
            auto read = [&](const std::string& k) {
                std::string value;
                if (!data.Read(section, k + "." + os, value, expand) && !data.Read(section, k, value, expand))
                    return false;
                cut(value);
                dest = std::move(value);
                return true;
            };
            bool found = read(key);
            if (dest.empty() && !alt_key.empty()) found = read(alt_key) || found;
            return found;
        },
        [&] { log_.Write("GPF in CItemInfo::GetData(1)"); });
}

bool CItemInfo::GetData(const std::string& section, const std::string& key, bool& flag)
{
    if (section.empty() || key.empty()) return false;
    return item_guard::Run(
        false,
        [&] {
            uint32_t number = 0;
            if (!vars_.DataProfile().ReadNumber(section, key, &number)) return false;
            flag = int32_t(number) > 0;
            return true;
        },
        [&] { log_.Write("GPF in CItemInfo::GetData(2)"); });
}

bool CItemInfo::GetData(const std::string& section, const std::string& key, int& number)
{
    if (section.empty() || key.empty()) return false;
    return item_guard::Run(
        false,
        [&] {
            uint32_t value = 0;
            if (!vars_.DataProfile().ReadNumber(section, key, &value)) return false;
            number = int32_t(value);
            return true;
        },
        [&] { log_.Write("GPF in CItemInfo::GetData(3)"); });
}

void CItemInfo::ModifyDisplayNameAndDescription()
{
    item_guard::RunVoid(
        [&] {
            for (std::string* text : {&display_name_, &install_desc_, &remove_desc_, &repair_desc_})
                if (!text->empty()) *text = SubstituteModelName(*text, model_name_);
        },
        [&] { log_.Write("GPF in CItemInfo::ModifyDisplayNameAndDescription"); });
}

void CItemInfo::ConvertToDestination(const std::string& source, std::string& destination)
{
    if (source.empty()) return;
    item_guard::RunVoid([&] { destination = ConvertPathToDestination(source, vars_.SourceDir(), vars_.Settings().install_dir); },
                [&] { log_.Write("GPF in CItemInfo::ConvertToDestination"); });
}

std::string CItemInfo::Expand(const std::string& text) const
{
    std::string out = vars_.ExpandMacros(text, item_lang_, item_lang_abbr_, item_lang_dir_);
    cut(out);
    return out;
}

std::string CItemInfo::GetRealData(const char* text, bool inf_names)
{
    if (!text) {
        result_.clear();
        return std::string();
    }
    return GetRealData(std::string(text), inf_names);
}

std::string CItemInfo::GetRealData(const std::string& text, bool inf_names)
{
    // The text may be the result buffer itself: work on a copy.
    const std::string input = text;
    std::string out = item_guard::Run(
        std::string(),
        [&] {
            std::string real = Expand(input);
            if (inf_names) {
                const std::string src_inf = Expand(inf_file_);
                vars_text::ReplaceAll(real, "$INF$", src_inf);
                vars_text::ReplaceAll(real, "$SRC_INF$", src_inf);
                vars_text::ReplaceAll(real, "$DEST_INF$", Expand(dest_inf_));
                cut(real);
            }
            return real;
        },
        [&] { log_.Write("GPF in CItemInfo::GetRealData(%s)", input.c_str()); });
    result_ = out;
    return out;
}

// --- state ---------------------------------------------------------------------------------

std::string CItemInfo::ItemKey(const std::string& root) const { return root + "\\Items\\" + name_; }

bool CItemInfo::UninstallValue(std::string& value) const
{
    return !uninst_key_.empty() && regString(vars_.RegistryRoots().uninstall_info, uninst_key_.c_str(), value);
}

bool CItemInfo::IsPrinterItem() const { return EqualsNoCase(comp_class_, "Printer"); }

bool CItemInfo::CheckInstallation(bool by_printer)
{
    return item_guard::Run(
        false,
        [&] {
            bool installed = false;
            if (IsPrinterItem()) {
                installed = IsPrinterDriverInstalled(driver_name_.c_str(), by_printer, log_);
            } else if (!uninst_key_.empty()) {
                std::string value;
                installed = UninstallValue(value);
            } else if (!name_.empty()) {
                unsigned long now = 0;
                installed = CRegistry::GetValue(ItemKey(vars_.RegistryRoots().installed).c_str(), "InstallNow", &now) ==
                                ERROR_SUCCESS &&
                            now == 2;
            }
            installed_ = installed;
            return installed;
        },
        [&] { log_.Write("GPF in CItemInfo::CheckInstallation"); });
}

int CItemInfo::DeviceCheck()
{
    if (device_string_.empty()) return kInstallUnchecked;
    NoDeviceQueries none;
    IDeviceQueries& queries = services_.device ? *services_.device : none;
    const CInstallSettings& s = vars_.Settings();
    const char* expected = device_string_.c_str();
    int result = kNoDeviceId;
    if (!s.ip.empty()) {
        result = CheckDeviceId(queries, s.ip.c_str(), expected, true, s.mfg.c_str(), s.mdl.c_str());
    } else if (!s.port.empty() && s.network_printer) {
        result = CheckDeviceId(queries, s.port.c_str(), expected, false, s.mfg.c_str(), s.mdl.c_str());
    } else if (services_.libs) {
        std::vector<std::string> ports;
        if (services_.libs->GetDevicePort(s.mfg, s.mdl, s.vidpid, ports) >= 1 && !ports.empty())
            result = CheckDeviceId(queries, ports[0].c_str(), expected, false, s.mfg.c_str(), s.mdl.c_str());
    }
    return InstallTypeOfDeviceCheck(result);
}

int CItemInfo::GetInstallType(const std::string& keyword)
{
    return item_guard::Run(
        int(kInstallNo),
        [&] {
            bool device_check = false;
            const int type = InstallTypeOfKeyword(keyword, &device_check);
            return device_check ? DeviceCheck() : type;
        },
        [&] { log_.Write("GPF in CItemInfo::GetInstallType[%s]", keyword.c_str()); });
}

int CItemInfo::GetItemState(bool keep)
{
    if (keep) return install_type_;
    return item_guard::Run(
        int(kInstallNo),
        [&] {
            std::string setup_type;
            if (regString(vars_.RegistryRoots().installing, "Install_Type", setup_type)) {
                std::string keyword;
                GetData(name_, setup_type, keyword, true, "DEFAULT_INST_TYPE");
                install_type_ = GetInstallType(keyword);
            }
            return install_type_;
        },
        [&] { log_.Write("GPF in CItemInfo::GetItemState"); });
}

// --- registry records ----------------------------------------------------------------------

bool CItemInfo::WriteItemInfo()
{
    // Without a name the key would be the Items key itself.
    if (name_.empty()) return false;
    return item_guard::Run(
        false,
        [&] {
            const std::string key = ItemKey(vars_.RegistryRoots().installing);
            auto text = [&](const char* value, const std::string& source) {
                if (!source.empty()) regSet(key, value, GetRealData(source, true));
            };
            regSet(key, "Item_Name", name_);
            text("InstCmd", inst_cmd_);
            text("UninstCmd", uninst_cmd_);
            text("InstParam", inst_param_);
            text("UninstParam", uninst_param_);
            text("ReinstParam", reinst_param_);
            if (!uninst_key_.empty()) regSet(key, "Uninstall_Value_Name", uninst_key_);
            if (!reinst_key_.empty()) regSet(key, "Reinstall_Value_Name", reinst_key_);
            regSet(key, "Success_Return", static_cast<unsigned long>(static_cast<uint32_t>(success_ret_)));
            if (selected_) {
                log_.Write("%s item is checked!!", display_name_.c_str());
                regSet(key, "InstallNow", 1UL);
            } else {
                // A selection undone since the last write must not stay behind; a 2 left by
                // the component library after an install is its record and stays.
                unsigned long now = 0;
                if (CRegistry::GetValue(key.c_str(), "InstallNow", &now) == ERROR_SUCCESS && now == 1)
                    CRegistry::DeleteValue(key.c_str(), "InstallNow");
            }
            if (driver_name_.empty()) return true;

            regSet(key, "Driver_Name", driver_name_);
            regSet(key, "Printer", 1UL);
            std::string params = GetRealData(inst_param_, true);
            if (ModifyPrinterPortCommand(params)) regSet(key, "InstParam", params);
            if (!printer_name_.empty()) regSet(key, "Printer_Name", printer_name_);
            if (!dest_inf_.empty()) regSet(key, "Inf_Path", GetRealData(dest_inf_));
            static const char* const kValues[kInfGenerations] = {"Win_9x_Inf", "Win_NT_Inf", "Win_32_Inf",
                                                                 "Win_64_Inf"};
            for (int i = 0; i < kInfGenerations; ++i) {
                if (gen_inf_[i].empty()) continue;
                std::string dest;
                ConvertToDestination(gen_inf_[i], dest);
                regSet(key, kValues[i], GetRealData(dest));
            }
            if (!share_name_.empty()) regSet(key, "Share_Name", share_name_);
            regSet(key, "Share", share_printer_ ? 1UL : 0UL);
            regSet(key, "UniDrv", uni_drv_ ? 1UL : 0UL);
            return true;
        },
        [&] { log_.Write("GPF in CItemInfo::WriteItemInfo"); });
}

bool CItemInfo::WriteCopyFileInfo()
{
    return item_guard::Run(
        false,
        [&] {
            if (!copy_file_ && !(copy_file_selected_ && selected_)) return true;
            const std::string source = GetRealData(comp_dir_);
            std::string dest;
            ConvertToDestination(source, dest);
            SetRegCopyFileInfo(source, dest, -1);
            if (!IsPrinterItem()) return true;
            int counter = 0;
            for (const std::string& inf : gen_inf_) {
                const size_t cut_at = inf.find_last_of('\\');
                if (inf.empty() || cut_at == std::string::npos) continue;
                const std::string dir_source = GetRealData(inf.substr(0, cut_at));
                std::string dir_dest;
                ConvertToDestination(dir_source, dir_dest);
                SetRegCopyFileInfo(dir_source, dir_dest, counter++);
            }
            return true;
        },
        [&] { log_.Write("GPF in CItemInfo::WriteCopyFileInfo()"); });
}

void CItemInfo::SetRegCopyFileInfo(const std::string& source, const std::string& destination, int counter)
{
    if (source.empty() || destination.empty() || name_.empty()) return;
    item_guard::RunVoid(
        [&] {
            std::string key = vars_.RegistryRoots().installing + "\\CopyFiles\\" + name_;
            if (counter != -1) key += "_" + std::to_string(counter);
            regSet(key, "Description", display_name_);
            regSet(key, "Src", source);
            regSet(key, "Dest", destination);
            regSet(key, "CopySubDir", 1UL);
            regSet(key, "Delete", 1UL);
        },
        [&] { log_.Write("GPF in CItemInfo::SetRegCopyFileInfo()"); });
}

bool CItemInfo::DeleteInstallKey()
{
    // Without a name the whole Items key would go.
    if (name_.empty()) return false;
    return item_guard::Run(
        false,
        [&] { return CRegistry::DeleteKey(ItemKey(vars_.RegistryRoots().installed).c_str(), false) == ERROR_SUCCESS; },
        [&] { log_.Write("GPF in CItemInfo::DeleteInstallKey"); });
}

void CItemInfo::ShowItemInfo()
{
    item_guard::RunVoid(
        [&] {
            ILogSink& l = log_;
            l.Write(" ");
            l.Write(" ");
            l.Write("======= [%s] Item Information =========", name_.c_str());
            l.Write(" ");
            l.Write(" Installation Valid : [%d] ", int(install_valid_));
            l.Write(" Uninstallation Valid : [%d] ", int(uninstall_valid_));
            l.Write(" Reinstallation Valid : [%d] ", int(reinstall_valid_));
            l.Write(" Item Installed : [%d] ", int(installed_));
            l.Write(" ");
            l.Write("Class = [%s]", comp_class_.c_str());
            l.Write("Component Directory = [%s]", comp_dir_.c_str());
            l.Write("Device String = [%s]", device_string_.c_str());
            l.Write("Display Name = [%s]", display_name_.c_str());
            l.Write("Install Description = [%s]", install_desc_.c_str());
            l.Write("Remove Description = [%s]", remove_desc_.c_str());
            l.Write("Repair Description = [%s]", repair_desc_.c_str());
            l.Write("Tooltip = [%s]", tooltip_.c_str());
            l.Write("Unsupported OS = [%s]", unsupported_os_.c_str());
            l.Write("Copy File = [%d]", int(copy_file_));
            l.Write("Copy File (Selected) = [%d]", int(copy_file_selected_));
            l.Write("Install Type = [%d]", install_type_);
            l.Write("%s", kRuler);
            l.Write("Inf = [%s]", inf_file_.c_str());
            l.Write("TargetInf = [%s]", dest_inf_.c_str());
            l.Write("Install Command = [%s]", inst_cmd_.c_str());
            l.Write("Install Parameter = [%s]", inst_param_.c_str());
            l.Write("Uninstall Command = [%s]", uninst_cmd_.c_str());
            l.Write("Uninstall Parameter = [%s]", uninst_param_.c_str());
            l.Write("Uninstall Key = [%s]", uninst_key_.c_str());
            l.Write("Reinstall Command = [%s]", reinst_cmd_.c_str());
            l.Write("Reinstall Parameter = [%s]", reinst_param_.c_str());
            l.Write("Reinstall Key = [%s]", reinst_key_.c_str());
            l.Write("Success Return = [%d]", success_ret_);
            l.Write("%s", kRuler);
            l.Write("LangID = [0X%04X]", unsigned(item_lang_));
            l.Write("Lang Abbr = [%s]", item_lang_abbr_.c_str());
            l.Write("Lang Dir = [%s]", item_lang_dir_.c_str());
            l.Write("Lang Section = [%s]", lang_section_.c_str());
            l.Write("Driver name = [%s]", driver_name_.c_str());
            l.Write("Printer name = [%s]", printer_name_.c_str());
            l.Write("Share name = [%s]", share_name_.c_str());
            l.Write("Win9x Inf = [%s]", gen_inf_[kInf9x].c_str());
            l.Write("WinNT Inf = [%s]", gen_inf_[kInfNt].c_str());
            l.Write("Win32 Inf = [%s]", gen_inf_[kInf32].c_str());
            l.Write("Win64 Inf = [%s]", gen_inf_[kInf64].c_str());
            l.Write("Driver Index = [%d]", model_index_);
            l.Write("Share option = [%d]", int(share_printer_));
            l.Write("Default = [%d]", int(default_printer_));
            l.Write("Uni Drv = [%d]", int(uni_drv_));
            l.Write("%s", kRuler);
            l.Write(" ");
            l.Write(" ");
        },
        [&] { log_.Write("GPF in CItemInfo::ShowItemInfo"); });
}
