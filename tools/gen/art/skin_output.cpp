#include "composite.h"
#include "image_files.h"
#include "outputs.h"
#include "skin_table.h"

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

void write_skin(const ArtBook& book, const fs::path& data) {
    const fs::path dir = data / "Graphics" / "Skin";
    fs::create_directories(dir);
    for (std::string_view name : kSkinImage) {
        if (named_nil(name)) continue;
        QImage image = book.render(name);
        if (is_device_shell(name)) harden_alpha(image);
        const int nudged = avoid_key_colour(image, kKeyRgb);
        if (nudged)
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
    for (std::size_t i = 0; i < kSkinImage.size(); ++i) {
        const auto& g = geometry(kSkinImage[i]);
        ini << "[Image" << i + 1 << "]\n";
        ini << "Filename="
            << (named_nil(g.name) ? std::string("nil") : std::string(g.name) + ".png") << "\n";
        ini << "Left=" << g.left << "\nTop=" << g.top << "\nWidth=" << g.width
            << "\nHeight=" << g.height << "\n\n";
    }
    ini << "[Manual]\nManualDir=Graphics\\Manual\\\nManualWidth=545\nManualHeight=365\n";
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
    // A moment of play: hero at 3 holding high under a lit flame tip, floor flame at 2.
    Scene play;
    play.lit = {"im_game_background", "im_partner_left_fort", "im_partner_left_1",
                "im_partner_right_1", "im_partner_right_3",   "im_flame_10",
                "im_flame_9",         "im_flame_2",           "im_pelko_3_body",
                "im_pelko_3_up",      "im_enemy_3_flame_3",   "im_enemy_3_flame_4",
                "im_enemy_1_flame_1", "im_enemy_4_flame_2",   "im_enemy_1_bomb",
                "im_enemy_2_bomb",    "im_panel_game_a"};
    for (int n = 1; n <= 5; ++n) play.lit.insert("im_enemy_" + std::to_string(n) + "_up");
    play.digits = {{"im_panel_digit_2", 1}, {"im_panel_digit_3", 4}, {"im_panel_digit_4", 7}};
    const QImage game = compose(book, play);
    write_png(game.copy(40, 80, 420, 250).scaled(840, 500), (folder / "play_x2.png").string());
    Scene low = play;
    low.lit.erase("im_pelko_3_up");
    low.lit.erase("im_pelko_3_body");
    low.lit.insert("im_pelko_2_body");
    low.lit.insert("im_pelko_2_down");
    write_png(compose(book, low).copy(40, 80, 420, 250).scaled(840, 500),
              (folder / "play_low_x2.png").string());
}

} // namespace q50gen
