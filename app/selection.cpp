#include "app/selection.h"

#include "core/catalogue.h"
#include "app/delivery.h"
#include "core/product.h"
#include "app/random.h"
#include "app/readers.h"
#include "app/record_list.h"

int ChooseFortune(HINSTANCE instance)
{
    int result = 1;
    RecordList* list;
    if (!CreateRecordList(&list)) return 1;

    uint32_t total = 0;
    int position = 0;
    for (;;) {
        SourceRecord record;
        if (!ReadSourceRecord(position, &record)) break;
        if (record.active != 0) {
            total += record.count;
            AppendRecord(list, &record, kSourceRecordSize);
        }
        ++position;
    }
    if (position == 0 || total == 0) {
        DestroyRecordList(list);
        return 1;
    }

    uint32_t r = ScaledRandom(total);
    for (int p = 0; p <= GetLastRecordIndex(list); ++p) {
        SourceRecord* copy;
        if (!LockRecord(list, p, &copy)) continue;
        if (r < copy->count) {
            switch (copy->kind) {
            case kSourceBuiltIn: result = ReadBuiltInFortune(instance, r); break;
            case kSourceLegacyText: result = ReadLegacyFortune(instance, r); break;
            case kSourceCookieFile: result = ReadCookieFortune(instance, r, copy); break;
            default: break;
            }
            UnlockRecord(list, p);
            break;
        }
        r -= copy->count;
        UnlockRecord(list, p);
    }
    DestroyRecordList(list);
    return result;
}

int ReadBuiltInFortune(HINSTANCE instance, uint32_t r)
{
    uint32_t id = r;
    if (id < 1) id = 1;
    if (id > kBuiltInFortuneCount) id = kBuiltInFortuneCount;

    char* text = static_cast<char*>(GlobalAlloc(GMEM_FIXED, kTextBufferSize));
    if (text == nullptr) return 1;
    if (LoadStringA(instance, id, text, kTextBufferSize) == 0) {
        GlobalFree(text);
        return 1;
    }
    int result = DeliverFortune(instance, text);
    GlobalFree(text);
    return result;
}
