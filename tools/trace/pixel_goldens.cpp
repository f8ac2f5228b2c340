#include "tools/trace/pixel_goldens.h"

#include "display/picture_file.h"
#include "display/png_writer.h"

#include <algorithm>
#include <cstdio>
#include <system_error>
#include <utility>

namespace q50::trace {

PixelDifference compare_pixels(const Image& kept, const Image& painted) {
    const int w = std::max(kept.width, painted.width);
    const int h = std::max(kept.height, painted.height);
    PixelDifference d;
    d.picture = Image(w, h);
    constexpr Argb kRed = argb(255, 255, 0, 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool in_kept = x < kept.width && y < kept.height;
            const bool in_painted = x < painted.width && y < painted.height;
            if (in_kept && in_painted && kept.at(x, y) == painted.at(x, y)) {
                const Argb p = kept.at(x, y);
                const int bright = (int((p >> 16) & 0xff) + int((p >> 8) & 0xff) + int(p & 0xff)) *
                                   alpha_of(p) / (3 * 255);
                const auto grey = std::uint8_t(32 + bright / 4);
                d.picture.at(x, y) = argb(255, grey, grey, grey);
                continue;
            }
            ++d.pixels;
            d.picture.at(x, y) = kRed;
        }
    }
    return d;
}

PixelGoldens::PixelGoldens(std::filesystem::path base, std::filesystem::path failed, Renew renew)
    : base_(std::move(base)), failed_(std::move(failed)), renew_(renew) {}

std::filesystem::path PixelGoldens::numbered(const std::filesystem::path& base,
                                             const char* ending) const {
    char number[16];
    std::snprintf(number, sizeof number, ".%04d", count_);
    return base.string() + number + ending;
}

void PixelGoldens::check(const Image& frame, int line) {
    ++count_;
    const std::filesystem::path kept = numbered(base_, ".png");
    const std::string which =
        "snapshot " + std::to_string(count_) + " (line " + std::to_string(line) + ")";
    std::error_code ec;
    const bool present = std::filesystem::exists(kept, ec);
    std::string why;
    if (renew_ == Renew::All || (renew_ == Renew::Missing && !present)) {
        if (!write_png(frame, kept, &why)) failures_.push_back(which + ": " + why);
        return;
    }
    std::string problem;
    Image difference;
    if (!present) {
        problem = "no kept picture " + kept.string();
    } else if (PictureLoad load = load_picture_file(kept); !load) {
        problem = "the kept picture cannot be read: " + load.error;
    } else if (PixelDifference d = compare_pixels(*load.picture, frame); d.pixels > 0) {
        problem = "differs from " + kept.string() + " in " + std::to_string(d.pixels) + " pixels";
        if (load.picture->width != frame.width || load.picture->height != frame.height)
            problem += " (kept " + std::to_string(load.picture->width) + "x" +
                       std::to_string(load.picture->height) + ", painted " +
                       std::to_string(frame.width) + "x" + std::to_string(frame.height) + ")";
        difference = std::move(d.picture);
    } else {
        // Pictures of an earlier failure would now mislead.
        std::filesystem::remove(numbered(failed_, ".png"), ec);
        std::filesystem::remove(numbered(failed_, ".diff.png"), ec);
        return;
    }
    // What was painted, and where it differs, for a look before renewing the kept picture.
    if (!failed_.parent_path().empty())
        std::filesystem::create_directories(failed_.parent_path(), ec);
    const std::filesystem::path painted = numbered(failed_, ".png");
    if (write_png(frame, painted, &why))
        problem += "; painted: " + painted.string();
    else
        problem += "; the painted picture could not be written: " + why;
    if (!difference.empty()) {
        const std::filesystem::path diff = numbered(failed_, ".diff.png");
        if (write_png(difference, diff, &why)) problem += ", difference: " + diff.string();
    }
    failures_.push_back(which + ": " + problem);
}

} // namespace q50::trace
