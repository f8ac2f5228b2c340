#include "shell/pad_source.h"

#include "input/controller_nodes.h"
#include "sound/sdl_library.h"

#include <SDL.h>

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

namespace q50 {

namespace {

constexpr int kPollMs = 4;
constexpr int kSettleMs = 100;
constexpr int kSettlePumps = 30;
constexpr int kGuideFlushMs = 300;

} // namespace

PadSource::PadSource(PadDispatch& dispatch, RealtimeDriver& driver, QObject* parent)
    : QObject(parent), dispatch_(dispatch), driver_(driver) {
    poll_.setInterval(kPollMs);
    poll_.setTimerType(Qt::PreciseTimer);
    connect(&poll_, &QTimer::timeout, this, &PadSource::pump);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, [this] {
        pump();
        if (--settle_left_ <= 0) settle_.stop();
    });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this,
            &PadSource::device_nodes_changed);
    event_node = [](bool is_virtual, const char* sdl_path) {
        return is_virtual || !sdl_path ? std::string() : std::string(sdl_path);
    };
}

PadSource::~PadSource() {
    stop();
}

bool PadSource::start() {
    if (started_) return true;
    const SdlLibrary* sdl = sdl_library();
    if (!sdl) return false;
    // SDL must leave SIGINT and SIGTERM to the program.
    sdl->SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "1", SDL_HINT_OVERRIDE);
    if (sdl->InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return false;
    started_ = true;
    armed_ = false;
    watch_folder();
    pump();
    return true;
}

void PadSource::arm() {
    if (started_ || armed_) return;
    armed_ = true;
    // Watched first, so that a node appearing while the folder is read is not missed.
    watch_folder();
    look_for_controller();
}

void PadSource::look_for_controller() {
    if (!folder_may_hold_controller(folder_.toStdString(), input_class_.toStdString())) return;
    if (!start()) {
        // No SDL: the program has no controllers, and nothing is left to wait for.
        armed_ = false;
        if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
        return;
    }
    // The node that started SDL may not be open to us yet, as after any node that appears.
    settle();
}

void PadSource::watch_folder() {
    // Where controllers appear; until that folder exists, its parent shows it arriving.
    const QString parent = QFileInfo(folder_).absolutePath();
    const QStringList watched = watcher_.directories();
    if (QDir(folder_).exists()) {
        if (!watched.contains(folder_)) watcher_.addPath(folder_);
        if (watched.contains(parent)) watcher_.removePath(parent);
    } else if (QDir(parent).exists() && !watched.contains(parent)) {
        watcher_.addPath(parent);
    }
}

void PadSource::stop() {
    if (armed_) {
        armed_ = false;
        if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    }
    if (!started_) return;
    while (!pads_.empty()) close_controller(pads_.back()->id);
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    poll_.stop();
    settle_.stop();
    sdl_library()->QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    started_ = false;
}

int PadSource::watched_nodes() const {
    return int(std::count_if(pads_.begin(), pads_.end(), [](const auto& p) { return p->fd >= 0; }));
}

int PadSource::waking_nodes() const {
    return int(std::count_if(pads_.begin(), pads_.end(), [](const auto& p) {
        return p->notifier && p->notifier->isEnabled();
    }));
}

void PadSource::node_readable(Pad& pad) {
    // Drained: SDL reads the controller's state its own way; this descriptor only wakes us.
    char buffer[1024];
    ssize_t n;
    while ((n = ::read(pad.fd, buffer, sizeof buffer)) > 0) {
    }
    // An ended or failing node (the controller was pulled out) stays readable for good and
    // would wake the loop without end; its removal comes through the folder's watch.
    if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
        pad.notifier->setEnabled(false);
    pump();
}

void PadSource::device_nodes_changed() {
    watch_folder();
    if (armed_) {
        look_for_controller();
        return;
    }
    pump();
    settle();
}

void PadSource::settle() {
    settle_left_ = kSettlePumps;
    settle_.start();
}

void PadSource::open_controller(int device_index) {
    if (!sdl_library()->IsGameController(device_index)) return;
    const std::int32_t id = sdl_library()->JoystickGetDeviceInstanceID(device_index);
    for (const auto& p : pads_)
        if (p->id == id) return;
    SDL_GameController* c = sdl_library()->GameControllerOpen(device_index);
    if (!c) return;
    auto pad = std::make_unique<Pad>();
    pad->id = id;
    pad->controller = c;
    // Our own descriptor of the controller's event node only wakes the loop; SDL reads its
    // own. Virtual controllers have none and are woken by whoever drives them.
    const bool is_virtual = sdl_library()->JoystickIsVirtual(device_index);
    const std::string node =
        event_node
            ? event_node(is_virtual,
                         sdl_library()->JoystickPath(sdl_library()->GameControllerGetJoystick(c)))
            : std::string();
    if (!node.empty()) pad->fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (pad->fd >= 0) {
        pad->notifier = std::make_unique<QSocketNotifier>(pad->fd, QSocketNotifier::Read);
        connect(pad->notifier.get(), &QSocketNotifier::activated, this,
                [this, p = pad.get()] { node_readable(*p); });
    }
    pad->needs_poll = !is_virtual && pad->fd < 0;
    pads_.push_back(std::move(pad));
    update_wakes();
    emit controllers_changed();
}

void PadSource::close_controller(std::int32_t id) {
    auto it = std::find_if(pads_.begin(), pads_.end(), [&](const auto& p) { return p->id == id; });
    if (it == pads_.end()) return;
    if (dispatch_.holding(id)) driver_.run([&] { dispatch_.pad_removed(id); });
    // Its wake may be what is running now (a pulled-out controller's node reads as failing):
    // the notifier is silenced at once and deleted once control is back in the loop.
    if (QSocketNotifier* n = (*it)->notifier.release()) {
        n->setEnabled(false);
        n->deleteLater();
    }
    if ((*it)->fd >= 0) ::close((*it)->fd);
    sdl_library()->GameControllerClose((*it)->controller);
    pads_.erase(it);
    update_wakes();
    emit controllers_changed();
}

void PadSource::update_wakes() {
    const bool poll =
        std::any_of(pads_.begin(), pads_.end(), [](const auto& p) { return p->needs_poll; });
    if (poll && !poll_.isActive()) poll_.start();
    if (!poll) poll_.stop();
}

void PadSource::pump() {
    if (!started_) return;
    ++pumps_;
    sdl_library()->PumpEvents();
    SDL_Event e;
    while (sdl_library()->PollEvent(&e)) {
        switch (e.type) {
        case SDL_CONTROLLERDEVICEADDED:
            open_controller(e.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            close_controller(e.cdevice.which);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: {
            if (e.cbutton.button >= kPadButtonCount) break;
            const auto b = PadButton(e.cbutton.button);
            const std::int32_t pad = e.cbutton.which;
            // SDL holds back a Guide release that follows its press within a quarter of a
            // second and hands it out only at a later pump: one is made for it.
            if (b == PadButton::guide) QTimer::singleShot(kGuideFlushMs, this, &PadSource::pump);
            if (e.type == SDL_CONTROLLERBUTTONUP) {
                driver_.run([&] { dispatch_.button_up(pad, b); });
                break;
            }
            if (capture && capture(b)) break;
            if (accepting && !accepting()) break;
            driver_.run([&] { dispatch_.button_down(pad, b); });
            break;
        }
        case SDL_CONTROLLERAXISMOTION: {
            if (e.caxis.axis >= kPadAxisCount) break;
            const auto a = PadAxis(e.caxis.axis);
            // Only the left stick's x acts; the other axes of a controller that reports them
            // all the time (its triggers, the right stick) must not run the driver and repaint.
            if (a != PadAxis::leftx) break;
            const std::int32_t pad = e.caxis.which;
            const int value = e.caxis.value;
            // A stick moved while input is not taken may still let go of what it held.
            const int v = (accepting && !accepting()) ? 0 : value;
            if (v == 0 && !dispatch_.holding(pad)) break;
            driver_.run([&] { dispatch_.axis(pad, a, v); });
            break;
        }
        default:
            break; // joystick-level and other events: the controller events say it all
        }
    }
}

} // namespace q50
