#pragma once
// A shared library opened at run time, and its functions looked up by name into a table of
// pointers. The library stays open for the rest of the run: what it made (devices, chunks,
// controllers) may outlive any one caller.
#include <dlfcn.h>

#include <string>

namespace q50 {

class RunTimeLibrary {
  public:
    // `what` names the library in messages ("SDL", "the sound mixer library").
    RunTimeLibrary(const char* file, std::string what) : file_(file), what_(std::move(what)) {
        handle_ = dlopen(file, RTLD_NOW | RTLD_LOCAL);
        if (!handle_) {
            const char* why = dlerror();
            error_ = what_ + " could not be loaded: " + (why ? why : file);
        }
    }
    bool opened() const { return handle_ != nullptr; }
    // Fills `fn`; on a missing function notes which one (the first missing one is kept).
    template <typename F> bool find(const char* name, F& fn) {
        fn = handle_ ? reinterpret_cast<F>(dlsym(handle_, name)) : nullptr;
        if (!fn && error_.empty()) error_ = what_ + " lacks the function " + name + ": " + file_;
        return fn != nullptr;
    }
    const std::string& error() const { return error_; }

  private:
    const char* file_;
    std::string what_;
    void* handle_ = nullptr;
    std::string error_;
};

} // namespace q50
