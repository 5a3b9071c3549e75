#include "workflow_rig.h"

#include <algorithm>
#include <system_error>

namespace droplet::testing {

namespace fs = std::filesystem;

bool RecordingOpener::Open(const std::string& target, const std::string&, const std::string&) {
  opened.push_back(target);
  std::error_code error;
  return fs::exists(PathFromUtf8(target), error);
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

WorkflowRig::WorkflowRig(const Deliverable& deliverable)
    : window(deliverable, desktop, opener, program.str()) {
  if (!TestConverterFolder().empty()) {
    converters = std::make_unique<SearchPathScope>(TestConverterFolder() + SearchPathSeparator() +
                                                   SearchPathScope::Current());
  }
}

bool WorkflowRig::Drop(const std::string& path) {
  const DragData data{true, {path}};
  window.FormOLEDragOver(data, kDropEffectCopy);
  try {
    window.FormOLEDragDrop(data);
  } catch (const ProgramEnded&) {
    return true;
  }
  return false;
}

}  // namespace droplet::testing
