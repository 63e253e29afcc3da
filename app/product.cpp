#include "app/product.h"

const char kProgramCaption[] = "Merrowind";
const char kBuiltInSourceName[] = "Internal Fortunes";
const char kLegacyFileName[] = "Fortune.txt";
const char kHomePageAddress[] = "https://tolvane.example/";
const char kMoreCookiesAddress[] = "https://tolvane.example/merrowind/cookies/";
const char kMakerFolderName[] = "Tolvane Software";
const char kProgramFolderName[] = "Merrowind";
const char kIndexFileNameFormat[] = "Merrowind Index %05i.idx";
