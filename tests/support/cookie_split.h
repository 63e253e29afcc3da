// An independent reading of the cookie-file format for tests: fortunes are
// found by searching for "%" bytes that follow a line break, not by a state
// machine. Header only and pure, so unit tests, fuzz targets, Win32 and
// end-to-end tests share it.
#ifndef MERROWIND_TESTS_COOKIE_SPLIT_H
#define MERROWIND_TESTS_COOKIE_SPLIT_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

// A reader's text buffer holds 4100 bytes: at most 4099 of a fortune and a NUL.
const size_t kSplitFortuneLimit = 4099;

struct SplitFortune {
    size_t offset;  // first byte of the fortune
    size_t length;  // bytes up to the separating "%" or the end of the file
};

// Where a fortune that starts at offset ends: at the first "%" that follows a
// line break, the fortune's first byte being text even when it is a "%"; or
// at the end of the bytes.
inline size_t CookieFortuneEnd(const std::string& bytes, size_t offset)
{
    for (size_t j = bytes.find('%', offset + 1); j != std::string::npos; j = bytes.find('%', j + 1))
        if (bytes[j - 1] == '\r' || bytes[j - 1] == '\n') return j;
    return bytes.size() > offset ? bytes.size() : offset;
}

inline std::vector<SplitFortune> SplitCookieText(const std::string& bytes)
{
    std::vector<SplitFortune> fortunes;
    size_t start = 0;
    for (;;) {
        size_t separator = CookieFortuneEnd(bytes, start);
        fortunes.push_back({start, separator - start});
        if (separator >= bytes.size()) return fortunes;
        size_t next = bytes.find_first_not_of("\r\n", separator + 1);
        if (next == std::string::npos) return fortunes;
        start = next;
    }
}

// The index a cookie file should get: the offset of every fortune.
inline std::vector<uint32_t> CookieIndexByTheRules(const std::string& bytes)
{
    std::vector<uint32_t> entries;
    for (const SplitFortune& fortune : SplitCookieText(bytes)) entries.push_back(static_cast<uint32_t>(fortune.offset));
    return entries;
}

// What a reader takes for the fortune at offset (any offset, not only an
// entry): the bytes up to its end, at most a text buffer's worth.
inline std::string CookieFortuneByTheRules(const std::string& bytes, size_t offset)
{
    if (offset >= bytes.size()) return std::string();
    size_t length = CookieFortuneEnd(bytes, offset) - offset;
    return bytes.substr(offset, length < kSplitFortuneLimit ? length : kSplitFortuneLimit);
}

#endif
