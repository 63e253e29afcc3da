#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/text_encoding.h"
#include "window/fixed_pitch.h"
#include "window/fortune_copy.h"
#include "window/fortune_history.h"
#include "window/terminal_codes.h"
#include "window/wrap.h"

static const uint32_t kBuffer = 4100;

// Runs the pass on a buffer of exactly `capacity` bytes. The bytes after the
// terminator are not NUL, so reading past the end of the text would show.
static std::string Wrap(const std::string& text, uint32_t capacity = kBuffer, const AnsiLeadBytes* lead = nullptr)
{
    if (text.size() >= capacity) {
        ADD_FAILURE() << "test text of " << text.size() << " does not fit " << capacity;
        return "";
    }
    std::vector<char> buffer(capacity, 'Z');
    std::memcpy(buffer.data(), text.c_str(), text.size() + 1);
    lead != nullptr ? WrapAnsiFortuneText(buffer.data(), capacity, lead) : WrapFortuneText(buffer.data(), capacity);
    size_t length = strnlen(buffer.data(), capacity);
    EXPECT_LT(length, capacity) << "the result must be terminated inside the buffer";
    size_t touched = 0;
    for (size_t i = length + 1; i < capacity; ++i)
        if (buffer[i] != 'Z') ++touched;
    EXPECT_EQ(touched, 0u) << "bytes after the result's terminator were written";
    return std::string(buffer.data(), length);
}

static std::string Chars(char c, size_t n) { return std::string(n, c); }

// The line lengths of a text, split at CR and LF (a CR LF pair is one break).
static std::vector<size_t> LineLengths(const std::string& text)
{
    std::vector<size_t> lengths;
    size_t current = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lengths.push_back(current);
            current = 0;
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            ++current;
        }
    }
    lengths.push_back(current);
    return lengths;
}

TEST(Wrap, ShortLinesComeBackByteForByte)
{
    const std::string texts[] = {
        "",
        "A short fortune.",
        "Two lines\nwith LF\r\nand CR LF\r\n",
        Chars('a', 94),
        Chars('a', 40) + " " + Chars('b', 53) + "\n" + Chars('c', 94) + "\r\n" + Chars('d', 94),
        "\n\n\r\n  \n",
    };
    for (const std::string& text : texts) EXPECT_EQ(Wrap(text), text) << "[" << text << "]";
}

TEST(Wrap, BreaksAtTheLastSpaceBeforeColumn95)
{
    // 100 characters, the space 80th: 79 characters, CR LF, the other 20.
    std::string text = Chars('a', 79) + " " + Chars('b', 20);
    EXPECT_EQ(Wrap(text), Chars('a', 79) + "\r\n" + Chars('b', 20));

    // A space as the 95th character is itself the break.
    text = Chars('a', 94) + " " + Chars('b', 5);
    EXPECT_EQ(Wrap(text), Chars('a', 94) + "\r\n" + Chars('b', 5));

    // Several spaces: the last one before the column wins.
    text = Chars('a', 30) + " " + Chars('b', 30) + " " + Chars('c', 50);
    EXPECT_EQ(Wrap(text), Chars('a', 30) + " " + Chars('b', 30) + "\r\n" + Chars('c', 50));
}

TEST(Wrap, LineAfterAPassBreakBreaksAtIts96thCharacter)
{
    // After the break, the resumed character does not count: a space in the
    // 96th position of the new line ends a line of 95 characters.
    std::string second = Chars('b', 95) + " " + Chars('c', 10);
    EXPECT_EQ(Wrap(Chars('a', 79) + " " + second),
              Chars('a', 79) + "\r\n" + Chars('b', 95) + "\r\n" + Chars('c', 10));

    // After an LF of the text the 95th character triggers, as on the first line.
    EXPECT_EQ(Wrap("x\n" + Chars('b', 94) + " " + Chars('c', 10)),
              "x\n" + Chars('b', 94) + "\r\n" + Chars('c', 10));
    EXPECT_EQ(Wrap("x\r\n" + Chars('b', 94) + " " + Chars('c', 10)),
              "x\r\n" + Chars('b', 94) + "\r\n" + Chars('c', 10));
}

TEST(Wrap, TwoSpacesInARow)
{
    // Before the column: the second becomes the break, the first ends the line.
    EXPECT_EQ(Wrap(Chars('a', 80) + "  " + Chars('b', 20)), Chars('a', 80) + " \r\n" + Chars('b', 20));
    // The first of them 95th: it is the break, and the second begins the next
    // line without being a candidate.
    EXPECT_EQ(Wrap(Chars('a', 94) + "  " + Chars('b', 10)), Chars('a', 94) + "\r\n " + Chars('b', 10));
}

TEST(Wrap, LineOf95EndingInASpaceEndsWithTheBreak)
{
    EXPECT_EQ(Wrap(Chars('a', 94) + " "), Chars('a', 94) + "\r\n");
    // The same in a buffer that holds nothing after it.
    EXPECT_EQ(Wrap(Chars('a', 94) + " ", 97), Chars('a', 94) + "\r\n");
}

TEST(Wrap, ExistingBreaksResetTheColumnAndTheCandidate)
{
    // The space on the first line is no candidate for the second.
    std::string text = "a b\n" + Chars('c', 100);
    std::string wrapped = Wrap(text);
    EXPECT_EQ(wrapped.substr(0, 4), "a b\n") << "the text's own break stays";
    EXPECT_EQ(wrapped, "a b\n" + Chars('c', 94) + "\r\n" + Chars('c', 6));
}

TEST(Wrap, LineWithoutSpaceBreaksHardBeforeTheColumn)
{
    // 94 characters, then each following line 95: the character that reaches
    // the column moves to the new line.
    EXPECT_EQ(Wrap(Chars('x', 200)),
              Chars('x', 94) + "\r\n" + Chars('x', 95) + "\r\n" + Chars('x', 11));
    // A long word after a pass break.
    EXPECT_EQ(Wrap(Chars('a', 50) + " " + Chars('b', 150)),
              Chars('a', 50) + "\r\n" + Chars('b', 95) + "\r\n" + Chars('b', 55));
    // Exactly 95 characters break too; 94 do not.
    EXPECT_EQ(Wrap(Chars('x', 95)), Chars('x', 94) + "\r\nx");
    EXPECT_EQ(Wrap(Chars('x', 94)), Chars('x', 94));
}

// Short lines that the pass leaves alone, length characters in all.
// Short lines that the pass leaves alone, length characters in all, the last
// of them an LF.
static std::string Filler(size_t length)
{
    std::string text(length, 'f');
    for (size_t i = 50; i < length; i += 51) text[i] = '\n';
    text[length - 1] = '\n';
    return text;
}

TEST(Wrap, TheResultIsCutAt4099Characters)
{
    // One break makes the text one longer: a full text loses its last character.
    std::string head = Chars('a', 79) + " " + Chars('b', 20) + "\n";
    std::string text = head + Filler(4099 - head.size() - 1) + "z";
    ASSERT_EQ(text.size(), 4099u);
    std::string wrapped = Wrap(text);
    ASSERT_EQ(wrapped.size(), 4099u);
    EXPECT_EQ(wrapped, Chars('a', 79) + "\r\n" + text.substr(80, 4099 - 80 - 1));

    // A break whose CR lands on the 4099th position leaves a lone CR.
    text = Filler(4004) + Chars('a', 94) + " ";
    ASSERT_EQ(text.size(), 4099u);
    wrapped = Wrap(text);
    EXPECT_EQ(wrapped, Filler(4004) + Chars('a', 94) + "\r");
}

TEST(Wrap, SmallBuffersAreNeverOverrun)
{
    EXPECT_EQ(Wrap("", 1), "");
    EXPECT_EQ(Wrap(Chars('a', 94) + " b", 97), Chars('a', 94) + "\r\n") << "cut between CR LF and b";
    EXPECT_EQ(Wrap(Chars('a', 94) + " ", 96), Chars('a', 94) + "\r") << "cut between CR and LF";
    EXPECT_EQ(Wrap(Chars('a', 95), 96), Chars('a', 94) + "\r") << "a hard break cut the same way";
}

static std::string Printing(const std::string& text)
{
    std::string kept;
    for (char c : text)
        if (c != ' ' && c != '\r' && c != '\n') kept += c;
    return kept;
}

// Deterministic pseudo-random texts of words, spaces and line breaks, in
// every capacity from tiny to full: the pass ends, stays inside the buffer,
// and no line of its result is longer than the wrap column.
TEST(Wrap, AnyTextEndsWithinCapacityAndWithShortLines)
{
    uint32_t state = 12345;
    auto next = [&state](uint32_t n) {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % n;
    };
    const char alphabet[] = "abcdefghij      \n\r\t.";
    const uint32_t capacities[] = {1, 2, 3, 50, 96, 97, 200, 1000, kBuffer};
    for (int round = 0; round < 400; ++round) {
        uint32_t capacity = capacities[round % 9];
        uint32_t length = next(capacity);
        std::string text;
        int style = round % 4;  // some texts have long words, some none
        for (uint32_t i = 0; i < length; ++i) {
            if (style == 0 && next(150) == 0) text += ' ';
            else if (style == 0) text += 'w';
            else text += alphabet[next(sizeof alphabet - 1)];
        }
        std::string wrapped = Wrap(text, capacity);
        EXPECT_LE(wrapped.size(), capacity - 1) << "round " << round;
        for (size_t line : LineLengths(wrapped))
            EXPECT_LE(line, 95u) << "round " << round << ": [" << wrapped << "]";
        // Only spaces turn into breaks and breaks are added: apart from
        // spaces and line breaks, the text survives in order, cut at most.
        std::string before = Printing(text), after = Printing(wrapped);
        if (wrapped.size() < capacity - 1)
            EXPECT_EQ(after, before) << "round " << round;
        else
            EXPECT_EQ(after, before.substr(0, after.size())) << "round " << round;
    }
}

// ---- UTF-8 fortunes: which text is UTF-8, how it decodes, and the wrap
// that counts characters.

// n copies of a character given as its UTF-8 bytes.
static std::string Repeat(const std::string& character, size_t n)
{
    std::string text;
    for (size_t i = 0; i < n; ++i) text += character;
    return text;
}

static const std::string kUe = "\xC3\xBC";            // ü, 2 bytes
static const std::string kEuro = "\xE2\x82\xAC";      // €, 3 bytes
static const std::string kClef = "\xF0\x9D\x84\x9E";  // U+1D11E, 4 bytes

static std::string WrapUtf8(const std::string& text, uint32_t capacity = kBuffer)
{
    std::vector<char> buffer(capacity, 'Z');
    if (text.size() >= capacity) {
        ADD_FAILURE() << "test text of " << text.size() << " does not fit " << capacity;
        return "";
    }
    std::memcpy(buffer.data(), text.c_str(), text.size() + 1);
    WrapUtf8FortuneText(buffer.data(), capacity);
    size_t length = strnlen(buffer.data(), capacity);
    EXPECT_LT(length, capacity) << "the result must be terminated inside the buffer";
    return std::string(buffer.data(), length);
}

static std::vector<uint16_t> Decode(const std::string& text, uint32_t capacity = 100)
{
    std::vector<uint16_t> out(capacity + 1, 0xAAAA);
    uint32_t n = DecodeUtf8(text.data(), static_cast<uint32_t>(text.size()), out.data(), capacity);
    EXPECT_EQ(out[capacity], 0xAAAA) << "written past the capacity";
    out.resize(n);
    return out;
}

TEST(Utf8, AFortuneIsUtf8WhenWellFormedWithACharacterBeyondAscii)
{
    EXPECT_EQ(IsUtf8Fortune(("Die W" + kUe + "rde des Menschen").c_str()), 1);
    EXPECT_EQ(IsUtf8Fortune("\xE2\x80\x9E" "Zitat" "\xE2\x80\x9C"), 1) << "curly quotes";
    EXPECT_EQ(IsUtf8Fortune(kClef.c_str()), 1) << "a character beyond U+FFFF";
    EXPECT_EQ(IsUtf8Fortune("AT&T pays for R&D"), 0) << "plain ASCII stays on the ANSI path";
    EXPECT_EQ(IsUtf8Fortune(""), 0);
    EXPECT_EQ(IsUtf8Fortune("Die W\xFCrde"), 0) << "Windows-1252 ü is no UTF-8";
    EXPECT_EQ(IsUtf8Fortune(("W" + kUe + "rde \xFC").c_str()), 0) << "one bad byte makes the whole fortune ANSI";
}

// v in exactly length bytes of UTF-8, overlong or not.
static std::string Encode(uint32_t v, int length)
{
    static const unsigned char marks[] = {0, 0, 0xC0, 0xE0, 0xF0};
    std::string bytes(length, '\0');
    for (int i = length - 1; i > 0; --i, v >>= 6) bytes[i] = static_cast<char>(0x80 | (v & 0x3F));
    bytes[0] = static_cast<char>(marks[length] | v);
    return bytes;
}

TEST(Utf8, IllFormedSequencesAreNoCharacters)
{
    // Every value in every length: only the shortest form of a scalar value
    // (no surrogate, nothing beyond U+10FFFF) is a character.
    const uint32_t top[] = {0, 0x7F, 0x7FF, 0xFFFF, 0x1FFFFF};
    for (int length = 1; length <= 4; ++length)
        for (uint32_t v = 0; v <= top[length]; ++v) {
            int shortest = v < 0x80 ? 1 : v < 0x800 ? 2 : v < 0x10000 ? 3 : 4;
            bool scalar = v <= 0x10FFFF && (v < 0xD800 || v > 0xDFFF);
            ASSERT_EQ(Utf8CharacterLength(Encode(v, length).data(), length), length == shortest && scalar ? length : 0u)
                << std::hex << v << " in " << length;
        }
    const char* bad[] = {"\x80", "\xC3", "\xC3 ", "\xF8\x88\x80\x80", "\xFF"};
    for (const char* text : bad) {
        EXPECT_EQ(Utf8CharacterLength(text, static_cast<uint32_t>(strlen(text))), 0u) << "[" << text << "]";
        EXPECT_EQ(IsUtf8Fortune(text), 0) << "[" << text << "]";
    }
    EXPECT_EQ(Utf8CharacterLength(kClef.c_str(), 3), 0u) << "only the bytes available count";
}

// Shift-JIS: lead bytes 0x81-0x9F and 0xE0-0xFC. A trail byte may fall in
// a lead range (0x9F of U+4E9C), so only a walk from the start finds the
// characters.
static const AnsiLeadBytes kShiftJis = {{0x81, 0x9F, 0xE0, 0xFC}};
static const AnsiLeadBytes kSingleByte = {};
static const std::string kA = "\x82\xA0";    // U+3042
static const std::string kAsia = "\x88\x9F";  // U+4E9C

TEST(CutCharacters, AReadCutInsideACharacterKeepsWholeCharacters)
{
    const struct { std::string text; const AnsiLeadBytes* lead; size_t whole; } rows[] = {
        {"ab" + kUe, &kSingleByte, 4},                 // whole characters
        {"ab" + kUe.substr(0, 1), &kSingleByte, 2},    // 1 of 2 bytes
        {"ab" + kEuro.substr(0, 2), &kSingleByte, 2},  // 2 of 3
        {kUe + kClef.substr(0, 3), &kShiftJis, 2},     // 3 of 4, on any code page
        {"ab\xED\xA0", &kSingleByte, 4},               // no character begins so: ANSI
        {"W\xFCrde \xC3", &kSingleByte, 7},             // ANSI before the cut: every byte
        {"ab" + kAsia, &kShiftJis, 4},                  // ends in a trail byte
        {"ab" + kA + kAsia, &kShiftJis, 6},
        {"ab" + kA + kAsia.substr(0, 1), &kShiftJis, 4},
        {kAsia + kAsia + "\x9F", &kShiftJis, 4},       // a trail byte, then a lone lead
        {kAsia + "\x9F", &kSingleByte, 3},             // single-byte: byte for byte
    };
    for (const auto& row : rows)
        EXPECT_EQ(WholeCharactersLength(row.text.data(), static_cast<uint32_t>(row.text.size()), row.lead),
                  row.whole) << "[" << row.text << "]";

    // Pieces of one long line: the character cut at the end of one piece is
    // dropped there, and its rest at the start of the next.
    const struct { std::string piece; int cutAtEnd; std::string kept; } pieces[] = {  // in Shift-JIS
        {"ab" + kEuro.substr(0, 1), 1, "ab"}, {kEuro.substr(1) + "cd", 1, "cd"}, {kA + kA.substr(0, 1), 1, kA},
        {kA.substr(1) + "e", 0, "e"}, {kUe.substr(1) + "f", 0, kUe.substr(1) + "f"},  // no cut before it
        {"g" + kUe.substr(0, 1), 0, "g" + kUe.substr(0, 1)}};  // the line's end
    CutCharacter cut = {};
    for (const auto& row : pieces) {
        std::string piece = row.piece;
        EXPECT_EQ(KeepWholeCharacters(&cut, &piece[0], row.cutAtEnd, &kShiftJis), row.kept.size());
        EXPECT_EQ(piece.c_str(), row.kept) << "[" << row.piece << "]";
    }
}

TEST(Utf8, DecodesToUtf16WithSurrogatePairs)
{
    EXPECT_EQ(Decode("W" + kUe + kEuro + kClef),
              (std::vector<uint16_t>{'W', 0x00FC, 0x20AC, 0xD834, 0xDD1E}));
    EXPECT_EQ(Decode("a\xFF" "b"), (std::vector<uint16_t>{'a', 0xFFFD, 'b'})) << "a bad byte shows as U+FFFD";
    EXPECT_EQ(Decode("a" + kClef, 2), (std::vector<uint16_t>{'a'})) << "never half a pair";
    EXPECT_EQ(Decode(kUe + kUe, 1), (std::vector<uint16_t>{0x00FC}));
}

TEST(Utf8, TheByteOrderMarkIsDroppedOnlyAtTheStart)
{
    EXPECT_EQ(Utf8MarkLength("\xEF\xBB\xBFtext", 7), 3u);
    EXPECT_EQ(Utf8MarkLength("\xEF\xBB\xBF", 2), 0u) << "only the bytes available count";
    EXPECT_EQ(Utf8MarkLength("text", 4), 0u);
    char text[] = "\xEF\xBB\xBF" "erste Zeile\n";
    DropUtf8Mark(text);
    EXPECT_STREQ(text, "erste Zeile\n");
    DropUtf8Mark(text);
    EXPECT_STREQ(text, "erste Zeile\n") << "nothing else is taken";
    char markOnly[] = "\xEF\xBB\xBF\n";
    DropUtf8Mark(markOnly);
    EXPECT_STREQ(markOnly, "\n") << "a line of the mark alone is blank";
    char partial[] = "\xEF\xBB";
    DropUtf8Mark(partial);
    EXPECT_STREQ(partial, "\xEF\xBB") << "two bytes of the mark are text";
}

TEST(Utf8Wrap, ColumnCountsCharactersNotBytes)
{
    // 94 letters of 2 bytes each: 188 bytes, but no line reaches the column.
    std::string line = Repeat(kUe, 94);
    EXPECT_EQ(WrapUtf8(line), line);
    EXPECT_EQ(Wrap(line), Repeat(kUe, 47) + "\r\n" + Repeat(kUe, 47)) << "the ANSI path counts bytes, as ever";
    // The space 80th character: 79 characters, CR LF, the other 20.
    std::string text = Repeat(kEuro, 79) + " " + Repeat(kUe, 20);
    EXPECT_EQ(WrapUtf8(text), Repeat(kEuro, 79) + "\r\n" + Repeat(kUe, 20));
    // A space as the 95th character is itself the break.
    text = Repeat(kUe, 94) + " " + "tail";
    EXPECT_EQ(WrapUtf8(text), Repeat(kUe, 94) + "\r\ntail");
}

TEST(Utf8Wrap, HardBreakFallsBetweenCharacters)
{
    // 200 letters of 2 bytes without a space: 94, then 95, then 11.
    EXPECT_EQ(WrapUtf8(Repeat(kUe, 200)),
              Repeat(kUe, 94) + "\r\n" + Repeat(kUe, 95) + "\r\n" + Repeat(kUe, 11));
    // Mixed widths: the break comes after 94 characters, whatever their bytes.
    std::string mixed = Repeat("a" + kUe + kEuro + kClef, 50);
    std::string wrapped = WrapUtf8(mixed);
    EXPECT_EQ(IsUtf8Fortune(wrapped.c_str()), 1) << "the result is still well-formed";
    size_t firstBreak = wrapped.find("\r\n");
    ASSERT_NE(firstBreak, std::string::npos);
    EXPECT_EQ(wrapped.substr(0, firstBreak), Repeat("a" + kUe + kEuro + kClef, 23) + "a" + kUe)
        << "94 characters: 23 groups of four and two more";
}

TEST(Utf8Wrap, TheCutAtTheCapacityNeverSplitsACharacter)
{
    // 95 letters need a hard break, whose CR LF leaves no room for the last
    // letter of 2 bytes when the buffer ends inside it: the letter goes whole.
    std::string text = Repeat(kUe, 95);
    EXPECT_EQ(WrapUtf8(text, 192), Repeat(kUe, 94) + "\r\n") << "191 bytes of room";
    EXPECT_EQ(WrapUtf8(text, 193), Repeat(kUe, 94) + "\r\n" + kUe) << "192 bytes of room";
    std::string bytes = Wrap(text, 192);
    EXPECT_EQ(bytes.size(), 191u) << "the ANSI path fills every byte, as ever";
    text = Repeat(kClef, 95);
    EXPECT_EQ(WrapUtf8(text, 382), Repeat(kClef, 94) + "\r\n") << "3 bytes left: no room for 4";
    EXPECT_EQ(WrapUtf8(text, 383), Repeat(kClef, 94) + "\r\n" + kClef);
    // A full text of letters: the result ends on a whole character.
    std::string full = Repeat(kEuro, 1366);  // 4098 bytes
    std::string wrapped = WrapUtf8(full);
    EXPECT_LE(wrapped.size(), 4099u);
    EXPECT_EQ(IsUtf8Fortune(wrapped.c_str()), 1) << "cut between characters only";
}

TEST(DoubleByteWrap, ColumnAndCutStepByWholeCharacters)
{
    // As in UTF-8: 94 characters, then 95; a character goes whole or not at all.
    EXPECT_EQ(Wrap(Repeat(kAsia, 200), kBuffer, &kShiftJis),
              Repeat(kAsia, 94) + "\r\n" + Repeat(kAsia, 95) + "\r\n" + Repeat(kAsia, 11));
    EXPECT_EQ(Wrap(Repeat(kA, 95), 192, &kShiftJis), Repeat(kA, 94) + "\r\n") << "191 bytes of room";
    EXPECT_EQ(Wrap(Repeat(kA, 95), 193, &kShiftJis), Repeat(kA, 94) + "\r\n" + kA);
    EXPECT_EQ(Wrap(Repeat(kA, 94), kBuffer, &kSingleByte), Wrap(Repeat(kA, 94))) << "single-byte: bytes, as ever";
}

TEST(FortuneCopy, EveryLineEndBecomesCrLf)
{
    std::u16string shown = u"a\nb\r\nc\rd\n\n";
    std::vector<uint16_t> out(2 * shown.size() + 1, 0xAAAA);
    uint32_t n = CopyWithCrLfLineEnds(reinterpret_cast<const uint16_t*>(shown.data()),
                                      static_cast<uint32_t>(shown.size()), out.data(),
                                      static_cast<uint32_t>(out.size()));
    std::u16string copied(out.begin(), out.begin() + n);
    EXPECT_EQ(copied, u"a\r\nb\r\nc\r\nd\r\n\r\n");
    EXPECT_EQ(out[n], 0) << "terminated";
}

TEST(FortuneCopy, ASmallBufferCutsBeforeALineEndOrAPair)
{
    std::u16string shown = u"ab\ncd\U0001D11E";
    std::vector<uint16_t> out(16, 0xAAAA);
    const uint16_t* in = reinterpret_cast<const uint16_t*>(shown.data());
    uint32_t length = static_cast<uint32_t>(shown.size());
    EXPECT_EQ(CopyWithCrLfLineEnds(in, length, out.data(), 4), 2u) << "no room for CR LF and the terminator";
    EXPECT_EQ(out[2], 0);
    EXPECT_EQ(CopyWithCrLfLineEnds(in, length, out.data(), 8), 6u) << "no room for the whole pair";
    EXPECT_EQ(CopyWithCrLfLineEnds(in, length, out.data(), 9), 8u);
    EXPECT_EQ(CopyWithCrLfLineEnds(in, length, out.data(), 0), 0u);
}

TEST(TerminalCodes, WholeSequencesGoAndNothingElse)
{
    const struct { std::string text, shown; } rows[] = {
        {"\x1B[33m    -- Debian \x1B[32m\xE3\x80\x8A\x1B[m", "    -- Debian \xE3\x80\x8A"},
        {"a\x1B[1;32mb\x1B[0mc", "abc"},
        {"\x1B[@\x1B[~", ""},                    // the first and the last final byte
        {"\x1B[?25h\x1B[0 q|", "|"},             // "?" a parameter, space an intermediate
        {"\x1B[32\x7Fx", "\x1B[32\x7Fx"},       // DEL is no final byte
        {"\x1B[32\x1Fm", "\x1B[32\x1Fm"},       // nor is a control character
        {"\x1B[;\x1B[34;1mm\x1B[32", "m"},         // cut short by an ESC, by the end
        {"\x1B(B\x1B", "\x1B(B\x1B"},           // no "[" after the ESC
        {"[32m and \x1B\x1B[mx", "[32m and \x1Bx"},
        {"\x1B[3\xE3\x80\x8Am", "\x1B[3\xE3\x80\x8Am"},  // a character ends the parameters
    };
    for (const auto& row : rows) {
        std::string text = row.text;
        EXPECT_EQ(DropTerminalCodes(&text[0]), static_cast<int>(row.text.size() - row.shown.size())) << row.text;
        EXPECT_EQ(text.c_str(), row.shown) << row.text;
    }
}

TEST(FixedPitch, TwoLinesInColumnsOrDrawnMakeAFortuneFixedPitch)
{
    const struct { const char* text; int columns; } rows[] = {
        {"Q:\tWhy?\nA:\tBecause.", 1},
        {"Q:\tWhy?\r\nA:\tBecause.\r\n", 1},
        {"Year   Name\n1962   Dr. No", 1},              // three spaces
        {"+---+\n| a |\n+---+", 1},                     // drawn
        {"Q:\tWhy?\nBecause.", 0},                      // one line alone
        {"Year  Name\n1962  Dr. No", 0},                // two spaces
        {"One.  Two.\nThree.  Four.", 0},              // sentences' ends
        {"End.\tNext\nEnd.\tNext", 1},                 // a tab is a column even so
        {"End.   Next\nEnd.   Next", 0},
        {"\tIndented\n   indented\n\t\t-- A. Person", 0},  // blanks before the text
        {"text   \nmore\t\n", 0},                        // blanks at the end
        {"a -- b\nc -- d\n-- e", 0},                      // a dash or two among words
        {"ab ||| cd\nc -- d\n---", 0},                    // one line drawn
        {"a |||\n---", 1},
        {"--\n==", 0},                                    // two drawing characters are no drawing
        {"", 0},
    };
    for (const auto& row : rows) EXPECT_EQ(IsColumnLaidOut(row.text), row.columns) << "[" << row.text << "]";
}

TEST(FortuneHistory, GoesBackToTheFirstOfTheLast50)
{
    std::unique_ptr<FortuneHistory> history(new FortuneHistory());
    char shown[kTextBufferSize];
    EXPECT_EQ(StepBack(history.get(), shown, sizeof shown), 0);
    EXPECT_STREQ(shown, "") << "none kept yet";
    for (int i = 1; i <= kHistoryLength + 1; ++i) RememberFortune(history.get(), std::to_string(i).c_str());
    for (int i = kHistoryLength; i >= 2; --i) {  // 51 back to 2: the first is forgotten
        EXPECT_EQ(StepBack(history.get(), shown, sizeof shown), 1);
        EXPECT_EQ(std::string(shown), std::to_string(i));
    }
    EXPECT_EQ(CanStepBack(history.get()), 0);
    std::memset(shown, 'x', 3);
    EXPECT_EQ(StepBack(history.get(), shown, 1), 0) << "at the first it stays";
    EXPECT_EQ(std::string(shown, 3), std::string("\0xx", 3)) << "\"2\" fills a buffer of 1: cut, nothing written beyond";
    EXPECT_EQ(StepBack(history.get(), shown, 2), 0);
    EXPECT_STREQ(shown, "2");
    RememberFortune(history.get(), "new");  // drawn after going back: the newest again
    EXPECT_EQ(StepBack(history.get(), shown, sizeof shown), 1);
    EXPECT_STREQ(shown, "51");
}

TEST(FortuneHistory, AnEarlierFortuneComesInAsTheOldest)
{
    std::unique_ptr<FortuneHistory> history(new FortuneHistory());
    char shown[kTextBufferSize];
    RememberFortune(history.get(), "a");
    RememberFortune(history.get(), "b");
    RememberOlder(history.get(), "z");
    EXPECT_STREQ(ShownFortune(history.get()), "z");
    EXPECT_EQ(CanStepBack(history.get()), 0) << "the oldest";
    for (int earlier : {0, 1}) {
        history->earlier = earlier;
        EXPECT_EQ(CanStepBeyond(history.get()), earlier);
    }
    RememberFortune(history.get(), "n");
    for (const char* back : {"b", "a", "z"}) {
        EXPECT_EQ(StepBack(history.get(), shown, sizeof shown), 1);
        EXPECT_STREQ(shown, back);
    }
    // Full, the newest goes to make room.
    for (int i = 1; i <= kHistoryLength; ++i) RememberFortune(history.get(), std::to_string(i).c_str());
    RememberOlder(history.get(), "0");
    EXPECT_STREQ(ShownFortune(history.get()), "0");
    RememberFortune(history.get(), "n");
    EXPECT_EQ(StepBack(history.get(), shown, sizeof shown), 1);
    EXPECT_STREQ(shown, std::to_string(kHistoryLength - 1).c_str()) << "the newest went, not the one before";
}
