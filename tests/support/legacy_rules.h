// An independent reading of "Fortune.txt" for tests: the pieces in which the
// runtime's text-mode line reader hands the file over, which of them count as
// fortunes, what the first one says about the built-in collection, and the
// text a line gives. Written from the file's rules, not from the program's
// code. Header only and pure, so unit tests, fuzz targets and end-to-end
// tests share it.
#ifndef MERROWIND_TESTS_LEGACY_RULES_H
#define MERROWIND_TESTS_LEGACY_RULES_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

// A line buffer of 4100 bytes: one read takes at most 4098 characters, so
// that an LF and the NUL still fit.
const size_t kRulesPieceLimit = 4098;

// Ctrl-Z ends the file, CR LF reads as LF (a lone CR stays), and a piece ends
// after an LF or after 4098 characters.
inline std::vector<std::string> TextModePieces(const std::string& raw)
{
    std::vector<std::string> pieces;
    std::string piece;
    for (size_t i = 0; i < raw.size() && raw[i] != '\x1A'; ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        piece += raw[i];
        if (raw[i] == '\n' || piece.size() == kRulesPieceLimit) {
            pieces.push_back(piece);
            piece.clear();
        }
    }
    if (!piece.empty()) pieces.push_back(piece);
    return pieces;
}

// The program sees a piece as a C string: it ends at its first NUL.
inline std::string CString(const std::string& bytes)
{
    return bytes.substr(0, bytes.find('\0'));
}

// Fortune lines are pieces longer than one character.
inline uint32_t LegacyCountByTheRules(const std::vector<std::string>& pieces)
{
    uint32_t count = 0;
    for (const std::string& piece : pieces)
        if (CString(piece).size() > 1) ++count;
    return count;
}

// The first piece alone decides: 1 if it holds "EXTRA"; with no piece at all
// the switch stays as it came in.
inline uint32_t LegacyReplaceByTheRules(const std::vector<std::string>& pieces, uint32_t incoming)
{
    if (pieces.empty()) return incoming;
    return CString(pieces[0]).find("EXTRA") != std::string::npos ? 1u : 0u;
}

// Each backslash and "n", taken from the left, becomes a space and an LF.
inline std::string LegacyEscapesByTheRules(std::string text)
{
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '\\' && text[i + 1] == 'n') {
            text[i] = ' ';
            text[i + 1] = '\n';
        }
    }
    return text;
}

// Line r over the pieces that count, or the last of them when there are
// fewer; with none, nothing.
inline std::string LegacyFortuneByTheRules(const std::vector<std::string>& pieces, uint32_t r)
{
    std::vector<std::string> counted;
    for (const std::string& piece : pieces)
        if (CString(piece).size() > 1) counted.push_back(CString(piece));
    if (counted.empty()) return std::string();
    return LegacyEscapesByTheRules(counted[r < counted.size() ? r : counted.size() - 1]);
}

#endif
