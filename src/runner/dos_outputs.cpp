#include "runner/dos_outputs.h"

#include <string>
#include <string_view>
#include <utility>

#include "common/message_box.h"
#include "runner/child_process.h"

namespace droplet {

DOSOutputs::DOSOutputs(DesktopServices& desktop, RunnerTexts texts)
    : desktop_(desktop), texts_(std::move(texts)) {}

void DOSOutputs::SetCommandLine(const std::string& dosCommand) {
  commandLine_ = dosCommand;
}

const std::string& DOSOutputs::CommandLine() const {
  return commandLine_;
}

const std::string& DOSOutputs::Outputs() const {
  return outputs_;
}

void DOSOutputs::AddReceiveOutputsListener(ReceiveOutputsListener listener) {
  listeners_.push_back(std::move(listener));
}

std::string DOSOutputs::ExecuteCommand(const std::string& commandLine) {
  if (!commandLine.empty()) commandLine_ = commandLine;
  if (commandLine_.empty()) {
    ReportFailure(texts_.emptyCommandLine);
    return {};
  }

  // The service calls back only once the process runs, so the previous run's text survives
  // every failure that comes before that.
  bool started = false;
  const SpawnResult result = RunWithMergedOutput(commandLine_, [&](std::string_view chunk) {
    if (!started) {
      outputs_.clear();
      started = true;
    }
    outputs_.append(chunk);
    RaiseReceiveOutputs(chunk);
  });

  switch (result.status) {
    case SpawnStatus::kPipeFailed:
      ReportFailure(texts_.pipeFailed + std::to_string(result.systemError));
      return {};
    case SpawnStatus::kProcessFailed:
      ReportFailure(texts_.processNotCreated);
      return {};
    case SpawnStatus::kStarted:
      break;
  }
  if (!started) outputs_.clear();
  return outputs_;
}

void DOSOutputs::RaiseReceiveOutputs(std::string_view chunk) {
  for (const auto& listener : listeners_) {
    // Each listener works on a copy of its own.
    std::string commandOutputs(chunk);
    listener(commandOutputs);
  }
}

void DOSOutputs::ReportFailure(const std::string& text) {
  desktop_.ShowMessageBox(text, kMbOk | kMbIconStop, kApplicationTitle);
}

}  // namespace droplet
