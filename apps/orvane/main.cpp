// The Orvane program: its main window and nothing else.

#include "front_end/start_up.h"

int main(int argc, char** argv) {
  return droplet::RunProgram(droplet::OrvaneDeliverable(), argc, argv);
}
