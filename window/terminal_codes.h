// The colour codes some cookie files carry for a terminal, which a window
// has no use for. Pure.
#ifndef MERROWIND_TERMINAL_CODES_H
#define MERROWIND_TERMINAL_CODES_H

// Removes, in place, every control sequence of a terminal from the
// NUL-terminated text: ESC, "[", any parameter bytes ("0" to "?"), any
// intermediate bytes (space to "/") and one final byte ("@" to "~"). A
// sequence that another ESC or the end of the text cuts short goes as well,
// as a terminal drops it unseen; one that any other byte ends stays, with any
// ESC that no "[" follows. Returns the number of bytes removed.
int DropTerminalCodes(char* text);

#endif
