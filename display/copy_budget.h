#pragma once
// What the copies of pictures brought to the output's scale may take together.
//
// The decoded pictures have a budget of their own (picture_budget.h), but a painter that draws a
// skin larger than its design keeps copies at the output's scale: at 400 % a copy takes sixteen
// times its picture. Only what shows is ever copied (a picture is cut to its rectangle and to
// the output first); what remains is charged here, and a copy that would pass the budget, or
// whose memory cannot be had, is not made. Its segment then shows nothing at that scale, and the
// refusal waits here until the window tells the user.
#include "board/image.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace q50 {

constexpr std::int64_t kScaledCopyBudgetBytes = 512ll * 1024 * 1024;

class CopyBudget {
  public:
    explicit CopyBudget(std::int64_t limit = kScaledCopyBudgetBytes) : limit_(limit) {}

    struct Refusal {
        const Image* source = nullptr; // the picture the copy was to be made of
        std::int64_t bytes = 0;        // what the copy would have taken
        bool out_of_memory = false;    // its allocation failed (else: the budget refused it)
    };

    // A copy of `source` that takes `bytes`, made by `make` when it fits what is left: charged
    // until given back. Null when it does not fit or its memory cannot be had.
    Picture make(const Image* source, std::int64_t bytes, const std::function<Image()>& make);
    // Work on a copy that is let go before it returns (within the output's size, so not
    // charged): false, with a refusal, when its memory cannot be had.
    bool attempt(const Image* source, std::int64_t bytes, const std::function<void()>& work);
    void give_back(std::int64_t bytes);

    std::int64_t limit() const { return limit_; }
    void set_limit(std::int64_t limit) { limit_ = limit; }
    std::int64_t used() const { return used_; }
    std::int64_t left() const { return limit_ > used_ ? limit_ - used_ : 0; }
    // The refusals since the last call.
    std::vector<Refusal> take_refusals();

  private:
    std::int64_t limit_;
    std::int64_t used_ = 0;
    std::vector<Refusal> refusals_;
};

// What a refusal says about the picture from `file` (empty: not known).
std::string refusal_text(const CopyBudget::Refusal& r, const std::string& file, std::int64_t limit);

} // namespace q50
