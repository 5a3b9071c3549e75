// The pure path queries: none may crash on any bytes, and each result must be the part of its
// input that its rule names, for both path spellings.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_operations.h"

namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "path queries: %s\n", what);
  std::abort();
}

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool IsContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

void CheckExtension(std::string_view name) {
  const std::string extension = droplet::GetExtension(name);
  // Where the dot may stand: 2 to 5 characters from the end, the nearest first. A character
  // starts at any byte but a UTF-8 continuation byte (or at the first byte).
  std::vector<std::size_t> starts;  // character starts, the last character first
  for (std::size_t i = name.size(); i > 0 && starts.size() < 5; --i) {
    if (i - 1 == 0 || !IsContinuation(name[i - 1])) starts.push_back(i - 1);
  }
  std::size_t dot = std::string_view::npos;
  for (std::size_t place = 2; place <= starts.size(); ++place) {
    if (name[starts[place - 1]] == '.') {
      dot = starts[place - 1];
      break;
    }
  }
  if (dot == std::string_view::npos) {
    if (extension != "Unknown") Fail("GetExtension found a dot that is not there");
    return;
  }
  if (extension != name.substr(dot + 1)) Fail("GetExtension is not the text after the dot");
  std::size_t characters = 0;
  for (std::size_t i = 0; i < extension.size(); ++i) {
    if (!IsContinuation(extension[i])) ++characters;
  }
  if (extension.empty() || characters > 4) Fail("GetExtension has a wrong length");
}

void CheckParts(std::string_view path, const droplet::PathStyle& style) {
  const std::string last = droplet::GetLastPathPart(path, style);
  const std::size_t sep = path.rfind(style.separator);
  if (sep == std::string_view::npos) {
    if (!last.empty()) Fail("GetLastPathPart without a separator is not empty");
  } else if (last != path.substr(sep + 1)) {
    Fail("GetLastPathPart is not the text after the last separator");
  }

  const std::string whole = droplet::GetFileName(path, true, style);
  const std::string stem = droplet::GetFileName(path, false, style);
  if (!EndsWith(path, whole)) Fail("GetFileName is not a tail of the path");
  if (whole.find(style.separator) != std::string::npos) Fail("GetFileName holds a separator");
  if (style.colonSeparates && whole.find(':') != std::string::npos) Fail("holds a colon");
  // The part ends at the last separator: the byte before it is one, or it is the whole path.
  if (whole.size() < path.size()) {
    const char before = path[path.size() - whole.size() - 1];
    if (before != style.separator && !(style.colonSeparates && before == ':')) {
      Fail("GetFileName stops short of the last separator");
    }
  }
  const std::size_t dot = whole.rfind('.');
  if (dot == std::string::npos) {
    if (stem != whole) Fail("GetFileName cut a name without a dot");
  } else if (stem != whole.substr(0, dot)) {
    Fail("GetFileName without extension does not end at the last dot");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  CheckExtension(input);
  CheckParts(input, droplet::kWindowsPathStyle);
  CheckParts(input, droplet::kPosixPathStyle);
  return 0;
}
