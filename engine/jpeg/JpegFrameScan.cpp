#include "jpeg/JpegFrameScan.h"

#include "FileHandle.h"
#include "jpeg/IccSegments.h"

#include <algorithm>
#include <array>
#include <unistd.h>
#include <utility>

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

    // Count bytes from pos, or as many as the file holds of them.
    std::vector<std::uint8_t> Bytes(std::int64_t pos, std::size_t count) {
        std::vector<std::uint8_t> bytes;
        bytes.reserve(count);
        std::uint8_t byte = 0;
        for (std::size_t i = 0; i < count && Byte(pos + static_cast<std::int64_t>(i), byte); ++i) {
            bytes.push_back(byte);
        }
        return bytes;
    }

private:
    const TFileHandle& file_;
    std::array<std::uint8_t, 16 * 1024> window_{};
    std::int64_t start_ = 0;
    std::int64_t length_ = 0;
};

bool BeginsWith(TWindowReader& reader, std::int64_t pos, std::uint16_t length,
                const std::uint8_t* header, std::size_t size) {
    if (length < 2 + size) {
        return false;
    }
    for (std::size_t i = 0; i < size; ++i) {
        std::uint8_t byte = 0;
        if (!reader.Byte(pos + static_cast<std::int64_t>(i), byte) || byte != header[i]) {
            return false;
        }
    }
    return true;
}

// Keeps what the caller asked for of the segment whose contents, length - 2
// bytes, begin at pos.
void Collect(TWindowReader& reader, std::uint16_t marker, std::int64_t pos, std::uint16_t length,
             TJpegExtras* extras, std::vector<std::vector<std::uint8_t>>& icc) {
    static constexpr std::uint8_t kExif[] = {'E', 'x', 'i', 'f', 0, 0};
    if (extras == nullptr || length < 2) {
        return;
    }
    const std::size_t size = length - 2u;
    if (marker == 0xFFE1 && extras->WantExif && extras->Exif.empty() &&
        BeginsWith(reader, pos, length, kExif, sizeof kExif)) {
        extras->Exif = reader.Bytes(pos, size);
    } else if (marker == 0xFFE2 && extras->WantIccProfile) {
        // No profile has more than 255 pieces; a file with more (each up to
        // 64 KiB, made to fill memory) has no usable profile, and one piece
        // past them is enough for JoinIccSegments to say so.
        if (icc.size() <= 255) {
            std::vector<std::uint8_t> contents = reader.Bytes(pos, size);
            if (IsIccSegment(contents.data(), contents.size())) {
                icc.push_back(std::move(contents));
            }
        }
    }
}

// The restart interval a DRI segment at pos (its length) sets.
void KeepRestartInterval(TWindowReader& reader, std::uint16_t marker, std::int64_t pos,
                         TJpegFrame& frame) {
    std::uint16_t interval = 0;
    if (marker == 0xFFDD && reader.Word(pos + 2, interval)) {
        frame.RestartInterval = interval;
    }
}

} // namespace

TJpegCheck CheckJpegFile(const std::string& FileName, TJpegInfo& Info, TJpegExtras* Extras) {
    if (Extras != nullptr) {
        Extras->Exif.clear();
        Extras->IccProfile.clear();
        Extras->Data = TJpegData::jdNoEnd;
        Extras->FileSize = 0;
    }
    const TFileHandle file = TFileHandle::OpenForReading(FileName);
    if (!file.Valid()) {
        return TJpegCheck::jcCannotOpen;
    }
    if (Extras != nullptr) {
        Extras->FileSize = std::max<std::int64_t>(file.Size(), 0);
    }
    TWindowReader reader(file);
    std::vector<std::vector<std::uint8_t>> icc;
    TJpegFrame frame;
    std::uint16_t word = 0;
    if (!reader.Word(0, word) || word != 0xFFD8) {
        return TJpegCheck::jcNotJpeg;
    }
    // Up to the frame header, a marker is always the next two bytes.
    std::int64_t pos = 2;
    for (;;) {
        std::uint16_t marker = 0;
        if (!reader.Word(pos, marker)) {
            return TJpegCheck::jcNoFrame;
        }
        pos += 2;
        if (marker == 0xFFC0 || marker == 0xFFC2) {
            frame.Progressive = marker == 0xFFC2;
            break;
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
        Collect(reader, marker, pos + 2, length, Extras, icc);
        KeepRestartInterval(reader, marker, pos, frame);
        pos += length;
    }
    // The frame header: its length, then the sample precision (a precision
    // other than 8 is embedded all the same), height, width, components.
    std::uint16_t frameLength = 0;
    std::uint16_t height = 0;
    std::uint16_t width = 0;
    std::uint8_t components = 0;
    if (!reader.Word(pos, frameLength) || !reader.Word(pos + 3, height) ||
        !reader.Word(pos + 5, width) || !reader.Byte(pos + 7, components)) {
        return TJpegCheck::jcNoFrame;
    }
    if (components != 1 && components != 3 && components != 4) {
        return TJpegCheck::jcComponents;
    }
    if (width == 0 || height == 0) {
        return TJpegCheck::jcEmptyFrame;
    }
    // Each component's id and sampling factors, for the walk over the data.
    frame.Width = width;
    frame.Height = height;
    for (int k = 0; k < components && 8 + 3 * k + 3 <= frameLength; ++k) {
        std::uint8_t id = 0;
        std::uint8_t factors = 0;
        if (reader.Byte(pos + 8 + 3 * k, id) && reader.Byte(pos + 9 + 3 * k, factors)) {
            frame.Components.push_back({id, static_cast<std::uint8_t>(factors >> 4),
                                        static_cast<std::uint8_t>(factors & 0x0F)});
        }
    }
    if (frame.Components.size() != components) {
        frame.Components.clear(); // a frame header cut short: the walk calls it corrupt
    }
    // On to the first scan, finding markers as a decoder does: bytes before
    // a 0xFF and fill bytes 0xFF are passed over.
    if (frameLength < 2) {
        return TJpegCheck::jcNoScan;
    }
    pos += frameLength;
    for (;;) {
        std::uint8_t byte = 0;
        do {
            if (!reader.Byte(pos++, byte)) {
                return TJpegCheck::jcNoScan;
            }
        } while (byte != 0xFF);
        do {
            if (!reader.Byte(pos++, byte)) {
                return TJpegCheck::jcNoScan;
            }
        } while (byte == 0xFF);
        if (byte == 0xDA) {
            break;
        }
        if (byte == 0xD8 || byte == 0xD9) {
            return TJpegCheck::jcNoScan;
        }
        // A stuffed zero is no marker; the others named have no length.
        if (byte == 0x00 || byte == 0x01 || (byte >= 0xD0 && byte <= 0xD7)) {
            continue;
        }
        std::uint16_t length = 0;
        if (!reader.Word(pos, length) || length < 2) {
            return TJpegCheck::jcNoScan;
        }
        Collect(reader, static_cast<std::uint16_t>(0xFF00 | byte), pos + 2, length, Extras, icc);
        KeepRestartInterval(reader, static_cast<std::uint16_t>(0xFF00 | byte), pos, frame);
        pos += length;
    }
    Info.IsCMYK = components == 4;
    Info.IsGrey = components == 1;
    Info.Width = width;
    Info.Height = height;
    if (Extras != nullptr) {
        if (Extras->WantIccProfile) {
            Extras->IccProfile = JoinIccSegments(icc);
        }
        if (Extras->WantData) {
            Extras->Data = WalkJpegData(file, pos, frame);
        }
    }
    return components == 1 ? TJpegCheck::jcGrey : TJpegCheck::jcEmbeddable;
}

std::vector<std::uint8_t> ReadJpegExif(const std::string& FileName) {
    TJpegInfo info;
    TJpegExtras extras;
    extras.WantExif = true;
    CheckJpegFile(FileName, info, &extras);
    return std::move(extras.Exif);
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
    case TJpegCheck::jcGrey:
        return "a component count other than 3 (RGB) or 4 (CMYK)";
    case TJpegCheck::jcEmptyFrame:
        return "a JPEG frame of width or height 0";
    case TJpegCheck::jcNoScan:
        return "a JPEG frame header without picture data (no start-of-scan marker)";
    }
    return "";
}

bool ReadJpegInfo(const std::string& FileName, TJpegInfo& Info) {
    return CheckJpegFile(FileName, Info) == TJpegCheck::jcEmbeddable;
}

} // namespace vorpane
