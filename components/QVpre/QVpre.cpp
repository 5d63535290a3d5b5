// QVpre.dll, the pre-installer library. Until the device work is written, every entry answers
// with the result the installer takes as failure, never as success.
#include "system/component_entries.h"

extern "C" {

QV_Preinstall Preinstall;

int QV_ENTRY Preinstall(HWND, const char*)
{
    return -1;
}

}  // extern "C"
