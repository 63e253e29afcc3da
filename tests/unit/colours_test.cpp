#include <math.h>

#include <gtest/gtest.h>

#include "controls/colours.h"

// Contrast as web accessibility rules define it, from relative luminance.
static double Contrast(uint32_t a, uint32_t b)
{
    double l[2] = {0.05, 0.05};
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 2; ++k) {
            double c = (((k ? b : a) >> (8 * i)) & 0xFF) / 255.0;
            l[k] += (i == 0 ? 0.2126 : i == 1 ? 0.7152 : 0.0722) * (c <= 0.03928 ? c / 12.92 : pow((c + 0.055) / 1.055, 2.4));
        }
    return l[0] > l[1] ? l[0] / l[1] : l[1] / l[0];
}

TEST(Colours, HighContrastWinsThenDarkOnlyForARead0)
{
    const struct { int highContrast, read; uint32_t value; ColourScheme scheme; } rows[] = {
        {0, 1, 0, kDarkScheme},  {0, 1, 1, kLightScheme},        {0, 1, 2, kLightScheme},
        {0, 0, 0, kLightScheme}, {1, 1, 0, kHighContrastScheme}, {1, 0, 1, kHighContrastScheme}};
    for (const auto& r : rows)
        EXPECT_EQ(ChooseColourScheme(r.highContrast, r.read, r.value), r.scheme) << r.highContrast << r.read << r.value;
}

TEST(Colours, EachSchemeHandsOutItsColoursAndDarkOnesAreLegible)
{
    const struct { ColourScheme scheme; ColourRole role; int system; uint32_t rgb; } rows[] = {
        {kLightScheme, kBackgroundRole, 15, 0}, {kLightScheme, kTextRole, 8, 0}, {kLightScheme, kLinkRole, -1, 0xFF0000},
        {kHighContrastScheme, kBackgroundRole, 15, 0}, {kHighContrastScheme, kTextRole, 8, 0},
        {kHighContrastScheme, kLinkRole, 26, 0},  // COLOR_HOTLIGHT, not the selection's COLOR_HIGHLIGHT (13)
        {kDarkScheme, kBackgroundRole, -1, 0x202020}, {kDarkScheme, kTextRole, -1, 0xFFFFFF},
        {kDarkScheme, kLinkRole, -1, 0xFFB366}};
    for (const auto& r : rows) {
        EXPECT_EQ(ColourFor(r.scheme, r.role).systemIndex, r.system) << r.scheme << " " << r.role;
        EXPECT_EQ(ColourFor(r.scheme, r.role).rgb, r.rgb) << r.scheme << " " << r.role;
    }
    EXPECT_NEAR(Contrast(0xFFFFFF, 0), 21.0, 1e-9) << "the rule's own end points";
    for (ColourRole role : {kTextRole, kLinkRole})
        EXPECT_GE(Contrast(ColourFor(kDarkScheme, role).rgb, ColourFor(kDarkScheme, kBackgroundRole).rgb), 4.5) << role;
}
