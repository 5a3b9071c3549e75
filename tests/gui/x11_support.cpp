#include "x11_support.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/shape.h>
#include <poll.h>

#include <algorithm>
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

int ShapeRectangleCount(std::uint64_t window) {
  Connection x;
  if (x.display == nullptr) return -1;
  int eventBase = 0;
  int errorBase = 0;
  if (!XShapeQueryExtension(x.display, &eventBase, &errorBase)) return -1;
  XSetErrorHandler(IgnoreErrors);
  int count = 0;
  int ordering = 0;
  XRectangle* rectangles =
      XShapeGetRectangles(x.display, static_cast<Window>(window), ShapeBounding, &count, &ordering);
  if (rectangles == nullptr) return -1;
  XFree(rectangles);
  return count;
}

namespace {

// The atoms of the drag-and-drop protocol.
struct Xdnd {
  explicit Xdnd(Display* display)
      : aware(XInternAtom(display, "XdndAware", False)),
        enter(XInternAtom(display, "XdndEnter", False)),
        position(XInternAtom(display, "XdndPosition", False)),
        status(XInternAtom(display, "XdndStatus", False)),
        leave(XInternAtom(display, "XdndLeave", False)),
        drop(XInternAtom(display, "XdndDrop", False)),
        finished(XInternAtom(display, "XdndFinished", False)),
        selection(XInternAtom(display, "XdndSelection", False)),
        copy(XInternAtom(display, "XdndActionCopy", False)),
        uriList(XInternAtom(display, "text/uri-list", False)),
        targets(XInternAtom(display, "TARGETS", False)) {}
  Atom aware, enter, position, status, leave, drop, finished, selection, copy, uriList, targets;
};

void SendToTarget(Display* display, Window target, Atom type, const long (&data)[5]) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = target;
  event.xclient.message_type = type;
  event.xclient.format = 32;
  for (int i = 0; i < 5; ++i) event.xclient.data.l[i] = data[i];
  XSendEvent(display, target, False, NoEventMask, &event);
  XFlush(display);
}

// A time stamp of the server's: the time of a property change on `window`.
Time ServerTime(Display* display, Window window) {
  XSelectInput(display, window, PropertyChangeMask);
  const Atom stamp = XInternAtom(display, "DROPLET_TIME_STAMP", False);
  XChangeProperty(display, window, stamp, XA_STRING, 8, PropModeAppend, nullptr, 0);
  XEvent event{};
  XWindowEvent(display, window, PropertyChangeMask, &event);
  return event.xproperty.time;
}

// Hands the file list to whoever asks for the drop's data.
void AnswerSelectionRequest(Display* display, const Xdnd& atoms,
                            const XSelectionRequestEvent& request, const std::string& uris) {
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = request.requestor;
  reply.xselection.selection = request.selection;
  reply.xselection.target = request.target;
  reply.xselection.time = request.time;
  reply.xselection.property = request.property != None ? request.property : request.target;
  if (request.target == atoms.uriList) {
    XChangeProperty(display, request.requestor, reply.xselection.property, atoms.uriList, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(uris.data()),
                    static_cast<int>(uris.size()));
  } else if (request.target == atoms.targets) {
    const Atom offered[] = {atoms.targets, atoms.uriList};
    XChangeProperty(display, request.requestor, reply.xselection.property, XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(offered), 2);
  } else {
    reply.xselection.property = None;
  }
  XSendEvent(display, request.requestor, False, NoEventMask, &reply);
  XFlush(display);
}

}  // namespace

DropOutcome DropFile(std::uint64_t window, int x, int y, const std::string& path, int timeoutMs) {
  DropOutcome outcome;
  Connection connection;
  Display* display = connection.display;
  if (display == nullptr) return outcome;
  XSetErrorHandler(IgnoreErrors);
  const Xdnd atoms(display);
  const auto target = static_cast<Window>(window);
  const Window root = DefaultRootWindow(display);
  const Window source = XCreateSimpleWindow(display, root, -10, -10, 1, 1, 0, 0, 0);
  int rootX = 0;
  int rootY = 0;
  Window child = 0;
  XTranslateCoordinates(display, target, root, x, y, &rootX, &rootY, &child);

  // The target's protocol version, from its XdndAware property.
  long version = 0;
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, target, atoms.aware, 0, 1, False, XA_ATOM, &type, &format, &count,
                         &remaining, &data) == Success &&
      data != nullptr) {
    if (count == 1) version = std::min(5L, static_cast<long>(*reinterpret_cast<Atom*>(data)));
    XFree(data);
  }
  if (version < 3) return outcome;

  const Time time = ServerTime(display, source);
  XSetSelectionOwner(display, atoms.selection, source, time);
  const auto sourceId = static_cast<long>(source);
  SendToTarget(display, target, atoms.enter,
               {sourceId, version << 24, static_cast<long>(atoms.uriList), 0, 0});
  SendToTarget(display, target, atoms.position,
               {sourceId, 0, (static_cast<long>(rootX) << 16) | rootY, static_cast<long>(time),
                static_cast<long>(atoms.copy)});

  const std::string uris = "file://" + path + "\r\n";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  bool dropped = false;
  while (std::chrono::steady_clock::now() < deadline) {
    if (XPending(display) == 0) {
      pollfd ready{ConnectionNumber(display), POLLIN, 0};
      poll(&ready, 1, 50);
      continue;
    }
    XEvent event{};
    XNextEvent(display, &event);
    if (event.type == SelectionRequest) {
      AnswerSelectionRequest(display, atoms, event.xselectionrequest, uris);
    } else if (event.type == ClientMessage && event.xclient.message_type == atoms.status &&
               !dropped) {
      outcome.accepted = (event.xclient.data.l[1] & 1) != 0 &&
                         static_cast<Atom>(event.xclient.data.l[4]) == atoms.copy;
      dropped = true;
      if (outcome.accepted) {
        SendToTarget(display, target, atoms.drop, {sourceId, 0, static_cast<long>(time), 0, 0});
      } else {
        SendToTarget(display, target, atoms.leave, {sourceId, 0, 0, 0, 0});
        break;
      }
    } else if (event.type == ClientMessage && event.xclient.message_type == atoms.finished) {
      outcome.finished = version < 5 || (event.xclient.data.l[1] & 1) != 0;
      break;
    }
  }
  XDestroyWindow(display, source);
  return outcome;
}

}  // namespace droplet::testing::x11
