// What the reader chose, as it is kept: the put-away cookie file and the
// start at sign-in.
#include <gtest/gtest.h>

#include "cookies/put_away.h"
#include "core/sign_in.h"
#include "tests/support/app_data.h"
#include "tests/support/win32_fixtures.h"

class DrawOptions : public ScratchTest {
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        RedirectAppData(folder_.File("appdata"));
        ForgetPutAwayList();
    }
    void TearDown() override
    {
        ForgetPutAwayList();
        ScratchTest::TearDown();
    }
    std::string PutAwayFile() const { return folder_.File("appdata\\Tolvane Software\\Merrowind\\Merrowind Put Away.txt"); }
};

TEST_F(DrawOptions, PutAwayFileIsReadBackWithNonAsciiAndCrLfTexts)
{
    const char* texts[] = {"Gr\xC3\xBC\xC3\x9F" "e, \xE4\xB8\x96\xE7\x95\x8C\n", "one\r\ntwo\r\n", "built-in, no break"};
    for (const char* text : texts) ASSERT_TRUE(PutAwayFortune(text)) << text;
    EXPECT_EQ(ReadWholeFile(PutAwayFile()),
              "Gr\xC3\xBC\xC3\x9F" "e, \xE4\xB8\x96\xE7\x95\x8C\n%\none\r\ntwo\r\n%\nbuilt-in, no break\n%\n");
    ForgetPutAwayList();  // the next run reads the file
    EXPECT_EQ(CountPutAway(), 3u);
    for (const char* text : texts) EXPECT_TRUE(IsPutAway(text)) << text;
    for (const char* other : {"one\ntwo\n", "one\r\ntwo", "built-in, no brea", "", "Gr\xC3\xBC\xC3\x9F" "e"})
        EXPECT_FALSE(IsPutAway(other)) << other;

    // Edited in Notepad: a byte-order mark, and the last "%" line gone.
    WriteWholeFile(PutAwayFile(), "\xEF\xBB\xBF" "first\n%\nsecond\n");
    ForgetPutAwayList();
    ASSERT_TRUE(PutAwayFortune("third\n"));
    EXPECT_EQ(ReadWholeFile(PutAwayFile()), "\xEF\xBB\xBF" "first\n%\nsecond\n%\nthird\n%\n");
    ForgetPutAwayList();
    EXPECT_EQ(CountPutAway(), 3u);
    EXPECT_TRUE(IsPutAway("first\n") && IsPutAway("second\n") && IsPutAway("third\n"));

    EXPECT_TRUE(BringBackAll());
    EXPECT_EQ(CountPutAway(), 0u);
    EXPECT_FALSE(FileExists(PutAwayFile()));
    EXPECT_FALSE(IsPutAway("first\n"));
}

TEST_F(DrawOptions, SignInRunValueIsWrittenReadAndRemoved)
{
    const char* run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const char* approved = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    EXPECT_FALSE(StartsAtSignIn()) << "no value";
    ASSERT_TRUE(SetStartAtSignIn(1));
    EXPECT_TRUE(StartsAtSignIn());
    EXPECT_EQ(SnapshotKey(run), (std::vector<RegistryValue>{{"Merrowind", REG_SZ, "\"" + std::string(path) + "\"" + '\0'}}));
    // Turned off in Startup apps, then on there again.
    SetRawValue(approved, "Merrowind", REG_BINARY, std::string("\x03\0\0\0\0\0\0\0\0\0\0\0", 12));
    EXPECT_FALSE(StartsAtSignIn());
    SetRawValue(approved, "Merrowind", REG_BINARY, std::string("\x02\0\0\0\0\0\0\0\0\0\0\0", 12));
    EXPECT_TRUE(StartsAtSignIn());
    // Another program's path is not this program starting.
    SetRawValue(run, "Merrowind", REG_SZ, std::string("\"C:\\other\\merrowind.exe\"") + '\0');
    EXPECT_FALSE(StartsAtSignIn());
    ASSERT_TRUE(SetStartAtSignIn(0));
    EXPECT_FALSE(StartsAtSignIn());
    EXPECT_TRUE(SnapshotKey(run).empty());
    EXPECT_TRUE(SnapshotKey(approved).empty());
}
