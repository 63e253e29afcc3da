#include <stdio.h>
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "dialogs/dialog_rules.h"

TEST(SettingsTitle, ShowsTheActiveTotalAsAnUnsignedNumber)
{
    char title[kSettingsTitleSize];
    FormatSettingsTitle(0, title);
    EXPECT_STREQ(title, "Merrowind - Settings (0 active)");
    FormatSettingsTitle(4297, title);
    EXPECT_STREQ(title, "Merrowind - Settings (4297 active)");
    FormatSettingsTitle(0xFFFFFFFFu, title);
    EXPECT_STREQ(title, "Merrowind - Settings (4294967295 active)") << "the total is unsigned 32-bit";
}

TEST(SettingsTitle, ActiveTotalSkipsInactiveRowsAndWrapsAt32Bits)
{
    uint32_t total = 0;
    total = AddActiveCount(total, 1, 4297);
    total = AddActiveCount(total, 0, 1000);
    total = AddActiveCount(total, -5, 3);
    EXPECT_EQ(total, 4300u) << "any non-zero active counts, zero does not";
    EXPECT_EQ(AddActiveCount(0xFFFFFFFFu, 1, 2), 1u) << "the sum wraps as a 32-bit number";
}

TEST(CheckBoxState, ImagesMapToActiveAndBack)
{
    EXPECT_EQ(StateImageForActive(1), 0x2000u);
    EXPECT_EQ(StateImageForActive(-1), 0x2000u) << "any non-zero active shows the checked box";
    EXPECT_EQ(StateImageForActive(0), 0x1000u);
    EXPECT_EQ(ActiveFromState(0x2000 | 0x0002, 0), 1) << "other state bits do not matter";
    EXPECT_EQ(ActiveFromState(0x1000 | 0x0003, 7), 0);
    EXPECT_EQ(ActiveFromState(0x0000, 1), 1) << "no check box image leaves active as it was";
    EXPECT_EQ(ActiveFromState(0x0000, 0), 0);
    EXPECT_EQ(ActiveFromState(0x3000, 1), 1) << "an unknown image leaves active as it was";
}

static int g_existenceQueries = 0;
static bool NothingExists(const char*)
{
    ++g_existenceQueries;
    return false;
}
static bool EverythingExists(const char*)
{
    ++g_existenceQueries;
    return true;
}

TEST(CookieEntryChecks, RunInOrderAndReportOnlyTheFirstFailure)
{
    g_existenceQueries = 0;
    EXPECT_STREQ(FirstEntryProblem(0, 0, NothingExists, ""), "Please enter a name for the Cookie File.");
    EXPECT_STREQ(FirstEntryProblem(0, 5, NothingExists, "x.txt"), "Please enter a name for the Cookie File.");
    EXPECT_STREQ(FirstEntryProblem(3, 0, NothingExists, ""), "Please enter the path to the Cookie File.");
    EXPECT_EQ(g_existenceQueries, 0) << "the disk is asked only when a name and a path are given";
    EXPECT_STREQ(FirstEntryProblem(3, 5, NothingExists, "x.txt"), "Cookie File does not exist!");
    EXPECT_EQ(FirstEntryProblem(3, 5, EverythingExists, "x.txt"), nullptr);
    EXPECT_EQ(g_existenceQueries, 2);
}

TEST(CookieFileDialogText, CaptionFollowsTheRecordsName)
{
    EXPECT_STREQ(CookieFileCaption(0), "Merrowind - Add Cookie File");
    EXPECT_STREQ(CookieFileCaption(1), "Merrowind - Edit Cookie File");
}

TEST(CookieFileDialogText, IndexFailuresAreReportedExceptSuccessAndCancel)
{
    char text[kIndexFailureSize];
    FormatIndexFailure(5, text);
    EXPECT_STREQ(text, "Failed to create index file (5).");
    EXPECT_FALSE(IndexResultNeedsMessage(0)) << "success shows no message";
    EXPECT_FALSE(IndexResultNeedsMessage(7)) << "a cancelled run shows no message";
    for (uint32_t code : {1u, 2u, 3u, 4u, 5u, 6u, 8u}) EXPECT_TRUE(IndexResultNeedsMessage(code)) << code;
}

TEST(CountText, IsUnsignedDecimal)
{
    char text[kCountTextSize];
    FormatCount(0, text);
    EXPECT_STREQ(text, "0");
    FormatCount(4294967295u, text);
    EXPECT_STREQ(text, "4294967295");
}

// Explorer's "Copy as path" quotes the path; a paste may bring blanks along.
TEST(PastedPath, LosesSurroundingBlanksAndOnePairOfQuotes)
{
    struct Case {
        const char* pasted;
        const char* expected;
    } cases[] = {
        {"\"C:\\My Cookies\\wisdom.txt\"", "C:\\My Cookies\\wisdom.txt"},
        {"  \"C:\\a.txt\"\t ", "C:\\a.txt"},
        {" C:\\a b.txt ", "C:\\a b.txt"},
        {"\"\"C:\\a.txt\"\"", "\"C:\\a.txt\""},  // one pair only
        {"\"C:\\a.txt", "\"C:\\a.txt"},          // an unpaired quote stays
        {"C:\\a.txt\"", "C:\\a.txt\""},
        {"\" C:\\a.txt \"", " C:\\a.txt "},      // what is inside the quotes is the path
        {"\"\"", ""},
        {"\"", "\""},
        {"   ", ""},
        {"", ""},
        {"relative.txt", "relative.txt"},
    };
    for (const Case& c : cases) {
        char path[260];
        snprintf(path, sizeof path, "%s", c.pasted);
        size_t length = TrimPastedPath(path);
        EXPECT_STREQ(path, c.expected) << "pasted [" << c.pasted << "]";
        EXPECT_EQ(length, strlen(c.expected)) << "pasted [" << c.pasted << "]";
    }
}
