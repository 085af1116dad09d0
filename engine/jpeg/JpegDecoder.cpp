#include "jpeg/JpegDecoder.h"

#include "Errors.h"
#include "FileHandle.h"
#include "MessageQueue.h"
#include "colour/ColourProfile.h"
#include "jpeg/ExifOrientation.h"
#include "jpeg/IccSegments.h"
#include "jpeg/JpegErrorBridge.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <exception>
#include <optional>
#include <type_traits>
#include <unistd.h>
#include <vector>

#include <jerror.h>

namespace vorpane {

namespace {

// libjpeg's source manager on a file descriptor of ours.
struct TFileSource {
    static constexpr std::size_t kBufferSize = 64 * 1024;

    jpeg_source_mgr Manager{};
    int Fd = -1;
    int ReadErrno = 0; // errno of a failed read, which is reported as a file error
    bool StartOfFile = true;
    JOCTET Buffer[kBufferSize];

    static void Init(j_decompress_ptr) {}
    static void Term(j_decompress_ptr) {}

    static boolean Fill(j_decompress_ptr info) {
        auto* source = reinterpret_cast<TFileSource*>(info->src);
        ssize_t got;
        do {
            got = ::read(source->Fd, source->Buffer, kBufferSize);
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            source->ReadErrno = errno;
            ERREXIT(info, JERR_FILE_READ);
        }
        if (got == 0) {
            if (source->StartOfFile) {
                ERREXIT(info, JERR_INPUT_EMPTY);
            }
            // The data ends early: hand libjpeg an end marker, as its own
            // file source does, so it decodes what there is.
            WARNMS(info, JWRN_JPEG_EOF);
            source->Buffer[0] = 0xFF;
            source->Buffer[1] = JPEG_EOI;
            got = 2;
        }
        source->Manager.next_input_byte = source->Buffer;
        source->Manager.bytes_in_buffer = static_cast<std::size_t>(got);
        source->StartOfFile = false;
        return TRUE;
    }

    static void Skip(j_decompress_ptr info, long count) {
        auto* manager = info->src;
        while (count > static_cast<long>(manager->bytes_in_buffer)) {
            count -= static_cast<long>(manager->bytes_in_buffer);
            Fill(info);
        }
        if (count > 0) {
            manager->next_input_byte += count;
            manager->bytes_in_buffer -= static_cast<std::size_t>(count);
        }
    }

    explicit TFileSource(int fd) : Fd(fd) {
        Manager.init_source = &Init;
        Manager.fill_input_buffer = &Fill;
        Manager.skip_input_data = &Skip;
        Manager.resync_to_restart = &jpeg_resync_to_restart;
        Manager.term_source = &Term;
    }
};

static_assert(std::is_standard_layout_v<TFileSource>);

// The first Exif APP1 segment before the frame header, read by libjpeg's
// marker reader into a buffer of ours: the orientation lies in it, and the
// file need not be opened again to find it. A segment after the frame
// header is skipped, as the frame-header scan leaves it.
struct TExifKeeper {
    static constexpr std::size_t kMaxContents = 0xFFFF;
    static constexpr std::uint8_t kExif[6] = {'E', 'x', 'i', 'f', 0, 0};

    std::size_t Size = 0; // 0: none kept
    JOCTET Contents[kMaxContents];

    static JOCTET NextByte(j_decompress_ptr info) {
        jpeg_source_mgr* source = info->src;
        if (source->bytes_in_buffer == 0) {
            (*source->fill_input_buffer)(info);
        }
        --source->bytes_in_buffer;
        return *source->next_input_byte++;
    }

    // libjpeg's marker processor for APP1; our source never suspends.
    static boolean Read(j_decompress_ptr info);
};

static_assert(std::is_standard_layout_v<TExifKeeper>);
static_assert(kMaxPicturePixels * 3 < kMaxDecodeBytes, "the largest bitmap leaves libjpeg room");

// The rows read in one go, and the band DecodeRows hands over.
constexpr JDIMENSION kBatch = kBandRows;

// A progressive file is read whole inside jpeg_start_decompress, seconds for
// a large one; libjpeg's progress monitor lets us drain the message queue
// meanwhile. Whatever the drain raises is kept, libjpeg is stopped, and the
// error is raised again once we are out of its frames.
// The same monitor caps the number of scans (libjpeg counts them as it
// reads) and ends a decode that goes on too long after a stop.
struct TDrainMonitor {
    static constexpr auto kStopGrace = std::chrono::milliseconds(500);

    jpeg_progress_mgr Manager{};
    std::exception_ptr Failure;
    // The decoder's stop test, when it has one.
    const std::function<bool()>* StopRequested = nullptr;
    bool StopSeen = false;
    std::chrono::steady_clock::time_point StopSeenAt{};

    TDrainMonitor() { Manager.progress_monitor = &Monitor; }

    static void Monitor(j_common_ptr info) {
        auto* self = reinterpret_cast<TDrainMonitor*>(info->progress);
        // The message number is never shown: Failure is raised instead.
        if (!self->Check(reinterpret_cast<j_decompress_ptr>(info)->input_scan_number)) {
            ERREXIT(info, JERR_NOTIMPL);
        }
    }

    bool Check(int scan) noexcept {
        try {
            if (scan > kMaxScans) {
                throw EPictureError("Too many scans (more than " + std::to_string(kMaxScans) +
                                    "): no photograph has as many");
            }
            if (StopRequested != nullptr && (*StopRequested)()) {
                const auto now = std::chrono::steady_clock::now();
                if (!StopSeen) {
                    StopSeen = true;
                    StopSeenAt = now;
                } else if (now - StopSeenAt >= kStopGrace) {
                    throw EStoppedError("Stopped while decoding");
                }
            }
            DrainMessageQueue();
            return true;
        } catch (...) { // carried past libjpeg's C frames and raised after them
            Failure = std::current_exception();
            return false;
        }
    }
};

static_assert(std::is_standard_layout_v<TDrainMonitor>);

// libjpeg's reader of APP2 segments: the pieces of an ICC profile are kept,
// at most as many as a profile can have (libjpeg's own saving would keep
// any number of any APP2 segments, a way to fill memory); more of them
// make the profile damaged, and JoinIccSegments then refuses it.
struct TIccCollector;
TIccCollector& IccOf(j_decompress_ptr info);

struct TIccCollector {
    std::vector<std::vector<std::uint8_t>> Segments;
    bool TooMany = false;

    static bool NextByte(j_decompress_ptr info, std::uint8_t& byte) {
        jpeg_source_mgr* source = info->src;
        if (source->bytes_in_buffer == 0 && !source->fill_input_buffer(info)) {
            return false;
        }
        byte = *source->next_input_byte++;
        --source->bytes_in_buffer;
        return true;
    }

    static boolean Read(j_decompress_ptr info) {
        TIccCollector* self = &IccOf(info);
        std::uint8_t high = 0;
        std::uint8_t low = 0;
        if (!NextByte(info, high) || !NextByte(info, low)) {
            return FALSE;
        }
        const long length = (high << 8 | low) - 2;
        if (length < static_cast<long>(kIccSegmentHeaderSize) || self->TooMany) {
            if (length > 0) {
                info->src->skip_input_data(info, length);
            }
            return TRUE;
        }
        std::vector<std::uint8_t> contents(static_cast<std::size_t>(length));
        for (std::uint8_t& byte : contents) {
            if (!NextByte(info, byte)) {
                return FALSE;
            }
        }
        if (IsIccSegment(contents.data(), contents.size())) {
            if (self->Segments.size() == 255) {
                self->TooMany = true;
                self->Segments.clear();
            } else {
                self->Segments.push_back(std::move(contents));
            }
        }
        return TRUE;
    }

    std::vector<std::uint8_t> Profile() const {
        return TooMany ? std::vector<std::uint8_t>() : JoinIccSegments(Segments);
    }
};

// What the marker readers keep, as libjpeg's client_data.
struct TMarkerReaders {
    TIccCollector Icc;
    TExifKeeper Exif;
};

TIccCollector& IccOf(j_decompress_ptr info) {
    return static_cast<TMarkerReaders*>(info->client_data)->Icc;
}

} // namespace

struct TJpegDecoder::TState {
    std::string path;
    TFileHandle file;
    TJpegErrorBridge bridge;
    TFileSource source;
    TDrainMonitor monitor;
    std::function<bool()> stopRequested;
    TMarkerReaders markers;
    jpeg_decompress_struct info{};
    bool created = false;
    std::vector<std::uint8_t> iccProfile; // joined when the header is read

    TState(std::string name, TFileHandle handle)
        : path(std::move(name)), file(std::move(handle)), source(file.Fd()) {}
    ~TState() { Destroy(); }
    TState(const TState&) = delete;
    TState& operator=(const TState&) = delete;

    void Destroy() {
        if (created) {
            jpeg_destroy_decompress(&info);
            created = false;
        }
    }

    // Called when a guarded run of libjpeg calls failed.
    [[noreturn]] void Fail() {
        const int code = bridge.Code();
        // libjpeg refuses a side above 65500 while reading the header, after
        // it has read the size: name the size when our own limit is passed.
        const std::uint64_t width = info.image_width;
        const std::uint64_t height = info.image_height;
        Destroy();
        if (monitor.Failure) {
            std::rethrow_exception(monitor.Failure);
        }
        if (code == JERR_IMAGE_TOO_BIG) {
            TBitmap24::CheckPictureSize(width, height);
        }
        // libjpeg asks for backing store only when its arrays would pass the
        // limit LimitMemory set (it has none to offer).
        if (code == JERR_NO_BACKING_STORE) {
            throw ETooLargeError("Picture too large to decode (" + std::to_string(width) + " x " +
                                 std::to_string(height) + " pixels would need more than " +
                                 std::to_string(kMaxDecodeBytes >> 20) + " MiB)");
        }
        if (source.ReadErrno != 0) {
            throw FileError("Cannot read file", path, source.ReadErrno);
        }
        throw EJpegError(code, bridge.Text());
    }

    template <typename F> void Run(F&& calls) {
        if (!bridge.RunGuarded(calls)) {
            Fail();
        }
    }

    // Inside a guarded run, once the output size is known: libjpeg may take
    // what the bitmap leaves of kMaxDecodeBytes (the bitmap itself is within
    // kMaxPicturePixels, far less).
    void LimitMemory() {
        jpeg_calc_output_dimensions(&info);
        const std::uint64_t bitmap = std::uint64_t{info.output_width} * info.output_height * 3;
        info.mem->max_memory_to_use = static_cast<long>(kMaxDecodeBytes - bitmap);
    }

    bool Cmyk() const {
        return info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    }

    // libjpeg's default settings, at full size.
    void StartFullSize() {
        Run([this] {
            info.out_color_space = Cmyk() ? JCS_CMYK : JCS_RGB;
            LimitMemory();
            jpeg_start_decompress(&info);
        });
    }

    // After jpeg_start_decompress: every row, kBatch rows at a time, into
    // the row rowAt(y) gives; filled(first, count) once each batch is in.
    template <typename RowAt, typename Filled> void ReadRows(RowAt rowAt, Filled filled);

    // Every row into a new bitmap.
    TBitmap24 ReadPixels();
};

boolean TExifKeeper::Read(j_decompress_ptr info) {
    TExifKeeper* self = &static_cast<TMarkerReaders*>(info->client_data)->Exif;
    std::size_t length = static_cast<std::size_t>(NextByte(info)) << 8;
    length += NextByte(info);
    length = length >= 2 ? length - 2 : 0;
    // The frame header sets the picture's size: a segment after it is not
    // taken, nor one after the first kept.
    std::size_t taken = 0;
    if (self->Size == 0 && info->image_width == 0 && length >= sizeof kExif) {
        for (; taken < length; ++taken) {
            self->Contents[taken] = NextByte(info);
            if (taken < sizeof kExif && self->Contents[taken] != kExif[taken]) {
                ++taken;
                break;
            }
        }
        if (taken == length) {
            self->Size = length;
        }
    }
    if (length > taken) {
        (*info->src->skip_input_data)(info, static_cast<long>(length - taken));
    }
    return TRUE;
}

TJpegDecoder::TJpegDecoder(const std::string& FileName) {
    TFileHandle file = TFileHandle::OpenForReading(FileName);
    if (!file.Valid()) {
        const int err = errno;
        throw CannotOpenFile(FileName, err);
    }
    state_ = std::make_unique<TState>(FileName, std::move(file));
    TState& s = *state_;
    s.info.err = s.bridge.Manager();
    s.Run([&s] {
        jpeg_create_decompress(&s.info);
        s.created = true;
        s.info.src = &s.source.Manager;
        s.info.progress = &s.monitor.Manager;
        // The Exif segment, for Orientation, and the pieces of an ICC
        // profile, for IccProfile.
        s.info.client_data = &s.markers;
        jpeg_set_marker_processor(&s.info, JPEG_APP0 + 1, &TExifKeeper::Read);
        jpeg_set_marker_processor(&s.info, JPEG_APP0 + 2, &TIccCollector::Read);
        jpeg_read_header(&s.info, TRUE);
    });
    TBitmap24::CheckPictureSize(s.info.image_width, s.info.image_height);
    s.iccProfile = s.markers.Icc.Profile();
    s.markers.Icc.Segments.clear();
}

TJpegDecoder::~TJpegDecoder() = default;

int TJpegDecoder::Orientation() const {
    const TExifKeeper& exif = state_->markers.Exif;
    return exif.Size == 0 ? 1 : ExifOrientationOf(exif.Contents, exif.Size);
}

void TJpegDecoder::SetStopTest(std::function<bool()> StopRequested) {
    state_->stopRequested = std::move(StopRequested);
    state_->monitor.StopRequested = state_->stopRequested ? &state_->stopRequested : nullptr;
}

std::string TJpegDecoder::Incomplete() const {
    switch (state_->bridge.DataWarning()) {
    case 0:
        return "";
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
        return "premature end of data";
    default:
        return "corrupt data";
    }
}

std::uint32_t TJpegDecoder::Width() const {
    return state_->info.image_width;
}
std::uint32_t TJpegDecoder::Height() const {
    return state_->info.image_height;
}

int TJpegDecoder::Components() const {
    return state_->info.num_components;
}

const std::vector<std::uint8_t>& TJpegDecoder::IccProfile() const {
    return state_->iccProfile;
}

TBitmap24 TJpegDecoder::Decode() {
    state_->StartFullSize();
    return state_->ReadPixels();
}

TBitmap24 TJpegDecoder::DecodeAtLeast(std::uint32_t MinWidth, std::uint32_t MinHeight) {
    TState& s = *state_;
    s.Run([&s, MinWidth, MinHeight] {
        jpeg_decompress_struct& info = s.info;
        info.out_color_space = s.Cmyk() ? JCS_CMYK : JCS_RGB;
        info.scale_denom = 8;
        for (info.scale_num = 1; info.scale_num < 8; ++info.scale_num) {
            jpeg_calc_output_dimensions(&info);
            if (info.output_width >= MinWidth && info.output_height >= MinHeight) {
                break;
            }
        }
        s.LimitMemory();
        jpeg_start_decompress(&info);
    });
    return s.ReadPixels();
}

template <typename RowAt, typename Filled>
void TJpegDecoder::TState::ReadRows(RowAt rowAt, Filled filled) {
    const bool cmyk = Cmyk();
    const std::uint32_t width = info.output_width;
    std::vector<std::uint8_t> cmykRows;
    if (cmyk) {
        // Four bytes a pixel for kBatch rows; no overflow where a bitmap of
        // three bytes a pixel could be allocated.
        cmykRows.resize(static_cast<std::size_t>(width) * 4 * kBatch);
    }
    // Through the picture's own CMYK profile, or the standard one; Adobe's
    // CMYK (and YCCK, which libjpeg turns into it) is stored inverted.
    std::optional<TCmykToRgb> toRgb;
    if (cmyk) {
        toRgb.emplace(iccProfile, info.saw_Adobe_marker != 0);
    }
    JSAMPROW rows[kBatch];
    while (info.output_scanline < info.output_height) {
        // libjpeg gives a row group (often two rows) per call; the batch is
        // handed over only when full, or at the end.
        const JDIMENSION first = info.output_scanline;
        const JDIMENSION end = first + std::min<JDIMENSION>(kBatch, info.output_height - first);
        while (info.output_scanline < end) {
            const JDIMENSION next = info.output_scanline;
            const JDIMENSION count = end - next;
            for (JDIMENSION r = 0; r < count; ++r) {
                rows[r] = cmyk ? cmykRows.data() + static_cast<std::size_t>(r) * width * 4
                               : rowAt(next + r);
            }
            JDIMENSION got = 0;
            Run([this, &rows, &got, count] { got = jpeg_read_scanlines(&info, rows, count); });
            if (cmyk) {
                for (JDIMENSION r = 0; r < got; ++r) {
                    toRgb->Convert(rows[r], rowAt(next + r), width);
                }
            }
            DrainMessageQueue();
        }
        filled(first, end - first);
    }
    // Every row is in; what follows the last scan is of no interest, so the
    // rest of the file is not read.
    Destroy();
}

TBitmap24 TJpegDecoder::TState::ReadPixels() {
    TBitmap24 bitmap(info.output_width, info.output_height);
    ReadRows([&bitmap](JDIMENSION y) { return bitmap.Row(y); }, [](JDIMENSION, JDIMENSION) {});
    return bitmap;
}

void TJpegDecoder::DecodeRows(const TRowsProc& Take) {
    TState& s = *state_;
    s.StartFullSize();
    TBitmap24 band(s.info.output_width, kBatch);
    s.ReadRows([&band](JDIMENSION y) { return band.Row(y % kBatch); },
               [&band, &Take](JDIMENSION, JDIMENSION count) {
                   const std::uint8_t* rows[kBatch];
                   for (JDIMENSION r = 0; r < count; ++r) {
                       rows[r] = band.Row(r);
                   }
                   Take(rows, count);
               });
}

} // namespace vorpane
