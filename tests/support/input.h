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
// One stroke of a key.
void PressKey(WORD key);

#endif
