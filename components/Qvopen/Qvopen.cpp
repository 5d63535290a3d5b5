// Qvopen.exe, the manual opener, started with "/T <type> <file>". Until it is written it
// opens nothing and says so by its exit code.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 1; }
