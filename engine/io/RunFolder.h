// The folder of one conversion's own, where it keeps its prepared images
// until they are embedded. Two conversions at once (two vorpane-convert in a
// script, the window and a terminal) must never see each other's files, so
// each gets a new folder inside the private temporary folder (TempFolder()):
// run-<pid>-XXXXXX, created exclusively with mode 0700. Inside it the files
// are named by list position: 0.jpg, 1.jpg, ...
//
// The folder is locked (flock) for as long as the object lives, and the
// destructor removes it with every file still in it, whichever way the run
// ends. A process killed outright can do neither; its lock dies with it, and
// the next TRunFolder removes every run folder whose lock it can take. The
// pid in the name only tells a person whose folder it is: a pid can be
// reused, a lock can't outlive its process.
#pragma once

#include "FileHandle.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vorpane {

class TRunFolder {
public:
    // Throws EFileError when the private folder or the run folder can't be
    // made.
    TRunFolder();
    ~TRunFolder();
    TRunFolder(const TRunFolder&) = delete;
    TRunFolder& operator=(const TRunFolder&) = delete;

    // The folder's path, ending in '/'.
    const std::string& Path() const { return path_; }
    // Path() + "<Position>.jpg", or "<Position>" + Suffix.
    std::string FileFor(std::size_t Position, std::string_view Suffix = ".jpg") const;

private:
    std::string path_;
    TFileHandle folder_; // holds the lock
};

// Our private folder for temporary files, ending in '/':
// $TMPDIR (else /tmp) + "vorpane-<uid>/", created with mode 0700. When that
// name holds a symlink, something other than a folder or another user's
// folder, a fresh private folder "vorpane-<uid>-XXXXXX/" (mkdtemp) is used
// instead, the same one again by later runs. A folder of ours that others
// can enter is closed to them.
std::string TempFolder();

} // namespace vorpane
