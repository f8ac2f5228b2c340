#pragma once
// A device with recording and scripted services, for tests that drive it in virtual time.
#include "board/render_ops.h"
#include "shell/core/rig.h"

#include <algorithm>
#include <string>
#include <vector>

namespace q50::testing {

struct DeviceHarness : Rig {
    DeviceHarness() : Rig(12345) {}

    // A misspelt name stops the test program rather than pass for a dark segment.
    bool lit(const std::string& name) const { return dev.board.named(name).shown; }

    // Names of the samples played (and "silence") in order, from index `from` on.
    std::vector<std::string> sounds(std::size_t from = 0) const {
        std::vector<std::string> out;
        for (std::size_t i = from; i < sound.calls.size(); ++i) out.push_back(sound.calls[i].what);
        return out;
    }
    // Device time of the first call of `what` at or after index `from`, or -1.
    std::int64_t sound_time(const std::string& what, std::size_t from = 0) const {
        for (std::size_t i = from; i < sound.calls.size(); ++i)
            if (sound.calls[i].what == what) return sound.calls[i].time;
        return -1;
    }

    // The glyph a digit position shows: 0..9, or -1 when it is blank.
    int digit(int k) const {
        const Segment& s = dev.board.Seg_Digit[k];
        if (!s.picture && !s.picture_source) return -1;
        const std::string_view prefix = "im_panel_number_";
        const std::string_view source = s.source_name();
        if (source.substr(0, prefix.size()) != prefix) return -1;
        return std::stoi(std::string(source.substr(prefix.size())));
    }
    // A game in play as a stage start leaves it, without the introduction: mode 6 or 8, the
    // hero at `pos` holding `hold`, both partners at rest, the enemies up, no flame lit but the
    // floor flame source.
    void set_up_play(int pos, int hold, int game_state = 6) {
        Board& b = dev.board;
        dev.Game_State = game_state;
        dev.Score_Step = 1;
        dev.Next_Chance_Score = 300;
        dev.Partner_Period = 3;
        dev.Partner_Count = 1;
        dev.Tick_Phase = 1;
        dev.Stage_Ticks = 1;
        b.show({"im_game_background", "im_partner_left_fort", "im_partner_left_1",
                "im_partner_right_1", "im_partner_right_3", "im_flame_9", "im_flame_10"});
        b.show(b.named(game_state == 8 ? "im_panel_game_b" : "im_panel_game_a"));
        Vid_Show_All_Enemy_Up(b, true);
        Vid_Show_Panel_Score(b, dev.Score, true);
        Vid_Show_Panel_Miss(b, dev.Misses);
        dev.Pelko_Pos = pos;
        dev.Pelko_Hold = hold;
        Vid_Show_Pelko(b, pos, hold, true);
        dev.Play_Active = true;
    }

    void run_for(std::int64_t ms) { dev.advance_to(dev.now() + ms); }

    // How often `what` was played (or "silence" called) from index `from` on.
    int sound_count(const std::string& what, std::size_t from = 0) const {
        int n = 0;
        for (std::size_t i = from; i < sound.calls.size(); ++i) n += sound.calls[i].what == what;
        return n;
    }

    // Shown flags of every segment, in declaration order.
    std::vector<bool> shown_flags() const {
        std::vector<bool> out;
        for (const Segment& s : dev.board.segments()) out.push_back(s.shown);
        return out;
    }
    // Names of the segments whose shown flag differs from `before`.
    std::vector<std::string> changed_since(const std::vector<bool>& before) const {
        std::vector<std::string> out;
        const auto& segs = dev.board.segments();
        for (std::size_t i = 0; i < segs.size(); ++i)
            if (segs[i].shown != before[i]) out.push_back(segs[i].name);
        return out;
    }

    std::string panel() const {
        std::string out;
        for (int k = 1; k <= 4; ++k) out += digit(k) < 0 ? '_' : char('0' + digit(k));
        return out;
    }
};

} // namespace q50::testing
