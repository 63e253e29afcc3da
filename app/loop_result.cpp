#include "app/loop_result.h"

int ExitCodeForLoopResult(int result)
{
    switch (result) {
    case kLoopDelivered: return kExitDelivered;
    case kLoopNothingToDraw: return kExitNothingToDraw;
    case kLoopNoSourceReadable: return kExitNoSourceReadable;
    case kLoopSourceFailed: return kExitNoSourceReadable;
    case kLoopNotShown: return kExitNotShown;
    // The fortune window ends with 0 or 1 only; any other stop is taken as
    // a fortune that was not delivered.
    default: return kExitNotShown;
    }
}

static const char kNothingToDrawMessage[] =
    "There is no fortune to show, because no source is switched on, those switched on hold "
    "no fortunes, or every fortune is put away.\n\nOpen the settings?";
static const char kNoSourceReadableMessage[] =
    "There is no fortune to show, because none of the sources switched on could be read (a cookie "
    "file or \"Fortune.txt\" may have been moved or deleted).\n\nOpen the settings?";

const char* NothingToShowMessage(int result)
{
    switch (ExitCodeForLoopResult(result)) {
    case kExitNothingToDraw: return kNothingToDrawMessage;
    case kExitNoSourceReadable: return kNoSourceReadableMessage;
    default: return nullptr;
    }
}
