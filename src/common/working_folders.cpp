#include "common/working_folders.h"

#include <cstdint>
#include <cstdio>

#include "common/entries.h"
#include "common/failure.h"

namespace droplet {
namespace {

// What the user reads when a folder cannot be used: the folder on a line of its own, the
// system's reason, and what happens now.
std::string UnusableFolderMessage(const std::string& programName, const std::string& folder,
                                  const std::string& reason) {
  return programName + " non può usare la sua cartella di lavoro\r\n\r\n" + folder + "\r\n\r\n" +
         reason + "\r\n\r\nIl programma si chiude senza aver toccato alcun file.";
}

// Why a per-user folder that exists is not the user's alone, or empty text when it is.
std::string PrivacyReason(const std::string& folder) {
  FolderPrivacy privacy = FolderPrivacy::kPrivate;
  const long error = QueryFolderPrivacy(folder, privacy);
  if (error != 0) return "Motivo: " + DescribeSystemError(error) + ".";
  switch (privacy) {
    case FolderPrivacy::kPrivate:
      return {};
    case FolderPrivacy::kOthersMayWrite:
      return "Motivo: anche altri utenti possono scrivere in questa cartella, che deve essere "
             "soltanto dell'utente.";
    case FolderPrivacy::kOtherOwner:
      return "Motivo: la cartella appartiene a un altro utente.";
  }
  return {};
}

}  // namespace

long CreatePrivateFolders(const std::string& folder) {
  return CreateMissingFolders(folder, CreatePrivateFolder);
}

bool SharedWithOthers(const std::string& folder) {
  FolderPrivacy privacy = FolderPrivacy::kPrivate;
  return QueryFolderPrivacy(folder, privacy) != 0 || privacy != FolderPrivacy::kPrivate;
}

std::string PrepareWorkingFolders(const WorkingFolders& folders, const std::string& programName) {
  if (!folders.perUser) return {};
  if (folders.work.empty() || folders.settings.empty()) {
    return programName +
           " non riesce a stabilire la cartella personale dell'utente, dove lavorare.\r\n\r\n"
           "Il programma si chiude senza aver toccato alcun file.";
  }
  for (const std::string& folder : {folders.work, folders.settings}) {
    long error = CreatePrivateFolders(folder);
    if (error == 0) error = FolderWriteError(folder);
    if (error != 0) {
      return UnusableFolderMessage(programName, folder,
                                   "Motivo: " + DescribeSystemError(error) + ".");
    }
    // A folder that others may write, or that another user owns, could hold their links.
    const std::string reason = PrivacyReason(folder);
    if (!reason.empty()) return UnusableFolderMessage(programName, folder, reason);
  }
  return {};
}

std::string InstanceName(const std::string& programName, const std::string& workFolder) {
  // FNV-1a: a short, stable digest of the folder's spelling, free of characters that a file or
  // object name could not hold.
  std::uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : workFolder) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
  return programName + "-" + digits;
}

}  // namespace droplet
