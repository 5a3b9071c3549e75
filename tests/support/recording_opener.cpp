#include "support/recording_opener.h"

#include <filesystem>
#include <system_error>

#include "support/temp_folder.h"

namespace droplet::testing {

bool RecordingOpener::Open(const std::string& target, const std::string& parameters,
                           const std::string& workingFolder) {
  requests_->push_back({target, parameters, workingFolder});
  std::error_code error;
  return std::filesystem::exists(PathFromUtf8(target), error);
}

std::vector<std::string> RecordingOpener::TargetsOf(const std::vector<Request>& requests) {
  std::vector<std::string> targets;
  for (const Request& request : requests) targets.push_back(request.target);
  return targets;
}

}  // namespace droplet::testing
