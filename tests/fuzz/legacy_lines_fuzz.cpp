// Any "Fortune.txt": the bytes go through the tests' model of the runtime's
// text-mode line reader into the line rules, which must count and switch as
// the tests' own reading of the rules says.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "cookies/legacy_lines.h"
#include "tests/fuzz/check.h"
#include "tests/support/legacy_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    uint32_t incoming = size > 0 ? data[0] : 0;
    std::vector<std::string> pieces = TextModePieces(std::string(reinterpret_cast<const char*>(data), size));

    LegacyLineTally tally;
    BeginLegacyTally(&tally, incoming);
    for (const std::string& piece : pieces) {
        // The reader hands over a buffer of its own size, as the program does.
        char buffer[kLegacyLineBufferSize];
        FUZZ_CHECK(piece.size() < sizeof buffer);
        memcpy(buffer, piece.c_str(), piece.size() + 1);
        TallyLegacyPiece(&tally, buffer);
    }
    FUZZ_CHECK(tally.count == LegacyCountByTheRules(pieces));
    FUZZ_CHECK(tally.count <= pieces.size());
    FUZZ_CHECK(tally.replace == LegacyReplaceByTheRules(pieces, incoming));
    return 0;
}
