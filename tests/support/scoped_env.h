#pragma once
// An environment variable set, or unset, for one scope; afterwards it is as it was.
#include <cstdlib>
#include <optional>
#include <string>

namespace q50::test {

class ScopedEnv {
  public:
    // nullopt unsets the variable.
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    // A null value unsets the variable.
    ScopedEnv(const char* name, const char* value)
        : ScopedEnv(name, value ? std::optional<std::string>(value) : std::nullopt) {}
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_.c_str(), old_->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    std::optional<std::string> old_;
};

} // namespace q50::test
