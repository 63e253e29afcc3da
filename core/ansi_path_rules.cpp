#include "core/ansi_path_rules.h"

AnsiPathRoute ChooseAnsiPathRoute(bool converted, bool usedDefault, bool shortForm)
{
    if (converted && !usedDefault) return kAnsiPathConverted;
    // The short form is made of ASCII letters for a name that is not, and it
    // is shorter: one more try, and only one.
    return shortForm ? kAnsiPathNone : kAnsiPathTryShortForm;
}
