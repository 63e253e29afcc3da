// One turn of the main loop: a weighted draw over the active sources and the
// reader of the built-in collection.
#ifndef MERROWIND_SELECTION_H
#define MERROWIND_SELECTION_H

#include <windows.h>
#include <stdint.h>

// Returns the loop result: 0 for another turn, anything else to stop.
int ChooseFortune(HINSTANCE instance);

// Shows string r (raised to 1, lowered to 4297) of the module's table.
int ReadBuiltInFortune(HINSTANCE instance, uint32_t r);

#endif
