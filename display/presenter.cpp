#include "display/presenter.h"

#include "display/picture_budget.h"
#include "display/picture_read_ahead.h"
#include "display/skin_sets.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace q50 {

namespace {

constexpr Argb kLetterbox = 0xFF000000u;

const Argb* pixel_at(const Image& image, int x, int y) {
    return image.pixels.data() + std::size_t(y) * std::size_t(image.width) + std::size_t(x);
}

void lay_lcd_rect(const Image& from, Rect r, int from_left, int from_top, Image& to) {
    for (int y = 0; y < r.height; ++y)
        std::memcpy(&to.at(r.left, r.top + y),
                    pixel_at(from, r.left - from_left, r.top + y - from_top),
                    std::size_t(r.width) * sizeof(Argb));
}

Rect offset_rect(Rect r, int dx, int dy) {
    return Rect{r.left + dx, r.top + dy, r.width, r.height};
}

} // namespace

View valid_view(std::int32_t stored) {
    return stored == int(View::Lcd) ? View::Lcd : View::Device;
}

Presenter::Presenter(const Board& board, const WindowModel& window)
    : board_(board), window_(window) {
    painter_.set_lcd_look(&look_);
    set_painter_.set_lcd_look(&look_);
    scene_.set_lcd_look(&look_);
    set_painter_.set_copy_budget(&copies_);
    scene_.set_copy_budget(&copies_);
}

void Presenter::set_scale(double total, double ratio) {
    if (total <= 0 || ratio <= 0 || (total == scale_ && ratio == ratio_)) return;
    scale_ = total;
    ratio_ = ratio;
    applied_once_ = false;
}

void Presenter::set_screen(PixelSize screen) {
    if (screen == screen_) return;
    screen_ = screen;
    // Only a fullscreen output covers the screen.
    if (!window_.key_on) applied_once_ = false;
}

void Presenter::set_view(View view) {
    if (view == view_) return;
    view_ = view;
    applied_once_ = false;
}

void Presenter::set_skin_sets(SkinSets* sets) {
    sets_ = sets;
    set_painter_.reset();
    scene_.reset();
    told_.clear(); // a new skin's refusals are told again
    applied_once_ = false;
}

void Presenter::set_refresh_rate(double hz) {
    if (!(hz > 1)) hz = 60.0;
    frame_interval_ms_ = std::clamp(int(std::lround(1000.0 / hz)), 4, 50);
}

Rect Presenter::whole_client() const {
    return Rect{0, 0, std::clamp(window_.client_width, 0, kMaxClientSide),
                std::clamp(window_.client_height, 0, kMaxClientSide)};
}

Rect Presenter::view_area() const {
    const Rect client = whole_client();
    if (view_ == View::Lcd)
        if (const Segment* lcd = board_.find(kLcdViewSegment)) {
            const Rect r = intersect(lcd->rect, client);
            if (!is_empty(r)) return r;
        }
    return client;
}

PixelSize Presenter::laid_out_size() const {
    const Rect client = whole_client();
    const PixelSize design{client.width, client.height};
    const PixelSize screen{int(std::lround(screen_.width * ratio_)),
                           int(std::lround(screen_.height * ratio_))};
    if (!is_empty(lcd_area_)) {
        const PixelSize lcd = scaled_size({lcd_area_.width, lcd_area_.height}, scale_);
        return window_.key_on || screen.width <= 0 ? lcd : screen;
    }
    if (unscaled()) return design;
    const PixelSize covered = scaled_size(design, scale_);
    // Fullscreen covers the screen: the loader was given enough design pixels to cover it.
    if (!window_.key_on && screen.width > 0)
        return {std::min(covered.width, screen.width), std::min(covered.height, screen.height)};
    return covered;
}

PixelSize Presenter::window_size() const {
    return {int(std::ceil(out_.width / ratio_ - 1e-9)),
            int(std::ceil(out_.height / ratio_ - 1e-9))};
}

void Presenter::lay_out() {
    applied_ = window_;
    applied_once_ = true;
    // An LCD view that would show the whole client is the device's view.
    const Rect area = view_area();
    const bool lcd = view_ == View::Lcd && !(area == whole_client());
    lcd_area_ = lcd ? area : Rect{};
    out_ = laid_out_size();
    lcd_place_ = Rect{};
    lcd_source_ = Image();
    lcd_frame_ = Image();
    if (lcd) {
        const PixelSize p = scaled_size({area.width, area.height}, scale_);
        lcd_place_ =
            Rect{(out_.width - p.width) / 2, (out_.height - p.height) / 2, p.width, p.height};
    }
    painter_.invalidate();
    scaler_.invalidate();
    set_painter_.invalidate();
    scene_.invalidate();
    painted_revision_ = ~std::uint64_t(0);
}

Presenter::Update Presenter::present(std::int64_t now) {
    Update u;
    // A reload of the skin may have changed the output's size or mode.
    if (!applied_once_ || !(applied_ == window_)) {
        lay_out();
        u.laid_out = true;
    }
    look_.update(board_, now);
    // A picture left for after the first frame is completed before anything draws it: a shown
    // segment, or the LCD look, which draws segments that are not shown.
    if (waiting_ && waiting_->any() && (look_.active() || waiting_->shown_on(board_)))
        picture_failed_ |= finish_waiting_pictures(!look_.active());
    if (board_.revision() == painted_revision_ && look_.revision() == painted_look_ &&
        !(look_.active() && look_.any_changed()))
        return u;
    painted_revision_ = board_.revision();
    painted_look_ = look_.revision();
    // A set read now changes what the scene drew its decorations and parts from.
    if (sets_ && shown_once_) {
        // A set is matched against the design pictures' sizes.
        picture_failed_ |= finish_waiting_pictures();
        if (sets_->prepare(scale_)) scene_.reset();
    }
    std::vector<Rect> parts; // the changed parts apart, in the output's pixels
    const bool composed = is_empty(lcd_area_) ? compose_device(parts) : compose_lcd(parts);
    tell_refusals();
    if (!composed) return u;
    ++frames_;
    u.painted = true;
    for (const Rect& p : parts)
        if (!is_empty(p)) u.changed.push_back(p);
    return u;
}

bool Presenter::compose_device(std::vector<Rect>& parts) {
    const int set = sets_ ? sets_->pick(scale_) : 0;
    const Image* shown = nullptr;
    // Brings the scaled frame up to date part by part: one rectangle around a flame at the left
    // and the score at the right would be scaled and sent whole.
    auto scale_parts = [&](const Image& from, double factor) -> const Image* {
        std::vector<Rect> scaled;
        if (parts.empty()) parts.push_back(Rect{}); // a scaler made invalid still repaints
        for (const Rect& part : parts) {
            const Rect r = scaler_.update(from, part, factor, out_);
            if (!is_empty(r)) scaled.push_back(r);
        }
        parts = std::move(scaled);
        return &scaler_.frame();
    };
    if (!window_.key_on) {
        // Fullscreen: the backdrop and logo at the screen's own resolution, once per size; only
        // the device is painted (and scaled) over them. At 100 % too: a repaint of the whole
        // screen-sized frame costs more than the device alone.
        shown = &scene_.paint(board_, window_, sets_, scale_, out_, nullptr, &parts);
    } else if (set) {
        // Painted from the skin's larger drawings, then brought to the scale if it is not the
        // set's own.
        shown = &set_painter_.paint(board_, window_, *sets_, set, nullptr, &parts);
        if (shown->empty()) return false;
        if (scale_ != set) shown = scale_parts(*shown, scale_ / set);
    } else {
        shown = &painter_.paint(board_, window_, nullptr, &parts);
        // Only the repainted parts are scaled again.
        if (!shown->empty() && !unscaled()) shown = scale_parts(*shown, scale_);
    }
    if (shown->empty()) return false;
    shown_ = shown;
    return true;
}

bool Presenter::compose_lcd(std::vector<Rect>& parts) {
    // The device's frame at design size, or at a set's scale when windowed (a fullscreen
    // board drawn from a set would be the whole screen at that scale), then the LCD's part of
    // it brought to the output.
    const int set = sets_ && window_.key_on ? sets_->pick(scale_) : 0;
    const int k = set ? set : 1;
    const Image& device = set ? set_painter_.paint(board_, window_, *sets_, set, nullptr, &parts)
                              : painter_.paint(board_, window_, nullptr, &parts);
    if (device.empty()) return false;
    const Rect cut = intersect(
        Rect{lcd_area_.left * k, lcd_area_.top * k, lcd_area_.width * k, lcd_area_.height * k},
        Rect{0, 0, device.width, device.height});
    if (is_empty(cut)) return false;
    if (lcd_source_.width != cut.width || lcd_source_.height != cut.height) {
        lcd_source_ = Image(cut.width, cut.height);
        parts.assign(1, cut);
    }
    std::vector<Rect> cut_parts;
    for (const Rect& p : parts) {
        const Rect q = intersect(p, cut);
        if (is_empty(q)) continue;
        for (int y = 0; y < q.height; ++y)
            std::memcpy(&lcd_source_.at(q.left - cut.left, q.top - cut.top + y),
                        pixel_at(device, q.left, q.top + y), std::size_t(q.width) * sizeof(Argb));
        cut_parts.push_back(offset_rect(q, -cut.left, -cut.top));
    }
    const Image* lcd = &lcd_source_;
    if (scale_ != k) {
        std::vector<Rect> scaled;
        if (cut_parts.empty()) cut_parts.push_back(Rect{}); // a scaler made invalid repaints
        for (const Rect& part : cut_parts) {
            const Rect r = scaler_.update(lcd_source_, part, scale_ / k,
                                          {lcd_place_.width, lcd_place_.height});
            if (!is_empty(r)) scaled.push_back(r);
        }
        cut_parts = std::move(scaled);
        lcd = &scaler_.frame();
    }
    parts.clear();
    if (window_.key_on) {
        parts = std::move(cut_parts);
        shown_ = lcd;
        return true;
    }
    // Fullscreen: the LCD in the middle of the screen, the rest black.
    const Rect whole{0, 0, out_.width, out_.height};
    if (lcd_frame_.width != out_.width || lcd_frame_.height != out_.height) {
        lcd_frame_ = Image(out_.width, out_.height, kLetterbox);
        cut_parts.assign(1, Rect{0, 0, lcd->width, lcd->height});
        parts.push_back(whole);
    }
    for (const Rect& p : cut_parts) {
        const Rect at = intersect(offset_rect(p, lcd_place_.left, lcd_place_.top), whole);
        if (is_empty(at)) continue;
        lay_lcd_rect(*lcd, at, lcd_place_.left, lcd_place_.top, lcd_frame_);
        if (parts.empty() || !(parts.front() == whole)) parts.push_back(at);
    }
    shown_ = &lcd_frame_;
    return true;
}

const Image& Presenter::frame() const {
    return shown_ ? *shown_ : painter_.frame();
}

const Image& Presenter::design_frame() const {
    return unscaled() && shown_ && is_empty(lcd_area_) ? *shown_ : painter_.frame();
}

bool Presenter::prepare_sets() {
    if (!sets_ || !sets_->prepare(scale_)) return false;
    scene_.reset();
    painted_revision_ = ~std::uint64_t(0);
    return true;
}

bool Presenter::finish_waiting_pictures(bool only_shown) {
    if (!waiting_ || !waiting_->any()) return false;
    return !waiting_->finish(only_shown ? &board_ : nullptr).empty();
}

void Presenter::tell_refusals() {
    for (const CopyBudget::Refusal& r : copies_.take_refusals()) {
        const std::string file = names_ ? names_->file_of(r.source) : std::string();
        // A picture whose file is not known is told once as such.
        if (!told_.insert(file).second) continue;
        if (!refusals_.empty()) refusals_ += '\n';
        refusals_ += refusal_text(r, file, copies_.limit());
    }
}

std::string Presenter::take_refusals() {
    tell_refusals();
    return std::exchange(refusals_, std::string());
}

DesignPoint Presenter::to_design(double x, double y) const {
    const int px = int(std::floor(x * ratio_)), py = int(std::floor(y * ratio_));
    if (!is_empty(lcd_area_)) {
        const int lx = px - lcd_place_.left, ly = py - lcd_place_.top;
        if (lx < 0 || ly < 0 || lx >= lcd_place_.width || ly >= lcd_place_.height) return kOffBoard;
        return {lcd_area_.left + design_pixel(lx, scale_),
                lcd_area_.top + design_pixel(ly, scale_)};
    }
    if (unscaled()) return {int(std::lround(x)), int(std::lround(y))};
    return {design_pixel(px, scale_), design_pixel(py, scale_)};
}

Rect Presenter::to_window(Rect d) const {
    if (!is_empty(lcd_area_)) {
        // Through the output's physical pixels, where the LCD's place is known exactly.
        auto at = [&](int design, int origin, int place) {
            return ((design - origin) * scale_ + place) / ratio_;
        };
        const int l = int(std::floor(at(d.left, lcd_area_.left, lcd_place_.left)));
        const int t = int(std::floor(at(d.top, lcd_area_.top, lcd_place_.top)));
        const int r = int(std::ceil(at(d.left + d.width, lcd_area_.left, lcd_place_.left)));
        const int b = int(std::ceil(at(d.top + d.height, lcd_area_.top, lcd_place_.top)));
        return Rect{l, t, r - l, b - t};
    }
    if (unscaled()) return d;
    const double v = view_scale();
    const int l = int(std::floor(d.left * v)), t = int(std::floor(d.top * v));
    const int r = int(std::ceil((d.left + d.width) * v)),
              b = int(std::ceil((d.top + d.height) * v));
    return Rect{l, t, r - l, b - t};
}

} // namespace q50
