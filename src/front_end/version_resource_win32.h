#pragma once

// A program file's version resource. Windows-only header.

#include <optional>
#include <string>

#include "front_end/deliverable.h"

namespace droplet {

struct VersionResource {
  std::string fileDescription;  // of the resource's first translation
  Version version;              // major, minor and revision (the file version's last part)
};

// The version resource of the program file at `path` (UTF-8); none when it has none.
std::optional<VersionResource> ReadVersionResource(const std::string& path);

// The version resource of the running program.
std::optional<VersionResource> ReadOwnVersionResource();

// `deliverable` with the description and version its program file carries, as the captions and
// titles show them; unchanged when the program carries no version resource.
Deliverable WithOwnVersion(const Deliverable& deliverable);

}  // namespace droplet
