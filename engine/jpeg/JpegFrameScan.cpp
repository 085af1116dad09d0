#include "jpeg/JpegFrameScan.h"

#include "FileHandle.h"

#include <array>
#include <unistd.h>

namespace vorpane {

namespace {

// Reads single bytes at arbitrary positions of a file through a window of
// the file held in memory: the frame header of a photograph usually lies in
// its first few kilobytes, past its EXIF segment, and a segment that is
// skipped is never read.
class TWindowReader {
public:
    explicit TWindowReader(const TFileHandle& file) : file_(file) {}

    // False past the end of the file or on a read error.
    bool Byte(std::int64_t pos, std::uint8_t& value) {
        if (pos < start_ || pos >= start_ + length_) {
            const ssize_t got = ::pread(file_.Fd(), window_.data(), window_.size(), pos);
            if (got <= 0) {
                return false;
            }
            start_ = pos;
            length_ = got;
        }
        value = window_[static_cast<std::size_t>(pos - start_)];
        return true;
    }

    bool Word(std::int64_t pos, std::uint16_t& value) {
        std::uint8_t high = 0;
        std::uint8_t low = 0;
        if (!Byte(pos, high) || !Byte(pos + 1, low)) {
            return false;
        }
        value = static_cast<std::uint16_t>(high << 8 | low);
        return true;
    }

private:
    const TFileHandle& file_;
    std::array<std::uint8_t, 16 * 1024> window_{};
    std::int64_t start_ = 0;
    std::int64_t length_ = 0;
};

// Whether the segment contents at pos, length - 2 bytes, begin with the
// Exif header.
bool IsExifHeader(TWindowReader& reader, std::int64_t pos, std::uint16_t length) {
    static constexpr std::array<std::uint8_t, 6> kExif = {'E', 'x', 'i', 'f', 0, 0};
    if (length < 2 + kExif.size()) {
        return false;
    }
    for (std::size_t i = 0; i < kExif.size(); ++i) {
        std::uint8_t byte = 0;
        if (!reader.Byte(pos + static_cast<std::int64_t>(i), byte) || byte != kExif[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

TJpegCheck CheckJpegFile(const std::string& FileName, TJpegInfo& Info, TJpegSegment* Exif) {
    if (Exif != nullptr) {
        *Exif = {};
    }
    const TFileHandle file = TFileHandle::OpenForReading(FileName);
    if (!file.Valid()) {
        return TJpegCheck::jcCannotOpen;
    }
    TWindowReader reader(file);
    std::uint16_t word = 0;
    if (!reader.Word(0, word) || word != 0xFFD8) {
        return TJpegCheck::jcNotJpeg;
    }
    std::int64_t pos = 2;
    for (;;) {
        std::uint16_t marker = 0;
        if (!reader.Word(pos, marker)) {
            return TJpegCheck::jcNoFrame;
        }
        pos += 2;
        if (marker == 0xFFC0 || marker == 0xFFC2) {
            // Skip the segment length (2) and the sample precision (1): a
            // precision other than 8 is embedded all the same.
            std::uint16_t height = 0;
            std::uint16_t width = 0;
            std::uint8_t components = 0;
            if (!reader.Word(pos + 3, height) || !reader.Word(pos + 5, width) ||
                !reader.Byte(pos + 7, components)) {
                return TJpegCheck::jcNoFrame;
            }
            if (components != 3 && components != 4) {
                return TJpegCheck::jcComponents;
            }
            Info.IsCMYK = components == 4;
            Info.Width = width;
            Info.Height = height;
            return TJpegCheck::jcEmbeddable;
        }
        if (marker == 0xFFFF || marker == 0xFFD9) {
            return TJpegCheck::jcNoFrame;
        }
        // Every other marker is taken as a segment with a length, markers
        // without one included. The next marker sits at pos + length, which
        // is always past the current one, so the scan ends.
        std::uint16_t length = 0;
        if (!reader.Word(pos, length)) {
            return TJpegCheck::jcNoFrame;
        }
        if (marker == 0xFFE1 && Exif != nullptr && Exif->Length == 0 &&
            IsExifHeader(reader, pos + 2, length)) {
            *Exif = {pos + 2, length - 2};
        }
        pos += length;
    }
}

const char* JpegCheckText(TJpegCheck Check) {
    switch (Check) {
    case TJpegCheck::jcEmbeddable:
        return "a JPEG that can be embedded";
    case TJpegCheck::jcCannotOpen:
        return "missing or not a readable file";
    case TJpegCheck::jcNotJpeg:
        return "not a JPEG file";
    case TJpegCheck::jcNoFrame:
        return "no baseline or progressive JPEG frame";
    case TJpegCheck::jcComponents:
        return "a component count other than 3 (RGB) or 4 (CMYK)";
    }
    return "";
}

bool ReadJpegInfo(const std::string& FileName, TJpegInfo& Info) {
    return CheckJpegFile(FileName, Info) == TJpegCheck::jcEmbeddable;
}

} // namespace vorpane
