// "Original size" for pictures a PDF can't carry as they are (HEIC, AVIF,
// WebP, PNG): each is decoded and written into the run folder as a
// baseline JPEG, which the document then embeds as it embeds a listed
// JPEG, on a page of the picture's own size.
#pragma once

#include "Progress.h"
#include "prepare/RunFolder.h"
#include "run/RunOptions.h"
#include "run/RunReport.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorpane {

// Whether FileName's bytes are a picture of a kind a decoder knows other
// than JPEG. Never throws.
bool IsOtherPicture(const std::string& FileName);

// Decodes FileName (TPictureFile, so its name must be that of a picture)
// and writes it to TempName as a baseline JPEG at Quality, the colour at
// full resolution from quality 90 on. With AutoOrient the picture is
// turned upright first; with KeepProfile the file written carries its RGB
// ICC profile. Errors leave as exceptions, and no file is left at
// TempName. Incomplete, when given, receives what the decoder found wrong
// with data it decoded anyway.
void PrepareOtherPicture(const std::string& FileName, const std::string& TempName,
                         std::uint8_t Quality, bool AutoOrient, bool KeepProfile,
                         std::string* Incomplete = nullptr);

// Replaces in Files every entry IsOtherPicture names by the JPEG
// PrepareOtherPicture makes of it, in Folder (created when first needed)
// under the entry's position; Progress gets (source, N - 1, position + 1)
// for each. With ppSkipBad a picture that fails for a fault of its own is
// left out of Files and named in Report's Skipped; otherwise its error
// leaves as it is, Report's FailedFile naming it. Stop, asked before each
// picture, ends the work early: false then. Quality, Layout.AutoOrient,
// ColourProfiles and Policy are read of Options.
bool PrepareOtherPictures(std::vector<std::string>& Files, std::optional<TRunFolder>& Folder,
                          const TProgressProc& Progress, const TRunOptions& Options,
                          TRunReport* Report, const std::function<bool()>& Stop);

} // namespace vorpane
