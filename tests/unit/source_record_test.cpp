#include <cstring>

#include <gtest/gtest.h>

#include "core/ansi_path_rules.h"
#include "core/source_record.h"

TEST(SourceRecordFields, FieldWithoutTerminatorIsCutAtItsEnd)
{
    SourceRecord record;
    std::memset(&record, 'A', sizeof record);
    EXPECT_EQ(FieldLength(record.name, sizeof record.name), 256u);
    char name[257];
    FieldString(record.name, name);
    EXPECT_EQ(std::strlen(name), 256u);
    char path[261];
    FieldString(record.cookiePath, path);
    EXPECT_EQ(std::strlen(path), 260u);
}

TEST(SourceRecordFields, TerminatedField)
{
    SourceRecord record;
    std::memset(&record, 'A', sizeof record);
    std::memcpy(record.indexPath, "C:\\x.idx", 9);
    char path[261];
    FieldString(record.indexPath, path);
    EXPECT_STREQ(path, "C:\\x.idx");
}

TEST(SourceRecordFields, SetFieldCutsSoTheTerminatorFits)
{
    char field[4];
    SetField(field, sizeof field, "abcdef");
    EXPECT_STREQ(field, "abc");
    SetField(field, sizeof field, "");
    EXPECT_STREQ(field, "");
}

// Records store ANSI paths. A path the wide calls give is kept when it
// converts exactly; one with a letter outside the ANSI code page ("?" in its
// place names another file) goes through its short form, and only once.
TEST(AnsiPathRoute, ExactConversionsAreKeptAndOthersTryTheShortFormOnce)
{
    EXPECT_EQ(ChooseAnsiPathRoute(true, false, false), kAnsiPathConverted);
    EXPECT_EQ(ChooseAnsiPathRoute(true, false, true), kAnsiPathConverted);
    EXPECT_EQ(ChooseAnsiPathRoute(true, true, false), kAnsiPathTryShortForm)
        << "a default character means the text names another file";
    EXPECT_EQ(ChooseAnsiPathRoute(false, false, false), kAnsiPathTryShortForm)
        << "a path too long in ANSI bytes may fit as its short form";
    EXPECT_EQ(ChooseAnsiPathRoute(true, true, true), kAnsiPathNone) << "no third try";
    EXPECT_EQ(ChooseAnsiPathRoute(false, false, true), kAnsiPathNone);
}
