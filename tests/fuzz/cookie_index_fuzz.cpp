// Any bytes as a cookie file. The scanner finds the index entries, byte by
// byte and also sixteen plain bytes at a time as the indexer does; the two
// must agree. Every entry must start a fortune that the reading rule reads
// back exactly up to the separator before the next entry (or to the end of
// the file, or to a final separator), cut at the text buffer's size, and the
// fortunes, their separators and the line breaks after them must make up the
// whole file. The first four bytes also give a file size for the progress
// values, which must stay within 0..100, never fall, follow the formula, and
// keep their value over each stretch the indexer writes at once.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "cookies/scanner.h"
#include "tests/fuzz/check.h"
#include "tests/support/cookie_split.h"

static bool IsBreak(unsigned char byte) { return byte == '\r' || byte == '\n'; }

static std::vector<uint32_t> ScanByteByByte(const unsigned char* data, uint32_t size)
{
    std::vector<uint32_t> entries(1, 0);
    CookieScanState state = kScanInText;
    for (uint32_t i = 0; i < size; ++i)
        if (ScanCookieByte(&state, data[i])) entries.push_back(i);
    return entries;
}

// The indexer's way through the bytes: plain blocks skipped whole, every
// other byte examined on its own. At every position where a block can be
// skipped, the skip must leave the state a byte-by-byte scan of the same
// bytes leaves, and none of those bytes may begin a fortune.
static std::vector<uint32_t> ScanInBlocks(const unsigned char* data, uint32_t size)
{
    std::vector<uint32_t> entries(1, 0);
    CookieScanState state = kScanInText;
    uint32_t i = 0;
    while (i < size) {
        if (state != kScanAfterSeparator && size - i >= kPlainBlockSize) {
            CookieScanState fast = state;
            unsigned plain = SkipPlainBytes(data + i, &fast);
            FUZZ_CHECK(plain <= kPlainBlockSize);
            CookieScanState slow = state;
            for (unsigned k = 0; k < plain; ++k) {
                FUZZ_CHECK(data[i + k] != '%');
                FUZZ_CHECK(ScanCookieByte(&slow, data[i + k]) == 0);
            }
            FUZZ_CHECK(plain == kPlainBlockSize || data[i + plain] == '%');
            FUZZ_CHECK(fast == slow);
            state = fast;
            i += plain;
            if (plain == kPlainBlockSize) continue;
        }
        if (ScanCookieByte(&state, data[i])) entries.push_back(i);
        ++i;
    }
    return entries;
}

// The reader's way: up to the text buffer's worth of bytes from the offset,
// in a buffer of just that size so that a read past them shows.
static uint32_t ReadFortuneLength(const unsigned char* data, uint32_t size, uint32_t offset)
{
    uint32_t n = size - offset;
    if (n > kFortuneTextLimit) n = kFortuneTextLimit;
    char* bytes = static_cast<char*>(malloc(n == 0 ? 1 : n));
    FUZZ_CHECK(bytes != nullptr);
    memcpy(bytes, data + offset, n);
    uint32_t length = CookieFortuneLength(bytes, n);
    free(bytes);
    FUZZ_CHECK(length <= n);
    // Handed everything that is left, the rule cuts at the limit by itself.
    FUZZ_CHECK(CookieFortuneLength(reinterpret_cast<const char*>(data + offset), size - offset) == length);
    return length;
}

static void CheckFortunes(const unsigned char* data, uint32_t size)
{
    std::vector<uint32_t> entries = ScanByteByByte(data, size);
    FUZZ_CHECK(ScanInBlocks(data, size) == entries);

    // An independent reading of the format gives the same fortunes.
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<SplitFortune> split = SplitCookieText(text);
    FUZZ_CHECK(split.size() == entries.size());

    FUZZ_CHECK(entries[0] == 0);
    uint32_t covered = 0;  // bytes accounted for so far
    for (size_t k = 0; k < entries.size(); ++k) {
        uint32_t offset = entries[k];
        FUZZ_CHECK(k == 0 || (offset > entries[k - 1] && offset < size));
        FUZZ_CHECK(offset == covered);
        FUZZ_CHECK(split[k].offset == offset);
        // A fortune other than the first starts with a byte that is no line
        // break.
        if (k > 0) FUZZ_CHECK(!IsBreak(data[offset]));

        // Where the fortune really ends, by the independent reading.
        uint32_t end = static_cast<uint32_t>(offset + split[k].length);
        uint32_t length = ReadFortuneLength(data, size, offset);
        FUZZ_CHECK(length == CookieFortuneByTheRules(text, offset).size());
        FUZZ_CHECK(offset + length <= size);

        // After the fortune: its separator and line breaks up to the next
        // entry, or up to the end of the file.
        uint32_t next = k + 1 < entries.size() ? entries[k + 1] : size;
        if (end < size) {
            FUZZ_CHECK(data[end] == '%');
            for (uint32_t p = end + 1; p < next; ++p) FUZZ_CHECK(IsBreak(data[p]));
        } else {
            FUZZ_CHECK(k + 1 == entries.size());
        }
        covered = next;
    }
    FUZZ_CHECK(covered == size);
}

// The progress formula written out, every intermediate a double in memory.
static int32_t PlainProgress(uint32_t size, uint32_t position)
{
    volatile double quotient = 100.0 / static_cast<double>(size == 0 ? 1u : size);
    volatile double product = quotient * static_cast<double>(position);
    double value = product;
    if (value >= 100.0) return 100;
    if (value <= 0.0) return 0;
    return static_cast<int32_t>(value);
}

// The value at any position agrees with the formula written out, never
// falls as the position grows, and a whole file ends at 99 or 100.
static void CheckProgress(uint32_t size, uint32_t probe)
{
    double quotient = ProgressQuotient(size);
    FUZZ_CHECK(quotient == ProgressQuotient(size == 0 ? 1 : size));
    int32_t value = ProgressValue(quotient, probe);
    FUZZ_CHECK(value >= 0 && value <= 100);
    FUZZ_CHECK(value == PlainProgress(size, probe));
    if (probe != 0xFFFFFFFFu) FUZZ_CHECK(ProgressValue(quotient, probe + 1) >= value);
    int32_t final = ProgressValue(quotient, size == 0 ? 1 : size);
    FUZZ_CHECK(final == 100 || final == 99);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    uint32_t n = static_cast<uint32_t>(size);
    CheckFortunes(data, n);

    uint32_t word[2] = {0, 0};
    memcpy(word, data, size < sizeof word ? size : sizeof word);
    CheckProgress(n, word[0]);
    CheckProgress(word[0], word[1]);
    return 0;
}
