// The real merrowind.exe without an output file: the fortune window, driven
// with real input on the test display.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/command_line.h"
#include "app/loop_result.h"
#include "core/catalogue.h"
#include "core/product.h"
#include "res/resource_ids.h"
#include "tests/support/app_data.h"
#include "tests/support/gui_driver.h"
#include "tests/support/input.h"
#include "tests/support/process.h"
#include "tests/support/shown_text.h"
#include "tests/support/win32_fixtures.h"
#include "window/wrap.h"

struct ProcessWindows {
    DWORD processId;
    HWND found;
};

static BOOL CALLBACK FindFortuneWindow(HWND window, LPARAM param)
{
    ProcessWindows* search = reinterpret_cast<ProcessWindows*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char caption[32];
    GetWindowTextA(window, caption, sizeof caption);
    if (owner == search->processId && IsWindowVisible(window) && lstrcmpA(caption, kProgramCaption) == 0 &&
        GetDlgItem(window, IDC_FORTUNE_TEXT) != nullptr) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

static POINT ClientPointOf(HWND window, POINT screen)
{
    ScreenToClient(window, &screen);
    return screen;
}

class WindowMode : public ::testing::Test {
protected:
    void SetUp() override { DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey); }
    void TearDown() override
    {
        if (process_.hProcess) {
            if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 10000);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey);
    }
    bool Start()
    {
        std::string line = "\"" + BuildFolder() + "\\merrowind.exe\"";
        std::vector<char> buffer(line.begin(), line.end());
        buffer.push_back('\0');
        STARTUPINFOA startup;
        ZeroMemory(&startup, sizeof startup);
        startup.cb = sizeof startup;
        return CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              folder_.Path().c_str(), &startup, &process_) != FALSE;
    }
    // The program's fortune window other than `previous`, once it is up.
    HWND WaitForWindow(HWND previous = nullptr)
    {
        ProcessWindows search = {process_.dwProcessId, nullptr};
        WaitUntil([&] {
            search.found = nullptr;
            EnumWindows(FindFortuneWindow, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr && search.found != previous;
        }, 30000);
        return search.found == previous ? nullptr : search.found;
    }
    static std::string Shown(HWND window)
    {
        char shown[kTextBufferSize];
        GetDlgItemTextA(window, IDC_FORTUNE_TEXT, shown, sizeof shown);
        return shown;
    }
    static std::string AsWrapped(const std::string& text)
    {
        std::vector<char> wrapped(kTextBufferSize, '\0');
        lstrcpynA(wrapped.data(), text.c_str(), kTextBufferSize);
        WrapFortuneText(wrapped.data(), kTextBufferSize);
        return wrapped.data();
    }
    bool Exited(DWORD* code)
    {
        if (WaitForSingleObject(process_.hProcess, 30000) != WAIT_OBJECT_0) return false;
        GetExitCodeProcess(process_.hProcess, code);
        return true;
    }
    static bool ShowsABuiltInFortune(HWND window)
    {
        char shown[kTextBufferSize];
        GetDlgItemTextA(window, IDC_FORTUNE_TEXT, shown, sizeof shown);
        for (const std::string& text : BuiltInTexts()) {
            std::vector<char> wrapped(kTextBufferSize, '\0');
            lstrcpynA(wrapped.data(), text.c_str(), kTextBufferSize);
            WrapFortuneText(wrapped.data(), kTextBufferSize);
            if (lstrcmpA(wrapped.data(), shown) == 0) return true;
        }
        return false;
    }
    TempFolder folder_;
    PROCESS_INFORMATION process_ = {};
};

TEST_F(WindowMode, BackgroundClickShowsAnotherFortuneAndEscapeEndsWithZero)
{
    ASSERT_TRUE(Start()) << "merrowind.exe should start";
    HWND first = WaitForWindow();
    ASSERT_NE(first, nullptr) << "no fortune window appeared";
    EXPECT_TRUE(ShowsABuiltInFortune(first)) << "the window shows a wrapped built-in fortune";

    POINT background = BackgroundPointOf(first);
    ASSERT_EQ(ChildWindowFromPointEx(first, ClientPointOf(first, background), CWP_SKIPINVISIBLE), first)
        << "the point must be the window's background, not a control";
    ClickAt(background.x, background.y);
    HWND second = WaitForWindow(first);
    ASSERT_NE(second, nullptr) << "a click on the background brings a new window";
    EXPECT_TRUE(ShowsABuiltInFortune(second)) << "the second window should show a built-in fortune";

    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == second; })) << "the window should come to the foreground";
    PressKey(VK_ESCAPE);
    DWORD code = 99;
    ASSERT_TRUE(Exited(&code)) << "Escape ends the program";
    EXPECT_EQ(code, 0u);
}

// The control of the window's thread that has the keyboard focus.
static HWND FocusOf(DWORD thread)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

TEST_F(WindowMode, BackspaceAndAltLeftShowTheFortunesBeforeBackToTheFirst)
{
    ASSERT_TRUE(Start()) << "merrowind.exe should start";
    HWND window = WaitForWindow();
    ASSERT_NE(window, nullptr);
    std::vector<std::string> shown = {Shown(window)};
    const struct { WORD modifier, key; } keys[] = {{0, VK_F5}, {0, VK_F5}, {0, VK_BACK}, {VK_MENU, VK_LEFT}};
    for (const auto& k : keys) {
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; })) << "key " << k.key;
        k.modifier ? PressKeyWith(k.modifier, k.key) : PressKey(k.key);
        window = WaitForWindow(window);
        ASSERT_NE(window, nullptr) << "key " << k.key << " should bring a window";
        shown.push_back(Shown(window));
    }
    ASSERT_NE(shown[1], shown[0]) << "F5 draws another";
    EXPECT_EQ(shown[3], shown[1]) << "Backspace shows the one before again";
    EXPECT_EQ(shown[4], shown[0]) << "Alt+Left the one before that, the first";

    // At the first, Backspace changes nothing: the same window takes the Tab
    // pressed after it.
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }));
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    HWND focus = FocusOf(thread);
    PressKey(VK_BACK);
    PressKey(VK_TAB);
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(thread) != focus && FocusOf(thread) != nullptr; }));
    EXPECT_EQ(GetAncestor(FocusOf(thread), GA_ROOT), window) << "the first fortune's window stays";
    EXPECT_EQ(Shown(window), shown[0]);
    PressKey(VK_ESCAPE);
    DWORD code = 99;
    ASSERT_TRUE(Exited(&code)) << "Escape ends the program";
    EXPECT_EQ(code, 0u);
}

TEST_F(WindowMode, OkEndsWithZero)
{
    ASSERT_TRUE(Start()) << "merrowind.exe should start";
    HWND window = WaitForWindow();
    ASSERT_NE(window, nullptr);
    RECT ok;
    GetWindowRect(GetDlgItem(window, IDOK), &ok);
    ClickAt((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2);
    DWORD code = 99;
    ASSERT_TRUE(Exited(&code)) << "OK ends the program";
    EXPECT_EQ(code, 0u);
}

TEST_F(WindowMode, AFailingSourceLeavesTheRestToShow)
{
    // A cookie file of a million positions that is gone: the draw nearly
    // always falls on it, and the one fortune of "Fortune.txt" is shown.
    folder_.Write("Fortune.txt", "The only one\n");
    WriteCatalogue({MakeRecord(1, kSourceCookieFile, 1000000, "gone", folder_.File("gone.txt").c_str(),
                               folder_.File("gone.idx").c_str())});
    ASSERT_TRUE(Start()) << "merrowind.exe should start";
    HWND window = WaitForWindow();
    ASSERT_NE(window, nullptr) << "no fortune window appeared";
    EXPECT_EQ(Shown(window), AsWrapped("The only one\n")) << "the one fortune left to draw";
    std::vector<SourceRecord> catalogue = ReadCatalogue();
    ASSERT_EQ(catalogue.size(), 2u) << "the cookie record and the file's record behind it";
    EXPECT_EQ(catalogue[0].count, 1000000u) << "the failed source stays in the catalogue";

    // Another fortune: the failed source stays out, so the same one again.
    POINT background = BackgroundPointOf(window);
    ClickAt(background.x, background.y);
    HWND second = WaitForWindow(window);
    ASSERT_NE(second, nullptr) << "a click on the background brings a new window";
    EXPECT_EQ(Shown(second), AsWrapped("The only one\n"));
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == second; })) << "the window should come to the foreground";
    PressKey(VK_ESCAPE);
    DWORD code = 99;
    ASSERT_TRUE(Exited(&code)) << "the program should end by itself";
    EXPECT_EQ(code, 0u) << "a fortune was shown and the window closed";
}

// With nothing to show, a window start says why and offers the settings:
// No ends with the code that says why; Yes and the settings' OK draw again,
// the failed source included, its file back meanwhile.
TEST_F(WindowMode, NothingToShowSaysWhyAndOffersTheSettings)
{
    WriteCatalogue({MakeRecord(1, kSourceCookieFile, 5, "gone", folder_.File("gone.txt").c_str())});
    ASSERT_TRUE(Start()) << "merrowind.exe should start";
    MessageBoxSeen seen = AnswerMessageBox(process_.dwThreadId, IDNO);
    EXPECT_EQ(seen.text, NothingToShowMessage(kLoopNoSourceReadable));
    EXPECT_TRUE(seen.iconShown && seen.onlyYesNo) << "a question with an icon";
    DWORD code = 99;
    ASSERT_TRUE(Exited(&code)) << "No ends the program";
    EXPECT_EQ(code, 2u);

    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    process_ = {};
    ASSERT_TRUE(Start()) << "merrowind.exe should start";
    ASSERT_TRUE(AnswerMessageBox(process_.dwThreadId, IDYES).found);
    HWND settings = WaitForDialogWithControl(process_.dwThreadId, IDC_SOURCE_LIST);
    ASSERT_NE(settings, nullptr) << "Yes opens the settings";
    folder_.Write("gone.txt", "Back\n%\nBack\n%\nBack\n%\nBack\n%\nBack\n");
    Press(settings, IDOK);
    HWND window = WaitForWindow();
    ASSERT_NE(window, nullptr) << "the settings' OK draws again";
    EXPECT_EQ(Shown(window), "Back\n");
    Press(window, IDOK);
    ASSERT_TRUE(Exited(&code));
    EXPECT_EQ(code, 0u);
}

TEST_F(WindowMode, SlashQuestionMarkShowsTheUsage)
{
    WindowedRun run = RunMerrowindAnsweringWindows("/?", folder_.Path(), 0xFFFF);
    EXPECT_EQ(run.windowsAnswered, 1);
    EXPECT_EQ(run.firstCaption, "Merrowind");
    EXPECT_EQ(run.firstText, kUsageText);
    EXPECT_EQ(run.process.exitCode, 0u);
}

// ---- Cookie files in UTF-8 and in the ANSI code page, in the window.

// Debian's fortunes-de: real UTF-8 text that nobody here wrote.
static const char kGermanCookies[] = "/usr/share/games/fortunes/de/wusstensie";

class CookieWindows : public WindowMode {
protected:
    // Makes the cookie file the one active source, indexed afresh.
    void UseCookies(const std::string& bytes)
    {
        folder_.Write("cookies.txt", bytes);
        WriteCatalogue({MakeRecord(0, 0, 4297, "Internal Fortunes"),
                        MakeRecord(1, 2, static_cast<uint32_t>(CookieFortunesOf(bytes).size()), "cookies",
                                   folder_.File("cookies.txt").c_str(), folder_.File("cookies.idx").c_str())});
        fortunes_ = CookieFortunesOf(bytes);
    }
    // The fortune of the file that the window shows, as its bytes; fails
    // the test when the window shows none of them as the window should.
    std::string ShownFortune(HWND window)
    {
        HWND control = GetDlgItem(window, IDC_FORTUNE_TEXT);
        std::wstring shown = WideTextOf(control);
        for (const std::string& fortune : fortunes_)
            if (ExpectedShownText(fortune) == shown) return fortune;
        ADD_FAILURE() << "the window shows no fortune of the file as it should: [" << Utf8Of(shown) << "]";
        return "";
    }
    // Shows windows one after another (a click on the background each) until
    // `wanted` of them have shown a fortune for which `counts` holds, at most
    // `limit` windows; then Escape. Returns how many counted.
    int ClickThrough(int wanted, int limit, bool (*counts)(const std::string&, HWND))
    {
        EXPECT_TRUE(Start()) << "merrowind.exe should start";
        int counted = 0;
        HWND previous = nullptr;
        for (int i = 0; i < limit && counted < wanted; ++i) {
            HWND window = WaitForWindow(previous);
            if (window == nullptr) {
                ADD_FAILURE() << "window " << i << " did not appear";
                return counted;
            }
            std::string fortune = ShownFortune(window);
            if (counts(fortune, window)) ++counted;
            POINT background = BackgroundPointOf(window);
            if (counted == wanted || i + 1 == limit) {
                WaitUntil([&] { return GetForegroundWindow() == window; });
                PressKey(VK_ESCAPE);
            } else {
                ClickAt(background.x, background.y);
            }
            previous = window;
        }
        DWORD code = 99;
        EXPECT_TRUE(Exited(&code)) << "Escape ends the program";
        EXPECT_EQ(code, 0u);
        return counted;
    }
    std::vector<std::string> fortunes_;
};

static bool IsUtf8Shown(const std::string& fortune, HWND) { return ReadsAsUtf8(fortune); }

TEST_F(CookieWindows, GermanFortunesFromFortunesDeShowAsTheyAreWritten)
{
    std::string bytes = ReadWholeFile(std::string("Z:") + kGermanCookies);
    ASSERT_FALSE(bytes.empty()) << "install fortunes-de (scripts/setup does)";
    UseCookies(bytes);
    ASSERT_GT(fortunes_.size(), 100u);
    // Almost every fortune of this file has umlauts or a sharp s: two UTF-8
    // windows come within a few draws.
    EXPECT_EQ(ClickThrough(2, 10, IsUtf8Shown), 2) << "expected two German fortunes shown as UTF-8";
}

static bool ShowsAmpersandAsText(const std::string& fortune, HWND window)
{
    HWND control = GetDlgItem(window, IDC_FORTUNE_TEXT);
    EXPECT_NE(GetWindowLongA(control, GWL_STYLE) & SS_NOPREFIX, 0) << "expected SS_NOPREFIX on the text";
    return fortune.find('&') != std::string::npos;
}

static bool IsAnsiShown(const std::string& fortune, HWND window)
{
    if (fortune.find('\xFC') == std::string::npos) return false;
    char shown[kTextBufferSize];
    GetDlgItemTextA(window, IDC_FORTUNE_TEXT, shown, sizeof shown);
    EXPECT_EQ(std::string(shown), fortune) << "the ANSI fortune comes back byte for byte";
    return true;
}

TEST_F(CookieWindows, MixedFileShowsEachFortuneByItsOwnBytes)
{
    // A mark, a UTF-8 fortune, a Windows-1252 one, one with "&", all in one
    // file; each window shows its fortune the way its own bytes say.
    UseCookies(std::string("\xEF\xBB\xBF") + "Gr\xC3\xBC\xC3\x9F Gott\n%\nGr\xFC\xDF Gott\n%\nAT&T pays for R&D\n%\n"
               "Sch\xC3\xB6n & gut\n");
    ASSERT_EQ(fortunes_.size(), 4u);
    EXPECT_EQ(ClickThrough(1, 12, ShowsAmpersandAsText), 1) << "expected a fortune with & within 12 draws";
}

TEST_F(CookieWindows, InvalidUtf8FallsBackToTheAnsiCodePage)
{
    UseCookies("Gr\xFC\xDF Gott\n%\nGr\xFC\xDF Gott, sch\xC3\xB6n\n%\nSch\xF6n\xFC\n");
    EXPECT_EQ(ClickThrough(1, 12, IsAnsiShown), 1) << "expected a Windows-1252 fortune within 12 draws";
}

TEST_F(WindowMode, DeletePutsTheFortuneAwayForGood)
{
    const std::string putAway = CurrentAppData() + "\\Tolvane Software\\Merrowind\\Merrowind Put Away.txt";
    DeleteFileA(putAway.c_str());
    const std::vector<std::string> texts = {"Alpha\n", "Beta\n", "Gamma\n"};
    folder_.Write("three.txt", "Alpha\n%\nBeta\n%\nGamma\n");
    WriteCatalogue({MakeRecord(0, kSourceBuiltIn, 4297, "Internal Fortunes"),
                    MakeRecord(1, kSourceCookieFile, 3, "three", folder_.File("three.txt").c_str(),
                               folder_.File("three.idx").c_str())});
    ASSERT_TRUE(Start()) << "merrowind.exe should start";
    HWND window = WaitForWindow();
    ASSERT_NE(window, nullptr);
    std::string first = Shown(window);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }));
    PressKey(VK_DELETE);
    HWND next = WaitForWindow(window);
    ASSERT_NE(next, nullptr) << "Delete brings the next fortune at once";
    EXPECT_NE(Shown(next), first);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == next; }));
    PressKey(VK_ESCAPE);
    DWORD code = 99;
    ASSERT_TRUE(Exited(&code));
    std::string kept;
    for (const std::string& text : texts)
        if (AsWrapped(text) == first) kept = text + "%\n";
    EXPECT_EQ(ReadWholeFile(putAway), kept) << "kept as its source gave it";
    // Six later starts, two rounds of the two left: never the one put away.
    for (int run = 0; run < 6; ++run) {
        std::string text = RunInFileMode(folder_.Path());
        EXPECT_NE(text + "%\n", kept) << "start " << run;
        EXPECT_TRUE(OneOf(text, texts)) << text;
    }
    DeleteFileA(putAway.c_str());
}

TEST_F(WindowMode, BackspaceGoesOnIntoTheRoundPastTheFirstOfTheRun)
{
    const std::vector<std::string> texts = {"One\n", "Two\n", "Three\n", "Four\n", "Five\n"};
    folder_.Write("five.txt", "One\n%\nTwo\n%\nThree\n%\nFour\n%\nFive\n");
    WriteCatalogue({MakeRecord(0, kSourceBuiltIn, 4297, "Internal Fortunes"),
                    MakeRecord(1, kSourceCookieFile, 5, "five", folder_.File("five.txt").c_str(),
                               folder_.File("five.idx").c_str())});
    std::string before = RunInFileMode(folder_.Path());  // an earlier start, the round's first step
    ASSERT_TRUE(OneOf(before, texts));
    ASSERT_TRUE(Start()) << "merrowind.exe should start";
    HWND window = WaitForWindow();
    ASSERT_NE(window, nullptr);
    std::vector<std::string> shown = {Shown(window)};
    for (WORD key : {VK_BACK, VK_F5, VK_BACK, VK_BACK}) {
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; })) << "key " << key;
        PressKey(key);
        window = WaitForWindow(window);
        ASSERT_NE(window, nullptr) << "key " << key << " should bring a window";
        shown.push_back(Shown(window));
    }
    EXPECT_EQ(shown[1], AsWrapped(before)) << "Backspace at the run's first shows the earlier start's";
    EXPECT_NE(shown[2], shown[0]);
    EXPECT_NE(shown[2], shown[1]) << "F5 takes the round's next step";
    EXPECT_EQ(shown[3], shown[0]) << "back through this run's";
    EXPECT_EQ(shown[4], shown[1]) << "and on to the earlier start's";
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }));
    PressKey(VK_ESCAPE);
    DWORD code = 99;
    ASSERT_TRUE(Exited(&code));
}
