// The start at sign-in: the same Run value the installer writes, and Windows'
// Startup apps switch for it.
#ifndef MERROWIND_SIGN_IN_H
#define MERROWIND_SIGN_IN_H

// 1 when the Run value names this program (its quoted full path) and
// Startup apps has not turned it off.
int StartsAtSignIn();
// On: writes the Run value and marks it enabled in Startup apps; off:
// removes both. 1 on success.
int SetStartAtSignIn(int on);

#endif
