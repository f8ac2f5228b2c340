// The third miss: the score folded below 1000, the high score of the game played stored only
// when beaten, and the four-minute game-over display that falls back to the clock.
#include "device_harness.h"

#include <gtest/gtest.h>

namespace q50::testing {
namespace {

// A third miss found at position 1 at `kStart`; its count comes 3710 ms after phase 1 step 1.
constexpr std::int64_t kStart = 1000;
constexpr std::int64_t kCount = kStart + 1 + 3710;
constexpr std::int64_t kDisplayStart = kCount + 1; // game-over step 1

struct GameOverRun {
    DeviceHarness h;
    std::vector<std::pair<std::string, std::string>> writes;

    GameOverRun(int game_state, int score, int hi_a, int hi_b) {
        h.start();
        h.store.on_write = [this](const std::string& n, const std::string& t) {
            writes.emplace_back(n, t);
        };
        h.dev.Hi_Score_A = hi_a;
        h.dev.Hi_Score_B = hi_b;
        h.dev.Misses = 2;
        h.dev.Score = score;
        h.set_up_play(1, 2, game_state);
        h.dev.advance_to(kStart);
        h.dev.Gam_Execute_Miss_Phase_1();
    }
};

TEST(GameOver, BeatenHighScoreIsFoldedAndWrittenAtOnceAsDecimalText) {
    GameOverRun r(6, 1234, 200, 500);
    r.h.dev.advance_to(kCount - 1);
    EXPECT_TRUE(r.writes.empty());
    r.h.dev.advance_to(kCount);
    EXPECT_EQ(r.h.dev.Misses, 3);
    EXPECT_EQ(r.h.dev.Score, 234);
    EXPECT_EQ(r.h.dev.Hi_Score_A, 234);
    EXPECT_EQ(r.h.dev.Hi_Score_B, 500);
    ASSERT_EQ(r.writes.size(), 1u);
    EXPECT_EQ(r.writes[0], (std::pair<std::string, std::string>{"HiScore1", "234"}));
    EXPECT_EQ(r.h.store.read_text("HiScore1"), "234");
    EXPECT_FALSE(r.h.dev.timers.enabled(TimerId::Stage_Init));
}

TEST(GameOver, NoWriteWhenTheFoldedScoreDoesNotBeatTheHighScore) {
    struct Case {
        int game_state, score, hi_a, hi_b;
    };
    for (Case c : {Case{6, 2000, 0, 0},     // folds to 0, equal to 0
                   Case{6, 200, 200, 0},    // equal
                   Case{6, 1150, 151, 0},   // folds below
                   Case{8, 345, 100, 345}}) // equal, in Game B
    {
        SCOPED_TRACE("score " + std::to_string(c.score));
        GameOverRun r(c.game_state, c.score, c.hi_a, c.hi_b);
        r.h.dev.advance_to(kDisplayStart + 250000);
        EXPECT_TRUE(r.writes.empty());
        EXPECT_EQ(r.h.dev.Hi_Score_A, c.hi_a);
        EXPECT_EQ(r.h.dev.Hi_Score_B, c.hi_b);
        EXPECT_EQ(r.h.dev.Score, c.score % 1000);
    }
}

TEST(GameOver, EachGameUpdatesOnlyItsOwnHighScore) {
    GameOverRun b(8, 777, 100, 300);
    b.h.dev.advance_to(kCount);
    EXPECT_EQ(b.h.dev.Hi_Score_A, 100);
    EXPECT_EQ(b.h.dev.Hi_Score_B, 777);
    ASSERT_EQ(b.writes.size(), 1u);
    EXPECT_EQ(b.writes[0].first, "HiScore2");
    EXPECT_EQ(b.writes[0].second, "777");

    GameOverRun a(6, 50, 10, 900);
    a.h.dev.advance_to(kCount);
    EXPECT_EQ(a.h.dev.Hi_Score_B, 900);
    ASSERT_EQ(a.writes.size(), 1u);
    EXPECT_EQ(a.writes[0].first, "HiScore1");
}

// Another running copy stored a better score while this game ran: the lower score must not
// overwrite it, and the panel's high score becomes the stored best.
TEST(GameOver, AHigherScoreStoredMeanwhileByAnotherCopyIsKeptAndShown) {
    GameOverRun r(6, 300, 200, 0);
    r.h.store.preset("HiScore1", "450");
    r.h.dev.advance_to(kCount);
    EXPECT_TRUE(r.writes.empty());
    EXPECT_EQ(r.h.store.read_text("HiScore1"), "450");
    EXPECT_EQ(r.h.dev.Hi_Score_A, 450);

    GameOverRun lower(8, 600, 100, 200);
    lower.h.store.preset("HiScore2", "500"); // stored meanwhile, but lower than this game
    lower.h.dev.advance_to(kCount);
    ASSERT_EQ(lower.writes.size(), 1u);
    EXPECT_EQ(lower.writes[0].second, "600");
    EXPECT_EQ(lower.h.dev.Hi_Score_B, 600);
}

// The store holds another best than the one this run read at its start (another copy ended a
// better game, or reset the scores): the panel shows what the store keeps even when this game
// did not beat the score shown; a store that did not change is only read.
TEST(GameOver, AStoredBestChangedMeanwhileIsShownAlsoWhenThisGameDidNotBeatIt) {
    GameOverRun higher(6, 300, 500, 0);
    higher.h.store.preset("HiScore1", "800");
    higher.h.dev.advance_to(kCount);
    EXPECT_TRUE(higher.writes.empty());
    EXPECT_EQ(higher.h.dev.Hi_Score_A, 800);

    GameOverRun reset(8, 300, 0, 500);
    reset.h.store.preset("HiScore2", "0");
    reset.h.dev.advance_to(kCount);
    ASSERT_EQ(reset.writes.size(), 1u);
    EXPECT_EQ(reset.writes[0], (std::pair<std::string, std::string>{"HiScore2", "300"}));
    EXPECT_EQ(reset.h.dev.Hi_Score_B, 300);

    GameOverRun same(6, 300, 500, 0);
    same.h.store.preset("HiScore1", "500");
    same.h.dev.advance_to(kCount);
    EXPECT_TRUE(same.writes.empty());
    EXPECT_EQ(same.h.dev.Hi_Score_A, 500);
}

// A store that cannot keep the new best (its file cannot be written): the panel shows the
// better score for this run, never a lower one, and standard error says it is not saved.
TEST(GameOver, AHighScoreTheStoreCannotKeepIsShownAndSaidNotSaved) {
    GameOverRun r(6, 300, 200, 0);
    r.h.store.preset("HiScore1", "200");
    r.h.store.refuse_writes = true;
    ::testing::internal::CaptureStderr();
    r.h.dev.advance_to(kCount);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(r.h.dev.Hi_Score_A, 300);
    EXPECT_EQ(r.h.store.read_text("HiScore1"), "200");
    EXPECT_EQ(err, "Quendrix50: the Game A high score 300 is shown but not saved\n");

    GameOverRun lower(8, 100, 0, 400);
    lower.h.store.preset("HiScore2", "0"); // reset meanwhile, and the store cannot be written
    lower.h.store.refuse_writes = true;
    lower.h.dev.advance_to(kCount);
    EXPECT_EQ(lower.h.dev.Hi_Score_B, 400);
}

TEST(GameOver, DisplayReplaysTheFortEvery5sAndEndsAfter4300PlusFourMinutes) {
    GameOverRun r(6, 42, 0, 0);
    Device& d = r.h.dev;
    r.h.dev.advance_to(kDisplayStart);
    EXPECT_EQ(r.h.sound_time("Gameover"), kDisplayStart);
    EXPECT_EQ(d.Game_State, 6);
    d.advance_to(kDisplayStart + 4299);
    EXPECT_EQ(d.Game_State, 6);
    EXPECT_TRUE(r.h.lit("im_partner_left_boom"));
    const std::int64_t step2 = kDisplayStart + 4300;
    d.advance_to(step2);
    EXPECT_EQ(d.Game_State, 9);
    EXPECT_EQ(d.Game_Over_Ticks, 1);
    EXPECT_FALSE(r.h.lit("im_partner_left_boom"));
    EXPECT_FALSE(r.h.lit("im_pelko_0_body"));

    // One replay of the explosion, step by step.
    struct Frame {
        int second;
        bool body, head, up, boom1, boom2, partner, fort, fort_boom;
    };
    const Frame frames[] = {
        {1, true, true, true, false, false, true, true, false},
        {2, true, true, true, true, false, true, true, false},
        {3, true, false, false, true, true, true, true, false},
        {4, true, false, false, true, true, false, false, true},
        {5, false, false, false, false, false, false, false, false},
    };
    for (int round : {0, 46}) {
        for (const Frame& f : frames) {
            d.advance_to(step2 + 1000 * (round * 5 + f.second));
            SCOPED_TRACE("second " + std::to_string(round * 5 + f.second));
            EXPECT_EQ(r.h.lit("im_pelko_0_body"), f.body);
            EXPECT_EQ(r.h.lit("im_pelko_0_head"), f.head);
            EXPECT_EQ(r.h.lit("im_pelko_0_up"), f.up);
            EXPECT_EQ(r.h.lit("im_pelko_0_boom_1"), f.boom1);
            EXPECT_EQ(r.h.lit("im_pelko_0_boom_2"), f.boom2);
            EXPECT_EQ(r.h.lit("im_partner_left_1"), f.partner);
            EXPECT_EQ(r.h.lit("im_partner_left_fort"), f.fort);
            EXPECT_EQ(r.h.lit("im_partner_left_boom"), f.fort_boom);
        }
    }
    // The panel keeps the score and all three marks, the enemies stay down.
    EXPECT_EQ(r.h.panel(), "_042");
    for (int i = 0; i <= 3; ++i) EXPECT_TRUE(d.board.Seg_Miss[i].shown);
    for (int n = 1; n <= 5; ++n) EXPECT_TRUE(d.board.Seg_Enemy(n, 1).shown);

    d.advance_to(step2 + 239999);
    EXPECT_EQ(d.Game_State, 9);
    EXPECT_EQ(d.Game_Over_Ticks, 240);
    d.advance_to(step2 + 240000);
    EXPECT_EQ(d.Game_State, 4);
    EXPECT_EQ(d.Game_Over_Ticks, 241);
    EXPECT_FALSE(d.timers.enabled(TimerId::Game_Over));
    EXPECT_EQ(r.h.sound_count("Gameover"), 1);
}

} // namespace
} // namespace q50::testing
