// q50-core-frame: the tests' headless frontend as a program, for the end-to-end test in real
// RetroArch: it makes the files RetroArch starts from and the frames it must show.
//
//   q50-core-frame run SYSTEM_DIR CONTENT PLAY IDLE OUT_DIR [KEY=VALUE ...]
//       loads CONTENT (a skin's Config.ini, or - for none), plays the tests' scripted game for
//       PLAY frames and keeps the state and save RAM then (start.state, start.srm), lets go of
//       everything and runs IDLE frames more, writing each of the last three frames
//       (OUT_DIR/frame-N.png, N counted from the state) and at the end the state (end.state) and
//       save RAM (end.srm)
//   q50-core-frame compare A.png B.png
//       0 when the two pictures have the same colours pixel for pixel (alpha is not compared)
//
// Exit status 0 when done (and equal), 1 when the pictures differ, 2 on a usage error.
#include "display/decoders.h"
#include "display/png_writer.h"
#include "tests/libretro/core_frontend.h"
#include "tests/libretro/core_session.h"

#include <fstream>
#include <iostream>
#include <iterator>

using namespace q50;

namespace {

void write_file(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::optional<Image> read_png(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    Image image;
    std::string why;
    if (!decode_png(bytes, image, why)) {
        std::cerr << "q50-core-frame: " << path << ": " << why << "\n";
        return std::nullopt;
    }
    return image;
}

int compare(const std::string& a_path, const std::string& b_path) {
    const auto a = read_png(a_path), b = read_png(b_path);
    if (!a || !b) return 2;
    if (a->width != b->width || a->height != b->height) {
        std::cout << "q50-core-frame: " << a->width << "x" << a->height << " against " << b->width
                  << "x" << b->height << "\n";
        return 1;
    }
    std::size_t differ = 0;
    for (std::size_t i = 0; i < a->pixels.size(); ++i)
        differ += (a->pixels[i] & 0xffffffu) != (b->pixels[i] & 0xffffffu);
    std::cout << "q50-core-frame: " << differ << " of " << a->pixels.size() << " pixels differ\n";
    return differ == 0 ? 0 : 1;
}

int run(int argc, char** argv) {
    test::CoreFrontend f(argv[2]);
    const std::string content = argv[3];
    const int play = std::stoi(argv[4]), idle = std::stoi(argv[5]);
    const std::filesystem::path out = argv[6];
    for (int i = 7; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto eq = arg.find('=');
        if (eq == std::string::npos) return 2;
        f.set_option(arg.substr(0, eq), arg.substr(eq + 1));
    }
    if (!f.load(content == "-" ? std::nullopt : std::optional<std::filesystem::path>(content))) {
        for (const auto& line : f.log) std::cerr << line;
        return 2;
    }
    std::filesystem::create_directories(out);
    test::play(f, test::scripted_game(play), 0, play, [](int) {});
    write_file(out / "start.state", f.save_state());
    write_file(out / "start.srm", f.save_ram());
    f.pads = {};
    for (int n = 1; n <= idle; ++n) {
        f.run();
        if (n + 3 <= idle) continue;
        const test::CoreFrame& frame = f.frame();
        Image image(int(frame.width), int(frame.height));
        for (std::size_t i = 0; i < frame.pixels.size(); ++i)
            image.pixels[i] = 0xff000000u | frame.pixels[i];
        std::string why;
        if (!write_png(image, out / ("frame-" + std::to_string(n) + ".png"), &why)) {
            std::cerr << "q50-core-frame: " << why << "\n";
            return 2;
        }
    }
    write_file(out / "end.state", f.save_state());
    write_file(out / "end.srm", f.save_ram());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "compare" && argc == 4) return compare(argv[2], argv[3]);
    if (mode == "run" && argc >= 7) return run(argc, argv);
    std::cerr
        << "usage: q50-core-frame run SYSTEM_DIR CONTENT|- PLAY IDLE OUT_DIR [KEY=VALUE ...]\n"
           "       q50-core-frame compare A.png B.png\n";
    return 2;
}
