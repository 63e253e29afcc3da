// Waiting by polling, and real mouse and keyboard input, as a person gives it.
#ifndef MERROWIND_TESTS_INPUT_H
#define MERROWIND_TESTS_INPUT_H

#include <windows.h>

#include <functional>

// Polls until the condition holds or the timeout passes; returns the last value.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 30000);

// A left press and release at a screen point, or either half alone.
void ClickAt(int x, int y);
void PressAt(int x, int y);
void ReleaseAt(int x, int y);
// Moves the mouse pointer to a screen point.
void MoveTo(int x, int y);
// A screen point on the dialog's own background, in its client area left of
// every control (the templates keep controls 7 dialog units from the edge).
// Just beside OK is no such point: in a narrow window the links reach it.
POINT BackgroundPointOf(HWND dialog);

// One stroke of a key.
void PressKey(WORD key);
// One stroke of a key while a modifier key (VK_CONTROL, ...) is held.
void PressKeyWith(WORD modifier, WORD key);

// Turns the mouse wheel at a screen point; a negative delta turns it towards
// the user (down the text), 120 a notch.
void WheelAt(int x, int y, int delta);

#endif
