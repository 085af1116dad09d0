#include "jpeg/JpegDataWalk.h"

#include "jpeg/JpegDecoder.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace vorpane {

namespace {

// Reads the file front to back through a buffer; the entropy-coded data,
// nearly all of a photograph, is passed over with memchr from one 0xFF to
// the next.
class TSequentialReader {
public:
    TSequentialReader(const TFileHandle& file, std::int64_t pos) : fd_(file.Fd()), pos_(pos) {
        ::posix_fadvise(fd_, pos, 0, POSIX_FADV_SEQUENTIAL);
    }

    // False at the end of the file or on a read error.
    bool Byte(std::uint8_t& value) {
        if (next_ == end_ && !Fill()) {
            return false;
        }
        value = *next_++;
        return true;
    }

    bool Word(std::uint16_t& value) {
        std::uint8_t high = 0;
        std::uint8_t low = 0;
        if (!Byte(high) || !Byte(low)) {
            return false;
        }
        value = static_cast<std::uint16_t>(high << 8 | low);
        return true;
    }

    // Passes over count bytes; false when the file holds fewer.
    bool Skip(std::int64_t count) {
        const std::int64_t buffered = end_ - next_;
        if (count <= buffered) {
            next_ += count;
            return true;
        }
        pos_ += count - buffered;
        next_ = end_;
        // The byte before the next one to read must exist.
        std::uint8_t last = 0;
        return ::pread(fd_, &last, 1, pos_ - 1) == 1;
    }

    // Passes over entropy-coded bytes up to the next 0xFF, which it takes;
    // adds the bytes passed over to count. False at the end of the file.
    bool ToNextFF(std::int64_t& count) {
        for (;;) {
            if (next_ == end_ && !Fill()) {
                return false;
            }
            const auto* ff = static_cast<const std::uint8_t*>(
                std::memchr(next_, 0xFF, static_cast<std::size_t>(end_ - next_)));
            if (ff != nullptr) {
                count += ff - next_;
                next_ = ff + 1;
                return true;
            }
            count += end_ - next_;
            next_ = end_;
        }
    }

private:
    bool Fill() {
        ssize_t got = 0;
        do {
            got = ::pread(fd_, buffer_.data(), buffer_.size(), pos_);
        } while (got < 0 && errno == EINTR);
        if (got <= 0) {
            return false;
        }
        pos_ += got;
        next_ = buffer_.data();
        end_ = next_ + got;
        return true;
    }

    int fd_;
    std::int64_t pos_; // of the byte after the buffer's
    std::array<std::uint8_t, 64 * 1024> buffer_;
    const std::uint8_t* next_ = nullptr;
    const std::uint8_t* end_ = nullptr;
};

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return (a + b - 1) / b;
}

// One scan as its header declares it, and what its data must hold.
struct TScan {
    std::vector<std::size_t> Components; // indexes into the frame's
    int Ss = 0;
    int Se = 0;
    int Ah = 0;
    int Al = 0;

    // The blocks the scan codes and the units (MCUs) they come in: one
    // component alone is coded block by block over its own size; several
    // are interleaved in MCUs of each one's sampling factors.
    void Count(const TJpegFrame& frame, std::int64_t& blocks, std::int64_t& units) const {
        int hMax = 1;
        int vMax = 1;
        for (const TJpegComponent& c : frame.Components) {
            hMax = std::max<int>(hMax, c.H);
            vMax = std::max<int>(vMax, c.V);
        }
        if (Components.size() == 1) {
            const TJpegComponent& c = frame.Components[Components[0]];
            const std::int64_t width = CeilDiv(std::int64_t{frame.Width} * c.H, hMax);
            const std::int64_t height = CeilDiv(std::int64_t{frame.Height} * c.V, vMax);
            blocks = units = CeilDiv(width, 8) * CeilDiv(height, 8);
            return;
        }
        units = CeilDiv(frame.Width, 8 * hMax) * CeilDiv(frame.Height, 8 * vMax);
        std::int64_t perUnit = 0;
        for (const std::size_t k : Components) {
            perUnit += frame.Components[k].H * frame.Components[k].V;
        }
        blocks = units * perUnit;
    }

    // The fewest bits a decoder reads for one block: a sequential block
    // holds a DC difference and an end of block, each a Huffman code of at
    // least one bit; a progressive DC scan one code or one bit a block. An
    // AC scan of a progressive file can cover thousands of blocks with one
    // end-of-band run.
    int LeastBitsPerBlock(bool progressive) const {
        if (!progressive) {
            return 2;
        }
        return Ss == 0 ? 1 : 0;
    }

    // What libjpeg accepts (its sequential and progressive scan checks).
    bool Valid(bool progressive) const {
        if (!progressive) {
            return Ss == 0 && Se == 63 && Ah == 0 && Al == 0;
        }
        if (Ss == 0 ? Se != 0 : (Se < Ss || Se > 63 || Components.size() != 1)) {
            return false;
        }
        return (Ah == 0 || Al == Ah - 1) && Al <= 13;
    }
};

class TWalk {
public:
    TWalk(const TFileHandle& file, std::int64_t pos, const TJpegFrame& frame)
        : reader_(file, pos), frame_(frame), restartInterval_(frame.RestartInterval),
          covered_(frame.Components.size(), false) {}

    TJpegData Run() {
        if (frame_.Components.empty()) {
            return TJpegData::jdCorrupt;
        }
        for (const TJpegComponent& c : frame_.Components) {
            if (c.H < 1 || c.H > 4 || c.V < 1 || c.V > 4) {
                return TJpegData::jdCorrupt;
            }
        }
        int scans = 0;
        for (;;) {
            // At a scan header.
            if (++scans > kMaxScans) {
                return TJpegData::jdTooManyScans;
            }
            TScan scan;
            if (const auto fault = ReadScanHeader(scan)) {
                return *fault;
            }
            std::uint8_t marker = 0;
            if (const auto fault = WalkScanData(scan, marker)) {
                return *fault;
            }
            // Between scans: tables and other segments, then the next scan
            // or the end of the image.
            for (;;) {
                if (marker == 0xD9) {
                    return Covered() ? TJpegData::jdWhole : TJpegData::jdEndsEarly;
                }
                if (marker == 0xDA) {
                    break;
                }
                if (!IsSegmentBetweenScans(marker)) {
                    return TJpegData::jdCorrupt;
                }
                std::uint16_t length = 0;
                if (!reader_.Word(length)) {
                    return TJpegData::jdNoEnd;
                }
                if (length < 2) {
                    return TJpegData::jdCorrupt;
                }
                if (marker == 0xDD) {
                    if (length != 4) {
                        return TJpegData::jdCorrupt;
                    }
                    if (!reader_.Word(restartInterval_)) {
                        return TJpegData::jdNoEnd;
                    }
                } else if (!reader_.Skip(length - 2)) {
                    return TJpegData::jdNoEnd;
                }
                if (!NextMarker(marker)) {
                    return TJpegData::jdNoEnd;
                }
            }
            // A sequential file whose components all had their scan is
            // done: one more is no picture a decoder takes.
            if (!frame_.Progressive && Covered()) {
                return TJpegData::jdCorrupt;
            }
        }
    }

private:
    using TFault = std::optional<TJpegData>;

    static bool IsSegmentBetweenScans(std::uint8_t marker) {
        return marker == 0xC4 || marker == 0xDB || marker == 0xDC || marker == 0xDD ||
               marker == 0xFE || (marker >= 0xE0 && marker <= 0xEF);
    }

    // A marker must follow a segment at once, fill bytes allowed.
    bool NextMarker(std::uint8_t& marker) {
        std::uint8_t byte = 0;
        if (!reader_.Byte(byte)) {
            return false;
        }
        if (byte != 0xFF) {
            marker = 0x00; // no marker: not a segment between scans
            return true;
        }
        do {
            if (!reader_.Byte(byte)) {
                return false;
            }
        } while (byte == 0xFF);
        marker = byte;
        return true;
    }

    bool Covered() const {
        return std::all_of(covered_.begin(), covered_.end(), [](bool c) { return c; });
    }

    TFault ReadScanHeader(TScan& scan) {
        std::uint16_t length = 0;
        std::uint8_t count = 0;
        if (!reader_.Word(length) || !reader_.Byte(count)) {
            return TJpegData::jdNoEnd;
        }
        if (count < 1 || count > 4 || length != 6 + 2 * count) {
            return TJpegData::jdCorrupt;
        }
        for (int i = 0; i < count; ++i) {
            std::uint8_t id = 0;
            std::uint8_t tables = 0;
            if (!reader_.Byte(id) || !reader_.Byte(tables)) {
                return TJpegData::jdNoEnd;
            }
            const auto found = std::find_if(frame_.Components.begin(), frame_.Components.end(),
                                            [id](const TJpegComponent& c) { return c.Id == id; });
            if (found == frame_.Components.end()) {
                return TJpegData::jdCorrupt;
            }
            const auto k = static_cast<std::size_t>(found - frame_.Components.begin());
            if (std::find(scan.Components.begin(), scan.Components.end(), k) !=
                scan.Components.end()) {
                return TJpegData::jdCorrupt;
            }
            scan.Components.push_back(k);
        }
        std::uint8_t ss = 0;
        std::uint8_t se = 0;
        std::uint8_t a = 0;
        if (!reader_.Byte(ss) || !reader_.Byte(se) || !reader_.Byte(a)) {
            return TJpegData::jdNoEnd;
        }
        scan.Ss = ss;
        scan.Se = se;
        scan.Ah = a >> 4;
        scan.Al = a & 0x0F;
        if (!scan.Valid(frame_.Progressive)) {
            return TJpegData::jdCorrupt;
        }
        for (const std::size_t k : scan.Components) {
            if (!frame_.Progressive && covered_[k]) {
                return TJpegData::jdCorrupt; // a second scan of a sequential component
            }
            // A progressive component shows nothing before its first DC scan.
            if (!frame_.Progressive || (scan.Ss == 0 && scan.Ah == 0)) {
                covered_[k] = true;
            }
        }
        return std::nullopt;
    }

    // Passes over the scan's data to the marker after it, which it hands
    // over; restart markers are counted and must come in order.
    TFault WalkScanData(const TScan& scan, std::uint8_t& marker) {
        std::int64_t bytes = 0;
        std::int64_t restarts = 0;
        for (;;) {
            if (!reader_.ToNextFF(bytes)) {
                return TJpegData::jdNoEnd;
            }
            std::uint8_t byte = 0;
            do {
                if (!reader_.Byte(byte)) {
                    return TJpegData::jdNoEnd;
                }
            } while (byte == 0xFF);
            if (byte == 0x00) {
                ++bytes; // a stuffed 0xFF
                continue;
            }
            if (byte >= 0xD0 && byte <= 0xD7) {
                if (byte - 0xD0 != restarts % 8) {
                    return TJpegData::jdCorrupt;
                }
                ++restarts;
                continue;
            }
            marker = byte;
            break;
        }
        std::int64_t blocks = 0;
        std::int64_t units = 0;
        scan.Count(frame_, blocks, units);
        if (bytes * 8 < blocks * scan.LeastBitsPerBlock(frame_.Progressive)) {
            return TJpegData::jdEndsEarly;
        }
        // One restart marker between intervals; an encoder may end the
        // scan with one more, which a decoder passes over.
        const std::int64_t intervals = restartInterval_ > 0 ? CeilDiv(units, restartInterval_) : 1;
        if (restarts < intervals - 1) {
            return TJpegData::jdEndsEarly;
        }
        if (restarts > intervals) {
            return TJpegData::jdCorrupt;
        }
        return std::nullopt;
    }

    TSequentialReader reader_;
    const TJpegFrame& frame_;
    std::uint16_t restartInterval_;
    std::vector<bool> covered_;
};

} // namespace

TJpegData WalkJpegData(const TFileHandle& File, std::int64_t ScanHeader, const TJpegFrame& Frame) {
    return TWalk(File, ScanHeader, Frame).Run();
}

std::string JpegDataText(TJpegData Data) {
    switch (Data) {
    case TJpegData::jdWhole:
        return "";
    case TJpegData::jdNoEnd:
        return "the picture is incomplete (no end-of-image marker)";
    case TJpegData::jdEndsEarly:
        return "the picture is incomplete (premature end of data)";
    case TJpegData::jdCorrupt:
        return "the picture is incomplete (corrupt data)";
    case TJpegData::jdTooManyScans:
        return "Too many scans (more than " + std::to_string(kMaxScans) +
               "): no photograph has as many";
    }
    return "";
}

} // namespace vorpane
