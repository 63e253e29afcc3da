// The list of record copies that one turn builds, walks and destroys. Copies
// live in movable global-memory blocks and are reached only while locked.
#ifndef MERROWIND_RECORD_LIST_H
#define MERROWIND_RECORD_LIST_H

#include "core/source_record.h"

struct RecordList;

int CreateRecordList(RecordList** list);
int AppendRecord(RecordList* list, const SourceRecord* record, uint32_t size);
int GetLastRecordIndex(const RecordList* list);
int LockRecord(RecordList* list, int position, SourceRecord** record);
int UnlockRecord(RecordList* list, int position);
int DestroyRecordList(RecordList* list);

#endif
