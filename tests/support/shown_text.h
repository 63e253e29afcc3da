// What the fortune window shows for a fortune's bytes, worked out beside the
// window: Windows' own decoder tells UTF-8 from ANSI text and decodes it, so
// the window's decision and decoding are checked against another reading.
#ifndef MERROWIND_TESTS_SHOWN_TEXT_H
#define MERROWIND_TESTS_SHOWN_TEXT_H

#include <windows.h>

#include <string>
#include <vector>

// Whether Windows reads the bytes as well-formed UTF-8 with a character
// beyond ASCII.
bool ReadsAsUtf8(const std::string& bytes);

// The bytes decoded as UTF-8 or, when they are not UTF-8, in the ANSI code
// page.
std::wstring DecodedAsShown(const std::string& bytes);

// The fortune as the window shows it: wrapped (by characters for UTF-8, by
// bytes otherwise) and decoded.
std::wstring ExpectedShownText(const std::string& fortune);

// A control's text through the wide-character call.
std::wstring WideTextOf(HWND control);

// UTF-8 of a wide text, for readable failure messages.
std::string Utf8Of(const std::wstring& text);

// The lines of a text split at CR LF, LF or CR.
std::vector<std::wstring> LinesOf(const std::wstring& text);

// The fortunes of a cookie file, each as its bytes (the reader's view: a
// byte-order mark at the start belongs to none).
std::vector<std::string> CookieFortunesOf(const std::string& fileBytes);

#endif
