// One turn of the main loop: a weighted draw over the active sources and the
// reader of the built-in collection.
#ifndef MERROWIND_SELECTION_H
#define MERROWIND_SELECTION_H

#include <windows.h>
#include <stdint.h>

// Returns the loop result (app/loop_result.h): 0 for another turn, anything
// else to stop. A source whose reader fails is left out for the rest of the
// run and the draw is made again over the others.
int ChooseFortune(HINSTANCE instance);

// Drops the run's memory of failed sources (the end of a run, or a test).
void ForgetFailedSources();

// Shows string r + 1 of the module's table (r from 0; beyond the table, the
// last string). kLoopSourceFailed when no text could be loaded.
int ReadBuiltInFortune(HINSTANCE instance, uint32_t r);

#endif
