// Makes the catalogue a start-up benchmark runs on: the built-in collection
// alone, or the cookie files named, each with its index (made when it is
// not there yet; its count is then taken from its size).
// Usage: bench_catalogue builtin | bench_catalogue <cookie file> <index file> ...
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "cookies/indexer.h"
#include "core/catalogue.h"
#include "core/product.h"

static int FillCookieRecord(SourceRecord* record, const char* cookiePath, const char* indexPath)
{
    ZeroMemory(record, sizeof *record);
    record->active = 1;
    record->kind = kSourceCookieFile;
    const char* name = strrchr(cookiePath, '\\');
    SetField(record->name, sizeof record->name, name != nullptr ? name + 1 : cookiePath);
    SetField(record->cookiePath, sizeof record->cookiePath, cookiePath);
    SetField(record->indexPath, sizeof record->indexPath, indexPath);
    WIN32_FILE_ATTRIBUTE_DATA index;
    if (GetFileAttributesExA(indexPath, GetFileExInfoStandard, &index)) {
        record->count = index.nFileSizeLow / 4;  // one 32-bit offset per fortune
        return 1;
    }
    IndexJob job{};
    job.record = record;
    DWORD code = IndexCookieFile(&job);
    if (code != kIndexOk) printf("%s: the indexer failed with code %lu\n", cookiePath, static_cast<unsigned long>(code));
    return code == kIndexOk;
}

int main(int argc, char** argv)
{
    int n = argc == 2 && strcmp(argv[1], "builtin") == 0 ? 1 : (argc - 1) / 2;
    if (argc < 2 || (n > 1 && (argc - 1) % 2 != 0)) {
        printf("usage: bench_catalogue builtin | bench_catalogue <cookie file> <index file> ...\n");
        return 2;
    }
    SourceRecord* records = static_cast<SourceRecord*>(LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, n * sizeof *records));
    const SourceRecord** order = static_cast<const SourceRecord**>(LocalAlloc(LMEM_FIXED, n * sizeof *order));
    if (records == nullptr || order == nullptr) return 1;
    uint32_t total = 0;
    for (int i = 0; i < n; ++i) {
        if (strcmp(argv[1], "builtin") == 0) {
            records[i].active = 1;
            records[i].kind = kSourceBuiltIn;
            records[i].count = kBuiltInFortuneCount;
            SetField(records[i].name, sizeof records[i].name, kBuiltInSourceName);
        } else if (!FillCookieRecord(&records[i], argv[1 + 2 * i], argv[2 + 2 * i])) {
            return 1;
        }
        total += records[i].count;
        order[i] = &records[i];
    }
    if (!ReplaceSourceRecords(order, n)) {
        printf("the catalogue could not be written\n");
        return 1;
    }
    printf("%d sources, %lu fortunes\n", n, static_cast<unsigned long>(total));
    return 0;
}
