#pragma once
// Game controllers through SDL's game-controller subsystem (and only that: no video, no
// audio here), with SDL's own controller database. Controllers present at start and any
// plugged in later are opened at once; their buttons and left stick go to the controller
// dispatch through the real-time driver.
//
// SDL and the thirty-odd libraries it brings need not be loaded on a machine with no
// controller: armed, the source only watches /dev/input and starts SDL once a node there can
// be a game controller (input/controller_nodes.h). Once started it stays started.
//
// Nothing polls while no controller is connected: a file-system watch on /dev/input wakes
// the source when a device node comes or goes. A connected controller's own event node is
// watched as well, so a press wakes the loop as it happens; a controller without a node of
// its own that SDL can name falls back to a 4 ms poll while it stays connected.
#include "input/pad.h"
#include "shell/realtime_driver.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct _SDL_GameController;

namespace q50 {

class PadSource : public QObject {
    Q_OBJECT
  public:
    PadSource(PadDispatch& dispatch, RealtimeDriver& driver, QObject* parent = nullptr);
    ~PadSource() override;

    // Starts SDL's game-controller subsystem and opens the controllers already there. False
    // when SDL could not start it (the program then simply has no controllers).
    bool start();
    // Waits for a controller without SDL: start() follows as soon as the device folder holds a
    // node that can be one, at once when it holds one already. True while waiting.
    void arm();
    bool armed() const { return armed_; }
    // The folder whose changes tell of controllers coming and going (/dev/input; its parent is
    // watched until it exists). Set before start() or arm().
    void set_device_folder(const QString& folder) { folder_ = folder; }
    // Where the kernel describes the input devices, which tells an armed source whether an
    // event node is a controller's (/sys/class/input). Set before arm().
    void set_input_class_folder(const QString& folder) { input_class_ = folder; }
    // A controller's event node, whose readability wakes the source: SDL's path of it by
    // default, none for a virtual controller (whoever drives it wakes the source).
    std::function<std::string(bool is_virtual, const char* sdl_path)> event_node;
    // Lets SDL's subsystem go, or ends the wait of an armed source.
    void stop();
    bool started() const { return started_; }

    // Takes what SDL has seen since the last call: controllers added and removed, buttons,
    // axes. Called by the wakes above; tests call it after changing a virtual controller.
    void pump();

    int connected() const { return int(pads_.size()); }
    // True while the 4 ms fallback poll runs.
    bool polling() const { return poll_.isActive(); }
    // The event nodes watched for input, and of those the ones still waking the source (a node
    // that reads as ended or failing, as a pulled-out controller's does, no longer wakes it).
    int watched_nodes() const;
    int waking_nodes() const;
    // How often the source has looked at SDL's events so far.
    std::uint64_t pumps() const { return pumps_; }
    // True while the pumps that follow a change of the device folder run.
    bool settling() const { return settle_.isActive(); }

    // Presses act only while this says so (the device runs, the main window takes input);
    // releases of held buttons always arrive.
    std::function<bool()> accepting;
    // While set, a button press goes here instead of the device (the key dialog listening
    // for a controller button); true when it was taken.
    std::function<bool(PadButton)> capture;

  signals:
    void controllers_changed();

  private:
    struct Pad {
        std::int32_t id = -1;
        _SDL_GameController* controller = nullptr;
        int fd = -1;
        std::unique_ptr<QSocketNotifier> notifier;
        bool needs_poll = false;
    };
    void open_controller(int device_index);
    void close_controller(std::int32_t id);
    void update_wakes();
    void device_nodes_changed();
    // An armed source's look at the device folder: SDL starts when a node can be a controller.
    void look_for_controller();
    void settle();

    PadDispatch& dispatch_;
    RealtimeDriver& driver_;
    bool started_ = false;
    bool armed_ = false;
    std::vector<std::unique_ptr<Pad>> pads_;
    QString folder_ = QStringLiteral("/dev/input");
    QString input_class_ = QStringLiteral("/sys/class/input");
    QFileSystemWatcher watcher_;
    std::uint64_t pumps_ = 0;
    void watch_folder();
    void node_readable(Pad& pad);
    QTimer poll_;
    // After a node appears, a device may need a moment until it may be opened (its
    // permissions are set after it appears): a few pumps follow it, then nothing.
    QTimer settle_;
    int settle_left_ = 0;
};

} // namespace q50
