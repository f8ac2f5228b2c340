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
#include "host/services.h"
#include "host/settings_store.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace q50 {

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
    // period from t; shorter lateness is caught up exactly, so nothing drifts.
    static constexpr std::int64_t kStallMs = 250;
    void catch_up_to(std::int64_t t);

    // --- the board and the timers ------------------------------------------------------------
    Board board;
    TimerSet timers;

    // --- game variables (all zero at program start) ---------------------------------------------
    std::int32_t Game_State = 0;
    std::int32_t Score = 0;
    std::int32_t Score_Step = 0;
    std::int32_t Next_Chance_Score = 0;
    std::int32_t Hi_Score_A = 0;
    std::int32_t Hi_Score_B = 0;
    std::int32_t Pelko_Pos = 0;
    std::int32_t Pelko_Hold = 0;
    std::int32_t Misses = 0;
    std::int32_t Bombs_Delivered = 0;
    std::int32_t Chance_Resume = 0;
    std::int32_t Partner_Period = 0;
    std::int32_t Partner_Count = 0;
    std::int32_t Tick_Phase = 0;
    std::int32_t Stage_Ticks = 0;
    std::array<std::int32_t, 6> Enemy_Flame{}; // index 1..5; slot 0 unused
    std::array<std::int32_t, 20> Speed_Table{};
    bool Play_Active = false;
    bool Move_Lock = false;
    bool Double_Points = false;

    // Step counters of the timed sequences.
    std::int32_t Game_Start_Phase = 0;
    std::int32_t Game_Start_Enemy_Phase = 0;
    std::int32_t Stage_Init_Phase = 0;
    std::int32_t Miss_Phase_1_Step = 0;
    std::int32_t Miss_Phase_2_Step = 0;
    std::int32_t Miss_Phase_3_Step = 0;
    std::int32_t Game_Over_Step = 0;
    std::int32_t Game_Over_Ticks = 0;
    std::int32_t Bonus_Phase_1_Step = 0;
    std::int32_t Bonus_Phase_2_Step = 0;
    std::int32_t Bonus_Phase_3_Step = 0;
    std::int32_t Bonus_Phase_4_Step = 0;
    std::int32_t Chance_Step = 0;
    std::int32_t Score_Blink_Step = 0;

    // Settings held in memory (copies of stored values).
    bool Fullscreen_Mode = false;
    bool Ctrlr_Overlay = false;

    // Every integer and Boolean above by name, in a fixed order (Enemy_Flame and Speed_Table
    // are not in it: they are arrays).
    std::vector<VariableRef> variables();

    // Told each time Gam_Set_Mode runs, with the value of Game_State.
    std::function<void(std::int32_t)> on_set_mode;
    // Told before each timer step runs; now() is the step's device time (for measuring how
    // late a real-time driver handles it).
    std::function<void(TimerId)> on_step;

    // --- device-button actions ------------------------------------------------------------------
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

    SoundSink& sound() { return services_.sound; }
    SettingsStore& store() { return services_.store; }
    RandomSource& random() { return services_.random; }
    LocalClock& clock() { return services_.clock; }

  private:
    void fire(TimerId id);

    Services services_;
};

} // namespace q50
