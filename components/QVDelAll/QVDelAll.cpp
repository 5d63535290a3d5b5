// QVDelAll.exe, the maker's uninstaller, started by the installer at the end of a removal
// run with /P"<install dir>" /I0x<process id>. Until it is written it does nothing and says
// so by its exit code.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 1; }
