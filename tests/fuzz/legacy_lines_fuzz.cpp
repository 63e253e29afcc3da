// Any "Fortune.txt": the bytes go through a model of the runtime's text-mode
// line reader (CR LF reads as LF, Ctrl-Z ends the file, pieces of at most
// 4098 characters) into the line rules, which must count exactly the pieces
// longer than one character and take the switch from the first piece only.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "cookies/legacy_lines.h"
#include "tests/fuzz/check.h"

static std::vector<std::string> TextModePieces(const uint8_t* data, size_t size)
{
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 26) break;
        if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n') continue;
        text += static_cast<char>(data[i]);
    }
    std::vector<std::string> pieces;
    std::string piece;
    for (char c : text) {
        piece += c;
        if (c == '\n' || piece.size() == static_cast<size_t>(kLegacyPieceLimit)) {
            pieces.push_back(piece);
            piece.clear();
        }
    }
    if (!piece.empty()) pieces.push_back(piece);
    return pieces;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    uint32_t incoming = size > 0 ? data[0] : 0;
    std::vector<std::string> pieces = TextModePieces(data, size);

    LegacyLineTally tally;
    BeginLegacyTally(&tally, incoming);
    uint32_t expected = 0;
    for (const std::string& piece : pieces) {
        // The reader hands over a buffer of its own size, as the program does.
        char buffer[kLegacyLineBufferSize];
        FUZZ_CHECK(piece.size() < sizeof buffer);
        memcpy(buffer, piece.c_str(), piece.size() + 1);
        TallyLegacyPiece(&tally, buffer);
        if (strlen(piece.c_str()) > 1) ++expected;
    }
    FUZZ_CHECK(tally.count == expected);
    FUZZ_CHECK(tally.count <= pieces.size());
    if (pieces.empty()) {
        FUZZ_CHECK(tally.replace == incoming);
    } else {
        bool extra = strstr(pieces[0].c_str(), "EXTRA") != nullptr;
        FUZZ_CHECK(tally.replace == (extra ? 1u : 0u));
    }
    return 0;
}
