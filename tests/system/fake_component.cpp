// A component library whose entries fault or answer in known ways, for the gateway's tests.
// It has no SnmpDiscoveryAdv and no MyGetIPXAdv, so that the plain entries are used.
#include "system/component_entries.h"

#include <cstring>

extern "C" {

QV_MyInstall MyInstall;
QV_MyCreateShortCut MyCreateShortCut;
QV_GetDevicePort GetDevicePort;
QV_MyGetDeviceIDFromPort MyGetDeviceIDFromPort;
QV_SnmpDiscovery SnmpDiscovery;
QV_MyGetPrinterDesc MyGetPrinterDesc;
QV_MyGetPrinterDescAdv MyGetPrinterDescAdv;
QV_MyGetIPX MyGetIPX;
QV_MySetNetworkPortEx MySetNetworkPortEx;
QV_MySetNetworkPortAdv MySetNetworkPortAdv;
QV_Preinstall Preinstall;
QV_GetNetPrinter GetNetPrinter;
QV_DoRemoteInstall DoRemoteInstall;

static int Fault()
{
    volatile int* p = nullptr;
    return *p;
}

int QV_ENTRY MyInstall(int, const char*, const char*, int) { return Fault(); }

// Proves the arguments arrive: the length of the record key.
int QV_ENTRY MyCreateShortCut(int reserved, const char* base_key, const char* record_key)
{
    return reserved == 0 && std::strcmp(base_key, "Software\\M\\P\\Installing") == 0
               ? int(std::strlen(record_key))
               : -5;
}

int QV_ENTRY GetDevicePort(const char*, const char*, const char* vidpid, char* ports,
                           int ports_size, int* count)
{
    if (std::strcmp(vidpid, "FULL") == 0) {
        // A list that fills the whole buffer without its final zero.
        std::memset(ports, 'P', ports_size);
        *count = 1;
        return 1;
    }
    static const char list[] = "USB001\0USB002\0";
    std::memcpy(ports, list, sizeof list);
    *count = 2;
    return 1;
}

// Fills the whole buffer and leaves it unterminated.
int QV_ENTRY MyGetDeviceIDFromPort(const char*, char* id, int id_size)
{
    std::memset(id, 'A', id_size);
    return 1;
}

int QV_ENTRY SnmpDiscovery(QV_SnmpCallback* callback, void* context)
{
    callback(context, "Printer A", "MFG:M;MDL:X;", "0011AABBCCDD", "127.0.0.2", "");
    callback(context, "Printer B", "MFG:M;MDL:Y;", "", "", "::1");
    return 2;
}

int QV_ENTRY MyGetPrinterDesc(const char* address, char* desc, int desc_size)
{
    std::strncpy(desc, "MFG:M;MDL:X;", desc_size);
    return std::strcmp(address, "127.0.0.2") == 0 ? 0 : 2;
}

int QV_ENTRY MyGetPrinterDescAdv(const char*, char*, int, int, const char*) { return Fault(); }

int QV_ENTRY MyGetIPX(const char*, char* ipx, int ipx_size)
{
    std::strncpy(ipx, "00000001:0011AABBCCDD", ipx_size);
    return 0;
}

int QV_ENTRY MySetNetworkPortEx(const char*, const char*, const char*, const char*, const char*,
                                const QV_NET_FILE_BLOCK* files, const char*, int)
{
    return std::strcmp(files->monitor_file, "mon.dll") == 0 ? 1 : 0;
}

int QV_ENTRY MySetNetworkPortAdv(const char*, const char*, const char*, const char*, const char*,
                                 const QV_NET_FILE_BLOCK*, const char*, int, const char*)
{
    return Fault();
}

int QV_ENTRY Preinstall(HWND, const char* command_line)
{
    volatile int zero = 0;
    return int(std::strlen(command_line)) / zero;
}

// Three devices; claims more than the buffer holds when asked to fill one.
int QV_ENTRY GetNetPrinter(unsigned char* buffer, int entries, int* count)
{
    if (!buffer) {
        *count = 3;
        return 0;
    }
    for (int i = 0; i < entries && i < 3; ++i) buffer[i * QV_NET_PRINTER_ENTRY] = (unsigned char)('a' + i);
    *count = 1000;
    return 0;
}

int QV_ENTRY DoRemoteInstall(const QV_REMOTE_INSTALL_RECORD* record)
{
    return std::strcmp(record->command, "Setup.exe /Remote") == 0 ? 7 : 0;
}

}  // extern "C"
