// An independent reading of the cookie-file format for tests: fortunes are
// found by searching for "%" bytes that follow a line break, not by a state
// machine. Header only and pure, so unit and Win32 tests share it.
#ifndef MERROWIND_TESTS_COOKIE_SPLIT_H
#define MERROWIND_TESTS_COOKIE_SPLIT_H

#include <stddef.h>

#include <string>
#include <vector>

struct SplitFortune {
    size_t offset;  // first byte of the fortune
    size_t length;  // bytes up to the separating "%" or the end of the file
};

inline std::vector<SplitFortune> SplitCookieText(const std::string& bytes)
{
    std::vector<SplitFortune> fortunes;
    size_t start = 0;
    for (;;) {
        // The fortune's first byte is text even when it is a "%".
        size_t separator = std::string::npos;
        for (size_t j = bytes.find('%', start + 1); j != std::string::npos; j = bytes.find('%', j + 1)) {
            if (bytes[j - 1] == '\r' || bytes[j - 1] == '\n') {
                separator = j;
                break;
            }
        }
        if (separator == std::string::npos) {
            fortunes.push_back({start, bytes.size() - start});
            return fortunes;
        }
        fortunes.push_back({start, separator - start});
        size_t next = bytes.find_first_not_of("\r\n", separator + 1);
        if (next == std::string::npos) return fortunes;
        start = next;
    }
}

#endif
