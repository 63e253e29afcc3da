#include "core/catalogue_lock.h"

// "Local\": one lock per session, that of the user whose catalogue it is.
static char g_lockName[64] = "Local\\Tolvane.Merrowind.Catalogue";

void NameCatalogueLock(const char* name)
{
    lstrcpynA(g_lockName, name, sizeof g_lockName);
}

int LockCatalogue(HANDLE* held)
{
    *held = nullptr;
    HANDLE lock = CreateMutexA(nullptr, FALSE, g_lockName);
    if (lock == nullptr) return 0;
    // A copy that ended while holding the lock (killed, crashed) leaves it
    // abandoned: its writes stopped, and the lock is this thread's now.
    DWORD waited = WaitForSingleObject(lock, kCatalogueLockWaitMs);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(lock);
        return 0;
    }
    *held = lock;
    return 1;
}

void UnlockCatalogue(HANDLE held)
{
    if (held == nullptr) return;
    ReleaseMutex(held);
    CloseHandle(held);
}
