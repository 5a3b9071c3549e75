#pragma once

#include <string>
#include <vector>

#include "common/entries.h"  // SameEntry, beside the calls below

// The file-system service: the few primitive calls the file and folder operations are built
// on. One implementation per platform (file_system_posix.cpp, file_system_win32.cpp).
// Every call that can fail returns 0 on success or the system's error code (errno,
// GetLastError), which DescribeSystemError (common/failure.h) turns into text.

namespace droplet {

struct DirEntry {
  std::string name;  // the last part only
  bool isDirectory = false;
  bool isHidden = false;    // POSIX: the name starts with a dot
  bool isReadOnly = false;  // POSIX: the owner has no write permission
  bool isSystem = false;    // POSIX: never
  // A symbolic link or junction. POSIX reports links as plain entries (never as folders); on
  // Windows a linked folder carries this flag so that nobody empties the folder it points to.
  bool isLink = false;
};

struct FindResult {
  long error = 0;  // 0, or the code of a search that failed for a reason other than "no match"
  std::vector<DirEntry> entries;
};

// Entries of the folder named by `pathPattern` whose names match its last part, which may hold
// the wildcards * and ? (matched without regard to letter case, as the Windows file search
// does). Every kind of entry is yielded, "." and ".." included when they match. A folder that
// does not exist yields nothing and no error. With `withReadOnly` false, isReadOnly is left
// false, which spares POSIX a status query per entry.
FindResult FindEntries(const std::string& pathPattern, bool withReadOnly = true);

// What kind of entry `path` names (following links, as opening it would); false when nothing
// is there. Only the attribute fields of `entry` are filled in.
bool QueryEntry(const std::string& path, DirEntry& entry);

// True when `path` itself is a symbolic link, or on Windows any reparse point (not followed).
bool IsLink(const std::string& path);

// The short (8.3) form of an existing path; on POSIX the path itself. Empty text when the path
// does not exist or the platform gives no short form.
std::string ShortPathName(const std::string& path);

long CopyFileReplacing(const std::string& source, const std::string& target);
// Moves the file `source` to `target` by renaming it, replacing what is there as
// CopyFileReplacing does: a link at the target's name is replaced, never written through; a
// folder or a read-only file there refuses. The moved file is a plain document, as a copy would
// be. Refused, with nothing changed, where a rename cannot do this: another file system or
// volume, or a source that is not a plain file of its own (a link, a file with other names).
long RenameFileReplacing(const std::string& source, const std::string& target);
long DeleteOneFile(const std::string& path);
// Sets normal attributes and deletes, so that nothing but a real obstacle stops it. On POSIX,
// where a file's own permission bits do not guard its name, that is a plain unlink.
long ForceDeleteFile(const std::string& path);
long SetNormalAttributes(const std::string& path);  // clears read-only, hidden and system
long CreateOneFolder(const std::string& path);      // parents are not created
long RemoveEmptyFolder(const std::string& path);

// The size in bytes of the file at `path` (followed through links), into `size`.
long QueryFileSize(const std::string& path, unsigned long long& size);

// Up to `maxBytes` bytes of the file at `path` from byte `offset` on, into `bytes` (fewer at
// its end). The file may be open for writing by another program meanwhile.
long ReadFilePart(const std::string& path, unsigned long long offset, size_t maxBytes,
                  std::string& bytes);

// A folder held open for emptying it without following links: the folder stays the one that
// was opened, whatever is renamed or swapped meanwhile along its path. Move-only; closes itself.
class HeldFolder {
 public:
  HeldFolder() = default;
  ~HeldFolder();
  HeldFolder(HeldFolder&& other) noexcept;
  HeldFolder& operator=(HeldFolder&& other) noexcept;
  HeldFolder(const HeldFolder&) = delete;
  HeldFolder& operator=(const HeldFolder&) = delete;

  bool IsOpen() const { return handle_ != kClosed; }
  void Close();

 private:
  friend struct HeldFolderAccess;  // the platform's implementation
  // Closes the platform's handle; each platform supplies it.
  static void CloseHandle(long long handle);
  static constexpr long long kClosed = -1;
  long long handle_ = kClosed;  // a descriptor on POSIX, a HANDLE on Windows
  std::string path_;            // Windows names the entries inside by their path
};

// Opens the folder `path` itself, never through a link. 0 with `folder` open; with `isLink`
// true and 0 when `path` is a link (or reparse point), which stays closed; otherwise the
// system's error (a missing folder, a file where the folder should be).
long OpenFolderNoFollow(const std::string& path, HeldFolder& folder, bool& isLink);
// The same for the entry `name` of an open folder.
long OpenSubfolderNoFollow(const HeldFolder& parent, const std::string& name, HeldFolder& folder,
                           bool& isLink);
// Every entry of the open folder except "." and "..", links reported as links (isLink, never
// isDirectory on POSIX; on Windows a linked folder is both).
FindResult ListHeldFolder(const HeldFolder& folder);
// Deletes the entry `name` of the open folder when it is a file or a link (a link to a folder
// included), never what a link points to. Read-only files are deleted too.
long DeleteEntryAt(const HeldFolder& folder, const std::string& name);
// Removes the empty folder `name` of the open folder.
long RemoveFolderAt(const HeldFolder& folder, const std::string& name);

// True for the codes that mean no folder is there: nothing at the path, or a file.
bool IsNothingThereError(long code);

// The platform's "access denied" code (EACCES, ERROR_ACCESS_DENIED), for an entry that the
// operations refuse to delete because of its attributes.
long AccessDeniedError();

}  // namespace droplet
