#include "game/timers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace q50;

namespace {

struct Log {
    std::vector<std::string> steps;
    TimerSet::Handler handler(TimerSet& t, std::function<void(TimerId)> extra = {}) {
        return [this, &t, extra](TimerId id) {
            steps.push_back(std::to_string(t.now()) + " " + std::string(timer_name(id)));
            if (extra) extra(id);
        };
    }
};

} // namespace

TEST(Timers, StartDisabledWithOneMillisecondAndRunNothing) {
    TimerSet t;
    for (int i = 0; i < kTimerCount; ++i) {
        EXPECT_FALSE(t.enabled(TimerId(i)));
        EXPECT_EQ(t.interval(TimerId(i)), 1);
    }
    EXPECT_FALSE(t.next_due());
    Log log;
    t.advance_to(100000, log.handler(t));
    EXPECT_TRUE(log.steps.empty());
    EXPECT_EQ(t.now(), 100000);
    EXPECT_EQ(std::string(timer_name(TimerId::Stage_Init)), "Timer_Stage_Init");
}

TEST(Timers, RepeatWithoutDriftAtTheirInterval) {
    TimerSet t;
    Log log;
    t.advance_to(5, log.handler(t));
    t.start(TimerId::Game, 435);
    EXPECT_EQ(*t.next_due(), 440);
    t.advance_to(1310, log.handler(t));
    EXPECT_EQ(log.steps,
              (std::vector<std::string>{"440 Timer_Game", "875 Timer_Game", "1310 Timer_Game"}));
    // Advancing in small pieces gives the same steps as one big jump.
    for (std::int64_t ms = 1311; ms <= 2180; ms += 7) t.advance_to(ms, log.handler(t));
    t.advance_to(2180, log.handler(t));
    EXPECT_EQ(log.steps.back(), "2180 Timer_Game");
    EXPECT_EQ(log.steps.size(), 5u);
}

TEST(Timers, EnableOrSameIntervalAgainChangesNothing) {
    TimerSet t;
    Log log;
    t.start(TimerId::Pelko_Move, 300); // due at 300
    t.advance_to(200, log.handler(t));
    t.start(TimerId::Pelko_Move, 300); // a second step within the period: no restart
    t.enable(TimerId::Pelko_Move);
    EXPECT_EQ(*t.due(TimerId::Pelko_Move), 300);
    // A different interval restarts the period from now.
    t.set_interval(TimerId::Pelko_Move, 250);
    EXPECT_EQ(*t.due(TimerId::Pelko_Move), 450);
    // Disable then enable: a fresh period.
    t.disable(TimerId::Pelko_Move);
    EXPECT_FALSE(t.next_due());
    t.enable(TimerId::Pelko_Move);
    EXPECT_EQ(*t.due(TimerId::Pelko_Move), 450);
    // An interval change while disabled only takes effect at the next enable.
    t.disable(TimerId::Pelko_Move);
    t.set_interval(TimerId::Pelko_Move, 100);
    EXPECT_FALSE(t.due(TimerId::Pelko_Move));
    t.advance_to(210, log.handler(t));
    t.enable(TimerId::Pelko_Move);
    EXPECT_EQ(*t.due(TimerId::Pelko_Move), 310);
    EXPECT_TRUE(log.steps.empty());
}

TEST(Timers, HandlerSettingItsOwnIntervalSetsTheDelayToItsNextStep) {
    TimerSet t;
    Log log;
    int step = 1;
    auto h = log.handler(t, [&](TimerId id) {
        // A sequence like the introduction: 1 ms, then 320, 320, 450 ...
        if (step == 1) t.set_interval(id, 320);
        if (step == 3) t.set_interval(id, 450);
        if (step == 4) t.set_interval(id, 450); // same interval: the period goes on
        if (step == 5) t.disable(id);
        ++step;
    });
    t.start(TimerId::Game_Start, 1);
    t.advance_to(10000, h);
    EXPECT_EQ(log.steps, (std::vector<std::string>{"1 Timer_Game_Start", "321 Timer_Game_Start",
                                                   "641 Timer_Game_Start", "1091 Timer_Game_Start",
                                                   "1541 Timer_Game_Start"}));
}

TEST(Timers, SameMillisecondRunsInDeclarationOrderAndSeesEarlierSteps) {
    TimerSet t;
    Log log;
    auto h = log.handler(t, [&](TimerId id) {
        if (id == TimerId::Chance) {
            // Enabling another timer from a handler: its first step is one interval later,
            // even when that is the same millisecond as a waiting step of a later timer.
            t.start(TimerId::Bonus_Phase_1, 5);
            t.disable(TimerId::Chance);
        }
        if (id == TimerId::Bonus_Phase_1 || id == TimerId::Stage_Init || id == TimerId::Game)
            t.disable(id);
    });
    t.start(TimerId::Stage_Init, 100);
    t.start(TimerId::Game, 100);
    t.start(TimerId::Chance, 95);
    t.advance_to(100, h);
    EXPECT_EQ(log.steps, (std::vector<std::string>{"95 Timer_Chance", "100 Timer_Bonus_Phase_1",
                                                   "100 Timer_Game", "100 Timer_Stage_Init"}));
}

TEST(Timers, StopInsideAHandlerEndsOtherTimersAtOnce) {
    TimerSet t;
    Log log;
    auto h = log.handler(t, [&](TimerId id) {
        if (id == TimerId::Game)
            for (int i = 0; i < kTimerCount; ++i) t.disable(TimerId(i));
    });
    t.start(TimerId::Game, 50);
    t.start(TimerId::Score_Blink, 50); // same millisecond, declared later: never runs
    t.advance_to(1000, h);
    EXPECT_EQ(log.steps, (std::vector<std::string>{"50 Timer_Game"}));
}

TEST(Timers, StallFiresEachOverdueTimerOnceAndRestartsItsPeriod) {
    TimerSet t;
    Log log;
    t.start(TimerId::Clock, 1000);
    t.start(TimerId::Game, 300);
    // A small lateness is caught up exactly: every step at its own device time.
    for (std::int64_t real : {320, 620, 920, 1020})
        EXPECT_FALSE(t.catch_up_to(real, 250, log.handler(t))) << "exact at " << real;
    EXPECT_EQ(log.steps, (std::vector<std::string>{"300 Timer_Game", "600 Timer_Game",
                                                   "900 Timer_Game", "1000 Timer_Clock"}));
    log.steps.clear();
    // The thread was blocked for five seconds: no burst through the backlog.
    EXPECT_TRUE(t.catch_up_to(6020, 250, log.handler(t))) << "told, for a recording";
    EXPECT_EQ(log.steps, (std::vector<std::string>{"6020 Timer_Clock", "6020 Timer_Game"}));
    EXPECT_EQ(*t.due(TimerId::Game), 6320);
    EXPECT_EQ(*t.due(TimerId::Clock), 7020);
}
