#include "cookies/scanner.h"

double ProgressQuotient(uint32_t size)
{
    return 100.0 / static_cast<double>(size == 0 ? 1u : size);
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
