#pragma once

// UTF-8 inside, UTF-16 at the Win32 boundary. Windows-only header.

#include <string>

namespace droplet {

std::wstring ToWide(const std::string& utf8);
std::string FromWide(const std::wstring& wide);

}  // namespace droplet
