// libjpeg's compressor on one of our output streams: a 24-bit RGB picture
// encoded as one colour, sequential, baseline JPEG with the library's
// default compression settings and the standard IJG quality scaling.
#pragma once

#include "Errors.h"
#include "bitmap/Bitmap24.h"
#include "io/FileOutputStream.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace vorpane {

class TJpegEncoder {
public:
    explicit TJpegEncoder(TFileOutputStream& Stream);
    ~TJpegEncoder();
    TJpegEncoder(const TJpegEncoder&) = delete;
    TJpegEncoder& operator=(const TJpegEncoder&) = delete;
    TJpegEncoder(TJpegEncoder&&) = delete;
    TJpegEncoder& operator=(TJpegEncoder&&) = delete;

    // A picture of Width x Height in three steps: Start, WriteRows until
    // every row is in, Finish. Quality is 1 ... 100. An IccProfile given is
    // written in APP2 segments. With FullChroma the colour is kept at full
    // resolution (no chroma subsampling) rather than libjpeg's 2 x 2.
    // Errors raise EJpegError, or the stream's own error when a write
    // failed.
    void Start(std::uint32_t Width, std::uint32_t Height, int Quality,
               std::span<const std::uint8_t> IccProfile = {}, bool FullChroma = false);
    // Draining the message queue after each band of rows.
    void WriteRows(const std::uint8_t* const* Rows, std::uint32_t Count);
    void Finish();

    // The whole bitmap, a band of rows at a time.
    void Encode(const TBitmap24& Bitmap, int Quality,
                std::span<const std::uint8_t> IccProfile = {});

private:
    struct TState;
    std::unique_ptr<TState> state_;
};

// Creates FileName and writes what Encode puts through the encoder into
// it. A half-written picture is of no use to anyone: on failure a regular
// file at FileName goes, while a device or FIFO named as the target stays.
// The file is ours, so its failures are the machine's (EWriteError); what
// Encode raises otherwise comes out as it is.
template <typename F> void WriteJpegFile(const std::string& FileName, F&& Encode) {
    const auto ours = [](const EFileError& error) {
        return EWriteError(error.what(), error.Errno());
    };
    std::optional<TFileOutputStream> created;
    try {
        created.emplace(TFileOutputStream::Create(FileName));
    } catch (const EFileError& error) {
        throw ours(error);
    }
    TFileOutputStream& stream = *created;
    try {
        TJpegEncoder encoder(stream);
        Encode(encoder);
        try {
            stream.Close();
        } catch (const EFileError& error) {
            throw ours(error);
        }
    } catch (...) { // whatever failed, no partial file is left; the error travels on
        struct stat st {};
        if (::lstat(FileName.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            ::unlink(FileName.c_str());
        }
        throw;
    }
}

} // namespace vorpane
