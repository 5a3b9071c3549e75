#include <windows.h>

#include "common/platform.h"
#include "common/platform_win32.h"
#include "common/text_win32.h"
#include "support/test_environment.h"

#include <utility>

namespace droplet::testing {

std::string TestConverterFolder() {
  return ProgramFolder() + "\\test-converter";
}

char SearchPathSeparator() {
  return ';';
}

std::string SearchPathScope::Current() {
  return EnvironmentVariable("PATH");
}

// The children started by cmd inherit the process's environment block, which this changes.
SearchPathScope::SearchPathScope(const std::string& value) : previous_(Current()) {
  ::SetEnvironmentVariableW(L"PATH", ToWide(value).c_str());
}

SearchPathScope::~SearchPathScope() {
  ::SetEnvironmentVariableW(L"PATH", ToWide(previous_).c_str());
}

std::string SearchPathWith(const std::string& folder) {
  return folder + SearchPathSeparator() + SearchPathScope::Current();
}

EnvironmentScope::EnvironmentScope(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)) {
  const std::wstring wideName = ToWide(name_);
  const DWORD size = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (size > 0) {
    std::wstring previous(size, L'\0');
    previous.resize(::GetEnvironmentVariableW(wideName.c_str(), previous.data(), size));
    previous_ = FromWide(previous);
  }
  ::SetEnvironmentVariableW(wideName.c_str(), value ? ToWide(*value).c_str() : nullptr);
}

EnvironmentScope::~EnvironmentScope() {
  ::SetEnvironmentVariableW(ToWide(name_).c_str(),
                            previous_ ? ToWide(*previous_).c_str() : nullptr);
}

std::filesystem::path MakeHiddenFolder(const std::filesystem::path& parent) {
  const auto folder = parent / "nascosta";
  std::filesystem::create_directory(folder);
  ::SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_HIDDEN);
  return folder;
}

}  // namespace droplet::testing
