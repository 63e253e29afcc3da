#include "core/product.h"
#include "core/product_addresses.h"

const char kProgramCaption[] = "Merrowind";
const char kBuiltInSourceName[] = "Internal Fortunes";
const char kLegacyFileName[] = "Fortune.txt";
const char kHomePageAddress[] = "https://tolvane.example/";
const char kMoreCookiesAddress[] = MERROWIND_MORE_COOKIES_ADDRESS;
const char kMakerFolderName[] = "Tolvane Software";
const char kProgramFolderName[] = "Merrowind";
const char kIndexFileNameFormat[] = "Merrowind Index %05i.idx";
