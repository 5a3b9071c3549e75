// A small X11 client for the scripts that try the programs on displays the tests cannot drive
// with the pointer (an XWayland server without input of its own):
//   droplet_x11_probe shape WINDOW        prints how many rectangles cut WINDOW to its shape
//   droplet_x11_probe drop WINDOW X Y FILE  drops FILE on WINDOW at X, Y (window pixels) by the
//                                         X11 drag-and-drop protocol; prints "accepted N" and
//                                         "finished N" (1 yes, 0 no)

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "x11_support.h"

int main(int argc, char** argv) {
  namespace x11 = droplet::testing::x11;
  if (argc == 3 && std::strcmp(argv[1], "shape") == 0) {
    std::printf("%d\n", x11::ShapeRectangleCount(std::strtoull(argv[2], nullptr, 0)));
    return 0;
  }
  if (argc == 6 && std::strcmp(argv[1], "drop") == 0) {
    const x11::DropOutcome outcome = x11::DropFile(
        std::strtoull(argv[2], nullptr, 0), std::atoi(argv[3]), std::atoi(argv[4]), argv[5], 20000);
    std::printf("accepted %d\nfinished %d\n", outcome.accepted ? 1 : 0, outcome.finished ? 1 : 0);
    return outcome.accepted && outcome.finished ? 0 : 1;
  }
  std::fprintf(stderr, "usage: %s shape WINDOW | drop WINDOW X Y FILE\n", argv[0]);
  return 2;
}
