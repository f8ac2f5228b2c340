#include "display/picture_file.h"
#include "display/png_writer.h"
#include "tests/display/picture_makers.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

namespace q50 {
namespace {

using test::Bytes;
using test::ScratchDir;

Bytes small_bmp() {
    Image img(2, 2, argb(255, 10, 20, 30));
    return test::bmp_file(test::BmpLayout{2, 2, 24}, test::pack_rgb(img, 24, false));
}

TEST(PictureFile, DecoderChosenByExtensionWithoutRegardToCase) {
    ScratchDir dir;
    Image img(3, 2, argb(255, 1, 2, 3));
    dir.write("a.PNG", test::png_of(img));
    dir.write("b.Jpeg", test::jpeg_of(img, false));
    dir.write("c.JPG", test::jpeg_of(img, true));
    dir.write("d.bMp", small_bmp());
    const std::pair<const char*, PictureKind> cases[] = {{"a.PNG", PictureKind::Png},
                                                         {"b.Jpeg", PictureKind::Jpeg},
                                                         {"c.JPG", PictureKind::Jpeg},
                                                         {"d.bMp", PictureKind::Bitmap}};
    for (auto [name, kind] : cases) {
        const PictureLoad p = load_picture_file(dir / name);
        ASSERT_TRUE(p) << name << ": " << p.error;
        EXPECT_EQ(p.kind, kind) << name;
    }
    // The extension decides, not the contents.
    dir.write("png-inside.bmp", test::png_of(img));
    const PictureLoad wrong = load_picture_file(dir / "png-inside.bmp");
    EXPECT_FALSE(wrong);
    EXPECT_NE(wrong.error.find("is not a valid bitmap picture (not a bitmap file)"),
              std::string::npos)
        << wrong.error;
    EXPECT_NE(wrong.error.find("png-inside.bmp"), std::string::npos);
}

TEST(PictureFile, ExtensionsWithoutDecoder) {
    ScratchDir dir;
    dir.write("x.gif", Bytes{1, 2, 3});
    EXPECT_EQ(load_picture_file(dir / "x.gif").error, "Unknown picture file extension (.gif)");
    EXPECT_EQ(load_picture_file(dir / "noext").error, "Unknown picture file extension (.)");
    EXPECT_EQ(load_picture_file(dir / "Logo.TIFF").error, "Unknown picture file extension (.TIFF)");
    EXPECT_EQ(load_picture_file(dir / "dir.d/file").error, "Unknown picture file extension (.)");
    for (const char* meta : {"m.wmf", "m.EMF"}) {
        const PictureLoad p = load_picture_file(dir / meta);
        EXPECT_NE(p.error.find("no metafile decoder"), std::string::npos) << p.error;
    }
}

TEST(PictureFile, FilesThatAreNotPictures) {
    ScratchDir dir;
    dir.write("empty.png", Bytes{});
    std::filesystem::create_directories(dir / "folder.bmp");
    for (const char* name : {"garbage.png", "garbage.jpg", "garbage.bmp", "garbage.ico"})
        dir.write(name, Bytes(300, 0xA5));

    EXPECT_NE(load_picture_file(dir / "empty.png").error.find("is empty"), std::string::npos);
    EXPECT_NE(load_picture_file(dir / "folder.bmp").error.find("is a directory"),
              std::string::npos);
    EXPECT_NE(load_picture_file(dir / "missing.png").error.find("cannot be read"),
              std::string::npos);
    for (const char* name : {"garbage.png", "garbage.jpg", "garbage.bmp", "garbage.ico"}) {
        const PictureLoad p = load_picture_file(dir / name);
        EXPECT_FALSE(p) << name;
        EXPECT_NE(p.error.find("is not a valid"), std::string::npos) << p.error;
    }
    if (geteuid() != 0) { // root reads everything
        dir.write("locked.png", test::png_of(Image(1, 1)));
        std::filesystem::permissions(dir / "locked.png", std::filesystem::perms::none);
        EXPECT_NE(load_picture_file(dir / "locked.png").error.find("cannot be read"),
                  std::string::npos);
    }
}

TEST(PictureFile, PlaceholderAndColourKey) {
    const Picture p = placeholder_picture();
    ASSERT_EQ(p->width, 10);
    ASSERT_EQ(p->height, 10);
    const Argb black = argb(255, 0, 0, 0), red = argb(255, 255, 0, 0);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool edge = x == 0 || y == 0 || x == 9 || y == 9;
            EXPECT_EQ(p->at(x, y), edge ? black : red) << x << "," << y;
        }

    Image img(3, 2);
    img.pixels = {argb(255, 5, 5, 5), argb(255, 9, 9, 9), argb(255, 5, 5, 5),
                  argb(255, 5, 5, 5), argb(255, 5, 5, 6), argb(128, 5, 5, 5)};
    const Image keyed = with_bottom_left_colour_transparent(img);
    EXPECT_EQ(keyed.pixels,
              (std::vector<Argb>{0, argb(255, 9, 9, 9), 0, 0, argb(255, 5, 5, 6), 0}));
}

TEST(PictureFile, PngWriterRoundTrip) {
    ScratchDir dir;
    Image img(5, 3);
    for (std::size_t i = 0; i < img.pixels.size(); ++i)
        img.pixels[i] = argb(std::uint8_t(i * 17), std::uint8_t(i * 3), std::uint8_t(200 - i),
                             std::uint8_t(i * 11));
    std::string error;
    ASSERT_TRUE(write_png(img, dir / "out.png", &error)) << error;
    const PictureLoad back = load_picture_file(dir / "out.png");
    ASSERT_TRUE(back) << back.error;
    EXPECT_EQ(back.picture->pixels, img.pixels);

    EXPECT_FALSE(write_png(img, dir / "no" / "such" / "dir.png", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(write_png(Image(), dir / "empty.png", &error));
}

// A disk that fills up while the picture is written: the writer says so, and leaves neither an
// empty nor a cut file, nor its temporary one; a picture already there stays as it was.
TEST(PictureFile, PngWriterLeavesNothingPartialOnAFullDisk) {
    ScratchDir dir;
    Image noise(120, 120);
    std::uint32_t x = 12345;
    for (Argb& p : noise.pixels) p = (x = x * 1103515245u + 12345u) | 0xff000000u;
    const std::filesystem::path kept = dir / "kept.png";
    ASSERT_TRUE(write_png(Image(2, 2, argb(255, 1, 2, 3)), kept));
    const auto kept_size = std::filesystem::file_size(kept);

    std::signal(SIGXFSZ, SIG_IGN);
    rlimit was{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
    rlimit small = was;
    small.rlim_cur = 4096; // the noise takes some 40 KB
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error, error_kept;
    const bool fresh = write_png(noise, dir / "shot.png", &error);
    const bool over = write_png(noise, kept, &error_kept);
    setrlimit(RLIMIT_FSIZE, &was);

    EXPECT_FALSE(fresh);
    EXPECT_FALSE(over);
    EXPECT_EQ(error, (dir / "shot.png").string() + ": File too large");
    std::vector<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        left.push_back(e.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"kept.png"});
    EXPECT_EQ(std::filesystem::file_size(kept), kept_size);
    ASSERT_TRUE(load_picture_file(kept));
}

} // namespace
} // namespace q50
