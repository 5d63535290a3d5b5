#pragma once
// The item's pure rules: install-type keywords, parameter lines, model-name substitution,
// the medium-to-destination path mapping, the rewriting of installer parameters, share names,
// OS names of other Windows generations and the item-type table lookup. Win32-free.
#include <cstddef>
#include <string>
#include <vector>

class CSetupProfile;

// Item texts are worked on in 16 KiB buffers (NUL included).
constexpr size_t kItemTextBuffer = 16384;
constexpr size_t kItemClassBuffer = 260;      // component class
constexpr size_t kItemModelBuffer = 256;      // model name
constexpr size_t kItemTypeSectionBuffer = 256;
constexpr size_t kItemOsStringBuffer = 260;   // an OS name of OS_DEFINE

// Install types (DEFAULT_INST_TYPE keywords).
enum ItemInstallType : int {
    kInstallNo = 0,       // NO: not offered
    kInstallAll = 1,      // ALL: installed in every setup type
    kInstallChecked = 2,  // CHK
    kInstallUnchecked = 3,  // UNCHK
    kInstallGrayChecked = 4,  // GRAYCHK: checked and cannot be unchecked
};

// The keyword's type, ignoring case; an unknown or empty keyword is NO. DEVCHK gives
// UNCHK and sets *device_check (may be null): the caller then runs the device check.
int InstallTypeOfKeyword(const std::string& keyword, bool* device_check = nullptr);

// The device check's result (CheckDeviceId): 1 match CHK, 2 mismatch NO, anything else UNCHK.
int InstallTypeOfDeviceCheck(int check_result);

// INST_PARAM, UNINST_PARAM and REINST_PARAM lines of an item section ("KEY = value" as the
// profile lists them), joined in file order with one blank between values.
struct ItemParameters {
    std::string install;
    std::string uninstall;
    std::string reinstall;
};
ItemParameters ParseItemParameters(const std::vector<std::string>& lines);

// The first %TOKEN% of the text (first percent sign to the next) replaced everywhere by the
// model name, then every "%s" by it. Cut to the item's text buffer.
std::string SubstituteModelName(const std::string& text, const std::string& model);

// A path on the medium as the copy-files page places it: "$SRC_DIR$" becomes
// "$DEST_INST_DIR$", then the source directory the install directory (exact text).
std::string ConvertPathToDestination(const std::string& source, const std::string& source_dir,
                                     const std::string& install_dir);

// Removes an option ("/I") and its argument: the text before it, then from one character
// before the next slash (so the blank before that slash stays) to the end; without a later
// slash everything from the option on goes. Found ignoring case, even inside a longer word.
std::string RemoveParamOption(const std::string& text, const std::string& option);

// The rewrites of the installer parameters. Each gives false, leaving the text as it was,
// when its input is refused or the result would not fit `size` bytes (NUL included).
// Index -1: " /O \"driver\"" in place of any /O (no change and true without a driver name);
// any other index: " /I <index>" in place of any /I. An empty text is refused.
bool RewritePrinterParameters(std::string& text, size_t size, int index, const std::string& driver);
// " /U \"model\"" in place of any /U; needs a text and a model name.
bool RewriteScanUninstParam(std::string& text, size_t size, const std::string& model);
// The text without /P, a blank, and "/P\"port\"". Empty text or port: false, unchanged.
bool RewritePortParameter(std::string& text, size_t size, const std::string& port);

// A share name made from the driver name: without MFG (upper-cased), "SERIES", blanks and
// hyphens, PHASER as P and WORKCENTRE as WC; for PCL 6 and PS drivers without the leading
// run of letters and underscores.
std::string MakeShareName(const std::string& driver_name, const std::string& mfg);

// The OS name is one of a comma-separated list (entries trimmed, ignoring case). Never for
// an empty name.
bool OsListContains(const std::string& list, const std::string& os_name);

// The other Windows generations whose driver INFs a printer item looks for.
enum ItemInfGeneration : int { kInf9x = 0, kInfNt = 1, kInf32 = 2, kInf64 = 3, kInfGenerations = 4 };
struct ItemGenerationRow {
    const char* os_define_id;  // key of OS_DEFINE
    int os_class;              // OS class code searched
    bool is64;
    ItemInfGeneration property;
};
extern const ItemGenerationRow kItemGenerationRows[kInfGenerations];

// OS_DEFINE's name for the id (expanded, cut to 259); false when missing or when
// SYSTEM_REQUIREMENT's UNSUPPORTED_OS lists it.
bool OsStringOfId(const CSetupProfile& data, const std::string& id, std::string& name);

// The item-type table: the entries of ITEM_TYPE_INFO name type sections; the first whose
// CLASS equals the class ignoring case (name cut to 255). False when ITEM_TYPE_INFO cannot be
// read; true with an empty section when no entry matches.
bool FindItemTypeSection(const CSetupProfile& data, const std::string& class_name, std::string& section);

// Text helpers of the item.
void CutItemText(std::string& text, size_t buffer = kItemTextBuffer);
