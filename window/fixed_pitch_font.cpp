#include "window/fixed_pitch_font.h"

static const char kFixedFontProperty[] = "MerrowindFixedPitchFont";

static int CALLBACK NoteFace(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found)
{
    *reinterpret_cast<int*>(found) = 1;
    return 0;
}

static int HasFace(HDC dc, const char* face)
{
    LOGFONTA wanted;
    ZeroMemory(&wanted, sizeof wanted);
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(wanted.lfFaceName, face, LF_FACESIZE);
    int found = 0;
    EnumFontFamiliesExA(dc, &wanted, NoteFace, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// The dialog's font with its face and pitch replaced: the height (and so the
// DPI) stays that of the text it stands beside.
static HFONT MakeFixedPitchFont(HWND dialog)
{
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    LOGFONTA font;
    if (dialogFont == nullptr || !GetObjectA(dialogFont, sizeof font, &font)) return nullptr;
    LOGFONTA system;
    HDC dc = GetDC(dialog);
    if (HasFace(dc, "Consolas")) {
        lstrcpynA(font.lfFaceName, "Consolas", LF_FACESIZE);
    } else if (HasFace(dc, "Courier New")) {
        lstrcpynA(font.lfFaceName, "Courier New", LF_FACESIZE);
    } else if (GetObjectA(GetStockObject(SYSTEM_FIXED_FONT), sizeof system, &system)) {
        lstrcpynA(font.lfFaceName, system.lfFaceName, LF_FACESIZE);
        font.lfCharSet = system.lfCharSet;
    }
    ReleaseDC(dialog, dc);
    font.lfWidth = 0;
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    return CreateFontIndirectA(&font);
}

int ShowInFixedPitch(HWND dialog, HWND control)
{
    HFONT font = MakeFixedPitchFont(dialog);
    if (font == nullptr) return 0;
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    HFONT before = FixedPitchFontOf(dialog);
    SetPropA(dialog, kFixedFontProperty, font);
    if (before != nullptr) DeleteObject(before);
    return 1;
}

HFONT FixedPitchFontOf(HWND dialog)
{
    return static_cast<HFONT>(GetPropA(dialog, kFixedFontProperty));
}

void ForgetFixedPitchFont(HWND dialog)
{
    HFONT font = static_cast<HFONT>(RemovePropA(dialog, kFixedFontProperty));
    if (font != nullptr) DeleteObject(font);
}
