// The fixed-size description of one fortune source, stored whole as one
// registry value. Pure: no platform headers, so any code can use it.
#ifndef MERROWIND_SOURCE_RECORD_H
#define MERROWIND_SOURCE_RECORD_H

#include <stddef.h>
#include <stdint.h>

enum SourceKind {
    kSourceBuiltIn = 0,
    kSourceLegacyText = 1,
    kSourceCookieFile = 2
};

const int kNameFieldSize = 256;
const int kPathFieldSize = 260;

struct SourceRecord {
    int32_t active;
    int32_t kind;
    uint32_t count;
    char name[kNameFieldSize];
    char cookiePath[kPathFieldSize];
    char indexPath[kPathFieldSize];
};

// The stored format is the in-memory layout, byte for byte.
static_assert(sizeof(SourceRecord) == 788, "a stored record is 788 bytes");
static_assert(offsetof(SourceRecord, active) == 0, "active at 0");
static_assert(offsetof(SourceRecord, kind) == 4, "kind at 4");
static_assert(offsetof(SourceRecord, count) == 8, "count at 8");
static_assert(offsetof(SourceRecord, name) == 12, "name at 12");
static_assert(offsetof(SourceRecord, cookiePath) == 268, "cookiePath at 268");
static_assert(offsetof(SourceRecord, indexPath) == 528, "indexPath at 528");

const uint32_t kSourceRecordSize = sizeof(SourceRecord);

// Registry values are input that anyone can write: a text field need not hold
// a terminating NUL. These helpers treat such a field as cut at its end and
// never look past it.
size_t FieldLength(const char* field, size_t fieldSize);

// Copies a text field into a buffer one byte larger than the field, always
// NUL-terminated, so that platform calls get a proper C string.
template <size_t N>
void FieldString(const char (&field)[N], char (&out)[N + 1])
{
    size_t n = FieldLength(field, N);
    for (size_t i = 0; i < n; ++i) out[i] = field[i];
    out[n] = '\0';
}

// Sets a text field from a C string, cut so that the terminator fits.
void SetField(char* field, size_t fieldSize, const char* text);

#endif
