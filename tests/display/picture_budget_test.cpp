// Pictures that ask for more memory than a skin may take: the budget shared by the skin and the
// manual, one decode for a file that many segments name, the JPEG scan bound; and pictures
// that skins made on systems without letter case in file names name in another case.
#include "display/case_lookup.h"
#include "display/manual_pages.h"
#include "display/picture_budget.h"
#include "display/picture_read_ahead.h"
#include "tests/display/skin_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

namespace q50::test {
namespace {

namespace fs = std::filesystem;

class PictureBudgetTest : public SkinFixture {
  protected:
    SkinLoadResult load_with(PictureBudget& budget) {
        SkinEnvironment env;
        env.executable_dir = exe_dir();
        env.current_dir = run_dir();
        env.budget = &budget;
        return Load_Skin(board, window, env, sink);
    }
};

TEST_F(PictureBudgetTest, AFileNamedByEverySegmentIsDecodedOnceAndShared) {
    file("Graphics/Skin/all.png", solid_png(64, 64, argb(255, 9, 9, 9)));
    config(images_naming("all.png", 1, kSkinImageCount));
    // Room for one copy only: a decode per segment would be refused at the second.
    PictureBudget budget(picture_bytes(64, 64) + 100);
    EXPECT_EQ(load_with(budget).status, SkinLoadStatus::Complete);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(budget.used(), picture_bytes(64, 64));
    EXPECT_EQ(seg("im_background_bottom").picture.get(), seg("im_pelko_0_boom_2").picture.get());
    // A reload gives the skin's share back before it charges the new pictures.
    EXPECT_EQ(load_with(budget).status, SkinLoadStatus::Complete);
    EXPECT_EQ(budget.used(), picture_bytes(64, 64));
}

TEST_F(PictureBudgetTest, APictureThatWouldPassTheBudgetStopsTheLoadNamingFileAndBudget) {
    for (const char* name : {"a.png", "b.png", "c.png"})
        file(std::string("Graphics/Skin/") + name, solid_png(32, 32, argb(255, 1, 2, 3)));
    config(images_naming("a.png", 1, 1) + images_naming("b.png", 2, 2) +
           images_naming("c.png", 3, 3) + "[Image4]\nLeft=9\n");
    PictureBudget budget(2 * picture_bytes(32, 32));
    const Rect untouched = seg("im_background_screen_top").rect;
    EXPECT_EQ(load_with(budget).status, SkinLoadStatus::Stopped);
    ASSERT_EQ(sink.messages.size(), 1u);
    const std::string& m = sink.messages[0];
    EXPECT_TRUE(contains(m, "c.png")) << m;
    EXPECT_TRUE(contains(m, "32 x 32")) << m;
    EXPECT_TRUE(contains(m, "0 MB left of the 1 MB that the skin and the manual may take")) << m;
    EXPECT_NE(seg("im_background_back").picture, nullptr); // loaded before the refusal
    EXPECT_EQ(seg("im_background_front").picture, nullptr);
    EXPECT_EQ(seg("im_background_screen_top").rect, untouched); // the load stopped there
}

// What is needed is rounded up and what is left down, so that a refusal never reads as if the
// picture would have fitted ("16 MB, 16 MB left").
TEST_F(PictureBudgetTest, ARefusalRoundsWhatIsNeededUpAndWhatIsLeftDown) {
    file("big.png", solid_png(1024, 384, argb(255, 1, 2, 3))); // 1.5 MB
    PictureBudget budget(1024 * 1024 + 1024 * 1024 / 2 - 1);
    PictureShelf shelf(budget, PictureBudget::Owner::Skin);
    const PictureLoad p = shelf.get(run_dir() / "big.png", false);
    ASSERT_FALSE(p);
    EXPECT_TRUE(contains(p.error, "(2 MB, 1 MB left of the 2 MB that")) << p.error;
}

TEST_F(PictureBudgetTest, BombsAreRefusedBeforeAnythingIsAllocated) {
    // Headers that declare 8192 x 8192 in a few dozen bytes, with a budget of 1 MB: nothing
    // of the 256 MB they declare may be touched, and each says so quickly.
    const Bytes png = png_bytes(PngLayout(8192, 8192, PngColour::Grey, 1), Bytes(8192 * 1024, 0));
    const Bytes rle_bmp =
        bmp_file(BmpLayout(8192, 8192, 8, 1, std::vector<Argb>(256, 0)), Bytes{0, 1});
    const Bytes jpeg = jpeg_of(Image(8, 8, argb(255, 1, 1, 1)), false);
    for (const auto& [name, bytes] : {std::pair{"bomb.png", png}, std::pair{"bomb.bmp", rle_bmp}}) {
        SCOPED_TRACE(name);
        const PictureLoad p =
            decode_picture(fs::path(name).extension().string().substr(1), bytes, 1024 * 1024);
        EXPECT_FALSE(p);
        EXPECT_TRUE(p.over_budget);
        EXPECT_EQ(p.refused_bytes, picture_bytes(8192, 8192));
    }
    EXPECT_TRUE(decode_picture("jpg", jpeg, 1024 * 1024)); // what fits still decodes
}

TEST_F(PictureBudgetTest, ManualPagesShareTheBudgetWithTheSkinAndStopAtTheFirstRefused) {
    file("Graphics/Skin/body.png", solid_png(64, 32, argb(255, 5, 5, 5)));
    config(images_naming("body.png", 1, 1));
    const Bytes page = bmp_file(BmpLayout(64, 32, 8, 1, std::vector<Argb>(256, 0)), Bytes{0, 1});
    for (int n = 1; n <= kManualPageCount; ++n)
        file("Graphics/Manual/" + std::to_string(n) + ".bmp", page);
    PictureBudget budget(4 * picture_bytes(64, 32));
    ASSERT_EQ(load_with(budget).status, SkinLoadStatus::Complete);

    ManualSettings settings;
    settings.dir = run_dir() / "Graphics/Manual/";
    const ManualPages pages = load_manual_pages(settings, budget, sink);
    EXPECT_FALSE(pages.complete);
    EXPECT_NE(pages.page[3], nullptr);
    EXPECT_EQ(pages.page[4], nullptr); // the skin holds a quarter of the budget
    EXPECT_EQ(pages.page[16], nullptr);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_TRUE(contains(sink.messages[0], "4.bmp\" is not loaded")) << sink.messages[0];
}

TEST_F(PictureBudgetTest, AProgressiveJpegOfEndlessScansIsCutShort) {
    Bytes jpeg = jpeg_of(Image(64, 64, argb(255, 200, 10, 10)), false, 90, true);
    // Repeat the last scan (from its marker to the end-of-image marker) far past the bound.
    std::size_t last_scan = 0;
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) last_scan = i;
    ASSERT_GT(last_scan, 0u);
    const Bytes scan(jpeg.begin() + std::ptrdiff_t(last_scan), jpeg.end() - 2);
    for (int i = 0; i < 150; ++i) jpeg.insert(jpeg.end() - 2, scan.begin(), scan.end());
    const auto start = std::chrono::steady_clock::now();
    const PictureLoad p = decode_picture("jpg", jpeg);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5);
    EXPECT_FALSE(p);
    EXPECT_TRUE(contains(p.error, "more than 100 scans")) << p.error;
}

// Skins made on a system whose file names ignore letter case.
TEST_F(PictureBudgetTest, PicturesAndFoldersNamedInAnotherCaseAreFound) {
    file("graphics/skin/image1.bmp", keyed_bmp(3, 3, argb(255, 0, 0, 255), argb(255, 0, 0, 0)));
    config("[Common]\nSkinDir=Graphics\\Skin\\\n[Image1]\nFilename=Image1.BMP\nWidth=3\n"
           "[Image2]\nFilename=Missing.bmp\n");
    EXPECT_EQ(load(false).status, SkinLoadStatus::Complete);
    ASSERT_NE(seg("im_background_bottom").picture, nullptr);
    EXPECT_EQ(seg("im_background_bottom").picture->width, 3); // not the 10 x 10 placeholder
    // Whatever stays missing is named.
    ASSERT_EQ(sink.notices.size(), 1u);
    EXPECT_TRUE(contains(sink.notices[0], "Graphics/Skin/Missing.bmp\" (Image2) not found"))
        << sink.notices[0];
}

TEST_F(PictureBudgetTest, AnExactNameWinsAndATieTakesTheFirstInByteOrderSaidOnce) {
    file("Graphics/Skin/Hero.png", solid_png(1, 1, argb(255, 1, 0, 0)));
    file("Graphics/Skin/hero.png", solid_png(2, 2, argb(255, 2, 0, 0)));
    config(images_naming("hero.png", 1, 1) + images_naming("HERO.PNG", 2, 3));
    EXPECT_EQ(load(false).status, SkinLoadStatus::Complete);
    EXPECT_EQ(seg("im_background_bottom").picture->width, 2); // written exactly so
    EXPECT_EQ(seg("im_background_back").picture->width, 1);   // "Hero.png" < "hero.png"
    EXPECT_EQ(seg("im_background_front").picture->width, 1);
    ASSERT_EQ(sink.notices.size(), 1u); // two segments, one message
    EXPECT_TRUE(contains(sink.notices[0], "HERO.PNG matches Hero.png and hero.png"))
        << sink.notices[0];
}

TEST(CaseLookup, WalksEveryFolderAndNeedsAFileAtTheEnd) {
    ScratchDir tmp;
    tmp.write("Skins/Night/Pic.png", Bytes{1});
    const CaseLookup found = find_ignoring_case(tmp / "skins/NIGHT/pic.PNG");
    EXPECT_TRUE(found.found);
    EXPECT_TRUE(found.case_differs);
    EXPECT_EQ(found.path, tmp / "Skins/Night/Pic.png");
    EXPECT_FALSE(find_ignoring_case(tmp / "skins/night").found); // a folder is not a picture
    EXPECT_FALSE(find_ignoring_case(tmp / "skins/day/pic.png").found);
    const CaseLookup exact = find_ignoring_case(tmp / "Skins/Night/Pic.png");
    EXPECT_TRUE(exact.found);
    EXPECT_FALSE(exact.case_differs);
}

TEST_F(PictureBudgetTest, SizesOutsideTheRangeTakeTheDefaultWithANotice) {
    config("[Common]\nGameWidth=0\nGameHeight=2000000000\n"
           "[Manual]\nManualWidth=100000\nManualHeight=-3\n");
    load(false);
    EXPECT_EQ(window.client_width, 498);
    EXPECT_EQ(window.client_height, 770);
    const ManualSettings m = read_manual_settings(exe_dir(), run_dir(), sink);
    EXPECT_EQ(m.width, 545);
    EXPECT_EQ(m.height, 365);
    ASSERT_EQ(sink.notices.size(), 4u);
    EXPECT_EQ(sink.notices[0], "Config.ini: GameHeight=2000000000 is outside 1..4096; using 770");
    EXPECT_EQ(sink.notices[1], "Config.ini: GameWidth=0 is outside 1..4096; using 498");
}

// Pictures read ahead on a second thread: each is handed over once, as decoding it then would
// give it, in whatever order the load asks; what the helper holds stays within its bytes.
class PictureReadAheadTest : public SkinFixture {
  protected:
    std::vector<fs::path> pictures(int n, int side) {
        std::vector<fs::path> files;
        for (int i = 0; i < n; ++i) {
            Image img(side, side, argb(255, std::uint8_t(i), std::uint8_t(2 * i), 7));
            img.at(0, 0) = argb(255, 200, std::uint8_t(i), 0);
            const std::string name = "p" + std::to_string(i) + ".png";
            file(name, png_of(img));
            files.push_back(run_dir() / name);
        }
        return files;
    }
};

TEST_F(PictureReadAheadTest, EveryPictureIsHandedOverOnceAsADecodeWouldGiveIt) {
    const std::vector<fs::path> files = pictures(8, 24);
    std::vector<fs::path> asked = files;
    asked.push_back(run_dir() / "./p3.png"); // the same file by another path: decoded once
    for (bool backwards : {false, true}) {
        const std::int64_t room = 1 << 30;
        PictureReadAhead ahead(asked, room);
        for (int k = 0; k < 8; ++k) {
            const fs::path& f = files[std::size_t(backwards ? 7 - k : k)];
            std::optional<PictureLoad> got = ahead.take(f, room);
            ASSERT_TRUE(got && *got) << f;
            EXPECT_EQ(got->picture->pixels, load_picture_file(f).picture->pixels) << f;
            EXPECT_FALSE(ahead.take(f, room)) << "handed over twice: " << f;
        }
        EXPECT_FALSE(ahead.take(run_dir() / "p3.png", room));
        EXPECT_FALSE(ahead.take(run_dir() / "other.png", room));
        EXPECT_LE(ahead.decoded_ahead(), 8);
    }
}

TEST_F(PictureReadAheadTest, TheHelperHoldsNoMoreThanItsBytesAndLeavesTheRestToTheLoad) {
    const std::vector<fs::path> files = pictures(6, 40);
    const std::int64_t one = picture_bytes(40, 40);
    // Room for one and a half. The helper starts from the last picture, which the load takes
    // last: while it holds that one it has no room for another and leaves it to the load, and
    // the load's first picture makes it drop even that one. The load's own room is its own
    // (here the whole room each time): a refusal is a refusal, never a broken picture.
    const std::int64_t room = one + one / 2;
    PictureReadAhead ahead(files, room);
    int pictures_handed = 0, refused = 0;
    for (const fs::path& f : files) {
        std::optional<PictureLoad> got = ahead.take(f, room);
        ASSERT_TRUE(got) << f;
        if (*got) {
            ++pictures_handed;
            EXPECT_EQ(got->picture->pixels, load_picture_file(f).picture->pixels) << f;
        } else {
            ++refused;
            EXPECT_TRUE(got->over_budget) << got->error;
        }
    }
    EXPECT_EQ(pictures_handed + refused, 6);
    // The load's own decodes (those the helper had not finished) always get the room given.
    EXPECT_GE(pictures_handed, 6 - ahead.decoded_ahead());
    EXPECT_LE(pictures_handed, 6 - ahead.decoded_ahead() + 1);
}

TEST_F(PictureReadAheadTest, TheLoadAndTheHelperTogetherStayWithinTheRoom) {
    // Room for exactly one picture. Whatever the helper read ahead meanwhile gives way to the
    // load's first picture, and the second is then refused from its size, never decoded beside
    // the first (the helper at a different stage each round).
    const std::vector<fs::path> files = pictures(2, 64);
    const std::int64_t one = picture_bytes(64, 64);
    for (int round = 0; round < 20; ++round) {
        PictureReadAhead ahead(files, one);
        if (round % 2) std::this_thread::sleep_for(std::chrono::milliseconds(round));
        const std::optional<PictureLoad> first = ahead.take(files[0], one);
        ASSERT_TRUE(first && *first) << round;
        const std::optional<PictureLoad> second = ahead.take(files[1], 0);
        ASSERT_TRUE(second) << round;
        EXPECT_FALSE(*second) << round;
        EXPECT_TRUE(second->over_budget) << round << ": " << second->error;
    }
}

// Pictures handed out before their pixels: charged at their declared size, filled in place
// later, and only when the header tells the size for certain.
class WaitingPicturesTest : public PictureReadAheadTest {
  protected:
    Bytes bytes_of(const fs::path& f) {
        std::ifstream in(f, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
};

TEST_F(WaitingPicturesTest, APngWaitsChargedAsDecodedAndTakesItsPixelsInPlace) {
    const std::vector<fs::path> files = pictures(3, 20);
    PictureBudget budget(1 << 20);
    PictureShelf shelf(budget, PictureBudget::Owner::Skin);
    WaitingPictures waiting;
    shelf.waiting(&waiting);
    const PictureLoad a = shelf.get(files[0], false, true);
    ASSERT_TRUE(a);
    EXPECT_TRUE(a.picture->empty());
    EXPECT_TRUE(waiting.holds(a.picture.get()));
    EXPECT_EQ(budget.used(), picture_bytes(20, 20));
    // A keyed segment naming the same file shares the picture, charged once.
    EXPECT_EQ(shelf.get(files[0], true, true).picture, a.picture);
    EXPECT_EQ(budget.used(), picture_bytes(20, 20));
    // Not allowed to wait: decoded at once.
    const PictureLoad b = shelf.get(files[1], false);
    ASSERT_TRUE(b);
    EXPECT_FALSE(waiting.holds(b.picture.get()));
    EXPECT_EQ(b.picture->pixels, load_picture_file(files[1]).picture->pixels);
    const PictureLoad c = shelf.get(files[2], false, true);
    EXPECT_EQ(budget.used(), 3 * picture_bytes(20, 20));

    EXPECT_TRUE(waiting.finish().empty());
    EXPECT_FALSE(waiting.any());
    for (const auto& [load, f] : {std::pair{a, files[0]}, std::pair{c, files[2]}}) {
        EXPECT_FALSE(waiting.holds(load.picture.get()));
        EXPECT_EQ(load.picture->width, 20);
        EXPECT_EQ(load.picture->pixels, load_picture_file(f).picture->pixels) << f;
    }
}

TEST_F(WaitingPicturesTest, OnlyAPngWhoseHeaderADecodeWouldAcceptWaits) {
    const fs::path good = pictures(1, 20)[0];
    int w = 0, h = 0;
    ASSERT_TRUE(png_declared_size(good, &w, &h));
    EXPECT_EQ(w, 20);
    EXPECT_EQ(h, 20);

    const Bytes png = bytes_of(good);
    Bytes bad_depth = png;
    bad_depth[24] = 3; // no colour type has 3 bits a sample
    Bytes zero_wide = png;
    zero_wide[16] = zero_wide[17] = zero_wide[18] = zero_wide[19] = 0;
    file("bad_depth.png", bad_depth);
    file("zero_wide.png", zero_wide);
    file("short.png", Bytes(png.begin(), png.begin() + 20));
    file("not_png.png", keyed_bmp(4, 4, argb(255, 1, 2, 3), argb(255, 9, 9, 9)));
    file("keyed.bmp", keyed_bmp(4, 4, argb(255, 1, 2, 3), argb(255, 9, 9, 9)));
    file("big.png", solid_png(30, 30, argb(255, 5, 6, 7)));
    for (const char* name :
         {"bad_depth.png", "zero_wide.png", "short.png", "not_png.png", "keyed.bmp"}) {
        EXPECT_FALSE(png_declared_size(run_dir() / name, &w, &h)) << name;
    }

    // Whatever cannot wait is decoded when asked for, with the message it always had.
    auto through = [&](const char* name, bool with_waiting, std::int64_t limit) {
        PictureBudget budget(limit);
        PictureShelf shelf(budget, PictureBudget::Owner::Skin);
        WaitingPictures waiting;
        if (with_waiting) shelf.waiting(&waiting);
        PictureLoad load = shelf.get(run_dir() / name, true, true);
        EXPECT_FALSE(waiting.any()) << name;
        return load;
    };
    for (const char* name : {"bad_depth.png", "zero_wide.png", "short.png", "not_png.png"}) {
        const PictureLoad load = through(name, true, 1 << 20);
        EXPECT_FALSE(load) << name;
        EXPECT_EQ(load.error, through(name, false, 1 << 20).error) << name;
    }
    const PictureLoad keyed = through("keyed.bmp", true, 1 << 20);
    ASSERT_TRUE(keyed);
    EXPECT_EQ(alpha_of(keyed.picture->at(0, 3)), 0); // the key colour made see-through, as ever
    // Over what is left of the budget: refused at once, not after the first frame.
    const PictureLoad over = through("big.png", true, picture_bytes(30, 30) - 1);
    EXPECT_TRUE(over.over_budget);
    EXPECT_EQ(over.error, through("big.png", false, picture_bytes(30, 30) - 1).error);
}

TEST_F(WaitingPicturesTest, ADamagedOrChangedFileIsToldAtTheFinishAndItsPictureStaysEmpty) {
    const fs::path good = pictures(1, 20)[0];
    const Bytes png = bytes_of(good);
    file("cut.png", Bytes(png.begin(), png.begin() + 45)); // a sound header, then nothing
    file("changes.png", png);
    WaitingPictures waiting;
    std::int64_t bytes = 0;
    const Picture cut = waiting.wait_for(run_dir() / "cut.png", 1 << 20, &bytes);
    const Picture changes = waiting.wait_for(run_dir() / "changes.png", 1 << 20, &bytes);
    const Picture fine = waiting.wait_for(good, 1 << 20, &bytes);
    ASSERT_TRUE(cut && changes && fine);
    file("changes.png", solid_png(10, 10, argb(255, 1, 1, 1)));

    const std::vector<std::string> failed = waiting.finish();
    ASSERT_EQ(failed.size(), 2u);
    EXPECT_EQ(failed[0], load_picture_file(run_dir() / "cut.png").error);
    EXPECT_TRUE(contains(failed[1], "changes.png")) << failed[1];
    EXPECT_TRUE(cut->empty());
    EXPECT_TRUE(changes->empty());
    EXPECT_EQ(fine->pixels, load_picture_file(good).picture->pixels);
}

TEST_F(WaitingPicturesTest, OnePictureFinishedAheadTakesItsPixelsAndTellsAFailureAtTheFinish) {
    const std::vector<fs::path> files = pictures(2, 12);
    const Bytes png = bytes_of(files[0]);
    file("cut.png", Bytes(png.begin(), png.begin() + 45));
    WaitingPictures waiting;
    std::int64_t bytes = 0;
    const Picture one = waiting.wait_for(files[0], 1 << 20, &bytes);
    const Picture other = waiting.wait_for(files[1], 1 << 20, &bytes);
    const Picture cut = waiting.wait_for(run_dir() / "cut.png", 1 << 20, &bytes);
    ASSERT_TRUE(one && other && cut);

    EXPECT_TRUE(waiting.finish_one(one.get()));
    EXPECT_FALSE(waiting.holds(one.get()));
    EXPECT_EQ(one->pixels, load_picture_file(files[0]).picture->pixels);
    EXPECT_TRUE(waiting.holds(other.get()));
    EXPECT_TRUE(other->empty());
    EXPECT_FALSE(waiting.finish_one(one.get())); // no longer waiting

    EXPECT_FALSE(waiting.finish_one(cut.get()));
    EXPECT_TRUE(cut->empty());
    EXPECT_FALSE(waiting.holds(cut.get()));
    // Only the failure is left, and it still calls for a finish, which tells it once.
    const std::vector<std::string> told = waiting.finish(&board);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], load_picture_file(run_dir() / "cut.png").error);
    EXPECT_TRUE(waiting.any());
    const std::vector<std::string> rest = waiting.finish();
    EXPECT_TRUE(rest.empty());
    EXPECT_FALSE(waiting.any());
    EXPECT_EQ(other->pixels, load_picture_file(files[1]).picture->pixels);
}

TEST_F(WaitingPicturesTest, WhatAShownSegmentDrawsIsFinishedFirstTheRestAfter) {
    const std::vector<fs::path> files = pictures(3, 8);
    WaitingPictures waiting;
    std::int64_t bytes = 0;
    Segment& lit = board.named("im_flame_3");
    Segment& later = board.named("im_flame_4");
    Segment& glyph = board.named("im_flame_5");
    Segment& copy = board.named("im_flame_6");
    board.set_picture(lit, waiting.wait_for(files[0], 1 << 20, &bytes));
    board.set_picture(later, waiting.wait_for(files[1], 1 << 20, &bytes));
    board.set_picture(glyph, waiting.wait_for(files[2], 1 << 20, &bytes));
    for (Segment* s : {&lit, &later, &glyph, &copy}) board.hide(*s);
    EXPECT_FALSE(waiting.shown_on(board));

    board.show(lit);
    EXPECT_TRUE(waiting.shown_on(board));
    EXPECT_TRUE(waiting.finish(&board).empty());
    EXPECT_FALSE(lit.picture->empty());
    EXPECT_TRUE(later.picture->empty());
    EXPECT_TRUE(glyph.picture->empty());
    EXPECT_TRUE(waiting.any());
    EXPECT_FALSE(waiting.shown_on(board));

    // A shown copy of a hidden segment's picture draws that picture.
    board.copy_picture(copy, glyph);
    board.show(copy);
    EXPECT_TRUE(waiting.shown_on(board));
    EXPECT_TRUE(waiting.finish(&board).empty());
    EXPECT_EQ(glyph.picture->pixels, load_picture_file(files[2]).picture->pixels);
    EXPECT_TRUE(later.picture->empty());

    EXPECT_TRUE(waiting.finish().empty());
    EXPECT_FALSE(waiting.any());
    EXPECT_EQ(later.picture->pixels, load_picture_file(files[1]).picture->pixels);
}

} // namespace
} // namespace q50::test
