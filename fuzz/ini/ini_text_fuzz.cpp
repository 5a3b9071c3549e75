// Arbitrary bytes as INI text, and an arbitrary write into it: nothing may crash, the written
// value must read back, the write may change one line of the old text at most, and every other
// entry must read as before.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/ini_text.h"

namespace {

using droplet::IniNamesStorable;
using droplet::IniRead;
using droplet::IniStorableValue;
using droplet::IniWrite;

void Check(bool condition) {
  if (!condition) std::abort();
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  a = Trim(a);
  b = Trim(b);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

// What a read gives for a value stored as `stored`, worked out independently of the reader.
std::string Expected(std::string_view stored) {
  std::string_view value = Trim(stored);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  if (value.size() > droplet::kIniValueLimit) {
    std::size_t cut = droplet::kIniValueLimit;
    std::size_t back = cut;
    const auto continuation = [&](std::size_t i) {
      return (static_cast<unsigned char>(value[i]) & 0xC0) == 0x80;
    };
    for (int steps = 0; steps < 3 && back > 0 && continuation(back); ++steps) --back;
    if (back < cut && static_cast<unsigned char>(value[back]) >= 0xC0) cut = back;
    value = value.substr(0, cut);
  }
  return std::string(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(24);
  const std::string key = input.ConsumeRandomLengthString(24);
  const std::string value = input.ConsumeRandomLengthString(400);
  const std::string otherSection = input.ConsumeRandomLengthString(24);
  const std::string otherKey = input.ConsumeRandomLengthString(24);
  const std::string text = input.ConsumeRemainingBytesAsString();

  const std::string before = IniRead(text, otherSection, otherKey);
  Check(before.size() <= droplet::kIniValueLimit);
  (void)IniRead(text, section, key);
  if (!IniNamesStorable(section, key)) return 0;

  const std::string written = IniWrite(text, section, key, value);
  Check(IniRead(written, section, key) == Expected(IniStorableValue(value)));

  // The old text and the new one differ in one stretch; the old side of it lies inside one
  // line (the value replaced) or is empty (lines added).
  std::size_t prefix = 0;
  while (prefix < text.size() && prefix < written.size() && text[prefix] == written[prefix]) {
    ++prefix;
  }
  std::size_t suffix = 0;
  while (suffix < text.size() - prefix && suffix < written.size() - prefix &&
         text[text.size() - 1 - suffix] == written[written.size() - 1 - suffix]) {
    ++suffix;
  }
  const std::string_view removed =
      std::string_view(text).substr(prefix, text.size() - prefix - suffix);
  Check(removed.find('\n') == std::string_view::npos);

  if (!(SameName(otherSection, section) && SameName(otherKey, key))) {
    Check(IniRead(written, otherSection, otherKey) == before);
  }
  return 0;
}
