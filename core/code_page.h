// The system's ANSI code page, as the pure text rules take it.
#ifndef MERROWIND_CODE_PAGE_H
#define MERROWIND_CODE_PAGE_H

#include "core/text_encoding.h"

// The lead bytes of the ANSI code page: ranges on Japanese, Chinese and
// Korean Windows, none on single-byte ones (and when the system will not
// say).
void GetAnsiLeadBytes(AnsiLeadBytes* lead);

#endif
