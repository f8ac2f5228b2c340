#pragma once
// Turns what the device does into the trace tool's output lines, "T KIND ARGS". The desktop
// writes the same lines when asked, so that a recorded run and its replay can be compared.
#include "board/board.h"
#include "host/services.h"
#include "host/settings_store.h"

#include <array>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace q50 {
class Device;
}

namespace q50 {

class EventPrinter : public BoardObserver, public MessageSink {
  public:
    EventPrinter(std::ostream& out, Device& device);
    // Hooks the printer to the board and the mode hub; sound calls and store writes are told
    // with sound() and stored() by whoever sees them.
    void attach();
    void sound(std::string_view what); // a sample's name, or "silence"
    void stored(const std::string& name, const std::string& text);

    void shown_changed(const Segment& s) override;
    void picture_changed(const Segment& s) override;
    void error(const std::string& text) override;
    // What the program writes on standard error is reported like a message box.
    void notice(const std::string& text) override;

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

} // namespace q50

namespace q50 {

// A sound sink that tells a listener of every call before handing it on.
class ToldSound : public SoundSink {
  public:
    explicit ToldSound(SoundSink& inner) : inner_(inner) {}
    void play(Sample s) override {
        if (told) told(sample_name(s));
        inner_.play(s);
    }
    void silence() override {
        if (told) told("silence");
        inner_.silence();
    }
    std::function<void(std::string_view)> told;

  private:
    SoundSink& inner_;
};

// A store that tells a listener of every write it keeps.
class ToldStore : public SettingsStore {
  public:
    explicit ToldStore(SettingsStore& inner) : inner_(inner) {}
    std::optional<std::string> read_text(std::string_view name) override {
        return inner_.read_text(name);
    }
    bool write_text(std::string_view name, std::string_view text) override {
        const bool kept = inner_.write_text(name, text);
        if (told) told(std::string(name), std::string(text));
        return kept;
    }
    bool write_texts(const Texts& values) override {
        const bool kept = inner_.write_texts(values);
        if (told)
            for (const auto& [name, text] : values) told(std::string(name), text);
        return kept;
    }
    std::function<void(const std::string&, const std::string&)> told;

  private:
    SettingsStore& inner_;
};

} // namespace q50
