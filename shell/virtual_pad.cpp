#include "shell/virtual_pad.h"

#include "sound/sdl_library.h"

#include "shell/pad_source.h"

#include <SDL.h>

#include <fcntl.h>
#include <unistd.h>

#include <sstream>

namespace q50 {

VirtualPad::~VirtualPad() {
    detach();
}

bool VirtualPad::attach() {
    if (joystick_) return true;
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1;
    desc.button_mask = (1u << desc.nbuttons) - 1;
    desc.axis_mask = (1u << desc.naxes) - 1;
    desc.name = "Quendrix50 virtual controller";
    const SdlLibrary* sdl = sdl_library();
    if (!sdl) return false;
    device_index_ = sdl->JoystickAttachVirtualEx(&desc);
    if (device_index_ < 0) return false;
    joystick_ = sdl_library()->JoystickOpen(device_index_);
    if (!joystick_) {
        sdl_library()->JoystickDetachVirtual(device_index_);
        return false;
    }
    return true;
}

void VirtualPad::detach() {
    if (!joystick_) return;
    // The device index may have moved since other devices came and went; find ours again.
    const SDL_JoystickID id = sdl_library()->JoystickInstanceID(joystick_);
    sdl_library()->JoystickClose(joystick_);
    joystick_ = nullptr;
    for (int i = 0; i < sdl_library()->NumJoysticks(); ++i)
        if (sdl_library()->JoystickGetDeviceInstanceID(i) == id)
            sdl_library()->JoystickDetachVirtual(i);
}

void VirtualPad::set_button(PadButton b, bool down) {
    if (joystick_ && int(b) <= SDL_CONTROLLER_BUTTON_DPAD_RIGHT)
        sdl_library()->JoystickSetVirtualButton(joystick_, int(b),
                                                down ? SDL_PRESSED : SDL_RELEASED);
}

void VirtualPad::set_axis(PadAxis a, int value) {
    if (joystick_) sdl_library()->JoystickSetVirtualAxis(joystick_, int(a), Sint16(value));
}

VirtualPadHook::VirtualPadHook(const std::string& fifo, PadSource& source) : source_(source) {
    // Opened for writing too, so that the FIFO never reads as ended between two writers.
    fd_ = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return;
    pad_.attach();
    source_.pump();
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &VirtualPadHook::read_commands);
}

VirtualPadHook::~VirtualPadHook() {
    notifier_.reset();
    if (fd_ >= 0) ::close(fd_);
}

void VirtualPadHook::read_commands() {
    char buffer[512];
    ssize_t n;
    while ((n = ::read(fd_, buffer, sizeof buffer)) > 0) pending_.append(buffer, std::size_t(n));
    std::size_t end;
    while ((end = pending_.find('\n')) != std::string::npos) {
        const std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        apply(line);
        source_.pump();
    }
}

void VirtualPadHook::apply(const std::string& line) {
    std::istringstream in(line);
    std::string word, name;
    in >> word >> name;
    if (word == "attach") {
        pad_.attach();
    } else if (word == "detach") {
        pad_.detach();
    } else if (word == "down" || word == "up") {
        if (auto b = pad_button_by_name(name)) pad_.set_button(*b, word == "down");
    } else if (word == "axis") {
        int value = 0;
        in >> value;
        if (auto a = pad_axis_by_name(name)) pad_.set_axis(*a, value);
    }
}

} // namespace q50
