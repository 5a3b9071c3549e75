#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/desktop_services.h"
#include "runner/runner_texts.h"

namespace droplet {

// Runs one command line as a hidden child process and collects everything it prints.
class DOSOutputs {
 public:
  // Receives each chunk as it is read; changes a listener makes to the text stay its own.
  using ReceiveOutputsListener = std::function<void(std::string& commandOutputs)>;

  DOSOutputs(DesktopServices& desktop, RunnerTexts texts);

  void SetCommandLine(const std::string& dosCommand);
  const std::string& CommandLine() const;
  const std::string& Outputs() const;

  // A non-empty argument replaces the stored command line first. Returns the whole output of
  // the child, or empty text after a failure, which is reported with a critical message box.
  std::string ExecuteCommand(const std::string& commandLine = {});

  // ReceiveOutputs: raised once for every read from the pipe, the last time with empty text.
  void AddReceiveOutputsListener(ReceiveOutputsListener listener);

 private:
  void RaiseReceiveOutputs(std::string_view chunk);
  void ReportFailure(const std::string& text);

  DesktopServices& desktop_;
  RunnerTexts texts_;
  std::string commandLine_;
  std::string outputs_;
  std::vector<ReceiveOutputsListener> listeners_;
};

}  // namespace droplet
