// Windows calls this as the module is loaded and unloaded and as threads start and end. The
// library keeps no state of its own, so every notification succeeds with nothing to do.

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
