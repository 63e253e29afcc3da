#include "app/selection.h"

#include <string.h>

#include "core/catalogue.h"
#include "app/delivery.h"
#include "app/loop_result.h"
#include "core/product.h"
#include "app/random.h"
#include "app/readers.h"
#include "app/record_list.h"
#include "window/fortune_history.h"
#include "core/catalogue_lock.h"
#include "core/draw_store.h"

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

// The way back into the round from the first fortune of the run: the round
// it came from, and the earliest step this run has shown (going back lowers
// it).
struct EarliestShown {
    int known;
    uint64_t key;
    uint32_t total;
    uint64_t sources;
    uint32_t step;
};
static EarliestShown g_earliest;

// Only the first turn of a run shows the day's fortune; a click or F5 brings
// another.
static int g_firstTurn = 1;

void ForgetFailedSources()
{
    if (g_failedSources != nullptr) DestroyRecordList(g_failedSources);
    g_failedSources = nullptr;
    g_firstTurn = 1;
    g_earliest = EarliestShown();
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

// Where a position of the turn's total lies.
struct FoundFortune {
    int copy;           // the copy's place in the list
    uint32_t position;  // inside that source
    uint32_t source;    // SourceIdentity
    int failed;         // the source failed in this run
};

// Walks the copies to the source that holds position r. liveOnly: the
// sources that failed in this run are left out, as though not there (the
// draw that lets fortunes repeat is over the others alone); otherwise they
// keep their place, so that a round's positions stay where they were.
static int FindFortune(RecordList* list, uint32_t r, int liveOnly, FoundFortune* found)
{
    for (int p = 0; p <= GetLastRecordIndex(list); ++p) {
        SourceRecord* copy;
        if (!LockRecord(list, p, &copy)) continue;
        int failed = IsFailedSource(copy);
        if (!(liveOnly && failed)) {
            if (r < copy->count) {
                found->copy = p;
                found->position = r;
                found->source = SourceIdentity(copy->kind, copy->cookiePath, sizeof copy->cookiePath);
                found->failed = failed;
                UnlockRecord(list, p);
                return 1;
            }
            r -= copy->count;
        }
        UnlockRecord(list, p);
    }
    return 0;
}

// Reads the fortune found. A source that fails is remembered for the rest of
// the run and its count leaves *live. The cookie reader may recount its copy;
// the copy is put back as the catalogue holds it, so that the positions of
// the rest of the turn stay where they were.
static int ReadFound(HINSTANCE instance, RecordList* list, const FoundFortune* found, uint32_t* live)
{
    SourceRecord* copy;
    if (!LockRecord(list, found->copy, &copy)) return kLoopSourceFailed;
    const SourceRecord stored = *copy;
    int result = ReadSource(instance, found->position, copy);
    if (result == kLoopSourceFailed) {
        RememberFailedSource(&stored);
        *live -= stored.count;
    }
    *copy = stored;
    UnlockRecord(list, found->copy);
    return result;
}

// A key for a walk of the turn's own, from the program's generator.
static uint64_t KeyFromGenerator()
{
    uint64_t key = 0;
    for (int i = 0; i < 5; ++i) key = (key << 15) ^ NextRandom();
    return key;
}

// One turn's way through a round: the stored round, shared by every copy of
// the program, or one of the turn's own.
struct RoundWalk {
    int stored;            // the round beside the catalogue, under its lock
    int dayTurn;           // the first turn of a run with one fortune a day
    int dayTried;          // the day's fortune was offered in this turn
    int wholeRoundHere;    // a round began in this turn without a pass
    uint32_t today;
    uint64_t sources;      // the signature of the active sources
    RoundState own;        // the round of a walk of the turn's own
    int stepped;           // the fortune found is a step of the stored round:
    uint64_t key;          // its key
    uint32_t takenStep;    // and the step
};


// Takes steps until one falls on a fortune to read: not in a source that
// failed in this run, not passed over as shown lately. The stored round is
// read, advanced and written back under one hold of the catalogue lock, so
// that two copies never take the same step; after the wait the step is
// taken all the same (a copy that hangs must not stop the others). 0 when a
// round that began in this turn came to its end: every position was tried.
static int TakeUsableStep(RoundWalk* walk, RecordList* list, uint32_t total, FoundFortune* found)
{
    HANDLE held = nullptr;
    RoundState* state = &walk->own;
    RoundState stored;
    if (walk->stored) {
        LockCatalogue(&held);
        ReadRoundState(&stored);
        state = &stored;
    }
    int usable = 0;
    walk->stepped = 0;
    for (;;) {
        uint32_t position;
        if (walk->dayTurn && !walk->dayTried) {
            walk->dayTried = 1;
            if (HasDayFortune(state, walk->today, walk->sources, &position) &&
                FindFortune(list, position, 0, found) && !found->failed) {
                usable = 1;
                break;
            }
        }
        RoundChange change = RoundChangeFor(state, total, walk->sources);
        if (change != kRoundGoesOn) {
            if (change == kRoundEnded && walk->wholeRoundHere) break;
            uint64_t key;
            if (!walk->stored || !NewRoundKey(&key)) key = KeyFromGenerator();
            StartRound(state, key, total, walk->sources, change);
            walk->wholeRoundHere = change != kRoundSourcesChanged;
        }
        position = TakeRoundStep(state);
        if (!FindFortune(list, position, 0, found) || found->failed ||
            PassesOver(state, found->source, found->position))
            continue;
        RememberShow(state, found->source, found->position);
        if (walk->dayTurn) SetDayFortune(state, walk->today, walk->sources, position);
        walk->stepped = walk->stored;
        walk->key = (static_cast<uint64_t>(state->keyHigh) << 32) | state->keyLow;
        walk->takenStep = state->step - 1;
        usable = 1;
        break;
    }
    if (walk->stored) {
        WriteRoundState(state);
        UnlockCatalogue(held);
    }
    return usable;
}

// Shows the next fortune of the round that can be shown: a source that fails
// now, or a fortune put away, costs a step. Ends with nothing to draw when
// every position was tried.
static int WalkRound(HINSTANCE instance, RecordList* list, uint32_t total, uint32_t* live, RoundWalk* walk)
{
    while (*live != 0) {
        FoundFortune found;
        if (!TakeUsableStep(walk, list, total, &found)) return kLoopNothingToDraw;
        // The run's first fortune from the stored round is where Backspace
        // goes on into the round; while it shows, the window is told
        // whether an earlier step is there.
        const EarliestShown before = g_earliest;
        if (!g_earliest.known && walk->stepped)
            g_earliest = EarliestShown{1, walk->key, total, walk->sources, walk->takenStep};
        RunHistory()->earlier = g_earliest.known && g_earliest.step > 0;
        int result = ReadFound(instance, list, &found, live);
        if (result != kLoopSourceFailed && result != kLoopPutAway) return result;
        g_earliest = before;
    }
    return kLoopNoSourceReadable;
}

// Fortunes may repeat: each turn draws a position over the sources that
// have not failed, as the program always did. A fortune put away sends the
// turn on a walk of its own through every position, so that it ends when
// all are put away.
static int DrawWithRepeats(HINSTANCE instance, RecordList* list, uint32_t total, uint32_t* live)
{
    while (*live != 0) {
        FoundFortune found;
        // Only a copy that cannot be locked leaves a position without a source.
        if (!FindFortune(list, ScaledRandom(*live), 1, &found)) return kLoopNoSourceReadable;
        int result = ReadFound(instance, list, &found, live);
        if (result == kLoopPutAway) {
            RoundWalk own = {};
            return WalkRound(instance, list, total, live, &own);
        }
        if (result != kLoopSourceFailed) return result;
    }
    return kLoopNoSourceReadable;
}

// Shows the fortune of the step before the earliest this run has shown, in
// the round the run began in, as the oldest of the run's fortunes; passes
// over those that cannot be shown. When the sources have changed since, or
// the round's start is reached, there is none: a new fortune comes instead.
static int ShowEarlier(HINSTANCE instance, RecordList* list, uint32_t total, uint32_t* live, uint64_t sources)
{
    FortuneHistory* history = RunHistory();
    while (*live != 0 && g_earliest.known && g_earliest.total == total && g_earliest.sources == sources &&
           g_earliest.step > 0) {
        uint32_t step = --g_earliest.step;
        FoundFortune found;
        if (!FindFortune(list, PermutePosition(g_earliest.key, total, step), 0, &found) || found.failed) continue;
        history->earlier = step > 0;
        history->olderNext = 1;
        int result = ReadFound(instance, list, &found, live);
        history->olderNext = 0;
        if (result != kLoopSourceFailed && result != kLoopPutAway) return result;
    }
    history->earlier = 0;
    return kLoopAnother;
}

// The signature of the active sources a round belongs to: each one's kind,
// count and cookie file, and for "Fortune.txt" the last scan of it, so that
// an edit of the file begins a new round even when its count stays.
static uint64_t ActiveSourcesSignature(RecordList* list)
{
    uint64_t signature = kSourcesSignatureStart;
    for (int p = 0; p <= GetLastRecordIndex(list); ++p) {
        SourceRecord* copy;
        if (!LockRecord(list, p, &copy)) continue;
        signature = MixIntoSignature(signature, &copy->kind, sizeof copy->kind);
        signature = MixIntoSignature(signature, &copy->count, sizeof copy->count);
        signature = MixIntoSignature(signature, copy->cookiePath, static_cast<uint32_t>(FieldLength(copy->cookiePath, sizeof copy->cookiePath)));
        if (copy->kind == kSourceLegacyText) {
            LegacyScanState scan = {};
            ReadLegacyScanState(&scan);
            signature = MixIntoSignature(signature, &scan, sizeof scan);
        }
        UnlockRecord(list, p);
    }
    return signature;
}

static uint32_t Today()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return LocalDayNumber(now.wYear, now.wMonth, now.wDay);
}

int ChooseFortune(HINSTANCE instance)
{
    RecordList* list;
    if (!CreateRecordList(&list)) return kLoopNothingToDraw;

    // The totals are unsigned 32-bit and wrap, like the counts they add up.
    // Only copies that made it into the list count, so that every position
    // drawn lies in some copy. The sources that failed in this run keep
    // their place in the round (total) but are never read (live).
    uint32_t total = 0;
    uint32_t live = 0;
    int leftOut = 0;
    int n;
    SourceRecord* records = ReadSourceRecords(&n);
    for (int position = 0; position < n; ++position) {
        const SourceRecord& record = records[position];
        if (record.active == 0 || !AppendRecord(list, &record, kSourceRecordSize)) continue;
        total += record.count;
        if (IsFailedSource(&record))
            leftOut = 1;
        else
            live += record.count;
    }
    if (records != nullptr) LocalFree(records);

    int result = leftOut ? kLoopNoSourceReadable : kLoopNothingToDraw;
    if (live != 0) {
        int dayTurn = g_firstTurn && ReadDrawOption(kOneADayOption);
        g_firstTurn = 0;
        if (!dayTurn && ReadDrawOption(kRepeatsOption)) {
            RunHistory()->earlier = 0;
            result = DrawWithRepeats(instance, list, total, &live);
        } else {
            RoundWalk walk = {};
            walk.stored = 1;
            walk.dayTurn = dayTurn;
            walk.today = Today();
            walk.sources = ActiveSourcesSignature(list);
            result = WalkRound(instance, list, total, &live, &walk);
            while (result == kLoopEarlier) result = ShowEarlier(instance, list, total, &live, walk.sources);
        }
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
    int result = OfferFortune(instance, text);
    GlobalFree(text);
    return result;
}
