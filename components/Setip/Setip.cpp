// Setip.dll, the set-IP library. Until the device work is written, every entry answers
// with the result the installer takes as failure, never as success.
#include "system/component_entries.h"

extern "C" {

QV_SetIP SetIP;
QV_GetNetPrinter GetNetPrinter;

int QV_ENTRY SetIP(const char*, const char*, const char*, const char*)
{
    return 1;
}

int QV_ENTRY GetNetPrinter(unsigned char*, int, int* count)
{
    if (count) *count = 0;
    return 1;  // none
}

}  // extern "C"
