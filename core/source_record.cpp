#include "core/source_record.h"

size_t FieldLength(const char* field, size_t fieldSize)
{
    size_t n = 0;
    while (n < fieldSize && field[n] != '\0') ++n;
    return n;
}

void SetField(char* field, size_t fieldSize, const char* text)
{
    if (fieldSize == 0) return;
    size_t n = 0;
    while (n + 1 < fieldSize && text[n] != '\0') {
        field[n] = text[n];
        ++n;
    }
    field[n] = '\0';
}
