#include "front_end/version_resource_win32.h"

#include <windows.h>

#include <vector>

#include "common/platform_win32.h"
#include "common/text_win32.h"

namespace droplet {

std::optional<VersionResource> ReadVersionResource(const std::string& path) {
  const std::wstring file = ToWide(path);
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<unsigned char> block(size);
  if (!::GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return std::nullopt;

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
      fixed == nullptr || length < sizeof *fixed) {
    return std::nullopt;
  }
  VersionResource resource;
  resource.version.major = HIWORD(fixed->dwFileVersionMS);
  resource.version.minor = LOWORD(fixed->dwFileVersionMS);
  resource.version.revision = LOWORD(fixed->dwFileVersionLS);

  struct Translation {
    WORD language;
    WORD codePage;
  };
  Translation* translations = nullptr;
  if (::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                       reinterpret_cast<void**>(&translations), &length) &&
      translations != nullptr && length >= sizeof(Translation)) {
    wchar_t key[64];
    ::wsprintfW(key, L"\\StringFileInfo\\%04x%04x\\FileDescription", translations->language,
                translations->codePage);
    wchar_t* description = nullptr;
    if (::VerQueryValueW(block.data(), key, reinterpret_cast<void**>(&description), &length) &&
        description != nullptr && length > 0) {
      resource.fileDescription = FromWide(std::wstring(description));
    }
  }
  return resource;
}

std::optional<VersionResource> ReadOwnVersionResource() {
  const std::string path = ProgramFilePath();
  if (path.empty()) return std::nullopt;
  return ReadVersionResource(path);
}

Deliverable WithOwnVersion(const Deliverable& deliverable) {
  const std::optional<VersionResource> resource = ReadOwnVersionResource();
  if (!resource) return deliverable;
  return WithVersion(
      deliverable,
      resource->fileDescription.empty() ? deliverable.fileDescription : resource->fileDescription,
      resource->version);
}

}  // namespace droplet
