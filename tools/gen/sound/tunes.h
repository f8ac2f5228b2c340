#pragma once
#include "synth.h"

#include <string>
#include <vector>

namespace q50gen {

struct SoundFile {
    std::string stem; // "Bombfall", ... as the device names its samples
    Track track;
};

// The eighteen sounds of the device, each sized to the moment the game gives it.
std::vector<SoundFile> device_sounds();

} // namespace q50gen
