#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
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

  // Starts `commandLine` without waiting, calls `whileRunning` once it runs, then serves the
  // posted calls as the window's thread would until the run has ended.
  DOSOutputs::RunEnd RunToTheEnd(const std::string& commandLine,
                                 const std::function<void()>& whileRunning = {}) {
    std::optional<DOSOutputs::RunEnd> end;
    runner_.StartCommand(
        [&](const DOSOutputs::RunEnd& ended) {
          chunksAtEnd_ = chunks_.size();
          end = ended;
        },
        commandLine);
    if (whileRunning) whileRunning();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!end && std::chrono::steady_clock::now() < deadline) {
      desktop_.WaitForPostedCalls(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(end.has_value()) << "the run did not end";
    return end.value_or(DOSOutputs::RunEnd{});
  }

  ScriptedDesktop desktop_;
  DOSOutputs runner_{desktop_, OrvaneDeliverable().runnerTexts};
  std::vector<std::string> chunks_;
  size_t chunksAtEnd_ = 0;  // notifications raised before the run's end was reported
};

}  // namespace droplet::testing
