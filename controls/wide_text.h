// UTF-16 text for the wide-character calls, in local-heap buffers of 16-bit
// units that those calls read as WCHAR.
#ifndef MERROWIND_WIDE_TEXT_H
#define MERROWIND_WIDE_TEXT_H

#include <windows.h>

#include <stdint.h>

static_assert(sizeof(WCHAR) == sizeof(uint16_t), "WCHAR is a UTF-16 unit");

// count units; the caller frees them with LocalFree. Null without memory.
uint16_t* AllocateUnits(uint32_t count);

inline const WCHAR* Wide(const uint16_t* units)
{
    return reinterpret_cast<const WCHAR*>(units);
}

// The window's text as it is shown, in a new buffer the caller frees with
// LocalFree, its length in units in *length. Null without memory.
uint16_t* ReadShownText(HWND window, int* length);

#endif
