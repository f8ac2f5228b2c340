#include "shell/skin_session.h"

#include "host/setting_names.h"
#include "shell/core/skin_folders.h"
#include "shell/program.h"

#include <QTimer>

#include <unistd.h>

namespace q50 {

SkinSession::SkinSession(Program& program, Board& board, WindowModel& window)
    : program_(program), board_(board), window_(window),
      watcher_(std::make_unique<SkinWatcher>([this] { reload(); })) {}

void SkinSession::choose(const std::filesystem::path& given) {
    if (!given.empty()) {
        dir_ = given;
        command_line_ = true;
    } else if (const auto stored = program_.store().read_text(setting::Skin);
               stored && !stored->empty()) {
        // A chosen skin whose folder has gone leaves the delivered one in use.
        if (const auto skin = find_user_skin(skin_search_path(), *stored)) {
            dir_ = skin->dir;
            name_ = skin->name;
        }
    }
}

SkinLoadResult SkinSession::load(SkinEnvironment env,
                                 const std::function<void(const SkinLoadResult&)>& loaded) {
    if (dir_.empty()) {
        env.executable_dir = program_.options().executable_dir;
        env.current_dir = program_.options().current_dir;
    } else {
        // A skin folder of its own: its Config.ini and its relative folders are all found there.
        env.executable_dir = env.current_dir = dir_;
    }
    env.budget = &budget_;
    // What an earlier load left waiting may still be held (the fresh device keeps pictures):
    // it is completed before anything is replaced. Only the first frame waits for nothing it
    // does not show; a later load decodes every picture as it goes.
    TForm1& w = program_.main_window();
    w.finish_waiting_pictures();
    before_waiting_load_.reset();
    if (!w.painted_once() && !load_without_waiting_) {
        env.waiting = &waiting_;
        before_waiting_load_ = BeforeLoad{board_.segments(), window_};
    }
    const SkinLoadResult r = q50::Load_Skin(board_, window_, env, program_.messages());
    if (loaded) loaded(r);
    // Only noted here: a set is read when a scale needs it, after the first frame.
    sets_.offer(env, board_, &program_.messages());
    w.set_skin_sets(&sets_);
    return r;
}

void SkinSession::picture_failed() {
    // Once the event loop is back (a paint may have asked for the picture).
    load_without_waiting_ = true;
    QTimer::singleShot(0, &program_, [this] { load_again_without_waiting(); });
}

void SkinSession::load_again_without_waiting() {
    if (!before_waiting_load_) return;
    const BeforeLoad before = std::move(*before_waiting_load_);
    before_waiting_load_.reset();
    Board& b = board_;
    std::vector<Segment*> loaded{&b.get("im_backdrop"), &b.get("im_backdrop_logo"),
                                 &b.get("btn_game_menu_background")};
    for (int i = 1; i <= kSkinImageCount; ++i) loaded.push_back(&b.get(skin_image_control(i)));
    for (Segment* s : loaded) {
        const Segment& was = before.segments[std::size_t(s - b.segments().data())];
        if (was.picture_source)
            b.copy_picture(*s, b.get(*was.picture_source));
        else if (was.picture)
            b.set_picture(*s, was.picture);
        else
            b.clear_picture(*s);
        b.set_rect(*s, was.rect);
    }
    window_ = before.window;
    program_.through_driver([this, &b] {
        program_.Load_Skin();
        // Segments that showed a copy of a picture the load has replaced show the new one.
        for (Segment& s : b.segments())
            if (s.picture_source)
                if (const Segment& from = b.get(*s.picture_source); from.picture != s.picture)
                    b.copy_picture(s, from);
    });
}

bool SkinSession::delivered_read_only() const {
    if (program_.options().installed) return true;
    const std::filesystem::path config = program_.options().executable_dir / "Config.ini";
    return ::access(config.c_str(), W_OK) != 0;
}

void SkinSession::use(const std::string& name) {
    std::filesystem::path dir;
    if (!name.empty()) {
        const auto skin = find_user_skin(skin_search_path(), name);
        if (!skin) return; // gone since the menu listed it
        dir = skin->dir;
    }
    dir_ = dir;
    name_ = name;
    state_ = SkinFolderState::Ready;
    command_line_ = false;
    program_.store().write_text(setting::Skin, name);
    // As the presentation switch does: off screen, loaded afresh, centred. Shown flags and
    // timers are the device's and stay as they are.
    program_.through_driver([this] {
        program_.main_window().move_off_screen();
        program_.Load_Skin();
        program_.main_window().centre_on_screen();
    });
    watch();
}

void SkinSession::reload() {
    // A message box of a reload runs its own event loop, where the next change may arrive:
    // it is taken up once the box is closed.
    if (reloading_) {
        reload_pending_ = true;
        return;
    }
    reloading_ = true;
    do {
        reload_pending_ = false;
        if (dir_.empty()) break;
        // What cannot be loaded is reported once while it lasts, and the skin that loaded last
        // stays on the screen.
        const SkinFolderState state = skin_folder_state(dir_);
        if (state != SkinFolderState::Ready) {
            report_state(state);
            break;
        }
        state_ = SkinFolderState::Ready;
        program_.through_driver([this] { program_.Load_Skin(); });
    } while (reload_pending_ && !program_.ending());
    reloading_ = false;
    watch();
    // The watch is set anew after the load: a change made while the skin loaded (a busy machine
    // takes a while) came before it and would go unseen.
    if (!dir_.empty() && !program_.ending() && skin_folder_state(dir_) != state_) reload();
}

void SkinSession::report_state(SkinFolderState state) {
    const SkinFolderState was = state_;
    state_ = state;
    // An editor that saves by removing and writing anew leaves a moment without the file, and
    // a folder copied back comes before its files: the watch reports the file's return.
    if (state == was ||
        (state == SkinFolderState::ConfigGone && was == SkinFolderState::FolderGone))
        return;
    const std::string dir = dir_.string();
    const std::string config = (dir_ / "Config.ini").string();
    std::string text;
    switch (state) {
    case SkinFolderState::FolderGone:
        text = "The skin folder " + dir + " is gone (removed or moved away).";
        break;
    case SkinFolderState::ConfigGone:
        text = "The skin's configuration file " + config + " is gone (removed or moved away).";
        break;
    case SkinFolderState::NoPictures:
        text = "The skin's configuration file " + config +
               " shows nothing: it names no picture that can be found, or gives nothing a size.";
        break;
    case SkinFolderState::Ready:
        return;
    }
    // Not inside the watch's callback: the box runs a loop of its own.
    text += " The skin loaded last stays in use; it is loaded again as soon as the skin is "
            "back in order.";
    QTimer::singleShot(0, &program_, [this, text] {
        if (!program_.closed()) program_.messages().error(text);
    });
}

} // namespace q50
