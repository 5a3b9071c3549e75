// Where the single instance keeps its claim, and that no other user's folder, lock file or
// socket is ever used. Another user's files are made with chown, which needs root (as CI runs);
// those cases are skipped otherwise.

#include "front_end/single_instance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

namespace droplet::testing {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kOtherUser = 4711;

void MakeApplication() {
  static int argc = 1;
  static char name[] = "single_instance_test";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

// For a forked child: one byte to the parent, or the end.
void Tell(int pipe, char byte) {
  if (::write(pipe, &byte, 1) != 1) ::_exit(2);
}

mode_t ModeOf(const fs::path& path) {
  struct stat status {};
  EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
  return status.st_mode & 07777;
}

// Starts with XDG_RUNTIME_DIR as given and the temporary folder in a test folder of its own.
class SingleInstanceTest : public ::testing::Test {
 protected:
  SingleInstanceTest() { MakeApplication(); }

  // The folder a start makes for itself when there is no runtime folder.
  fs::path Own() const { return temp.path() / ("droplet-" + std::to_string(::geteuid())); }

  // A start's claim, with what it said on standard error.
  std::unique_ptr<SingleInstance> Start(const std::string& name, std::string* said = nullptr) {
    ::testing::internal::CaptureStderr();
    auto instance = std::make_unique<SingleInstance>(name);
    const std::string text = ::testing::internal::GetCapturedStderr();
    if (said != nullptr) *said = text;
    return instance;
  }

  TempFolder temp;
  EnvironmentScope tmpdir{"TMPDIR", temp.str()};
  EnvironmentScope runtime{"XDG_RUNTIME_DIR", std::nullopt};
};

TEST_F(SingleInstanceTest, WithoutARuntimeFolderAPrivateOneIsMadeInTheTemporaryFolder) {
  auto first = Start("Prova-1");
  EXPECT_TRUE(first->IsFirst());
  EXPECT_EQ(first->Address(), (Own() / "Prova-1.socket").string());
  EXPECT_EQ(ModeOf(Own()), 0700u);
  EXPECT_EQ(ModeOf(Own() / "Prova-1.lock"), 0600u);
  EXPECT_FALSE(Start("Prova-1")->IsFirst());
  EXPECT_TRUE(Start("Prova-2")->IsFirst());

  // A runtime folder that others may enter is passed over; a private one is used.
  const fs::path shared = temp.path() / "condivisa";
  fs::create_directory(shared);
  ::chmod(shared.c_str(), 0755);
  {
    const EnvironmentScope open("XDG_RUNTIME_DIR", shared.string());
    EXPECT_FALSE(Start("Prova-1")->IsFirst());
    EXPECT_TRUE(fs::is_empty(shared));
  }
  ::chmod(shared.c_str(), 0700);
  const EnvironmentScope own("XDG_RUNTIME_DIR", shared.string());
  auto inRuntime = Start("Prova-1");
  EXPECT_TRUE(inRuntime->IsFirst());
  EXPECT_EQ(inRuntime->Address(), (shared / "Prova-1.socket").string());
}

TEST_F(SingleInstanceTest, FolderThatIsNotTheUsersAloneIsRefusedAndTheStartRunsUnguarded) {
  const fs::path elsewhere = temp.path() / "altrove";
  fs::create_directory(elsewhere);
  ::chmod(elsewhere.c_str(), 0700);
  const struct {
    const char* what;
    std::function<bool()> make;  // false: cannot be made here
  } cases[] = {
      {"open to everyone",
       [&] { return fs::create_directory(Own()) && ::chmod(Own().c_str(), 0777) == 0; }},
      {"a link to a private folder",
       [&] { return ::symlink(elsewhere.c_str(), Own().c_str()) == 0; }},
      {"another user's",
       [&] {
         return ::geteuid() == 0 && fs::create_directory(Own()) &&
                ::chmod(Own().c_str(), 0700) == 0 && ::chown(Own().c_str(), kOtherUser, 0) == 0;
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(Own());
    if (!c.make()) {
      std::cout << "skipped (not root): " << c.what << "\n";
      continue;
    }
    std::string said;
    auto first = Start("Prova-1", &said);
    auto second = Start("Prova-1");
    EXPECT_TRUE(first->IsFirst());
    EXPECT_TRUE(second->IsFirst());  // nobody holds a claim: each runs on its own
    EXPECT_EQ(first->Address(), "");
    EXPECT_NE(said.find("running unguarded"), std::string::npos) << said;
    EXPECT_FALSE(first->Listen([](const std::vector<std::string>&) {}));
    EXPECT_FALSE(second->HandOver({"/tmp/a.pdf"}, 200));
    EXPECT_TRUE(fs::is_empty(elsewhere));
    if (!fs::is_symlink(Own())) {
      EXPECT_TRUE(fs::is_empty(Own()));
    }
  }
}

TEST_F(SingleInstanceTest, LockFileOrListenerOfAnotherUserIsNeverUsed) {
  if (::geteuid() != 0) GTEST_SKIP() << "another user's files need root";
  // The lock file of another user, left in the user's own folder.
  auto made = Start("Prova-0");
  const fs::path foreignLock = Own() / "Prova-1.lock";
  WriteFile(foreignLock, "");
  ASSERT_EQ(::chown(foreignLock.c_str(), kOtherUser, 0), 0);
  std::string said;
  auto unguarded = Start("Prova-1", &said);
  EXPECT_TRUE(unguarded->IsFirst());
  EXPECT_EQ(unguarded->Address(), "");
  EXPECT_NE(said.find("running unguarded"), std::string::npos) << said;
  fs::remove(foreignLock);

  // The instance holds the lock, but the program that listens at its address runs as another
  // user: the later start hands it nothing.
  auto instance = Start("Prova-1");
  auto later = Start("Prova-1");
  ASSERT_TRUE(instance->IsFirst());
  ASSERT_FALSE(later->IsFirst());
  int received[2];
  ASSERT_EQ(::pipe(received), 0);
  const pid_t listener = ::fork();
  ASSERT_GE(listener, 0);
  if (listener == 0) {
    // Bound by the user (the socket file is the user's), listening as the other one.
    ::alarm(20);
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, later->Address().c_str(), sizeof address.sun_path - 1);
    if (::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::setresuid(kOtherUser, kOtherUser, kOtherUser) != 0 || ::listen(server, 1) != 0) {
      ::_exit(1);
    }
    Tell(received[1], 'L');
    const int connection = ::accept(server, nullptr, nullptr);
    char buffer[4096];
    ssize_t total = 0;
    for (ssize_t count; (count = ::read(connection, buffer, sizeof buffer)) > 0;) total += count;
    Tell(received[1], total > 0 ? 'T' : 'N');
    if (total > 0) Tell(connection, '\n');
    ::_exit(0);
  }
  ::close(received[1]);
  char listening = 0;
  ASSERT_EQ(::read(received[0], &listening, 1), 1);
  ASSERT_EQ(listening, 'L');
  EXPECT_FALSE(later->HandOver({"/home/anna/segreto.pdf"}, 3000));
  char taken = 0;
  EXPECT_EQ(::read(received[0], &taken, 1), 1);
  EXPECT_EQ(taken, 'N') << "the other user's listener got the files";
  ::close(received[0]);
  int status = 0;
  ::waitpid(listener, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace droplet::testing
