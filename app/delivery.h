// The one place where a fortune leaves the program: into the file named on
// the command line, or else into the fortune window.
#ifndef MERROWIND_DELIVERY_H
#define MERROWIND_DELIVERY_H

#include <windows.h>

// text is the reader's own writable buffer of 4100 bytes. Returns the loop
// result: 0 for another fortune, anything else to stop.
int DeliverFortune(HINSTANCE instance, char* text);

#endif
