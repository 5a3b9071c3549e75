#include "x11_support.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <poll.h>

#include <atomic>
#include <chrono>

namespace droplet::testing::x11 {
namespace {

struct Connection {
  Connection() : display(XOpenDisplay(nullptr)) {}
  ~Connection() {
    if (display != nullptr) XCloseDisplay(display);
  }
  Display* display;
};

int IgnoreErrors(Display*, XErrorEvent*) {
  return 0;
}

std::vector<std::uint64_t> WindowList(Display* display, Window owner, const char* property) {
  std::vector<std::uint64_t> windows;
  Atom actualType = 0;
  int actualFormat = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  const Atom atom = XInternAtom(display, property, True);
  if (atom == 0) return windows;
  if (XGetWindowProperty(display, owner, atom, 0, 4096, False, XA_WINDOW, &actualType,
                         &actualFormat, &count, &remaining, &data) == Success &&
      data != nullptr) {
    if (actualFormat == 32) {
      const auto* ids = reinterpret_cast<const unsigned long*>(data);
      windows.assign(ids, ids + count);
    }
    XFree(data);
  }
  return windows;
}

}  // namespace

bool RequestClose(std::uint64_t window) {
  Connection x;
  if (x.display == nullptr) return false;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = static_cast<Window>(window);
  event.xclient.message_type = XInternAtom(x.display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(x.display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const Status sent =
      XSendEvent(x.display, static_cast<Window>(window), False, NoEventMask, &event);
  XFlush(x.display);
  return sent != 0;
}

std::vector<std::uint64_t> StackingOrder() {
  Connection x;
  if (x.display == nullptr) return {};
  return WindowList(x.display, DefaultRootWindow(x.display), "_NET_CLIENT_LIST_STACKING");
}

std::string WindowName(std::uint64_t window) {
  Connection x;
  if (x.display == nullptr) return {};
  std::string name;
  Atom actualType = 0;
  int actualFormat = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  const Atom property = XInternAtom(x.display, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(x.display, "UTF8_STRING", False);
  XErrorHandler previous = XSetErrorHandler(IgnoreErrors);
  if (XGetWindowProperty(x.display, static_cast<Window>(window), property, 0, 1024, False, utf8,
                         &actualType, &actualFormat, &count, &remaining, &data) == Success &&
      data != nullptr) {
    if (actualType == utf8 && actualFormat == 8) name.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
  }
  XSync(x.display, False);
  XSetErrorHandler(previous);
  return name;
}

bool WindowManagerRunning() {
  Connection x;
  if (x.display == nullptr) return false;
  // A manager that has gone may leave the root's property behind; the window it names then
  // no longer exists (or no longer names itself).
  const auto check =
      WindowList(x.display, DefaultRootWindow(x.display), "_NET_SUPPORTING_WM_CHECK");
  if (check.empty()) return false;
  XErrorHandler previous = XSetErrorHandler(IgnoreErrors);
  const auto self =
      WindowList(x.display, static_cast<Window>(check[0]), "_NET_SUPPORTING_WM_CHECK");
  XSync(x.display, False);
  XSetErrorHandler(previous);
  return !self.empty() && self[0] == check[0];
}

int PingMilliseconds(std::uint64_t window, int timeoutMs) {
  Connection x;
  if (x.display == nullptr) return -1;
  const Window root = DefaultRootWindow(x.display);
  // The answer goes to the root window: Qt sends it to whoever watches the root's structure,
  // other toolkits to whoever watches its children.
  XSelectInput(x.display, root, StructureNotifyMask | SubstructureNotifyMask);
  const Atom protocols = XInternAtom(x.display, "WM_PROTOCOLS", False);
  const Atom ping = XInternAtom(x.display, "_NET_WM_PING", False);
  static std::atomic<long> stamps{1000};
  const long stamp = ++stamps;
  XEvent request{};
  request.xclient.type = ClientMessage;
  request.xclient.window = static_cast<Window>(window);
  request.xclient.message_type = protocols;
  request.xclient.format = 32;
  request.xclient.data.l[0] = static_cast<long>(ping);
  request.xclient.data.l[1] = stamp;
  request.xclient.data.l[2] = static_cast<long>(window);
  XSendEvent(x.display, static_cast<Window>(window), False, NoEventMask, &request);
  XFlush(x.display);

  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  const auto deadline = start + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    while (XPending(x.display) > 0) {
      XEvent event;
      XNextEvent(x.display, &event);
      if (event.type == ClientMessage && event.xclient.message_type == protocols &&
          static_cast<Atom>(event.xclient.data.l[0]) == ping && event.xclient.data.l[1] == stamp) {
        return static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
      }
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return -1;
    pollfd connection{ConnectionNumber(x.display), POLLIN, 0};
    ::poll(&connection, 1, static_cast<int>(left));
  }
}

std::uint64_t ShownCursorSerial() {
  Connection x;
  if (x.display == nullptr) return 0;
  int eventBase = 0;
  int errorBase = 0;
  if (!XFixesQueryExtension(x.display, &eventBase, &errorBase)) return 0;
  XFixesCursorImage* image = XFixesGetCursorImage(x.display);
  if (image == nullptr) return 0;
  const std::uint64_t serial = image->cursor_serial;
  XFree(image);
  return serial;
}

}  // namespace droplet::testing::x11
