#include <windows.h>

#include <shellapi.h>

#include <memory>
#include <string>

#include "common/text_win32.h"
#include "files/document_opener.h"

namespace droplet {

namespace {

class ShellOpener : public DocumentOpener {
 public:
  bool Open(const std::string& target, const std::string& parameters,
            const std::string& workingFolder) override {
    const std::wstring file = ToWide(target);
    const std::wstring wideParameters = ToWide(parameters);
    const std::wstring folder = ToWide(workingFolder);
    const HINSTANCE result = ::ShellExecuteW(
        nullptr, L"open", file.c_str(), parameters.empty() ? nullptr : wideParameters.c_str(),
        workingFolder.empty() ? nullptr : folder.c_str(), SW_SHOWNORMAL);
    // Values up to 32 are the shell's refusals.
    return reinterpret_cast<INT_PTR>(result) > 32;
  }
};

}  // namespace

std::unique_ptr<DocumentOpener> MakeSystemDocumentOpener() {
  return std::make_unique<ShellOpener>();
}

}  // namespace droplet
