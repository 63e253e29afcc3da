#include "tests/support/shown_text.h"

#include "core/product.h"
#include "tests/support/cookie_split.h"
#include "window/wrap.h"

bool ReadsAsUtf8(const std::string& bytes)
{
    bool beyondAscii = false;
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) beyondAscii = true;
    return beyondAscii && MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                              static_cast<int>(bytes.size()), nullptr, 0) > 0;
}

std::wstring DecodedAsShown(const std::string& bytes)
{
    if (bytes.empty()) return std::wstring();
    UINT page = ReadsAsUtf8(bytes) ? CP_UTF8 : CP_ACP;
    int n = MultiByteToWideChar(page, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(page, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], n);
    return text;
}

std::wstring ExpectedShownText(const std::string& fortune)
{
    std::vector<char> buffer(kTextBufferSize, '\0');
    lstrcpynA(buffer.data(), fortune.c_str(), kTextBufferSize);
    if (ReadsAsUtf8(fortune))
        WrapUtf8FortuneText(buffer.data(), kTextBufferSize);
    else
        WrapFortuneText(buffer.data(), kTextBufferSize);
    return DecodedAsShown(buffer.data());
}

std::wstring WideTextOf(HWND control)
{
    int length = GetWindowTextLengthW(control);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    int n = GetWindowTextW(control, text.data(), length + 1);
    return std::wstring(text.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

std::string Utf8Of(const std::wstring& text)
{
    if (text.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], n, nullptr, nullptr);
    return bytes;
}

std::vector<std::wstring> LinesOf(const std::wstring& text)
{
    std::vector<std::wstring> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' || text[i] == L'\n') {
            if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    return lines;
}

std::vector<std::string> CookieFortunesOf(const std::string& fileBytes)
{
    std::vector<std::string> fortunes;
    for (const SplitFortune& f : SplitCookieText(fileBytes)) {
        size_t offset = f.offset;
        size_t length = f.length;
        if (offset == 0 && fileBytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            // The mark is dropped; the fortune still ends where the file's
            // first separator is.
            offset = 3;
            length = length >= 3 ? length - 3 : 0;
        }
        fortunes.push_back(fileBytes.substr(offset, length < kTextBufferSize - 1 ? length : kTextBufferSize - 1));
    }
    return fortunes;
}
