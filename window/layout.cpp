#include "window/layout.h"

static void TakeRun(uint32_t extent, int* widest, int* total, int* lastHeight)
{
    int width = static_cast<int>(extent & 0xFFFFu);
    int height = static_cast<int>(extent >> 16);
    if (width > *widest) *widest = width;
    *total += height;
    *lastHeight = height;
}

int ScaleForDpi(int pixels, int dpi)
{
    long long product = static_cast<long long>(pixels) * dpi;
    long long half = product < 0 ? -kDefaultDpi / 2 : kDefaultDpi / 2;
    return static_cast<int>((product + half) / kDefaultDpi);
}

TextSize MeasureFortuneText(const char* text, MeasureRunFunction measure, void* context, int dpi)
{
    int widest = 0;
    int total = 0;
    int lastHeight = 0;
    int start = 0;
    for (int i = 0; text[i] != '\0'; ++i) {
        if (text[i] == '\n') {
            TakeRun(measure(context, text + start, i - start), &widest, &total, &lastHeight);
            start = i + 1;
            // Meant, not a slip: a line followed by an empty line counts
            // twice in the height, which gives paragraphs their air.
            if (text[i + 1] == '\n') total += lastHeight;
        } else if (text[i + 1] == '\0') {
            TakeRun(measure(context, text + start, i - start + 1), &widest, &total, &lastHeight);
        }
    }
    TextSize size;
    size.width = widest + ScaleForDpi(kTextWidthPad, dpi);
    size.height = total + ScaleForDpi(kTextHeightPad, dpi);
    return size;
}

TextSize FortuneWindowSize(const FortuneWindowParts& parts, TextSize text, const DialogMargins& m)
{
    TextSize window;
    window.width = parts.frameWidth + text.width + m.h14;
    // The settings link's width is left out of the minimum on purpose: the
    // window keeps the width it has always had.
    int minimum = 2 * parts.okWidth + parts.homeWidth + m.h21;
    if (window.width < minimum) window.width = minimum;
    window.height = parts.frameHeight + text.height + parts.okHeight + m.v18;
    return window;
}

FortunePlaces PlaceFortuneControls(const FortuneWindowParts& parts, TextSize text,
                                   const DialogMargins& m, int clientWidth, int clientHeight)
{
    FortunePlaces places;
    places.okX = clientWidth / 2 - parts.okWidth / 2;
    places.okY = text.height + m.v11;
    places.homeX = clientWidth - parts.homeWidth - m.h7;
    places.homeY = clientHeight - parts.homeHeight - m.v7;
    places.settingsX = m.h7;
    places.settingsY = clientHeight - parts.settingsHeight - m.v7;
    return places;
}

int CentredOrigin(int screenSize, int windowSize)
{
    return screenSize / 2 - windowSize / 2;
}

// Moves a span of the given length starting at *start into [low, high), as
// little as possible; a span longer than the room starts at low.
static void Clamp(int* start, int length, int low, int high)
{
    if (*start + length > high) *start = high - length;
    if (*start < low) *start = low;
}

int KeptInside(int start, int length, int low, int high)
{
    Clamp(&start, length, low, high);
    return start;
}

FortuneFit FitFortuneWindow(const FortuneWindowParts& parts, TextSize text, const DialogMargins& m,
                            int scrollBarWidth, ScreenArea area)
{
    FortuneFit fit;
    fit.text = text;
    fit.scrolls = 0;
    fit.window = FortuneWindowSize(parts, text, m);
    int room = area.bottom - area.top;
    if (fit.window.height > room) {
        fit.scrolls = 1;
        fit.text.width = text.width + scrollBarWidth;
        fit.text.height = room - (parts.frameHeight + parts.okHeight + m.v18);
        if (fit.text.height < 0) fit.text.height = 0;
        fit.window = FortuneWindowSize(parts, fit.text, m);
    }
    fit.x = area.left + CentredOrigin(area.right - area.left, fit.window.width);
    fit.y = area.top + CentredOrigin(room, fit.window.height);
    Clamp(&fit.x, fit.window.width, area.left, area.right);
    Clamp(&fit.y, fit.window.height, area.top, area.bottom);
    return fit;
}

int ClampScrollPosition(int position, int contentHeight, int viewHeight)
{
    int last = contentHeight - viewHeight;
    if (position > last) position = last;
    if (position < 0) position = 0;
    return position;
}

int WheelNotchPixels(unsigned linesPerNotch, int lineHeight, int pageHeight)
{
    long long pixels = static_cast<long long>(linesPerNotch) * lineHeight;
    if (pixels > pageHeight) pixels = pageHeight;
    return pixels > 0 ? static_cast<int>(pixels) : 0;
}

WheelTurn TurnWheel(int remainder, int wheelDelta, int notchPixels)
{
    // The remainder counts down the text, a positive delta up it.
    if ((remainder > 0 && wheelDelta > 0) || (remainder < 0 && wheelDelta < 0)) remainder = 0;
    long long owed = remainder - static_cast<long long>(wheelDelta) * notchPixels;
    WheelTurn turn;
    turn.pixels = static_cast<int>(owed / kWheelNotch);
    turn.remainder = static_cast<int>(owed % kWheelNotch);
    return turn;
}

int TextLineHeight(int measured, int dpi)
{
    return measured > 0 ? measured : ScaleForDpi(kFallbackLineHeight, dpi);
}
