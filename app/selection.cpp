#include "app/selection.h"

#include <string.h>

#include "core/catalogue.h"
#include "app/delivery.h"
#include "app/loop_result.h"
#include "core/product.h"
#include "app/random.h"
#include "app/readers.h"
#include "app/record_list.h"

// The sources that failed in this run, kept as the catalogue held their
// records. Each turn reads the catalogue afresh, and the settings dialog may
// remove or reorder records between turns, so a position would soon name
// another source; the record's whole content names the source itself. A
// record the user has since edited (a new path, a new index) no longer
// matches and gets its chance again.
static RecordList* g_failedSources = nullptr;

static int IsFailedSource(const SourceRecord* record)
{
    if (g_failedSources == nullptr) return 0;
    for (int p = 0; p <= GetLastRecordIndex(g_failedSources); ++p) {
        SourceRecord* failed;
        if (!LockRecord(g_failedSources, p, &failed)) continue;
        int same = memcmp(failed, record, sizeof *record) == 0;
        UnlockRecord(g_failedSources, p);
        if (same) return 1;
    }
    return 0;
}

// When memory runs out the source is still left out of this turn's draw.
static void RememberFailedSource(const SourceRecord* record)
{
    if (g_failedSources == nullptr && !CreateRecordList(&g_failedSources)) {
        g_failedSources = nullptr;
        return;
    }
    AppendRecord(g_failedSources, record, kSourceRecordSize);
}

void ForgetFailedSources()
{
    if (g_failedSources != nullptr) DestroyRecordList(g_failedSources);
    g_failedSources = nullptr;
}

static int ReadSource(HINSTANCE instance, uint32_t r, SourceRecord* copy)
{
    switch (copy->kind) {
    case kSourceBuiltIn: return ReadBuiltInFortune(instance, r);
    case kSourceLegacyText: return ReadLegacyFortune(instance, r);
    case kSourceCookieFile: return ReadCookieFortune(instance, r, copy);
    default: return kLoopSourceFailed;  // no reader for this kind
    }
}

// Draws a position over the total, walks the copies to the source that holds
// it and reads it there. A source that fails is remembered for the rest of
// the run and leaves this turn's draw: its count goes out of the total and
// its copy keeps a count of 0, which no position falls into.
static int ReadDrawnSource(HINSTANCE instance, RecordList* list, uint32_t* total)
{
    uint32_t r = ScaledRandom(*total);
    for (int p = 0; p <= GetLastRecordIndex(list); ++p) {
        SourceRecord* copy;
        if (!LockRecord(list, p, &copy)) continue;
        if (r < copy->count) {
            // The cookie reader may recount the copy; the source is
            // remembered as the catalogue holds it.
            SourceRecord stored = *copy;
            int result = ReadSource(instance, r, copy);
            if (result == kLoopSourceFailed) {
                RememberFailedSource(&stored);
                *total -= stored.count;
                copy->count = 0;
            }
            UnlockRecord(list, p);
            return result;
        }
        r -= copy->count;
        UnlockRecord(list, p);
    }
    // Only a copy that cannot be locked leaves a position without a source.
    return kLoopNoSourceReadable;
}

int ChooseFortune(HINSTANCE instance)
{
    RecordList* list;
    if (!CreateRecordList(&list)) return kLoopNothingToDraw;

    // The total is unsigned 32-bit and wraps, like the counts it adds up.
    // Only copies that made it into the list count, so that every position
    // drawn lies in some copy.
    uint32_t total = 0;
    int leftOut = 0;
    int n;
    SourceRecord* records = ReadSourceRecords(&n);
    for (int position = 0; position < n; ++position) {
        const SourceRecord& record = records[position];
        if (record.active == 0) continue;
        if (IsFailedSource(&record)) {
            leftOut = 1;
        } else if (AppendRecord(list, &record, kSourceRecordSize)) {
            total += record.count;
        }
    }
    if (records != nullptr) LocalFree(records);

    // Every failure takes a copy with a count out of the draw, so this ends
    // after at most one round per copy.
    int result = leftOut ? kLoopNoSourceReadable : kLoopNothingToDraw;
    while (total != 0) {
        result = ReadDrawnSource(instance, list, &total);
        if (result != kLoopSourceFailed) break;
        result = kLoopNoSourceReadable;
    }
    DestroyRecordList(list);
    return result;
}

int ReadBuiltInFortune(HINSTANCE instance, uint32_t r)
{
    // Position r is string r + 1; the table has no string 0.
    uint32_t id = r < kBuiltInFortuneCount ? r + 1 : kBuiltInFortuneCount;

    char* text = static_cast<char*>(GlobalAlloc(GMEM_FIXED, kTextBufferSize));
    if (text == nullptr) return kLoopSourceFailed;
    if (LoadStringA(instance, id, text, kTextBufferSize) == 0) {
        GlobalFree(text);
        return kLoopSourceFailed;
    }
    int result = DeliverFortune(instance, text);
    GlobalFree(text);
    return result;
}
