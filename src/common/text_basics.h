#pragma once

#include <string>
#include <string_view>

// Text as bytes: ASCII letter case, blanks around a text, the bytes of a UTF-8 character. Letters
// outside ASCII keep their case: the names compared here (files, INI sections and keys) are
// matched the way the platforms' own functions match them.

namespace droplet {

// The blanks around a value or a line: space and tab.
inline constexpr std::string_view kBlanks = " \t";

inline char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = LowerAscii(c);
  return lower;
}

inline bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// `text` without the `blanks` at its start and its end.
inline std::string_view Trimmed(std::string_view text, std::string_view blanks = kBlanks) {
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// A byte that continues a UTF-8 character (10xxxxxx), never one that starts it.
inline bool IsUtf8Continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace droplet
