#include "controls/geometry.h"

int ScaleForDpi(int pixels, int dpi)
{
    long long product = static_cast<long long>(pixels) * dpi;
    long long half = product < 0 ? -kDefaultDpi / 2 : kDefaultDpi / 2;
    return static_cast<int>((product + half) / kDefaultDpi);
}

int CentredOrigin(int screenSize, int windowSize)
{
    return screenSize / 2 - windowSize / 2;
}

int KeptInside(int start, int length, int low, int high)
{
    if (start + length > high) start = high - length;
    if (start < low) start = low;
    return start;
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
