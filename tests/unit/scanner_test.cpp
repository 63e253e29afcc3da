// The cookie-file format: the indexer's byte scanner, its progress values,
// the rule by which a reader ends a fortune and when an index's time is its
// cookie file's.
#include <stdint.h>

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cookies/index_time.h"
#include "cookies/scanner.h"
#include "tests/support/cookie_split.h"

// The index entries a full scan of the bytes gives: entry 0 is always 0.
static std::vector<uint32_t> Entries(const std::string& bytes)
{
    std::vector<uint32_t> entries(1, 0);
    CookieScanState state = kScanInText;
    for (size_t i = 0; i < bytes.size(); ++i)
        if (ScanCookieByte(&state, static_cast<unsigned char>(bytes[i]))) entries.push_back(static_cast<uint32_t>(i));
    return entries;
}

static std::string FortuneAt(const std::string& bytes, size_t offset)
{
    std::string rest = bytes.substr(offset);
    return rest.substr(0, CookieFortuneLength(rest.data(), static_cast<uint32_t>(rest.size())));
}

typedef std::vector<uint32_t> E;

TEST(CookieScanner, SeparatorRules)
{
    EXPECT_EQ(Entries(""), E({0})) << "an empty file is one (empty) fortune";
    EXPECT_EQ(Entries("A"), E({0}));
    EXPECT_EQ(Entries("A\n%\nB\n"), E({0, 4}));
    EXPECT_EQ(Entries("%\nA\n%\nB"), E({0, 6})) << "a leading % line belongs to the first fortune";
    EXPECT_EQ(Entries("A\n%%\nB"), E({0, 3})) << "the next fortune begins at the second %";
    EXPECT_EQ(Entries("A\n% x\nB"), E({0, 3})) << "the next fortune begins with the blank";
    EXPECT_EQ(Entries("A\n%\n%\nB"), E({0, 4})) << "a % line right after a separator is text";
    EXPECT_EQ(Entries("A\nB 50% D\n%\nE"), E({0, 12})) << "a % inside a line is text";
    EXPECT_EQ(Entries("\n%\nA"), E({0, 3})) << "a line break at the very start counts";
    EXPECT_EQ(Entries("A\n\n\n%\n\n\nB%\nC"), E({0, 8}));
}

TEST(CookieScanner, LineBreakKinds)
{
    EXPECT_EQ(Entries("A\r\n%\r\n\r\nB"), E({0, 8})) << "the blank line after the separator is skipped";
    EXPECT_EQ(Entries("A\r%\rB"), E({0, 4})) << "a lone CR is a line break";
    EXPECT_EQ(Entries("A\n\r%\n\rB"), E({0, 6})) << "LF CR, in any combination";
    EXPECT_EQ(Entries("A\r\n%\r\nB\r\n%\r\nC\r\n"), E({0, 6, 12}));
}

TEST(CookieScanner, FileEnds)
{
    EXPECT_EQ(Entries("A\n%\n"), E({0})) << "a final separator adds no fortune";
    EXPECT_EQ(Entries("A\n%\r\n\r\n"), E({0}));
    EXPECT_EQ(Entries("A\n%"), E({0}));
    EXPECT_EQ(Entries("A\n%\nB"), E({0, 4})) << "the last fortune needs no separator after it";
    EXPECT_EQ(Entries("%"), E({0}));
    EXPECT_EQ(Entries("\n%\n"), E({0}));
}

TEST(CookieScanner, EveryByteValueOtherThanBreaksStartsAFortune)
{
    for (int b = 0; b < 256; ++b) {
        if (b == '\r' || b == '\n') continue;
        std::string bytes = std::string("A\n%\n") + static_cast<char>(b);
        EXPECT_EQ(Entries(bytes), E({0, 4})) << "byte " << b;
    }
}

TEST(CookieReaderRule, FortuneEndsAtTheSeparator)
{
    EXPECT_EQ(FortuneAt("A\nB\n%\nC", 0), "A\nB\n") << "keeps the break before the separator";
    EXPECT_EQ(FortuneAt("A\r\nB\r\n%\r\nC", 0), "A\r\nB\r\n") << "CR LF kept as it is";
    EXPECT_EQ(FortuneAt("A\r%\rB", 0), "A\r");
    EXPECT_EQ(FortuneAt("%x\nA\n%\n", 0), "%x\nA\n") << "a % at the very start is text";
    EXPECT_EQ(FortuneAt("50% off\n%\n", 0), "50% off\n") << "a % inside a line is text";
    EXPECT_EQ(FortuneAt("A\n%\nlast", 4), "last") << "the last fortune ends at the end of the file";
    EXPECT_EQ(FortuneAt("", 0), "");
    EXPECT_EQ(FortuneAt("\n%", 0), "\n");
}

TEST(CookieReaderRule, CutAtTheBufferSize)
{
    std::string longOne(5000, 'x');
    EXPECT_EQ(CookieFortuneLength(longOne.data(), 5000), 4099u);
    std::string exact = std::string(4098, 'x') + "\n%";
    EXPECT_EQ(CookieFortuneLength(exact.data(), static_cast<uint32_t>(exact.size())), 4099u)
        << "the separator beyond the limit is never reached";
    std::string justInside = std::string(4097, 'x') + "\n%";
    EXPECT_EQ(CookieFortuneLength(justInside.data(), static_cast<uint32_t>(justInside.size())), 4098u);
}

TEST(CookieFormat, ScannerAndReaderAgreeWithAnIndependentSplit)
{
    // Short random texts over the bytes that matter, where the corner cases
    // meet in every combination.
    const char alphabet[] = {'A', '%', '\r', '\n', ' '};
    std::mt19937 generator(4711);
    for (int round = 0; round < 50000; ++round) {
        std::string bytes;
        size_t length = generator() % 24;
        for (size_t i = 0; i < length; ++i) bytes += alphabet[generator() % sizeof alphabet];
        std::vector<SplitFortune> split = SplitCookieText(bytes);
        std::vector<uint32_t> entries = Entries(bytes);
        ASSERT_EQ(entries.size(), split.size()) << "fortune count for [" << bytes << "]";
        for (size_t k = 0; k < split.size(); ++k) {
            ASSERT_EQ(entries[k], split[k].offset) << "entry " << k << " of [" << bytes << "]";
            ASSERT_EQ(FortuneAt(bytes, entries[k]), bytes.substr(split[k].offset, split[k].length))
                << "fortune " << k << " of [" << bytes << "]";
        }
    }
}

TEST(CookieScanner, SixteenPlainBytesAtATimeMatchByteByByte)
{
    const unsigned char alphabet[] = {'A', '%', '\r', '\n', ' ', 0, 0xFF, '\t'};
    std::mt19937 generator(99);
    for (int round = 0; round < 200000; ++round) {
        unsigned char block[kPlainBlockSize];
        // Mostly text, with a break or a "%" now and then, so that every
        // position of the first "%" and of the last break occurs.
        for (unsigned k = 0; k < kPlainBlockSize; ++k)
            block[k] = generator() % 4 != 0 ? 'x' : alphabet[generator() % sizeof alphabet];
        CookieScanState start = (round & 1) ? kScanLineStart : kScanInText;

        CookieScanState fast = start;
        unsigned plain = SkipPlainBytes(block, &fast);

        CookieScanState slow = start;
        unsigned expected = 0;
        while (expected < kPlainBlockSize && block[expected] != '%') {
            ASSERT_EQ(ScanCookieByte(&slow, block[expected]), 0) << "plain bytes begin no fortune";
            ++expected;
        }
        ASSERT_EQ(plain, expected) << "round " << round;
        ASSERT_EQ(fast, slow) << "round " << round << ", " << plain << " plain bytes from state " << start;
    }
}

// The formula as written out, with every intermediate forced through a
// double in memory.
static int32_t PlainProgress(uint32_t size, uint32_t position)
{
    volatile double quotient = 100.0 / static_cast<double>(size == 0 ? 1u : size);
    volatile double product = quotient * static_cast<double>(position);
    double value = product;
    if (value >= 100.0) return 100;
    return static_cast<int32_t>(value);
}

TEST(IndexProgress, ValuesOfTheSmallFiles)
{
    double q3 = ProgressQuotient(3);
    EXPECT_EQ(ProgressValue(q3, 1), 33);
    EXPECT_EQ(ProgressValue(q3, 2), 66);
    EXPECT_EQ(ProgressValue(q3, 3), 100);
    EXPECT_EQ(ProgressValue(ProgressQuotient(100), 100), 100);
    EXPECT_EQ(ProgressValue(ProgressQuotient(100), 37), 37);
    EXPECT_EQ(ProgressValue(ProgressQuotient(97), 97), 99) << "the quotient is rounded before the product";
    EXPECT_EQ(ProgressValue(ProgressQuotient(9), 9), 100) << "true double precision, not x87 extended";
    EXPECT_EQ(ProgressValue(ProgressQuotient(1), 1), 100);
    EXPECT_EQ(ProgressValue(ProgressQuotient(7), 1), 14) << "truncated, not rounded";
}

TEST(IndexProgress, ClampedAndTruncated)
{
    EXPECT_EQ(ProgressQuotient(0), ProgressQuotient(1)) << "a size of 0 counts as 1";
    EXPECT_EQ(ProgressValue(ProgressQuotient(0), 1), 100);
    EXPECT_EQ(ProgressValue(ProgressQuotient(3), 10), 100) << "a file that grew past its size";
    EXPECT_EQ(ProgressValue(ProgressQuotient(3), 0xFFFFFFFFu), 100);
    EXPECT_EQ(ProgressValue(ProgressQuotient(0x7FFFFFFFu), 1), 0);
    EXPECT_EQ(ProgressValue(ProgressQuotient(0x7FFFFFFFu), 0x7FFFFFFFu), 100);
    EXPECT_EQ(ProgressValue(ProgressQuotient(200), 1), 0);
    EXPECT_EQ(ProgressValue(ProgressQuotient(200), 2), 1);
}

TEST(IndexProgress, EverySizeUpToFiveThousandFollowsThePlainFormula)
{
    int endingAt99 = 0;
    for (uint32_t size = 1; size <= 5000; ++size) {
        double quotient = ProgressQuotient(size);
        int32_t previous = 0;
        for (uint32_t position = 1; position <= size; ++position) {
            int32_t value = ProgressValue(quotient, position);
            ASSERT_EQ(value, PlainProgress(size, position)) << "size " << size << ", position " << position;
            ASSERT_GE(value, previous) << "size " << size << ", position " << position;
            previous = value;
        }
        ASSERT_TRUE(previous == 100 || previous == 99) << "size " << size << " ends at " << previous;
        if (previous == 99) ++endingAt99;
    }
    EXPECT_GT(endingAt99, 0) << "some sizes end at 99 when the quotient is rounded first";
}

// An index carries its file's time exactly, but on 2-second volumes (FAT)
// only near it: there below 2 s apart, either way round, is the same time.
TEST(IndexTime, TimesAreTheSameExactlyOrOnCoarseVolumesWithinTwoSeconds)
{
    const uint64_t t = 0x01D9000000000000u, s = 10000000u;  // a time, and one second
    const struct { uint64_t a, b; int coarse, same; } rows[] = {
        {t, t, 0, 1}, {t, t + 1, 0, 0}, {t + 1, t, 0, 0},
        {t, t, 1, 1}, {t, t + 2 * s - 1, 1, 1}, {t + 2 * s - 1, t, 1, 1}, {t, t + 2 * s, 1, 0}, {t + 2 * s, t, 1, 0},
        {0, UINT64_MAX, 1, 0}, {UINT64_MAX, 0, 1, 0}};
    for (const auto& r : rows)
        EXPECT_EQ(SameFileTime(r.a, r.b, r.coarse), r.same) << r.a << " and " << r.b << ", coarse " << r.coarse;
    const struct { const wchar_t* name; int coarse; } systems[] = {
        {L"FAT", 1}, {L"FAT32", 1}, {L"exFAT", 1}, {L"EXFAT", 1}, {L"fat32", 1}, {L"NTFS", 0}, {L"ReFS", 0},
        {L"FAT3", 0}, {L"FAT322", 0}, {L"", 0}};
    for (const auto& f : systems) EXPECT_EQ(KeepsCoarseFileTimes(f.name), f.coarse) << f.name;
    // The last entry against the file's size: inside it, at its end, past it.
    const struct { uint32_t last; uint64_t size; int fits; } entries[] = {
        {5, 6, 1}, {6, 6, 0}, {7, 6, 0}, {0, 0, 1}, {0, 1, 1}, {0xFFFFFFFFu, 0x100000000u, 1}};
    for (const auto& e : entries) EXPECT_EQ(EntriesFitFile(e.last, e.size), e.fits) << e.last << " in " << e.size;
}
