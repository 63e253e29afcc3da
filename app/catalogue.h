// The catalogue of fortune sources in the current user's registry: one
// 788-byte binary value per source, numbered "MWD%05i" from 0 without a gap.
// This is the only code that touches catalogue values.
#ifndef MERROWIND_CATALOGUE_H
#define MERROWIND_CATALOGUE_H

#include "app/source_record.h"

extern const char CatalogueKey[];  // under HKEY_CURRENT_USER

// Number of records (0 when the key cannot be opened with full access).
int CountSourceRecords();
// Deletes every record of the unbroken run; 1 if at least one was deleted.
int ClearSourceRecords();
// Reads record i into the caller's 788-byte buffer; 1 on success. A shorter
// value fills only its own length, so callers read into a zeroed record.
int ReadSourceRecord(int i, SourceRecord* record);
// Creates or overwrites record i; 1 on success.
int WriteSourceRecord(int i, const SourceRecord* record);
// Deletes record i and moves every later record down one place; 1 if the
// key could be opened for the deletion.
int DeleteSourceRecord(int i);
// Deletes the values from position first up to the end of the unbroken run,
// leaving positions below first alone; 1 if at least one was deleted.
int TruncateSourceRecords(int first);

// Formats the value name of position i ("MWD00000" ...).
void FormatRecordValueName(int i, char (&valueName)[16]);

#endif
