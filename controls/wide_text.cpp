#include "controls/wide_text.h"

uint16_t* AllocateUnits(uint32_t count)
{
    return static_cast<uint16_t*>(LocalAlloc(LMEM_FIXED, count * sizeof(uint16_t)));
}

uint16_t* ReadShownText(HWND window, int* length)
{
    int capacity = GetWindowTextLengthW(window) + 1;
    uint16_t* text = AllocateUnits(static_cast<uint32_t>(capacity));
    if (text == nullptr) return nullptr;
    *length = GetWindowTextW(window, reinterpret_cast<WCHAR*>(text), capacity);
    text[*length] = 0;
    return text;
}
