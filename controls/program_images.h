// The program's icon and the links' hand cursor at the size Windows asks for
// at a window's DPI, each picked from the images of its resource.
#ifndef MERROWIND_PROGRAM_IMAGES_H
#define MERROWIND_PROGRAM_IMAGES_H

#include <windows.h>

// Gives the window the program's icon, big (Alt+Tab, the task bar) and small
// (the caption), at the sizes for the DPI.
void SetProgramIcons(HWND window, UINT dpi);

// The hand cursor at the size for the DPI.
HCURSOR LinkCursor(HINSTANCE module, UINT dpi);

#endif
