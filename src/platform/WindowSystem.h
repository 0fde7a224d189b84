#pragma once

// What the window system does with the windows the program opens.
namespace WindowSystem {

// Whether windows with see-through parts are blended over what lies beneath them. On X11 that
// takes a compositing manager, which owns the `_NET_WM_CM_S<screen>` selection while it runs;
// without one a translucent window's clear pixels come out black. Wayland, and the other
// platforms Qt runs on, always composite.
bool composites();

} // namespace WindowSystem
