// Any text and any capacity through the wrap pass, on both of its paths. The
// first two bytes give the capacity (1 to 4100), the rest the text, cut to
// fit in front of its terminator. The bytes go through the ANSI pass as they
// are; the same bytes, each byte of 128 and above turned into a character of
// 2, 3 or 4 bytes, go through the UTF-8 pass.
//
// Either pass must stay inside the buffer, end the result inside it, mark
// every break it makes with CR LF, and lose nothing but what does not fit: a
// break either turns a space into CR and adds LF, or adds CR LF in front of a
// character. Breaks come only where a line would reach the wrap column, at
// its most recent space when it has one. The ANSI pass counts bytes, or in a
// double-byte code page characters; the UTF-8 pass counts characters, never
// splits one, and its result decodes.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "tests/fuzz/check.h"
#include "window/wrap.h"

static const uint32_t kLargestCapacity = 4100;
static const size_t kGuardSize = 32;
static const unsigned char kGuardByte = 0xA5;

typedef void (*WrapFunction)(char* text, uint32_t capacity);

// A text as the pass sees it: one entry per character, with its bytes.
typedef std::vector<std::string> Characters;

static bool IsBreak(const std::string& c) { return c == "\r" || c == "\n"; }
static bool IsSpace(const std::string& c) { return c == " "; }

// Characters beyond ASCII that the UTF-8 text is made of.
static const char* const kWide[] = {
    "\xC3\xA4", "\xC3\x9F", "\xC2\xA0", "\xD0\x96",                  // 2 bytes (a no-break space too)
    "\xE2\x80\x9E", "\xE2\x80\x93", "\xE2\x82\xAC", "\xEF\xBB\xBF",  // 3 bytes (a mark inside the text)
    "\xE3\x81\x82", "\xEF\xBF\xBD",                                  // 3 bytes
    "\xF0\x9D\x84\x9E", "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF",      // 4 bytes
    "\xC3\x84", "\xE2\x80\x9C", "\xF0\x90\x80\x80",
};

// Splits UTF-8 by its lead bytes; every character must be whole.
static Characters SplitUtf8(const std::string& bytes)
{
    Characters characters;
    for (size_t i = 0; i < bytes.size();) {
        unsigned char lead = static_cast<unsigned char>(bytes[i]);
        size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        FUZZ_CHECK(lead < 0x80 || lead >= 0xC2);  // no continuation byte leads
        FUZZ_CHECK(i + length <= bytes.size());   // the result decodes: nothing is cut
        for (size_t k = 1; k < length; ++k) FUZZ_CHECK((static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80);
        characters.push_back(bytes.substr(i, length));
        i += length;
    }
    return characters;
}

static Characters SplitBytes(const std::string& bytes)
{
    Characters characters;
    for (char c : bytes) characters.push_back(std::string(1, c));
    return characters;
}

// The same bytes read as Shift-JIS, a double-byte code page: a lead byte and
// the byte after it are one character.
static const AnsiLeadBytes kShiftJis = {{0x81, 0x9F, 0xE0, 0xFC}};
static void WrapShiftJis(char* text, uint32_t capacity) { WrapAnsiFortuneText(text, capacity, &kShiftJis); }
static Characters SplitShiftJis(const std::string& bytes)
{
    Characters characters;
    for (size_t i = 0; i < bytes.size(); i += characters.back().size())
        characters.push_back(bytes.substr(i, IsAnsiLeadByte(&kShiftJis, static_cast<unsigned char>(bytes[i])) ? 2 : 1));
    return characters;
}

// Longest line the result may hold: a line that starts the text or follows a
// CR or LF of the text breaks at its 95th character, so it keeps 94; after a
// break of the pass the first character is not counted, so it keeps 95.
static size_t LineLimit(bool afterPassBreak)
{
    return afterPassBreak ? static_cast<size_t>(kWrapColumn) : static_cast<size_t>(kWrapColumn) - 1;
}

// Places the text in a buffer of capacity bytes (the text's terminator
// included, the rest filled with non-NUL bytes), followed by guard bytes, and
// wraps it. Returns the result; the guard bytes must be untouched.
static std::string WrapInBuffer(WrapFunction wrap, const std::string& bytes, uint32_t capacity, size_t guard)
{
    unsigned char* buffer = static_cast<unsigned char*>(malloc(capacity + guard));
    FUZZ_CHECK(buffer != nullptr);
    memset(buffer, 'Z', capacity);
    memset(buffer + capacity, kGuardByte, guard);
    memcpy(buffer, bytes.data(), bytes.size());
    buffer[bytes.size()] = '\0';
    char* text = reinterpret_cast<char*>(buffer);
    wrap(text, capacity);
    for (size_t i = 0; i < guard; ++i) FUZZ_CHECK(buffer[capacity + i] == kGuardByte);
    size_t length = strnlen(text, capacity);
    FUZZ_CHECK(length < capacity);  // terminated inside the buffer
    std::string result(text, length);
    free(buffer);
    return result;
}

// Wraps the text with one pass and checks the result against the input,
// character by character.
static void CheckPass(WrapFunction wrap, Characters (*split)(const std::string&), const std::string& bytes,
                      uint32_t capacity)
{
    // A buffer of exactly the capacity, so that the sanitizer sees any access
    // past it, and one with guard bytes, so that a stray write shows even
    // without it. Both give the same result.
    const std::string result = WrapInBuffer(wrap, bytes, capacity, 0);
    FUZZ_CHECK(WrapInBuffer(wrap, bytes, capacity, kGuardSize) == result);
    const size_t limit = capacity - 1;
    FUZZ_CHECK(result.size() <= limit);
    const Characters input = split(bytes);
    const Characters out = split(result);

    // A text without a line that reaches the wrap column comes back as it is.
    bool anyLongLine = false;
    size_t run = 0;
    for (const std::string& c : input) {
        run = IsBreak(c) ? 0 : run + 1;
        if (run >= static_cast<size_t>(kWrapColumn)) anyLongLine = true;
    }
    if (!anyLongLine) FUZZ_CHECK(result == bytes);

    // Walks the result against the input. A CR of the result that is not a
    // CR of the input is a break of the pass: facing a space of the input it
    // replaced that space; facing any other character it was put in front of
    // it. (The pass never breaks in front of CR or LF, which reset the
    // column, so a CR facing a CR is the input's own.)
    size_t i = 0;          // input characters accounted for
    size_t line = 0;       // characters of the current line of the result
    bool afterPassBreak = false;
    size_t j = 0;
    while (j < out.size()) {
        const std::string& o = out[j];
        if (o == "\r" && !(i < input.size() && input[i] == "\r")) {
            FUZZ_CHECK(i < input.size());  // nothing is added after the text
            bool atSpace = IsSpace(input[i]);
            // Where the line stood: a line after a pass break has an
            // uncounted first character.
            size_t column = afterPassBreak ? line : line + 1;  // the next input character's column
            if (atSpace) {
                // The character the scan resumes with after a pass break is
                // not examined, so it is never the candidate.
                FUZZ_CHECK(!(afterPassBreak && line == 0));
                // The space's column; the characters after it, up to the one
                // that reached the column, are no spaces and no line breaks,
                // so this space was the most recent one and the break was due.
                FUZZ_CHECK(column <= static_cast<size_t>(kWrapColumn));
                size_t needed = static_cast<size_t>(kWrapColumn) - column;
                FUZZ_CHECK(i + needed < input.size());
                for (size_t k = 1; k <= needed; ++k)
                    FUZZ_CHECK(!IsSpace(input[i + k]) && !IsBreak(input[i + k]));
            } else {
                // A hard break: the line reached the column without any
                // counted space, and the character moved to the new line is
                // neither a space nor a line break.
                FUZZ_CHECK(column == static_cast<size_t>(kWrapColumn));
                FUZZ_CHECK(!IsBreak(input[i]));
                for (size_t k = afterPassBreak ? 1 : 0; k < line; ++k) FUZZ_CHECK(!IsSpace(out[j - line + k]));
            }
            FUZZ_CHECK(line <= LineLimit(afterPassBreak));
            ++j;
            if (j == out.size()) {
                // Only a full result may end between CR and LF.
                FUZZ_CHECK(result.size() == limit);
                if (atSpace) ++i;
                break;
            }
            FUZZ_CHECK(out[j] == "\n");  // every break is CR LF
            ++j;
            if (atSpace) ++i;
            line = 0;
            afterPassBreak = true;
            continue;
        }
        // Every other character is the input's next, whole.
        FUZZ_CHECK(i < input.size() && o == input[i]);
        ++i;
        ++j;
        if (IsBreak(o)) {
            FUZZ_CHECK(line <= LineLimit(afterPassBreak));
            line = 0;
            afterPassBreak = false;
        } else {
            ++line;
        }
    }
    FUZZ_CHECK(line <= LineLimit(afterPassBreak));
    // The whole input is accounted for, unless the next character does not
    // fit whole in what is left of the buffer.
    FUZZ_CHECK(i <= input.size());
    if (i < input.size()) FUZZ_CHECK(result.size() + input[i].size() > limit);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) return 0;
    uint32_t capacity = 1 + (static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8) % kLargestCapacity;
    // The buffer may hold more after the text's NUL; the text is what comes
    // before the first NUL.
    std::string bytes(reinterpret_cast<const char*>(data + 2), size - 2);
    bytes = bytes.c_str();
    std::string ansi = bytes.size() > capacity - 1 ? bytes.substr(0, capacity - 1) : bytes;
    CheckPass(WrapFortuneText, SplitBytes, ansi, capacity);
    CheckPass(WrapShiftJis, SplitShiftJis, ansi, capacity);

    // The same text as UTF-8, cut to fit at a character boundary.
    std::string utf8;
    for (char c : bytes) {
        unsigned char b = static_cast<unsigned char>(c);
        std::string character = b < 0x80 ? std::string(1, c) : std::string(kWide[b % (sizeof kWide / sizeof kWide[0])]);
        if (utf8.size() + character.size() > capacity - 1) break;
        utf8 += character;
    }
    CheckPass(WrapUtf8FortuneText, SplitUtf8, utf8, capacity);
    return 0;
}
