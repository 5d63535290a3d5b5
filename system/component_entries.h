#pragma once
// The entry points of the maker's component libraries, shared by the installer's gateway
// (system/component_libs.h) and the libraries themselves (components/). Win32 types only.
//
// Calling convention: __cdecl for every entry and callback. The caller cleans the stack, so
// a library built against a different argument list cannot unbalance the installer's stack;
// and the .def files export the plain names without the @N decoration of __stdcall.
//
// A library defines an entry with the type below, e.g.
//   extern "C" QV_MyInstall MyInstall;   // declaration checked against the type
//   extern "C" int QV_ENTRY MyInstall(int reserved, const char* base_key, ...) { ... }
// Entries never let a C++ exception escape.
#include <windows.h>

#define QV_ENTRY __cdecl

// Sizes the installer's buffers have and passes to the libraries.
enum : int {
    QV_PORT_LIST_SIZE = 16384,    // GetDevicePort: zero-separated port names, double zero at end
    QV_DEVICE_ID_SIZE = 16384,    // MyGetDeviceIDFromPort, MyGetPrinterDesc(Adv)
    QV_IPX_SIZE = 260,            // MyGetIPX(Adv)
    QV_NET_PRINTER_ENTRY = 65,    // GetNetPrinter: bytes per entry of its list
};

// DoRemoteInstall's one argument: eight texts of 256 bytes.
struct QV_REMOTE_INSTALL_RECORD {
    char computer[256];
    char local_address[256];  // empty
    char user[256];
    char password[256];
    char domain[256];
    char source_dir[256];
    char reg_file[256];       // the exported registry file
    char command[256];        // "%s.exe /Remote"
};

// The file block of MySetNetworkPortEx/Adv: names without directories.
struct QV_NET_FILE_BLOCK {
    char monitor_file[260];
    char ipx_address[260];
    char snmp_file[260];
};

// SNMP discovery calls this once per device found; it returns 1 to go on.
typedef int(QV_ENTRY QV_SnmpCallback)(void* context, const char* name, const char* device_id,
                                      const char* mac, const char* ipv4, const char* ipv6);

extern "C" {

// --- installer library (INSTALLER_DLL) ------------------------------------------------------
// Installs, reinstalls or removes the item whose record is at item_key (HKLM); flag 1 when the
// item is installed already. Non-zero: the item's program ran successfully.
typedef int(QV_ENTRY QV_MyInstall)(int reserved, const char* base_key, const char* item_key,
                                   int flag);
// Creates the shortcut described by the record at record_key. Non-zero: created.
typedef int(QV_ENTRY QV_MyCreateShortCut)(int reserved, const char* base_key,
                                          const char* record_key);

// --- utility library (UTILITY_DLL) ----------------------------------------------------------
// Ports where the product's device is connected: the zero-separated list into ports
// (ports_size bytes) and their number into *count (-1: no USB on this system).
typedef int(QV_ENTRY QV_GetDevicePort)(const char* mfg, const char* mdl, const char* vidpid,
                                       char* ports, int ports_size, int* count);
typedef int(QV_ENTRY QV_StartPreventPnP)(const char* mfg, const char* mdl);
typedef int(QV_ENTRY QV_EndPreventPnP)(const char* mfg, const char* mdl);
typedef int(QV_ENTRY QV_RemoveHardwareWizardDialog)(void);
typedef int(QV_ENTRY QV_MySetForegroundNHWdDialog)(void);
typedef int(QV_ENTRY QV_SystemRefresh)(const char* mfg, const char* mdl, const char* vidpid);
// Writes the tree of HKLM\sub_key to reg_path. Non-zero: written.
typedef int(QV_ENTRY QV_SaveFile)(const char* reg_path, const char* sub_key, int flags);
typedef int(QV_ENTRY QV_RemoveUnknownDev)(const char* mfg, const char* mdl, const char* vidpid);
// Free space of path's disk in MB; 0 when unknown.
typedef DWORD(QV_ENTRY QV_GetDiskFreeSpaceQV)(const char* path);
// Device ID of the printer on port. Non-zero: found.
typedef int(QV_ENTRY QV_MyGetDeviceIDFromPort)(const char* port, char* id, int id_size);

// --- remote-install library (REMOTE_INSTALL_DLL) ----------------------------------------------
typedef int(QV_ENTRY QV_DoRemoteInstall)(const QV_REMOTE_INSTALL_RECORD* record);

// --- diagnosis library (DIAGNOSIS_DLL) ------------------------------------------------------
typedef int(QV_ENTRY QV_Diagnosis)(const char* mfg, const char* printer, const char* mdl,
                                   const char* vidpid);
// 1: not done here, the caller runs Diagnosis.
typedef int(QV_ENTRY QV_DiagnosisEx)(const char* mfg, const char* printer, const char* mdl,
                                     const char* vidpid, int flags);

// --- test-page library (TESTPAGE_DLL) -------------------------------------------------------
// -1: not printed (the caller prints the system's test page instead).
typedef int(QV_ENTRY QV_PrintTestPage)(const char* printer, const char* param2,
                                       const char* param3, const char* resource_dll,
                                       const char* param4);
typedef int(QV_ENTRY QV_MetaTestPage)(const char* printer, const char* param2);
typedef int(QV_ENTRY QV_PrintPrnFile)(const char* printer, const char* param2);

// --- network library (NETWORKMAN_DLL) -------------------------------------------------------
// Returns when discovery is over; the result is only logged.
typedef int(QV_ENTRY QV_SnmpDiscovery)(QV_SnmpCallback* callback, void* context);
typedef int(QV_ENTRY QV_SnmpDiscoveryAdv)(QV_SnmpCallback* callback, void* context,
                                          const char* community);
// Description (device ID) of the printer at address. 0: found; else an error (1, 2, 4096 ...).
typedef int(QV_ENTRY QV_MyGetPrinterDesc)(const char* address, char* desc, int desc_size);
typedef int(QV_ENTRY QV_MyGetPrinterDescAdv)(const char* address, char* desc, int desc_size,
                                             int use_public_oid, const char* community);
// IPX address of the printer at address. 0: found.
typedef int(QV_ENTRY QV_MyGetIPX)(const char* address, char* ipx, int ipx_size);
typedef int(QV_ENTRY QV_MyGetIPXAdv)(const char* address, char* ipx, int ipx_size,
                                     const char* community);
// Creates a TCP/IP port through the maker's monitor. Non-zero: created.
typedef int(QV_ENTRY QV_MySetNetworkPortEx)(const char* port, const char* address,
                                            const char* mac, const char* ipx,
                                            const char* monitor, const QV_NET_FILE_BLOCK* files,
                                            const char* mutex, int standard_port);
typedef int(QV_ENTRY QV_MySetNetworkPortAdv)(const char* port, const char* address,
                                             const char* mac, const char* ipx,
                                             const char* monitor, const QV_NET_FILE_BLOCK* files,
                                             const char* mutex, int standard_port,
                                             const char* community);
typedef int(QV_ENTRY QV_MyDelNetworkPort)(const char* port, const char* mutex, int standard_port);

// --- pre-installer library (PREINSTALLER_DLL) -----------------------------------------------
// owner: the init window, or NULL in silent mode. -1: failed.
typedef int(QV_ENTRY QV_Preinstall)(HWND owner, const char* command_line);

// --- set-IP library (SETIP_DLL) -------------------------------------------------------------
// Sets the address of the device with that MAC. 0: done; otherwise a Win32 error code.
typedef int(QV_ENTRY QV_SetIP)(const char* ip, const char* gateway, const char* mask,
                               const char* mac);
// Devices that can take a new address. With no buffer: *count gets their number. With one of
// entries * QV_NET_PRINTER_ENTRY bytes: fills at most entries of them, *count gets how many.
// 0: done; 1: none.
typedef int(QV_ENTRY QV_GetNetPrinter)(unsigned char* buffer, int entries, int* count);

}  // extern "C"
