#include "core/catalogue.h"

#include <windows.h>

#include "core/catalogue_lock.h"

#include <string.h>

const char CatalogueKey[] = "Software\\Tolvane\\Merrowind";

static const char* const kLegacyScanValueNames[4] = {"FSize", "FReplace", "LastLow", "LastHigh"};

void FormatRecordValueName(int i, char (&valueName)[16])
{
    wsprintfA(valueName, "MWD%05i", i);
}

// Counting and clearing share one scan; the scan starts at position first.
static int ScanSourceRecords(int first, bool deleting)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, CatalogueKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return 0;
    int found = 0;
    for (int i = first;; ++i) {
        char valueName[16];
        FormatRecordValueName(i, valueName);
        if (RegQueryValueExA(key, valueName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        ++found;
        if (deleting) RegDeleteValueA(key, valueName);
    }
    RegCloseKey(key);
    return found;
}

int CountSourceRecords()
{
    return ScanSourceRecords(0, false);
}

int HasSourceRecords()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, CatalogueKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return 0;
    char valueName[16];
    FormatRecordValueName(0, valueName);
    LONG status = RegQueryValueExA(key, valueName, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? 1 : 0;
}

int ClearSourceRecords()
{
    return ScanSourceRecords(0, true) > 0 ? 1 : 0;
}

int TruncateSourceRecords(int first)
{
    return ScanSourceRecords(first, true) > 0 ? 1 : 0;
}

int ReadSourceRecord(int i, SourceRecord* record)
{
    char valueName[16];
    FormatRecordValueName(i, valueName);
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, CatalogueKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    // Zeroed first: a shorter value fills only its own length, and no caller
    // should see bytes of whatever the buffer held before.
    ZeroMemory(record, sizeof *record);
    DWORD size = kSourceRecordSize;
    LONG status = RegQueryValueExA(key, valueName, nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(record), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? 1 : 0;
}

SourceRecord* ReadSourceRecords(int* n)
{
    *n = 0;
    int room = 8;  // grows as needed; most catalogues hold a few records
    SourceRecord* all = static_cast<SourceRecord*>(LocalAlloc(LMEM_FIXED, static_cast<SIZE_T>(room) * sizeof *all));
    HKEY key;
    if (all == nullptr || RegOpenKeyExA(HKEY_CURRENT_USER, CatalogueKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return all;
    for (;;) {
        if (*n == room) {
            HLOCAL grown = LocalReAlloc(all, static_cast<SIZE_T>(room) * 2 * sizeof *all, LMEM_MOVEABLE);
            if (grown == nullptr) {
                LocalFree(all);
                all = nullptr;
                *n = 0;
                break;
            }
            all = static_cast<SourceRecord*>(grown);
            room *= 2;
        }
        char valueName[16];
        FormatRecordValueName(*n, valueName);
        ZeroMemory(&all[*n], sizeof *all);  // as ReadSourceRecord: a shorter value leaves zeros
        DWORD size = kSourceRecordSize;
        if (RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(&all[*n]), &size) !=
            ERROR_SUCCESS)
            break;
        ++*n;
    }
    RegCloseKey(key);
    return all;
}

int WriteSourceRecord(int i, const SourceRecord* record)
{
    char valueName[16];
    FormatRecordValueName(i, valueName);
    HKEY key;
    char noClass[] = "";
    if (RegCreateKeyExA(HKEY_CURRENT_USER, CatalogueKey, 0, noClass, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return 0;
    LONG status = RegSetValueExA(key, valueName, 0, REG_BINARY,
                                 reinterpret_cast<const BYTE*>(record), kSourceRecordSize);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? 1 : 0;
}

static int DeleteAndShift(int i)
{
    int result = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, CatalogueKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        char valueName[16];
        FormatRecordValueName(i, valueName);
        RegDeleteValueA(key, valueName);
        RegCloseKey(key);
        result = 1;
    }

    // Move every later record down one place, in ascending order, then drop
    // the last value, which now stands twice.
    SourceRecord scratch;
    if (!ReadSourceRecord(i + 1, &scratch)) return result;
    int position = i + 1;
    for (;;) {
        WriteSourceRecord(position - 1, &scratch);
        ++position;
        if (!ReadSourceRecord(position, &scratch)) break;
    }
    DeleteAndShift(position - 1);
    return result;
}

// Only "Fortune.txt" gone takes a record out; the next start would take it
// out again, but a shift half done would leave a record twice, so it goes on
// after the wait.
int DeleteSourceRecord(int i)
{
    HANDLE held;
    LockCatalogue(&held);
    int result = DeleteAndShift(i);
    UnlockCatalogue(held);
    return result;
}

int UpdateSourceCount(const SourceRecord* old, uint32_t count)
{
    // Optional: a count skipped now is written at a later draw.
    HANDLE held;
    if (!LockCatalogue(&held)) return 0;
    int written = 0;
    SourceRecord record;
    for (int i = 0; ReadSourceRecord(i, &record); ++i) {
        if (memcmp(&record, old, sizeof record) != 0) continue;
        record.count = count;
        written += WriteSourceRecord(i, &record);
    }
    UnlockCatalogue(held);
    return written;
}

int ReplaceSourceRecords(const SourceRecord* const* records, int n, SourceRecordWriter write)
{
    // The user's save is never dropped: after the wait it goes on without
    // the lock, as every save did before there was one.
    HANDLE held;
    LockCatalogue(&held);
    int oldCount;
    SourceRecord* old = ReadSourceRecords(&oldCount);
    if (old == nullptr) {
        UnlockCatalogue(held);
        return 0;
    }
    int written = 0;
    while (written < n && write(written, records[written])) ++written;
    if (written == n) {
        TruncateSourceRecords(n);
    } else {
        for (int i = 0; i < oldCount; ++i) write(i, &old[i]);
        // Only positions this save wrote go; nothing of the old run.
        if (written > oldCount) TruncateSourceRecords(oldCount);
    }
    LocalFree(old);
    UnlockCatalogue(held);
    return written == n ? 1 : 0;
}

static uint32_t* LegacyScanField(LegacyScanState* state, int i)
{
    uint32_t* fields[4] = {&state->size, &state->replace, &state->lastLow, &state->lastHigh};
    return fields[i];
}

int ReadLegacyScanState(LegacyScanState* state)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, CatalogueKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    int read = 0;
    for (; read < 4; ++read) {
        // Anything but a whole 4-byte value counts as unreadable, so that a
        // stray short value can never half-match a file time.
        uint32_t value = 0;
        DWORD size = sizeof value;
        if (RegQueryValueExA(key, kLegacyScanValueNames[read], nullptr, nullptr,
                             reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
            size != sizeof value)
            break;
        *LegacyScanField(state, read) = value;
    }
    RegCloseKey(key);
    return read;
}

int WriteLegacyScanState(const LegacyScanState* state)
{
    HKEY key;
    char noClass[] = "";
    if (RegCreateKeyExA(HKEY_CURRENT_USER, CatalogueKey, 0, noClass, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return 0;
    LegacyScanState copy = *state;
    for (int i = 0; i < 4; ++i) {
        DWORD value = *LegacyScanField(&copy, i);
        RegSetValueExA(key, kLegacyScanValueNames[i], 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&value), sizeof value);
    }
    RegCloseKey(key);
    return 1;
}
