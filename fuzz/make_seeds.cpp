// Writes small seed files for the fuzz targets: a skin file with the usual sections, and one
// picture of each format and layout the decoders know (first byte: the decoder), settings files
// and trace scripts.
#include "tests/display/picture_makers.h"

#include <cstdio>
#include <fstream>
#include <string>

using namespace q50;
using namespace q50::test;

namespace {

void save(const std::filesystem::path& p, const Bytes& b) {
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

void picture(const std::filesystem::path& dir, const std::string& name, std::uint8_t decoder,
             Bytes b) {
    b.insert(b.begin(), decoder);
    save(dir / name, b);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds DIR\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    std::filesystem::create_directories(root / "ini");
    std::filesystem::create_directories(root / "picture");
    std::filesystem::create_directories(root / "store");
    std::filesystem::create_directories(root / "script");
    auto text = [](const std::filesystem::path& p, const std::string& t) {
        save(p, Bytes(t.begin(), t.end()));
    };
    text(root / "store" / "plain", "# settings\nKey1=2\nHiScore1=1250\nFullscreenMode=0\n");
    text(root / "store" / "damaged", "[section]\r\n  HiScore2 = 40\r\n=x\nname\n\n#c=1\n"
                                     "HiScore2=41\nSoundMode=\x01\xff\nKey7");
    text(root / "script" / "play",
         "# a game\nstore HiScore1 200\nseed 7\ntime 07:30\nat 0 set Game_State 2\n"
         "at 0 press game_a\nat 0 release game_a\nat 10600 press right\n"
         "at 10650 release right\nat 10700 draws 1 2 3\nat 10800 dump\nat 20000 end\n");
    text(root / "script" / "commands",
         "at 0 set Enemy_Flame 1 2 3 4 5\nat 5 set Pelko_Pos 5\nat 5 show im_flame_3\n"
         "at 6 hide im_flame_3\nat 7 press open\nat 8 press bomb\nat 9 release bomb\n"
         "at 10 keydown 37\nat 11 mousedown btn_left\nat 12 set Play_Active 1\n");

    const std::string ini = "\xEF\xBB\xBF; skin\r\n[Common]\r\nSkinDir=Graphics\\Skin\\\r\n"
                            "GameWidth=498\r\nGameHeight=0x302\r\n[Fullscreen]\r\n"
                            "BgColor=$00000000\r\nGameOffsetX=Center\r\nGameOffsetY=-15\r\n"
                            "[VideoMode]\r\nTranspColor=$00ff00ff\r\n[Image1]\r\n"
                            "Filename=\"body.bmp\"\r\nLeft=0\r\nTop=0\r\nWidth=498\r\n"
                            "Height=770\r\n[image1]\r\nleft=5\r\n# x\r\nno equals\r\n";
    save(root / "ini" / "config", Bytes(ini.begin(), ini.end()));

    const auto dir = root / "picture";
    std::vector<Argb> palette;
    for (int i = 0; i < 16; ++i) palette.push_back(argb(255, std::uint8_t(i * 16), 0, 0));
    std::vector<std::uint8_t> idx;
    for (int i = 0; i < 15; ++i) idx.push_back(std::uint8_t(i % 16));
    Image rgb(5, 3, argb(255, 1, 2, 3));
    rgb.at(1, 1) = argb(128, 200, 100, 50);

    for (int bpp : {1, 4, 8})
        picture(
            dir, "bmp" + std::to_string(bpp), 0,
            bmp_file(
                BmpLayout{5, 3, bpp, 0, {palette.begin(), palette.begin() + (bpp == 1 ? 2 : 16)}},
                pack_indices(5, 3, bpp, idx, false)));
    picture(dir, "bmp24-topdown", 0, bmp_file(BmpLayout{5, -3, 24}, pack_rgb(rgb, 24, true)));
    picture(dir, "bmp16", 0, bmp_file(BmpLayout{5, 3, 16}, pack_rgb(rgb, 16, false)));
    picture(dir, "bmp32-v5", 0,
            bmp_file(BmpLayout{5,
                               3,
                               32,
                               3,
                               {},
                               124,
                               std::array<std::uint32_t, 4>{0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
                     pack_rgb(rgb, 32, false)));
    picture(dir, "bmp-core", 0,
            bmp_file(BmpLayout{5, 3, 8, 0, palette, 12}, pack_indices(5, 3, 8, idx, false)));
    picture(dir, "bmp-rle8", 0,
            bmp_file(BmpLayout{6, 3, 8, 1, palette},
                     Bytes{3, 1, 0, 3, 2, 3, 1, 0, 0, 0, 0, 2, 2, 1, 2, 3, 0, 1}));
    picture(dir, "bmp-rle4", 0,
            bmp_file(BmpLayout{5, 2, 4, 2, palette},
                     Bytes{5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 2, 0x67, 0, 1}));

    picture(dir, "png-rgba", 1, png_of(rgb));
    picture(
        dir, "png-palette", 1,
        png_bytes(
            PngLayout{2, 2, PngColour::Palette, 8, false, {argb(255, 1, 2, 3), argb(0, 4, 5, 6)}},
            Bytes{0, 1, 1, 0}));
    picture(dir, "png-grey16-interlaced", 1,
            png_bytes(PngLayout{3, 3, PngColour::Grey, 16, true}, Bytes(18, 0x80)));
    picture(dir, "jpeg-colour", 2, jpeg_of(Image(16, 16, argb(255, 200, 30, 30)), false, 80));
    picture(dir, "jpeg-grey", 2, jpeg_of(Image(8, 8, argb(255, 0, 0, 90)), true, 80));

    Bytes icon = bmp_info(BmpLayout{2, 4, 4, 0, {palette.begin(), palette.end()}});
    const Bytes px = pack_indices(2, 2, 4, {1, 2, 3, 4}, false);
    const Bytes mask = pack_mask(2, 2, {true, false, false, true});
    icon.insert(icon.end(), px.begin(), px.end());
    icon.insert(icon.end(), mask.begin(), mask.end());
    picture(dir, "ico-bmp", 3, ico_file({IconEntry{2, 2, 4, icon}}));
    picture(dir, "ico-png", 3, ico_file({IconEntry{5, 3, 32, png_of(rgb)}}));
    picture(dir, "icon-bitmap", 4, icon);
    std::printf("seeds written to %s\n", root.c_str());
    return 0;
}
