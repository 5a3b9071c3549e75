#include "support/workflow_rig.h"

#include <chrono>
#include <new>
#include <system_error>

#include "common/platform.h"
#include "files/file_operations.h"

namespace droplet::testing {

namespace fs = std::filesystem;

WorkflowHarness::WorkflowHarness() {
  if (!TestConverterFolder().empty()) {
    converters_ = std::make_unique<SearchPathScope>(SearchPathWith(TestConverterFolder()));
  }
}

WorkflowHarness::~WorkflowHarness() = default;

MainWindowWorkflow& WorkflowHarness::Window(const Deliverable& deliverable) {
  if (!window_) {
    window_ = std::make_unique<MainWindowWorkflow>(deliverable, desktop, opener, program.str());
  }
  return *window_;
}

std::string WorkflowHarness::Document(const std::string& name, const std::vector<PdfPage>& pages) {
  WritePdf(PathFromUtf8(documents / name), pages);
  return documents / name;
}

bool WorkflowHarness::Drop(const std::vector<std::string>& paths) {
  const DragData data{true, paths};
  window_->FormOLEDragOver(data, kDropEffectCopy);
  window_->FormOLEDragDrop(data);
  return Settle();
}

bool WorkflowHarness::Settle() {
  if (!testing::Settle(*window_, desktop)) return false;
  const Deliverable& deliverable = window_->deliverable();
  MainWindowWorkflow* window = window_.get();
  window->~MainWindowWorkflow();
  new (window) MainWindowWorkflow(deliverable, desktop, opener, program.str());
  return true;
}

bool DropOnto(MainWindowWorkflow& window, ScriptedDesktop& desktop,
              const std::vector<std::string>& paths) {
  const DragData data{true, paths};
  window.FormOLEDragOver(data, kDropEffectCopy);
  window.FormOLEDragDrop(data);
  return Settle(window, desktop);
}

bool Settle(MainWindowWorkflow& window, ScriptedDesktop& desktop) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
  try {
    desktop.RunPostedCalls();
    while (window.Busy()) {
      if (std::chrono::steady_clock::now() > deadline) {
        ADD_FAILURE() << "the drop's handling did not end";
        return false;
      }
      desktop.WaitForPostedCalls(std::chrono::milliseconds(20));
    }
  } catch (const ProgramEnded&) {
    return true;
  }
  return false;
}

std::string WorkflowHarness::ResultPath() const {
  return window_->OutputFolder() + Sep() + GetFileName(window_->PdfPath(), false) +
         window_->deliverable().resultExtension;
}

std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> entries;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    const std::string name = Utf8(fs::relative(it->path(), root));
    entries[name] = it->is_directory() ? "<folder>" : ReadFile(it->path());
  }
  return entries;
}

std::string ConverterResultName(const std::string& pdfName, const std::string& extension) {
  const auto n = pdfName.size();
  if (n >= 4 &&
      (pdfName.compare(n - 4, 4, ".pdf") == 0 || pdfName.compare(n - 4, 4, ".PDF") == 0)) {
    return pdfName.substr(0, n - 4) + extension;
  }
  return pdfName + extension;
}

}  // namespace droplet::testing
