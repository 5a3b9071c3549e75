#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/desktop_services.h"
#include "common/posted_call_guard.h"
#include "runner/child_process.h"
#include "runner/runner_texts.h"

namespace droplet {

// Runs one command line as a hidden child process and collects everything it prints.
class DOSOutputs {
 public:
  // Receives each chunk as it is read; changes a listener makes to the text stay its own.
  using ReceiveOutputsListener = std::function<void(std::string& commandOutputs)>;

  // How a run started with StartCommand ended.
  struct RunEnd {
    bool started = false;  // false: nothing ran (empty command line, no pipe, no process)
    bool stopped = false;  // StopCommand ended it
    ChildExit exit;
  };
  using RunEndHandler = std::function<void(const RunEnd&)>;

  DOSOutputs(DesktopServices& desktop, RunnerTexts texts);
  // Stops a child still running and waits for it.
  ~DOSOutputs();
  DOSOutputs(const DOSOutputs&) = delete;
  DOSOutputs& operator=(const DOSOutputs&) = delete;

  void SetCommandLine(const std::string& dosCommand);
  const std::string& CommandLine() const;
  const std::string& Outputs() const;

  // A non-empty argument replaces the stored command line first. Returns the whole output of
  // the child, or empty text after a failure, which is reported with a critical message box.
  // The caller's thread waits for the child.
  std::string ExecuteCommand(const std::string& commandLine = {});

  // ExecuteCommand without waiting: the child is waited for on a thread of its own, and
  // everything else happens on the window's thread through the desktop's posted calls, in
  // order: the outputs grow and ReceiveOutputs is raised for each chunk, then `onEnd` runs.
  // A failure is reported as ExecuteCommand reports it, then `onEnd` runs with started false.
  // Called on the window's thread, while no other run of this object is under way.
  void StartCommand(RunEndHandler onEnd, const std::string& commandLine = {});
  // True from StartCommand until its `onEnd` has been called.
  bool Running() const { return running_; }
  // Stops the running child and everything it started; `onEnd` still follows, with stopped.
  void StopCommand();
  // Waits on the window's thread for the child of a stopped run to be gone. Its posted calls
  // stay queued; `onEnd` runs when they do.
  void WaitForChild();

  // How the latest run that started its process ended.
  const ChildExit& LastExit() const { return lastExit_; }

  // ReceiveOutputs: raised once for every read from the pipe, the last time with empty text.
  void AddReceiveOutputsListener(ReceiveOutputsListener listener);

 private:
  void RaiseReceiveOutputs(std::string_view chunk);
  void ReportFailure(const std::string& text);
  // The failure text of a run that did not start, or empty text.
  std::string FailureText(const SpawnResult& result) const;
  void TakeChunk(std::string_view chunk);
  void FinishRun(const SpawnResult& result, const RunEndHandler& onEnd);

  DesktopServices& desktop_;
  RunnerTexts texts_;
  std::string commandLine_;
  std::string outputs_;
  bool started_ = false;  // the current run's process started: its first chunk empties outputs
  ChildExit lastExit_;
  std::vector<ReceiveOutputsListener> listeners_;

  bool running_ = false;
  std::shared_ptr<RunStopper> stopper_;  // the current run's, shared with its thread
  std::thread worker_;
  PostedCallGuard posted_;  // last: it goes first, before anything a posted call would touch
};

}  // namespace droplet
