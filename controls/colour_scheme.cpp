#include "controls/colour_scheme.h"

#include "core/system_dlls.h"

static_assert(kFaceSystemColour == COLOR_BTNFACE, "the face's system colour");
static_assert(kTextSystemColour == COLOR_WINDOWTEXT, "the text's system colour");
static_assert(kHyperlinkSystemColour == COLOR_HOTLIGHT, "the hyperlink's system colour");

static const char kPersonalizeKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
static const char kAppsUseLightTheme[] = "AppsUseLightTheme";
// The scheme a window follows, plus one, so that 0 means none.
static const char kSchemeProperty[] = "MerrowindColourScheme";
// DWMWA_USE_IMMERSIVE_DARK_MODE; Windows 10 before 20H1 knew it as 19.
static const DWORD kDarkCaptionAttribute = 20;
static const DWORD kOlderDarkCaptionAttribute = 19;
// The theme class names Windows' own programs draw dark controls with.
static const wchar_t kDarkThemeApplication[] = L"DarkMode_Explorer";

static int HighContrastOn()
{
    HIGHCONTRASTA contrast;
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

ColourScheme ReadColourScheme()
{
    DWORD value = 1, type = 0, size = sizeof value;
    int read = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kPersonalizeKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        read = RegQueryValueExA(key, kAppsUseLightTheme, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
                   ERROR_SUCCESS &&
               type == REG_DWORD && size == sizeof value;
        RegCloseKey(key);
    }
    return ChooseColourScheme(HighContrastOn(), read, value);
}

// The scheme the window follows; a window that does not follow the choice
// (or holds a link that is not its own) has the system's.
static ColourScheme SchemeOf(HWND window)
{
    INT_PTR kept = reinterpret_cast<INT_PTR>(GetPropA(GetAncestor(window, GA_ROOT), kSchemeProperty));
    if (kept == 0) return ChooseColourScheme(HighContrastOn(), 0, 1);
    return static_cast<ColourScheme>(kept - 1);
}

static COLORREF Resolve(SchemeColour colour)
{
    return colour.systemIndex >= 0 ? GetSysColor(colour.systemIndex) : static_cast<COLORREF>(colour.rgb);
}

static BOOL CALLBACK ThemeChild(HWND child, LPARAM dark)
{
    SetControlTheme(child, dark ? kDarkThemeApplication : nullptr);
    return TRUE;
}

// Caption, buttons and scroll bars: dark, or the system's own again. Where
// the system has no dark theme classes the controls keep their usual look.
// On a switch while the window is open its frame is recomputed: Windows 10
// draws the caption in its new colours only then (Windows 11 by itself).
static void DarkenFrameAndControls(HWND window, BOOL dark, int switched)
{
    if (FAILED(SetWindowAttributeDwm(window, kDarkCaptionAttribute, &dark, sizeof dark)))
        SetWindowAttributeDwm(window, kOlderDarkCaptionAttribute, &dark, sizeof dark);
    if (switched)
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EnumChildWindows(window, ThemeChild, dark);
}

void FollowColourScheme(HWND window)
{
    INT_PTR before = reinterpret_cast<INT_PTR>(GetPropA(window, kSchemeProperty));
    ColourScheme scheme = ReadColourScheme();
    SetPropA(window, kSchemeProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(scheme) + 1));
    // In light and high contrast nothing is asked of the system (nor its
    // DLLs loaded) unless the window was dark before.
    if (scheme == kDarkScheme || before == kDarkScheme + 1)
        DarkenFrameAndControls(window, scheme == kDarkScheme, before != 0);
    if (before != 0) RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void ForgetColourScheme(HWND window)
{
    RemovePropA(window, kSchemeProperty);
}

int IsColourSettingChange(WPARAM wParam, LPARAM lParam)
{
    if (wParam == SPI_SETHIGHCONTRAST) return 1;
    const char* area = reinterpret_cast<const char*>(lParam);
    return area != nullptr && lstrcmpiA(area, "ImmersiveColorSet") == 0;
}

HBRUSH ColourControl(HWND window, HDC dc)
{
    ColourScheme scheme = SchemeOf(window);
    SchemeColour background = ColourFor(scheme, kBackgroundRole);
    if (background.systemIndex >= 0) return nullptr;
    // One brush for the life of the process, as the system's own are: the
    // dark scheme is the one with a background of its own.
    static HBRUSH brush = nullptr;
    if (brush == nullptr) brush = CreateSolidBrush(background.rgb);
    SetTextColor(dc, Resolve(ColourFor(scheme, kTextRole)));
    SetBkColor(dc, background.rgb);
    return brush;
}

void LinkColours(HWND control, COLORREF* text, COLORREF* background)
{
    ColourScheme scheme = SchemeOf(control);
    *text = Resolve(ColourFor(scheme, kLinkRole));
    *background = Resolve(ColourFor(scheme, kBackgroundRole));
}
