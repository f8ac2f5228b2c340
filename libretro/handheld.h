#pragma once
// The device as a front end that runs frame by frame sees it: 60 frames a second, the input of
// frame n acting at device time floor(n * 1000 / 60) ms and the frame showing the device at
// floor((n + 1) * 1000 / 60), with the sound of exactly that stretch mixed in software.
// Everything here comes from the toolkit-free floors; the RetroArch entry points (retro_api.cpp)
// only translate.
#include "display/presenter.h"
#include "display/skin_sets.h"
#include "game/device.h"
#include "game/device_services.h"
#include "input/dispatch.h"
#include "input/pad.h"
#include "libretro/frame_view.h"
#include "shell/core/device_target.h"
#include "shell/core/memory_store.h"
#include "shell/core/presentation.h"
#include "sound/mixer/software_mixer.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace q50 {

inline constexpr int kFramesPerSecond = 60;
// Device time of frame n's input.
constexpr std::int64_t frame_time(std::int64_t n) {
    return n * 1000 / kFramesPerSecond;
}

// What a front end holds down during one frame.
struct FrameInput {
    static constexpr int kPorts = 2;
    static constexpr int kPointers = 4;
    // Per port, bit b set while PadButton(b) is held.
    std::array<std::uint32_t, kPorts> pads{};
    // Pointers pressed, at design pixels of the board (none: not pressed).
    struct Point {
        int x = 0, y = 0;
    };
    std::array<std::optional<Point>, kPointers> pointers{};
};

// The two high scores as the save RAM holds them: Game A's at bytes 0..3, Game B's at 4..7,
// each an unsigned 32-bit little-endian number (0: none yet).
inline constexpr std::size_t kSaveRamBytes = 8;

struct HandheldSetup {
    std::filesystem::path skin_dir;  // holds Config.ini; pictures are resolved from it
    std::filesystem::path sound_dir; // holds Sound/*.wav
    std::uint32_t seed = 1;
    std::int64_t ms_of_day = 12 * 3600 * 1000; // the time of day at the load
};

class Handheld {
  public:
    using SaveRam = std::array<std::uint8_t, kSaveRamBytes>;
    // `save_ram` is the front end's, kept at one address for as long as the front end runs
    // (a reset makes a new handheld over the same bytes).
    Handheld(MessageSink& messages, SaveRam& save_ram);
    ~Handheld();
    Handheld(const Handheld&) = delete;
    Handheld& operator=(const Handheld&) = delete;

    // Loads the skin and the sounds. False (and the message sent) when the skin cannot be
    // shown. The device is switched on by the first frame, after the save RAM is in.
    bool load(const HandheldSetup& setup);

    // Runs frame n (counted from 0): its input at frame_time(n), the device on to
    // frame_time(n + 1), and the sound of that stretch.
    void run_frame(const FrameInput& input);
    std::int64_t frame_count() const { return frame_; }

    // The frame in XRGB8888 for a view at a scale (1..4).
    const PixelFrame& picture(const ViewChoice& view);
    // Counts the frames whose pixels differ from the one before: the same count, the same
    // picture (a front end may be told so rather than handed it again).
    std::uint64_t picture_version() const { return picture_version_; }
    // The view's size in pixels, at scale 1 and at the largest scale.
    PixelSize view_size(const ViewChoice& view) const;
    // A point of the view (its pixels at the view's scale) as a design pixel of the board.
    FrameInput::Point design_point(const ViewChoice& view, int x, int y);

    // The stereo frames of the last run_frame, interleaved.
    std::span<const std::int16_t> sound() const { return sound_; }
    void set_volume(int percent) { mixer_.set_volume(percent); }
    // The unlit-segment shadow (percent) and the segments' response (ms) of the picture.
    void set_lcd_look(int shadow, int response);

    SaveRam& save_ram() { return save_ram_; }

    std::vector<std::uint8_t> save_state() const;
    // False, with the reason, for a state that is damaged, of another version or of another
    // device; nothing changes then.
    bool load_state(std::span<const std::uint8_t> bytes, std::string& why);

    Device& device() { return *dev_; }

  private:
    // Forwards button actions to the device, or drops them while the held buttons of a loaded
    // state are put back into the dispatches.
    struct Target : ButtonTarget {
        explicit Target(DeviceTarget& real) : real_(real) {}
        std::int32_t game_state() const override { return real_.game_state(); }
        bool fullscreen_mode() const override { return false; }
        void perform(ButtonAction a) override {
            if (!muted) real_.perform(a);
        }
        DeviceTarget& real_;
        bool muted = false;
    };
    void switch_on();
    void fresh_dispatches();
    void apply_input(const FrameInput& input);
    void press_pointer(int i, FrameInput::Point p);
    void store_written(const std::string& name, const std::string& text);
    // Has the presenter show the view; a change is laid out and painted at once.
    void show(const ViewChoice& view);
    void present();

    MessageSink& messages_;
    MemoryStore store_;
    SoftwareMixer mixer_;
    DeviceRandom random_;
    SettableClock clock_;
    std::unique_ptr<MixerSink> sink_;
    std::unique_ptr<Device> dev_;
    Presentation presentation_;
    KeyAssignments keys_;
    WindowModel window_;
    PictureBudget budget_;
    SkinSets sets_;
    std::vector<Picture> own_pictures_;
    std::unique_ptr<DeviceTarget> device_target_;
    std::unique_ptr<Target> target_;
    PadAssignments pads_;
    std::unique_ptr<PadDispatch> pad_dispatch_;
    std::array<std::unique_ptr<InputDispatch>, FrameInput::kPointers> pointer_dispatch_;
    std::array<std::optional<SegmentId>, FrameInput::kPointers> pointer_held_;
    std::array<FrameInput::Point, FrameInput::kPointers> pointer_at_{}; // where each was pressed
    std::array<std::uint32_t, FrameInput::kPorts> pads_held_{};
    std::unique_ptr<Presenter> presenter_; // over the device's board and the window
    std::unique_ptr<BoardObserver> fade_clock_;
    ViewPainter view_painter_;
    std::uint64_t picture_version_ = 0;
    std::vector<std::int16_t> sound_;
    SaveRam& save_ram_;
    std::int64_t frame_ = 0;
    bool on_ = false;
};

} // namespace q50
