// Writes a picture bomb for the end-to-end tests:
//   q50-e2e-bombs png W H FILE | rle W H FILE | jpeg W H SCANS FILE
#include "../support/picture_bombs.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    namespace bombs = q50::test::bombs;
    const std::string kind = argc > 1 ? argv[1] : "";
    const int files_at = kind == "jpeg" ? 5 : 4;
    if (argc != files_at + 1 || (kind != "png" && kind != "rle" && kind != "jpeg")) {
        std::fprintf(stderr, "usage: q50-e2e-bombs png W H FILE | rle W H FILE | "
                             "jpeg W H SCANS FILE\n");
        return 2;
    }
    const int w = std::atoi(argv[2]), h = std::atoi(argv[3]);
    const bombs::Bytes bytes = kind == "png"   ? bombs::png(std::uint32_t(w), std::uint32_t(h))
                               : kind == "rle" ? bombs::rle(std::uint32_t(w), std::uint32_t(h))
                                               : bombs::jpeg_scans(w, h, std::atoi(argv[4]));
    bombs::write(argv[files_at], bytes);
    return 0;
}
