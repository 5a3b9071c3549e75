// A console program the runner tests start as their child. Each argument is one action, done in
// order:
//   out:TEXT    writes TEXT to standard output
//   err:TEXT    writes TEXT to standard error
//   count:N     writes N bytes of PatternByte(0), PatternByte(1), ... to standard output
//   bytes       writes the 256 byte values 0 to 255 to standard output
//   lines:N     writes the lines "riga 1" to "riga N" to standard output
//   sleep:MS    waits MS milliseconds
//   exit:N      ends at once with exit code N
// Standard output is flushed after every action, so the texts reach the pipe in this order.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>

#include "pattern.h"

namespace {

void Write(std::FILE* stream, std::string_view bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}

bool Perform(std::string_view action) {
  const auto colon = action.find(':');
  const std::string_view verb = action.substr(0, colon);
  const std::string_view value =
      colon == std::string_view::npos ? std::string_view() : action.substr(colon + 1);
  if (verb == "out") {
    Write(stdout, value);
  } else if (verb == "err") {
    Write(stderr, value);
  } else if (verb == "count") {
    const unsigned long long total = std::strtoull(std::string(value).c_str(), nullptr, 10);
    std::string block;
    for (unsigned long long done = 0; done < total; done += block.size()) {
      const unsigned long long size = std::min<unsigned long long>(total - done, 65536);
      block.resize(static_cast<size_t>(size));
      for (size_t i = 0; i < block.size(); ++i) {
        block[i] = droplet::testing::PatternByte(static_cast<size_t>(done) + i);
      }
      Write(stdout, block);
    }
  } else if (verb == "lines") {
    const unsigned long total = std::strtoul(std::string(value).c_str(), nullptr, 10);
    std::string block;
    for (unsigned long line = 1; line <= total; ++line) {
      block += "riga " + std::to_string(line) + "\n";
      if (block.size() >= 65536 || line == total) {
        Write(stdout, block);
        block.clear();
      }
    }
  } else if (verb == "bytes") {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    Write(stdout, all);
  } else if (verb == "exit") {
    std::exit(std::atoi(std::string(value).c_str()));
  } else if (verb == "sleep") {
    std::this_thread::sleep_for(
        std::chrono::milliseconds(std::strtol(std::string(value).c_str(), nullptr, 10)));
  } else {
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (!Perform(argv[i])) {
      std::fprintf(stderr, "unknown action: %s\n", argv[i]);
      return 2;
    }
  }
  return 0;
}
