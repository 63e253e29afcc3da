// Names, captions and fixed numbers of the program, each in one place.
#ifndef MERROWIND_PRODUCT_H
#define MERROWIND_PRODUCT_H

#include <stdint.h>

extern const char kProgramCaption[];     // message-box caption
extern const char kBuiltInSourceName[];  // name of the built-in source
const uint32_t kBuiltInFortuneCount = 4297;
extern const char kLegacyFileName[];     // the legacy text file (cookies/legacy_file.h finds it)

// Every reader fills a buffer of this many bytes: at most 4099 characters and
// the NUL. The fortune window rewrites the text in place within it.
const uint32_t kTextBufferSize = 4100;

// The maker has no real site yet; reserved example addresses keep a click
// from opening some third party's page.
extern const char kHomePageAddress[];
extern const char kMoreCookiesAddress[];

// Index files live in <application data>\<maker>\<program>\<name>, the
// name formatted with a number from 0 (five digits).
extern const char kMakerFolderName[];
extern const char kProgramFolderName[];
extern const char kIndexFileNameFormat[];

#endif
