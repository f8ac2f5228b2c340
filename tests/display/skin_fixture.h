#pragma once
// A scratch installation for skin loader tests: bin/ holds Config.ini (beside the
// "executable"), run/ is the current directory that picture directories are relative to.
#include "display/skin_loader.h"
#include "tests/display/picture_makers.h"

#include <gtest/gtest.h>
#include <string>

namespace q50::test {

class SkinFixture : public ::testing::Test {
  protected:
    ScratchDir tmp;
    Board board;
    WindowModel window;
    RecordingSink sink;

    std::filesystem::path exe_dir() const { return tmp / "bin"; }
    std::filesystem::path run_dir() const { return tmp / "run"; }

    void config(const std::string& text) const { tmp.write_text("bin/Config.ini", text); }
    // A file relative to the current directory.
    void file(const std::string& name, const Bytes& bytes) const {
        tmp.write("run/" + name, bytes);
    }

    SkinLoadResult load(bool fullscreen, int screen_w = 1024, int screen_h = 768) {
        SkinEnvironment env;
        env.executable_dir = exe_dir();
        env.current_dir = run_dir();
        env.Fullscreen_Mode = fullscreen;
        env.screen_width = screen_w;
        env.screen_height = screen_h;
        return Load_Skin(board, window, env, sink);
    }

    Segment& seg(std::string_view name) { return board.named(name); }
};

// A bitmap of one colour with a different bottom-left pixel.
inline Bytes keyed_bmp(int w, int h, Argb body, Argb corner) {
    Image img(w, h, body);
    img.at(0, h - 1) = corner;
    return bmp_file(BmpLayout{w, h, 24}, pack_rgb(img, 24, false));
}

inline Bytes solid_png(int w, int h, Argb colour) {
    return png_of(Image(w, h, colour));
}

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Sections [Image<from>] .. [Image<to>], each naming `file` for a 4 x 4 rectangle.
inline std::string images_naming(const std::string& file, int from, int to) {
    std::string ini;
    for (int i = from; i <= to; ++i)
        ini += "[Image" + std::to_string(i) + "]\nFilename=" + file + "\nWidth=4\nHeight=4\n";
    return ini;
}

} // namespace q50::test
