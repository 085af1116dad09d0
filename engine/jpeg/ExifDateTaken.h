// When a photograph was taken, by its EXIF tags: DateTimeOriginal
// ("2026:07:14 15:03:22"), with OffsetTimeOriginal ("+02:00") and
// SubSecTimeOriginal ("045") where the camera wrote them. Read with libexif
// from the APP1 Exif segment that the frame-header scan hands over.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorpane {

// A moment as seconds and nanoseconds since 1970-01-01 00:00 UTC.
struct TTakenTime {
    std::int64_t Seconds = 0;
    std::int32_t Nanoseconds = 0;
    auto operator<=>(const TTakenTime&) const = default;
};

// The moment in one Exif segment's contents (beginning with "Exif" and two
// zero bytes). Without an offset the date is the machine's local time, as
// a camera's clock is set to where it is. Nothing when the tag is missing
// or no date. Never throws.
std::optional<TTakenTime> ExifDateTakenOf(const std::vector<std::uint8_t>& Contents);

// The same for FileName's first Exif segment before its first scan
// (CheckJpegFile); nothing when it has none or can't be read.
std::optional<TTakenTime> ReadDateTaken(const std::string& FileName);

} // namespace vorpane
