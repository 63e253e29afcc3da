#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "core/draw_round.h"

namespace {

const uint64_t kKeys[] = {0, 0x0123456789ABCDEFull, 0xFFFFFFFFFFFFFFFFull};

RoundState RoundOver(uint32_t total, uint64_t sources)
{
    RoundState state = {};
    StartRound(&state, 42, total, sources, kRoundEnded);
    return state;
}

}  // namespace

TEST(DrawRound, EveryTotalUpTo300IsWalkedOnceEach)
{
    for (uint64_t key : kKeys)
        for (uint32_t total = 1; total <= 300; ++total) {
            std::vector<int> seen(total, 0);
            for (uint32_t step = 0; step < total; ++step) {
                uint32_t position = PermutePosition(key, total, step);
                ASSERT_LT(position, total) << "total " << total << " step " << step;
                ASSERT_EQ(seen[position]++, 0) << "total " << total << " position " << position << " twice";
            }
        }
}

TEST(DrawRound, LargeTotalsGiveDistinctStepsInRange)
{
    for (uint32_t total : {4297u, 304260u, 0x8000000Bu}) {
        std::vector<uint32_t> positions;
        for (uint32_t step = 0; step < std::min(total, 100000u); ++step) positions.push_back(PermutePosition(kKeys[1], total, step));
        EXPECT_LT(*std::max_element(positions.begin(), positions.end()), total) << total;
        std::sort(positions.begin(), positions.end());
        EXPECT_EQ(std::adjacent_find(positions.begin(), positions.end()), positions.end()) << total;
    }
    // Another key, another order.
    EXPECT_NE(PermutePosition(1, 304260, 0) + PermutePosition(1, 304260, 1),
              PermutePosition(2, 304260, 0) + PermutePosition(2, 304260, 1));
}

TEST(DrawRound, NewRoundWhenStepsRunOutOrSourcesChange)
{
    RoundState none = {};
    EXPECT_EQ(RoundChangeFor(&none, 12, 7), kRoundEnded) << "no round yet";
    RoundState state = RoundOver(12, 7);
    const struct { uint32_t step, total; uint64_t sources; RoundChange change; } rows[] = {
        {0, 12, 7, kRoundGoesOn},          {11, 12, 7, kRoundGoesOn},       {12, 12, 7, kRoundEnded},
        {3, 13, 7, kRoundSourcesChanged}, {3, 12, 8, kRoundSourcesChanged}};
    for (const auto& r : rows) {
        state.step = r.step;
        EXPECT_EQ(RoundChangeFor(&state, r.total, r.sources), r.change) << r.step << " of " << r.total;
    }
    state.version = kRoundStateVersion + 1;
    EXPECT_EQ(RoundChangeFor(&state, 12, 7), kRoundEnded) << "a state of another version";
}

TEST(DrawRound, ChangedRoundPassesOverTheLastFiftyShows)
{
    RoundState state = RoundOver(1000, 7);
    for (uint32_t i = 0; i <= kRecentShows; ++i) RememberShow(&state, 5, i);  // 51 shows: the first is forgotten
    EXPECT_EQ(PassesOver(&state, 5, 1), 0) << "a round that began by itself passes nothing over";
    StartRound(&state, 43, 1000, 8, kRoundSourcesChanged);
    EXPECT_EQ(state.step, 0u);
    const struct { uint32_t source, position; int passed; } rows[] = {
        {5, 0, 0}, {5, 1, 1}, {5, kRecentShows, 1}, {5, kRecentShows + 1, 0}, {6, 1, 0}};
    for (const auto& r : rows) EXPECT_EQ(PassesOver(&state, r.source, r.position), r.passed) << r.position;
    StartRound(&state, 44, 1000, 8, kRoundEnded);
    EXPECT_EQ(PassesOver(&state, 5, 1), 0) << "the next round passes nothing over";
}

TEST(DrawRound, DayFortuneHoldsForTheSameDayAndSources)
{
    const uint32_t day = LocalDayNumber(2026, 12, 31);
    const struct { int y, m, d; uint32_t number; } dates[] = {
        {1601, 1, 1, 1}, {1601, 1, 2, 2}, {2027, 1, 1, day + 1}, {2024, 2, 29, LocalDayNumber(2024, 2, 28) + 1},
        {2024, 3, 1, LocalDayNumber(2024, 2, 28) + 2}, {2023, 3, 1, LocalDayNumber(2023, 2, 28) + 1}};
    for (const auto& r : dates) EXPECT_EQ(LocalDayNumber(r.y, r.m, r.d), r.number) << r.y << "-" << r.m << "-" << r.d;

    RoundState state = RoundOver(12, 7);
    uint32_t position = 99;
    EXPECT_EQ(HasDayFortune(&state, day, 7, &position), 0) << "none stored";
    SetDayFortune(&state, day, 7, 5);
    const struct { uint32_t today; uint64_t sources; int holds; } rows[] = {
        {day, 7, 1}, {day + 1, 7, 0}, {day - 1, 7, 0} /* the clock set back */, {day, 8, 0}};
    for (const auto& r : rows) {
        position = 99;
        EXPECT_EQ(HasDayFortune(&state, r.today, r.sources, &position), r.holds) << r.today - day;
        EXPECT_EQ(position, r.holds ? 5u : 99u);
    }
}

TEST(DrawRound, StartupAppsTurnsOffWithAnOddFirstByte)
{
    const struct { unsigned char first; uint32_t size; int allows; } rows[] = {
        {3, 0, 1} /* no value */, {2, 12, 1}, {3, 12, 0}, {6, 1, 1}, {7, 1, 0}};
    for (const auto& r : rows) {
        unsigned char value[12] = {r.first};
        EXPECT_EQ(StartupApprovedAllows(value, r.size), r.allows) << int(r.first) << " size " << r.size;
    }
}
