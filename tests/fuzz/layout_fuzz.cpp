// Any text and any platform figures through the fortune window's arithmetic.
// The input holds sixteen 16-bit figures (the window's parts, its margins
// and the screen), eight 32-bit extents that the stand-in measurement hands
// out in turn, then the text (at most 4099 characters). The measurement must
// be handed exactly the lines between LFs, inside the text, and add them up
// by the rule; the window must hold the text or have the minimum width, the
// OK button must sit centred below the text, the links in the bottom
// corners, and the window centred on the screen, all without overflow.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "tests/fuzz/check.h"
#include "window/layout.h"

static const size_t kFigureCount = 16;
static const size_t kExtentCount = 8;
static const size_t kTextLimit = 4099;

struct StandInMeasure {
    const char* text;
    size_t length;
    const uint32_t* extents;
    std::vector<std::string> runs;
    std::vector<uint32_t> given;
};

static uint32_t Measure(void* context, const char* run, int length)
{
    StandInMeasure* self = static_cast<StandInMeasure*>(context);
    FUZZ_CHECK(length >= 0);
    FUZZ_CHECK(run >= self->text && run + length <= self->text + self->length);
    self->runs.push_back(std::string(run, static_cast<size_t>(length)));
    uint32_t extent = self->extents[self->given.size() % kExtentCount];
    self->given.push_back(extent);
    return extent;
}

// The lines of the text as an independent split: pieces between LFs, none
// after a final LF, none at all for an empty text.
static std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t lf = text.find('\n', start);
        if (lf == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, lf - start));
        start = lf + 1;
    }
    return lines;
}

static bool Within(int64_t value) { return value >= INT32_MIN && value <= INT32_MAX; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    uint8_t head[kFigureCount * 2 + kExtentCount * 4];
    memset(head, 0, sizeof head);
    memcpy(head, data, size < sizeof head ? size : sizeof head);
    int figure[kFigureCount];
    for (size_t k = 0; k < kFigureCount; ++k) figure[k] = head[2 * k] | head[2 * k + 1] << 8;
    uint32_t extents[kExtentCount];
    memcpy(extents, head + kFigureCount * 2, sizeof extents);

    std::string text;
    if (size > sizeof head) text.assign(reinterpret_cast<const char*>(data + sizeof head), size - sizeof head);
    text = text.c_str();
    if (text.size() > kTextLimit) text.resize(kTextLimit);

    // Measuring: exactly the lines, in order; the widest line and the sum of
    // the heights, a line followed by an empty one counted twice.
    StandInMeasure measure;
    measure.text = text.c_str();
    measure.length = text.size();
    measure.extents = extents;
    TextSize measured = MeasureFortuneText(text.c_str(), Measure, &measure, kDefaultDpi);
    std::vector<std::string> lines = Lines(text);
    FUZZ_CHECK(measure.runs == lines);
    int64_t widest = 0, total = 0;
    size_t at = 0;  // where the line begins in the text
    for (size_t k = 0; k < lines.size(); ++k) {
        int64_t width = measure.given[k] & 0xFFFFu, height = measure.given[k] >> 16;
        if (width > widest) widest = width;
        total += height;
        at += lines[k].size();
        if (at + 1 < text.size() && text[at] == '\n' && text[at + 1] == '\n') total += height;
        ++at;
    }
    FUZZ_CHECK(measured.width == widest + kTextWidthPad);
    FUZZ_CHECK(measured.height == total + kTextHeightPad);

    // The window around it, with figures a window and a screen can have.
    FortuneWindowParts parts;
    parts.frameWidth = figure[0];
    parts.frameHeight = figure[1];
    parts.okWidth = figure[2];
    parts.okHeight = figure[3];
    parts.homeWidth = figure[4];
    parts.homeHeight = figure[5];
    parts.settingsHeight = figure[6];
    DialogMargins m;
    m.h7 = figure[7];
    m.h14 = figure[8];
    m.h21 = figure[9];
    m.v7 = figure[10];
    m.v11 = figure[11];
    m.v18 = figure[12];
    int screenWidth = figure[13], screenHeight = figure[14];

    TextSize window = FortuneWindowSize(parts, measured, m);
    int64_t holding = int64_t(parts.frameWidth) + measured.width + m.h14;
    int64_t minimum = 2 * int64_t(parts.okWidth) + parts.homeWidth + m.h21;
    FUZZ_CHECK(window.width == (holding > minimum ? holding : minimum));
    int64_t height = int64_t(parts.frameHeight) + measured.height + parts.okHeight + m.v18;
    FUZZ_CHECK(Within(height) && window.height == height);

    // The platform gives the client area the size without the frame.
    int clientWidth = window.width - parts.frameWidth;
    int clientHeight = window.height - parts.frameHeight;
    FortunePlaces places = PlaceFortuneControls(parts, measured, m, clientWidth, clientHeight);
    // OK centred to within the two truncated halves, its top below the text.
    int64_t offCentre = 2 * int64_t(places.okX) + parts.okWidth - clientWidth;
    FUZZ_CHECK(offCentre >= -2 && offCentre <= 2);
    FUZZ_CHECK(places.okY == measured.height + m.v11);
    // The links 7 dialog units in from the bottom corners.
    FUZZ_CHECK(places.homeX + parts.homeWidth + m.h7 == clientWidth);
    FUZZ_CHECK(places.homeY + parts.homeHeight + m.v7 == clientHeight);
    FUZZ_CHECK(places.settingsX == m.h7);
    FUZZ_CHECK(places.settingsY + parts.settingsHeight + m.v7 == clientHeight);

    // Centred: inside the screen when the window fits, over both edges
    // when it does not.
    int x = CentredOrigin(screenWidth, window.width);
    int y = CentredOrigin(screenHeight, window.height);
    int64_t right = int64_t(x) + window.width, bottom = int64_t(y) + window.height;
    if (window.width <= screenWidth) FUZZ_CHECK(x >= 0 && right <= screenWidth);
    else FUZZ_CHECK(x <= 0 && right >= screenWidth);
    if (window.height <= screenHeight) FUZZ_CHECK(y >= 0 && bottom <= screenHeight);
    else FUZZ_CHECK(y <= 0 && bottom >= screenHeight);
    FUZZ_CHECK(2 * int64_t(x) + window.width - screenWidth >= -2 && 2 * int64_t(x) + window.width - screenWidth <= 2);
    return 0;
}
