#include <windows.h>
// After <windows.h>, which it needs.
#include <aclapi.h>

#include <string>
#include <vector>

#include "common/entries.h"
#include "common/platform_win32.h"
#include "common/text_win32.h"
#include "common/working_folders.h"

namespace droplet {
namespace {

// The user's local application data folder (%LOCALAPPDATA%), without a final backslash; empty
// when the environment does not name a full path.
std::string LocalAppData() {
  std::string folder = EnvironmentVariable("LOCALAPPDATA");
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  const bool full = folder.size() >= 3 && folder[1] == ':' && folder[2] == '\\';
  return full ? folder : std::string();
}

// The token's user: its TOKEN_USER record, empty when it cannot be had.
std::vector<unsigned char> CurrentUser() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  DWORD size = 0;
  ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> record(size);
  if (size == 0 || !::GetTokenInformation(token, TokenUser, record.data(), size, &size)) {
    record.clear();
  }
  ::CloseHandle(token);
  return record;
}

// The user, the system and the administrators (who may change any folder anyway), and the
// owner of whatever the folder's entries will be: nobody else.
bool Trusted(PSID sid, PSID user) {
  return ::EqualSid(sid, user) || ::IsWellKnownSid(sid, WinLocalSystemSid) ||
         ::IsWellKnownSid(sid, WinBuiltinAdministratorsSid) ||
         ::IsWellKnownSid(sid, WinCreatorOwnerSid);
}

// Rights that let their holder add, replace or remove a folder's entries, or grant that.
constexpr ACCESS_MASK kWriteRights = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD |
                                     GENERIC_WRITE | GENERIC_ALL | WRITE_DAC | WRITE_OWNER;

FolderPrivacy PrivacyOf(PSID owner, PACL access, PSID user) {
  if (owner != nullptr && !Trusted(owner, user)) return FolderPrivacy::kOtherOwner;
  // No access list at all lets everybody do everything.
  if (access == nullptr) return FolderPrivacy::kOthersMayWrite;
  for (DWORD i = 0; i < access->AceCount; ++i) {
    void* entry = nullptr;
    if (!::GetAce(access, i, &entry)) continue;
    const auto* header = static_cast<const ACE_HEADER*>(entry);
    // Only what applies to the folder itself; what its entries would inherit is theirs.
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE) != 0) {
      continue;
    }
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
    if ((allowed->Mask & kWriteRights) != 0 && !Trusted(&allowed->SidStart, user)) {
      return FolderPrivacy::kOthersMayWrite;
    }
  }
  return FolderPrivacy::kPrivate;
}

}  // namespace

long QueryFolderPrivacy(const std::string& folder, FolderPrivacy& privacy) {
  // Judged on the folder that is open, whatever its path names a moment later.
  const HANDLE handle = ::CreateFileW(ToWide(folder).c_str(), READ_CONTROL,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return static_cast<long>(::GetLastError());
  PSID owner = nullptr;
  PACL access = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD error = ::GetSecurityInfo(handle, SE_FILE_OBJECT,
                                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                        &owner, nullptr, &access, nullptr, &descriptor);
  ::CloseHandle(handle);
  if (error != ERROR_SUCCESS) return static_cast<long>(error);
  std::vector<unsigned char> user = CurrentUser();
  if (user.empty()) {
    ::LocalFree(descriptor);
    return static_cast<long>(ERROR_NO_TOKEN);
  }
  privacy = PrivacyOf(owner, access, reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
  ::LocalFree(descriptor);
  return 0;
}

WorkingFolders ResolveWorkingFolders(const std::string& programFolder,
                                     const std::string& programName) {
  WorkingFolders folders;
  folders.program = programFolder;
  const std::string local = LocalAppData();
  // The per-user installer puts the program in %LOCALAPPDATA%\Programs\<programName>, a folder
  // the user may write but that holds the installed files: it is no scratch area either.
  const bool installed =
      !local.empty() && SameEntry(programFolder, local + "\\Programs\\" + programName);
  if (!installed && FolderWriteError(programFolder) == 0 && !SharedWithOthers(programFolder)) {
    folders.work = programFolder;
    folders.settings = programFolder;
    return folders;
  }
  folders.perUser = true;
  if (!local.empty()) {
    folders.work = local + "\\" + programName;
    folders.settings = folders.work;
  }
  return folders;
}

long FolderWriteError(const std::string& folder) {
  // Windows tells no folder's rights in advance that hold for every case (Program Files,
  // read-only media, access lists): a file created and deleted at once answers for all.
  const std::wstring probe =
      ToWide(folder + "\\~droplet-" + std::to_string(::GetCurrentProcessId()) + ".tmp");
  const HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return static_cast<long>(::GetLastError());
  ::CloseHandle(file);
  return 0;
}

long CreatePrivateFolder(const std::string& folder) {
  // Under %LOCALAPPDATA% a new folder inherits the user's own access list.
  return ::CreateDirectoryW(ToWide(folder).c_str(), nullptr) ? 0
                                                             : static_cast<long>(::GetLastError());
}

}  // namespace droplet
