#include "in_play.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace q50::testing {
namespace {

using Counters = std::array<int, 5>;

std::int64_t tick_time(int k) {
    return kFirstTick + std::int64_t(k - 1) * 435;
}

// Runs one main tick of the given kind now, whatever the cycle would bring.
void run_tick(DeviceHarness& h, int phase) {
    h.dev.Tick_Phase = phase;
    const auto due = h.dev.timers.due(TimerId::Game);
    ASSERT_TRUE(due.has_value());
    h.dev.advance_to(*due);
}

std::set<int> lit_floor_flames(const DeviceHarness& h) {
    std::set<int> out;
    for (int i = 1; i <= 10; ++i)
        if (h.dev.board.Seg_Flame[i].shown) out.insert(i);
    return out;
}

TEST(MainTick, CycleOfEnemyFloorEnemyPartnerWithTheSpeedRule) {
    DeviceHarness h;
    start_play(h);
    std::vector<int> enemy_ticks;
    for (int k = 1; k <= 33; ++k) {
        const std::size_t calls = h.sound.calls.size();
        h.dev.advance_to(tick_time(k));
        if (h.sounds(calls) == std::vector<std::string>{"Enemy"})
            enemy_ticks.push_back(k);
        else
            EXPECT_TRUE(h.sounds(calls).empty()) << "tick " << k;
        EXPECT_EQ(h.dev.Stage_Ticks, k + 1);
        EXPECT_EQ(h.dev.Tick_Phase, k % 4 + 1);
    }
    const std::vector<int> expected = {1,  3,  5,  7,  9,  11, 13, 15, 17,
                                       19, 21, 23, 25, 27, 29, 31, 33};
    EXPECT_EQ(enemy_ticks, expected);
    // 33 ticks of 435 ms; Stage_Ticks 36 is reached at tick 35 and shortens the period.
    EXPECT_EQ(h.dev.timers.due(TimerId::Game), tick_time(34));
    h.dev.Pelko_Hold = 3; // keep tick 34's floor flame off the bomb; nothing is above him
    h.dev.board.hide("im_enemy_1_flame_4");
    h.dev.advance_to(tick_time(35));
    EXPECT_EQ(h.dev.Stage_Ticks, 36);
    EXPECT_EQ(h.dev.timers.interval(TimerId::Game), 355);
    EXPECT_EQ(h.dev.timers.due(TimerId::Game), tick_time(35) + 355);
}

TEST(MainTick, FloorFlameRunsOnePlaceEveryFourTicks) {
    DeviceHarness h;
    start_play(h);
    EXPECT_EQ(lit_floor_flames(h), (std::set<int>{9, 10}));
    h.dev.advance_to(tick_time(2));
    EXPECT_EQ(lit_floor_flames(h), (std::set<int>{8, 10}));
    h.dev.advance_to(tick_time(5));
    EXPECT_EQ(lit_floor_flames(h), (std::set<int>{8, 10}));
    h.dev.advance_to(tick_time(6));
    EXPECT_EQ(lit_floor_flames(h), (std::set<int>{7, 9, 10}));
    for (int place = 6; place >= 1; --place) {
        h.dev.advance_to(tick_time(6 + 4 * (7 - place)));
        std::set<int> expected = {place, 9, 10};
        if (place == 1) expected = {1, 8, 10}; // the source shows the next flame
        EXPECT_EQ(lit_floor_flames(h), expected) << "place " << place;
    }
    EXPECT_EQ(h.dev.now(), tick_time(30));
}

TEST(MainTick, FloorFlameLeavesTheWalkwayAsTheNextOneEnters) {
    DeviceHarness h;
    start_play(h);
    place_hero(h, 3, 3); // high over the floor; only floor steps run, no enemy flame lights
    for (int i : {1, 8, 10}) h.dev.board.show(h.dev.board.Seg_Flame[i]);
    h.dev.board.hide(h.dev.board.Seg_Flame[9]);
    run_tick(h, 2);
    EXPECT_EQ(lit_floor_flames(h), (std::set<int>{7, 9, 10}));
    run_tick(h, 2);
    EXPECT_EQ(lit_floor_flames(h), (std::set<int>{6, 9, 10}));
}

TEST(MainTick, RightPartnerReachesTwelveThenTwentyTicksApart) {
    DeviceHarness h;
    start_play(h);
    std::vector<int> reaches, withdrawals;
    bool out = false;
    for (int k = 1; k <= 33; ++k) {
        h.dev.advance_to(tick_time(k));
        const bool now_out = h.lit("im_partner_right_2");
        EXPECT_NE(now_out, h.lit("im_partner_right_3")) << "tick " << k;
        if (now_out && !out) reaches.push_back(k);
        if (!now_out && out) withdrawals.push_back(k);
        out = now_out;
    }
    EXPECT_EQ(reaches, (std::vector<int>{12, 32}));
    EXPECT_EQ(withdrawals, (std::vector<int>{14}));
    EXPECT_EQ(h.dev.Partner_Period, 3);
    EXPECT_EQ(h.dev.Partner_Count, 1);
}

TEST(MainTick, HandOverAtThePartnerStepStillCountsAndKeepsThePeriod) {
    DeviceHarness h;
    start_play(h);
    place_hero(h, 5, 3);
    h.dev.Partner_Count = 3;
    h.dev.Partner_Period = 3;
    run_tick(h, 4);
    EXPECT_TRUE(h.lit("im_partner_right_2"));
    EXPECT_FALSE(h.lit("im_partner_right_3"));
    EXPECT_EQ(h.dev.Partner_Period, 3);
    EXPECT_EQ(h.dev.Partner_Count, 4);
    EXPECT_EQ(h.dev.Tick_Phase, 1);
}

TEST(MainTick, NoHandOverWhenTheHeroHoldsLowAtFive) {
    DeviceHarness h;
    start_play(h);
    place_hero(h, 5, 2);
    h.dev.Partner_Count = 5;
    h.dev.Partner_Period = 5;
    run_tick(h, 4);
    EXPECT_TRUE(h.lit("im_partner_right_2"));
    EXPECT_EQ(h.dev.Partner_Period, 3);
    EXPECT_EQ(h.dev.Partner_Count, 1);
}

// Enemy step from dealt counters: the neighbour rule runs after each enemy's increment, so an
// earlier enemy's step can change a later enemy's counter before that one counts.
TEST(EnemyStep, NeighbourRuleAfterEachIncrement) {
    struct Case {
        std::initializer_list<int> deal;
        Counters after;
    };
    const Case cases[] = {
        {{2, 2, 2, 1}, {3, 4, 3, 2, 6}}, // left triple after enemy 3: middle one set to 4
        {{5, 2, 2, 2}, {6, 3, 2, 3, 6}}, // middle triple found after enemy 1: enemy 3 set to 1
        {{1, 1, 5, 5}, {2, 2, 6, 3, 6}}, // right triple found after enemy 1: enemy 4 set to 2
        {{3, 3, 3, 1}, {4, 4, 4, 2, 6}}, // a triple of 4s stays: the rule sets 4 again
        {{1, 2, 3, 4}, {2, 3, 4, 5, 6}},
    };
    for (const Case& c : cases) {
        DeviceHarness h;
        start_play(h, 'A', c.deal);
        h.dev.advance_to(tick_time(1));
        EXPECT_EQ(counters(h), c.after);
        EXPECT_EQ(h.random.scripted_left(), 0u);
    }
}

TEST(EnemyStep, DealtTripleIsOnlyBrokenAtTheFirstStep) {
    DeviceHarness h;
    start_play(h, 'A', {3, 3, 3, 2});
    EXPECT_EQ(counters(h), (Counters{3, 3, 3, 2, 5}));
    // After enemy 1's increment: 4,3,3,2 — no triple; after enemy 2's: 4,4,3; after enemy 3's:
    // 4,4,4 -> enemy 2 := 4, unchanged; enemy 4: 3; enemy 5: 6.
    h.dev.advance_to(tick_time(1));
    EXPECT_EQ(counters(h), (Counters{4, 4, 4, 3, 6}));
    EXPECT_TRUE(h.lit("im_enemy_5_flame_1"));
    for (int n = 1; n <= 4; ++n)
        for (int p = 3; p <= 6; ++p) EXPECT_FALSE(h.dev.board.Seg_Enemy(n, p).shown);
}

TEST(EnemyStep, WrapsAboveElevenInGameAAndAboveNineInGameB) {
    for (char game : {'A', 'B'}) {
        DeviceHarness h;
        start_play(h, game);
        for (int n = 1; n <= 5; ++n)
            h.dev.Enemy_Flame[std::size_t(n)] = std::array{11, 9, 7, 5, 1}[n - 1];
        h.random.script(3);
        if (game == 'B') h.random.script(4);
        h.dev.advance_to(tick_time(1));
        EXPECT_EQ(h.random.scripted_left(), 0u) << game;
        if (game == 'A') {
            EXPECT_EQ(counters(h), (Counters{3, 10, 8, 6, 2}));
            EXPECT_TRUE(h.lit("im_enemy_2_flame_2"));
        } else {
            EXPECT_EQ(counters(h), (Counters{3, 4, 8, 6, 2}));
            EXPECT_FALSE(h.lit("im_enemy_2_flame_2"));
        }
        EXPECT_TRUE(h.lit("im_enemy_3_flame_3"));
        EXPECT_TRUE(h.lit("im_enemy_3_flame_4"));
        EXPECT_TRUE(h.lit("im_enemy_4_flame_1"));
        EXPECT_FALSE(h.lit("im_enemy_1_flame_1"));
    }
}

TEST(EnemyStep, FlameCycleOfOneEnemyInEachGame) {
    // Frames shown at counters 6..11 in Game A; Game B re-deals at 10.
    for (char game : {'A', 'B'}) {
        DeviceHarness h;
        start_play(h, game, {5, 1, 2, 1});
        place_hero(h, 3, 2);
        std::vector<std::string> frames;
        for (int step = 0; step < 8; ++step) {
            if (h.dev.Enemy_Flame[1] >= (game == 'A' ? 11 : 9)) h.random.script(2);
            // Keep the others away from a triple with enemy 1.
            for (int n = 2; n <= 5; ++n) h.dev.Enemy_Flame[std::size_t(n)] = n == 3 ? 0 : 1 - n;
            run_tick(h, 1);
            std::string f;
            for (int p = 3; p <= 6; ++p) f += h.dev.board.Seg_Enemy(1, p).shown ? '1' : '0';
            frames.push_back(f);
        }
        const std::vector<std::string> a = {"1000", "0100", "0011", "0011",
                                            "0100", "1000", "0000", "0000"};
        const std::vector<std::string> b = {"1000", "0100", "0011", "0011",
                                            "0000", "0000", "0000", "0000"};
        EXPECT_EQ(frames, game == 'A' ? a : b) << game;
    }
}

TEST(EnemyStep, MissLeavesCountersAndFlamesButTheTickStillCounts) {
    DeviceHarness h;
    start_play(h);
    place_hero(h, 2, 3);
    for (int n = 1; n <= 5; ++n) h.dev.Enemy_Flame[std::size_t(n)] = 8;
    for (int n = 1; n <= 5; ++n) Vid_Show_Enemy_Flame_Frame(h.dev.board, n, 8);
    const std::size_t calls = h.sound.calls.size();
    h.dev.advance_to(tick_time(1));
    EXPECT_EQ(counters(h), (Counters{8, 8, 8, 8, 8}));
    EXPECT_TRUE(h.lit("im_enemy_2_flame_4"));
    const std::vector<std::string> played = h.sounds(calls);
    EXPECT_EQ(std::count(played.begin(), played.end(), "Enemy"), 0);
    EXPECT_EQ(h.dev.Tick_Phase, 2);
    EXPECT_EQ(h.dev.Stage_Ticks, 2);
}

TEST(FloorStep, MissLeavesTheFloorAsItWasButWithdrawsTheHand) {
    DeviceHarness h;
    start_play(h);
    h.dev.board.show("im_flame_1");
    h.dev.board.hide("im_partner_right_3");
    h.dev.board.show("im_partner_right_2");
    h.dev.Tick_Phase = 2;
    h.dev.advance_to(tick_time(1));
    EXPECT_EQ(lit_floor_flames(h), (std::set<int>{1, 9, 10}));
    EXPECT_FALSE(h.lit("im_partner_right_2"));
    EXPECT_TRUE(h.lit("im_partner_right_3"));
    EXPECT_EQ(h.dev.Tick_Phase, 3);
    EXPECT_EQ(h.dev.Stage_Ticks, 2);
}

TEST(MainTick, UnknownPhaseOnlyCounts) {
    DeviceHarness h;
    start_play(h);
    const auto before = counters(h);
    const auto flames = lit_floor_flames(h);
    h.dev.Tick_Phase = 7;
    h.dev.advance_to(tick_time(1));
    EXPECT_EQ(counters(h), before);
    EXPECT_EQ(lit_floor_flames(h), flames);
    EXPECT_EQ(h.dev.Tick_Phase, 8);
    EXPECT_EQ(h.dev.Stage_Ticks, 2);
}

} // namespace
} // namespace q50::testing
