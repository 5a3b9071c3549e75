#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/platform.h"
#include "front_end/deliverable.h"
#include "runner/dos_outputs.h"
#include "support/scripted_desktop.h"

namespace droplet::testing {

// The command line that runs the test child (built beside the tests) with `actions`, through
// the platform's interpreter.
inline std::string ChildCommand(const std::string& actions) {
  const std::string tool = ProgramFolder() + Sep() + DROPLET_RUNNER_CHILD_TOOL;
  return InterpreterPrefix() + QuoteForInterpreter(tool) + (actions.empty() ? "" : " " + actions);
}

inline std::string Join(const std::vector<std::string>& chunks) {
  std::string joined;
  for (const auto& chunk : chunks) joined += chunk;
  return joined;
}

// A runner with Orvane's texts whose every notification is recorded.
class RunnerTest : public ::testing::Test {
 protected:
  RunnerTest() {
    runner_.AddReceiveOutputsListener(
        [this](std::string& commandOutputs) { chunks_.push_back(commandOutputs); });
  }

  ScriptedDesktop desktop_;
  DOSOutputs runner_{desktop_, OrvaneDeliverable().runnerTexts};
  std::vector<std::string> chunks_;
};

}  // namespace droplet::testing
