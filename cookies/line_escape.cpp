#include "cookies/line_escape.h"

void ReplaceLineBreakEscapes(char* text)
{
    for (char* p = text; p[0] != '\0' && p[1] != '\0'; ++p) {
        if (p[0] == '\\' && p[1] == 'n') {
            p[0] = ' ';
            p[1] = '\n';
        }
    }
}
