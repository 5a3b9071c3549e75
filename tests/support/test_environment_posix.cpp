#include <stdlib.h>

#include <cstdlib>
#include <utility>

#include "common/quoting.h"
#include "support/test_environment.h"

namespace droplet::testing {

std::string TestConverterFolder() {
  return {};
}

char SearchPathSeparator() {
  return ':';
}

std::string SearchPathScope::Current() {
  const char* value = ::getenv("PATH");
  return value == nullptr ? std::string() : std::string(value);
}

SearchPathScope::SearchPathScope(const std::string& value) : previous_(Current()) {
  ::setenv("PATH", value.c_str(), 1);
}

SearchPathScope::~SearchPathScope() {
  ::setenv("PATH", previous_.c_str(), 1);
}

std::string SearchPathWith(const std::string& folder) {
  return folder + SearchPathSeparator() + SearchPathScope::Current();
}

std::filesystem::path MakeHiddenFolder(const std::filesystem::path& parent) {
  const auto folder = parent / ".nascosta";
  std::filesystem::create_directory(folder);
  return folder;
}

EnvironmentScope::EnvironmentScope(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)) {
  if (const char* previous = ::getenv(name_.c_str())) previous_ = previous;
  if (value) {
    ::setenv(name_.c_str(), value->c_str(), 1);
  } else {
    ::unsetenv(name_.c_str());
  }
}

EnvironmentScope::~EnvironmentScope() {
  if (previous_) {
    ::setenv(name_.c_str(), previous_->c_str(), 1);
  } else {
    ::unsetenv(name_.c_str());
  }
}

ImmutableFolder::ImmutableFolder(const std::filesystem::path& folder) : folder_(folder) {
  const std::string command = "chattr +i " + QuoteForPosixShell(folder_.string()) + " 2>/dev/null";
  active = std::system(command.c_str()) == 0;
}

ImmutableFolder::~ImmutableFolder() {
  if (!active) return;
  const std::string command = "chattr -i " + QuoteForPosixShell(folder_.string());
  [[maybe_unused]] const int status = std::system(command.c_str());
}

}  // namespace droplet::testing
