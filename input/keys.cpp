#include "input/keys.h"

#include "host/setting_names.h"

namespace q50 {

namespace {

// The digits and letters are built from their character codes; the eight named keys follow.
struct KeyTable {
    std::array<std::string, 45> dialog;
    std::array<std::string, 45> name;
    std::array<std::uint16_t, 45> code{};
    std::array<AssignableKey, 45> keys{};
    KeyTable() {
        for (int n = 1; n <= 36; ++n) {
            const char c = char(n <= 10 ? n + 47 : n + 54);
            dialog[n] = std::string(1, c);
            name[n] = std::string("'") + c + "'";
            code[n] = std::uint16_t(c);
        }
        const struct {
            const char* dialog;
            const char* name;
            std::uint16_t code;
        } named[8] = {
            {"<UP ARROW>", "'up arrow' key", 38},
            {"<DOWN ARROW>", "'down arrow' key", 40},
            {"<LEFT ARROW>", "'left arrow' key", 37},
            {"<RIGHT ARROW>", "'right arrow' key", 39},
            {"<ALT>", "'alt' key", 18},
            {"<CTRL>", "'ctrl' key", 17},
            {"<SHIFT>", "'shift' key", 16},
            {"<SPACEBAR>", "'spacebar'", 32},
        };
        for (int i = 0; i < 8; ++i) {
            dialog[37 + i] = named[i].dialog;
            name[37 + i] = named[i].name;
            code[37 + i] = named[i].code;
        }
        for (int n = 1; n <= 44; ++n) keys[n] = {dialog[n], name[n], code[n]};
    }
};

const KeyTable& table() {
    static const KeyTable t;
    return t;
}

} // namespace

const AssignableKey& assignable_key(int number) {
    if (number < 1 || number > kAssignableKeyCount) number = 0;
    return table().keys[std::size_t(number)];
}

int assignable_key_number(std::uint16_t code) {
    for (int n = 1; n <= kAssignableKeyCount; ++n)
        if (table().code[std::size_t(n)] == code) return n;
    return 0;
}

void KeyAssignments::Keys_Load(SettingsStore& store, Board& board) {
    for (int n = 1; n <= kAssignableKeyCount; ++n)
        Key_Name[std::size_t(n)] = std::string(assignable_key(n).name);
    for (int n = 1; n <= kAssignmentCount; ++n) {
        const std::int32_t dflt = assignment(n).default_key;
        std::int32_t c = store.read_int(setting::key(n), dflt);
        if (c < 1 || c > kAssignableKeyCount) c = dflt;
        Key_Binding[std::size_t(n)].Choice = c;
    }
    // Written back all at once: a first start writes every one, and the file store flushes
    // each write it keeps to the disk.
    SettingsStore::Texts values;
    for (int n = 1; n <= kAssignmentCount; ++n) {
        const KeyBindingRecord& rec = Key_Binding[std::size_t(n)];
        values.emplace_back(setting::key(n), std::to_string(rec.Choice));
        AssignWord(n, rec);
    }
    store.write_texts(values);
    Keys_Build_Hints(board);
}

void KeyAssignments::assign(SettingsStore& store, int n, std::int32_t choice) {
    KeyBindingRecord& rec = Key_Binding[std::size_t(n)];
    rec.Choice = choice;
    store.write_int(setting::key(n), choice);
    AssignWord(n, rec);
}

void KeyAssignments::AssignWord(int n, const KeyBindingRecord& rec) {
    if (n < 1 || n > kAssignmentCount) return;
    if (rec.Choice < 1 || rec.Choice > kAssignableKeyCount) return;
    Key_Binding[std::size_t(n)].Code = assignable_key(rec.Choice).code;
}

const std::string& KeyAssignments::K(int n) const {
    static const std::string none;
    const std::int32_t c = Key_Binding[std::size_t(n)].Choice;
    if (c < 1 || c > kAssignableKeyCount) return none;
    return Key_Name[std::size_t(c)];
}

void KeyAssignments::Keys_Build_Hints(Board& b) const {
    const std::string click = "click or press ";
    b.get("btn_open").hint = click + K(4) + " " + "to open the game";
    b.get("btn_game_a_top").hint = click + K(1) + " " + "to start game A (hold to view highscore)";
    b.get("btn_game_b_top").hint = click + K(2) + " " + "to start game B (hold to view highscore)";
    b.get("btn_time_top").hint =
        click + K(3) + " " + "to view current time (hold to view alarm time)";
    b.get("btn_acl_top").hint = click + K(4) + " " + "to reset the game";
    b.get("btn_alarm_top").hint = "button disabled";
    b.get("btn_move_top").hint = "activate the controller overlays or use " + K(5) + ", " + K(6);
    b.get("btn_bomb_top").hint = click + K(7);
    b.get("btn_ctrlr_overlay_left").hint = click + K(5);
    b.get("btn_ctrlr_overlay_right").hint = click + K(6);
}

} // namespace q50
