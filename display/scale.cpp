#include "display/scale.h"

#include <algorithm>
#include <cmath>

namespace q50 {

namespace {

// Floating point makes 3.0000000001 of a whole 3; these sizes never need finer.
constexpr double kSlack = 1e-9;

double limit(PixelSize device, PixelSize area) {
    if (device.width <= 0 || device.height <= 0 || area.width <= 0 || area.height <= 0) return 1.0;
    return std::min(double(area.width) / device.width, double(area.height) / device.height);
}

} // namespace

bool is_whole(double scale) {
    return std::abs(scale - std::round(scale)) < kSlack;
}

int valid_zoom(std::int32_t stored) {
    for (int z : kZoomSteps)
        if (stored == z) return z;
    return kZoomFit;
}

int valid_fullscreen_zoom(std::int32_t stored) {
    return stored == 100 ? 100 : kZoomFit;
}

double windowed_fit_scale(PixelSize device, PixelSize available) {
    const double most = 0.9 * limit(device, available);
    const double whole = std::floor(most + kSlack);
    return whole >= 1 ? whole : most;
}

double fullscreen_fit_scale(PixelSize device, PixelSize screen) {
    const double most = limit(device, screen);
    const double whole = std::floor(most + kSlack);
    return whole >= 1 && whole >= 0.9 * most - kSlack ? whole : most;
}

double fullscreen_snap_scale(PixelSize device, PixelSize screen) {
    const double fit = fullscreen_fit_scale(device, screen);
    return is_whole(fit) ? 0.0 : std::ceil(fit);
}

double windowed_total_scale(int zoom, PixelSize device, PixelSize available, double ratio) {
    const PixelSize physical{int(std::lround(available.width * ratio)),
                             int(std::lround(available.height * ratio))};
    const double fit = windowed_fit_scale(device, physical);
    if (zoom == kZoomFit) return fit;
    return zoom_fits(zoom, device, available, ratio) ? zoom / 100.0 * ratio : fit;
}

double fullscreen_total_scale(int fullscreen_zoom, PixelSize device, PixelSize screen,
                              double ratio) {
    if (fullscreen_zoom == 100) return ratio;
    const PixelSize physical{int(std::lround(screen.width * ratio)),
                             int(std::lround(screen.height * ratio))};
    return fullscreen_fit_scale(device, physical);
}

bool zoom_fits(int zoom, PixelSize device, PixelSize available, double ratio) {
    const PixelSize physical{int(std::lround(available.width * ratio)),
                             int(std::lround(available.height * ratio))};
    return zoom / 100.0 * ratio <= limit(device, physical) + kSlack;
}

std::vector<ZoomChoice> windowed_zoom_choices(PixelSize device, PixelSize available, double ratio) {
    std::vector<ZoomChoice> choices;
    for (int z : kZoomSteps)
        if (zoom_fits(z, device, available, ratio)) choices.push_back({z, z / 100.0});
    const double fit = windowed_total_scale(kZoomFit, device, available, ratio) / ratio;
    auto at = std::find_if(choices.begin(), choices.end(),
                           [fit](const ZoomChoice& c) { return c.shown > fit + kSlack; });
    choices.insert(at, {kZoomFit, fit});
    return choices;
}

std::optional<int> zoom_step(double shown_zoom, bool up, const std::vector<ZoomChoice>& choices) {
    if (up) {
        for (const ZoomChoice& c : choices)
            if (c.shown > shown_zoom + kSlack) return c.zoom;
    } else {
        for (auto it = choices.rbegin(); it != choices.rend(); ++it)
            if (it->shown < shown_zoom - kSlack) return it->zoom;
    }
    return std::nullopt;
}

int scaled_length(int design, double scale) {
    return int(std::lround(design * scale));
}

PixelSize scaled_size(PixelSize design, double scale) {
    return {scaled_length(design.width, scale), scaled_length(design.height, scale)};
}

PixelSize screen_in_design(PixelSize screen, double scale) {
    if (scale <= 0) return screen;
    return {int(std::ceil(screen.width / scale - kSlack)),
            int(std::ceil(screen.height / scale - kSlack))};
}

int design_pixel(int pixel, double scale) {
    return int(std::floor((pixel + 0.5) / scale));
}

} // namespace q50
