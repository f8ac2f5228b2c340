// Writes the eighteen device sounds: q50-gen-sound OUTPUT_FOLDER
#include "tunes.h"

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);
    for (const auto& s : q50gen::device_sounds()) {
        const auto path = (dir / (s.stem + ".wav")).string();
        if (!q50gen::write_file(path, q50gen::wav_bytes(s.track.samples()))) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%-9s %6.0f ms\n", s.stem.c_str(), s.track.length_ms());
    }
    return 0;
}
