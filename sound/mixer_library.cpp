#include "sound/mixer_library.h"

#include <dlfcn.h>

namespace q50 {

namespace {

constexpr const char* kLibraryName = "libSDL2_mixer-2.0.so.0";
std::string open_error;

template <typename F> bool find(void* library, const char* name, F& fn) {
    fn = reinterpret_cast<F>(dlsym(library, name));
    return fn != nullptr;
}

const MixerLibrary* open_mixer() {
    void* library = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* why = dlerror();
        open_error = std::string("the sound mixer library could not be loaded: ") +
                     (why ? why : kLibraryName);
        return nullptr;
    }
    static MixerLibrary mixer{};
    const bool complete = find(library, "Mix_OpenAudio", mixer.OpenAudio) &&
                          find(library, "Mix_AllocateChannels", mixer.AllocateChannels) &&
                          find(library, "Mix_LoadWAV_RW", mixer.LoadWAV_RW) &&
                          find(library, "Mix_PlayChannelTimed", mixer.PlayChannelTimed) &&
                          find(library, "Mix_HaltChannel", mixer.HaltChannel) &&
                          find(library, "Mix_FreeChunk", mixer.FreeChunk) &&
                          find(library, "Mix_CloseAudio", mixer.CloseAudio) &&
                          find(library, "Mix_Pause", mixer.Pause) &&
                          find(library, "Mix_Resume", mixer.Resume) &&
                          find(library, "Mix_Volume", mixer.Volume);
    // The library stays open: chunks and the device may outlive any one caller.
    if (!complete)
        open_error = std::string("the sound mixer library lacks a function: ") + kLibraryName;
    return complete ? &mixer : nullptr;
}

} // namespace

const MixerLibrary* mixer_library() {
    static const MixerLibrary* const mixer = open_mixer();
    return mixer;
}

std::string mixer_library_error() {
    mixer_library();
    return open_error;
}

bool mixer_library_loaded() {
    void* library = dlopen(kLibraryName, RTLD_NOW | RTLD_NOLOAD);
    if (!library) return false;
    dlclose(library);
    return true;
}

} // namespace q50
