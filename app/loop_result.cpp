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
