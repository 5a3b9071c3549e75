#include <stdlib.h>

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

}  // namespace droplet::testing
