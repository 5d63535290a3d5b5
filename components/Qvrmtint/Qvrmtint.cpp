// Qvrmtint.dll, the remote-install library. Until the device work is written, every entry answers
// with the result the installer takes as failure, never as success.
#include "system/component_entries.h"

extern "C" {

QV_DoRemoteInstall DoRemoteInstall;

int QV_ENTRY DoRemoteInstall(const QV_REMOTE_INSTALL_RECORD*)
{
    return 0;
}

}  // extern "C"
