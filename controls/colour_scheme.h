// A window in the colours the user chose in Windows: dark when apps are to
// be dark, the high-contrast scheme's when that is on, else the system's
// look. The link controls take their colours from the window that holds
// them; a window that does not follow the choice keeps the system's look
// (high contrast included) whatever the user chose for apps.
#ifndef MERROWIND_COLOUR_SCHEME_H
#define MERROWIND_COLOUR_SCHEME_H

#include <windows.h>

#include "controls/colours.h"

// The scheme the user has chosen now: high contrast, dark for apps, or light.
ColourScheme ReadColourScheme();

// The window follows the user's choice as it is now: the scheme is kept on
// it, and in the dark scheme its caption, buttons and scroll bars are dark
// where the system can draw them so; then it is drawn afresh. Called when
// it is made and after each change of the choice.
void FollowColourScheme(HWND window);

// What FollowColourScheme kept on the window goes, before it is destroyed.
void ForgetColourScheme(HWND window);

// 1 when a WM_SETTINGCHANGE tells of a change of the choice: the apps'
// light or dark ("ImmersiveColorSet"), or high contrast on or off.
int IsColourSettingChange(WPARAM wParam, LPARAM lParam);

// WM_CTLCOLOR... of a window that follows the choice: the background brush,
// with the text and background colours set on the device context; null
// where the system's own colours stand (light and high contrast), so the
// dialog's default handling hands them out as ever.
HBRUSH ColourControl(HWND window, HDC dc);

// A link's label and background colours, by the scheme of the window that
// holds it.
void LinkColours(HWND control, COLORREF* text, COLORREF* background);

#endif
