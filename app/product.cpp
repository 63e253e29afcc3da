#include "app/product.h"
#include "app/product_addresses.h"

const char kProgramCaption[] = "Merrowind";
const char kBuiltInSourceName[] = "Internal Fortunes";
const char kHomePageAddress[] = "https://tolvane.example/";
const char kMoreCookiesAddress[] = MERROWIND_MORE_COOKIES_ADDRESS;
