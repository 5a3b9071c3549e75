#pragma once

#include <string>

#include "front_end/deliverable.h"

namespace droplet {

// Program folder + separator + the deliverable's settings file name.
std::string IniFilePath(const std::string& programFolder, const Deliverable& deliverable);

std::string ReadIniValue(const std::string& programFolder, const Deliverable& deliverable,
                         const std::string& section, const std::string& key);

void WriteIniValue(const std::string& programFolder, const Deliverable& deliverable,
                   const std::string& section, const std::string& key, const std::string& value);

}  // namespace droplet
