// The arithmetic every window of the program shares: lengths at a DPI,
// centring a window and keeping it inside an area, scroll positions and the
// mouse wheel. Plain numbers in and out.
#ifndef MERROWIND_GEOMETRY_H
#define MERROWIND_GEOMETRY_H

// The DPI that lengths in pixels are given for: 100 % scaling.
const int kDefaultDpi = 96;

// A length of the given pixels at the default DPI, at another DPI: as
// MulDiv(pixels, dpi, 96) gives it, rounded to the nearest pixel, halves
// away from zero.
int ScaleForDpi(int pixels, int dpi);

struct TextSize {
    int width;
    int height;
};

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
