// The smallest Win32 GUI program, built like merrowind.exe: the baseline for
// the start-up benchmark.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return 0;
}
