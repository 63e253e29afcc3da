// Ctrl+C in a fortune window copies the fortune as shown to the clipboard,
// as Unicode text with CR LF line ends, as Windows' own message boxes do.
#ifndef MERROWIND_COPY_KEY_H
#define MERROWIND_COPY_KEY_H

#include <windows.h>

// Watches this thread's dialog keys for Ctrl+C while a fortune window is up;
// UnhookWindowsHookEx ends it.
HHOOK WatchCopyKey();

#endif
