#pragma once
// What this run does. Stored as the DWORD "Setup_Type" under the Installing key.
enum SetupType : int {
    kSetupNone = 0,           // no start section was found
    kSetupInstall = 1,
    kSetupUninstall = 2,
    kSetupReinstall = 3,      // maintenance
    kSetupReinstallLocal = 4, // reinstall chosen in uninstall mode from REINST_START_INFO_LOCAL
    kSetupReinstallCd = 5,    // reinstall from REINST_START_INFO_CD
    kSetupRemoveAll = 6,
    kSetupScripted = 7,       // silent install driven by the setting file
};

// Later steps that only tell install, uninstall and reinstall apart treat 3, 4 and 5 alike.
inline bool IsReinstallType(int type) { return type >= kSetupReinstall && type <= kSetupReinstallCd; }
