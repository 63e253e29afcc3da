// The arithmetic of the fortune window: measuring the wrapped text line by
// line and placing the window and its controls around it. Plain numbers in
// and out; the window code supplies the platform's measurements.
#ifndef MERROWIND_LAYOUT_H
#define MERROWIND_LAYOUT_H

#include <stdint.h>

#include "controls/geometry.h"

// Room around the measured text, in pixels at the default DPI.
const int kTextWidthPad = 4;
const int kTextHeightPad = 16;

// Measures one run of length characters (possibly none) and returns its
// extent as the platform packs it: width in the low 16 bits, height in the
// high 16 bits.
typedef uint32_t (*MeasureRunFunction)(void* context, const char* run, int length);

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

#endif
