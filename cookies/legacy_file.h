// Where "Fortune.txt" is. A start from another folder than the program's (a
// sign-in entry starts in the system folder, a shortcut wherever it says)
// must find the same file, or the start-up sync would take it for gone and
// drop its record, and a later start would turn the user's switches around.
#ifndef MERROWIND_LEGACY_FILE_H
#define MERROWIND_LEGACY_FILE_H

#include <windows.h>

// Writes the path of "Fortune.txt": the bare name when the current folder
// holds it, else the file of that name beside the program when there is
// one, else the bare name again. 1 when a file was found, else 0. The
// start-up sync, the state it stores and the reader all go by this.
int FindLegacyFile(char (&path)[MAX_PATH]);

#endif
