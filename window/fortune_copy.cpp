#include "window/fortune_copy.h"

uint32_t CopyWithCrLfLineEnds(const uint16_t* text, uint32_t length, uint16_t* out, uint32_t capacity)
{
    if (capacity == 0) return 0;
    uint32_t w = 0;
    uint32_t room = capacity - 1;  // the terminator's unit is kept back
    for (uint32_t r = 0; r < length;) {
        uint16_t c = text[r];
        if (c == '\r' || c == '\n') {
            if (room - w < 2) break;
            out[w++] = '\r';
            out[w++] = '\n';
            r += (c == '\r' && r + 1 < length && text[r + 1] == '\n') ? 2 : 1;
        } else {
            int pair = c >= 0xD800 && c <= 0xDBFF && r + 1 < length && text[r + 1] >= 0xDC00 && text[r + 1] <= 0xDFFF;
            uint32_t units = pair ? 2 : 1;
            if (room - w < units) break;
            for (uint32_t i = 0; i < units; ++i) out[w++] = text[r++];
        }
    }
    out[w] = 0;
    return w;
}
