// The segment catalogue of docs/skin-making.md: made from the board's tables, complete, and
// not left behind by a change to them.
#include "catalogue.h"

#include "display/skin_loader.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace {

namespace fs = std::filesystem;

TEST(SkinCatalogue, TheDocumentHoldsTheCatalogueTheToolWritesNow) {
    const fs::path doc = fs::path(Q50_SOURCE_DIR) / "docs/skin-making.md";
    const std::string text = q50::test::read_file(doc);
    const std::string now =
        q50doc::with_catalogue(text, q50doc::catalogue_markdown("../data/Graphics/Skin"));
    ASSERT_FALSE(now.empty()) << "markers missing";
    EXPECT_TRUE(now == text)
        << "docs/skin-making.md is out of date: run build/tools/q50-skin-doc docs/skin-making.md";
}

TEST(SkinCatalogue, EverySegmentHasItsRowWithRectangleLayerMeaningAndPicture) {
    const std::string cat = q50doc::catalogue_markdown("../data/Graphics/Skin");
    const auto& names = q50::skin_image_names();
    const std::regex row(
        R"(\| `Image(\d+)` \| `([a-z0-9_]+)` \| -?\d+, -?\d+, \d+ x \d+ \| \d+ \| ([^|]+) \| ([^|]+) \|)");
    int rows = 0;
    for (auto it = std::sregex_iterator(cat.begin(), cat.end(), row); it != std::sregex_iterator();
         ++it, ++rows) {
        const int i = std::stoi((*it)[1]);
        ASSERT_EQ(i, rows + 1);
        EXPECT_EQ((*it)[2], std::string(names[std::size_t(i)]));
        EXPECT_GT((*it)[3].length(), 3u) << (*it)[2] << " says nothing about what it shows";
        const std::string picture = (*it)[4];
        const std::smatch m = *it;
        if (picture.find("![") != std::string::npos) {
            const fs::path file =
                fs::path(Q50_SOURCE_DIR) / "data/Graphics/Skin" / (std::string(m[2]) + ".png");
            EXPECT_TRUE(fs::is_regular_file(file)) << file;
        }
    }
    EXPECT_EQ(rows, q50::kSkinImageCount);
    EXPECT_NE(cat.find("| `Image83` | `im_enemy_1_flame_2` | 166, 186, 21 x 15 | 98 | enemy 1's "
                       "flame, frame 2 (LCD) |"),
              std::string::npos);
}

TEST(SkinCatalogue, MissingMarkersAreReportedNotGuessed) {
    EXPECT_TRUE(q50doc::with_catalogue("no markers here", "x").empty());
    const std::string doc = std::string("a\n") + std::string(q50doc::kBegin) + "\nold\n" +
                            std::string(q50doc::kEnd) + "\nb\n";
    EXPECT_EQ(q50doc::with_catalogue(doc, "new\n"), "a\n" + std::string(q50doc::kBegin) +
                                                        "\n\nnew\n\n" + std::string(q50doc::kEnd) +
                                                        "\nb\n");
}

} // namespace
