#pragma once

#include <string>

// The folders a droplet works in. A portable droplet works in its program folder: the scratch
// area, its "output" folder and the settings file lie beside the program. An installed droplet
// (one whose program folder it may not write, or which lies where the install rules put
// programs) works in folders of the user's own instead, so that it never scratches in a folder
// shared with other programs. A program folder that other users may write is treated the same
// way: they could put links where the droplet writes. The platform files
// (working_folders_posix.cpp, working_folders_win32.cpp) say where those are; the rest is portable
// (working_folders.cpp).

namespace droplet {

struct WorkingFolders {
  std::string program;   // the folder of the program file: a converter beside it is found there
  std::string work;      // the scratch area; its "output" folder receives the results
  std::string settings;  // the folder of the settings file
  bool perUser = false;  // work and settings are the user's own folders
};

// The working folders of the program `programName` ("Orvane") whose file lies in
// `programFolder`. Per-user folders on POSIX: $XDG_DATA_HOME/<programName> (by default
// ~/.local/share/<programName>) for the work and $XDG_CONFIG_HOME/<programName> (~/.config/...)
// for the settings; on Windows %LOCALAPPDATA%\<programName> for both. Empty texts when the
// user's folders cannot be told (no home folder).
WorkingFolders ResolveWorkingFolders(const std::string& programFolder,
                                     const std::string& programName);

// 0 when this process may create and delete entries in `folder`, otherwise the system's error
// code that says why not.
long FolderWriteError(const std::string& folder);

// Creates `folder` and whatever of its parents is missing, readable by the user alone. 0 or the
// system's error code.
long CreatePrivateFolders(const std::string& folder);
// Creates the one folder `folder`, whose parent exists, readable by the user alone. 0 or the
// system's error code.
long CreatePrivateFolder(const std::string& folder);

// Whether a folder is the user's own: nobody else may add, replace or remove its entries.
enum class FolderPrivacy {
  kPrivate,
  kOthersMayWrite,  // POSIX: group or other write bits; Windows: the access list lets others write
  kOtherOwner,      // another user owns it
};

// How far the existing folder `folder` (followed through links) is the user's own, judged on
// the folder once it is open. 0 with `privacy` set, or the system's error code.
long QueryFolderPrivacy(const std::string& folder, FolderPrivacy& privacy);

// True when the droplet must not scratch in `folder`: others may write it, another user owns
// it, or that cannot be told.
bool SharedWithOthers(const std::string& folder);

// Creates the per-user folders where they are missing. Returns empty text when the folders are
// ready; otherwise the message (in Italian) that names the folder that cannot be used and why.
std::string PrepareWorkingFolders(const WorkingFolders& folders, const std::string& programName);

// The name of the one running instance of `programName` that works in `workFolder`: the same
// for every start with the same folder, different for another folder, and safe as a file name.
std::string InstanceName(const std::string& programName, const std::string& workFolder);

}  // namespace droplet
