#include "jpeg/JpegDecoder.h"

#include "Errors.h"
#include "FileHandle.h"
#include "MessageQueue.h"
#include "colour/ColourProfile.h"
#include "jpeg/IccSegments.h"
#include "jpeg/JpegErrorBridge.h"

#include <algorithm>
#include <cerrno>
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
static_assert(kMaxPicturePixels * 3 < kMaxDecodeBytes, "the largest bitmap leaves libjpeg room");

// The rows read in one go, and the band DecodeRows hands over.
constexpr JDIMENSION kBatch = TJpegDecoder::kBandRows;

// A progressive file is read whole inside jpeg_start_decompress, seconds for
// a large one; libjpeg's progress monitor lets us drain the message queue
// meanwhile. Whatever the drain raises is kept, libjpeg is stopped, and the
// error is raised again once we are out of its frames.
struct TDrainMonitor {
    jpeg_progress_mgr Manager{};
    std::exception_ptr Failure;

    TDrainMonitor() { Manager.progress_monitor = &Monitor; }

    static void Monitor(j_common_ptr info) {
        auto* self = reinterpret_cast<TDrainMonitor*>(info->progress);
        if (!self->Drain()) {
            // The message number is never shown: Failure is raised instead.
            ERREXIT(info, JERR_NOTIMPL);
        }
    }

    bool Drain() noexcept {
        try {
            DrainMessageQueue();
            return true;
        } catch (...) {
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
        auto* self = static_cast<TIccCollector*>(info->client_data);
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

} // namespace

struct TJpegDecoder::TState {
    std::string path;
    TFileHandle file;
    TJpegErrorBridge bridge;
    TFileSource source;
    TDrainMonitor monitor;
    jpeg_decompress_struct info{};
    bool created = false;
    TIccCollector icc;
    std::vector<std::uint8_t> iccProfile; // joined when the header is read

    TState(std::string name, TFileHandle handle)
        : path(std::move(name)), file(std::move(handle)), source(file.Fd()) {}
    ~TState() { Destroy(); }

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
            throw EPictureError("Picture too large to decode (" + std::to_string(width) + " x " +
                                std::to_string(height) + " pixels would need more than " +
                                std::to_string(kMaxDecodeBytes >> 20) + " MiB)");
        }
        if (source.ReadErrno != 0) {
            throw EFileError("Cannot read file " + SystemErrorText(path, source.ReadErrno));
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

TJpegDecoder::TJpegDecoder(const std::string& FileName) {
    TFileHandle file = TFileHandle::OpenForReading(FileName);
    if (!file.Valid()) {
        throw EFileError("Cannot open file " + SystemErrorText(FileName, errno));
    }
    state_ = std::make_unique<TState>(FileName, std::move(file));
    TState& s = *state_;
    s.info.err = s.bridge.Manager();
    s.Run([&s] {
        jpeg_create_decompress(&s.info);
        s.created = true;
        s.info.src = &s.source.Manager;
        s.info.progress = &s.monitor.Manager;
        // The pieces of an ICC profile, for IccProfile.
        s.info.client_data = &s.icc;
        jpeg_set_marker_processor(&s.info, JPEG_APP0 + 2, &TIccCollector::Read);
        jpeg_read_header(&s.info, TRUE);
    });
    TBitmap24::CheckPictureSize(s.info.image_width, s.info.image_height);
    s.iccProfile = s.icc.Profile();
    s.icc.Segments.clear();
}

TJpegDecoder::~TJpegDecoder() = default;

std::uint32_t TJpegDecoder::Width() const {
    return state_->info.image_width;
}
std::uint32_t TJpegDecoder::Height() const {
    return state_->info.image_height;
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
