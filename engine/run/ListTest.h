// Every listed file tested before any work starts, so that a person learns
// of all the files that can't be converted at once, not of one per run, and
// not after minutes of preparing the others.
#pragma once

#include "rundata/RunOptions.h"
#include "rundata/RunReport.h"

#include <string>
#include <vector>

namespace vorpane {

// Tests each of Files as the run would take it, several at a time: that it
// can be opened, and for a JPEG in "Original size" its frame header and its
// data (CheckJpegFile with the walk), for "Same size" and for a picture of
// another kind (IsOtherPicture) its picture header (TPictureFile::TestHeader); in both modes no
// more scans than the decoder takes. Gives the files that can't give a page, in list order, each
// with why and its kind. Damaged data that still gives a page is no fault here. Serves the message
// queue while it waits; a stop (StopConverting) ends it early with what it found so far. A fault of
// the machine raises.
std::vector<TSkippedFile> TestListedFiles(const std::vector<std::string>& Files,
                                          const TRunOptions& Options);

} // namespace vorpane
