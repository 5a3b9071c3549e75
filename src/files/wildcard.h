#pragma once

#include <string_view>

namespace droplet {

// Whether `name` matches `pattern`, where * stands for any run of characters (also none) and ?
// for exactly one character, letters compared without regard to ASCII case, as the Windows file
// search does. Every other character, [ ] and \ included, stands for itself. Text is UTF-8: ?
// takes one whole character, however many bytes it has.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

}  // namespace droplet
