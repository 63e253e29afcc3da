#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "app/command_line.h"
#include "app/loop_result.h"

static std::string Extract(const std::string& line, int* found = nullptr)
{
    char name[kOutputNameSize];
    std::memset(name, 'x', sizeof name);
    int result = ExtractOutputFileName(line.c_str(), name);
    if (found) *found = result;
    return name;
}

TEST(CommandLine, BareNameAfterProgramPath)
{
    int found = 0;
    EXPECT_EQ(Extract("merrowind.exe out.txt", &found), "out.txt");
    EXPECT_EQ(found, 1);
}

TEST(CommandLine, QuotedProgramPathAndQuotedArgumentWithSpace)
{
    EXPECT_EQ(Extract("\"C:\\Program Files\\Merrowind\\merrowind.exe\" \"C:\\my files\\out.txt\""),
              "C:\\my files\\out.txt");
}

TEST(CommandLine, NoArgumentMeansNoFile)
{
    int found = 1;
    EXPECT_EQ(Extract("merrowind.exe", &found), "");
    EXPECT_EQ(found, 0);
    EXPECT_EQ(Extract("", &found), "");
    EXPECT_EQ(found, 0);
    EXPECT_EQ(Extract("\"C:\\a b\\merrowind.exe\"", &found), "");
    EXPECT_EQ(found, 0);
}

TEST(CommandLine, TwoSpacesEndTheArgumentWhileEmpty)
{
    int found = 1;
    EXPECT_EQ(Extract("merrowind.exe  out.txt", &found), "");
    EXPECT_EQ(found, 0);
}

TEST(CommandLine, OnlyTheFirstArgumentCounts)
{
    EXPECT_EQ(Extract("merrowind.exe first.txt second.txt"), "first.txt");
}

TEST(CommandLine, QuotesAreRemovedWherever)
{
    EXPECT_EQ(Extract("merrowind.exe out\"put\".txt"), "output.txt");
    EXPECT_EQ(Extract("merrowind.exe \"\"a\"\""), "a");
}

TEST(CommandLine, TabIsNotASeparator)
{
    int found = 1;
    EXPECT_EQ(Extract("merrowind.exe\tout.txt", &found), "");
    EXPECT_EQ(found, 0);
    EXPECT_EQ(Extract("merrowind.exe a\tb"), "a\tb");
}

TEST(CommandLine, LongArgumentIsCutTo259Characters)
{
    std::string longName(300, 'n');
    std::string name = Extract("merrowind.exe " + longName);
    EXPECT_EQ(name.size(), 259u);
    EXPECT_EQ(name, longName.substr(0, 259));
    EXPECT_EQ(Extract("merrowind.exe " + longName.substr(0, 259)), longName.substr(0, 259));
}

TEST(CommandLine, SpaceInsideQuotedProgramPathDoesNotStartTheArgument)
{
    EXPECT_EQ(Extract("\"my prog.exe\" x"), "x");
    // An unbalanced quote keeps the rest of the line inside the program path.
    EXPECT_EQ(Extract("\"my prog.exe x"), "");
}

TEST(CommandLine, OnlyASlashQuestionMarkAsksForTheUsage)
{
    const struct { const char* line; int usage; } rows[] = {{"merrowind.exe /?", 1},
        {"\"C:\\a b\\merrowind.exe\" \"/?\"", 1}, {"merrowind.exe /? x", 1}, {"merrowind.exe /?x", 0},
        {"merrowind.exe /", 0}, {"merrowind.exe ?", 0}, {"merrowind.exe  /?", 0}, {"merrowind.exe", 0}, {"/? out.txt", 0}};
    for (const auto& row : rows) EXPECT_EQ(AsksForUsage(row.line), row.usage) << row.line;
}

TEST(CommandLine, ExitCodeTellsWhetherAFortuneCameOut)
{
    const struct { int result, code; } rows[] = {{kLoopDelivered, 0},  // written, or shown and closed by the user
        {kLoopNothingToDraw, 1}, {kLoopNoSourceReadable, 2}, {kLoopSourceFailed, 2},
        {kLoopNotShown, 3},  // the dialog call's -1: no window could be made
        {7, 3},              // an unknown stop is no delivery
        {kLoopAnother, 3}};
    for (const auto& row : rows) {
        EXPECT_EQ(ExitCodeForLoopResult(row.result), row.code) << row.result;
        // A window start says why only when there was nothing to show.
        EXPECT_EQ(NothingToShowMessage(row.result) != nullptr, row.code == 1 || row.code == 2) << row.result;
    }
    EXPECT_STRNE(NothingToShowMessage(kLoopNothingToDraw), NothingToShowMessage(kLoopNoSourceReadable));
}
