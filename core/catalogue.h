// The catalogue of fortune sources in the current user's registry: one
// 788-byte binary value per source, numbered "MWD%05i" from 0 without a gap.
// This is the only code that touches catalogue values.
#ifndef MERROWIND_CATALOGUE_H
#define MERROWIND_CATALOGUE_H

#include <stdint.h>

#include "core/source_record.h"

extern const char CatalogueKey[];  // under HKEY_CURRENT_USER

// Number of records (0 when the key cannot be opened with full access).
int CountSourceRecords();
// 1 when there is a record at position 0 (of any length), so the catalogue
// is not empty: one look, where counting asks for every record.
int HasSourceRecords();
// Deletes every record of the unbroken run; 1 if at least one was deleted.
int ClearSourceRecords();
// Reads record i into the caller's 788-byte buffer, zeroed first, so a
// shorter value leaves zeros behind its own length; 1 on success.
int ReadSourceRecord(int i, SourceRecord* record);
// Reads the whole unbroken run of records, as ReadSourceRecord at 0, 1, 2 ...
// until the first that fails would, but with one opening of the key: under
// Wine each opening is a trip to the server, and a turn reads every record.
// The records come in a block of the local heap that the caller frees with
// LocalFree, *n of them (0 when the key is missing); null without memory.
SourceRecord* ReadSourceRecords(int* n);
// Creates or overwrites record i; 1 on success.
int WriteSourceRecord(int i, const SourceRecord* record);
// Deletes record i and moves every later record down one place; 1 if the
// key could be opened for the deletion. Under the catalogue lock (see
// core/catalogue_lock.h), waited for and then gone on without.
int DeleteSourceRecord(int i);
// Writes count into every record that still equals old, byte for byte,
// changing nothing else; returns how many were written. Under the catalogue
// lock; an optional write, so nothing is written when the wait runs out.
int UpdateSourceCount(const SourceRecord* old, uint32_t count);
// Writes one record at position i; 1 on success. WriteSourceRecord is one.
typedef int (*SourceRecordWriter)(int i, const SourceRecord* record);
// Makes the n records the whole catalogue: each is written over its
// position, then the positions behind them are dropped. When a write fails,
// the records the catalogue held before are written back, and the positions
// behind them dropped, so that the catalogue is the old list or the new one,
// never a mix of both; 0 then, and 0 without a write when there is no memory
// to keep the old list in. Writes go through write (tests pass a failing one).
// Under the catalogue lock, waited for and then gone on without: this is the
// user's save.
int ReplaceSourceRecords(const SourceRecord* const* records, int n, SourceRecordWriter write = WriteSourceRecord);
// Deletes the values from position first up to the end of the unbroken run,
// leaving positions below first alone; 1 if at least one was deleted.
int TruncateSourceRecords(int first);

// The result of the last scan of "Fortune.txt", kept beside the catalogue as
// four REG_DWORD values.
struct LegacyScanState {
    uint32_t size;      // "FSize": fortune lines counted
    uint32_t replace;   // "FReplace": the built-in collection's switch
    uint32_t lastLow;   // "LastLow" and "LastHigh": the file's last-write time
    uint32_t lastHigh;
};
// Reads the four values in the order above, stopping at the first that is
// missing or not a 4-byte value; returns how many were read (0 to 4). Fields
// not read are left as they came.
int ReadLegacyScanState(LegacyScanState* state);
// Writes the four values in the same order; 1 if the key could be created.
// A single value that cannot be written is passed over.
int WriteLegacyScanState(const LegacyScanState* state);

// Formats the value name of position i ("MWD00000" ...).
void FormatRecordValueName(int i, char (&valueName)[16]);

#endif
