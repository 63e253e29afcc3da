// One turn of the main loop: a weighted draw over the active sources and the
// reader of the built-in collection.
#ifndef MERROWIND_SELECTION_H
#define MERROWIND_SELECTION_H

#include <windows.h>
#include <stdint.h>

// Returns the loop result (app/loop_result.h): 0 for another turn, anything
// else to stop. Unless the reader lets fortunes repeat, the turn shows the
// next fortune of the round (core/draw_round.h) that is neither put away nor
// in a source that failed; with one fortune a day, the run's first turn
// shows the day's. A source whose reader fails is left out for the rest of
// the run.
int ChooseFortune(HINSTANCE instance);

// Drops the run's memory of failed sources, and the next turn counts as the
// run's first (the end of a run, or a test).
void ForgetFailedSources();

// Shows string r + 1 of the module's table (r from 0; beyond the table, the
// last string). kLoopSourceFailed when no text could be loaded.
int ReadBuiltInFortune(HINSTANCE instance, uint32_t r);

#endif
