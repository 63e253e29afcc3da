// The fortunes the reader put away, never to come again: a cookie file of
// their own, "Merrowind Put Away.txt" beside the index files, which the user
// can read and edit in Notepad. Each is kept as its source delivered it,
// before the window wrapped it, with a line break added when it ended
// without one, and then a "%" line.
#ifndef MERROWIND_PUT_AWAY_H
#define MERROWIND_PUT_AWAY_H

#include <stdint.h>

extern const char kPutAwayFileName[];

// Whether the text matches a fortune put away, byte for byte. The file is
// read at the first question of the run; a missing or unreadable file puts
// nothing away.
int IsPutAway(const char* text);
// Adds the text to the file (and to this run's list); 1 when written.
int PutAwayFortune(const char* text);
// How many are put away (from this run's list).
uint32_t CountPutAway();
// Brings every one back: the file is deleted; 1 when none is left.
int BringBackAll();
// Drops this run's list, so that the next question reads the file afresh.
void ForgetPutAwayList();

#endif
