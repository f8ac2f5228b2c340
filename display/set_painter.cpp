#include "display/set_painter.h"

namespace q50 {

Image repeat_pixels(const Image& src, int k) {
    Image out(src.width * k, src.height * k);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) out.at(x, y) = src.at(x / k, y / k);
    return out;
}

void SetPainter::invalidate() {
    source_ = nullptr;
    painter_.invalidate();
}

void SetPainter::reset() {
    invalidate();
    repeated_.clear();
    keep_.clear();
}

Picture SetPainter::larger(const Picture& p, const SkinSets* sets) {
    if (!p || scale_ == 1) return p;
    if (Picture big = sets ? sets->find(p.get(), scale_) : nullptr) return big;
    auto& r = repeated_[p.get()];
    if (!r) {
        r = std::make_shared<const Image>(repeat_pixels(*p, scale_));
        keep_.push_back(p); // its address stays its own while the copy is cached
    }
    return r;
}

const Image& SetPainter::paint(const Board& board, const WindowModel& window, const SkinSets& sets,
                               int scale, Rect* damage, std::vector<Rect>* parts) {
    if (part_) {
        part_ = false;
        painter_.set_transparent_base(false);
        source_ = nullptr;
    }
    area_ = Rect{0, 0, window.client_width, window.client_height};
    return paint_copy(board, window, &sets, scale, damage, parts);
}

const Image& SetPainter::paint_area(const Board& board, const WindowModel& window,
                                    const SkinSets* sets, int scale, Rect area, Rect* damage) {
    if (!part_ || !(area == area_)) {
        part_ = true;
        painter_.set_transparent_base(true);
        source_ = nullptr;
        area_ = area;
    }
    return paint_copy(board, window, sets, scale, damage, nullptr);
}

const Image& SetPainter::paint_copy(const Board& board, const WindowModel& window,
                                    const SkinSets* sets, int scale, Rect* damage,
                                    std::vector<Rect>* parts) {
    if (source_ != &board || scale != scale_) {
        if (scale != scale_) {
            repeated_.clear();
            keep_.clear();
        }
        source_ = &board;
        scale_ = scale;
        seen_.assign(board.segments().size(), ~std::uint64_t(0));
    }
    const Segment* backdrop = part_ ? &board.get("im_backdrop") : nullptr;
    const Segment* logo = part_ ? &board.get("im_backdrop_logo") : nullptr;
    const int dx = part_ ? area_.left : 0, dy = part_ ? area_.top : 0;
    const auto& from = board.segments();
    auto& to = copy_.segments();
    for (std::size_t i = 0; i < from.size() && i < to.size(); ++i) {
        const Segment& s = from[i];
        if (s.revision == seen_[i]) continue;
        seen_[i] = s.revision;
        Segment& c = to[i];
        copy_.set_rect(c, Rect{(s.rect.left - dx) * scale, (s.rect.top - dy) * scale,
                               s.rect.width * scale, s.rect.height * scale});
        // The decorations of a part are drawn elsewhere, at the screen's resolution.
        const bool decoration = &s == backdrop || &s == logo;
        copy_.set_picture(c, decoration ? nullptr : larger(s.picture, sets));
        copy_.set_shown(c, s.shown && !decoration);
    }
    WindowModel w = window;
    if (part_) {
        w.client_width = std::min(area_.width * scale, kMaxClientSide);
        w.client_height = std::min(area_.height * scale, kMaxClientSide);
        w.key_on = false;
    } else {
        w.client_width = std::min(window.client_width * scale, kMaxClientSide);
        w.client_height = std::min(window.client_height * scale, kMaxClientSide);
    }
    return painter_.paint(copy_, w, damage, parts);
}

} // namespace q50
