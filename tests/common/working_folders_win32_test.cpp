// Where a droplet works on Windows: beside a portable program, in %LOCALAPPDATA% for the one the
// per-user installer put in %LOCALAPPDATA%\Programs.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/text_win32.h"
#include "common/working_folders.h"
#include "support/temp_folder.h"
#include "support/test_environment.h"

namespace droplet::testing {
namespace {

namespace fs = std::filesystem;

TEST(WorkingFolders, APortableProgramWorksInItsOwnFolder) {
  TempFolder program;
  const WorkingFolders folders = ResolveWorkingFolders(program.str(), "Orvane");
  EXPECT_FALSE(folders.perUser);
  EXPECT_EQ(folders.work, program.str());
  EXPECT_EQ(folders.settings, program.str());
  EXPECT_EQ(PrepareWorkingFolders(folders, "Orvane"), "");
}

TEST(WorkingFolders, TheInstalledProgramWorksInLocalAppData) {
  TempFolder local;
  const EnvironmentScope scope("LOCALAPPDATA", local.str());
  const fs::path installed = local.path() / "Programs" / "Tessik";
  fs::create_directories(installed);
  const WorkingFolders folders = ResolveWorkingFolders(Utf8(installed), "Tessik");
  EXPECT_TRUE(folders.perUser);
  EXPECT_EQ(folders.program, Utf8(installed));
  EXPECT_EQ(folders.work, local / "Tessik");
  EXPECT_EQ(folders.settings, local / "Tessik");
  EXPECT_EQ(PrepareWorkingFolders(folders, "Tessik"), "");
  EXPECT_TRUE(fs::is_directory(local.path() / "Tessik"));
  EXPECT_EQ(NamesIn(installed).size(), 0u);

  // A file where the working folder should be: the user learns which folder and why.
  fs::remove(local.path() / "Tessik");
  WriteFile(local.path() / "Tessik", "un file");
  EXPECT_TRUE(PrepareWorkingFolders(folders, "Tessik")
                  .starts_with("Tessik non può usare la sua cartella di lavoro\r\n\r\n" +
                               (local / "Tessik") + "\r\n\r\nMotivo: "));

  const EnvironmentScope none("LOCALAPPDATA", std::nullopt);
  const WorkingFolders nowhere = ResolveWorkingFolders(Utf8(installed), "Tessik");
  EXPECT_FALSE(nowhere.perUser);  // without %LOCALAPPDATA% nothing marks the folder as installed
}

}  // namespace
}  // namespace droplet::testing
