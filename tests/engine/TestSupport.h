// Helpers shared by the engine tests: a scratch folder that removes itself,
// whole-file reads and writes, and hand-made JPEG headers.
#pragma once

#include "Progress.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace vorpane::test {

// One call of a progress callback.
struct TReport {
    std::string text;
    std::int64_t total;
    std::int64_t done;
    bool operator==(const TReport&) const = default;
};
void PrintTo(const TReport& report, std::ostream* out);

// A progress callback that appends each report to Reports, then hands it to
// OnReport when that is set at the time, which may act in the middle of the
// operation. Both must outlive the callback.
TProgressProc RecordReports(std::vector<TReport>& Reports);
TProgressProc RecordReports(std::vector<TReport>& Reports,
                            const std::function<void(const TReport&)>& OnReport);

class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// A JPEG-like byte string: SOI, then `before` (raw segments), then a frame
// header with the given marker, size and component count and the header of
// a scan, padded with filler bytes to totalSize when that is larger, and EOI. Only the header is
// meaningful; the writer never decodes.
std::string MakeJpegHeader(std::uint16_t sofMarker, int width, int height, int components,
                           std::size_t totalSize = 0, const std::string& before = "",
                           int precision = 8);

// A PNG whose header claims width x height RGB pixels, with a few bytes
// of image data and its end: only the header is meaningful.
std::string MakePngHeader(std::uint32_t width, std::uint32_t height);

// A progressive JPEG of width x height in one flat colour (grey when
// grey), encoded by libjpeg in memory: small, yet as costly to decode per
// scan as any picture of its size.
std::string MakeFlatProgressiveJpeg(int width, int height, bool grey = false);

// A multi-scan JPEG with its last scan repeated until it has scans scans
// in all: a hostile file that libjpeg decodes with a warning, passing over
// the whole picture once for each scan.
std::string WithScans(const std::string& jpeg, int scans);

// A JPEG file's bytes with an ICC profile put in after its SOI, cut into
// the given number of APP2 "ICC_PROFILE" segments of about equal size, in
// sequence order unless reversed.
std::string WithIccProfile(const std::string& jpeg, const std::string& profile, int pieces,
                           bool reversed = false);

// Path of a file in tests/data.
std::string DataFile(const std::string& name);

// A binary PPM (P6) or PGM (P5) picture with 8-bit samples.
struct TPnmImage {
    int Width = 0;
    int Height = 0;
    int Channels = 0; // 3 for P6, 1 for P5
    std::string Samples;
};
TPnmImage ParsePnm(const std::string& bytes);

// Runs a shell command and gives what it wrote to standard output; throws
// when it exits with anything but 0.
std::string CommandOutput(const std::string& command);

// Sets TMPDIR for the lifetime of the object, so the engine's private
// temporary folder lands inside a test's own folder.
class TScopedTmpDir {
public:
    explicit TScopedTmpDir(const std::string& folder);
    ~TScopedTmpDir();
    TScopedTmpDir(const TScopedTmpDir&) = delete;
    TScopedTmpDir& operator=(const TScopedTmpDir&) = delete;

private:
    bool had_;
    std::string previous_;
};

// A JPEG with an Exif segment of the given DateTimeOriginal, and its
// OffsetTimeOriginal and SubSecTimeOriginal when not empty.
std::string WithDateTaken(const std::string& jpeg, const std::string& date,
                          const std::string& offset = "", const std::string& subSeconds = "");

// The local time zone is Zone (a POSIX TZ value) while this lives, then
// what it was before.
class TTimeZone {
public:
    explicit TTimeZone(const char* Zone);
    ~TTimeZone();
    TTimeZone(const TTimeZone&) = delete;
    TTimeZone& operator=(const TTimeZone&) = delete;

private:
    std::optional<std::string> previous_;
};

} // namespace vorpane::test
