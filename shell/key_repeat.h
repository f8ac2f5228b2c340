#pragma once
// A held key must reach the windows as repeated presses and one release. X11 by default sends a
// release before every repeated press, and Qt can only guess which of those releases are repeats
// (by peeking for a press with the same time stamp that may not have arrived yet), so many of
// them come through as real releases. XKB's "detectable auto-repeat" makes the server itself
// leave those releases out for this client.

namespace q50 {

// Asks the X server of the application's display connection for detectable auto-repeat. False
// on other window systems (Wayland marks its repeats reliably) or when the server refuses.
bool use_detectable_auto_repeat();

} // namespace q50
