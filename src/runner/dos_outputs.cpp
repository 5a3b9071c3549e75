#include "runner/dos_outputs.h"

#include <string>
#include <string_view>
#include <utility>

#include "common/message_box.h"
#include "common/text_basics.h"
#include "runner/child_process.h"

namespace droplet {
namespace {

// The end of `text` within `limit` bytes: from the first line that starts in it, or, when no
// line starts there, from the first character that does.
std::string_view LastLines(std::string_view text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t start = text.size() - limit;
  if (text[start - 1] != '\n') {
    const size_t lineEnd = text.find('\n', start);
    if (lineEnd != std::string_view::npos && lineEnd + 1 < text.size()) {
      start = lineEnd + 1;
    } else {
      // A UTF-8 character cut in two loses its continuation bytes.
      for (int i = 0; i < 3 && start + 1 < text.size() && IsUtf8Continuation(text[start]); ++i) {
        ++start;
      }
    }
  }
  return text.substr(start);
}

}  // namespace

DOSOutputs::DOSOutputs(DesktopServices& desktop, RunnerTexts texts)
    : desktop_(desktop), texts_(std::move(texts)) {}

DOSOutputs::~DOSOutputs() {
  StopCommand();
  WaitForChild();
}

void DOSOutputs::SetCommandLine(const std::string& dosCommand) {
  commandLine_ = dosCommand;
}

const std::string& DOSOutputs::CommandLine() const {
  return commandLine_;
}

const std::string& DOSOutputs::Outputs() const {
  if (limit_ == 0) return outputs_;
  if (!shownCurrent_) {
    shown_ = LastLines(outputs_, limit_);
    shownCurrent_ = true;
  }
  return shown_;
}

void DOSOutputs::SetOutputsLimit(size_t maxBytes) {
  limitAsked_ = maxBytes;
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
  started_ = false;
  const SpawnResult result =
      RunWithMergedOutput(commandLine_, [this](std::string_view chunk) { TakeChunk(chunk); });
  if (const std::string failure = FailureText(result); !failure.empty()) {
    ReportFailure(failure);
    return {};
  }
  lastExit_ = result.exit;
  if (!started_) BeginOutputs();
  return Outputs();
}

void DOSOutputs::StartCommand(RunEndHandler onEnd, const std::string& commandLine) {
  if (!commandLine.empty()) commandLine_ = commandLine;
  running_ = true;
  if (commandLine_.empty()) {
    ReportFailure(texts_.emptyCommandLine);
    desktop_.PostToWindowThread(posted_.Wrap([this, onEnd = std::move(onEnd)] {
      running_ = false;
      onEnd(RunEnd{});
    }));
    return;
  }

  WaitForChild();  // the thread of the previous run, which has ended
  started_ = false;
  stopper_ = std::make_shared<RunStopper>();
  // The thread touches nothing of this object but through posted calls; the destructor waits
  // for it, so the desktop outlives it.
  worker_ = std::thread([this, line = commandLine_, stopper = stopper_, onEnd = std::move(onEnd)] {
    const SpawnResult result = RunWithMergedOutput(
        line,
        [this](std::string_view chunk) {
          desktop_.PostToWindowThread(
              posted_.Wrap([this, text = std::string(chunk)] { TakeChunk(text); }));
        },
        stopper.get());
    desktop_.PostToWindowThread(posted_.Wrap([this, result, onEnd] { FinishRun(result, onEnd); }));
  });
}

void DOSOutputs::StopCommand() {
  if (stopper_) stopper_->Stop();
}

void DOSOutputs::WaitForChild() {
  if (worker_.joinable()) worker_.join();
}

void DOSOutputs::FinishRun(const SpawnResult& result, const RunEndHandler& onEnd) {
  WaitForChild();
  RunEnd end;
  if (const std::string failure = FailureText(result); !failure.empty()) {
    ReportFailure(failure);
  } else {
    end = {true, result.stopped, result.exit};
    lastExit_ = result.exit;
    if (!started_) BeginOutputs();
  }
  running_ = false;
  onEnd(end);
}

void DOSOutputs::BeginOutputs() {
  started_ = true;
  outputs_.clear();
  limit_ = limitAsked_;
  shownCurrent_ = false;
}

void DOSOutputs::TakeChunk(std::string_view chunk) {
  if (!started_) BeginOutputs();
  outputs_.append(chunk);
  if (limit_ > 0) {
    shownCurrent_ = false;
    // The byte before the last `limit_` tells whether a line starts there; everything before it
    // goes, once it is as much again, so that each byte is moved about once.
    if (outputs_.size() > 2 * (limit_ + 1)) outputs_.erase(0, outputs_.size() - (limit_ + 1));
  }
  RaiseReceiveOutputs(chunk);
}

std::string DOSOutputs::FailureText(const SpawnResult& result) const {
  switch (result.status) {
    case SpawnStatus::kPipeFailed:
      return texts_.pipeFailed + std::to_string(result.systemError);
    case SpawnStatus::kProcessFailed:
      return texts_.processNotCreated;
    case SpawnStatus::kStarted:
      break;
  }
  return {};
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
