#include "controls/colours.h"

ColourScheme ChooseColourScheme(int highContrast, int valueRead, uint32_t appsUseLightTheme)
{
    if (highContrast) return kHighContrastScheme;
    return valueRead && appsUseLightTheme == 0 ? kDarkScheme : kLightScheme;
}

uint32_t RgbColour(int red, int green, int blue)
{
    return static_cast<uint32_t>(red) | static_cast<uint32_t>(green) << 8 | static_cast<uint32_t>(blue) << 16;
}

static SchemeColour System(int index)
{
    SchemeColour colour = {index, 0};
    return colour;
}

static SchemeColour Fixed(int red, int green, int blue)
{
    SchemeColour colour = {-1, RgbColour(red, green, blue)};
    return colour;
}

SchemeColour ColourFor(ColourScheme scheme, ColourRole role)
{
    switch (scheme) {
    case kDarkScheme:
        // The background of Windows' own dark windows. The link's blue is
        // light enough to read on it (a contrast of 7.3 to 1; web
        // accessibility rules ask for 4.5).
        if (role == kBackgroundRole) return Fixed(32, 32, 32);
        if (role == kTextRole) return Fixed(255, 255, 255);
        return Fixed(102, 179, 255);
    case kHighContrastScheme:
        // The hyperlink colour, which the scheme keeps legible on its face;
        // not the selection's, which is made to sit under text.
        if (role == kLinkRole) return System(kHyperlinkSystemColour);
        break;
    case kLightScheme:
        if (role == kLinkRole) return Fixed(0, 0, 255);
        break;
    }
    return System(role == kBackgroundRole ? kFaceSystemColour : kTextSystemColour);
}
