// The arithmetic of the fortune window: measuring the wrapped text line by
// line and placing the window and its controls around it. Plain numbers in
// and out; the window code supplies the platform's measurements.
#ifndef MERROWIND_LAYOUT_H
#define MERROWIND_LAYOUT_H

#include <stdint.h>

// Room around the measured text, in pixels at the default DPI.
const int kTextWidthPad = 4;
const int kTextHeightPad = 16;

// The DPI that lengths in pixels are given for: 100 % scaling.
const int kDefaultDpi = 96;

// A length of the given pixels at the default DPI, at another DPI: as
// MulDiv(pixels, dpi, 96) gives it, rounded to the nearest pixel, halves
// away from zero.
int ScaleForDpi(int pixels, int dpi);

// Measures one run of length characters (possibly none) and returns its
// extent as the platform packs it: width in the low 16 bits, height in the
// high 16 bits.
typedef uint32_t (*MeasureRunFunction)(void* context, const char* run, int length);

struct TextSize {
    int width;
    int height;
};

// Lines end at LF only (a CR before it is measured with its line). The text
// size is the widest line + 4 by the sum of the line heights + 16; a line
// followed by an empty line counts twice. An empty text is 4 x 16. The pads
// are pixels at the default DPI, scaled to the given one.
TextSize MeasureFortuneText(const char* text, MeasureRunFunction measure, void* context, int dpi);

// The window's margins in dialog units, as this window converts them to
// pixels.
struct DialogMargins {
    int h7, h14, h21;  // horizontal
    int v7, v11, v18;  // vertical
};

// Dialog units the margins are made of.
const int kMarginSmall = 7;
const int kMarginWidth = 14;
const int kMarginMinimumWidth = 21;
const int kMarginOkTop = 11;
const int kMarginHeight = 18;

// Sizes read from the window as the template made it, in pixels.
struct FortuneWindowParts {
    int frameWidth, frameHeight;    // outer size minus client size
    int okWidth, okHeight;          // OK button, outer
    int homeWidth, homeHeight;      // the maker's link, outer
    int settingsHeight;             // the settings link, outer
};

struct FortunePlaces {
    int okX, okY;
    int homeX, homeY;
    int settingsX, settingsY;
};

// The window's outer size around the text: the text plus the frame and a
// margin, never narrower than two OK buttons, the maker's link and a margin.
TextSize FortuneWindowSize(const FortuneWindowParts& parts, TextSize text, const DialogMargins& m);

// Where the OK button and the two links go in a client area of the given
// size: OK centred below the text, the links in the bottom corners.
FortunePlaces PlaceFortuneControls(const FortuneWindowParts& parts, TextSize text,
                                   const DialogMargins& m, int clientWidth, int clientHeight);

// Where every window of the program goes, along one axis: the edge that
// centres a window of the given size on a screen of the given size, each
// half truncated toward zero, not clamped to the screen.
int CentredOrigin(int screenSize, int windowSize);

// The edge of a span of the given length that starts at start, moved as
// little as it must to lie inside [low, high); a span longer than the room
// starts at low.
int KeptInside(int start, int length, int low, int high);

// A rectangle of the screen, in pixels: the work area of a monitor.
struct ScreenArea {
    int left, top, right, bottom;
};

// The window as it goes on the screen.
struct FortuneFit {
    TextSize window;   // outer size
    TextSize text;     // the text control: the whole text, or the part in view
    int scrolls;       // 1 when the text is taller than the view and scrolls
    int x, y;          // top-left corner
};

// Sizes and places the window around the text, in the work area of the
// monitor it opens on. A window that fits the work area in height is sized
// as FortuneWindowSize says; a taller one is cut to the work area's height,
// and its text control to what remains above OK and the links, one scroll
// bar wider. The window is centred in the work area (each half truncated),
// then moved as little as it must to stay inside it (when the window is
// wider than the area, its left edge goes to the area's left edge).
FortuneFit FitFortuneWindow(const FortuneWindowParts& parts, TextSize text, const DialogMargins& m,
                            int scrollBarWidth, ScreenArea area);

// The height of a line of the text, in pixels: as the font measures it, or,
// when it could not be measured (0 or less), a default line at the DPI.
const int kFallbackLineHeight = 13;
int TextLineHeight(int measured, int dpi);

// The scroll position clamped to 0 .. content - view (0 when all is in view).
int ClampScrollPosition(int position, int contentHeight, int viewHeight);

// The wheel: a notch is a delta of 120. Precise wheels and touch pads send
// parts of a notch, so what a delta does not scroll is kept for the next.
const int kWheelNotch = 120;
// The user's lines per notch that stands for a page per notch.
const unsigned kWheelPageScroll = 0xFFFFFFFFu;

// Pixels one notch scrolls: the user's lines per notch, or one page when
// that is more than the view holds (as a page per notch always is); 0 when
// the user has turned wheel scrolling off.
int WheelNotchPixels(unsigned linesPerNotch, int lineHeight, int pageHeight);

struct WheelTurn {
    int pixels;     // to scroll: positive down the text, towards its end
    int remainder;  // what is left for the next delta, in 120ths of a pixel
};

// One wheel delta (positive turns away from the user, towards the start of
// the text) added to the remainder of the ones before, which is dropped
// when the wheel turns the other way.
WheelTurn TurnWheel(int remainder, int wheelDelta, int notchPixels);

#endif
