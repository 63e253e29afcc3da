#include "window/terminal_codes.h"

static const char kEscape = '\x1B';

// The length of the sequence at text, or 0 when none begins there. No byte
// of a sequence can be part of a multi-byte character (UTF-8 and the ANSI
// double-byte code pages alike), so the bytes are read one by one.
static int SequenceLength(const char* text)
{
    if (text[0] != kEscape || text[1] != '[') return 0;
    int i = 2;
    while (text[i] >= 0x30 && text[i] <= 0x3F) ++i;  // parameters
    while (text[i] >= 0x20 && text[i] <= 0x2F) ++i;  // intermediates
    if (text[i] >= 0x40 && text[i] <= 0x7E) return i + 1;
    // Cut short: a file with a broken code holds "ESC [ ; ESC [ 34 m".
    return text[i] == kEscape || text[i] == '\0' ? i : 0;
}

int DropTerminalCodes(char* text)
{
    int r = 0, w = 0;
    while (text[r] != '\0') {
        int length = SequenceLength(text + r);
        if (length > 0) {
            r += length;
        } else {
            text[w++] = text[r++];
        }
    }
    text[w] = '\0';
    return r - w;
}
