#include "libretro/handheld.h"

#include "display/skin_loader.h"
#include "host/setting_names.h"
#include "shell/core/device_state.h"
#include "shell/core/form_create.h"

#include <bit>

namespace q50 {

namespace {

// Tells the LCD look when each segment switched, in device time, so that a fading segment is
// as far along in every frame as the trace tool's snapshot at the same time shows it.
class FadeClock : public BoardObserver {
  public:
    FadeClock(LcdLook& look, const Device& d) : look_(look), d_(d) {}
    void shown_changed(const Segment& s) override { look_.switched(d_.board, s, d_.now()); }

  private:
    LcdLook& look_;
    const Device& d_;
};

void put_u32(std::uint8_t* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = std::uint8_t(v >> (8 * i));
}
std::uint32_t get_u32(const std::uint8_t* at) {
    return std::uint32_t(at[0]) | std::uint32_t(at[1]) << 8 | std::uint32_t(at[2]) << 16 |
           std::uint32_t(at[3]) << 24;
}

} // namespace

Handheld::Handheld(MessageSink& messages, SaveRam& save_ram)
    : messages_(messages), save_ram_(save_ram) {
    sink_ = std::make_unique<MixerSink>(mixer_, [this] { return dev_->now(); });
    dev_ = std::make_unique<Device>(Services{*sink_, store_, random_, clock_});
    device_target_ = std::make_unique<DeviceTarget>(*dev_, &presentation_);
    target_ = std::make_unique<Target>(*device_target_);
    presenter_ = std::make_unique<Presenter>(dev_->board, window_);
    // A frame is on the screen as soon as it is handed over: the sets a scale needs are read
    // when it first needs them.
    presenter_->first_frame_shown();
    fade_clock_ = std::make_unique<FadeClock>(presenter_->lcd_look(), *dev_);
    store_.on_write = [this](const std::string& name, const std::string& text) {
        store_written(name, text);
    };
    fresh_dispatches();
}

Handheld::~Handheld() {
    dev_->board.set_observer(nullptr);
}

bool Handheld::load(const HandheldSetup& setup) {
    random_.seed(setup.seed);
    clock_.set_ms_of_day(setup.ms_of_day);

    Device& d = *dev_;
    form_create_before_skin(d, presentation_);
    // A window of its own: the device alone, never a screen-filling fullscreen scene.
    presentation_.Fullscreen_Mode = false;
    SkinEnvironment env;
    env.executable_dir = env.current_dir = setup.skin_dir;
    env.Fullscreen_Mode = false;
    env.budget = &budget_;
    if (Load_Skin(d.board, window_, env, messages_).terminate_requested) return false;
    bool pictured = false;
    for (const Segment& s : d.board.segments()) pictured = pictured || s.picture != nullptr;
    if (!pictured) {
        messages_.error("The skin in " + setup.skin_dir.string() + " names no picture to show.");
        return false;
    }
    own_pictures_ = own_pictures(d.board);
    mixer_.load_folder(setup.sound_dir, messages_);
    sets_.offer(env, d.board, &messages_);
    pads_.load(store_);
    presenter_->lcd_look().update(d.board, d.now());
    return true;
}

void Handheld::switch_on() {
    // The save RAM's scores are the stored ones, read by the window's creation.
    for (int game = 0; game < 2; ++game) {
        const std::uint32_t v = get_u32(save_ram_.data() + 4 * game);
        if (v > 0 && v <= 0x7fffffffu)
            store_.preset(game == 0 ? setting::HiScore1 : setting::HiScore2, std::to_string(v));
    }
    form_create_after_skin(*dev_, presentation_, keys_);
    dev_->power_on();
    on_ = true;
}

void Handheld::store_written(const std::string& name, const std::string& text) {
    const int game = name == setting::HiScore1 ? 0 : name == setting::HiScore2 ? 1 : -1;
    if (game < 0) return;
    const auto v = parse_stored_int(text);
    put_u32(save_ram_.data() + 4 * game, v && *v > 0 ? std::uint32_t(*v) : 0);
}

void Handheld::fresh_dispatches() {
    pad_dispatch_ = std::make_unique<PadDispatch>(*target_, pads_);
    for (auto& p : pointer_dispatch_) p = std::make_unique<InputDispatch>(*target_, keys_);
}

void Handheld::run_frame(const FrameInput& input) {
    if (!on_) switch_on();
    Device& d = *dev_;
    d.advance_to(frame_time(frame_));
    apply_input(input);
    d.advance_to(frame_time(frame_ + 1));
    const std::int64_t end = SoftwareMixer::frame_at(d.now());
    sound_.resize(std::size_t(std::max<std::int64_t>(0, end - mixer_.position())) * 2);
    mixer_.render(sound_.data(), sound_.size() / 2);
    ++frame_;
}

void Handheld::apply_input(const FrameInput& input) {
    for (int port = 0; port < FrameInput::kPorts; ++port) {
        const std::uint32_t was = pads_held_[std::size_t(port)];
        const std::uint32_t now = input.pads[std::size_t(port)];
        // Releases first: a button moved from one hand to the other within a frame is let go
        // before the other is pressed.
        for (int b = 0; b < kPadButtonCount; ++b)
            if ((was >> b & 1) && !(now >> b & 1)) pad_dispatch_->button_up(port, PadButton(b));
        for (int b = 0; b < kPadButtonCount; ++b)
            if (!(was >> b & 1) && (now >> b & 1)) pad_dispatch_->button_down(port, PadButton(b));
        pads_held_[std::size_t(port)] = now & ((1u << kPadButtonCount) - 1);
    }
    for (int i = 0; i < FrameInput::kPointers; ++i) {
        auto& held = pointer_held_[std::size_t(i)];
        const auto& point = input.pointers[std::size_t(i)];
        InputDispatch& dispatch = *pointer_dispatch_[std::size_t(i)];
        if (held && !point) {
            dispatch.mouse_up(MouseButton::Left, *held);
            held.reset();
        } else if (held && point) {
            const Rect r = dev_->board.get(*held).rect;
            dispatch.mouse_move(true, point->x - r.left, point->y - r.top);
        } else if (point) {
            press_pointer(i, *point);
        }
    }
}

void Handheld::press_pointer(int i, FrameInput::Point p) {
    const Segment* s = control_at(dev_->board, p.x, p.y);
    if (!s) return;
    const SegmentId id = dev_->board.id_of(*s);
    pointer_dispatch_[std::size_t(i)]->mouse_down(id, MouseButton::Left, p.x - s->rect.left,
                                                  p.y - s->rect.top);
    pointer_held_[std::size_t(i)] = id;
    pointer_at_[std::size_t(i)] = p;
}

void Handheld::set_lcd_look(int shadow, int response) {
    LcdLook& look = presenter_->lcd_look();
    look.set_shadow(shadow);
    look.set_fade(response);
    look.update(dev_->board, dev_->now());
    dev_->board.set_observer(look.fade() > 0 ? fade_clock_.get() : nullptr);
}

PixelSize Handheld::view_size(const ViewChoice& view) const {
    const int k = std::clamp(view.scale, 1, kMaxViewScale);
    // As the presenter lays the view out: the LCD's part of the client, or the whole client.
    const Rect client{0, 0, window_.client_width, window_.client_height};
    Rect area = client;
    if (view.view == View::Lcd)
        if (const Segment* lcd = dev_->board.find(kLcdViewSegment))
            if (const Rect r = intersect(lcd->rect, client); !is_empty(r)) area = r;
    return {area.width * k, area.height * k};
}

void Handheld::show(const ViewChoice& view) {
    const int k = std::clamp(view.scale, 1, kMaxViewScale);
    if (presenter_->view() == view.view && presenter_->scale() == k) return;
    presenter_->set_view(view.view);
    if (presenter_->scale() != k) {
        // A video frame keeps the skin's pixels whole: a larger drawing is used at its own
        // scale only, never enlarged to the next whole scale between two sets.
        presenter_->set_skin_sets(sets_.wanted(k) == k ? &sets_ : nullptr);
        presenter_->set_scale(k, 1.0);
    }
    present();
}

void Handheld::present() {
    const Presenter::Update u = presenter_->present(dev_->now());
    view_painter_.update(presenter_->frame(), u.changed, u.laid_out);
    if (u.laid_out || !u.changed.empty()) ++picture_version_;
}

FrameInput::Point Handheld::design_point(const ViewChoice& view, int x, int y) {
    show(view);
    const DesignPoint p = presenter_->to_design(x, y);
    return {p.x, p.y};
}

const PixelFrame& Handheld::picture(const ViewChoice& view) {
    show(view);
    present();
    return view_painter_.frame();
}

namespace {
// The front end's part of a state: the frame count, whether the device is on, what is held
// down, then the LCD look's fades (u32 count, then each: u8 flag followed, u64 the bits of the
// lit fraction it began at, i64 when it began).
constexpr std::size_t kHeldBytes = 8 + 1 + 4 * FrameInput::kPorts + 9 * FrameInput::kPointers;
constexpr std::size_t kFadeBytes = 1 + 8 + 8;

void put_u64(std::uint8_t* at, std::uint64_t v) {
    put_u32(at, std::uint32_t(v));
    put_u32(at + 4, std::uint32_t(v >> 32));
}
std::uint64_t get_u64(const std::uint8_t* at) {
    return std::uint64_t(get_u32(at)) | std::uint64_t(get_u32(at + 4)) << 32;
}
} // namespace

std::vector<std::uint8_t> Handheld::save_state() const {
    const auto fades = presenter_->lcd_look().fades();
    std::vector<std::uint8_t> front(kHeldBytes + 4 + kFadeBytes * fades.size());
    std::uint8_t* at = front.data();
    put_u32(at, std::uint32_t(frame_));
    put_u32(at + 4, std::uint32_t(std::uint64_t(frame_) >> 32));
    at[8] = on_ ? 1 : 0;
    at += 9;
    for (std::uint32_t bits : pads_held_) {
        put_u32(at, bits);
        at += 4;
    }
    for (std::size_t i = 0; i < pointer_held_.size(); ++i) {
        at[0] = pointer_held_[i] ? 1 : 0;
        put_u32(at + 1, std::uint32_t(pointer_at_[i].x));
        put_u32(at + 5, std::uint32_t(pointer_at_[i].y));
        at += 9;
    }
    put_u32(at, std::uint32_t(fades.size()));
    at += 4;
    for (const LcdLook::Fade& f : fades) {
        at[0] = f.target ? 1 : 0;
        put_u64(at + 1, std::bit_cast<std::uint64_t>(f.from));
        put_u64(at + 9, std::uint64_t(f.start));
        at += kFadeBytes;
    }
    // The parts' references are to members this call does not change.
    auto& self = const_cast<Handheld&>(*this);
    DeviceParts parts{*self.dev_, self.random_, self.clock_, self.mixer_, own_pictures_};
    return save_device_state(parts, front);
}

bool Handheld::load_state(std::span<const std::uint8_t> bytes, std::string& why) {
    DeviceParts parts{*dev_, random_, clock_, mixer_, own_pictures_};
    std::vector<std::uint8_t> front;
    const std::size_t segments = dev_->board.segments().size();
    const auto fits = [segments](std::span<const std::uint8_t> f, std::int64_t now) {
        if (f.size() != kHeldBytes + 4 + kFadeBytes * segments || f[8] > 1) return false;
        if (get_u32(f.data() + kHeldBytes) != segments) return false;
        for (std::size_t i = 0; i < segments; ++i) {
            const std::uint8_t* fade = f.data() + kHeldBytes + 4 + kFadeBytes * i;
            const double from = std::bit_cast<double>(get_u64(fade + 1));
            const auto start = std::int64_t(get_u64(fade + 9));
            if (fade[0] > 1 || !(from >= 0 && from <= 1) || start < 0 || start > now) return false;
        }
        // The frame count and the device time go together: a count from elsewhere would
        // send the device years ahead at the next frame.
        const std::uint64_t frames =
            std::uint64_t(get_u32(f.data())) | std::uint64_t(get_u32(f.data() + 4)) << 32;
        if (frames > std::uint64_t(1) << 40 || frame_time(std::int64_t(frames)) != now)
            return false;
        for (int i = 0; i < FrameInput::kPointers; ++i)
            if (f[8 + 1 + 4 * FrameInput::kPorts + 9 * std::size_t(i)] > 1) return false;
        return true;
    };
    if (!load_device_state(bytes, parts, front, why, fits)) return false;
    const std::uint8_t* at = front.data();
    frame_ = std::int64_t(std::uint64_t(get_u32(at)) | std::uint64_t(get_u32(at + 4)) << 32);
    on_ = at[8] == 1;
    at += 9;
    for (auto& bits : pads_held_) {
        bits = get_u32(at) & ((1u << kPadButtonCount) - 1);
        at += 4;
    }
    // The dispatches start afresh and are told, silently, what the state holds down, so
    // that each release acts as it would have in the run the state came from.
    fresh_dispatches();
    target_->muted = true;
    for (int port = 0; port < FrameInput::kPorts; ++port)
        for (int b = 0; b < kPadButtonCount; ++b)
            if (pads_held_[std::size_t(port)] >> b & 1)
                pad_dispatch_->button_down(port, PadButton(b));
    for (int i = 0; i < FrameInput::kPointers; ++i) {
        const bool held = at[0] == 1;
        const FrameInput::Point p{std::int32_t(get_u32(at + 1)), std::int32_t(get_u32(at + 5))};
        at += 9;
        pointer_held_[std::size_t(i)].reset();
        if (held) press_pointer(i, p);
    }
    std::vector<LcdLook::Fade> fades(get_u32(at));
    at += 4;
    for (LcdLook::Fade& f : fades) {
        f.target = at[0] == 1;
        f.from = std::bit_cast<double>(get_u64(at + 1));
        f.start = std::int64_t(get_u64(at + 9));
        at += kFadeBytes;
    }
    target_->muted = false;
    // A state from a run whose games went higher than the save RAM knows raises it: the
    // high scores the device shows are then also the ones kept (the device is left as saved).
    store_.raise_int(setting::HiScore1, dev_->Hi_Score_A);
    store_.raise_int(setting::HiScore2, dev_->Hi_Score_B);
    // The presenter needs no fresh start: every segment the state changed went through the
    // board, so the next picture repaints just those (rewind and run-ahead load a state every
    // frame). The look takes up its fades where the state left them.
    presenter_->lcd_look().restore_fades(dev_->board, fades, dev_->now());
    // Whatever the picture was, the next one is handed over whole.
    ++picture_version_;
    return true;
}

} // namespace q50
