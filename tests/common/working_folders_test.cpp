// Where a droplet works: beside a portable program, in the user's own folders for an installed
// one, and what the user learns when those cannot be made.

#include "common/working_folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "common/failure.h"
#include "support/temp_folder.h"
#include "support/test_environment.h"

namespace droplet::testing {
namespace {

namespace fs = std::filesystem;

// A home of its own, with the base-directory variables unset.
struct UserScope {
  TempFolder home;
  EnvironmentScope homeVariable{"HOME", home.str()};
  EnvironmentScope data{"XDG_DATA_HOME", std::nullopt};
  EnvironmentScope config{"XDG_CONFIG_HOME", std::nullopt};
};

unsigned Mode(const fs::path& folder) {
  struct stat status {};
  EXPECT_EQ(::stat(folder.c_str(), &status), 0) << folder;
  return status.st_mode & 07777;
}

TEST(WorkingFolders, APortableProgramWorksInItsOwnFolder) {
  UserScope user;
  TempFolder program;
  const WorkingFolders folders = ResolveWorkingFolders(program.str(), "Orvane");
  EXPECT_FALSE(folders.perUser);
  EXPECT_EQ(folders.program, program.str());
  EXPECT_EQ(folders.work, program.str());
  EXPECT_EQ(folders.settings, program.str());
  EXPECT_EQ(PrepareWorkingFolders(folders, "Orvane"), "");
  EXPECT_TRUE(NamesIn(user.home.path()).empty());
}

// The installed layout (<prefix>/bin, here unpacked below another root as a package test does)
// sends the work to the user's folders whoever runs the program, root included.
TEST(WorkingFolders, AnInstalledProgramWorksInTheUsersOwnFolders) {
  UserScope user;
  TempFolder root;
  const fs::path bin = root.path() / "usr" / "bin";
  fs::create_directories(bin);
  const WorkingFolders folders = ResolveWorkingFolders(bin.string(), "Tessik");
  EXPECT_TRUE(folders.perUser);
  EXPECT_EQ(folders.program, bin.string());
  EXPECT_EQ(folders.work, user.home / ".local/share/Tessik");
  EXPECT_EQ(folders.settings, user.home / ".config/Tessik");
  EXPECT_EQ(PrepareWorkingFolders(folders, "Tessik"), "");
  EXPECT_TRUE(fs::is_directory(folders.work));
  EXPECT_TRUE(fs::is_directory(folders.settings));
  // Folders it makes are the user's alone; one that was there keeps its rights.
  EXPECT_EQ(Mode(user.home.path() / ".local"), 0700u);
  EXPECT_EQ(Mode(folders.work), 0700u);
  fs::permissions(folders.work,
                  fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  EXPECT_EQ(PrepareWorkingFolders(folders, "Tessik"), "");
  EXPECT_EQ(Mode(folders.work), 0750u);

  // The base-directory variables name other places; a relative one is ignored.
  EnvironmentScope data("XDG_DATA_HOME", user.home / "dati/");
  EnvironmentScope config("XDG_CONFIG_HOME", "relativo/conf");
  const WorkingFolders moved = ResolveWorkingFolders(bin.string(), "Tessik");
  EXPECT_EQ(moved.work, user.home / "dati/Tessik");
  EXPECT_EQ(moved.settings, user.home / ".config/Tessik");
}

TEST(WorkingFolders, AProgramFolderThatCannotBeWrittenIsNoScratchArea) {
  UserScope user;
  TempFolder program;
  ImmutableFolder frozen(program.path());
  if (!frozen.active) GTEST_SKIP() << "chattr +i is refused here, and root may write anywhere else";
  const WorkingFolders folders = ResolveWorkingFolders(program.str(), "Orvane");
  EXPECT_TRUE(folders.perUser);
  EXPECT_EQ(folders.work, user.home / ".local/share/Orvane");
}

// Nothing is left half made, the message names the folder and the reason.
TEST(WorkingFolders, AWorkingFolderThatCannotBeMadeIsToldWithItsReason) {
  UserScope user;
  WriteFile(user.home.path() / "dati", "un file, non una cartella");
  WorkingFolders folders{"/usr/bin", user.home / "dati/Orvane", user.home / "conf/Orvane", true};
  const std::string message = PrepareWorkingFolders(folders, "Orvane");
  EXPECT_EQ(message, "Orvane non può usare la sua cartella di lavoro\r\n\r\n" + folders.work +
                         "\r\n\r\nMotivo: " + DescribeSystemError(ENOTDIR) +
                         ".\r\n\r\nIl programma si chiude senza aver toccato alcun file.");
  EXPECT_EQ(NamesIn(user.home.path()), std::vector<std::string>{"dati"});

  // The settings' folder on its own, in a folder nobody may add to.
  fs::create_directory(user.home.path() / "conf");
  ImmutableFolder frozen(user.home.path() / "conf");
  folders.work = user.home / "lavoro";
  if (frozen.active) {
    EXPECT_NE(PrepareWorkingFolders(folders, "Orvane").find("\r\n" + folders.settings + "\r\n"),
              std::string::npos);
  }

  folders.work.clear();  // no home folder to be found
  EXPECT_TRUE(PrepareWorkingFolders(folders, "Orvane")
                  .starts_with("Orvane non riesce a stabilire la cartella personale dell'utente"));
}

// A shared portable folder (a lab machine's): others could plant links where the droplet
// writes, so it works in the user's own folders instead.
TEST(WorkingFolders, AProgramFolderOthersMayWriteIsNoScratchArea) {
  UserScope user;
  TempFolder program;
  for (const fs::perms others : {fs::perms::group_write, fs::perms::others_write}) {
    fs::permissions(program.path(), fs::perms::owner_all | others);
    const WorkingFolders folders = ResolveWorkingFolders(program.str(), "Orvane");
    EXPECT_TRUE(folders.perUser);
    EXPECT_EQ(folders.work, user.home / ".local/share/Orvane");
  }
  fs::permissions(program.path(), fs::perms::owner_all);
  EXPECT_FALSE(ResolveWorkingFolders(program.str(), "Orvane").perUser);
}

// A per-user folder that is there already but not the user's alone is refused, as one that
// cannot be made.
TEST(WorkingFolders, AUserFolderThatOthersMayWriteOrOwnIsRefused) {
  UserScope user;
  const WorkingFolders folders = ResolveWorkingFolders("/usr/bin", "Tessik");
  ASSERT_EQ(PrepareWorkingFolders(folders, "Tessik"), "");
  fs::permissions(folders.work, fs::perms::all);
  EXPECT_EQ(PrepareWorkingFolders(folders, "Tessik"),
            "Tessik non può usare la sua cartella di lavoro\r\n\r\n" + folders.work +
                "\r\n\r\nMotivo: anche altri utenti possono scrivere in questa cartella, che "
                "deve essere soltanto dell'utente.\r\n\r\nIl programma si chiude senza aver "
                "toccato alcun file.");
  fs::permissions(folders.work, fs::perms::owner_all);
  fs::permissions(folders.settings, fs::perms::owner_all | fs::perms::group_write);
  EXPECT_NE(PrepareWorkingFolders(folders, "Tessik").find("\r\n" + folders.settings + "\r\n"),
            std::string::npos);
  fs::permissions(folders.settings, fs::perms::owner_all);
  EXPECT_EQ(PrepareWorkingFolders(folders, "Tessik"), "");

  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a folder to another user";
  ASSERT_EQ(::chown(folders.work.c_str(), 4242, 4242), 0);
  const std::string message = PrepareWorkingFolders(folders, "Tessik");
  EXPECT_NE(message.find("\r\n" + folders.work +
                         "\r\n\r\nMotivo: la cartella appartiene a un "
                         "altro utente.\r\n"),
            std::string::npos)
      << message;
}

TEST(WorkingFolders, EachWorkingFolderHasItsOwnInstanceName) {
  const std::string name = InstanceName("Orvane", "/home/anna/.local/share/Orvane");
  EXPECT_EQ(name, InstanceName("Orvane", "/home/anna/.local/share/Orvane"));
  EXPECT_NE(name, InstanceName("Orvane", "/home/bruno/.local/share/Orvane"));
  EXPECT_NE(name, InstanceName("Tessik", "/home/anna/.local/share/Orvane"));
  EXPECT_TRUE(name.starts_with("Orvane-"));
  EXPECT_EQ(name.find_first_not_of("Orvane-0123456789abcdef"), std::string::npos) << name;
}

}  // namespace
}  // namespace droplet::testing
