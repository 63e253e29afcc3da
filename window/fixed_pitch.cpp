#include "window/fixed_pitch.h"

static int IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

static int IsDrawing(char c)
{
    switch (c) {
    case '|': case '/': case '\\': case '_': case '-': case '=': case '+': case '*': case '#':
    case '<': case '>': case '~': case '^':
        return 1;
    default:
        return 0;
    }
}

// Most of the non-blank characters, and at least three, draw.
static int IsDrawingLine(const char* line, int length)
{
    int drawing = 0, other = 0;
    for (int i = 0; i < length; ++i) {
        if (IsBlank(line[i])) continue;
        if (IsDrawing(line[i])) ++drawing; else ++other;
    }
    return drawing >= 3 && drawing > other;
}

// A gap inside the line that text follows: a tab, or three spaces or more
// not after a full stop.
static int HasColumnGap(const char* line, int length)
{
    int i = 0;
    while (i < length && IsBlank(line[i])) ++i;
    while (i < length) {
        if (!IsBlank(line[i])) {
            ++i;
            continue;
        }
        int start = i, tab = 0;
        while (i < length && IsBlank(line[i])) tab |= line[i++] == '\t';
        if (i == length) break;  // blanks at the end of the line
        if (tab || (i - start >= 3 && line[start - 1] != '.')) return 1;
    }
    return 0;
}

int IsColumnLine(const char* line, int length)
{
    return HasColumnGap(line, length) || IsDrawingLine(line, length);
}

int IsColumnLaidOut(const char* text)
{
    int found = 0;
    const char* line = text;
    for (const char* p = text;; ++p) {
        if (*p == '\n' || *p == '\r' || *p == '\0') {
            found += IsColumnLine(line, static_cast<int>(p - line));
            if (found >= kColumnLinesNeeded) return 1;
            if (*p == '\0') return 0;
            line = p + 1;
        }
    }
}
