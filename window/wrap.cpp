#include "window/wrap.h"

#include <stdlib.h>
#include <string.h>

#include "core/text_encoding.h"

// No candidate break in the current line.
const uint32_t kNoSpace = 0xFFFFFFFFu;

// Bytes of the character at text, so that a break or the end of the buffer
// never falls inside it: for UTF-8 the whole sequence (a byte that starts no
// character goes alone); for ANSI text 1, or 2 for a double-byte character.
static uint32_t CharacterBytes(const char* text, int utf8, const AnsiLeadBytes* lead)
{
    if (!utf8) return AnsiCharacterLength(text, 2, lead);
    uint32_t length = Utf8CharacterLength(text, 4);
    return length == 0 ? 1 : length;
}

// The pass proper: reads text, writes at most limit bytes to out and
// terminates it. The column counts characters. Returns the bytes written.
static uint32_t WrapInto(const char* text, char* out, uint32_t limit, int utf8, const AnsiLeadBytes* lead)
{
    uint32_t r = 0;
    uint32_t w = 0;
    int column = 0;
    uint32_t spaceRead = kNoSpace;
    uint32_t spaceWritten = 0;

    while (text[r] != '\0' && w < limit) {
        char c = text[r];
        if (c == ' ') {
            spaceRead = r;
            spaceWritten = w;
        }
        ++column;
        if (c == '\n' || c == '\r') {
            column = 0;
            spaceRead = kNoSpace;
        }
        if (column == kWrapColumn) {
            column = 0;
            if (spaceRead != kNoSpace) {
                // The space becomes the CR; what was written after it is
                // scanned again on the new line.
                w = spaceWritten;
                r = spaceRead + 1;
            }
            // Without a space the CR LF goes in right here, before the
            // character that reached the column, which moves to the new line.
            spaceRead = kNoSpace;
            out[w++] = '\r';
            if (w == limit) break;
            out[w++] = '\n';
            if (w == limit) break;
            // When the space was the text's last character, the text ends
            // with the break; there is nothing to resume with.
            if (text[r] == '\0') break;
            // Otherwise the character after the break is copied below without
            // being examined: it neither counts nor becomes a candidate. So a
            // line after a break of the pass breaks at its 96th character,
            // not its 95th: meant, keep it.
        }
        // A character goes whole or not at all.
        uint32_t bytes = CharacterBytes(text + r, utf8, lead);
        if (bytes > limit - w) break;
        for (uint32_t i = 0; i < bytes; ++i) out[w++] = text[r++];
    }
    out[w] = '\0';
    return w;
}

static void WrapInPlace(char* text, uint32_t capacity, int utf8, const AnsiLeadBytes* lead)
{
    if (text == nullptr || capacity == 0) return;
    char* scratch = static_cast<char*>(malloc(capacity));
    if (scratch == nullptr) return;
    uint32_t length = WrapInto(text, scratch, capacity - 1, utf8, lead);
    memcpy(text, scratch, length + 1);
    free(scratch);
}

void WrapFortuneText(char* text, uint32_t capacity)
{
    WrapInPlace(text, capacity, 0, nullptr);
}

void WrapAnsiFortuneText(char* text, uint32_t capacity, const AnsiLeadBytes* lead)
{
    WrapInPlace(text, capacity, 0, lead);
}

void WrapUtf8FortuneText(char* text, uint32_t capacity)
{
    WrapInPlace(text, capacity, 1, nullptr);
}
