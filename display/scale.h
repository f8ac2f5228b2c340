#pragma once
// How big the device is shown: the arithmetic of zoom, fit-to-screen, fullscreen and the
// screen's device-pixel ratio, and the way back from a window pixel to a design pixel. The
// board stays in design pixels; only the presentation multiplies.
//
// A "total" scale counts physical pixels per design pixel (zoom times device-pixel ratio).
// Whole-number total scales are drawn by pixel replication and so stay pixel exact.
#include <cstdint>
#include <optional>
#include <vector>

namespace q50 {

struct PixelSize {
    int width = 0;
    int height = 0;
    bool operator==(const PixelSize&) const = default;
};

// The stored `Zoom`: 0 fits the screen, 100..400 in steps of 100 are fixed percentages.
inline constexpr int kZoomFit = 0;
inline constexpr int kZoomSteps[] = {100, 200, 300, 400};
// Any other stored number means fit.
int valid_zoom(std::int32_t stored);
// The stored `FullscreenZoom`: 0 fits the screen, 100 is the design size; anything else fit.
int valid_fullscreen_zoom(std::int32_t stored);

// Windowed fit: the largest whole total scale at which the device fits in 90 % of the
// available area (both in physical pixels); a smaller fractional scale when not even 1 fits.
double windowed_fit_scale(PixelSize device, PixelSize available);
// Fullscreen fit: the largest scale at which the device fits the screen; its whole part when
// that still reaches 90 % of it (pixel exact and nearly as big), else the fractional scale.
double fullscreen_fit_scale(PixelSize device, PixelSize screen);
// The whole scale just above a fractional fullscreen fit (0 when the fit is whole): the device
// is drawn there instead when all of it that can show still lies on the screen, which only
// see-through margins of its pictures may overflow. Pixel exact, and nothing to resample.
double fullscreen_snap_scale(PixelSize device, PixelSize screen);

// The total scale of the windowed device for a stored zoom. A fixed zoom that would not fit
// in the available area falls back to fit, so the window never runs off the screen.
double windowed_total_scale(int zoom, PixelSize device, PixelSize available, double ratio);
// The total scale in fullscreen for a stored fullscreen zoom (100: the design size times the
// device-pixel ratio).
double fullscreen_total_scale(int fullscreen_zoom, PixelSize device, PixelSize screen,
                              double ratio);

// Whether a fixed zoom shows the whole device in the available area (else it would be fit).
bool zoom_fits(int zoom, PixelSize device, PixelSize available, double ratio);

// A stored zoom the windowed device can take on a screen, and the zoom it shows there (window
// pixels per design pixel).
struct ZoomChoice {
    int zoom = kZoomFit;
    double shown = 1.0;
};
// Fit and every fixed zoom that fits, from the smallest shown to the largest; a fixed zoom
// comes before fit where both show the same.
std::vector<ZoomChoice> windowed_zoom_choices(PixelSize device, PixelSize available, double ratio);
// The stored zoom a "+" (or "-") leads to from the zoom shown: the choice nearest above (or
// below) it; none at the largest (or smallest), so that "-" never enlarges and "+" never
// shrinks.
std::optional<int> zoom_step(double shown_zoom, bool up, const std::vector<ZoomChoice>& choices);

// A length of design pixels at a total scale, in whole physical pixels (rounded).
int scaled_length(int design, double scale);
PixelSize scaled_size(PixelSize design, double scale);
// The screen in design pixels for the skin loader: enough design pixels that, drawn at the
// scale, they cover the whole screen.
PixelSize screen_in_design(PixelSize screen, double scale);

// The design pixel under physical pixel `pixel` at a total scale: the one that holds the
// pixel's centre, so that at whole scales each design pixel owns exactly its block.
int design_pixel(int pixel, double scale);

bool is_whole(double scale);

} // namespace q50
