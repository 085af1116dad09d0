// ReadJpegInfo (and CheckJpegFile behind it) and ReadExifOrientation on
// arbitrary bytes. Besides the sanitizers, the answers are compared with a
// plain scan of the bytes in memory that follows the frame-header rules step
// by step, so a slip of the file reader's window (segments that straddle
// its 16 KiB, reads past the end) shows as a different answer, and so does
// a different Exif segment or ICC profile, or data called whole without an
// end of image. The Exif segment
// goes to libexif, whose orientation must be 1 to 8.
#include "FuzzSupport.h"

#include "jpeg/ExifOrientation.h"
#include "jpeg/IccSegments.h"
#include "pdf/PdfWriter.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace vorpane;

struct TScan {
    std::uint8_t const* data;
    std::int64_t size;
    std::vector<std::uint8_t> exif{}; // the first APP1 segment with the Exif header
    std::vector<std::vector<std::uint8_t>> icc{};
    bool endOfImage = false;

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
    // What the file holds of the segment contents at pos.
    std::vector<std::uint8_t> Contents(std::int64_t pos, std::uint16_t length) const {
        const std::int64_t end = std::min<std::int64_t>(size, pos + length - 2);
        return pos >= end ? std::vector<std::uint8_t>()
                          : std::vector<std::uint8_t>(data + pos, data + end);
    }
    void Collect(std::uint16_t marker, std::int64_t pos, std::uint16_t length) {
        static const std::uint8_t kHeader[] = {'E', 'x', 'i', 'f', 0, 0};
        if (length < 2) {
            return;
        }
        std::vector<std::uint8_t> contents = Contents(pos, length);
        if (marker == 0xFFE1 && exif.empty() && length >= 8 && contents.size() >= 6 &&
            std::equal(kHeader, kHeader + 6, contents.begin())) {
            exif = std::move(contents);
        } else if (marker == 0xFFE2 && IsIccSegment(contents.data(), contents.size())) {
            icc.push_back(std::move(contents));
        }
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
                break;
            }
            if (marker == 0xFFFF || marker == 0xFFD9) {
                return TJpegCheck::jcNoFrame;
            }
            std::uint16_t length = 0;
            if (!Word(pos, length)) {
                return TJpegCheck::jcNoFrame;
            }
            Collect(marker, pos + 2, length);
            // The position after the length field, plus L - 2.
            pos = pos + 2 + (static_cast<std::int64_t>(length) - 2);
        }
        std::uint16_t frameLength = 0;
        std::uint16_t height = 0;
        std::uint16_t width = 0;
        std::uint8_t components = 0;
        if (!Word(pos, frameLength) || !Word(pos + 3, height) || !Word(pos + 5, width) ||
            !Byte(pos + 7, components)) {
            return TJpegCheck::jcNoFrame;
        }
        if (components != 1 && components != 3 && components != 4) {
            return TJpegCheck::jcComponents;
        }
        if (width == 0 || height == 0) {
            return TJpegCheck::jcEmptyFrame;
        }
        if (frameLength < 2) {
            return TJpegCheck::jcNoScan;
        }
        // After the frame: markers found past other bytes and fill bytes.
        for (pos += frameLength;;) {
            while (pos < size && data[pos] != 0xFF) {
                ++pos;
            }
            while (pos < size && data[pos] == 0xFF) {
                ++pos;
            }
            if (pos >= size) {
                return TJpegCheck::jcNoScan;
            }
            const std::uint8_t code = data[pos++];
            if (code == 0xDA) {
                break;
            }
            if (code == 0xD8 || code == 0xD9) {
                return TJpegCheck::jcNoScan;
            }
            if (code == 0x00 || code == 0x01 || (code >= 0xD0 && code <= 0xD7)) {
                continue;
            }
            std::uint16_t length = 0;
            if (!Word(pos, length) || length < 2) {
                return TJpegCheck::jcNoScan;
            }
            Collect(static_cast<std::uint16_t>(0xFF00 | code), pos + 2, length);
            pos += length;
        }
        for (std::int64_t at = pos; at + 1 < size; ++at) {
            endOfImage = endOfImage || (data[at] == 0xFF && data[at + 1] == 0xD9);
        }
        info.IsCMYK = components == 4;
        info.IsGrey = components == 1;
        info.Width = width;
        info.Height = height;
        return components == 1 ? TJpegCheck::jcGrey : TJpegCheck::jcEmbeddable;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::TScratchFolder::Get().Write("input.jpg", data, size);
    TJpegInfo info;
    const bool embeddable = ReadJpegInfo(path, info);
    TJpegInfo checked;
    TJpegExtras extras;
    extras.WantExif = extras.WantIccProfile = extras.WantData = true;
    const TJpegCheck check = CheckJpegFile(path, checked, &extras);

    TJpegInfo expected;
    TScan scan{data, static_cast<std::int64_t>(size)};
    const TJpegCheck expectedCheck = scan.Check(expected);
    if (extras.Exif != scan.exif) {
        fuzz::Fail("Exif segment of " + std::to_string(extras.Exif.size()) +
                   " bytes, the scan finds " + std::to_string(scan.exif.size()));
    }
    const bool found = check == TJpegCheck::jcEmbeddable || check == TJpegCheck::jcGrey;
    if (found && (extras.IccProfile != JoinIccSegments(scan.icc) ||
                  (extras.Data == TJpegData::jdWhole && !scan.endOfImage))) {
        fuzz::Fail("the profile differs from the scan's, or data called whole has no end");
    }
    const int orientation = ReadExifOrientation(path);
    const int expectedOrientation =
        scan.exif.empty() ? 1 : ExifOrientationOf(scan.exif.data(), scan.exif.size());
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
