// The cookie-file text format: fortunes separated by a "%" that directly
// follows a line break. The indexer's byte scanner, its progress value and
// the rule by which a fortune read from its offset ends. Pure, so the rules
// are tested natively and can be fuzzed.
#ifndef MERROWIND_SCANNER_H
#define MERROWIND_SCANNER_H

#include <stdint.h>

#include "core/product.h"

#if defined(__SSE2__) || defined(_M_IX86) || defined(_M_X64)
#include <emmintrin.h>
#if defined(_MSC_VER)
#include <intrin.h>
#endif
#define MERROWIND_SCANNER_SSE2 1
#endif

// Where the scanner stands after the bytes it has examined.
enum CookieScanState {
    kScanInText = 0,          // inside a line of a fortune
    kScanLineStart = 1,       // just after CR or LF inside a fortune
    kScanAfterSeparator = 2   // after a separating "%", skipping line breaks
};

inline int IsLineBreakByte(unsigned char byte)
{
    return byte == '\r' || byte == '\n';
}

// Examines one byte. Returns 1 when this byte is the first byte of a new
// fortune (its offset is the next index entry), else 0. The first fortune
// begins at offset 0 without being reported: a scan starts in kScanInText.
// Inline because the indexer calls it for every byte of files of many MB.
inline int ScanCookieByte(CookieScanState* state, unsigned char byte)
{
    switch (*state) {
    case kScanInText:
        if (IsLineBreakByte(byte)) *state = kScanLineStart;
        return 0;
    case kScanLineStart:
        if (byte == '%') *state = kScanAfterSeparator;
        else if (!IsLineBreakByte(byte)) *state = kScanInText;
        return 0;
    default:
        if (IsLineBreakByte(byte)) return 0;
        *state = kScanInText;
        return 1;
    }
}

// Most bytes of a cookie file are text that changes nothing: bytes without a
// "%" can neither separate nor begin a fortune unless a separator came just
// before them; they only leave the state at line start or in text, by the
// last of them. Looks at the 16 bytes at p, with a state other than
// kScanAfterSeparator, and returns how many of them come before the first
// "%" (16 if there is none); state becomes the state after those bytes,
// exactly as ScanCookieByte would leave it.
const unsigned kPlainBlockSize = 16;
inline unsigned SkipPlainBytes(const unsigned char* p, CookieScanState* state)
{
#if defined(MERROWIND_SCANNER_SSE2)
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    unsigned percent = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('%'))));
    unsigned breaks = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\r')))));
    unsigned plain = kPlainBlockSize;
    if (percent != 0) {
#if defined(_MSC_VER)
        unsigned long first;
        _BitScanForward(&first, percent);
        plain = static_cast<unsigned>(first);
#else
        plain = static_cast<unsigned>(__builtin_ctz(percent));
#endif
    }
    if (plain > 0) *state = ((breaks >> (plain - 1)) & 1u) ? kScanLineStart : kScanInText;
    return plain;
#else
    unsigned plain = 0;
    while (plain < kPlainBlockSize && p[plain] != '%') ++plain;
    if (plain > 0) *state = IsLineBreakByte(p[plain - 1]) ? kScanLineStart : kScanInText;
    return plain;
#endif
}

// Progress is the whole part of (100 / size) * position in double precision,
// the quotient rounded first, clamped to 0..100. A size of 0 counts as 1.
// The quotient is the same for the whole run, so it is computed once.
double ProgressQuotient(uint32_t size);
inline int32_t ProgressValue(double quotient, uint32_t position)
{
    double value = quotient * static_cast<double>(position);
    if (!(value > 0.0)) return 0;
    if (value >= 100.0) return 100;
    return static_cast<int32_t>(value);
}

// The largest fortune a reader takes: the text buffer less its terminator.
const uint32_t kFortuneTextLimit = kTextBufferSize - 1;

// How many of the n bytes read from a fortune's offset belong to it: the
// first byte is always text; a "%" right after CR or LF ends the fortune and
// is not part of it. At most kFortuneTextLimit.
uint32_t CookieFortuneLength(const char* bytes, uint32_t n);

#endif
