#include <exception>

#include "common/failure.h"
#include "common/message_box.h"
#include "files/file_operations.h"
#include "files/file_system.h"

namespace droplet {

namespace {

bool IsBlank(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace

bool FileExists(const std::string& path, DesktopServices& desktop) {
  if (IsBlank(path)) return false;
  const FindResult found = FindEntries(path);
  if (found.error != 0) {
    desktop.ShowMessageBox(
        std::to_string(found.error) + " : " + "\r\n\r\n" + DescribeSystemError(found.error),
        kMbIconInformation, "Error ! (Source : FileExists)");
    return false;
  }
  for (const DirEntry& entry : found.entries) {
    if (!entry.isDirectory) return true;
  }
  return false;
}

void OpenDocument(const std::string& target, const std::string& parameters,
                  const std::string& workingFolder, DocumentOpener& opener,
                  DesktopServices& desktop) {
  if (target.empty()) return;
  bool opened = false;
  try {
    opened = opener.Open(target, parameters, workingFolder);
  } catch (const std::exception&) {
    // The opener's own trouble is not the user's: only a refusal is shown.
    return;
  }
  if (!opened) {
    desktop.ShowMessageBox("Error jumping to:" + target, kMbIconExclamation, "Warning");
  }
}

void CreateFolderTree(const std::string& folder) {
  if (folder.empty()) return;
  ThrowIfFailed(CreateMissingFolders(folder, CreateOneFolder), "CopySingleFile");
}

}  // namespace droplet
