#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/desktop_services.h"
#include "common/failure.h"
#include "common/platform.h"
#include "files/document_opener.h"

// The path queries and the file and folder operations of both programs. Failures that travel
// back to the caller are thrown as OperationFailure (common/failure.h).

namespace droplet {

// --- Path and file queries ---

// The short form of an existing path, or empty text.
std::string GetShortFileName(const std::string& path);

// True when a plain, read-only, hidden or system file (not a folder) matches `path`, which may
// end in a wildcard pattern. A search that fails shows "Error ! (Source : FileExists)".
bool FileExists(const std::string& path, DesktopServices& desktop);

// The 1 to 4 characters after a dot 2 to 5 places from the end, or "Unknown".
std::string GetExtension(std::string_view name);

// What follows the last separator; empty text when there is none.
std::string GetLastPathPart(std::string_view path, const PathStyle& style = kNativePathStyle);

// Copies, replacing the target; a failure shows "Errore durante la copia del file". True when
// the copy was made.
bool CopySingleFile(const std::string& source, const std::string& target, DesktopServices& desktop);

// --- Folder and document operations ---

// Creates `folder` and whatever of its parents is missing; a failure throws.
void CreateFolderTree(const std::string& folder);

// The last part of `path` (a colon also ends a part where the style says so), with or without
// its extension.
std::string GetFileName(std::string_view path, bool keepExtension,
                        const PathStyle& style = kNativePathStyle);

// Creates `targetFolder` and copies into it every file of `sourceFolder` matching `pattern`
// (both folders end in a separator). With no match it shows the missing-results message, with
// `diagnosis` (lines separated by CR LF) after an empty line when there is one, and ends the
// program. A file that cannot be copied throws once the others are copied, so that the caller
// keeps the sources.
void CopiaFileCreaCartella(const std::string& sourceFolder, const std::string& targetFolder,
                           const std::string& pattern, DesktopServices& desktop,
                           const std::string& diagnosis = {});
// The missing-results message of CopiaFileCreaCartella for `pattern`, with `diagnosis` after an
// empty line when there is one; then the program ends.
void ShowMissingResults(const std::string& pattern, DesktopServices& desktop,
                        const std::string& diagnosis);

// Brings the files `names` of `sourceFolder` into `targetFolder` (neither ending in a
// separator), replacing files of the same names there as CopyFileReplacing does. Each is
// renamed where the system allows it and copied where it refuses (another file system, for
// one); a copied file stays in `sourceFolder` as well, for the caller to delete once every file
// is in. A file that cannot be brought does not hold back the others; afterwards the renamed
// ones go back, so that every file is in `sourceFolder` again, and the first failure's code is
// returned. 0 when every file is in.
long BringFilesInto(const std::string& sourceFolder, const std::vector<std::string>& names,
                    const std::string& targetFolder);

// Deletes every entry of `folder` (ending in a separator) matching `pattern`; the first one
// that cannot be deleted throws and the rest stay. An entry named exactly `keepName` (when not
// empty) is left alone: the conversion run uses it for a PDF the user dropped from that folder.
void EliminaFileConAsterisco(const std::string& folder, const std::string& pattern,
                             const std::string& keepName = {});

enum class CleanOutcome { kEmptied, kFolderIsLink };

// Empties `folder` recursively and keeps the folder itself: ordinary files, then hidden files,
// then the subfolders. No link is ever followed, at any depth: a link inside is removed as a
// link. When `folder` itself is a link (or reparse point) nothing is deleted and kFolderIsLink
// is returned. A missing folder is kEmptied (nothing to do). Any failure throws; what was
// deleted stays deleted.
CleanOutcome CleanAllPath(const std::string& folder);

// Opens `target` with its associated program; a refusal shows "Error jumping to:" + target.
// Empty text does nothing.
void OpenDocument(const std::string& target, const std::string& parameters,
                  const std::string& workingFolder, DocumentOpener& opener,
                  DesktopServices& desktop);

}  // namespace droplet
