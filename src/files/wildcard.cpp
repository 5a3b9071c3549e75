#include "files/wildcard.h"
#include "common/text_basics.h"

#include <cstddef>

namespace droplet {

namespace {

// The number of bytes of the UTF-8 character that starts at `at` (1 for a stray byte).
size_t CharacterLength(std::string_view text, size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  size_t length = 1;
  if (lead >= 0xF0) {
    length = 4;
  } else if (lead >= 0xE0) {
    length = 3;
  } else if (lead >= 0xC0) {
    length = 2;
  }
  size_t taken = 1;
  while (taken < length && at + taken < text.size() && IsUtf8Continuation(text[at + taken])) {
    ++taken;
  }
  return taken;
}

}  // namespace

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
  // Greedy matching with one back-tracking point: the last * seen and where it resumed in name.
  size_t p = 0;
  size_t n = 0;
  size_t starPattern = std::string_view::npos;
  size_t starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starPattern = p++;
      starName = n;
    } else if (p < pattern.size() && pattern[p] == '?') {
      ++p;
      n += CharacterLength(name, n);
    } else if (p < pattern.size() && LowerAscii(pattern[p]) == LowerAscii(name[n])) {
      ++p;
      ++n;
    } else if (starPattern != std::string_view::npos) {
      p = starPattern + 1;
      starName += CharacterLength(name, starName);
      n = starName;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace droplet
