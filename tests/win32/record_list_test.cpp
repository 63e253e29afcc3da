#include <cstring>

#include <gtest/gtest.h>

#include "app/record_list.h"
#include "tests/support/win32_fixtures.h"

TEST(RecordList, AppendLockUnlockDestroy)
{
    RecordList* list = nullptr;
    ASSERT_EQ(CreateRecordList(&list), 1);
    EXPECT_EQ(GetLastRecordIndex(list), -1);
    SourceRecord* copy = reinterpret_cast<SourceRecord*>(0x1234);
    EXPECT_EQ(LockRecord(list, 0, &copy), 0) << "empty list";
    EXPECT_EQ(copy, reinterpret_cast<SourceRecord*>(0x1234)) << "out-argument untouched on failure";

    SourceRecord records[3] = {MakeRecord(1, 0, 10, "a"), MakeRecord(0, 2, 20, "b"), MakeRecord(1, 1, 30, "c")};
    for (const SourceRecord& r : records) ASSERT_EQ(AppendRecord(list, &r, sizeof r), 1);
    EXPECT_EQ(GetLastRecordIndex(list), 2);

    for (int p = 0; p < 3; ++p) {
        ASSERT_EQ(LockRecord(list, p, &copy), 1);
        EXPECT_EQ(*copy, records[p]) << "position " << p;
        EXPECT_NE(copy, &records[p]) << "the list holds its own copy";
        EXPECT_EQ(UnlockRecord(list, p), 1) << "lock count back to zero";
    }
    EXPECT_EQ(LockRecord(list, 3, &copy), 0);
    EXPECT_EQ(LockRecord(list, -1, &copy), 0);
    EXPECT_EQ(UnlockRecord(list, 3), 0);

    // A copy locked twice is still locked after one unlock.
    ASSERT_EQ(LockRecord(list, 1, &copy), 1);
    ASSERT_EQ(LockRecord(list, 1, &copy), 1);
    EXPECT_EQ(UnlockRecord(list, 1), 0);
    EXPECT_EQ(UnlockRecord(list, 1), 1);

    EXPECT_EQ(DestroyRecordList(list), 1);
}
