// The colours of a window that follows the user's choice in Windows: the
// scheme (light, dark for apps, high contrast) and the colours each scheme
// hands out. Plain numbers in and out; the window code reads the choice.
#ifndef MERROWIND_COLOURS_H
#define MERROWIND_COLOURS_H

#include <stdint.h>

enum ColourScheme { kLightScheme, kDarkScheme, kHighContrastScheme };

// High contrast wins over everything; then dark when the user's "apps use
// the light theme" value could be read and is 0; else light, so a missing
// or unreadable value (older Windows) keeps the light look.
ColourScheme ChooseColourScheme(int highContrast, int valueRead, uint32_t appsUseLightTheme);

enum ColourRole { kBackgroundRole, kTextRole, kLinkRole };

// System colours by their index (the COLOR_ constants, which the window
// code checks against these).
const int kFaceSystemColour = 15;       // COLOR_BTNFACE
const int kTextSystemColour = 8;        // COLOR_WINDOWTEXT
const int kHyperlinkSystemColour = 26;  // COLOR_HOTLIGHT

// A colour as a scheme hands it out: one of the system's (systemIndex 0 or
// more), or a fixed one (systemIndex -1) in rgb, laid out as a COLORREF
// (0x00BBGGRR).
struct SchemeColour {
    int systemIndex;
    uint32_t rgb;
};

uint32_t RgbColour(int red, int green, int blue);

// Light is the system's look with pure blue links; high contrast the
// scheme's colours, links in its hyperlink colour; dark a fixed dark grey
// with white text and light blue links.
SchemeColour ColourFor(ColourScheme scheme, ColourRole role);

#endif
