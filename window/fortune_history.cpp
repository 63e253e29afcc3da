#include "window/fortune_history.h"

static FortuneHistory runHistory;

FortuneHistory* RunHistory()
{
    return &runHistory;
}

static void CopyCut(char* out, const char* text, uint32_t capacity)
{
    if (capacity == 0) return;
    uint32_t i = 0;
    for (; i + 1 < capacity && text[i] != '\0'; ++i) out[i] = text[i];
    out[i] = '\0';
}

void RememberFortune(FortuneHistory* history, const char* text)
{
    history->newest = history->count == 0 ? 0 : (history->newest + 1) % kHistoryLength;
    if (history->count < kHistoryLength) ++history->count;
    history->back = 0;
    CopyCut(history->texts[history->newest], text, kTextBufferSize);
}

void RememberOlder(FortuneHistory* history, const char* text)
{
    if (history->count == 0) {
        RememberFortune(history, text);
        return;
    }
    int slot;
    if (history->count < kHistoryLength) {
        slot = (history->newest - history->count + kHistoryLength) % kHistoryLength;
        ++history->count;
    } else {
        // Full: the newest slot becomes the one before the oldest.
        slot = history->newest;
        history->newest = (history->newest - 1 + kHistoryLength) % kHistoryLength;
    }
    history->back = history->count - 1;
    CopyCut(history->texts[slot], text, kTextBufferSize);
}

int CanStepBeyond(const FortuneHistory* history)
{
    return history->earlier && history->count > 0 && history->back + 1 == history->count;
}

const char* ShownFortune(const FortuneHistory* history)
{
    if (history->count == 0) return "";
    return history->texts[(history->newest - history->back + kHistoryLength) % kHistoryLength];
}

int CanStepBack(const FortuneHistory* history)
{
    return history->back + 1 < history->count;
}

int StepBack(FortuneHistory* history, char* out, uint32_t capacity)
{
    int stepped = CanStepBack(history);
    history->back += stepped;
    if (history->count == 0) {
        CopyCut(out, "", capacity);
        return 0;
    }
    int slot = (history->newest - history->back + kHistoryLength) % kHistoryLength;
    CopyCut(out, history->texts[slot], capacity);
    return stepped;
}
