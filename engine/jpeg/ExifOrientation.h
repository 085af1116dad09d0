// The EXIF orientation of a photograph: how the stored picture must be
// turned or mirrored to be seen upright (IFD0's tag 0x0112, 1 to 8). Read
// with libexif from the APP1 Exif segment that the frame-header scan hands over,
// and from nothing else of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vorpane {

// The orientation in one Exif segment's contents (beginning with "Exif" and
// two zero bytes), in either byte order; 1 when the tag is missing, damaged
// or out of range, or the contents are no Exif data. Never throws.
int ExifOrientationOf(const std::uint8_t* Contents, std::size_t Size);

// The orientation of FileName's first Exif segment before its first scan
// (CheckJpegFile); 1 when it has none or can't be read. Never throws.
int ReadExifOrientation(const std::string& FileName);

// The same for the segment's contents as CheckJpegFile hands them over.
int ExifOrientationOf(const std::vector<std::uint8_t>& Contents);

} // namespace vorpane
