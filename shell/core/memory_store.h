#pragma once
// A settings store held in memory, for tests and the trace tool.
#include "host/settings_store.h"

#include <functional>
#include <map>

namespace q50 {

class MemoryStore : public SettingsStore {
  public:
    std::optional<std::string> read_text(std::string_view name) override;
    bool write_text(std::string_view name, std::string_view text) override;

    // Puts a value without telling the observer (a value stored before the program starts).
    void preset(std::string_view name, std::string_view text);
    const std::map<std::string, std::string, std::less<>>& values() const { return values_; }
    // Told about every write, in order.
    std::function<void(const std::string& name, const std::string& text)> on_write;
    // Every write fails, with nothing changed (a store file that cannot be written).
    bool refuse_writes = false;

  private:
    std::map<std::string, std::string, std::less<>> values_;
};

} // namespace q50
