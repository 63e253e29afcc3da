#include "cookies/index_time.h"

int SameFileTime(uint64_t a, uint64_t b)
{
    uint64_t apart = a > b ? a - b : b - a;
    return apart < kFileTimeSlack ? 1 : 0;
}
