// The Tessik program on Windows: its main window and nothing else.

#include <windows.h>

#include <cstdlib>

#include "front_end/deliverable.h"
#include "front_end/start_up.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = __argc;
  return droplet::RunProgram(droplet::TessikDeliverable(), argc, __argv);
}
