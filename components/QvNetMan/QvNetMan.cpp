// QvNetMan.dll, the network library. Until the device work is written, every entry answers
// with the result the installer takes as failure, never as success.
#include "system/component_entries.h"

extern "C" {

QV_SnmpDiscovery SnmpDiscovery;
QV_SnmpDiscoveryAdv SnmpDiscoveryAdv;
QV_MyGetPrinterDesc MyGetPrinterDesc;
QV_MyGetPrinterDescAdv MyGetPrinterDescAdv;
QV_MyGetIPX MyGetIPX;
QV_MyGetIPXAdv MyGetIPXAdv;
QV_MySetNetworkPortEx MySetNetworkPortEx;
QV_MySetNetworkPortAdv MySetNetworkPortAdv;
QV_MyDelNetworkPort MyDelNetworkPort;

int QV_ENTRY SnmpDiscovery(QV_SnmpCallback*, void*)
{
    return 0;  // found nothing
}

int QV_ENTRY SnmpDiscoveryAdv(QV_SnmpCallback*, void*, const char*)
{
    return 0;  // found nothing
}

int QV_ENTRY MyGetPrinterDesc(const char*, char* desc, int desc_size)
{
    if (desc && desc_size > 0) desc[0] = '\0';
    return 4096;  // no answer
}

int QV_ENTRY MyGetPrinterDescAdv(const char*, char* desc, int desc_size, int, const char*)
{
    if (desc && desc_size > 0) desc[0] = '\0';
    return 4096;  // no answer
}

int QV_ENTRY MyGetIPX(const char*, char* ipx, int ipx_size)
{
    if (ipx && ipx_size > 0) ipx[0] = '\0';
    return 1;
}

int QV_ENTRY MyGetIPXAdv(const char*, char* ipx, int ipx_size, const char*)
{
    if (ipx && ipx_size > 0) ipx[0] = '\0';
    return 1;
}

int QV_ENTRY MySetNetworkPortEx(const char*, const char*, const char*, const char*, const char*, const QV_NET_FILE_BLOCK*, const char*, int)
{
    return 0;
}

int QV_ENTRY MySetNetworkPortAdv(const char*, const char*, const char*, const char*, const char*, const QV_NET_FILE_BLOCK*, const char*, int, const char*)
{
    return 0;
}

int QV_ENTRY MyDelNetworkPort(const char*, const char*, int)
{
    return 0;
}

}  // extern "C"
