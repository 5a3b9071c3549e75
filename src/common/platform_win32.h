#pragma once

// Facts of the running Win32 program that platform.h does not give. Windows-only header.

#include <string>

namespace droplet {

// The full path of the running program file (UTF-8), however long; empty when the system
// cannot tell it.
std::string ProgramFilePath();

// The value of the environment variable `name` (UTF-8); empty when it is unset or empty.
std::string EnvironmentVariable(const std::string& name);

}  // namespace droplet
