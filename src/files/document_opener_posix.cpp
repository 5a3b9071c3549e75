#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>

#include "common/spawn_posix.h"
#include "files/document_opener.h"

extern char** environ;

namespace droplet {

namespace {

// The target travels as the shell's first argument, never as part of the script, so no name
// can become a command. The launcher runs in the background; the shell itself ends at once
// and is reaped here, the launcher is left to the system.
constexpr char kLaunchScript[] =
    "command -v xdg-open >/dev/null 2>&1 || exit 127; "
    "xdg-open \"$1\" </dev/null >/dev/null 2>&1 &";

class XdgOpener : public DocumentOpener {
 public:
  bool Open(const std::string& target, const std::string& /*parameters*/,
            const std::string& workingFolder) override {
    // xdg-open takes the item alone; it has no place for parameters.
    struct stat status;
    if (target.empty() || ::stat(target.c_str(), &status) != 0) return false;

    SpawnFileActions actions;
    ::posix_spawn_file_actions_addclosefrom_np(actions.get(), 3);
    struct stat folderStatus;
    if (!workingFolder.empty() && ::stat(workingFolder.c_str(), &folderStatus) == 0 &&
        S_ISDIR(folderStatus.st_mode)) {
      ::posix_spawn_file_actions_addchdir_np(actions.get(), workingFolder.c_str());
    }

    std::string shell = "/bin/sh";
    std::string dashC = "-c";
    std::string script = kLaunchScript;
    std::string name = "sh";
    std::string argument = target;
    char* argv[] = {shell.data(), dashC.data(),    script.data(),
                    name.data(),  argument.data(), nullptr};
    pid_t child = 0;
    if (::posix_spawn(&child, shell.c_str(), actions.get(), nullptr, argv, environ) != 0) {
      return false;
    }
    int waitStatus = 0;
    if (WaitForChild(child, waitStatus) < 0) return false;
    return WIFEXITED(waitStatus) && WEXITSTATUS(waitStatus) == 0;
  }
};

}  // namespace

std::unique_ptr<DocumentOpener> MakeSystemDocumentOpener() {
  return std::make_unique<XdgOpener>();
}

}  // namespace droplet
