// One turn: the weighted walk over the catalogue and the built-in reader.
// The test program carries the real resources, so its own module holds the
// built-in table.
#include <cstring>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "core/catalogue.h"
#include "core/draw_store.h"
#include "cookies/put_away.h"
#include "core/product.h"
#include "app/loop_result.h"
#include "app/random.h"
#include "app/selection.h"
#include "tests/support/app_data.h"
#include "tests/support/process.h"
#include "tests/support/win32_fixtures.h"
#include "tests/win32/captured_delivery.h"

class Selection : public ScratchTest {
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        ResetDeliveries();
        ForgetFailedSources();
        ForgetPutAwayList();
        RedirectAppData(folder_.File("appdata"));
        // The draw as it always was, unless a test asks for rounds.
        SetDwordValue(CatalogueKey, kRepeatsOption, 1);
        ASSERT_EQ(BuiltInTexts().size(), 4297u) << "the build's table of expected texts";
    }
    void TearDown() override
    {
        ForgetFailedSources();
        ScratchTest::TearDown();
    }
    HINSTANCE Module() const { return GetModuleHandleA(nullptr); }
    const std::string& BuiltIn(uint32_t id) const { return BuiltInTexts()[id - 1]; }
    // The draw that the next ScaledRandom(total) will make from this seed.
    static uint32_t DrawFor(uint32_t seed, uint32_t total)
    {
        SeedRandom(seed);
        uint32_t r = ScaledRandom(total);
        SeedRandom(seed);
        return r;
    }
};

TEST_F(Selection, BuiltInReaderClampsTheStringId)
{
    EXPECT_EQ(ReadBuiltInFortune(Module(), 0), 1);
    EXPECT_EQ(ReadBuiltInFortune(Module(), 5), 1);
    EXPECT_EQ(ReadBuiltInFortune(Module(), 4296), 1);
    EXPECT_EQ(ReadBuiltInFortune(Module(), 4297), 1);
    EXPECT_EQ(ReadBuiltInFortune(Module(), 0xFFFFFFFFu), 1);
    ASSERT_EQ(g_deliveries.size(), 5u);
    EXPECT_EQ(g_deliveries[0].text, BuiltIn(1)) << "position 0 shows string 1";
    EXPECT_EQ(g_deliveries[1].text, BuiltIn(6)) << "position p shows string p + 1";
    EXPECT_EQ(g_deliveries[2].text, BuiltIn(4297)) << "the last position shows the last string";
    EXPECT_EQ(g_deliveries[3].text, BuiltIn(4297)) << "beyond the table: the last string";
    EXPECT_EQ(g_deliveries[4].text, BuiltIn(4297));
    for (const auto& d : g_deliveries) EXPECT_GE(d.bufferSize, 4100ul) << "a writable 4100-byte buffer";
}

TEST_F(Selection, EveryBuiltInStringLoadsExactly)
{
    for (uint32_t id = 1; id <= 4297; ++id) ReadBuiltInFortune(Module(), id - 1);
    ASSERT_EQ(g_deliveries.size(), 4297u);
    for (uint32_t id = 1; id <= 4297; ++id)
        ASSERT_EQ(g_deliveries[id - 1].text, BuiltIn(id)) << "string " << id;
}

TEST_F(Selection, DeliveryResultIsTheTurnResult)
{
    WriteCatalogue({MakeRecord(1, kSourceBuiltIn, 4297, "Internal Fortunes")});
    ResetDeliveries(0);
    EXPECT_EQ(ChooseFortune(Module()), 0);
    ResetDeliveries(7);
    EXPECT_EQ(ChooseFortune(Module()), 7);
    EXPECT_EQ(g_deliveries.size(), 1u);
}

TEST_F(Selection, WalkOverCountsTenZeroFive)
{
    WriteCatalogue({MakeRecord(1, kSourceBuiltIn, 10, "first"), MakeRecord(1, kSourceBuiltIn, 0, "empty"),
                    MakeRecord(1, kSourceBuiltIn, 5, "third"), MakeRecord(0, kSourceBuiltIn, 100000, "off")});
    bool seen[15] = {};
    for (uint32_t seed = 0; seed < 400; ++seed) {
        uint32_t r = DrawFor(seed * 7919u, 15);
        ASSERT_LE(r, 14u);
        seen[r] = true;
        ResetDeliveries();
        ASSERT_EQ(ChooseFortune(Module()), 1);
        ASSERT_EQ(g_deliveries.size(), 1u);
        uint32_t position = r < 10 ? r : r - 10;  // third source, positions 0 to 4
        ASSERT_EQ(g_deliveries[0].text, BuiltIn(position + 1)) << "draw " << r;
    }
    for (uint32_t r = 0; r <= 14; ++r) EXPECT_TRUE(seen[r]) << "draw " << r << " never came up";
}

TEST_F(Selection, NothingToDrawEndsTheTurnWithoutDrawing)
{
    // No catalogue at all.
    SeedRandom(99);
    EXPECT_EQ(ChooseFortune(Module()), kLoopNothingToDraw);
    // Only inactive sources, and active ones that hold nothing.
    WriteCatalogue({MakeRecord(0, kSourceBuiltIn, 4297, "off"), MakeRecord(1, kSourceBuiltIn, 0, "empty")});
    EXPECT_EQ(ChooseFortune(Module()), kLoopNothingToDraw);
    EXPECT_EQ(g_deliveries.size(), 0u) << "expected nothing delivered";
    SeedRandom(99);
    uint32_t expected = NextRandom();
    SeedRandom(99);
    ChooseFortune(Module());
    EXPECT_EQ(NextRandom(), expected) << "the generator was not used";
}

TEST_F(Selection, TotalOfOneShowsItsFortune)
{
    WriteCatalogue({MakeRecord(1, kSourceBuiltIn, 1, "one"), MakeRecord(1, kSourceBuiltIn, 0, "zero")});
    for (uint32_t seed = 0; seed < 20; ++seed) {
        SeedRandom(seed);
        EXPECT_EQ(ChooseFortune(Module()), 1);
    }
    ASSERT_EQ(g_deliveries.size(), 20u) << "every turn shows the one fortune";
    for (const auto& d : g_deliveries) EXPECT_EQ(d.text, BuiltIn(1));
}

TEST_F(Selection, UnknownKindCallsNoReader)
{
    WriteCatalogue({MakeRecord(1, 3, 50, "kind three"), MakeRecord(1, -1, 50, "kind minus one")});
    for (uint32_t seed = 0; seed < 20; ++seed) {
        SeedRandom(seed);
        EXPECT_EQ(ChooseFortune(Module()), kLoopNoSourceReadable);
    }
    EXPECT_EQ(g_deliveries.size(), 0u) << "expected nothing delivered";
    // Beside a readable source, an unknown kind only costs a second draw.
    ForgetFailedSources();
    WriteCatalogue({MakeRecord(1, 3, 50, "kind three"), MakeRecord(1, kSourceBuiltIn, 50, "built-in")});
    for (uint32_t seed = 0; seed < 20; ++seed) {
        SeedRandom(seed);
        EXPECT_EQ(ChooseFortune(Module()), 1);
    }
    EXPECT_EQ(g_deliveries.size(), 20u) << "every turn shows a built-in fortune";
}

TEST_F(Selection, MalformedValuesAreReadIntoZeroedRecords)
{
    // 12 bytes: active 1, kind 0, count 3; the rest of the record is zero.
    SetRawValue(CatalogueKey, "MWD00000", REG_BINARY, std::string("\x01\0\0\0\0\0\0\0\x03\0\0\0", 12));
    // A string value, an empty value and a one-byte value are still records.
    SetRawValue(CatalogueKey, "MWD00001", REG_SZ, std::string("hello", 6));
    SetRawValue(CatalogueKey, "MWD00002", REG_BINARY, std::string());
    SetRawValue(CatalogueKey, "MWD00003", REG_BINARY, std::string("\x01", 1));
    for (uint32_t seed = 0; seed < 50; ++seed) {
        ResetDeliveries();
        uint32_t r = DrawFor(seed, 3);
        EXPECT_EQ(ChooseFortune(Module()), 1);
        ASSERT_EQ(g_deliveries.size(), 1u) << "seed " << seed;
        EXPECT_EQ(g_deliveries[0].text, BuiltIn(r + 1));
    }
}

TEST_F(Selection, RecordTooLargeEndsTheWalk)
{
    WriteCatalogue({MakeRecord(1, 3, 10, "nothing here")});
    SetRawValue(CatalogueKey, "MWD00001", REG_BINARY, std::string(4096, '\x01'));
    SourceRecord builtIn = MakeRecord(1, kSourceBuiltIn, 4297, "Internal Fortunes");
    WriteSourceRecord(2, &builtIn);
    for (uint32_t seed = 0; seed < 20; ++seed) {
        SeedRandom(seed);
        EXPECT_EQ(ChooseFortune(Module()), kLoopNoSourceReadable);
    }
    EXPECT_TRUE(g_deliveries.empty()) << "the built-in record behind the large value is never reached";
}

// A cookie source whose file does not exist: its reader always fails.
static SourceRecord BrokenCookies(const TempFolder& folder, const char* name)
{
    return MakeRecord(1, kSourceCookieFile, 4297, name, folder.File("gone.txt").c_str(),
                      folder.File("gone.idx").c_str());
}

TEST_F(Selection, FailedSourceIsLeftOutAndTheDrawMadeAgain)
{
    SourceRecord broken = BrokenCookies(folder_, "broken");
    SourceRecord builtIn = MakeRecord(1, kSourceBuiltIn, 4297, "Internal Fortunes");
    WriteCatalogue({broken, builtIn});
    // A seed whose first draw falls into the broken source.
    uint32_t seed = 0;
    while (DrawFor(seed, 2 * 4297) >= 4297) ++seed;
    SeedRandom(seed);
    ScaledRandom(2 * 4297);
    uint32_t again = ScaledRandom(4297);
    SeedRandom(seed);
    EXPECT_EQ(ChooseFortune(Module()), 1);
    ASSERT_EQ(g_deliveries.size(), 1u) << "the draw over the rest delivers";
    EXPECT_EQ(g_deliveries[0].text, BuiltIn(again + 1)) << "drawn again over the built-in total alone";

    // Later turns leave it out from the start, wherever the catalogue now
    // holds it: the draw is over 4297 only.
    WriteCatalogue({builtIn, MakeRecord(0, kSourceBuiltIn, 5, "off"), broken});
    for (uint32_t s = 100; s < 120; ++s) {
        uint32_t r = DrawFor(s, 4297);
        ResetDeliveries();
        EXPECT_EQ(ChooseFortune(Module()), 1);
        ASSERT_EQ(g_deliveries.size(), 1u);
        EXPECT_EQ(g_deliveries[0].text, BuiltIn(r + 1)) << "seed " << s;
    }

    // Mended in the settings (another record now), it is drawn again.
    folder_.Write("cookies.txt", "cookie\n");
    SourceRecord mended = MakeRecord(1, kSourceCookieFile, 1, "broken", folder_.File("cookies.txt").c_str(),
                                     folder_.File("cookies.idx").c_str());
    WriteCatalogue({mended});
    ResetDeliveries();
    EXPECT_EQ(ChooseFortune(Module()), 1);
    ASSERT_EQ(g_deliveries.size(), 1u);
    EXPECT_EQ(g_deliveries[0].text, "cookie\n");
}

TEST_F(Selection, NoReadableSourceEndsTheTurn)
{
    // The reader of "three" names an index in the turn's copy before it fails.
    RedirectAppData(folder_.File("appdata"));
    SourceRecord unnamed = BrokenCookies(folder_, "three");
    unnamed.indexPath[0] = '\0';
    WriteCatalogue({BrokenCookies(folder_, "one"), MakeRecord(1, kSourceLegacyText, 3, "Fortune.txt", "Fortune.txt"),
                    BrokenCookies(folder_, "two"), unnamed});
    SeedRandom(5);
    EXPECT_EQ(ChooseFortune(Module()), kLoopNoSourceReadable) << "each fails once, then nothing is left";
    SeedRandom(5);
    uint32_t expected = NextRandom();
    SeedRandom(5);
    EXPECT_EQ(ChooseFortune(Module()), kLoopNoSourceReadable);
    EXPECT_EQ(NextRandom(), expected) << "the next turn draws nothing";
    EXPECT_EQ(g_deliveries.size(), 0u) << "expected nothing delivered";
}

// The round: every fortune once before any comes again.
class SelectionRounds : public Selection {
protected:
    void SetUp() override
    {
        Selection::SetUp();
        SetDwordValue(CatalogueKey, kRepeatsOption, 0);
    }
    // A cookie file of fortunes "c0" ... of its own, as a source.
    SourceRecord Cookies(uint32_t count)
    {
        std::string text;
        for (uint32_t i = 0; i < count; ++i) text += (i ? "%\nc" : "c") + std::to_string(i) + "\n";
        folder_.Write("cookies.txt", text);
        return MakeRecord(1, kSourceCookieFile, count, "cookies", folder_.File("cookies.txt").c_str(),
                          folder_.File("cookies.idx").c_str());
    }
    std::set<std::string> Shown(size_t from, size_t to) const
    {
        std::set<std::string> texts;
        for (size_t i = from; i < to && i < g_deliveries.size(); ++i) texts.insert(g_deliveries[i].text);
        return texts;
    }
};

TEST_F(SelectionRounds, EachRoundShowsEveryFortuneOncePassingOverAFailedSource)
{
    SourceRecord broken = BrokenCookies(folder_, "broken");
    broken.count = 5;
    WriteCatalogue({MakeRecord(1, kSourceBuiltIn, 7, "built-in"), broken, Cookies(5)});
    for (int turn = 0; turn < 36; ++turn) ASSERT_EQ(ChooseFortune(Module()), 1) << "turn " << turn;
    ASSERT_EQ(g_deliveries.size(), 36u);
    for (size_t round = 0; round < 3; ++round)
        EXPECT_EQ(Shown(round * 12, round * 12 + 12).size(), 12u) << "round " << round << " repeats a fortune";
}

TEST_F(SelectionRounds, ChangedSourcesBeginARoundThatPassesOverTheLastShown)
{
    WriteCatalogue({MakeRecord(1, kSourceBuiltIn, 12, "built-in")});
    for (int turn = 0; turn < 5; ++turn) ChooseFortune(Module());
    std::set<std::string> lately = Shown(0, 5);
    WriteCatalogue({MakeRecord(1, kSourceBuiltIn, 12, "built-in"), Cookies(5)});
    for (int turn = 0; turn < 12; ++turn) ChooseFortune(Module());
    std::set<std::string> next = Shown(5, 17);
    EXPECT_EQ(next.size(), 12u) << "the 17 less the 5 shown lately, each once";
    for (const std::string& text : lately) EXPECT_EQ(next.count(text), 0u) << text << " came again";
}

TEST_F(SelectionRounds, PutAwayFortunesNeverComeAndNoneLeftIsNothingToDraw)
{
    WriteCatalogue({MakeRecord(1, kSourceBuiltIn, 3, "built-in")});
    for (DWORD repeats : {0u, 1u}) {
        SetDwordValue(CatalogueKey, kRepeatsOption, repeats);
        ASSERT_TRUE(BringBackAll());
        ASSERT_TRUE(PutAwayFortune(BuiltIn(1).c_str()) && PutAwayFortune(BuiltIn(3).c_str()));
        ResetDeliveries();
        for (int turn = 0; turn < 8; ++turn) EXPECT_EQ(ChooseFortune(Module()), 1) << "repeats " << repeats;
        EXPECT_EQ(Shown(0, 8), std::set<std::string>{BuiltIn(2)}) << "repeats " << repeats;
        ASSERT_TRUE(PutAwayFortune(BuiltIn(2).c_str()));
        EXPECT_EQ(ChooseFortune(Module()), kLoopNothingToDraw) << "repeats " << repeats;
        EXPECT_EQ(g_deliveries.size(), 8u);
    }
}

static DWORD WINAPI TakeFiftyTurns(void* module)
{
    for (int turn = 0; turn < 50; ++turn) ChooseFortune(static_cast<HINSTANCE>(module));
    return 0;
}

TEST_F(SelectionRounds, TwoThreadsTakingStepsTogetherNeverTakeTheSameOne)
{
    WriteCatalogue({MakeRecord(1, kSourceBuiltIn, 100, "built-in")});
    CountPutAway();  // the put-away list read before the threads ask
    HANDLE threads[2];
    for (HANDLE& thread : threads) thread = CreateThread(nullptr, 0, TakeFiftyTurns, Module(), 0, nullptr);
    ASSERT_EQ(WaitForMultipleObjects(2, threads, TRUE, 60000), WAIT_OBJECT_0);
    for (HANDLE thread : threads) CloseHandle(thread);
    ASSERT_EQ(g_deliveries.size(), 100u);
    EXPECT_EQ(Shown(0, 100).size(), 100u) << "a step taken twice";
}

TEST_F(SelectionRounds, TheDayFortuneComesAtEachFirstTurnOfTheDay)
{
    SetDwordValue(CatalogueKey, kOneADayOption, 1);
    WriteCatalogue({MakeRecord(1, kSourceBuiltIn, 50, "built-in")});
    for (int run = 0; run < 3; ++run) {
        ForgetFailedSources();  // a new start
        ChooseFortune(Module());
        ChooseFortune(Module());  // a click
    }
    ASSERT_EQ(g_deliveries.size(), 6u);
    EXPECT_EQ(Shown(0, 6).size(), 4u) << "the day's fortune three times, three clicks each another";
    EXPECT_EQ(g_deliveries[2].text, g_deliveries[0].text);
    EXPECT_EQ(g_deliveries[4].text, g_deliveries[0].text);
}
