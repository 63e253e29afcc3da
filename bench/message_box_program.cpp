// A program that shows one message box and ends when it is closed: the
// least a window start can do, built like merrowind.exe. The baseline of
// the start-up benchmark's window row.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return MessageBoxA(nullptr, "A fortune of one line.", "Merrowind", MB_OK) == 0 ? 1 : 0;
}
