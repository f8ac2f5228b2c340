#include "shell/core/catch_up.h"

#include <algorithm>

namespace q50 {

std::string catch_up_command(const Stall& s) {
    return std::string(kCatchUpWord) + ' ' + std::to_string(s.gap);
}

std::optional<Stall> catch_up_live(Device& d, std::int64_t t) {
    const std::int64_t from = d.now();
    if (!d.catch_up_to(t)) return std::nullopt;
    return Stall{d.now(), d.now() - from};
}

void replay_stall(Device& d, const Stall& s) {
    d.advance_to(s.from());
    d.catch_up_to(s.at);
}

void CatchUp::set_schedule(std::function<std::optional<ReplayDue>()> next,
                           std::function<void()> run) {
    next_ = std::move(next);
    run_ = std::move(run);
}

void CatchUp::to(std::int64_t t, const std::function<bool()>& halt) {
    while (!(halt && halt())) {
        const auto due = pending();
        if (!due || due->at > t) break;
        device_.advance_to(due->from);
        run_();
    }
    if (const auto due = pending()) {
        // Exact, and not into a recorded stall before its line.
        device_.advance_to(std::min(t, due->from));
        return;
    }
    if (const auto stall = catch_up_live(device_, t); stall && on_stall) on_stall(*stall);
}

std::optional<std::int64_t> CatchUp::next_due() const {
    auto step = device_.next_due();
    const auto due = pending();
    if (!due) return step;
    if (step && *step <= due->from) return step;
    return due->at;
}

} // namespace q50
