// "Original size" for pictures a PDF can't carry as they are (HEIC, AVIF,
// WebP, PNG): each is decoded and written into the run folder, a lossy one
// (HEIC, AVIF, lossy WebP) as a baseline JPEG, a lossless one (PNG,
// lossless WebP) as its 8-bit RGB samples deflated, which the document
// embeds under FlateDecode, every sample as decoded, its alpha beside them
// for a soft mask. Either is then
// embedded as a listed JPEG is, on a page of the picture's own size.
#pragma once

#include "Progress.h"
#include "io/RunFolder.h"
#include "jpeg/JpegFrameScan.h"
#include "rundata/RunOptions.h"
#include "rundata/RunReport.h"

#include <cstdint>
#include <map>
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

// A lossless picture made ready for the document: what the PDF writer is
// told of it (IsFlate set) and the profile its file carried.
struct TFlatePicture {
    TJpegInfo Info;
    std::vector<std::uint8_t> IccProfile;
    // The file of its alpha, 8 bits a pixel deflated, for the page's soft
    // mask; "" when the picture is opaque.
    std::string SoftMask;
};

// Decodes FileName (TPictureFile) and writes its 8-bit RGB samples to
// TempName, row by row, compressed with zlib; upright first with
// AutoOrient. A PNG a reader takes as it is (ReadPngImageData: RGB, grey
// or a palette, no transparency, not interlaced) goes in as its own
// compressed data instead (PngPredictors, a palette as Palette),
// once libpng has decoded it without fault. A picture that is transparent
// somewhere keeps its colour as
// stored, and its alpha goes to TempName + ".mask" (SoftMask) in the same
// way; 16-bit samples are reduced to 8, a palette and grey give RGB. Errors
// leave as exceptions.
TFlatePicture PrepareFlatePicture(const std::string& FileName, const std::string& TempName,
                                  bool AutoOrient);

// Replaces in Files every entry IsOtherPicture names by the file
// PrepareOtherPicture or, for a lossless picture, PrepareFlatePicture makes
// of it (the latter also in Flate, by the file made), in Folder (created when first needed)
// under the entry's position; Progress gets (source, N - 1, position + 1)
// for each. With ppSkipBad a picture that fails for a fault of its own is
// left out of Files and named in Report's Skipped; otherwise its error
// leaves as it is, Report's FailedFile naming it. Stop, asked before each
// picture, ends the work early: false then. Quality, Layout.AutoOrient,
// ColourProfiles and Policy are read of Options.
bool PrepareOtherPictures(std::vector<std::string>& Files, std::optional<TRunFolder>& Folder,
                          std::map<std::string, TFlatePicture>& Flate,
                          const TProgressProc& Progress, const TRunOptions& Options,
                          TRunReport* Report, const std::function<bool()>& Stop);

} // namespace vorpane
