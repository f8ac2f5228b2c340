// Many whole games with random presses in virtual time, checking after every timer step and
// every press that the device stays within its rules. Q50_SOAK_HOURS sets the simulated time
// (default kDefaultHours), Q50_SOAK_SEED the seed.
#include "board/render_ops.h"
#include "game/device.h"
#include "shell/core/rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <string>

namespace q50::testing {
namespace {

// Enough for every sequence many times over (some 400 games, 300 game overs, 70 chance times)
// within seconds in the sanitized build; scripts/soak.sh runs 100 hours.
constexpr double kDefaultHours = 20.0;

class CountingSound : public SoundSink {
  public:
    void play(Sample s) override { ++plays[std::size_t(s)]; }
    void silence() override {}
    std::array<std::int64_t, kSampleCount> plays{};
    std::int64_t count(Sample s) const { return plays[std::size_t(s)]; }
};

double env_number(const char* name, double dflt) {
    const char* v = std::getenv(name);
    if (!v || !*v) return dflt;
    char* end = nullptr;
    const double d = std::strtod(v, &end);
    return end && *end == '\0' && d >= 0 ? d : dflt;
}

bool in_play(const Device& d) {
    return d.Game_State == 6 || d.Game_State == 8;
}

// The timers of which at most one runs at a time: every sequence that owns the device. The
// introduction's two timers run side by side and count as one; the score blink and the hero's
// move lock run alongside the others.
bool one_sequence_at_most(const TimerSet& t, std::string& why) {
    static constexpr TimerId kOwners[] = {
        TimerId::Stage_Init,    TimerId::Game,          TimerId::Bonus_Phase_1,
        TimerId::Bonus_Phase_2, TimerId::Bonus_Phase_3, TimerId::Bonus_Phase_4,
        TimerId::Chance,        TimerId::Miss_Phase_1,  TimerId::Miss_Phase_2,
        TimerId::Miss_Phase_3,  TimerId::Game_Over,     TimerId::Clock,
    };
    const bool intro = t.enabled(TimerId::Game_Start) || t.enabled(TimerId::Game_Start_Enemy);
    int n = intro ? 1 : 0;
    for (TimerId id : kOwners) n += t.enabled(id) ? 1 : 0;
    if (n <= 1) return true;
    why = "several sequences run:";
    if (intro) why += " introduction";
    for (TimerId id : kOwners)
        if (t.enabled(id)) why += " " + std::string(timer_name(id));
    why += "; ";
    return false;
}

// Collects the text of broken rules; cheap while nothing is broken (no stream per check).
struct Report {
    std::string text;
    Report& operator<<(const char* s) { return text += s, *this; }
    Report& operator<<(const std::string& s) { return text += s, *this; }
    Report& operator<<(std::int64_t v) { return text += std::to_string(v), *this; }
    Report& operator<<(int v) { return *this << std::int64_t(v); }
};

// The broken rules, or an empty string.
std::string check(Device& d, std::int32_t last_score) {
    Report out;
    auto range = [&](const char* name, std::int64_t v, std::int64_t lo, std::int64_t hi) {
        if (v < lo || v > hi) out << name << " = " << v << " outside " << lo << ".." << hi << "; ";
    };
    range("Game_State", d.Game_State, 0, 9);
    range("Hi_Score_A", d.Hi_Score_A, 0, 999);
    range("Hi_Score_B", d.Hi_Score_B, 0, 999);
    range("Pelko_Pos", d.Pelko_Pos, 0, 5);
    range("Misses", d.Misses, 0, 3);
    range("Bombs_Delivered", d.Bombs_Delivered, 0, 5);
    range("Chance_Resume", d.Chance_Resume, 0, 3);
    range("Game_Over_Ticks", d.Game_Over_Ticks, 0, 241);
    range("Score_Blink_Step", d.Score_Blink_Step, 0, 2);
    range("Chance_Step", d.Chance_Step, 0, 5);
    range("Miss_Phase_1_Step", d.Miss_Phase_1_Step, 0, 7);
    range("Miss_Phase_2_Step", d.Miss_Phase_2_Step, 0, 7);
    range("Miss_Phase_3_Step", d.Miss_Phase_3_Step, 0, 5);
    range("Bonus_Phase_1_Step", d.Bonus_Phase_1_Step, 0, 9);
    range("Bonus_Phase_2_Step", d.Bonus_Phase_2_Step, 0, 8);
    range("Bonus_Phase_3_Step", d.Bonus_Phase_3_Step, 0, 6);
    range("Bonus_Phase_4_Step", d.Bonus_Phase_4_Step, 0, 22);
    range("Game_Over_Step", d.Game_Over_Step, 0, 8);
    if (in_play(d)) {
        range("Score_Step", d.Score_Step, 1, 2);
        // The introduction hands the hero his bomb; before it, Pelko_Hold is whatever was left.
        if (d.Play_Active || d.timers.enabled(TimerId::Miss_Phase_1) ||
            d.timers.enabled(TimerId::Bonus_Phase_1))
            range("Pelko_Hold", d.Pelko_Hold, 2, 3);
        range("Partner_Period", d.Partner_Period, 3, 5);
        if (d.Partner_Period == 4) out << "Partner_Period = 4; ";
        range("Tick_Phase", d.Tick_Phase, 0, 4);
        if (d.Next_Chance_Score % 1000 != 300)
            out << "Next_Chance_Score " << d.Next_Chance_Score << "; ";
        // Only the end of a game folds the score.
        if (d.Score < last_score && d.Misses < 3)
            out << "Score fell from " << last_score << " to " << d.Score << "; ";
        if (d.timers.enabled(TimerId::Score_Blink) && d.Score_Step != 2)
            out << "the score blinks with Score_Step " << d.Score_Step << "; ";
        if (d.Score_Step == 2 && !d.Double_Points) out << "Score_Step 2 without Double_Points; ";
        for (int i = 1; i <= 3; ++i)
            if (d.board.Seg_Miss[i].shown != (i <= d.Misses))
                out << "miss mark " << i << " disagrees with Misses " << d.Misses << "; ";
    }
    if (d.Play_Active) {
        if (!in_play(d)) out << "Play_Active in mode " << d.Game_State << "; ";
        if (!d.timers.enabled(TimerId::Game)) out << "Play_Active without the main tick; ";
        range("Pelko_Pos in play", d.Pelko_Pos, 1, 5);
        // A hand-over at the partner's tick counts one past the period until the bonus
        // resets it, so the full range holds only in play.
        range("Partner_Count", d.Partner_Count, 1, 5);
        range("Tick_Phase in play", d.Tick_Phase, 1, 4);
        for (int n = 1; n <= 5; ++n)
            range("Enemy_Flame", d.Enemy_Flame[std::size_t(n)], 1, d.Game_State == 6 ? 11 : 9);
        range("Misses in play", d.Misses, 0, 2);
        const Board& b = d.board;
        int floor_flames = 0;
        for (int i = 1; i <= 7; ++i) floor_flames += b.Seg_Flame[i].shown ? 1 : 0;
        if (floor_flames > 1) out << floor_flames << " floor flames on the walkway; ";
        for (int p = 1; p <= 5; ++p) {
            const bool here = p == d.Pelko_Pos;
            if (b.Seg_Pelko(p, 1).shown != here) out << "body at " << p << " wrong; ";
            if (b.Seg_Pelko(p, 2).shown != (here && d.Pelko_Hold == 2))
                out << "low arms at " << p << " wrong; ";
            if (b.Seg_Pelko(p, 3).shown != (here && d.Pelko_Hold == 3))
                out << "high arms at " << p << " wrong; ";
        }
        if (b.Seg_Pelko(5, 0).shown != (d.Pelko_Pos == 5 && d.Pelko_Hold == 3))
            out << "bomb at 5 wrong; ";
        if (b.Seg_Pelko(1, 0).shown) out << "hero turned left in play; ";
        for (int c = 1; c <= 5; ++c)
            if (b.Seg_Pelko(0, c).shown) out << "fort segment " << c << " lit in play; ";
    }
    std::string why;
    if (!one_sequence_at_most(d.timers, why)) out << why;
    return out.text;
}

struct Stats {
    std::int64_t games = 0, presses = 0, steps = 0, acl = 0;
};

enum class Move { None, Left, Right, Bomb };

// Mostly a player who tries: keeps the bomb away from the flames, walks right and raises it
// for the hand-over; now and then any button at all.
class Player {
  public:
    Player(Device& d, std::uint32_t seed) : d_(d), rng_(seed) {}

    int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }

    // Presses a button at the current time and returns its release (which may do nothing).
    std::function<void()> press(Stats& stats) {
        if (chance(0.0005)) {
            ++stats.presses;
            ++stats.acl;
            d_.Inp_acl_down();
            return [this] { d_.Inp_acl_up(); };
        }
        const int s = d_.Game_State;
        if (s == 2 || s == 4 || s == 9) {
            if (s == 9 && wait_out_game_over_) return [] {};
            ++stats.presses;
            const int pick = uniform(0, 9);
            if (pick < 4) {
                ++stats.games;
                d_.Inp_game_a_down();
                return [this] { d_.Inp_game_a_up(); };
            }
            if (pick < 8) {
                ++stats.games;
                d_.Inp_game_b_down();
                return [this] { d_.Inp_game_b_up(); };
            }
            d_.Inp_time_down();
            return [this] { d_.Inp_time_up(); };
        }
        if (!in_play(d_)) return [] {};
        if (chance(0.002)) {
            ++stats.presses;
            // A mode button during a game only lights its picture.
            d_.Inp_time_down();
            return [this] { d_.Inp_time_up(); };
        }
        const Move m = choose();
        if (m != Move::None) ++stats.presses;
        switch (m) {
        case Move::Left:
            d_.Inp_left_down();
            return [this] { d_.Inp_left_up(); };
        case Move::Right:
            d_.Inp_right_down();
            return [this] { d_.Inp_right_up(); };
        case Move::Bomb:
            d_.Inp_bomb_down();
            return [this] { d_.Inp_bomb_up(); };
        case Move::None:
            break;
        }
        return [] {};
    }

    void game_over_seen() { wait_out_game_over_ = chance(0.15); }
    void set_clumsiness(double p) { clumsy_ = p; }

  private:
    bool floor_at(int pos) const { return pos >= 1 && pos <= 8 && d_.board.Seg_Flame[pos].shown; }
    bool tip_at(int pos) const { return pos >= 1 && pos <= 5 && d_.board.Seg_Enemy(pos, 6).shown; }
    bool safe(int pos, int hold) const {
        return hold == 2 ? !floor_at(pos) && !floor_at(pos + 1) : !tip_at(pos);
    }

    Move choose() {
        if (!d_.Play_Active || d_.Move_Lock) return chance(0.05) ? Move(uniform(1, 3)) : Move::None;
        if (chance(clumsy_)) return Move(uniform(0, 3));
        const int p = d_.Pelko_Pos, hold = d_.Pelko_Hold, other = 5 - hold;
        const bool reaching = d_.board.shown("im_partner_right_2");
        if (p == 5 && reaching && hold == 2 && !tip_at(5)) return Move::Bomb;
        if (!safe(p, hold)) {
            if (safe(p, other)) return Move::Bomb;
            if (p < 5 && safe(p + 1, hold) && !(hold == 2 && floor_at(p))) return Move::Right;
            if (p > 1 && safe(p - 1, hold)) return Move::Left;
            return Move::None;
        }
        if (p < 5 && safe(p + 1, hold)) return Move::Right;
        // Carry high where no enemy flame threatens: the floor cannot reach a raised bomb.
        if (hold == 2 && safe(p, 3) && chance(0.5)) return Move::Bomb;
        return Move::None;
    }

    Device& d_;
    std::mt19937 rng_;
    bool wait_out_game_over_ = false;
    double clumsy_ = 0.02;
};

TEST(Soak, RandomGamesKeepEveryRule) {
    const double hours = env_number("Q50_SOAK_HOURS", kDefaultHours);
    const auto seed = std::uint32_t(env_number("Q50_SOAK_SEED", 20261208));
    const std::int64_t end = std::int64_t(hours * 3600.0 * 1000.0);

    BasicRig<CountingSound> rig{seed};
    rig.clock.set({7, 30});
    rig.start();
    Device& d = rig.dev;
    const CountingSound& sound = rig.sound;
    d.Inp_open_down();

    Player player(d, seed * 7 + 1);
    Stats stats;
    std::int32_t last_score = 0;
    std::int32_t last_state = d.Game_State;
    std::int64_t clock_entries_from_game_over = 0, best_score = 0, tired_at = INT64_MAX;
    const auto wall_start = std::chrono::steady_clock::now();

    auto verify = [&](const char* after) {
        if (d.Game_State != last_state) {
            if (in_play(d) && (last_state == 5 || last_state == 7)) {
                last_score = 0;
                // Some games are played badly, so that misses come in every sequence.
                const int kind = player.uniform(0, 19);
                player.set_clumsiness(kind < 5 ? 0.01 : kind < 12 ? 0.1 : 0.3);
                // Even a good player tires, so that the soak sees many games.
                tired_at = d.now() + player.uniform(2, 25) * 60000;
            }
            if (!in_play(d)) tired_at = INT64_MAX;
            if (last_state == 9 && d.Game_State == 4) ++clock_entries_from_game_over;
            if (d.Game_State == 9) player.game_over_seen();
            last_state = d.Game_State;
        }
        if (d.now() >= tired_at) {
            player.set_clumsiness(0.3);
            tired_at = INT64_MAX;
        }
        const std::string why = check(d, last_score);
        if (in_play(d)) {
            last_score = d.Score;
            best_score = std::max<std::int64_t>(best_score, d.Score);
        }
        if (why.empty()) return true;
        ADD_FAILURE() << "at " << d.now() << " ms after " << after << " (seed " << seed
                      << "): " << why;
        return false;
    };

    // One pending press and its release; the player looks again shortly after every timer
    // step while a game runs, and now and then otherwise.
    std::int64_t press_at = d.now() + 500;
    std::optional<std::int64_t> release_at;
    std::function<void()> release;
    bool ok = true;
    while (ok && d.now() < end) {
        const std::int64_t step_at = d.next_due().value_or(INT64_MAX);
        if (release_at && *release_at <= step_at) {
            d.advance_to(*release_at);
            release_at.reset();
            release();
            ok = verify("a release");
        } else if (!release_at && press_at <= step_at) {
            d.advance_to(press_at);
            release = player.press(stats);
            release_at = d.now() + player.uniform(15, 200);
            press_at = in_play(d) ? d.now() + player.uniform(250, 1500)
                                  : d.now() + player.uniform(300, 4000);
            ok = verify("a press");
        } else {
            d.advance_to(step_at);
            ++stats.steps;
            ok = verify("a timer step");
            if (in_play(d)) press_at = std::min(press_at, d.now() + player.uniform(5, 60));
        }
    }

    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
    std::printf("soak: %.2f simulated hours in %.1f s: %lld games started, %lld presses, %lld "
                "timer steps, %lld ACL, best score %lld; misses %lld, hand-overs %lld, enemy "
                "blasts %lld, chance jingles %lld, game overs %lld (%lld left to fall back to "
                "the clock)\n",
                double(d.now()) / 3600000.0, wall, (long long)stats.games, (long long)stats.presses,
                (long long)stats.steps, (long long)stats.acl, (long long)best_score,
                (long long)sound.count(Sample::Miss3), (long long)sound.count(Sample::Bonus0),
                (long long)sound.count(Sample::Bonus6), (long long)sound.count(Sample::Chance),
                (long long)sound.count(Sample::Gameover), (long long)clock_entries_from_game_over);
    // A soak that never reached the sequences it is meant to shake proves nothing.
    if (ok && hours >= 1.0) {
        EXPECT_GT(sound.count(Sample::Gameover), 10);
        EXPECT_GT(sound.count(Sample::Bonus0), 10);
        EXPECT_GT(sound.count(Sample::Bonus6), 0);
        EXPECT_GT(sound.count(Sample::Chance), 0);
        EXPECT_GT(clock_entries_from_game_over, 0);
    }
}

} // namespace
} // namespace q50::testing
