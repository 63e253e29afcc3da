#include "cookies/scanner.h"

double ProgressQuotient(uint32_t size)
{
    return 100.0 / static_cast<double>(size == 0 ? 1u : size);
}

uint32_t LastPositionWithSameProgress(double quotient, uint32_t position)
{
    const uint32_t kNever = 0xFFFFFFFFu;
    int32_t value = ProgressValue(quotient, position);
    if (value >= 100 || position == kNever) return kNever;
    // Where quotient * x first reaches value + 1, estimated and then
    // corrected against the exact values: the first position with a larger
    // value. An estimate at or past the largest position is corrected like
    // any other, since rounding can put the true change just below it.
    double estimate = static_cast<double>(value + 1) / quotient;
    uint32_t next = estimate < 4294967295.0 ? static_cast<uint32_t>(estimate) : kNever;
    if (next <= position) next = position + 1;
    while (next - 1 > position && ProgressValue(quotient, next - 1) > value) --next;
    while (ProgressValue(quotient, next) == value) {
        if (next == kNever) return kNever;
        ++next;
    }
    return next - 1;
}

uint32_t CookieFortuneLength(const char* bytes, uint32_t n)
{
    if (n > kFortuneTextLimit) n = kFortuneTextLimit;
    unsigned char previous = 0;
    for (uint32_t i = 0; i < n; ++i) {
        unsigned char byte = static_cast<unsigned char>(bytes[i]);
        if (byte == '%' && IsLineBreakByte(previous)) return i;
        previous = byte;
    }
    return n;
}
