#pragma once

#include "front_end/deliverable.h"

namespace droplet {

// Runs `deliverable` as a program: its application title and version, its main window in its
// start position, shown until the user quits. Returns the program's exit code. Each GUI backend
// implements it; the programs' entry points do nothing else.
int RunProgram(const Deliverable& deliverable, int& argc, char** argv);

}  // namespace droplet
