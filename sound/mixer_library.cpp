#include "sound/mixer_library.h"

#include "sound/run_time_library.h"

#include <dlfcn.h>

namespace q50 {

namespace {

constexpr const char* kLibraryName = "libSDL2_mixer-2.0.so.0";
std::string open_error;

const MixerLibrary* open_mixer() {
    RunTimeLibrary library(kLibraryName, "the sound mixer library");
    static MixerLibrary mixer{};
    const bool complete = library.find("Mix_OpenAudio", mixer.OpenAudio) &&
                          library.find("Mix_AllocateChannels", mixer.AllocateChannels) &&
                          library.find("Mix_LoadWAV_RW", mixer.LoadWAV_RW) &&
                          library.find("Mix_PlayChannelTimed", mixer.PlayChannelTimed) &&
                          library.find("Mix_HaltChannel", mixer.HaltChannel) &&
                          library.find("Mix_FreeChunk", mixer.FreeChunk) &&
                          library.find("Mix_CloseAudio", mixer.CloseAudio) &&
                          library.find("Mix_Pause", mixer.Pause) &&
                          library.find("Mix_Resume", mixer.Resume) &&
                          library.find("Mix_Volume", mixer.Volume);
    open_error = library.error();
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
