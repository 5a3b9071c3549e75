// The pure path queries: none may crash on any bytes, and each result must be the part of its
// input that its rule names, for both path spellings.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "files/file_operations.h"

namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "path queries: %s\n", what);
  std::abort();
}

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

void CheckExtension(std::string_view name) {
  const std::string extension = droplet::GetExtension(name);
  // Where the dot may stand: 2 to 5 places from the end, the nearest first.
  std::size_t dot = std::string_view::npos;
  for (std::size_t place = 2; place <= 5 && place <= name.size(); ++place) {
    if (name[name.size() - place] == '.') {
      dot = name.size() - place;
      break;
    }
  }
  if (dot == std::string_view::npos) {
    if (extension != "Unknown") Fail("GetExtension found a dot that is not there");
    return;
  }
  if (extension != name.substr(dot + 1)) Fail("GetExtension is not the text after the dot");
  if (extension.empty() || extension.size() > 4) Fail("GetExtension has a wrong length");
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
