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
  // From the next run on, Outputs() keeps at most the last `maxBytes` bytes of the output (cut
  // at a line start where one lies in them); 0, the default, keeps everything.
  void SetOutputsLimit(size_t maxBytes);

  // A non-empty argument replaces the stored command line first. Returns the output of the
  // child as Outputs() keeps it (whole without a limit), or empty text after a failure, which is
  // reported with a critical message box. The caller's thread waits for the child.
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
  // The first output of a run that started: the outputs start afresh, under the limit asked for.
  void BeginOutputs();
  void FinishRun(const SpawnResult& result, const RunEndHandler& onEnd);

  DesktopServices& desktop_;
  RunnerTexts texts_;
  std::string commandLine_;
  // The output of the latest run; under a limit only its end, between limit_ + 1 and about
  // twice that many bytes, of which Outputs() shows the last lines.
  std::string outputs_;
  size_t limitAsked_ = 0;
  size_t limit_ = 0;                   // the latest run's
  mutable std::string shown_;          // Outputs() under a limit
  mutable bool shownCurrent_ = false;  // shown_ is what outputs_ holds
  bool started_ = false;  // the current run's process started: its first chunk empties outputs
  ChildExit lastExit_;
  std::vector<ReceiveOutputsListener> listeners_;

  bool running_ = false;
  std::shared_ptr<RunStopper> stopper_;  // the current run's, shared with its thread
  std::thread worker_;
  PostedCallGuard posted_;  // last: it goes first, before anything a posted call would touch
};

}  // namespace droplet
