// Where a droplet works on Windows: beside a portable program, in %LOCALAPPDATA% for the one the
// per-user installer put in %LOCALAPPDATA%\Programs.

#include <windows.h>
// After <windows.h>, which it needs.
#include <aclapi.h>

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

// Adds to the access list of `folder` an entry that lets Everyone change it.
bool LetEveryoneWrite(const fs::path& folder) {
  PACL current = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &current, nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  unsigned char everyone[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof everyone;
  ::CreateWellKnownSid(WinWorldSid, nullptr, everyone, &size);
  EXPLICIT_ACCESSW access{};
  access.grfAccessPermissions = FILE_ALL_ACCESS;
  access.grfAccessMode = GRANT_ACCESS;
  access.grfInheritance = NO_INHERITANCE;
  access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
  access.Trustee.ptstrName = reinterpret_cast<LPWSTR>(everyone);
  PACL updated = nullptr;
  bool done = ::SetEntriesInAclW(1, &access, current, &updated) == ERROR_SUCCESS &&
              ::SetNamedSecurityInfoW(const_cast<wchar_t*>(folder.c_str()), SE_FILE_OBJECT,
                                      DACL_SECURITY_INFORMATION, nullptr, nullptr, updated,
                                      nullptr) == ERROR_SUCCESS;
  ::LocalFree(updated);
  ::LocalFree(descriptor);
  return done;
}

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

  // A folder that Everyone may change: as a program folder it is no scratch area, as the
  // per-user folder it is refused.
  fs::remove(local.path() / "Tessik");
  TempFolder shared;
  fs::create_directories(local.path() / "Tessik");
  FolderPrivacy privacy = FolderPrivacy::kPrivate;
  ASSERT_EQ(QueryFolderPrivacy(shared.str(), privacy), 0);
  EXPECT_EQ(privacy, FolderPrivacy::kPrivate);
  ASSERT_TRUE(LetEveryoneWrite(shared.path()));
  ASSERT_TRUE(LetEveryoneWrite(local.path() / "Tessik"));
  ASSERT_EQ(QueryFolderPrivacy(shared.str(), privacy), 0);
  EXPECT_EQ(privacy, FolderPrivacy::kOthersMayWrite);
  const WorkingFolders moved = ResolveWorkingFolders(shared.str(), "Tessik");
  EXPECT_TRUE(moved.perUser);
  EXPECT_EQ(moved.work, local / "Tessik");
  EXPECT_NE(PrepareWorkingFolders(moved, "Tessik").find("Motivo: anche altri utenti possono"),
            std::string::npos);

  const EnvironmentScope none("LOCALAPPDATA", std::nullopt);
  const WorkingFolders nowhere = ResolveWorkingFolders(Utf8(installed), "Tessik");
  EXPECT_FALSE(nowhere.perUser);  // without %LOCALAPPDATA% nothing marks the folder as installed
}

}  // namespace
}  // namespace droplet::testing
