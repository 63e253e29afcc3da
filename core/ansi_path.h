// Paths from the wide calls (the application-data folder, the file chosen in
// the Open dialog) in the ANSI form that the program's records store.
#ifndef MERROWIND_ANSI_PATH_H
#define MERROWIND_ANSI_PATH_H

#include <windows.h>

// Writes an ANSI path that names the same file as wide: the path itself when
// every character has an exact form in the ANSI code page, else its short
// (8.3) form, which the file system makes of ASCII letters (the file must
// then exist). 1 on success; 0 when neither form will do.
int AnsiPathFromWide(const wchar_t* wide, char (&path)[MAX_PATH]);

#endif
