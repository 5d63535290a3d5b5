// Qvrun.dll, the installer library. Until the device work is written, every entry answers
// with the result the installer takes as failure, never as success.
#include "system/component_entries.h"

extern "C" {

QV_MyInstall MyInstall;
QV_MyCreateShortCut MyCreateShortCut;

int QV_ENTRY MyInstall(int, const char*, const char*, int)
{
    return 0;
}

int QV_ENTRY MyCreateShortCut(int, const char*, const char*)
{
    return 0;
}

}  // extern "C"
