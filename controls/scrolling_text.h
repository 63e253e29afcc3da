// The text control of a fortune too tall for the screen: it scrolls (scroll
// bar and mouse wheel) while presses on the text still reach the window.
#ifndef MERROWIND_SCROLLING_TEXT_H
#define MERROWIND_SCROLLING_TEXT_H

#include <windows.h>

// Gives the static control, which already holds its text, a scroll bar over
// the whole text: the measured height, or more if the control's own font
// draws it taller. Again on a control that scrolls already (laid out anew at
// another DPI), it sets the range afresh.
void MakeTextScroll(HWND control, int measuredHeight);

// Laid out anew where the whole text fits (moved to a monitor of another
// scale): the scroll bar goes and the control paints its whole text from
// its top, as a control that never scrolled does. MakeTextScroll brings the
// bar back. Nothing on a control that does not scroll.
void StopTextScroll(HWND control);

// 1 while the control scrolls: MakeTextScroll has run on it and
// StopTextScroll has not hidden its scroll bar since.
int TextScrolls(HWND control);

#endif
