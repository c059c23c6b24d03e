#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "platform/gui/SkipTaskbar.h"

// Xlib last: its macros (None, Bool, Status, ...) would clash with the toolkit's headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace kelvaro::platform {

void MarkSkipTaskbar(QWidget& window) {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 ? x11->display() : nullptr;
  if (display == nullptr) return;
  const auto id = static_cast<::Window>(window.winId());
  const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
  const Atom wanted[] = {XInternAtom(display, "_NET_WM_STATE_SKIP_TASKBAR", False),
                         XInternAtom(display, "_NET_WM_STATE_SKIP_PAGER", False)};

  // The window is not mapped: its initial state is the property itself, which the window manager
  // reads when the window is shown. Keep whatever states are already there.
  std::vector<Atom> states;
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* value = nullptr;
  if (XGetWindowProperty(display, id, state, 0, 1024, False, XA_ATOM, &type, &format, &count,
                         &remaining, &value) == Success &&
      value != nullptr) {
    if (type == XA_ATOM && format == 32) {
      const auto* atoms = reinterpret_cast<const Atom*>(value);
      states.assign(atoms, atoms + count);
    }
    XFree(value);
  }
  for (const Atom atom : wanted) {
    if (std::find(states.begin(), states.end(), atom) == states.end()) states.push_back(atom);
  }
  XChangeProperty(display, id, state, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(states.data()),
                  static_cast<int>(states.size()));
  XFlush(display);
}

}  // namespace kelvaro::platform
