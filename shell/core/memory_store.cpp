#include "shell/core/memory_store.h"

namespace q50 {

std::optional<std::string> MemoryStore::read_text(std::string_view name) {
    auto it = values_.find(name);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

bool MemoryStore::write_text(std::string_view name, std::string_view text) {
    if (refuse_writes) return false;
    values_[std::string(name)] = std::string(text);
    if (on_write) on_write(std::string(name), std::string(text));
    return true;
}

void MemoryStore::preset(std::string_view name, std::string_view text) {
    values_[std::string(name)] = std::string(text);
}

} // namespace q50
