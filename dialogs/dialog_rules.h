// Decisions of the settings dialog and the add/edit cookie-file dialog that
// need no window: titles, messages, the check-box mapping and the order of
// the entry checks. Pure: no platform headers.
#ifndef MERROWIND_DIALOG_RULES_H
#define MERROWIND_DIALOG_RULES_H

#include <stddef.h>
#include <stdint.h>

// Messages of the two dialogs, shown in error boxes captioned "Merrowind".
extern const char kNoActiveCookiesMessage[];
extern const char kNoNameMessage[];
extern const char kNoPathMessage[];
extern const char kMissingCookieFileMessage[];
extern const char kSettingsNotSavedMessage[];
extern const char kPathNotStorableMessage[];

// Captions of the add/edit dialog: it edits when the record has a name.
extern const char kAddCookieFileCaption[];
extern const char kEditCookieFileCaption[];
const char* CookieFileCaption(size_t nameLength);

// "Merrowind - Settings (%lu active)" with the active total.
const size_t kSettingsTitleSize = 64;
void FormatSettingsTitle(uint32_t activeTotal, char (&title)[kSettingsTitleSize]);

// "Failed to create index file (%lu)." with the indexer's result code.
const size_t kIndexFailureSize = 64;
void FormatIndexFailure(uint32_t code, char (&text)[kIndexFailureSize]);
// Whether a finished worker's result is reported: every code but success (0)
// and cancellation (7).
bool IndexResultNeedsMessage(uint32_t code);

// Counts as text in the list: "%lu".
const size_t kCountTextSize = 16;
void FormatCount(uint32_t count, char (&text)[kCountTextSize]);

// The active total: the counts of the active rows, added as unsigned 32-bit
// numbers (so a sum beyond 2^32 - 1 wraps, as stored counts are 32-bit).
uint32_t AddActiveCount(uint32_t total, int32_t active, uint32_t count);

// A row's check box lives in its state-image bits: image 2 is the checked
// box (an active source), image 1 the unchecked one.
const unsigned kStateImageMask = 0xF000;
unsigned StateImageForActive(int32_t active);
// The active flag a row's state bits stand for: 1 for the checked box, 0 for
// the unchecked one. Any other image (none yet) leaves current unchanged, so
// only 1 and 0 are ever stored.
int32_t ActiveFromState(unsigned state, int32_t current);

// The entry checks of the add/edit dialog, in order: a name, a path, and a
// path that names something on disk. pathExists is asked only when the
// first two pass. Returns the message of the first failing check, or null.
const char* FirstEntryProblem(size_t nameLength, size_t pathLength,
                              bool (*pathExists)(const char* path), const char* path);

// A pasted path as the checks take it: surrounding blanks (spaces and tabs)
// gone, then one pair of surrounding double quotes, as Explorer's "Copy as
// path" adds them. Works in place on a NUL-terminated path and returns its
// new length.
size_t TrimPastedPath(char* path);

#endif
