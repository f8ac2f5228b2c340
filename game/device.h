#pragma once
// The handheld itself: the segment board, the game variables, the sixteen timers and every
// rule of the game, in virtual time. No toolkit, no wall clock: whoever drives the device
// says what time it is (advance_to) and asks when it next needs to run (next_due).
//
// The names follow the device's own vocabulary (Game_State, Gam_Set_Mode, Timer_GameTimer,
// ...) so that a rule can be found by the name it has in the game's description. Each rule
// lives in the file named after it: modes.cpp, introduction.cpp, stage_start.cpp,
// main_tick.cpp, hero_moves.cpp, collisions.cpp, speed.cpp, miss.cpp, game_over.cpp,
// bonus.cpp, chance.cpp, score_blink.cpp, clock.cpp.
#include "board/board.h"
#include "game/timers.h"
#include "host/button.h"
#include "host/services.h"
#include "host/settings_store.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace q50 {

// The game variables, then the step counters of the timed sequences, each declared once here:
// the device's members and the list that the trace tool dumps and sets (in this order) both
// come from it. INTEGER(name) is a 32-bit integer, FLAG(name) a Boolean. The two arrays,
// Enemy_Flame and Speed_Table, are declared on their own.
#define Q50_DEVICE_VARIABLES(INTEGER, FLAG)                                                        \
    INTEGER(Game_State)                                                                            \
    INTEGER(Score)                                                                                 \
    INTEGER(Score_Step)                                                                            \
    INTEGER(Next_Chance_Score)                                                                     \
    INTEGER(Hi_Score_A)                                                                            \
    INTEGER(Hi_Score_B)                                                                            \
    INTEGER(Pelko_Pos)                                                                             \
    INTEGER(Pelko_Hold)                                                                            \
    INTEGER(Misses)                                                                                \
    INTEGER(Bombs_Delivered)                                                                       \
    INTEGER(Chance_Resume)                                                                         \
    INTEGER(Partner_Period)                                                                        \
    INTEGER(Partner_Count)                                                                         \
    INTEGER(Tick_Phase)                                                                            \
    INTEGER(Stage_Ticks)                                                                           \
    FLAG(Play_Active)                                                                              \
    FLAG(Move_Lock)                                                                                \
    FLAG(Double_Points)                                                                            \
    INTEGER(Game_Start_Phase)                                                                      \
    INTEGER(Game_Start_Enemy_Phase)                                                                \
    INTEGER(Stage_Init_Phase)                                                                      \
    INTEGER(Miss_Phase_1_Step)                                                                     \
    INTEGER(Miss_Phase_2_Step)                                                                     \
    INTEGER(Miss_Phase_3_Step)                                                                     \
    INTEGER(Game_Over_Step)                                                                        \
    INTEGER(Game_Over_Ticks)                                                                       \
    INTEGER(Bonus_Phase_1_Step)                                                                    \
    INTEGER(Bonus_Phase_2_Step)                                                                    \
    INTEGER(Bonus_Phase_3_Step)                                                                    \
    INTEGER(Bonus_Phase_4_Step)                                                                    \
    INTEGER(Chance_Step)                                                                           \
    INTEGER(Score_Blink_Step)

struct Services {
    SoundSink& sound;
    SettingsStore& store;
    RandomSource& random;
    LocalClock& clock;
};

// A game variable or step counter by its name, for the trace tool and the tests.
struct VariableRef {
    std::string_view name;
    std::int32_t* integer = nullptr; // exactly one of these is set
    bool* flag = nullptr;
};

// The same variables' names and kinds, known without a device (what a trace script may set).
struct VariableName {
    std::string_view name;
    bool flag = false;
};
inline constexpr VariableName kDeviceVariableNames[] = {
#define Q50_INTEGER(name) {#name, false},
#define Q50_FLAG(name) {#name, true},
    Q50_DEVICE_VARIABLES(Q50_INTEGER, Q50_FLAG)
#undef Q50_INTEGER
#undef Q50_FLAG
};

class Device {
  public:
    explicit Device(Services services);
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // --- time -----------------------------------------------------------------------------
    std::int64_t now() const { return timers.now(); }
    std::optional<std::int64_t> next_due() const { return timers.next_due(); }
    // Runs every timer step due at or before t (exact device time).
    void advance_to(std::int64_t t);
    // Real-time driving: steps overdue by more than kStallMs fire once at t and restart their
    // period from t; shorter lateness is caught up exactly, so nothing drifts. True when a step
    // fired late that way (shell/core/catch_up.h records it for a replay).
    static constexpr std::int64_t kStallMs = 250;
    bool catch_up_to(std::int64_t t);

    // --- the board and the timers ------------------------------------------------------------
    Board board;
    TimerSet timers;

    // --- game variables and step counters (all zero at program start) ---------------------------
#define Q50_INTEGER(name) std::int32_t name = 0;
#define Q50_FLAG(name) bool name = false;
    Q50_DEVICE_VARIABLES(Q50_INTEGER, Q50_FLAG)
#undef Q50_INTEGER
#undef Q50_FLAG
    std::array<std::int32_t, 6> Enemy_Flame{}; // index 1..5; slot 0 unused
    std::array<std::int32_t, 20> Speed_Table{};

    // Every variable of Q50_DEVICE_VARIABLES by name, in its order.
    std::vector<VariableRef> variables();

    // Told each time Gam_Set_Mode runs, with the value of Game_State.
    std::function<void(std::int32_t)> on_set_mode;
    // Told before each timer step runs; now() is the step's device time (for measuring how
    // late a real-time driver handles it).
    std::function<void(TimerId)> on_step;

    // --- device-button actions ------------------------------------------------------------------
    // A button pressed or released: the action of that edge below (the open button has no
    // release; releasing it does nothing).
    void press(Button b);
    void release(Button b);
    void Inp_open_down();
    void Inp_game_a_down();
    void Inp_game_a_up();
    void Inp_game_b_down();
    void Inp_game_b_up();
    void Inp_time_down();
    void Inp_time_up();
    void Inp_acl_down();
    void Inp_acl_up();
    void Inp_left_down();
    void Inp_left_up();
    void Inp_right_down();
    void Inp_right_up();
    void Inp_bomb_down();
    void Inp_bomb_up();

    // --- mode control and speed ------------------------------------------------------------------
    void Gam_Set_Mode();
    // Play pressed on the splash window (or its stand-in): mode 0, the closed device.
    void power_on() {
        Game_State = 0;
        Gam_Set_Mode();
    }
    void Gam_Stop_All_Timers();
    void Gam_Set_Difficulty();
    void Fill_Speed_Table();

    // --- collision tests ----------------------------------------------------------------------
    bool Gam_Check_Collision_Bomb_Up() const;
    bool Gam_Check_Collision_Bomb_Down() const;
    bool Gam_Check_Collision_Bomb_Partner() const;

    // --- sequences that interrupt play
    // ------------------------------------------------------------
    void Gam_Execute_Miss_Phase_1();
    void Gam_Reprise_After_Miss();
    // The high score after this game (`shown` before it), as the store keeps it.
    std::int32_t keep_high_score(std::string_view name, std::string_view game, std::int32_t shown);
    void Gam_Execute_Bonus();
    void Gam_Check_Chance_Time();

    // --- timer handlers
    // ----------------------------------------------------------------------------
    void Timer_Bonus_Phase_1Timer();
    void Timer_Bonus_Phase_2Timer();
    void Timer_Bonus_Phase_3Timer();
    void Timer_Bonus_Phase_4Timer();
    void Timer_ChanceTimer();
    void Timer_ClockTimer();
    void Timer_GameTimer();
    void Timer_Game_OverTimer();
    void Timer_Game_StartTimer();
    void Timer_Game_Start_EnemyTimer();
    void Timer_Pelko_MoveTimer();
    void Timer_Miss_Phase_1Timer();
    void Timer_Miss_Phase_2Timer();
    void Timer_Miss_Phase_3Timer();
    void Timer_Score_BlinkTimer();
    void Timer_Stage_InitTimer();

    SoundSink& sound() {
        return services_.sound;
    }
    SettingsStore& store() {
        return services_.store;
    }
    RandomSource& random() {
        return services_.random;
    }
    LocalClock& clock() {
        return services_.clock;
    }

  private:
    void fire(TimerId id);

    Services services_;
};

} // namespace q50
