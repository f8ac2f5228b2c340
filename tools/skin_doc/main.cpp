// Rewrites the segment catalogue in docs/skin-making.md from the board's tables:
//   q50-skin-doc DOCS/skin-making.md
#include "catalogue.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DOCS/skin-making.md\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string doc((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string out =
        q50doc::with_catalogue(doc, q50doc::catalogue_markdown("../data/Graphics/Skin"));
    if (out.empty()) {
        std::fprintf(stderr, "%s: the catalogue markers are missing\n", argv[1]);
        return 1;
    }
    std::ofstream(argv[1], std::ios::binary) << out;
    return 0;
}
