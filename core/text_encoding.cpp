#include "core/text_encoding.h"

static const unsigned char kMark[kUtf8MarkLength] = {0xEF, 0xBB, 0xBF};

uint32_t Utf8MarkLength(const char* bytes, uint32_t size)
{
    if (size < kUtf8MarkLength) return 0;
    for (uint32_t i = 0; i < kUtf8MarkLength; ++i)
        if (static_cast<unsigned char>(bytes[i]) != kMark[i]) return 0;
    return kUtf8MarkLength;
}

void DropUtf8Mark(char* text)
{
    // Never looked at past the terminator: a shorter text has no mark.
    uint32_t available = 0;
    while (available < kUtf8MarkLength && text[available] != '\0') ++available;
    if (Utf8MarkLength(text, available) == 0) return;
    uint32_t w = 0;
    while ((text[w] = text[w + kUtf8MarkLength]) != '\0') ++w;
}

static int IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The character at text and its value; 0 bytes when there is none.
static uint32_t DecodeOne(const unsigned char* text, uint32_t available, uint32_t* value)
{
    if (available == 0) return 0;
    unsigned char lead = text[0];
    uint32_t length;
    uint32_t smallest;
    if (lead < 0x80) {
        *value = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        smallest = 0x80;
        *value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        smallest = 0x800;
        *value = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        smallest = 0x10000;
        *value = lead & 0x07u;
    } else {
        return 0;  // a continuation byte, C0, C1 or F5 to FF
    }
    if (available < length) return 0;
    for (uint32_t i = 1; i < length; ++i) {
        if (!IsContinuation(text[i])) return 0;
        *value = (*value << 6) | (text[i] & 0x3Fu);
    }
    if (*value < smallest || *value > 0x10FFFF) return 0;
    if (*value >= 0xD800 && *value <= 0xDFFF) return 0;
    return length;
}

uint32_t Utf8CharacterLength(const char* text, uint32_t available)
{
    uint32_t value;
    return DecodeOne(reinterpret_cast<const unsigned char*>(text), available, &value);
}

int IsUtf8Fortune(const char* text)
{
    int beyondAscii = 0;
    for (uint32_t i = 0; text[i] != '\0';) {
        uint32_t length = Utf8CharacterLength(text + i, 4);
        if (length == 0) return 0;
        if (length > 1) beyondAscii = 1;
        i += length;
    }
    return beyondAscii;
}

uint32_t DecodeUtf8(const char* text, uint32_t length, uint16_t* out, uint32_t capacity)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    uint32_t r = 0;
    uint32_t w = 0;
    while (r < length) {
        uint32_t value;
        uint32_t taken = DecodeOne(bytes + r, length - r, &value);
        if (taken == 0) {
            value = 0xFFFD;
            taken = 1;
        }
        if (value >= 0x10000) {
            if (capacity - w < 2) break;
            value -= 0x10000;
            out[w++] = static_cast<uint16_t>(0xD800 + (value >> 10));
            out[w++] = static_cast<uint16_t>(0xDC00 + (value & 0x3FF));
        } else {
            if (capacity - w < 1) break;
            out[w++] = static_cast<uint16_t>(value);
        }
        r += taken;
    }
    return w;
}

int IsAnsiLeadByte(const AnsiLeadBytes* lead, unsigned char byte)
{
    if (lead == nullptr) return 0;
    for (int i = 0; i + 1 < kLeadByteTableSize; i += 2) {
        unsigned char first = lead->ranges[i];
        unsigned char last = lead->ranges[i + 1];
        if (first == 0 && last == 0) break;
        if (byte >= first && byte <= last) return 1;
    }
    return 0;
}

uint32_t AnsiCharacterLength(const char* text, uint32_t available, const AnsiLeadBytes* lead)
{
    if (available >= 2 && text[1] != '\0' && IsAnsiLeadByte(lead, static_cast<unsigned char>(text[0])))
        return 2;
    return 1;
}

// Whether the length bytes at text, fewer than a character needs, begin a
// well-formed one. The second byte's allowed range always holds 0x80 or
// 0xBF, and later bytes take any continuation byte, so completing with one
// or the other shows it.
static int BeginsUtf8Character(const unsigned char* text, uint32_t length)
{
    const unsigned char fills[] = {0x80, 0xBF};
    for (unsigned char fill : fills) {
        unsigned char whole[4];
        for (uint32_t i = 0; i < 4; ++i) whole[i] = i < length ? text[i] : fill;
        uint32_t value;
        if (DecodeOne(whole, 4, &value) > length) return 1;
    }
    return 0;
}

// WholeCharactersLength, and whether the cut was taken as UTF-8.
static uint32_t WholeCharacters(const char* text, uint32_t length, const AnsiLeadBytes* lead, int* utf8)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    uint32_t whole = 0;
    uint32_t value;
    for (uint32_t taken; whole < length && (taken = DecodeOne(bytes + whole, length - whole, &value)) != 0;)
        whole += taken;
    *utf8 = 1;
    if (whole == length) return length;
    if (length - whole < 4 && BeginsUtf8Character(bytes + whole, length - whole)) return whole;
    // ANSI: only a walk from the start tells a lead byte from a trail byte.
    *utf8 = 0;
    uint32_t at = 0;
    while (at + 1 < length) at += AnsiCharacterLength(text + at, length - at, lead);
    return at == length - 1 && IsAnsiLeadByte(lead, bytes[at]) ? at : length;
}

uint32_t WholeCharactersLength(const char* text, uint32_t length, const AnsiLeadBytes* lead)
{
    int utf8;
    return WholeCharacters(text, length, lead, &utf8);
}

// How many bytes at the start of text finish the character that cut holds.
static uint32_t RestOfCutCharacter(const CutCharacter* cut, const char* text, uint32_t length)
{
    if (cut->length == 0 || length == 0) return 0;
    if (!cut->utf8) return 1;  // the trail byte of a lone lead byte
    unsigned char joined[4];
    uint32_t available = 0;
    for (uint32_t i = 0; i < cut->length; ++i) joined[available++] = static_cast<unsigned char>(cut->bytes[i]);
    for (uint32_t i = 0; i < length && available < 4; ++i) joined[available++] = static_cast<unsigned char>(text[i]);
    uint32_t value;
    uint32_t taken = DecodeOne(joined, available, &value);
    return taken > cut->length ? taken - cut->length : 0;
}

uint32_t KeepWholeCharacters(CutCharacter* cut, char* piece, int cutAtEnd, const AnsiLeadBytes* lead)
{
    uint32_t length = 0;
    while (piece[length] != '\0') ++length;
    uint32_t first = RestOfCutCharacter(cut, piece, length);
    uint32_t end = length;
    cut->length = 0;
    if (cutAtEnd) {
        end = WholeCharacters(piece, length, lead, &cut->utf8);
        for (uint32_t i = end; i < length; ++i) cut->bytes[cut->length++] = piece[i];
    }
    if (first > end) first = end;
    for (uint32_t i = first; i < end; ++i) piece[i - first] = piece[i];
    piece[end - first] = '\0';
    return end - first;
}
