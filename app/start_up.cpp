#include "app/start_up.h"

#include <windows.h>

#include "core/catalogue.h"
#include "core/catalogue_lock.h"
#include "core/product.h"

// The count and the write are one step for the catalogue lock: another copy
// starting at the same moment would otherwise write the record too, or a
// save of its settings fall between the two. The record goes in after the
// wait all the same, or there would be nothing to draw.
void EnsureCatalogue()
{
    HANDLE held;
    LockCatalogue(&held);
    if (HasSourceRecords()) {
        UnlockCatalogue(held);
        return;
    }
    SourceRecord builtIn;
    ZeroMemory(&builtIn, sizeof builtIn);
    builtIn.active = 1;
    builtIn.kind = kSourceBuiltIn;
    builtIn.count = kBuiltInFortuneCount;
    SetField(builtIn.name, sizeof builtIn.name, kBuiltInSourceName);
    WriteSourceRecord(0, &builtIn);
    UnlockCatalogue(held);
}
