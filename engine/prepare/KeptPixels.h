// A prepared picture kept as raw pixels in the run's folder while the run
// looks for the JPEG quality that keeps its document within a size limit:
// each picture is decoded and scaled once, then encoded from these pixels
// at every quality tried.
//
// The file is the run's own and lives only as long as the run: a header of
// three native 32-bit numbers (width, height, profile bytes), the ICC
// profile, then the rows, three bytes a pixel, top row first.
#pragma once

#include "bitmap/Bitmap24.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vorpane {

// Writes Bitmap's pixels and the profile to FileName, replacing it; a
// symlink at FileName is refused. Errors raise EWriteError (a fault of the
// machine: the file is ours), and a partly written file is removed.
void SaveKeptPixels(const TBitmap24& Bitmap, const std::string& FileName,
                    std::span<const std::uint8_t> IccProfile);

// Encodes the kept pixels of KeptFile as SaveAsJpeg encodes a bitmap, with
// the profile kept, into JpegFile, a band of rows at a time: the bytes are
// those SaveAsJpeg gives for the same pixels. A file that isn't what
// SaveKeptPixels wrote raises EFileError.
void EncodeKeptPixels(const std::string& KeptFile, const std::string& JpegFile, int Quality);

// Encodes every file of Kept at Quality (EncodeKeptPixels), up to Jobs at
// once, into Kept[i] + ".q<Quality>.jpg", and gives those names in the
// order of Kept. Nothing after StopRequested answers true: what was made
// is removed. Errors leave as EncodeKeptPixels raises them, likewise
// leaving nothing behind.
std::optional<std::vector<std::string>>
EncodeKeptPictures(const std::vector<std::string>& Kept, int Quality, unsigned Jobs,
                   const std::function<bool()>& StopRequested);

} // namespace vorpane
