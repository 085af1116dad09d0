#include "jpeg/JpegEncoder.h"

#include "Errors.h"
#include "MessageQueue.h"
#include "jpeg/JpegErrorBridge.h"

#include <exception>
#include <type_traits>

#include <jerror.h>

namespace vorpane {

namespace {

// libjpeg's destination manager on one of our output streams. A failed write
// raises EFileError inside our stream; it is kept here, libjpeg is told of a
// write error, and the error is raised again once we are out of libjpeg.
struct TStreamDestination {
    static constexpr std::size_t kBufferSize = 64 * 1024;

    jpeg_destination_mgr Manager{};
    TFileOutputStream* Stream;
    std::exception_ptr Failure;
    JOCTET Buffer[kBufferSize];

    explicit TStreamDestination(TFileOutputStream& stream) : Stream(&stream) {
        Manager.init_destination = &Init;
        Manager.empty_output_buffer = &Empty;
        Manager.term_destination = &Term;
    }

    static TStreamDestination* Of(j_compress_ptr info) {
        return reinterpret_cast<TStreamDestination*>(info->dest);
    }

    static void Init(j_compress_ptr info) {
        TStreamDestination* self = Of(info);
        self->Manager.next_output_byte = self->Buffer;
        self->Manager.free_in_buffer = kBufferSize;
    }

    static boolean Empty(j_compress_ptr info) {
        TStreamDestination* self = Of(info);
        if (!self->Put(kBufferSize)) {
            ERREXIT(info, JERR_FILE_WRITE);
        }
        Init(info);
        return TRUE;
    }

    static void Term(j_compress_ptr info) {
        TStreamDestination* self = Of(info);
        if (!self->Put(kBufferSize - self->Manager.free_in_buffer)) {
            ERREXIT(info, JERR_FILE_WRITE);
        }
    }

    bool Put(std::size_t size) noexcept {
        try {
            Stream->Write(Buffer, size);
            return true;
        } catch (const EFileError& error) {
            Failure = std::make_exception_ptr(EWriteError(error.what(), error.Errno()));
            return false;
        } catch (...) { // carried past libjpeg's C frames and raised after them
            Failure = std::current_exception();
            return false;
        }
    }
};

static_assert(std::is_standard_layout_v<TStreamDestination>);

} // namespace

struct TJpegEncoder::TState {
    TJpegErrorBridge bridge;
    TStreamDestination destination;
    jpeg_compress_struct info{};
    bool created = false;

    explicit TState(TFileOutputStream& stream) : destination(stream) {
        info.err = bridge.Manager();
    }
    ~TState() {
        if (created) {
            jpeg_destroy_compress(&info);
        }
    }
    TState(const TState&) = delete;
    TState& operator=(const TState&) = delete;

    template <typename F> void Run(F&& calls) {
        if (!bridge.RunGuarded(calls)) {
            const int code = bridge.Code();
            jpeg_destroy_compress(&info);
            created = false;
            if (destination.Failure) {
                std::rethrow_exception(destination.Failure);
            }
            throw EJpegError(code, bridge.Text());
        }
    }
};

TJpegEncoder::TJpegEncoder(TFileOutputStream& Stream) : state_(std::make_unique<TState>(Stream)) {}

TJpegEncoder::~TJpegEncoder() = default;

void TJpegEncoder::Start(std::uint32_t Width, std::uint32_t Height, int Quality,
                         std::span<const std::uint8_t> IccProfile, bool FullChroma) {
    TState& s = *state_;
    s.Run([&s, Width, Height, Quality, IccProfile, FullChroma] {
        jpeg_create_compress(&s.info);
        s.created = true;
        s.info.dest = &s.destination.Manager;
        s.info.image_width = Width;
        s.info.image_height = Height;
        s.info.input_components = 3;
        s.info.in_color_space = JCS_RGB;
        jpeg_set_defaults(&s.info);
        jpeg_set_quality(&s.info, Quality, TRUE);
        if (FullChroma) {
            s.info.comp_info[0].h_samp_factor = 1;
            s.info.comp_info[0].v_samp_factor = 1;
        }
        jpeg_start_compress(&s.info, TRUE);
        if (!IccProfile.empty()) {
            jpeg_write_icc_profile(&s.info, IccProfile.data(),
                                   static_cast<unsigned int>(IccProfile.size()));
        }
    });
}

void TJpegEncoder::WriteRows(const std::uint8_t* const* Rows, std::uint32_t Count) {
    // libjpeg's row type is not const; it only reads the rows.
    const auto samples = const_cast<JSAMPARRAY>(Rows);
    TState& s = *state_;
    s.Run([&s, samples, Count] { jpeg_write_scanlines(&s.info, samples, Count); });
    DrainMessageQueue();
}

void TJpegEncoder::Finish() {
    TState& s = *state_;
    s.Run([&s] { jpeg_finish_compress(&s.info); });
}

void TJpegEncoder::Encode(const TBitmap24& Bitmap, int Quality,
                          std::span<const std::uint8_t> IccProfile) {
    Start(Bitmap.Width(), Bitmap.Height(), Quality, IccProfile);
    ReadBands<16>(Bitmap, [this](const std::uint8_t* const* rows, std::uint32_t count) {
        WriteRows(rows, count);
    });
    Finish();
}

} // namespace vorpane
