// The loop result that the fortune window, DeliverFortune, the readers and a
// turn pass back to the main loop, and the process exit code it ends in.
// Pure, so the mapping is tested natively.
#ifndef MERROWIND_LOOP_RESULT_H
#define MERROWIND_LOOP_RESULT_H

// 0: choose and show another fortune. Anything else: stop.
const int kLoopAnother = 0;
// A fortune was delivered: written into the file, or shown and the window
// closed by OK, Escape or the close box.
const int kLoopDelivered = 1;
// The fortune window could not be created (the dialog call's own -1), after
// the output file, if any, could not be written either.
const int kLoopNotShown = -1;
// A reader could not fetch a text from its source (file gone, index not
// rebuilt, unknown kind ...). The turn leaves that source out and draws
// again; this value never reaches the loop.
const int kLoopSourceFailed = -2;
// The turn had nothing to draw from: no record, or active counts of 0.
const int kLoopNothingToDraw = -3;
// Every active source failed.
const int kLoopNoSourceReadable = -4;

// The fortune read is one the reader put away: the turn takes another.
// Never reaches the loop either.
const int kLoopPutAway = -5;

// Backspace went back past the first fortune of the run: the turn shows the
// one an earlier start of the round showed. Never reaches the loop.
const int kLoopEarlier = -6;

// Exit codes, as the README lists them.
const int kExitDelivered = 0;
const int kExitNothingToDraw = 1;
const int kExitNoSourceReadable = 2;
const int kExitNotShown = 3;

// The exit code for the loop result that ended the loop.
int ExitCodeForLoopResult(int result);

// What a window start tells the user when the loop ended without a fortune
// to show: why, in one sentence, and the offer of the settings (a Yes/No
// question). Null for every other result.
const char* NothingToShowMessage(int result);

#endif
