// The fixed-pitch font of a fortune laid out in columns: Consolas where
// Windows has it, else Courier New, else the system's fixed font, as tall
// as the dialog's own font at the window's DPI. The window keeps it and
// deletes it when it goes.
#ifndef MERROWIND_FIXED_PITCH_FONT_H
#define MERROWIND_FIXED_PITCH_FONT_H

#include <windows.h>

// Makes the font for the dialog's current font and gives it to the control,
// replacing one made before (after a change of DPI). 0 without a font.
int ShowInFixedPitch(HWND dialog, HWND control);

// The font ShowInFixedPitch gave the dialog's text, or null: the fortune is
// shown in the dialog's own font.
HFONT FixedPitchFontOf(HWND dialog);

// Deletes the font, once the dialog's controls are gone.
void ForgetFixedPitchFont(HWND dialog);

#endif
