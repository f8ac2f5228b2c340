#include "display/set_painter.h"

#include "display/frame_scaler.h"
#include "display/picture_file.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace q50 {

namespace {

// How far past the output pixel it lands on a design coordinate lies, in output pixels.
double phase(int v, double scale) {
    const double p = v * scale - std::floor(v * scale + 1e-9);
    return p < 1e-9 ? 0.0 : std::min(p, 1.0);
}

int times(int v, int k) {
    return int(std::clamp<long long>(1ll * v * k, std::numeric_limits<int>::min(),
                                     std::numeric_limits<int>::max()));
}

} // namespace

Picture SetPainter::shadow_picture(const Picture& named, Rect at) {
    for (const Digit& d : digits_) {
        if (!(d.at.rect == at)) continue;
        const std::vector<const Image*> sources = glyph_pictures(*source_);
        if (sources != glyph_sources_ || !glyphs_) {
            glyph_sources_ = sources;
            Image all = strongest_of(sources);
            glyphs_ = all.empty() ? nullptr : std::make_shared<const Image>(std::move(all));
        }
        if (is_empty(d.at.part) && !(d.at.part == kWhole)) return nullptr;
        return glyphs_ ? placed(glyphs_, d.on_board, nullptr, d.at.part) : named;
    }
    return named;
}

void SetPainter::invalidate() {
    source_ = nullptr;
    painter_.invalidate();
}

SetPainter::~SetPainter() {
    copies_->give_back(held_);
}

void SetPainter::drop_copies() {
    repeated_.clear();
    placed_.clear();
    keep_.clear();
    copies_->give_back(held_);
    held_ = 0;
}

void SetPainter::reset() {
    invalidate();
    drop_copies();
}

void SetPainter::set_copy_budget(CopyBudget* copies) {
    CopyBudget* next = copies ? copies : &own_copies_;
    if (next == copies_) return;
    drop_copies();
    copies_ = next;
    invalidate();
}

void SetPainter::rescale(double scale, int set) {
    if (scale == scale_ && set == set_) return;
    drop_copies();
    scale_ = scale;
    set_ = set;
    invalidate();
}

Picture SetPainter::copy(const Image& source, PixelSize size, const std::function<Image()>& make) {
    const std::int64_t bytes = picture_bytes(size.width, size.height);
    Picture made = copies_->make(&source, bytes, make);
    if (made) held_ += bytes;
    return made;
}

std::pair<Picture, Rect> SetPainter::larger(const Picture& p, Rect rect, PixelSize frame,
                                            const SkinSets* sets) {
    const int k = set_;
    const Rect r{times(rect.left, k), times(rect.top, k), times(rect.width, k),
                 times(rect.height, k)};
    if (!p || k == 1 || p->empty()) return {p, r};
    if (Picture big = sets ? sets->find(p.get(), k) : nullptr) return {big, r};
    // The picture is drawn from the rectangle's top-left corner, cut off at the rectangle and at
    // the frame: only that part of it is repeated, unless all of it shows.
    const Rect all{r.left, r.top, times(p->width, k), times(p->height, k)};
    const Rect shows = intersect(intersect(all, r), Rect{0, 0, frame.width, frame.height});
    if (is_empty(shows)) return {nullptr, r};
    const bool whole = shows == all;
    const Rect part =
        whole ? kWhole : Rect{shows.left - r.left, shows.top - r.top, shows.width, shows.height};
    const Placed key{p.get(), 0, 0, 0, 0, part};
    auto it = repeated_.find(key);
    if (it == repeated_.end()) {
        const PixelSize size =
            whole ? PixelSize{all.width, all.height} : PixelSize{part.width, part.height};
        Picture made = copy(*p, size, [&] {
            return whole ? repeat_pixels(*p, k)
                         : place_scaled(*p, p->width, p->height, k, 0, 0, part);
        });
        it = repeated_.emplace(key, std::move(made)).first;
        keep_.push_back(p); // its address stays its own while the copy is cached
    }
    return {it->second, whole ? r : shows};
}

Picture SetPainter::placed(const Picture& p, Rect r, const SkinSets* sets, Rect part) {
    if (!p || p->empty()) return p;
    // A picture shows from its rectangle's top-left corner and is cut off at the rectangle.
    const Placed key{p.get(),
                     r.left,
                     r.top,
                     std::clamp(r.width, 0, p->width),
                     std::clamp(r.height, 0, p->height),
                     part};
    if (auto it = placed_.find(key); it != placed_.end()) return it->second;
    const Picture big = sets && set_ > 1 ? sets->find(p.get(), set_) : nullptr;
    const int k = big ? set_ : 1;
    const double factor = scale_ / k, px = phase(r.left, scale_), py = phase(r.top, scale_);
    const Image& from = big ? *big : *p;
    Picture e;
    if (factor == 1.0 && px == 0 && py == 0 && key.width == p->width && key.height == p->height &&
        part == kWhole) {
        e = big ? big : p;
    } else {
        const PixelSize all = placed_size(from, key.width * k, key.height * k, factor, px, py);
        const PixelSize size = part == kWhole ? all : PixelSize{part.width, part.height};
        e = copy(from, size, [&] {
            return part == kWhole
                       ? place_scaled(from, key.width * k, key.height * k, factor, px, py)
                       : place_scaled(from, key.width * k, key.height * k, factor, px, py, part);
        });
    }
    placed_.emplace(key, e);
    keep_.push_back(p); // its address stays its own while the copy is cached
    return e;
}

SetPainter::OnCopy SetPainter::on_copy(Rect design) const {
    const Rect r = scaled_unclipped(design, scale_);
    const Rect at{r.left - place_.left, r.top - place_.top, r.width, r.height};
    const Rect shows = intersect(at, Rect{0, 0, place_.width, place_.height});
    if (shows == at) return {at, kWhole, at};
    // Lying across the part (or outside it): only what lies inside is brought to the scale.
    if (is_empty(shows)) return {at, Rect{}, at};
    return {shows, Rect{shows.left - at.left, shows.top - at.top, shows.width, shows.height}, at};
}

bool SetPainter::at_own_size(const Picture& p, Rect design, const SkinSets* sets) const {
    if (!p || p->empty()) return false;
    const Picture big = sets && set_ > 1 ? sets->find(p.get(), set_) : nullptr;
    const int k = big ? set_ : 1;
    return scale_ == k && phase(design.left, scale_) == 0 && phase(design.top, scale_) == 0 &&
           design.width >= p->width && design.height >= p->height;
}

const Image& SetPainter::paint(const Board& board, const WindowModel& window, const SkinSets& sets,
                               int scale, Rect* damage, std::vector<Rect>* parts) {
    if (part_) {
        part_ = false;
        target_ = Target{};
        painter_.set_target(nullptr, nullptr, 0, 0);
        painter_.set_shadow_pictures(nullptr);
        source_ = nullptr;
    }
    rescale(scale, scale);
    area_ = Rect{0, 0, window.client_width, window.client_height};
    return paint_copy(board, window, &sets, damage, parts);
}

void SetPainter::paint_area(const Board& board, const WindowModel& window, const SkinSets* sets,
                            int set, double scale, Rect area, const Target& to, Rect* damage,
                            std::vector<Rect>* parts) {
    rescale(scale, std::max(set, 1));
    if (!part_ || !(area == area_) || !(to.place == place_) || to.frame != target_.frame ||
        to.under != target_.under || to.under_left != target_.under_left ||
        to.under_top != target_.under_top) {
        part_ = true;
        source_ = nullptr;
        area_ = area;
        place_ = to.place;
        target_ = to;
        painter_.set_target(to.frame, to.under, place_.left, place_.top, to.under_left,
                            to.under_top);
        painter_.set_shadow_pictures(
            [this](const Picture& named, Rect at) { return shadow_picture(named, at); });
    }
    Rect d;
    std::vector<Rect> changed;
    paint_copy(board, window, sets, &d, parts ? &changed : nullptr);
    const auto to_frame = [this](Rect& r) {
        if (r.width <= 0 || r.height <= 0) return;
        r.left += place_.left;
        r.top += place_.top;
    };
    to_frame(d);
    if (damage) *damage = d;
    if (parts) {
        for (Rect& r : changed) to_frame(r);
        *parts = std::move(changed);
    }
}

const Image& SetPainter::paint_copy(const Board& board, const WindowModel& window,
                                    const SkinSets* sets, Rect* damage, std::vector<Rect>* parts) {
    if (source_ != &board) {
        source_ = &board;
        seen_.assign(board.segments().size(), ~std::uint64_t(0));
    }
    const Segment* backdrop = part_ ? &board.get("im_backdrop") : nullptr;
    const Segment* logo = part_ ? &board.get("im_backdrop_logo") : nullptr;
    const auto& from = board.segments();
    auto& to = copy_.segments();
    for (std::size_t i = 0; i < from.size() && i < to.size(); ++i) {
        const Segment& s = from[i];
        if (s.revision == seen_[i]) continue;
        seen_[i] = s.revision;
        Segment& c = to[i];
        // The decorations of a part are drawn elsewhere, at the screen's resolution.
        const bool decoration = &s == backdrop || &s == logo;
        if (part_) {
            OnCopy at = on_copy(s.rect);
            // A device taller than the screen at scale 1 is cut at both edges: its pictures
            // are drawn from themselves, reaching past the frame, rather than copied in part.
            if (at.part != kWhole && !is_empty(at.part) && at_own_size(s.picture, s.rect, sets))
                at = OnCopy{at.whole, kWhole, at.whole};
            copy_.set_rect(c, at.rect);
            // A picture is brought to the scale when it may show: its segment shown, or an LCD
            // segment (dark ones show as shadows and fades). A hidden button's pressed picture
            // waits for its first press.
            const bool may_show = (s.shown || s.transparent) && !decoration;
            const bool inside = at.part == kWhole || !is_empty(at.part);
            copy_.set_picture(c, may_show && inside ? placed(s.picture, s.rect, sets, at.part)
                                                    : nullptr);
        } else {
            const PixelSize frame{std::min(times(window.client_width, set_), kMaxClientSide),
                                  std::min(times(window.client_height, set_), kMaxClientSide)};
            const auto [picture, at] = larger(s.picture, s.rect, frame, sets);
            copy_.set_rect(c, at);
            copy_.set_picture(c, picture);
        }
        copy_.set_shown(c, s.shown && !decoration);
    }
    if (part_) {
        digits_.clear();
        for (int k = SegTable<4, 1>::first(); k <= SegTable<4, 1>::last(); ++k)
            if (const Segment* d = board.Seg_Digit.slot(k))
                digits_.push_back({on_copy(d->rect), d->rect});
    }
    WindowModel w = window;
    if (part_) {
        w.client_width = std::min(place_.width, kMaxClientSide);
        w.client_height = std::min(place_.height, kMaxClientSide);
        w.key_on = false;
    } else {
        w.client_width = std::min(times(window.client_width, set_), kMaxClientSide);
        w.client_height = std::min(times(window.client_height, set_), kMaxClientSide);
    }
    return painter_.paint(copy_, w, damage, parts);
}

} // namespace q50
