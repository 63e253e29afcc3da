// Names for screen readers where a control's own text is none: the add/edit
// dialog's "..." button is read as "Browse". Given through the system's
// accessibility annotations, so the control keeps its text and look.
#ifndef MERROWIND_ACCESSIBLE_NAME_H
#define MERROWIND_ACCESSIBLE_NAME_H

#include <windows.h>

// Gives the control the name; nothing when the system cannot annotate.
void NameForScreenReaders(HWND control, const wchar_t* name);
// Takes the name away again, before the control is destroyed, so that a
// later window with the same handle does not inherit it.
void ForgetScreenReaderName(HWND control);

#endif
