#include "front_end/workflow_fixture.h"

#include <algorithm>

#include "common/platform.h"
#include "files/file_operations.h"

namespace droplet::testing {

namespace fs = std::filesystem;

bool RecordingOpener::Open(const std::string& target, const std::string& parameters,
                           const std::string& workingFolder) {
  requests.push_back({target, parameters, workingFolder});
  std::error_code error;
  return fs::exists(PathFromUtf8(target), error);
}

std::vector<std::string> RecordingOpener::Targets() const {
  std::vector<std::string> targets;
  for (const auto& request : requests) targets.push_back(request.target);
  return targets;
}

WorkflowTest::WorkflowTest() {
  const std::string converters = TestConverterFolder();
  if (!converters.empty()) {
    converters_.emplace(converters + SearchPathSeparator() + SearchPathScope::Current());
  }
}

MainWindowWorkflow& WorkflowTest::Window(const Deliverable& deliverable) {
  if (!window_) {
    window_ = std::make_unique<MainWindowWorkflow>(deliverable, desktop, opener, program.str());
  }
  return *window_;
}

std::string WorkflowTest::Document(const std::string& name, const std::vector<PdfPage>& pages) {
  WritePdf(PathFromUtf8(documents / name), pages);
  return documents / name;
}

bool WorkflowTest::Drop(const std::vector<std::string>& paths) {
  const DragData data{true, paths};
  window_->FormOLEDragOver(data, kDropEffectCopy);
  try {
    window_->FormOLEDragDrop(data);
  } catch (const ProgramEnded&) {
    return true;
  }
  return false;
}

std::string WorkflowTest::ResultPath() const {
  return window_->OutputFolder() + Sep() + GetFileName(window_->PdfPath(), false) +
         window_->deliverable().resultExtension;
}

}  // namespace droplet::testing
