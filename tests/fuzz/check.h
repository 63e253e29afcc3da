// A property check for fuzz targets: a broken property stops the run with
// the failed condition, so libFuzzer keeps the input that broke it.
#ifndef MERROWIND_FUZZ_CHECK_H
#define MERROWIND_FUZZ_CHECK_H

#include <stdio.h>
#include <stdlib.h>

#define FUZZ_CHECK(condition)                                                            \
    do {                                                                                 \
        if (!(condition)) {                                                              \
            fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            abort();                                                                     \
        }                                                                                \
    } while (0)

#endif
