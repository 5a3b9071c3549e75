#include "common/failure.h"
#include "common/message_box.h"
#include "common/platform.h"
#include "files/file_operations.h"
#include "files/file_system.h"

namespace droplet {

void ShowMissingResults(const std::string& pattern, DesktopServices& desktop,
                        const std::string& diagnosis) {
  std::string text = "File " + pattern +
                     " NON trovato.\r\n\r\n- Inserire i files nelle rispettive "
                     "cartelle\r\n- Files INI in -> Config\r\n- Files EXE in -> Bin";
  if (!diagnosis.empty()) text += "\r\n\r\n" + diagnosis;
  desktop.ShowMessageBox(text, kMbOk, kApplicationTitle);
  desktop.EndProgram();
}

void CopiaFileCreaCartella(const std::string& sourceFolder, const std::string& targetFolder,
                           const std::string& pattern, DesktopServices& desktop,
                           const std::string& diagnosis) {
  // An existing folder is fine; a missing parent shows up as a copy failure below. A link in
  // the folder's place stays as it is: the results go where it leads.
  std::string folder = targetFolder;
  if (!folder.empty() && folder.back() == Sep().back()) folder.pop_back();
  if (!IsLink(folder)) CreateOneFolder(targetFolder);

  const FindResult found = FindEntries(sourceFolder + pattern);
  if (found.entries.empty()) {
    ShowMissingResults(pattern, desktop, diagnosis);
    return;
  }

  // One file that cannot be copied does not hold back the others; the first failure is
  // reported once every copy was tried.
  long firstError = 0;
  for (const DirEntry& entry : found.entries) {
    // A folder whose name matches is not a result to copy.
    if (entry.isDirectory) continue;
    const long error = CopyFileReplacing(sourceFolder + entry.name, targetFolder + entry.name);
    if (firstError == 0) firstError = error;
  }
  ThrowIfFailed(firstError, "CopiaFileCreaCartella");
}

}  // namespace droplet
