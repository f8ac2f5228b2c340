#pragma once
// Turns what the device does into the trace tool's output lines, "T KIND ARGS".
#include "board/board.h"
#include "host/services.h"

#include <array>
#include <ostream>
#include <string>

namespace q50 {
class Device;
}

namespace q50::trace {

struct Rig;

class EventPrinter : public BoardObserver, public MessageSink {
  public:
    EventPrinter(std::ostream& out, Device& device);
    // Hooks the printer to the board, the mode hub, the sound recorder and the store.
    void attach(Rig& rig);

    void shown_changed(const Segment& s) override;
    void picture_changed(const Segment& s) override;
    void error(const std::string& text) override;

    // Every variable, every timer and the lit segments.
    void dump();

  private:
    std::ostream& line();
    // "-" for an empty picture, the segment whose picture it copies, or "?" for a picture
    // of its own.
    static std::string source_of(const Segment& s);

    std::ostream& out_;
    Device& dev_;
    // What each digit position and the movement pad were last reported as, so that a
    // repeated picture is not reported again.
    std::array<std::string, 5> digit_{"", "-", "-", "-", "-"};
    std::string pad_ = "-";
};

} // namespace q50::trace
