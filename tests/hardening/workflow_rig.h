#pragma once

// What the hardening tests need around the main window's workflow on POSIX: a program folder, a
// folder the user drops from, a current folder of its own, a recording opener, and the
// process-wide facts (descriptors, children) that must not grow from run to run.

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "files/document_opener.h"
#include "front_end/deliverable.h"
#include "front_end/main_window.h"
#include "front_end/test_environment.h"
#include "support/scripted_desktop.h"
#include "support/temp_folder.h"

namespace droplet::testing {

// Records every item it is asked to open and, like the desktop, refuses what does not exist.
class RecordingOpener : public DocumentOpener {
 public:
  bool Open(const std::string& target, const std::string& parameters,
            const std::string& workingFolder) override;
  std::vector<std::string> opened;
};

// Every entry under `root`, by path relative to it: a file's bytes, or "<folder>".
std::map<std::string, std::string> Snapshot(const std::filesystem::path& root);

// POSIX only (workflow_rig_posix.cpp) from here to WorkflowRig.

// `folder` comes first on PATH while the object lives.
class PathPrefixScope {
 public:
  explicit PathPrefixScope(const std::filesystem::path& folder);
  ~PathPrefixScope();
  PathPrefixScope(const PathPrefixScope&) = delete;
  PathPrefixScope& operator=(const PathPrefixScope&) = delete;

 private:
  std::string previous_;
};

// Writes an executable shell script.
void WriteScript(const std::filesystem::path& path, const std::string& body);

int CountOpenDescriptors();
// Children of this process still in the process table, zombies included.
int CountChildren();

// The name the converters give their main result: the PDF's name without a final ".pdf" or
// ".PDF" (no other spelling), followed by the result extension.
std::string ConverterResultName(const std::string& pdfName, const std::string& extension);

// One deliverable's workflow in a fresh program folder, with the folder the user drops from and
// a current folder that nothing should write into. Where the real converters cannot run (Wine),
// the test converters come first on the search path.
struct WorkflowRig {
  explicit WorkflowRig(const Deliverable& deliverable);

  // Drags `path` over the window and drops it; returns true when the program ended.
  bool Drop(const std::string& path);

  std::filesystem::path OutputFolder() const { return program.path() / "output"; }

  std::unique_ptr<SearchPathScope> converters;
  TempFolder program;
  TempFolder source;
  TempFolder current;
  ScriptedDesktop desktop;
  RecordingOpener opener;
  MainWindowWorkflow window;
  CurrentFolderScope inCurrent{current.path()};
};

}  // namespace droplet::testing
