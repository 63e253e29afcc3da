#include "tests/support/bad_input.h"

#include "core/catalogue.h"
#include "res/resource_ids.h"

void BadInput::SetUp()
{
    DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey);
}

void BadInput::TearDown()
{
    DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey);
}

WindowedRun BadInput::Run(const std::string& arguments, unsigned long exitCode)
{
    WindowedRun run = RunMerrowindAnsweringWindows(arguments, folder_.Path(), IDC_FORTUNE_TEXT);
    EXPECT_TRUE(run.process.started) << "merrowind.exe could not be started";
    EXPECT_TRUE(run.process.finished) << "the program must end by itself once its windows are answered";
    EXPECT_EQ(run.process.exitCode, exitCode) << "exit code of merrowind.exe";
    return run;
}

void BadInput::ExpectBuiltInOrNothing(const std::set<std::string>& before)
{
    std::set<std::string> after = FolderNames(folder_.Path());
    if (after.count("out.txt") != 0 && before.count("out.txt") == 0) {
        std::string text = ReadWholeFile(folder_.File("out.txt"));
        EXPECT_TRUE(IsBuiltInText(text)) << "output is not a built-in fortune: [" << text.substr(0, 80) << "]";
        after.erase("out.txt");
    }
    EXPECT_EQ(after, before) << "files appeared in the current folder";
}
