#include <gtest/gtest.h>

#include "controls/link_action.h"

TEST(LinkAction, TheTwoLabelsOfTheFortuneWindow)
{
    EXPECT_STREQ(kHomeLinkLabel, "tolvane");
    EXPECT_STREQ(kSettingsLinkLabel, "settings");
    EXPECT_EQ(LinkActionForLabel("tolvane"), kLinkOpensHomePage);
    EXPECT_EQ(LinkActionForLabel("settings"), kLinkOpensSettings);
}

TEST(LinkAction, EverythingElseGoesToTheShellAsItIs)
{
    const char* labels[] = {
        "Settings",  "SETTINGS", "Tolvane", "settings ", " tolvane", "tolvane.",
        "", "https://tolvane.example/merrowind/cookies/", "C:\\notes\\read me.txt",
    };
    for (const char* label : labels)
        EXPECT_EQ(LinkActionForLabel(label), kLinkOpensLabel) << "[" << label << "]";
}
