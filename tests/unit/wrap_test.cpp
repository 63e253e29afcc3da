#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "window/wrap.h"

static const uint32_t kBuffer = 4100;

// Runs the pass on a buffer of exactly `capacity` bytes. The bytes after the
// terminator are not NUL, so reading past the end of the text would show.
static std::string Wrap(const std::string& text, uint32_t capacity = kBuffer)
{
    if (text.size() >= capacity) {
        ADD_FAILURE() << "test text of " << text.size() << " does not fit " << capacity;
        return "";
    }
    std::vector<char> buffer(capacity, 'Z');
    std::memcpy(buffer.data(), text.c_str(), text.size() + 1);
    WrapFortuneText(buffer.data(), capacity);
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
