// What start-up does to the catalogue before the first draw.
#ifndef MERROWIND_START_UP_H
#define MERROWIND_START_UP_H

// An empty catalogue gets the built-in collection at position 0.
void EnsureCatalogue();

#endif
