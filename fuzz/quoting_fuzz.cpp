// Quoting for the POSIX shell: whatever bytes a file name holds, the quoted text must reach the
// converter as exactly one word with exactly those bytes.
//
// Every input is checked in process against the shell's quoting rules; every 64th input that a
// shell argument can carry (no NUL) is also handed to a real /bin/sh. The quoting for cmd is
// checked against a model of cmd's expansion and of a Windows program's argument parser.

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "common/quoting.h"
#include "support/windows_command_line.h"

extern char** environ;

namespace {

// The word that the shell's parser makes of `quoted` when only quoting can occur: single-quoted
// stretches are taken literally, a backslash outside quotes makes the next byte literal. Any
// other byte outside quotes could start an expansion, a split or an operator, so it rejects the
// text (nullopt), as does an unterminated quote or a backslash-newline (a line continuation).
std::optional<std::string> ParseQuotedWord(const std::string& quoted) {
  std::string word;
  size_t i = 0;
  while (i < quoted.size()) {
    const char c = quoted[i];
    if (c == '\'') {
      const size_t close = quoted.find('\'', i + 1);
      if (close == std::string::npos) return std::nullopt;
      word.append(quoted, i + 1, close - i - 1);
      i = close + 1;
    } else if (c == '\\') {
      if (i + 1 >= quoted.size() || quoted[i + 1] == '\n') return std::nullopt;
      word += quoted[i + 1];
      i += 2;
    } else {
      return std::nullopt;
    }
  }
  return word;
}

// Runs `set -- QUOTED; printf '%s:%s' "$#" "$1"` with /bin/sh and returns what it printed.
std::string RunRealShell(const std::string& quoted) {
  const std::string script = "set -- " + quoted + "; printf '%s:%s' \"$#\" \"$1\"";
  int fds[2];
  if (::pipe(fds) != 0) std::abort();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  char sh[] = "/bin/sh";
  char dashC[] = "-c";
  std::string scriptCopy = script;
  char* argv[] = {sh, dashC, scriptCopy.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, "/bin/sh", &actions, nullptr, argv, environ) != 0) std::abort();
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  std::string out;
  char buffer[4096];
  for (;;) {
    // libFuzzer's timeout alarm interrupts reads and waits.
    const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    out.append(buffer, static_cast<size_t>(n));
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static unsigned long counter = 0;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string quoted = droplet::QuoteForPosixShell(input);

  const std::optional<std::string> word = ParseQuotedWord(quoted);
  if (!word || *word != input) {
    std::fprintf(stderr, "quoted text does not give back its input\n");
    std::abort();
  }

  // A file name never holds a NUL, and neither can a shell argument.
  if (input.find('\0') == std::string::npos && ++counter % 64 == 1) {
    const std::string printed = RunRealShell(quoted);
    if (printed != "1:" + input) {
      std::fprintf(stderr, "/bin/sh made %zu bytes of %zu input bytes\n", printed.size(), size);
      std::abort();
    }
  }

  // cmd: no expansion can happen, and the program's argument parser gives back the name whole.
  // (Windows file names never hold a double quote.)
  if (input.find('"') == std::string::npos) {
    const std::string cmd = droplet::QuoteForCmd(input);
    if (droplet::testing::CmdWouldChange(cmd) ||
        droplet::testing::ParseWindowsArgument(cmd) != input) {
      std::fprintf(stderr, "cmd quoting does not give back its input\n");
      std::abort();
    }
  }
  return 0;
}
