#include "shell/key_repeat.h"

#include <QGuiApplication>

#if __has_include(<X11/XKBlib.h>) && QT_CONFIG(xcb)
#include <X11/XKBlib.h>
#define Q50_HAVE_XKB 1
#endif

namespace q50 {

bool use_detectable_auto_repeat() {
#ifdef Q50_HAVE_XKB
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return false;
    Bool supported = False;
    // Qt's xcb connection is this Display's own, so the setting applies to every window of
    // the program.
    return XkbSetDetectableAutoRepeat(display, True, &supported) && supported;
#else
    return false;
#endif
}

} // namespace q50
