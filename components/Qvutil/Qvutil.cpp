// Qvutil.dll, the utility library. Until the device work is written, every entry answers
// with the result the installer takes as failure, never as success.
#include "system/component_entries.h"

extern "C" {

QV_GetDevicePort GetDevicePort;
QV_StartPreventPnP StartPreventPnP;
QV_EndPreventPnP EndPreventPnP;
QV_RemoveHardwareWizardDialog RemoveHardwareWizardDialog;
QV_MySetForegroundNHWdDialog MySetForegroundNHWdDialog;
QV_SystemRefresh SystemRefresh;
QV_SaveFile SaveFile;
QV_RemoveUnknownDev RemoveUnknownDev;
QV_GetDiskFreeSpaceQV GetDiskFreeSpaceQV;
QV_MyGetDeviceIDFromPort MyGetDeviceIDFromPort;

int QV_ENTRY GetDevicePort(const char*, const char*, const char*, char* ports, int ports_size, int* count)
{
    if (ports && ports_size >= 2) ports[0] = ports[1] = '\0';
    if (count) *count = 0;
    return 0;
}

int QV_ENTRY StartPreventPnP(const char*, const char*)
{
    return 0;
}

int QV_ENTRY EndPreventPnP(const char*, const char*)
{
    return 0;
}

int QV_ENTRY RemoveHardwareWizardDialog(void)
{
    return 0;
}

int QV_ENTRY MySetForegroundNHWdDialog(void)
{
    return 0;
}

int QV_ENTRY SystemRefresh(const char*, const char*, const char*)
{
    return 0;
}

int QV_ENTRY SaveFile(const char*, const char*, int)
{
    return 0;
}

int QV_ENTRY RemoveUnknownDev(const char*, const char*, const char*)
{
    return 0;
}

DWORD QV_ENTRY GetDiskFreeSpaceQV(const char*)
{
    return 0;  // unknown
}

int QV_ENTRY MyGetDeviceIDFromPort(const char*, char* id, int id_size)
{
    if (id && id_size > 0) id[0] = '\0';
    return 0;
}

}  // extern "C"
