// Program entry. The application object is static so that the log exists, with the default
// program name in its header, before any start-up step runs.
#include "app/installer_app.h"

#include <windows.h>

static CInstallerApp g_app;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int)
{
    return g_app.Run(command_line ? command_line : "");
}
