// When a path the wide calls gave can be kept in the program's ANSI records.
// Pure: no platform headers.
#ifndef MERROWIND_ANSI_PATH_RULES_H
#define MERROWIND_ANSI_PATH_RULES_H

// What to do with a path after one try at converting it to the ANSI code
// page: keep that conversion, try again with the path's short (8.3) form, or
// give up (the path has no ANSI form that names the same file).
enum AnsiPathRoute { kAnsiPathConverted, kAnsiPathTryShortForm, kAnsiPathNone };

// converted: the conversion filled the buffer (0 when the ANSI text did not
// fit it). usedDefault: a character had no exact ANSI form and was replaced
// by the default character ("?"), so the text names another file or none.
// shortForm: the path tried was already the short form.
AnsiPathRoute ChooseAnsiPathRoute(bool converted, bool usedDefault, bool shortForm);

#endif
