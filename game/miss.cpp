// A flame has met the bomb: the hit flame blinks, the hero walks the burning bomb back to the
// fort, the fort explodes, and the miss is counted.
#include "board/render_ops.h"
#include "game/device.h"
#include "game/fort.h"
#include "host/setting_names.h"

#include <algorithm>
#include <string>

namespace q50 {

namespace {

// The flame that caught the bomb: the floor flame under a low bomb, the tip of the enemy's
// flame above a high one.
Segment& hit_segment(Device& d) {
    if (d.Pelko_Hold == 2) return d.board.Seg_Flame[d.Pelko_Pos];
    return d.board.Seg_Enemy(d.Pelko_Pos, 6);
}

Segment& flame_tip(Device& d, int enemy) {
    return d.board.Seg_Enemy(enemy, 6);
}

// The hero carries the burning bomb one place towards the fort; once there, the bomb starts
// to explode and the enemies duck.
void walk_back(Device& d) {
    Board& b = d.board;
    if (d.Pelko_Pos >= 2 && d.Pelko_Pos <= 5) {
        Vid_Show_Pelko(b, d.Pelko_Pos, d.Pelko_Hold, false);
        b.hide(flame_tip(d, d.Pelko_Pos));
        d.Pelko_Pos -= 1;
        d.Pelko_Hold = 3;
        Vid_Show_Pelko(b, d.Pelko_Pos, d.Pelko_Hold, true);
        b.show(flame_tip(d, d.Pelko_Pos));
    } else if (d.Pelko_Pos == 1) {
        b.hide(flame_tip(d, 1));
        Vid_Show_Pelko(b, 1, d.Pelko_Hold, false);
        d.Pelko_Pos = 0;
        show_hero_at_fort(b);
    } else if (d.Pelko_Pos == 0) {
        b.show("im_pelko_0_boom_1");
        Vid_Show_All_Enemy_Up(b, false);
        Vid_Show_All_Enemy_Down(b, true);
    }
}

} // namespace

void Device::Gam_Execute_Miss_Phase_1() {
    Gam_Stop_All_Timers();
    sound().silence();
    // The chance-time blink may have left the score blank.
    Vid_Show_Panel_Score(board, Score, true);
    Play_Active = false;
    Miss_Phase_1_Step = 1;
    timers.start(TimerId::Miss_Phase_1, 1);
}

void Device::Timer_Miss_Phase_1Timer() {
    if (Miss_Phase_1_Step == 1) timers.set_interval(TimerId::Miss_Phase_1, 330);
    switch (Miss_Phase_1_Step) {
    case 1:
    case 3:
    case 5:
        board.hide(hit_segment(*this));
        sound().play(Sample::Miss1);
        break;
    case 2:
    case 4:
        board.show(hit_segment(*this));
        break;
    case 6:
        if (Pelko_Pos >= 2) {
            // The enemy's flame goes on burning on the bomb; a floor flame is used up.
            if (Pelko_Hold == 3) board.show(hit_segment(*this));
            Miss_Phase_2_Step = 1;
            timers.start(TimerId::Miss_Phase_2, 300);
        } else {
            Vid_Show_Pelko(board, Pelko_Pos, Pelko_Hold, false);
            show_hero_at_fort(board);
            Miss_Phase_3_Step = 1;
            timers.start(TimerId::Miss_Phase_3, 250);
        }
        timers.disable(TimerId::Miss_Phase_1);
        break;
    default:
        break;
    }
    ++Miss_Phase_1_Step;
}

void Device::Timer_Miss_Phase_2Timer() {
    walk_back(*this);
    switch (Miss_Phase_2_Step) {
    case 1:
        Vid_Show_All_Enemy_Flame(board, false);
        board.show(flame_tip(*this, Pelko_Pos));
        sound().play(Sample::Miss2);
        break;
    case 6:
        Miss_Phase_3_Step = 1;
        timers.start(TimerId::Miss_Phase_3, 250);
        timers.disable(TimerId::Miss_Phase_2);
        break;
    default:
        break;
    }
    ++Miss_Phase_2_Step;
}

void Device::Timer_Miss_Phase_3Timer() {
    switch (Miss_Phase_3_Step) {
    case 1:
        board.show("im_pelko_0_boom_1");
        Vid_Show_All_Enemy_Up(board, false);
        Vid_Show_All_Enemy_Flame(board, false);
        Vid_Show_All_Enemy_Down(board, true);
        break;
    case 2:
        board.hide("im_pelko_0_head");
        board.hide("im_pelko_0_up");
        board.show("im_pelko_0_boom_2");
        sound().play(Sample::Miss3);
        timers.set_interval(TimerId::Miss_Phase_3, 560);
        break;
    case 3:
        board.hide("im_partner_left_1");
        board.hide("im_partner_left_2");
        board.hide("im_partner_left_fort");
        board.show("im_partner_left_boom");
        timers.set_interval(TimerId::Miss_Phase_3, 1000);
        break;
    case 4:
        Gam_Reprise_After_Miss();
        timers.disable(TimerId::Miss_Phase_3);
        break;
    default:
        break;
    }
    ++Miss_Phase_3_Step;
}

std::int32_t Device::keep_high_score(std::string_view name, std::string_view game,
                                     std::int32_t shown) {
    if (Score <= shown) {
        // Not beaten here: the store is only looked at, and written only when another copy
        // changed it since (a lower value, or the scores reset, gives way to this score).
        const std::optional<std::string> text = store().read_text(name);
        const std::optional<std::int32_t> stored = text ? parse_stored_int(*text) : std::nullopt;
        if (!stored || *stored == shown) return shown;
    }
    bool kept = false;
    const std::int32_t best = store().raise_int(name, Score, &kept);
    if (kept) return best;
    // The store could not be read or written (it has said why): the panel shows the better of
    // the two for this run, and says it is not saved.
    if (Score > shown)
        write_notice("the " + std::string(game) + " high score " + std::to_string(Score) +
                     " is shown but not saved");
    return std::max(shown, Score);
}

void Device::Gam_Reprise_After_Miss() {
    Misses += 1;
    Vid_Show_Panel_Miss(board, Misses);
    if (Misses < 3) {
        hide_fort_group(board);
        Vid_Show_All_Enemy_Down(board, false);
        Score_Step = 1;
        Double_Points = false;
        Stage_Init_Phase = 1;
        timers.start(TimerId::Stage_Init, 1000);
        return;
    }
    if (Score >= 1000) Score %= 1000;
    // Another running copy may have stored a better score since this one read it, or reset
    // the scores: the store keeps the higher, and the panel shows what it keeps.
    if (Game_State == 6) {
        Hi_Score_A = keep_high_score(setting::HiScore1, "Game A", Hi_Score_A);
    } else if (Game_State == 8) {
        Hi_Score_B = keep_high_score(setting::HiScore2, "Game B", Hi_Score_B);
    }
    Game_Over_Step = 1;
    timers.start(TimerId::Game_Over, 1);
}

} // namespace q50
