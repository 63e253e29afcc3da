#include "cookies/line_escape.h"

void ReplaceLineBreakEscapes(char* text, const AnsiLeadBytes* lead)
{
    // No byte of a UTF-8 character but ASCII itself is below 0x80.
    if (IsUtf8Fortune(text)) lead = nullptr;
    for (char* p = text; p[0] != '\0' && p[1] != '\0';) {
        if (p[0] == '\\' && p[1] == 'n') {
            p[0] = ' ';
            p[1] = '\n';
            p += 2;
            continue;
        }
        p += AnsiCharacterLength(p, 2, lead);
    }
}
