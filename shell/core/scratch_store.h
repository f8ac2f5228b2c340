#pragma once
// A store in front of another: while a scratch is in use, writes stay in it and reads see them
// (and the values it began with) first. A recording played back in the window writes its high
// scores and settings here, never into the player's own store.
#include "host/settings_store.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace q50 {

class ScratchStore : public SettingsStore {
  public:
    explicit ScratchStore(SettingsStore& inner) : inner_(inner) {}

    void begin(const std::vector<std::pair<std::string, std::string>>& values) {
        scratch_.clear();
        for (const auto& [name, text] : values) scratch_[name] = text;
        active_ = true;
    }
    void end() {
        scratch_.clear();
        active_ = false;
    }
    bool active() const { return active_; }

    std::optional<std::string> read_text(std::string_view name) override {
        if (active_)
            if (auto it = scratch_.find(std::string(name)); it != scratch_.end()) return it->second;
        return inner_.read_text(name);
    }
    bool write_text(std::string_view name, std::string_view text) override {
        if (!active_) return inner_.write_text(name, text);
        scratch_[std::string(name)] = std::string(text);
        return true;
    }
    bool write_texts(const Texts& values) override {
        if (!active_) return inner_.write_texts(values);
        return SettingsStore::write_texts(values);
    }
    bool update_text(std::string_view name, const TextChange& change) override {
        if (!active_) return inner_.update_text(name, change);
        return SettingsStore::update_text(name, change);
    }

  private:
    SettingsStore& inner_;
    bool active_ = false;
    std::map<std::string, std::string> scratch_;
};

} // namespace q50
