#pragma once

#include <string>
#include <vector>

#include "files/document_opener.h"

namespace droplet::testing {

// Records what it is asked to open instead of starting a file manager or viewer and, like the
// desktop, refuses what does not exist.
class RecordingOpener : public DocumentOpener {
 public:
  struct Request {
    std::string target;
    std::string parameters;
    std::string workingFolder;
  };

  RecordingOpener() : requests_(&own_) {}
  // Records into `log`, which outlives the opener (a window that owns its opener).
  explicit RecordingOpener(std::vector<Request>& log) : requests_(&log) {}

  bool Open(const std::string& target, const std::string& parameters,
            const std::string& workingFolder) override;

  const std::vector<Request>& requests() const { return *requests_; }
  void Clear() { requests_->clear(); }
  // The targets alone, in order.
  std::vector<std::string> Targets() const { return TargetsOf(*requests_); }
  static std::vector<std::string> TargetsOf(const std::vector<Request>& requests);

 private:
  std::vector<Request> own_;
  std::vector<Request>* requests_;
};

}  // namespace droplet::testing
