#include "app/record_list.h"

#include <windows.h>

struct RecordNode {
    RecordNode* next;
    RecordNode* previous;
    HGLOBAL block;
};

struct RecordList {
    RecordNode* first;
    RecordNode* last;
    int lastIndex;
};

int CreateRecordList(RecordList** list)
{
    RecordList* header = static_cast<RecordList*>(GlobalAlloc(GMEM_FIXED, sizeof(RecordList)));
    if (header == nullptr) return 0;
    header->first = nullptr;
    header->last = nullptr;
    header->lastIndex = -1;
    *list = header;
    return 1;
}

int AppendRecord(RecordList* list, const SourceRecord* record, uint32_t size)
{
    RecordNode* node = static_cast<RecordNode*>(GlobalAlloc(GMEM_FIXED, sizeof(RecordNode)));
    if (node == nullptr) return 0;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr) {
        GlobalFree(node);
        return 0;
    }
    void* copy = GlobalLock(block);
    if (copy == nullptr) {
        GlobalFree(block);
        GlobalFree(node);
        return 0;
    }
    CopyMemory(copy, record, size);
    // GlobalUnlock returns 0 with no error only when the lock count reached
    // zero; anything else means the block would stay pinned.
    SetLastError(NO_ERROR);
    if (GlobalUnlock(block) != 0 || GetLastError() != NO_ERROR) {
        GlobalFree(block);
        GlobalFree(node);
        return 0;
    }
    node->block = block;
    node->next = nullptr;
    node->previous = list->last;
    if (list->last != nullptr)
        list->last->next = node;
    else
        list->first = node;
    list->last = node;
    list->lastIndex += 1;
    return 1;
}

int GetLastRecordIndex(const RecordList* list)
{
    return list->lastIndex;
}

static RecordNode* FindNode(RecordList* list, int position)
{
    if (list->lastIndex < 0 || position < 0 || position > list->lastIndex) return nullptr;
    RecordNode* node = list->first;
    for (int i = 0; i < position && node != nullptr; ++i) node = node->next;
    return node;
}

int LockRecord(RecordList* list, int position, SourceRecord** record)
{
    RecordNode* node = FindNode(list, position);
    if (node == nullptr) return 0;
    void* copy = GlobalLock(node->block);
    if (copy == nullptr) return 0;
    *record = static_cast<SourceRecord*>(copy);
    return 1;
}

int UnlockRecord(RecordList* list, int position)
{
    RecordNode* node = FindNode(list, position);
    if (node == nullptr) return 0;
    SetLastError(NO_ERROR);
    return (GlobalUnlock(node->block) == 0 && GetLastError() == NO_ERROR) ? 1 : 0;
}

int DestroyRecordList(RecordList* list)
{
    RecordNode* node = list->first;
    while (node != nullptr) {
        RecordNode* next = node->next;
        if (GlobalFree(node->block) != nullptr) return 0;
        if (GlobalFree(node) != nullptr) return 0;
        node = next;
    }
    return GlobalFree(list) == nullptr ? 1 : 0;
}
