#pragma once

#include <cstddef>
#include <string>

namespace droplet::testing {

// Byte `index` of the test child's counted output: 61 letters and digits in turn. The period
// shares no factor with the pipe's chunk size, so a lost, doubled or reordered chunk shows.
inline char PatternByte(size_t index) {
  static constexpr char kAlphabet[] =
      "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXY";
  static_assert(sizeof kAlphabet - 1 == 61);
  return kAlphabet[index % 61];
}

inline std::string Pattern(size_t size) {
  std::string text(size, '\0');
  for (size_t i = 0; i < size; ++i) text[i] = PatternByte(i);
  return text;
}

}  // namespace droplet::testing
