#include "shell/key_repeat.h"

#include <QGuiApplication>

// The fix asks Qt's X11 connection; a Qt without its X11 platform would leave it out unseen.
#if !QT_CONFIG(xcb)
#error "Qt 6 was built without its xcb platform; the desktop needs it (Debian: qt6-base-dev)"
#endif
#include <X11/XKBlib.h>

namespace q50 {

bool use_detectable_auto_repeat() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return false;
    Bool supported = False;
    // Qt's xcb connection is this Display's own, so the setting applies to every window of
    // the program.
    return XkbSetDetectableAutoRepeat(display, True, &supported) && supported;
}

} // namespace q50
