// The delivered data: the skin file, every picture it names, the manual pages, the sounds
// and the pictures built into the windows. These files are made by scripts/gen-data.sh and
// committed; the tests read them as the program would find them.
#include "board/board_geometry.h"
#include "display/skin_loader.h"
#include "host/services.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kRoot = Q50_SOURCE_DIR;
const fs::path kData = kRoot / "data";

std::string lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Section -> key -> value, names compared without case as the program compares them.
using Ini = std::map<std::string, std::map<std::string, std::string>>;

Ini read_ini(const fs::path& file) {
    Ini ini;
    std::ifstream in(file);
    std::string line, section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            section = lower(line.substr(1, line.find(']') - 1));
            ini[section];
            continue;
        }
        const auto eq = line.find('=');
        if (eq != std::string::npos) ini[section][lower(line.substr(0, eq))] = line.substr(eq + 1);
    }
    return ini;
}

// A folder value of the skin file ("Graphics\Skin\") as a path below data/.
fs::path folder(const std::string& value) {
    std::string v = value;
    std::replace(v.begin(), v.end(), '\\', '/');
    return kData / v;
}

struct Rgba {
    int width = 0, height = 0;
    std::vector<std::uint8_t> px; // r, g, b, a
    std::uint8_t alpha(int x, int y) const { return px[(std::size_t(y) * width + x) * 4 + 3]; }
};

bool decode_png(const fs::path& file, Rgba& out) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, file.c_str())) return false;
    image.format = PNG_FORMAT_RGBA;
    out.width = int(image.width);
    out.height = int(image.height);
    out.px.assign(PNG_IMAGE_SIZE(image), 0);
    const bool ok = png_image_finish_read(&image, nullptr, out.px.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

const q50::SegmentGeometry* design(const std::string& name) {
    for (const auto& g : q50::kDesignGeometry)
        if (g.name == name) return &g;
    return nullptr;
}

bool is_lcd(const std::string& name) {
    for (const char* p : {"im_pelko_", "im_enemy_", "im_flame_", "im_partner_", "im_panel_"})
        if (name.rfind(p, 0) == 0) return true;
    return false;
}

class DeliveredSkin : public ::testing::Test {
  protected:
    void SetUp() override {
        ini_ = read_ini(kData / "Config.ini");
        ASSERT_FALSE(ini_.empty()) << "data/Config.ini missing or empty";
        skin_dir_ = folder(ini_["common"]["skindir"]);
        const std::string key = ini_["videomode"]["transpcolor"];
        ASSERT_EQ(key.substr(0, 1), "$");
        const unsigned long c = std::stoul(key.substr(1), nullptr, 16);
        key_ = {std::uint8_t(c & 0xff), std::uint8_t((c >> 8) & 0xff),
                std::uint8_t((c >> 16) & 0xff)};
    }
    Ini ini_;
    fs::path skin_dir_;
    std::array<std::uint8_t, 3> key_{};
};

TEST_F(DeliveredSkin, WindowAndManualKeysGiveTheDesignSizes) {
    EXPECT_EQ(ini_["common"]["gamewidth"], "498");
    EXPECT_EQ(ini_["common"]["gameheight"], "770");
    EXPECT_EQ(ini_["common"]["skindir"], "Graphics\\Skin\\");
    EXPECT_EQ(ini_["manual"]["manualwidth"], "545");
    EXPECT_EQ(ini_["manual"]["manualheight"], "365");
    EXPECT_EQ(ini_["fullscreen"]["gameoffsetx"], "Center");
    EXPECT_EQ(ini_["fullscreen"]["gameoffsety"], "Center");
}

TEST_F(DeliveredSkin, EverySectionPlacesItsSegmentAtTheDesignRectangle) {
    for (int i = 1; i <= q50::kSkinImageCount; ++i) {
        const std::string name(q50::skin_image_names()[std::size_t(i)]);
        const std::string section = "image" + std::to_string(i);
        SCOPED_TRACE(section + " " + name);
        ASSERT_TRUE(ini_.count(section));
        const auto* g = design(name);
        ASSERT_NE(g, nullptr);
        auto& s = ini_[section];
        EXPECT_EQ(s["left"], std::to_string(g->left));
        EXPECT_EQ(s["top"], std::to_string(g->top));
        EXPECT_EQ(s["width"], std::to_string(g->width));
        EXPECT_EQ(s["height"], std::to_string(g->height));
        const std::string file = s["filename"];
        EXPECT_TRUE(file == "nil" || file == name + ".png") << file;
    }
}

TEST_F(DeliveredSkin, EveryNamedPictureDecodesAtItsSizeWithoutTheSeeThroughColour) {
    int pictures = 0;
    for (int i = 1; i <= 129; ++i) {
        auto& s = ini_["image" + std::to_string(i)];
        if (s["filename"] == "nil" || s["filename"].empty()) continue;
        SCOPED_TRACE(s["filename"]);
        Rgba img;
        ASSERT_TRUE(decode_png(skin_dir_ / s["filename"], img));
        EXPECT_EQ(img.width, std::stoi(s["width"]));
        EXPECT_EQ(img.height, std::stoi(s["height"]));
        int keyed = 0;
        for (std::size_t p = 0; p < img.px.size(); p += 4)
            if (img.px[p + 3] && img.px[p] == key_[0] && img.px[p + 1] == key_[1] &&
                img.px[p + 2] == key_[2])
                ++keyed;
        EXPECT_EQ(keyed, 0) << "pixels of the see-through colour";
        ++pictures;
    }
    // Only the four digit positions go without a picture: they show copies of the glyphs.
    EXPECT_EQ(pictures, 125);
    for (int i = 35; i <= 38; ++i) EXPECT_EQ(ini_["image" + std::to_string(i)]["filename"], "nil");
}

// The window takes the outline of the device: outside it the shell pictures must leave the
// key colour bare, and their edges must not blend into it (a tinted fringe).
TEST_F(DeliveredSkin, ShellPicturesHaveHardEdgesAndLeaveTheWindowCornersBare) {
    for (const char* name : {"im_background_bottom", "im_background_back", "im_background_front"}) {
        SCOPED_TRACE(name);
        Rgba img;
        ASSERT_TRUE(decode_png(skin_dir_ / (std::string(name) + ".png"), img));
        int soft = 0;
        for (std::size_t p = 3; p < img.px.size(); p += 4)
            if (img.px[p] != 0 && img.px[p] != 255) ++soft;
        EXPECT_EQ(soft, 0);
        EXPECT_EQ(img.alpha(0, 0), 0);
        EXPECT_EQ(img.alpha(img.width - 1, 0), 0);
        EXPECT_EQ(img.alpha(0, img.height - 1), 0);
        EXPECT_EQ(img.alpha(img.width - 1, img.height - 1), 0);
    }
    Rgba body;
    ASSERT_TRUE(decode_png(skin_dir_ / "im_background_bottom.png", body));
    EXPECT_EQ(body.alpha(249, 600), 255) << "the lower half is solid";
    EXPECT_EQ(body.alpha(249, 200), 0) << "the face under the lid shows through the body";
}

TEST_F(DeliveredSkin, LcdSegmentsAreDarkInkAndTheGlassLetsThemThrough) {
    for (const auto& g : q50::kDesignGeometry) {
        const std::string name(g.name);
        if (!is_lcd(name) || name.rfind("im_panel_digit_", 0) == 0) continue;
        SCOPED_TRACE(name);
        Rgba img;
        ASSERT_TRUE(decode_png(skin_dir_ / (name + ".png"), img));
        long inked = 0, light = 0;
        for (std::size_t p = 0; p < img.px.size(); p += 4) {
            if (img.px[p + 3] < 128) continue;
            ++inked;
            if (img.px[p] + img.px[p + 1] + img.px[p + 2] > 3 * 90) ++light;
        }
        EXPECT_GT(inked, 8) << "a segment that shows nothing";
        EXPECT_EQ(light, 0) << "light pixels vanish on the display";
    }
    Rgba glass;
    ASSERT_TRUE(decode_png(skin_dir_ / "im_background_screen_top.png", glass));
    int most = 0;
    for (std::size_t p = 3; p < glass.px.size(); p += 4) most = std::max(most, int(glass.px[p]));
    EXPECT_LE(most, 96) << "the glass hides the segments under it";
}

TEST_F(DeliveredSkin, BackdropAndLogoExistAndDecode) {
    const fs::path dir = folder(ini_["fullscreen"]["backdropdir"]);
    for (const char* key : {"backdropfile", "logofile"}) {
        SCOPED_TRACE(key);
        Rgba img;
        ASSERT_TRUE(decode_png(dir / ini_["fullscreen"][key], img));
        EXPECT_GT(img.width, 0);
    }
}

std::vector<std::uint8_t> read_bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in) return {};
    std::vector<std::uint8_t> bytes(std::size_t(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    return bytes;
}

std::uint32_t le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b.at(at + std::size_t(i));
    return v;
}

TEST(DeliveredManual, SixteenPagesOf24BitBitmapsAtTheWindowSize) {
    const Ini ini = read_ini(kData / "Config.ini");
    const fs::path dir = folder(ini.at("manual").at("manualdir"));
    std::set<std::vector<std::uint8_t>> distinct;
    for (int n = 1; n <= 16; ++n) {
        SCOPED_TRACE(n);
        const auto b = read_bytes(dir / (std::to_string(n) + ".bmp"));
        ASSERT_GE(b.size(), 54u);
        EXPECT_EQ(b[0], 'B');
        EXPECT_EQ(b[1], 'M');
        EXPECT_EQ(le(b, 18, 4), 545u);
        EXPECT_EQ(le(b, 22, 4), 365u);
        EXPECT_EQ(le(b, 28, 2), 24u);
        EXPECT_EQ(le(b, 30, 4), 0u) << "compressed";
        const std::uint32_t offset = le(b, 10, 4), stride = (545 * 3 + 3) & ~3u;
        EXPECT_EQ(b.size(), offset + stride * 365);
        distinct.insert(b);
    }
    EXPECT_EQ(distinct.size(), 16u) << "two pages are the same";
}

struct Wav {
    std::uint16_t format = 0, channels = 0, bits = 0;
    std::uint32_t rate = 0;
    std::vector<std::int16_t> samples;
    double ms() const { return rate ? 1000.0 * double(samples.size()) / rate : 0; }
};

bool read_wav(const fs::path& file, Wav& w) {
    const auto b = read_bytes(file);
    if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
        std::string(b.begin() + 8, b.begin() + 12) != "WAVE")
        return false;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::string id(b.begin() + long(at), b.begin() + long(at) + 4);
        const std::uint32_t size = le(b, at + 4, 4);
        if (at + 8 + size > b.size()) return false;
        if (id == "fmt ") {
            w.format = std::uint16_t(le(b, at + 8, 2));
            w.channels = std::uint16_t(le(b, at + 10, 2));
            w.rate = le(b, at + 12, 4);
            w.bits = std::uint16_t(le(b, at + 22, 2));
        } else if (id == "data") {
            for (std::size_t i = 0; i + 1 < size; i += 2)
                w.samples.push_back(std::int16_t(le(b, at + 8 + i, 2)));
        }
        at += 8 + size + (size & 1);
    }
    return w.format != 0;
}

// How long each sample may play before the step of its sequence that follows it.
const std::map<std::string, double> kBudgetMs = {
    {"Move", 60},       // a step of the hero; steps can follow each other closely
    {"Enemy", 60},      // every enemy step, as often as every 180 ms
    {"Movebomb", 100},  // a press of the bomb button
    {"Bombfall", 300},  // the partner's next move
    {"Start", 1090},    // the hero appears
    {"Miss1", 300},     // the next blink, 330 ms later
    {"Miss2", 300},     // the next step of the walk back (and of the introduction)
    {"Miss3", 560},     // the fort is blown up 560 ms later
    {"Gameover", 4300}, // the game-over loop starts
    {"Chance", 1800},   // the next chance step
    {"Bonus0", 300},    // the partner takes the bomb
    {"Bonus1", 190},    // the partner throws the bomb
    {"Bonus2", 380},    // the next bomb step (380 ms in the enemy blast)
    {"Bonus3", 400},    {"Bonus4", 400}, {"Bonus5", 400}, {"Bonus6", 300}, // the enemies blow up
    {"Bonus7", 3300},                                                      // the next stage starts
};

TEST(DeliveredSounds, EighteenWavFilesAt22050HzEachWithinItsMoment) {
    std::set<std::vector<std::int16_t>> distinct;
    for (int i = 0; i < q50::kSampleCount; ++i) {
        const auto s = q50::Sample(i);
        const std::string name(q50::sample_name(s));
        SCOPED_TRACE(name);
        Wav w;
        ASSERT_TRUE(read_wav(kData / q50::sample_file(s), w));
        EXPECT_EQ(w.format, 1) << "not PCM";
        EXPECT_EQ(w.channels, 1);
        EXPECT_EQ(w.bits, 16);
        EXPECT_EQ(w.rate, 22050u);
        ASSERT_TRUE(kBudgetMs.count(name));
        EXPECT_GT(w.ms(), 10.0);
        EXPECT_LE(w.ms(), kBudgetMs.at(name));
        int peak = 0;
        for (auto v : w.samples) peak = std::max(peak, std::abs(int(v)));
        EXPECT_GT(peak, 4000) << "practically silent";
        distinct.insert(w.samples);
    }
    EXPECT_EQ(distinct.size(), std::size_t(q50::kSampleCount)) << "two sounds are the same";
}

TEST(DeliveredWindowPictures, ResourceFileListsPicturesOfTheWindowSizes) {
    const fs::path dir = kRoot / "shell" / "pictures";
    std::ifstream qrc(dir / "pictures.qrc");
    std::stringstream text;
    text << qrc.rdbuf();
    const std::map<std::string, std::pair<int, int>> sizes = {
        {"menu_backing.png", {256, 512}},        {"splash_background.png", {460, 420}},
        {"splash_box.png", {460, 160}},          {"splash_play.png", {107, 30}},
        {"splash_play_disabled.png", {107, 30}}, {"splash_readme.png", {107, 30}},
        {"about_picture.png", {116, 160}},       {"manual_left_up.png", {16, 14}},
        {"manual_left_down.png", {16, 14}},      {"manual_right_up.png", {16, 14}},
        {"manual_right_down.png", {16, 14}},     {"manual_close_up.png", {16, 14}},
        {"manual_close_down.png", {16, 14}},     {"app_icon.png", {256, 256}},
    };
    for (const auto& [file, size] : sizes) {
        SCOPED_TRACE(file);
        EXPECT_NE(text.str().find("<file>" + file + "</file>"), std::string::npos);
        Rgba img;
        ASSERT_TRUE(decode_png(dir / file, img));
        EXPECT_EQ(img.width, size.first);
        EXPECT_EQ(img.height, size.second);
    }
    // The menu backing: an opaque header band, then black at 204 of 255.
    Rgba menu;
    ASSERT_TRUE(decode_png(dir / "menu_backing.png", menu));
    for (int y : {0, 16, 31}) EXPECT_EQ(menu.alpha(200, y), 255);
    for (int y : {32, 200, 511}) {
        EXPECT_EQ(menu.alpha(10, y), 204);
        const std::size_t p = (std::size_t(y) * menu.width + 10) * 4;
        EXPECT_EQ(menu.px[p] | menu.px[p + 1] | menu.px[p + 2], 0) << "not black";
    }
}

// The windows ask for their pictures by file name; each one must be in the resource file.
TEST(DeliveredWindowPictures, EveryPictureTheWindowsAskForIsDelivered) {
    const fs::path shell = kRoot / "shell";
    std::ifstream qrc(shell / "pictures" / "pictures.qrc");
    std::stringstream listed;
    listed << qrc.rdbuf();
    int asked = 0;
    for (const auto& entry : fs::directory_iterator(shell)) {
        if (entry.path().extension() != ".cpp") continue;
        std::ifstream in(entry.path());
        std::stringstream text;
        text << in.rdbuf();
        const std::string src = text.str();
        const std::string open = "QStringLiteral(\"";
        for (auto at = src.find(open); at != std::string::npos; at = src.find(open, at + 1)) {
            const auto start = at + open.size(), end = src.find('"', start);
            const std::string name = src.substr(start, end - start);
            if (name.size() < 5 || name.substr(name.size() - 4) != ".png") continue;
            ++asked;
            EXPECT_NE(listed.str().find("<file>" + name + "</file>"), std::string::npos)
                << entry.path().filename().string() << " asks for " << name;
        }
    }
    if (asked == 0) GTEST_SKIP() << "no window asks for a picture yet";
}

} // namespace
