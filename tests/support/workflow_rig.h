#pragma once

// The main window's workflow as the workflow and hardening tests drive it: a fresh program
// folder, a folder the user drops from, a current folder of its own, the scripted desktop and a
// recording opener. Where the real converters cannot run (Wine), the test converters come first
// on the search path. Also the process-wide facts (descriptors, children) that must not grow
// from run to run, on POSIX.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "front_end/deliverable.h"
#include "front_end/main_window.h"
#include "support/pdf_writer.h"
#include "support/recording_opener.h"
#include "support/scripted_desktop.h"
#include "support/temp_folder.h"
#include "support/test_environment.h"

namespace droplet::testing {

class WorkflowHarness {
 public:
  WorkflowHarness();
  virtual ~WorkflowHarness();

  // The window under test, created on first use.
  MainWindowWorkflow& Window(const Deliverable& deliverable);
  // Writes a PDF into the documents folder and returns its full path.
  std::string Document(const std::string& name,
                       const std::vector<PdfPage>& pages = NumberedPages(2));

  // Drags `paths` over the window, drops them there and waits until the drop's handling (and
  // its run) is over. Returns true when the program ended.
  bool Drop(const std::vector<std::string>& paths);
  bool Drop(const std::string& path) { return Drop(std::vector<std::string>{path}); }
  // Runs what was posted to the window's thread until the window is idle again. Returns true
  // when the program ended; the window is then started again in the same program folder, as
  // the user would start the program again, and stays at the same address for the test.
  bool Settle();

  std::filesystem::path OutputFolder() const { return program.path() / "output"; }
  // The path of the result the window opens for its latest drop.
  std::string ResultPath() const;

  TempFolder program;
  TempFolder documents;
  TempFolder current;  // the current folder while the window runs; nothing may land there
  ScriptedDesktop desktop;
  RecordingOpener opener;

 private:
  std::unique_ptr<SearchPathScope> converters_;
  std::unique_ptr<MainWindowWorkflow> window_;
  CurrentFolderScope inCurrent_{current.path()};
};

// Runs what `window` posted through `desktop` until the window is idle again. Returns true when
// the program ended.
bool Settle(MainWindowWorkflow& window, ScriptedDesktop& desktop);
// Drags `paths` over `window`, drops them there and settles.
bool DropOnto(MainWindowWorkflow& window, ScriptedDesktop& desktop,
              const std::vector<std::string>& paths);

// A fixture per test; the window's program comes with the first Window() call.
class WorkflowTest : public ::testing::Test, public WorkflowHarness {};

// One program's window, ready at once.
struct WorkflowRig : WorkflowHarness {
  explicit WorkflowRig(const Deliverable& deliverable) : window(Window(deliverable)) {}
  MainWindowWorkflow& window;
};

// Every entry under `root`, by path relative to it: a file's bytes, or "<folder>".
std::map<std::string, std::string> Snapshot(const std::filesystem::path& root);

// The name the converters give their main result: the PDF's name without a final ".pdf" or
// ".PDF" (no other spelling), followed by the result extension.
std::string ConverterResultName(const std::string& pdfName, const std::string& extension);

// POSIX only (workflow_rig_posix.cpp) from here on.

// Writes an executable shell script.
void WriteScript(const std::filesystem::path& path, const std::string& body);

int CountOpenDescriptors();
// Children of this process still in the process table, zombies included.
int CountChildren();
// Processes of the process group `group` that still run, after waiting up to two seconds for
// them to go (a killed process closes its files, and so its pipes, a moment before it is gone).
// Zombies do not count: a killed background child is left to whoever adopts it, which in a
// container may never reap it.
int LivingProcessesInGroup(int group);

}  // namespace droplet::testing
