#include "core/catalogue_lock.h"

#include <sddl.h>

// Named for the user, not the session: the user's copies in other sessions
// (a scheduled task, a second remote session) share the same registry, so
// they must find the same lock. "Global\" reaches across sessions, and the
// user's SID in the name keeps other users' copies apart. Empty until the
// first lock works the name out.
static char g_lockName[256] = "";

void NameCatalogueLock(const char* name)
{
    lstrcpynA(g_lockName, name, sizeof g_lockName);
}

// The SID of the user this process runs as, in its "S-1-5-..." form, from
// LocalAlloc (LocalFree frees it); null when it cannot be had.
static char* UserSidText()
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return nullptr;
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } buffer;
    DWORD size = 0;
    char* text = nullptr;
    if (GetTokenInformation(token, TokenUser, &buffer, sizeof buffer, &size) &&
        !ConvertSidToStringSidA(buffer.user.User.Sid, &text))
        text = nullptr;
    CloseHandle(token);
    return text;
}

static const char kLockPrefix[] = "Global\\Tolvane.Merrowind.Catalogue.";

// Works out the lock's name once; 0 when the user cannot be told.
static int LockName()
{
    if (g_lockName[0] != '\0') return 1;
    char* sid = UserSidText();
    if (sid == nullptr) return 0;
    int fits = lstrlenA(kLockPrefix) + lstrlenA(sid) < static_cast<int>(sizeof g_lockName);
    if (fits) wsprintfA(g_lockName, "%s%s", kLockPrefix, sid);
    LocalFree(sid);
    return fits;
}

// Opens the lock, or makes it when no copy has yet. A copy started elevated
// would make it with the administrators' default security, which shuts out
// the user's ordinary copies; so it is made with a security that grants the
// user (whose SID every copy of the user shares, elevated or not), and an
// existing lock is opened with only the right a wait and a release need,
// which is also all that a lock made at a higher integrity level allows.
static HANDLE OpenOrMakeLock()
{
    HANDLE lock = OpenMutexA(SYNCHRONIZE, FALSE, g_lockName);
    if (lock != nullptr || GetLastError() != ERROR_FILE_NOT_FOUND) return lock;
    char* sid = UserSidText();
    if (sid == nullptr) return nullptr;
    char sddl[256];
    PSECURITY_DESCRIPTOR security = nullptr;
    if (lstrlenA(sid) < 200) {
        wsprintfA(sddl, "D:P(A;;0x%x;;;%s)", static_cast<unsigned>(MUTEX_ALL_ACCESS), sid);
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &security, nullptr))
            security = nullptr;
    }
    LocalFree(sid);
    if (security == nullptr) return nullptr;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, security, FALSE};
    lock = CreateMutexA(&attributes, FALSE, g_lockName);
    LocalFree(security);
    // Another copy made it in between, with a security this one may only
    // wait on.
    if (lock == nullptr && GetLastError() == ERROR_ACCESS_DENIED) lock = OpenMutexA(SYNCHRONIZE, FALSE, g_lockName);
    return lock;
}

int LockCatalogue(HANDLE* held)
{
    *held = nullptr;
    if (!LockName()) return 0;
    HANDLE lock = OpenOrMakeLock();
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
