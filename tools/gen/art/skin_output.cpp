#include "composite.h"
#include "image_files.h"
#include "outputs.h"
#include "skin_table.h"

#include "display/skin_loader.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace q50gen {
namespace fs = std::filesystem;

bool named_nil(std::string_view segment) {
    return segment.substr(0, 15) == "im_panel_digit_";
}

namespace {

bool is_device_shell(std::string_view name) {
    return name == "im_background_bottom" || name == "im_background_back" ||
           name == "im_background_front";
}

} // namespace

void write_skin(const ArtBook& book, const fs::path& data, int scale) {
    const fs::path dir = data / "Graphics" /
                         (scale == 1 ? std::string("Skin") : "Skin@" + std::to_string(scale) + "x");
    fs::create_directories(dir);
    for (int i = 1; i <= q50::kSkinImageCount; ++i) {
        const std::string_view name = q50::skin_image_names()[std::size_t(i)];
        if (named_nil(name)) continue;
        QImage image = book.render(name, scale);
        if (is_device_shell(name)) harden_alpha(image);
        const int nudged = avoid_key_colour(image, kKeyRgb);
        if (nudged && scale == 1)
            std::printf("%.*s: %d pixels moved off the key colour\n", int(name.size()), name.data(),
                        nudged);
        write_png(image, (dir / (std::string(name) + ".png")).string());
    }
}

void write_config(const fs::path& file) {
    std::ostringstream ini;
    ini << "; The skin of the device: window size, fullscreen decoration, see-through colour and\n"
           "; the picture and rectangle of every segment. Made by scripts/gen-data.sh.\n\n";
    ini << "[Common]\nSkinDir=Graphics\\Skin\\\nGameWidth=498\nGameHeight=770\n\n";
    ini << "[Fullscreen]\nBackdropDir=Graphics\\Backdrop\\\nBackdropFile=Backdrop.png\n"
           "BackdropStretch=1\nBgColor=$00180e08\nGameOffsetX=Center\nGameOffsetY=Center\n"
           "LogoFile=Logo.png\nLogoPosition=1\n\n";
    char key[16];
    std::snprintf(key, sizeof key, "$%08x", kKeyColourIni);
    ini << "[VideoMode]\nTranspColor=" << key << "\n\n";
    for (int i = 1; i <= q50::kSkinImageCount; ++i) {
        const auto& g = geometry(q50::skin_image_names()[std::size_t(i)]);
        ini << "[Image" << i << "]\n";
        ini << "Filename="
            << (named_nil(g.name) ? std::string("nil") : std::string(g.name) + ".png") << "\n";
        ini << "Left=" << g.left << "\nTop=" << g.top << "\nWidth=" << g.width
            << "\nHeight=" << g.height << "\n\n";
    }
    ini << "[Manual]\nManualDir=Graphics\\Manual\\\nManualWidth=545\nManualHeight=365\n"
        << "ManualDir2x=Graphics\\Manual@2x\\\n";
    // The same pictures drawn larger, for a device shown at a scale (the desktop reads these;
    // the skin loader does not).
    ini << "\n[Scaled]\n";
    for (int k : kSkinSetScales) ini << "SkinDir" << k << "x=Graphics\\Skin@" << k << "x\\\n";
    for (int k : kSkinSetScales)
        ini << "BackdropDir" << k << "x=Graphics\\Backdrop@" << k << "x\\\n";
    std::ofstream out(file, std::ios::binary);
    out << ini.str();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", file.c_str());
        std::exit(1);
    }
}

void write_previews(const ArtBook& book, const fs::path& folder) {
    fs::create_directories(folder);
    Scene closed;
    closed.closed = true;
    write_png(compose(book, closed), (folder / "closed.png").string());
    write_png(compose(book, everything_lit()), (folder / "all_lit.png").string());
    // Every LCD piece on its own at 3x, with its rectangle, to judge each one.
    QImage sheet(498 * 3, 330 * 3, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(190, 198, 178));
    QPainter p(&sheet);
    p.scale(3, 3);
    Scene lit = everything_lit();
    lit.overlays = false;
    const QImage all = compose(book, lit);
    p.drawImage(QPointF(0, 0), all.copy(0, 0, 498, 330));
    p.setPen(QPen(QColor(255, 0, 0, 120), 0.3));
    for (const auto& name : lit.lit) {
        const auto& g = geometry(name);
        p.drawRect(QRectF(g.left, g.top, g.width, g.height));
    }
    p.end();
    write_png(sheet.convertToFormat(QImage::Format_ARGB32), (folder / "lcd_x3.png").string());
    // The moments a first-time player has to read, cropped to the display at twice the size.
    auto play = [] {
        Scene s;
        s.lit = {"im_game_background", "im_partner_left_fort", "im_partner_left_1",
                 "im_partner_right_1", "im_partner_right_3",   "im_flame_10",
                 "im_flame_9",         "im_panel_game_a"};
        for (int n = 1; n <= 5; ++n) s.lit.insert("im_enemy_" + std::to_string(n) + "_up");
        s.digits = {{"im_panel_digit_2", 1}, {"im_panel_digit_3", 4}, {"im_panel_digit_4", 7}};
        return s;
    };
    auto lcd = [&](const Scene& s, const char* file) {
        write_png(compose(book, s).copy(60, 96, 376, 212).scaled(752, 424),
                  (folder / file).string());
    };
    Scene high = play();
    high.lit.insert({"im_pelko_3_body", "im_pelko_3_up", "im_enemy_3_flame_3", "im_enemy_3_flame_4",
                     "im_enemy_1_flame_1", "im_enemy_4_flame_2", "im_flame_4", "im_enemy_1_bomb",
                     "im_enemy_2_bomb"});
    lcd(high, "play_high.png");
    Scene low = play();
    low.lit.insert({"im_pelko_2_body", "im_pelko_2_down", "im_flame_2", "im_enemy_2_flame_2",
                    "im_partner_right_2"});
    low.lit.erase("im_partner_right_3");
    lcd(low, "play_low.png");
    Scene miss = play();
    miss.lit.insert({"im_pelko_0_body", "im_pelko_0_head", "im_pelko_0_up", "im_pelko_0_boom_1",
                     "im_panel_miss_0", "im_panel_miss_1"});
    for (int n = 1; n <= 5; ++n) {
        miss.lit.erase("im_enemy_" + std::to_string(n) + "_up");
        miss.lit.insert("im_enemy_" + std::to_string(n) + "_down");
    }
    lcd(miss, "miss.png");
    Scene blast = play();
    blast.lit.insert({"im_enemy_boom_2", "im_pelko_5_body", "im_pelko_5_up"});
    for (int n = 1; n <= 5; ++n) blast.lit.erase("im_enemy_" + std::to_string(n) + "_up");
    lcd(blast, "blast.png");
    Scene clock;
    clock.lit = {"im_game_background", "im_partner_left_fort", "im_panel_time_colon",
                 "im_panel_time_pm"};
    clock.digits = {{"im_panel_digit_1", 1},
                    {"im_panel_digit_2", 0},
                    {"im_panel_digit_3", 0},
                    {"im_panel_digit_4", 8}};
    lcd(clock, "clock.png");
    Scene intro = play();
    intro.lit.insert({"im_partner_left_2", "im_pelko_1_body", "im_pelko_1_left",
                      "im_partner_right_4", "im_enemy_5_bomb", "im_enemy_4_bomb"});
    lcd(intro, "partners.png");
    Scene pressed = everything_lit();
    pressed.pressed = {"btn_game_a_down", "btn_bomb_down", "btn_move_down_left", "btn_acl_down"};
    write_png(compose(book, pressed).copy(0, 456, 498, 314), (folder / "pressed.png").string());
}

} // namespace q50gen
