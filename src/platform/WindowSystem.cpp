#include "platform/WindowSystem.h"

#include <QByteArray>
#include <QGuiApplication>

#if QT_CONFIG(xcb) && defined(SHIGUREN_HAVE_XLIB)
// Xlib's macros (None, Bool, Status…) clash with Qt's names: it comes last.
#include <X11/Xlib.h>
#endif

namespace WindowSystem {

namespace {

bool x11Composites()
{
#if QT_CONFIG(xcb) && defined(SHIGUREN_HAVE_XLIB)
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return true;
    const QByteArray selection = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(display));
    const Atom atom = XInternAtom(display, selection.constData(), False);
    return XGetSelectionOwner(display, atom) != 0;
#else
    // No way to ask: keep the usual look, as most X11 desktops composite today.
    return true;
#endif
}

} // namespace

bool composites()
{
    if (!qGuiApp)
        return true;
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return x11Composites();
    return true;
}

} // namespace WindowSystem
