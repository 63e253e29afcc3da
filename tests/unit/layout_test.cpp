#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "window/layout.h"

// A stand-in for the platform's text measurement: 7 pixels per character,
// and a height of 10 + the run's length so that each run's share of the total
// can be told apart. It records the runs it was given.
struct FakeMeasure {
    std::vector<std::string> runs;
    static uint32_t Measure(void* context, const char* run, int length)
    {
        FakeMeasure* self = static_cast<FakeMeasure*>(context);
        self->runs.push_back(std::string(run, length));
        uint32_t width = 7u * static_cast<uint32_t>(length);
        uint32_t height = 10u + static_cast<uint32_t>(length);
        return width | (height << 16);
    }
};

static TextSize MeasureWithFake(const char* text, std::vector<std::string>* runs, int dpi = kDefaultDpi)
{
    FakeMeasure fake;
    TextSize size = MeasureFortuneText(text, FakeMeasure::Measure, &fake, dpi);
    *runs = fake.runs;
    return size;
}

TEST(Measure, RunsEndAtLineFeedsAndAnEmptyLineCountsTheOneBeforeTwice)
{
    std::vector<std::string> runs;
    TextSize size = MeasureWithFake("a\n\nb", &runs);
    EXPECT_EQ(runs, (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(size.width, 7 + 4);
    // "a" twice (11 + 11), the empty run (10), "b" (11), and the pad.
    EXPECT_EQ(size.height, 11 + 11 + 10 + 11 + 16);
}

TEST(Measure, CarriageReturnsStayInTheirRunAndTheLastLineIsWhole)
{
    std::vector<std::string> runs;
    TextSize size = MeasureWithFake("abc\r\nlonger line", &runs);
    EXPECT_EQ(runs, (std::vector<std::string>{"abc\r", "longer line"}));
    EXPECT_EQ(size.width, 7 * 11 + 4) << "the widest run decides";
    EXPECT_EQ(size.height, 14 + 21 + 16);
}

TEST(Measure, TextEndingInLineFeedHasNoRunAfterIt)
{
    std::vector<std::string> runs;
    TextSize size = MeasureWithFake("abc\n", &runs);
    EXPECT_EQ(runs, (std::vector<std::string>{"abc"}));
    EXPECT_EQ(size.height, 13 + 16);

    size = MeasureWithFake("\n", &runs);
    EXPECT_EQ(runs, (std::vector<std::string>{""}));
    EXPECT_EQ(size.width, 4);
    EXPECT_EQ(size.height, 10 + 16);
}

TEST(Measure, EmptyTextMeasuresNothing)
{
    std::vector<std::string> runs;
    TextSize size = MeasureWithFake("", &runs);
    EXPECT_EQ(runs.size(), 0u) << "an empty text measures no run";
    EXPECT_EQ(size.width, 4);
    EXPECT_EQ(size.height, 16);
}

TEST(Measure, PadsAndOtherPixelLengthsFollowTheDpi)
{
    // As MulDiv(pixels, dpi, 96) rounds: halves away from zero.
    const struct { int pixels, dpi, scaled; } rows[] = {{4, 96, 4}, {16, 96, 16}, {4, 192, 8}, {16, 192, 32},
        {4, 144, 6}, {16, 120, 20}, {175, 144, 263}, {4, 107, 4}, {4, 108, 5}, {-4, 108, -5}};
    for (const auto& r : rows) EXPECT_EQ(ScaleForDpi(r.pixels, r.dpi), r.scaled) << r.pixels << " at " << r.dpi;
    // A line the font could not measure (0) is a default line at the DPI.
    const struct { int measured, dpi, line; } lines[] = {{0, 96, 13}, {0, 192, 26}, {-1, 144, 20}, {1, 192, 1}, {15, 192, 15}};
    for (const auto& l : lines) EXPECT_EQ(TextLineHeight(l.measured, l.dpi), l.line) << l.measured << " at " << l.dpi;
    std::vector<std::string> runs;
    TextSize size = MeasureWithFake("a\n\nb", &runs, 192);
    EXPECT_EQ(size.width, 7 + 8);
    EXPECT_EQ(size.height, 11 + 11 + 10 + 11 + 32);
}

static uint32_t WideExtent(void*, const char*, int) { return 0xFFFFu | (18u << 16); }

TEST(Measure, ExtentHalvesAreUnsigned)
{
    TextSize size = MeasureFortuneText("x\ny", WideExtent, nullptr, kDefaultDpi);
    EXPECT_EQ(size.width, 65535 + 4);
    EXPECT_EQ(size.height, 18 + 18 + 16);
}

// Figures close to what 8 point "MS Sans Serif" gives at 96 dots per inch.
static FortuneWindowParts Parts()
{
    FortuneWindowParts parts;
    parts.frameWidth = 6;
    parts.frameHeight = 25;
    parts.okWidth = 75;
    parts.okHeight = 23;
    parts.homeWidth = 38;
    parts.homeHeight = 13;
    parts.settingsHeight = 12;
    return parts;
}

static DialogMargins Margins()
{
    DialogMargins m;
    m.h7 = 11;
    m.h14 = 21;
    m.h21 = 32;
    m.v7 = 11;
    m.v11 = 18;
    m.v18 = 29;
    return m;
}

TEST(Layout, WindowIsTheTextPlusFrameAndMargins)
{
    TextSize text = {500, 200};
    TextSize window = FortuneWindowSize(Parts(), text, Margins());
    EXPECT_EQ(window.width, 6 + 500 + 21);
    EXPECT_EQ(window.height, 25 + 200 + 23 + 29);
}

TEST(Layout, ShortTextGetsTheMinimumWidth)
{
    // Two OK buttons, the maker's link and 21 dialog units; the settings
    // link's width plays no part.
    const int minimum = 2 * 75 + 38 + 32;
    TextSize text = {4, 16};
    EXPECT_EQ(FortuneWindowSize(Parts(), text, Margins()).width, minimum);
    text.width = minimum - 6 - 21 - 1;
    EXPECT_EQ(FortuneWindowSize(Parts(), text, Margins()).width, minimum);
    text.width = minimum - 6 - 21 + 1;
    EXPECT_EQ(FortuneWindowSize(Parts(), text, Margins()).width, minimum + 1);
}

TEST(Layout, ControlsGoBelowTheTextAndIntoTheCorners)
{
    TextSize text = {300, 120};
    FortunePlaces p = PlaceFortuneControls(Parts(), text, Margins(), 520, 300);
    // Each half truncated on its own: 260 - 37, not (520 - 75) / 2.
    EXPECT_EQ(p.okX, 223);
    EXPECT_EQ(p.okY, 120 + 18);
    EXPECT_EQ(p.homeX, 520 - 38 - 11);
    EXPECT_EQ(p.homeY, 300 - 13 - 11);
    EXPECT_EQ(p.settingsX, 11);
    EXPECT_EQ(p.settingsY, 300 - 12 - 11);
}

TEST(Layout, CentringTruncatesEachHalfAndIsNotClamped)
{
    EXPECT_EQ(CentredOrigin(1024, 301), 512 - 150);
    EXPECT_EQ(CentredOrigin(768, 200), 384 - 100);
    EXPECT_EQ(CentredOrigin(1025, 301), 362) << "512 - 150";
    // Larger than the screen: negative, reaching past both edges.
    EXPECT_EQ(CentredOrigin(1024, 1500), 512 - 750);
    EXPECT_EQ(CentredOrigin(768, 1001), 384 - 500);
    EXPECT_EQ(CentredOrigin(801, 1003), -101) << "400 - 501";
    EXPECT_EQ(CentredOrigin(800, 1001), -100) << "400 - 500";
    EXPECT_EQ(CentredOrigin(1024, 300), 362);
    EXPECT_EQ(CentredOrigin(1023, 3), 511 - 1);
}

static const ScreenArea kWholeScreen = {0, 0, 1024, 768};

TEST(Fit, AWindowThatFitsIsSizedAndCentredAsEver)
{
    TextSize text = {500, 200};
    FortuneFit fit = FitFortuneWindow(Parts(), text, Margins(), 17, kWholeScreen);
    EXPECT_EQ(fit.scrolls, 0);
    EXPECT_EQ(fit.text.width, 500);
    EXPECT_EQ(fit.text.height, 200);
    TextSize window = FortuneWindowSize(Parts(), text, Margins());
    EXPECT_EQ(fit.window.width, window.width);
    EXPECT_EQ(fit.window.height, window.height);
    EXPECT_EQ(fit.x, CentredOrigin(1024, window.width));
    EXPECT_EQ(fit.y, CentredOrigin(768, window.height));
    // Exactly as tall as the work area still fits.
    text.height = 768 - (25 + 23 + 29);
    fit = FitFortuneWindow(Parts(), text, Margins(), 17, kWholeScreen);
    EXPECT_EQ(fit.scrolls, 0);
    EXPECT_EQ(fit.window.height, 768);
    EXPECT_EQ(fit.y, 0);
}

TEST(Fit, ATallerTextScrollsInAWindowAsTallAsTheWorkArea)
{
    // A task bar of 40 pixels at the bottom.
    const ScreenArea area = {0, 0, 1024, 728};
    TextSize text = {500, 3000};
    FortuneFit fit = FitFortuneWindow(Parts(), text, Margins(), 17, area);
    EXPECT_EQ(fit.scrolls, 1);
    EXPECT_EQ(fit.window.height, 728);
    EXPECT_EQ(fit.text.height, 728 - 25 - 23 - 29) << "what remains above OK and the links";
    EXPECT_EQ(fit.text.width, 517) << "one scroll bar wider";
    EXPECT_EQ(fit.window.width, 6 + 517 + 21);
    EXPECT_EQ(fit.y, 0) << "inside the work area, not centred on the screen";
    EXPECT_EQ(fit.x, 512 - (6 + 517 + 21) / 2);
    // One pixel more than fits.
    text.height = 728 - (25 + 23 + 29) + 1;
    fit = FitFortuneWindow(Parts(), text, Margins(), 17, area);
    EXPECT_EQ(fit.scrolls, 1);
    EXPECT_EQ(fit.window.height, 728);
}

TEST(Fit, TheWindowIsCentredInTheWorkAreaItOpensInAndKeptInside)
{
    // The window is 527 x 277: halves of 263 and 138.
    const struct { ScreenArea area; int x, y; const char* what; } rows[] = {
        {{0, 0, 1024, 728}, 512 - 263, 364 - 138, "the primary, a task bar at the bottom"},
        {{1024, 0, 2944, 1040}, 1024 + 960 - 263, 520 - 138, "a second monitor on the right"},
        {{-1280, 0, 0, 984}, -1280 + 640 - 263, 492 - 138, "one left of the primary"},
        {{0, -1080, 1920, -40}, 960 - 263, -1080 + 520 - 138, "one above the primary"},
        {{100, 60, 1025, 769}, 100 + 462 - 263, 60 + 354 - 138, "each half truncated"},
        {{-500, 0, 0, 768}, -500, 384 - 138, "narrower than the window: the area's left edge"}};
    for (const auto& r : rows) {
        FortuneFit fit = FitFortuneWindow(Parts(), TextSize{500, 200}, Margins(), 17, r.area);
        EXPECT_EQ(fit.window.width, 527) << r.what;
        EXPECT_EQ(fit.x, r.x) << r.what;
        EXPECT_EQ(fit.y, r.y) << r.what;
    }
}

TEST(Fit, APlaceIsKeptInsideTheWorkAreaMovingAsLittleAsItMust)
{
    const struct { int start, length, expected; } rows[] = {
        {40, 100, 40}, {668, 100, 668}, {669, 100, 668}, {-1, 100, 0}, {30, 800, 0}};
    for (const auto& r : rows) EXPECT_EQ(KeptInside(r.start, r.length, 0, 768), r.expected) << r.start;
}

TEST(Fit, ScrollPositionsStayInsideTheText)
{
    EXPECT_EQ(ClampScrollPosition(-5, 1000, 300), 0);
    EXPECT_EQ(ClampScrollPosition(400, 1000, 300), 400);
    EXPECT_EQ(ClampScrollPosition(701, 1000, 300), 700) << "the view ends at the text's end";
    EXPECT_EQ(ClampScrollPosition(50, 200, 300), 0) << "all in view";
}

TEST(Wheel, NotchesScrollTheUsersLinesAndPartsOfNotchesAddUp)
{
    const struct { unsigned lines; int pixels; } notches[] = {
        {3, 39}, {0, 0}, {23, 299}, {24, 300}, {kWheelPageScroll, 300}};  // lines of 13, a view of 300
    for (const auto& n : notches) EXPECT_EQ(WheelNotchPixels(n.lines, 13, 300), n.pixels) << n.lines;

    const struct { int remainder, delta, notch, pixels, left; } turns[] = {
        {0, -120, 39, 39, 0}, {0, 120, 39, -39, 0}, {0, -40, 39, 13, 0}, {0, -1, 39, 0, 39},
        {81, -1, 39, 1, 0}, {-39, 1, 39, 0, -78},
        {39, 1, 39, 0, -39},  // turned back: what was left the other way is dropped
        {0, -120, 0, 0, 0}};
    for (const auto& t : turns) {
        WheelTurn turn = TurnWheel(t.remainder, t.delta, t.notch);
        EXPECT_EQ(turn.pixels, t.pixels) << t.remainder << " + " << t.delta;
        EXPECT_EQ(turn.remainder, t.left) << t.remainder << " + " << t.delta;
    }
    // A touch pad's 120 deltas of 1 scroll as far as one notch.
    WheelTurn turn = {};
    int pixels = 0;
    for (int i = 0; i < 120; ++i) pixels += (turn = TurnWheel(turn.remainder, -1, 39)).pixels;
    EXPECT_EQ(pixels, 39);
}
