#pragma once

#include <string>

namespace droplet {

// The runner's three failure messages; each program words them its own way.
struct RunnerTexts {
  std::string emptyCommandLine;
  std::string pipeFailed;  // followed directly by the system error code
  std::string processNotCreated;
};

}  // namespace droplet
