#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "files/document_opener.h"
#include "front_end/main_window.h"
#include "front_end/test_environment.h"
#include "support/pdf_writer.h"
#include "support/scripted_desktop.h"
#include "support/temp_folder.h"

namespace droplet::testing {

// Records what it is asked to open and, like the desktop, refuses what does not exist.
class RecordingOpener : public DocumentOpener {
 public:
  struct Request {
    std::string target;
    std::string parameters;
    std::string workingFolder;
  };
  bool Open(const std::string& target, const std::string& parameters,
            const std::string& workingFolder) override;
  std::vector<std::string> Targets() const;

  std::vector<Request> requests;
};

// One window's workflow over a fresh program folder, with a folder the user drops from. The
// converters are the real ones, or the test converters where those cannot run.
class WorkflowTest : public ::testing::Test {
 protected:
  WorkflowTest();

  // The window under test, created on first use.
  MainWindowWorkflow& Window(const Deliverable& deliverable);
  // Writes a PDF into the documents folder and returns its full path.
  std::string Document(const std::string& name,
                       const std::vector<PdfPage>& pages = NumberedPages(2));
  // Drags `paths` over the window and drops them there. Returns true when the program ended.
  bool Drop(const std::vector<std::string>& paths);

  std::filesystem::path Output() const { return program.path() / "output"; }
  // The path of the result the window opens for its latest drop.
  std::string ResultPath() const;

  TempFolder program;
  TempFolder documents;
  ScriptedDesktop desktop;
  RecordingOpener opener;

 private:
  std::optional<SearchPathScope> converters_;
  std::unique_ptr<MainWindowWorkflow> window_;
};

}  // namespace droplet::testing
