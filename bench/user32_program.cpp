// An otherwise empty program that loads one string through user32, as every
// program that reads its string table does: the second baseline of the
// start-up benchmark. Under Wine, loading user32 alone costs about as much as
// all the rest of a run.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    char text[16];
    return LoadStringA(instance, 1, text, sizeof text) < 0 ? 1 : 0;
}
