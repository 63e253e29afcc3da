#include "cookies/indexer.h"

#include "cookies/index_location.h"
#include "cookies/scanner.h"

// The cookie file is read through a buffer of the indexer's own and the
// entries are collected and written in blocks: one system call per byte
// would make a large file take tens of seconds. No heap memory is used.
static const DWORD kReadBufferSize = 64 * 1024;
static const uint32_t kEntryBlockCount = 4096;

// Offsets are 32-bit, and the reader seeks them as signed 32-bit distances,
// so only files below 2 GiB can be indexed and read back.
static const uint32_t kCookieSizeLimit = 0x80000000u;

static int WriteEntries(HANDLE index, const uint32_t* entries, uint32_t n)
{
    DWORD bytes = n * static_cast<DWORD>(sizeof *entries);
    DWORD written = 0;
    return WriteFile(index, entries, bytes, &written, nullptr) && written == bytes;
}

// The one forward pass. Buffering changes nothing that the starting thread
// can see: cancel is looked at before every byte is examined, and progress
// is written after every byte. A write error ends the run with 6 at the next
// byte; with the blocks, that is a byte after the block that failed.
static DWORD ScanCookieFile(HANDLE cookies, HANDLE index, uint32_t size, IndexJob* job, uint32_t& count,
                            DWORD result)
{
    unsigned char bytes[kReadBufferSize];
    uint32_t entries[kEntryBlockCount];
    uint32_t pending = 0;
    CookieScanState state = kScanInText;
    const double quotient = ProgressQuotient(size);
    uint32_t position = 0;
    for (;;) {
        DWORD got = 0;
        // A read error ends the scan like the end of the file: the entries
        // found so far stand.
        if (!ReadFile(cookies, bytes, kReadBufferSize, &got, nullptr)) break;
        // A file that grew past the limit while it is read is cut there.
        if (got > kCookieSizeLimit - 1 - position) got = kCookieSizeLimit - 1 - position;
        if (got == 0) break;
        for (DWORD i = 0; i < got; ++i) {
            if (job->cancel.load(std::memory_order_relaxed) == 1) result = kIndexCancelled;
            if (result != kIndexOk) return result;
            if (ScanCookieByte(state, bytes[i])) {
                entries[pending++] = position;
                ++count;
                if (pending == kEntryBlockCount) {
                    if (!WriteEntries(index, entries, pending)) result = kIndexWriteFailed;
                    pending = 0;
                }
            }
            ++position;
            job->progress.store(ProgressValue(quotient, position), std::memory_order_relaxed);
        }
    }
    if (result == kIndexOk && pending > 0 && !WriteEntries(index, entries, pending)) result = kIndexWriteFailed;
    return result;
}

DWORD WINAPI IndexCookieFile(LPVOID parameter)
{
    IndexJob* job = static_cast<IndexJob*>(parameter);
    SourceRecord* record = job->record;
    if (FieldLength(record->indexPath, sizeof record->indexPath) == 0) {
        DWORD code = ChooseIndexFile(record->indexPath, kIndexNameLimit);
        if (code != kIndexOk) return code;
    }
    char indexPath[kPathFieldSize + 1];
    char cookiePath[kPathFieldSize + 1];
    FieldString(record->indexPath, indexPath);
    FieldString(record->cookiePath, cookiePath);

    HANDLE index = CreateFileA(indexPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
    if (index == INVALID_HANDLE_VALUE) {
        DeleteFileA(indexPath);
        return kIndexCannotCreate;
    }

    DWORD result = kIndexOk;
    HANDLE cookies = CreateFileA(cookiePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (cookies == INVALID_HANDLE_VALUE) {
        result = kIndexCannotOpenCookies;
    } else {
        DWORD sizeHigh = 0;
        DWORD size = GetFileSize(cookies, &sizeHigh);
        if (sizeHigh != 0 || size >= kCookieSizeLimit) {
            // Also a size that cannot be read (INVALID_FILE_SIZE).
            result = kIndexCannotOpenCookies;
        } else {
            const uint32_t firstEntry = 0;
            if (!WriteEntries(index, &firstEntry, 1)) result = kIndexWriteFailed;
            uint32_t count = 1;
            result = ScanCookieFile(cookies, index, size, job, count, result);
            record->count = count;
        }
        CloseHandle(cookies);
    }
    CloseHandle(index);
    // No partial or empty index file survives a failed run.
    if (result != kIndexOk) DeleteFileA(indexPath);
    return result;
}
