// The one lock around every read-modify-write of the catalogue. Two running
// copies of the program (a sign-in start and a click, a script's file-mode
// run while the settings dialog is open) would otherwise interleave their
// writes, and one copy's rows could overwrite the other's. The lock is a
// named mutex of the user's, shared across sessions, so every copy of the
// program that the user runs finds the same one; the stored catalogue does
// not change.
#ifndef MERROWIND_CATALOGUE_LOCK_H
#define MERROWIND_CATALOGUE_LOCK_H

#include <windows.h>

// How long a writer waits for another copy to finish. A write holds the lock
// for milliseconds, so a wait this long means a copy hung while holding it:
// optional writes (a fresh count) are then skipped, the user's save goes on.
const DWORD kCatalogueLockWaitMs = 2000;

// Waits for the lock; 1 when this thread holds it (also when its last holder
// ended without letting go), 0 after the wait or when no lock can be made.
// A thread that holds it may take it again. *held receives what
// UnlockCatalogue needs, null after 0.
int LockCatalogue(HANDLE* held);
// Lets go of a lock taken by LockCatalogue (nothing for null).
void UnlockCatalogue(HANDLE held);

// Tests that redirect the catalogue give their process a lock of its own, so
// that test programs running beside them are never held up.
void NameCatalogueLock(const char* name);

#endif
