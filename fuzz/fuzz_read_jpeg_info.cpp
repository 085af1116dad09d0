// ReadJpegInfo (and CheckJpegFile behind it) and ReadExifOrientation on
// arbitrary bytes. Besides the sanitizers, the answers are compared with a
// plain scan of the bytes in memory that follows the frame-header rules step
// by step, so a slip of the file reader's window (segments that straddle
// its 16 KiB, reads past the end) shows as a different answer. The Exif
// segment the scan finds goes to libexif, whose orientation must be 1 to 8.
#include "FuzzSupport.h"

#include "jpeg/ExifOrientation.h"
#include "pdf/PdfWriter.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

using namespace vorpane;

struct TScan {
    std::uint8_t const* data;
    std::int64_t size;
    TJpegSegment exif{}; // the first APP1 segment with the Exif header

    bool Byte(std::int64_t pos, std::uint8_t& value) const {
        if (pos < 0 || pos >= size) {
            return false;
        }
        value = data[pos];
        return true;
    }
    bool Word(std::int64_t pos, std::uint16_t& value) const {
        std::uint8_t high = 0;
        std::uint8_t low = 0;
        if (!Byte(pos, high) || !Byte(pos + 1, low)) {
            return false;
        }
        value = static_cast<std::uint16_t>(high << 8 | low);
        return true;
    }

    bool IsExif(std::int64_t pos, std::uint16_t length) const {
        static const char kHeader[] = {'E', 'x', 'i', 'f', 0, 0};
        if (length < 8) {
            return false;
        }
        for (int i = 0; i < 6; ++i) {
            std::uint8_t byte = 0;
            if (!Byte(pos + i, byte) || byte != static_cast<std::uint8_t>(kHeader[i])) {
                return false;
            }
        }
        return true;
    }

    TJpegCheck Check(TJpegInfo& info) {
        std::uint16_t word = 0;
        if (!Word(0, word) || word != 0xFFD8) {
            return TJpegCheck::jcNotJpeg;
        }
        std::int64_t pos = 2;
        for (;;) {
            std::uint16_t marker = 0;
            if (!Word(pos, marker)) {
                return TJpegCheck::jcNoFrame;
            }
            pos += 2;
            if (marker == 0xFFC0 || marker == 0xFFC2) {
                std::uint16_t height = 0;
                std::uint16_t width = 0;
                std::uint8_t components = 0;
                if (!Word(pos + 3, height) || !Word(pos + 5, width) || !Byte(pos + 7, components)) {
                    return TJpegCheck::jcNoFrame;
                }
                if (components != 3 && components != 4) {
                    return TJpegCheck::jcComponents;
                }
                info = {components == 4, width, height};
                return TJpegCheck::jcEmbeddable;
            }
            if (marker == 0xFFFF || marker == 0xFFD9) {
                return TJpegCheck::jcNoFrame;
            }
            std::uint16_t length = 0;
            if (!Word(pos, length)) {
                return TJpegCheck::jcNoFrame;
            }
            if (marker == 0xFFE1 && exif.Length == 0 && IsExif(pos + 2, length)) {
                exif = {pos + 2, length - 2};
            }
            // The position after the length field, plus L - 2.
            pos = pos + 2 + (static_cast<std::int64_t>(length) - 2);
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::TScratchFolder::Get().Write("input.jpg", data, size);
    TJpegInfo info;
    const bool embeddable = ReadJpegInfo(path, info);
    TJpegInfo checked;
    TJpegSegment exif;
    const TJpegCheck check = CheckJpegFile(path, checked, &exif);

    TJpegInfo expected;
    TScan scan{data, static_cast<std::int64_t>(size)};
    const TJpegCheck expectedCheck = scan.Check(expected);
    if (exif.Offset != scan.exif.Offset || exif.Length != scan.exif.Length) {
        fuzz::Fail("Exif segment at " + std::to_string(exif.Offset) + " (" +
                   std::to_string(exif.Length) + " bytes), the scan finds it at " +
                   std::to_string(scan.exif.Offset) + " (" + std::to_string(scan.exif.Length) +
                   " bytes)");
    }
    // What there is of the segment, in memory, against what the file gives.
    const int orientation = ReadExifOrientation(path);
    const std::int64_t available =
        scan.exif.Length == 0 ? 0 : std::min(scan.exif.Length, scan.size - scan.exif.Offset);
    const int expectedOrientation =
        scan.exif.Length == 0
            ? 1
            : ExifOrientationOf(data + scan.exif.Offset, static_cast<std::size_t>(available));
    if (orientation != expectedOrientation || orientation < 1 || orientation > 8) {
        fuzz::Fail("orientation " + std::to_string(orientation) + ", from memory " +
                   std::to_string(expectedOrientation));
    }
    if (check != expectedCheck) {
        fuzz::Fail("CheckJpegFile answers " + std::string(JpegCheckText(check)) + ", the scan " +
                   JpegCheckText(expectedCheck));
    }
    if (embeddable != (check == TJpegCheck::jcEmbeddable)) {
        fuzz::Fail("ReadJpegInfo and CheckJpegFile disagree");
    }
    if (embeddable && (info.IsCMYK != expected.IsCMYK || info.Width != expected.Width ||
                       info.Height != expected.Height || checked.Width != info.Width ||
                       checked.Height != info.Height || checked.IsCMYK != info.IsCMYK)) {
        fuzz::Fail("frame header read as " + std::to_string(info.Width) + " x " +
                   std::to_string(info.Height) + ", the scan finds " +
                   std::to_string(expected.Width) + " x " + std::to_string(expected.Height));
    }
    return 0;
}
