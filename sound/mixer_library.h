#pragma once
// SDL2_mixer opened at run time, the first time a sound output is chosen. The mixer pulls in
// a chain of decoders and sound servers' libraries; a program that runs without sound, or has
// not yet been asked for it, loads none of them.
#include <SDL_mixer.h>

#include <string>

namespace q50 {

// The few mixer functions the sound output calls.
struct MixerLibrary {
    int (*OpenAudio)(int frequency, Uint16 format, int channels, int chunksize);
    int (*AllocateChannels)(int numchans);
    Mix_Chunk* (*LoadWAV_RW)(SDL_RWops* src, int freesrc);
    int (*PlayChannelTimed)(int channel, Mix_Chunk* chunk, int loops, int ticks);
    int (*HaltChannel)(int channel);
    void (*FreeChunk)(Mix_Chunk* chunk);
    void (*CloseAudio)();
    void (*Pause)(int channel);
    void (*Resume)(int channel);
    int (*Volume)(int channel, int volume);
};

// The mixer, opened once and kept to the end; null when the library or one of its functions
// is missing, which shows as a sound output that could not start.
const MixerLibrary* mixer_library();

// Why mixer_library() gave null, for the user.
std::string mixer_library_error();

// Whether the mixer's library is in the process (opened by mixer_library() or linked).
bool mixer_library_loaded();

} // namespace q50
