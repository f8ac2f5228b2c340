#include "display/scaled_scene.h"

#include "display/frame_scaler.h"
#include "display/picture_file.h"
#include "display/pixel_ops.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace q50 {

namespace {

// The segments' rectangles that `take` accepts, cut to `whole`, grouped where they touch or
// overlap.
template <typename Take>
std::vector<Rect> grouped(const Board& board, Rect whole, const Take& take) {
    const Segment* backdrop = &board.get("im_backdrop");
    const Segment* logo = &board.get("im_backdrop_logo");
    std::vector<Rect> groups;
    const auto& segs = board.segments();
    for (std::size_t i = 0; i < segs.size(); ++i) {
        const Segment& s = segs[i];
        if (&s == backdrop || &s == logo || !take(i, s)) continue;
        add_apart(groups, intersect(s.rect, whole), true);
    }
    return groups;
}

// A segment's picture as the reaches see it: one still waiting for its pixels is empty and lies
// nowhere, as no picture.
const Image* laid_picture(const Segment& s) {
    return s.picture && !s.picture->empty() ? s.picture.get() : nullptr;
}

// Where the parts can lie, whatever is shown: every segment with a picture, grouped as the parts
// are. A group of the parts is made of some of these rectangles; were it to reach past the
// reach holding one of them, it would touch another reach, and the two would be one.
std::vector<Rect> board_reaches(const Board& board, Rect whole) {
    return grouped(board, whole, [](std::size_t, const Segment& s) { return laid_picture(s); });
}

} // namespace

std::vector<Rect> board_parts(const Board& board, Rect whole, const LcdLook* look) {
    const bool shadows = look && look->active() && look->fits(board);
    return grouped(board, whole, [&](std::size_t i, const Segment& s) {
        return s.picture && !s.picture->empty() && (s.shown || (shadows && look->affects(i)));
    });
}

void ScaledScene::set_copy_budget(CopyBudget* copies) {
    CopyBudget* next = copies ? copies : &own_copies_;
    if (next == copies_) return;
    copies_ = next;
    for (auto& p : parts_) p->painter.set_copy_budget(copies_);
}

void ScaledScene::set_lcd_look(LcdLook* look) {
    look_ = look;
    for (auto& p : parts_) p->painter.set_lcd_look(look);
}

void ScaledScene::reset() {
    decor_ = DecorKey{};
    parts_.clear();
    under_.clear();
    reach_inputs_.clear();
    valid_ = false;
}

Image ScaledScene::decorations(const Board& board, const WindowModel& window, const SkinSets* sets,
                               Rect area) const {
    const PixelSize out = decor_.out;
    const Rect whole{0, 0, out.width, out.height};
    area = intersect(area, whole);
    const Argb colour = opaque_from_colour(window.colour);
    Image under;
    // The drawing to resample to `size`: the smallest the skin has that is at least that
    // large, or else its largest; reducing keeps all of a larger drawing's detail.
    auto best = [&](const Picture& p, Rect size) {
        Picture pick = p;
        for (int k = 2; k <= 4; ++k) {
            if (pick->width >= size.width && pick->height >= size.height) break;
            if (Picture big = sets ? sets->find(p.get(), k) : nullptr) pick = big;
        }
        return pick;
    };
    // `p` resampled to `at`, of which only what lies in `clip` and in the area is made and
    // laid over the underlay: a logo far larger than the screen is never resampled whole.
    auto draw = [&](const Picture& p, Rect at, Rect clip) {
        const Rect r = intersect(intersect(at, clip), area);
        if (is_empty(r)) return;
        const Picture pick = best(p, at);
        copies_->attempt(pick.get(), picture_bytes(r.width, r.height), [&] {
            const Image img =
                resample_area(*pick, at.width, at.height,
                              Rect{r.left - at.left, r.top - at.top, r.width, r.height});
            for (int y = 0; y < img.height; ++y) {
                const Argb* s = img.pixels.data() + std::size_t(y) * std::size_t(img.width);
                Argb* d = under.pixels.data() +
                          std::size_t(y + r.top - area.top) * std::size_t(area.width) +
                          std::size_t(r.left - area.left);
                for (int x = 0; x < img.width; ++x) d[x] = over_opaque(s[x], d[x]);
            }
        });
    };
    const Segment* backdrop = &board.get("im_backdrop");
    const Rect backdrop_at = scaled_unclipped(backdrop->rect, decor_.scale);
    const bool fills = decor_.backdrop && window.backdrop_stretch && backdrop_at == whole;
    if (fills && !is_empty(area)) {
        // The usual fullscreen backdrop fills the screen: its resampled picture is the
        // underlay, with what of it is see-through laid over the window colour.
        const Picture pick = best(backdrop->picture, whole);
        copies_->attempt(pick.get(), picture_bytes(area.width, area.height), [&] {
            under = resample_area(*pick, whole.width, whole.height, area);
            for (Argb& px : under.pixels)
                if ((px >> 24) != 255) px = over_opaque(px, colour);
        });
    }
    if (under.width != std::max(area.width, 0) || under.height != std::max(area.height, 0))
        under = Image(std::max(area.width, 0), std::max(area.height, 0), colour);
    if (decor_.backdrop && !fills) {
        const Picture& p = backdrop->picture;
        const Rect clip = backdrop_at;
        if (window.backdrop_stretch) {
            draw(p, clip, clip);
        } else {
            const Rect r = backdrop->rect;
            const Rect at =
                scaled_unclipped(Rect{r.left + (r.width - p->width) / 2,
                                      r.top + (r.height - p->height) / 2, p->width, p->height},
                                 decor_.scale);
            draw(p, at, clip);
        }
    }
    if (decor_.logo) {
        const Segment* logo = &board.get("im_backdrop_logo");
        const Rect at = scaled_unclipped(logo->rect, decor_.scale);
        draw(logo->picture, at, at);
    }
    return under;
}

void ScaledScene::update_underlays(const Board& board, const WindowModel& window,
                                   const SkinSets* sets, Rect client, bool fresh) {
    const Rect screen{0, 0, frame_.width, frame_.height};
    const auto& segs = board.segments();
    bool same_inputs = !fresh && client == reach_client_ && reach_inputs_.size() == segs.size();
    for (std::size_t i = 0; same_inputs && i < segs.size(); ++i)
        same_inputs = reach_inputs_[i] == ReachInput{segs[i].rect, laid_picture(segs[i])};
    if (!same_inputs) {
        reach_client_ = client;
        reach_inputs_.clear();
        for (const Segment& s : segs) reach_inputs_.push_back({s.rect, laid_picture(s)});
        reaches_.clear();
        for (const Rect& r : board_reaches(board, client)) {
            const Rect out = intersect(scaled_unclipped(r, decor_.scale), screen);
            if (!is_empty(out)) reaches_.push_back(out);
        }
    }
    const std::vector<Rect>& at = reaches_;
    const bool same =
        at.size() == under_.size() && std::equal(at.begin(), at.end(), under_.begin(),
                                                 [](Rect r, const auto& u) { return u->at == r; });
    if (same) return;
    std::vector<std::unique_ptr<Underlay>> next;
    for (const Rect& r : at) {
        auto kept = std::find_if(under_.begin(), under_.end(),
                                 [&](const auto& u) { return u && u->at == r; });
        if (kept != under_.end()) {
            next.push_back(std::move(*kept));
            continue;
        }
        auto u = std::make_unique<Underlay>();
        u->at = r;
        // The frame just drawn holds nothing but the decorations: cut from it (the resampling
        // to the frame's own size is a plain copy).
        u->image = fresh ? resample_area(frame_, frame_.width, frame_.height, r)
                         : decorations(board, window, sets, r);
        next.push_back(std::move(u));
    }
    for (auto& u : under_)
        if (u) gone_under_.push_back(std::move(u));
    under_ = std::move(next);
}

std::int64_t ScaledScene::underlay_bytes() const {
    std::int64_t n = 0;
    for (const auto& u : under_) n += picture_bytes(u->image.width, u->image.height);
    return n;
}

const ScaledScene::Underlay* ScaledScene::underlay_for(Rect r) const {
    for (const auto* list : {&under_, &gone_under_})
        for (const auto& u : *list)
            if (u && contains(u->at, r)) return u.get();
    return nullptr;
}

bool ScaledScene::parts_hold(const Board& board, Rect client) const {
    const Segment* backdrop = &board.get("im_backdrop");
    const Segment* logo = &board.get("im_backdrop_logo");
    const bool shadows = look_ && look_->active() && look_->fits(board);
    const auto& segs = board.segments();
    for (std::size_t i = 0; i < segs.size(); ++i) {
        const Segment& s = segs[i];
        if (&s == backdrop || &s == logo || !s.picture || s.picture->empty()) continue;
        if (!s.shown && !(shadows && look_->affects(i))) continue;
        const Rect g = intersect(s.rect, client);
        if (is_empty(g)) continue;
        bool held = false;
        for (const auto& p : parts_) held = held || contains(p->area, g);
        if (!held) return false;
    }
    return true;
}

void ScaledScene::restore(Rect r) {
    r = intersect(r, Rect{0, 0, frame_.width, frame_.height});
    if (is_empty(r)) return;
    const Underlay* u = underlay_for(r);
    if (!u) return; // cannot be: every part lies inside a reach
    for (int y = r.top; y < r.top + r.height; ++y) {
        const std::size_t at = std::size_t(y) * std::size_t(frame_.width) + std::size_t(r.left);
        const std::size_t from = std::size_t(y - u->at.top) * std::size_t(u->at.width) +
                                 std::size_t(r.left - u->at.left);
        std::memcpy(frame_.pixels.data() + at, u->image.pixels.data() + from,
                    std::size_t(r.width) * sizeof(Argb));
    }
}

const Image& ScaledScene::paint(const Board& board, const WindowModel& window, const SkinSets* sets,
                                double scale, PixelSize out, Rect* damage,
                                std::vector<Rect>* parts) {
    Rect changed;
    std::vector<Rect> apart;
    const auto add = [&](Rect r) {
        if (is_empty(r)) return;
        changed = unite(changed, r);
        if (parts) apart.push_back(r);
    };
    const Segment* backdrop = &board.get("im_backdrop");
    const Segment* logo = &board.get("im_backdrop_logo");
    auto drawn = [](const Segment* s) {
        return s && s->shown && s->picture && !s->picture->empty() ? s->picture : nullptr;
    };
    DecorKey key{out,
                 scale,
                 window.colour,
                 window.backdrop_stretch,
                 drawn(backdrop),
                 drawn(logo),
                 backdrop ? backdrop->rect : Rect{},
                 logo ? logo->rect : Rect{},
                 sets};
    bool fresh = false;
    if (!(key == decor_) || frame_.width != out.width || frame_.height != out.height) {
        decor_ = key;
        parts_.clear();
        under_.clear();
        gone_under_.clear();
        frame_ = Image{}; // its memory back before the new one is made
        frame_ = decorations(board, window, sets, Rect{0, 0, out.width, out.height});
        fresh = true;
        valid_ = false;
        add(Rect{0, 0, out.width, out.height});
    }
    const Rect client{0, 0, std::clamp(window.client_width, 0, kMaxClientSide),
                      std::clamp(window.client_height, 0, kMaxClientSide)};
    update_underlays(board, window, sets, client, fresh);
    // A part left from a segment that has since shrunk may reach past every underlay: it
    // goes, as a part whose segments are hidden would.
    const auto on_underlays = [&] {
        for (const auto& p : parts_) {
            const Rect at =
                intersect(scaled_unclipped(p->area, scale), Rect{0, 0, out.width, out.height});
            bool on = is_empty(at);
            for (const auto& u : under_) on = on || contains(u->at, at);
            if (!on) return false;
        }
        return true;
    };
    if (!valid_ || !parts_hold(board, client) || !on_underlays()) {
        std::vector<std::unique_ptr<Part>> next;
        for (const Rect& area : board_parts(board, client, look_)) {
            auto same = std::find_if(parts_.begin(), parts_.end(),
                                     [&](const auto& p) { return p && p->area == area; });
            if (same != parts_.end()) {
                next.push_back(std::move(*same));
                if (!valid_) next.back()->painter.invalidate();
            } else {
                next.push_back(std::make_unique<Part>());
                next.back()->area = area;
                next.back()->painter.set_lcd_look(look_);
                next.back()->painter.set_copy_budget(copies_);
            }
        }
        for (const auto& gone : parts_) {
            if (!gone) continue;
            restore(gone->out);
            add(gone->out);
        }
        parts_ = std::move(next);
    }
    gone_under_.clear();
    const int set = std::max(sets ? sets->pick(scale) : 0, 1);
    for (auto& p : parts_) {
        p->out = intersect(scaled_unclipped(p->area, scale), Rect{0, 0, out.width, out.height});
        Rect d;
        std::vector<Rect> in_part;
        const Underlay* u = underlay_for(p->out);
        SetPainter::Target to{&frame_, u ? &u->image : nullptr, p->out};
        if (u) to.under_left = u->at.left, to.under_top = u->at.top;
        p->painter.paint_area(board, window, sets, set, scale, p->area, to, &d,
                              parts ? &in_part : nullptr);
        if (parts)
            for (const Rect& r : in_part) add(r);
        else
            add(d);
    }
    valid_ = true;
    if (damage) *damage = changed;
    // A frame drawn anew is one part: all of it.
    if (parts)
        *parts = changed == Rect{0, 0, out.width, out.height} ? std::vector<Rect>{changed}
                                                              : std::move(apart);
    return frame_;
}

} // namespace q50
