#include "display/copy_budget.h"

#include "display/picture_budget.h"

#include <new>
#include <utility>

namespace q50 {

Picture CopyBudget::make(const Image* source, std::int64_t bytes,
                         const std::function<Image()>& make) {
    if (bytes > left()) {
        refusals_.push_back({source, bytes, false});
        return nullptr;
    }
    try {
        Picture copy = std::make_shared<const Image>(make());
        used_ += bytes;
        return copy;
    } catch (const std::bad_alloc&) {
        refusals_.push_back({source, bytes, true});
        return nullptr;
    }
}

bool CopyBudget::attempt(const Image* source, std::int64_t bytes,
                         const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (const std::bad_alloc&) {
        refusals_.push_back({source, bytes, true});
        return false;
    }
}

void CopyBudget::give_back(std::int64_t bytes) {
    used_ = used_ > bytes ? used_ - bytes : 0;
}

std::vector<CopyBudget::Refusal> CopyBudget::take_refusals() {
    return std::exchange(refusals_, {});
}

std::string refusal_text(const CopyBudget::Refusal& r, const std::string& file,
                         std::int64_t limit) {
    const std::string what = file.empty() ? std::string("A picture") : "\"" + file + "\"";
    if (r.out_of_memory)
        return what + " is not shown at this size: there is not enough memory for its copy at " +
               "the screen's scale (" + megabytes(r.bytes) + ")";
    return what + " is not shown at this size: its copy at the screen's scale would need " +
           megabytes(r.bytes) + ", more than is left of the " + megabytes(limit) +
           " that pictures brought to the screen's scale may take";
}

} // namespace q50
