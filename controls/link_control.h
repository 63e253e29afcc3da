// Static controls turned into hyperlink-style labels: blue, underlined, a
// hand cursor, and a click action chosen by the label text. Each is a tab
// stop that shows the focus and takes Enter or Space as a click.
#ifndef MERROWIND_LINK_CONTROL_H
#define MERROWIND_LINK_CONTROL_H

#include <windows.h>

// Called once per control while its dialog handles WM_INITDIALOG.
void SubclassLinkControl(HWND control);
LRESULT CALLBACK LinkControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

#endif
