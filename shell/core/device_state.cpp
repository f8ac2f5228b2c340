#include "shell/core/device_state.h"

#include <array>
#include <cstring>
#include <optional>

namespace q50 {

namespace {

constexpr std::size_t kHeaderBytes = 16;
// Far beyond any game; keeps a damaged time from overflowing the timer arithmetic.
constexpr std::int64_t kLatestTime = std::int64_t(1) << 50;

std::uint32_t crc32(std::span<const std::uint8_t> bytes) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::uint8_t b : bytes) c = table[(c ^ b) & 0xff] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

class Writer {
  public:
    void u8(std::uint8_t v) { out.push_back(v); }
    void u32(std::uint32_t v) { put(v, 4); }
    void i32(std::int32_t v) { put(std::uint32_t(v), 4); }
    void u64(std::uint64_t v) { put(v, 8); }
    void i64(std::int64_t v) { put(std::uint64_t(v), 8); }
    void bytes(std::span<const std::uint8_t> b) {
        u32(std::uint32_t(b.size()));
        out.insert(out.end(), b.begin(), b.end());
    }
    std::vector<std::uint8_t> out;

  private:
    void put(std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
    }
};

class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> b) : b_(b) {}
    bool ok() const { return ok_; }
    bool at_end() const { return at_ == b_.size(); }
    std::uint8_t u8() { return std::uint8_t(get(1)); }
    std::uint32_t u32() { return std::uint32_t(get(4)); }
    std::int32_t i32() { return std::int32_t(std::uint32_t(get(4))); }
    std::uint64_t u64() { return get(8); }
    std::int64_t i64() { return std::int64_t(get(8)); }
    std::vector<std::uint8_t> bytes(std::size_t most) {
        const std::uint32_t n = u32();
        if (!ok_ || n > most || n > b_.size() - at_) {
            ok_ = false;
            return {};
        }
        std::vector<std::uint8_t> v(b_.begin() + std::ptrdiff_t(at_),
                                    b_.begin() + std::ptrdiff_t(at_ + n));
        at_ += n;
        return v;
    }

  private:
    std::uint64_t get(int n) {
        if (!ok_ || b_.size() - at_ < std::size_t(n)) {
            ok_ = false;
            return 0;
        }
        std::uint64_t v = 0;
        for (int i = 0; i < n; ++i) v |= std::uint64_t(b_[at_ + std::size_t(i)]) << (8 * i);
        at_ += std::size_t(n);
        return v;
    }
    std::span<const std::uint8_t> b_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

enum PictureKind : std::uint8_t { kOwn = 0, kNone = 1, kCopy = 2 };

// The whole state, read and checked before anything of it is put back.
struct Decoded {
    std::int64_t now = 0;
    std::vector<std::int32_t> variables;
    std::array<std::int32_t, 6> flame{};
    std::array<std::int32_t, 20> speed{};
    struct Seg {
        bool shown = false;
        std::uint8_t kind = kOwn;
        std::uint8_t source = 0;
    };
    std::vector<Seg> segments;
    std::array<TimerSet::Slot, kTimerCount> timers{};
    std::string random;
    std::int64_t clock = 0;
    std::int64_t mixer_position = 0;
    std::vector<SoftwareMixer::Voice> voices;
    std::vector<std::uint8_t> front;
};

std::optional<Decoded> decode(Reader& r, Device& d, std::string& why) {
    Decoded s;
    s.now = r.i64();
    const auto refs = d.variables();
    const std::uint32_t nvars = r.u32();
    if (r.ok() && nvars != refs.size()) {
        why = "it holds " + std::to_string(nvars) + " game variables, this device has " +
              std::to_string(refs.size());
        return std::nullopt;
    }
    for (std::size_t i = 0; i < refs.size() && r.ok(); ++i) {
        const std::int32_t v = r.i32();
        if (refs[i].flag && v != 0 && v != 1) {
            why = std::string(refs[i].name) + " is neither on nor off";
            return std::nullopt;
        }
        s.variables.push_back(v);
    }
    for (auto& v : s.flame) v = r.i32();
    for (auto& v : s.speed) v = r.i32();
    const std::uint32_t nsegs = r.u32();
    const std::size_t segments = d.board.segments().size();
    if (r.ok() && nsegs != segments) {
        why = "it holds " + std::to_string(nsegs) + " segments, this device has " +
              std::to_string(segments);
        return std::nullopt;
    }
    for (std::size_t i = 0; i < segments && r.ok(); ++i) {
        Decoded::Seg g;
        const std::uint8_t shown = r.u8();
        g.kind = r.u8();
        g.source = r.u8();
        if (shown > 1 || g.kind > kCopy || g.source >= segments) {
            why = "segment " + d.board.segments()[i].name + " is damaged";
            return std::nullopt;
        }
        g.shown = shown == 1;
        s.segments.push_back(g);
    }
    for (auto& t : s.timers) {
        const std::uint8_t on = r.u8();
        t.enabled = on == 1;
        t.interval = r.i32();
        t.due = r.i64();
        t.period = r.u64();
        if (r.ok() &&
            (on > 1 || t.interval < 1 || (t.enabled && (t.due < s.now || t.due > kLatestTime)))) {
            why = "a timer is damaged";
            return std::nullopt;
        }
    }
    const auto text = r.bytes(8192);
    s.random.assign(text.begin(), text.end());
    s.clock = r.i64();
    s.mixer_position = r.i64();
    const std::uint32_t nvoices = r.u32();
    if (r.ok() && nvoices > std::uint32_t(SoftwareMixer::kChannels)) {
        why = "it holds more voices than the mixer has channels";
        return std::nullopt;
    }
    for (std::uint32_t i = 0; i < nvoices && r.ok(); ++i) {
        SoftwareMixer::Voice v;
        v.sample = Sample(r.u8());
        v.start = r.i64();
        v.end = r.i64();
        s.voices.push_back(v);
    }
    s.front = r.bytes(kDeviceStateFrontBytes);
    if (!r.ok() || !r.at_end()) {
        why = "its parts do not add up";
        return std::nullopt;
    }
    if (s.now < 0 || s.now > kLatestTime || s.clock < -kLatestTime || s.clock > kLatestTime) {
        why = "its time is damaged";
        return std::nullopt;
    }
    return s;
}

} // namespace

std::vector<Picture> own_pictures(const Board& board) {
    std::vector<Picture> out;
    for (const Segment& s : board.segments()) out.push_back(s.picture);
    return out;
}

std::vector<std::uint8_t> save_device_state(const DeviceParts& parts,
                                            std::span<const std::uint8_t> front) {
    Device& d = parts.device;
    Writer w;
    w.i64(d.now());
    const auto refs = d.variables();
    w.u32(std::uint32_t(refs.size()));
    for (const VariableRef& v : refs) w.i32(v.flag ? std::int32_t(*v.flag) : *v.integer);
    for (std::int32_t v : d.Enemy_Flame) w.i32(v);
    for (std::int32_t v : d.Speed_Table) w.i32(v);
    const auto& segs = d.board.segments();
    w.u32(std::uint32_t(segs.size()));
    for (const Segment& s : segs) {
        w.u8(s.shown ? 1 : 0);
        if (s.picture_source) {
            w.u8(kCopy);
            w.u8(std::uint8_t(s.picture_source->index()));
        } else {
            w.u8(s.picture ? kOwn : kNone);
            w.u8(0);
        }
    }
    for (int i = 0; i < kTimerCount; ++i) {
        const TimerSet::Slot& t = d.timers.saved(TimerId(i));
        w.u8(t.enabled ? 1 : 0);
        w.i32(t.interval);
        w.i64(t.due);
        w.u64(t.period);
    }
    const std::string random = parts.random.state();
    w.bytes(std::span(reinterpret_cast<const std::uint8_t*>(random.data()), random.size()));
    w.i64(parts.clock.ms_at_zero());
    w.i64(parts.mixer.position());
    w.u32(std::uint32_t(parts.mixer.voices().size()));
    for (const auto& v : parts.mixer.voices()) {
        w.u8(std::uint8_t(v.sample));
        w.i64(v.start);
        w.i64(v.end);
    }
    w.bytes(front.first(std::min(front.size(), kDeviceStateFrontBytes)));

    Writer head;
    head.u8('Q');
    head.u8('5');
    head.u8('0');
    head.u8('S');
    head.u32(kDeviceStateVersion);
    head.u32(std::uint32_t(w.out.size()));
    head.u32(crc32(w.out));
    std::vector<std::uint8_t> out = std::move(head.out);
    out.insert(out.end(), w.out.begin(), w.out.end());
    out.resize(kDeviceStateBytes, 0);
    return out;
}

bool load_device_state(std::span<const std::uint8_t> bytes, DeviceParts& parts,
                       std::vector<std::uint8_t>& front, std::string& why,
                       const FrontCheck& front_fits) {
    Reader head(bytes);
    head.u32(); // the mark, compared below as text
    const std::uint32_t version = head.u32();
    const std::uint32_t length = head.u32();
    const std::uint32_t crc = head.u32();
    if (!head.ok() || std::memcmp(bytes.data(), "Q50S", 4) != 0) {
        why = "not a saved state of this device";
        return false;
    }
    if (version != kDeviceStateVersion) {
        why = "a saved state of version " + std::to_string(version) + ", this device reads " +
              std::to_string(kDeviceStateVersion);
        return false;
    }
    if (length > bytes.size() - kHeaderBytes) {
        why = "the saved state is cut short";
        return false;
    }
    const auto payload = bytes.subspan(kHeaderBytes, length);
    if (crc32(payload) != crc) {
        why = "the saved state is damaged (its checksum does not match)";
        return false;
    }
    Reader r(payload);
    Device& d = parts.device;
    auto s = decode(r, d, why);
    if (!s) return false;
    if (!parts.mixer.can_restore(s->mixer_position, s->voices)) {
        why = "its sounds do not fit the mixer";
        return false;
    }
    DeviceRandom check;
    if (!check.set_state(s->random)) {
        why = "its random generator is damaged";
        return false;
    }

    if (front_fits && !front_fits(s->front, s->now)) {
        why = "the front end's part of it is damaged";
        return false;
    }

    // Checked: from here on nothing is refused.
    parts.random.set_state(s->random);
    parts.clock.set_ms_of_day(s->clock);
    d.timers.restore(s->timers, s->now);
    const auto refs = d.variables();
    for (std::size_t i = 0; i < refs.size(); ++i) {
        if (refs[i].flag)
            *refs[i].flag = s->variables[i] != 0;
        else
            *refs[i].integer = s->variables[i];
    }
    d.Enemy_Flame = s->flame;
    d.Speed_Table = s->speed;
    Board& board = d.board;
    auto& segs = board.segments();
    // Own pictures and none first, so that every copy below takes its source's own picture.
    for (std::size_t i = 0; i < segs.size(); ++i) {
        Segment& seg = segs[i];
        board.set_shown(seg, s->segments[i].shown);
        if (s->segments[i].kind == kNone) {
            board.clear_picture(seg);
        } else if (s->segments[i].kind == kOwn) {
            const Picture own = i < parts.own_pictures.size() ? parts.own_pictures[i] : nullptr;
            if (seg.picture_source || seg.picture != own) board.set_picture(seg, own);
        }
    }
    for (std::size_t i = 0; i < segs.size(); ++i) {
        if (s->segments[i].kind != kCopy) continue;
        Segment& seg = segs[i];
        const Segment& src = segs[s->segments[i].source];
        if (seg.picture_source != board.id_of(src) || seg.picture != src.picture)
            board.copy_picture(seg, src);
    }
    parts.mixer.restore(s->mixer_position, s->voices);
    front = std::move(s->front);
    return true;
}

} // namespace q50
