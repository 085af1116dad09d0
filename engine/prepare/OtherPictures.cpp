#include "prepare/OtherPictures.h"

#include "Errors.h"
#include "MessageQueue.h"
#include "colour/ColourProfile.h"
#include "io/FileOutputStream.h"
#include "jpeg/JpegEncoder.h"
#include "picture/PictureFile.h"
#include "picture/PngDecoder.h"
#include "picture/UprightPicture.h"
#include "prepare/JpegUtils.h"

#include <algorithm>
#include <unistd.h>
#include <zlib.h>

namespace vorpane {

namespace {

// Below this quality libjpeg's 2 x 2 colour is part of what was asked.
constexpr int kFullChromaQuality = 90;

template <typename TSource>
void Encode(TSource& source, const std::string& tempName, int quality,
            const std::vector<std::uint8_t>& profile) {
    WriteJpegFile(tempName, [&](TJpegEncoder& encoder) {
        encoder.Start(source.Width(), source.Height(), quality, profile,
                      quality >= kFullChromaQuality);
        source.ReadRows([&encoder](const std::uint8_t* const* rows, std::uint32_t count) {
            encoder.WriteRows(rows, count);
        });
        encoder.Finish();
    });
}

// zlib's deflate into a file of ours, its state freed on every path.
class TDeflateFile {
public:
    explicit TDeflateFile(const std::string& fileName)
        : stream_(TFileOutputStream::Create(fileName)) {
        if (deflateInit(&zlib_, Z_DEFAULT_COMPRESSION) != Z_OK) {
            throw ENoMemoryError("No memory for zlib's compressor");
        }
    }
    TDeflateFile(const TDeflateFile&) = delete;
    TDeflateFile& operator=(const TDeflateFile&) = delete;
    ~TDeflateFile() { deflateEnd(&zlib_); }

    void Write(const std::uint8_t* data, std::size_t size) { Run(data, size, Z_NO_FLUSH); }
    void Finish() {
        Run(nullptr, 0, Z_FINISH);
        stream_.Close();
    }

private:
    void Run(const std::uint8_t* data, std::size_t size, int flush) {
        zlib_.next_in = const_cast<Bytef*>(data); // zlib only reads it
        zlib_.avail_in = static_cast<uInt>(size);
        int status = Z_OK;
        do {
            zlib_.next_out = out_;
            zlib_.avail_out = sizeof out_;
            status = deflate(&zlib_, flush);
            if (status == Z_STREAM_ERROR) {
                throw EPictureError("zlib's compressor failed");
            }
            stream_.Write(out_, sizeof out_ - zlib_.avail_out);
        } while (zlib_.avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
    }

    TFileOutputStream stream_;
    z_stream zlib_{};
    Bytef out_[65536];
};

template <typename TSource> void Deflate(TSource& source, const std::string& tempName) {
    try {
        TDeflateFile file(tempName);
        const std::size_t rowBytes = std::size_t{source.Width()} * 3;
        source.ReadRows([&file, rowBytes](const std::uint8_t* const* rows, std::uint32_t count) {
            for (std::uint32_t r = 0; r < count; ++r) {
                file.Write(rows[r], rowBytes);
            }
            DrainMessageQueue();
        });
        file.Finish();
    } catch (...) {
        ::unlink(tempName.c_str());
        throw;
    }
}

// The alpha of a picture, Width x Height bytes, turned upright as its
// colour is: through a grey bitmap, as TUprightPicture turns pictures.
std::vector<std::uint8_t> UprightAlpha(const std::vector<std::uint8_t>& alpha, std::uint32_t width,
                                       std::uint32_t height, int orientation) {
    TBitmap24 grey(width, height);
    for (std::uint32_t y = 0; y < height; ++y) {
        std::uint8_t* row = grey.Row(y);
        for (std::uint32_t x = 0; x < width; ++x) {
            std::fill_n(row + 3 * x, 3, alpha[std::size_t{y} * width + x]);
        }
    }
    const TUprightPicture upright(std::move(grey), orientation);
    std::vector<std::uint8_t> turned;
    turned.reserve(alpha.size());
    upright.ReadRows([&](const std::uint8_t* const* rows, std::uint32_t count) {
        for (std::uint32_t r = 0; r < count; ++r) {
            for (std::uint32_t x = 0; x < upright.Width(); ++x) {
                turned.push_back(rows[r][3 * x]);
            }
        }
    });
    return turned;
}

// Bytes deflated into the file name, or written as they are (already
// deflated) when not compress.
void DeflateBytes(const std::vector<std::uint8_t>& bytes, const std::string& name,
                  bool compress = true) {
    try {
        if (compress) {
            TDeflateFile file(name);
            file.Write(bytes.data(), bytes.size());
            file.Finish();
        } else {
            TFileOutputStream file = TFileOutputStream::Create(name);
            file.Write(bytes.data(), bytes.size());
            file.Close();
        }
    } catch (...) {
        ::unlink(name.c_str());
        throw;
    }
}

} // namespace

TFlatePicture PrepareFlatePicture(const std::string& FileName, const std::string& TempName,
                                  bool AutoOrient) {
    TPictureFile file(FileName);
    file.SetStopTest([] { return StopPreparing.load(); });
    TFlatePicture made;
    made.IccProfile = file.IccProfile();
    made.Info.IsFlate = true;
    const int orientation = AutoOrient ? file.Orientation() : 1;
    // A PNG whose data a reader takes as it is goes in as it is, once
    // libpng has decoded it whole: what can't be decoded is refused here.
    if (orientation == 1 && ReadPictureKind(FileName) == TPictureKind::pkPng) {
        if (std::optional<TPngImageData> data = ReadPngImageData(FileName)) {
            file.ReadAll();
            made.Info.Width = static_cast<std::int32_t>(data->Width);
            made.Info.Height = static_cast<std::int32_t>(data->Height);
            made.Info.IsGrey = data->Colours == 1 && data->Palette.empty();
            made.Info.BitsPerComponent = data->Bits;
            made.Info.Palette = std::move(data->Palette);
            made.Info.PngPredictors = true;
            DeflateBytes(data->Deflated, TempName, false);
            return made;
        }
    }
    std::vector<std::uint8_t> alpha;
    TBitmap24 stored = file.HasAlpha() ? file.ReadWithAlpha(alpha) : file.ReadAll();
    const std::uint32_t width = stored.Width();
    const std::uint32_t height = stored.Height();
    const TUprightPicture upright(std::move(stored), orientation);
    made.Info.Width = static_cast<std::int32_t>(upright.Width());
    made.Info.Height = static_cast<std::int32_t>(upright.Height());
    Deflate(upright, TempName);
    // A mask only where something shows through.
    if (std::any_of(alpha.begin(), alpha.end(), [](std::uint8_t a) { return a != 255; })) {
        made.SoftMask = TempName + ".mask";
        DeflateBytes(orientation == 1 ? alpha : UprightAlpha(alpha, width, height, orientation),
                     made.SoftMask);
    }
    return made;
}

bool IsOtherPicture(const std::string& FileName) {
    const TPictureKind kind = ReadPictureKind(FileName);
    return kind != TPictureKind::pkUnknown && kind != TPictureKind::pkJpeg;
}

void PrepareOtherPicture(const std::string& FileName, const std::string& TempName,
                         std::uint8_t Quality, bool AutoOrient, bool KeepProfile,
                         std::string* Incomplete) {
    TPictureFile file(FileName);
    file.SetStopTest([] { return StopPreparing.load(); });
    std::vector<std::uint8_t> profile;
    if (KeepProfile) {
        profile = file.IccProfile();
        if (!ProfileFits(profile, 3)) {
            profile.clear();
        }
    }
    const int quality = std::clamp<int>(Quality, 1, 100);
    const int orientation = AutoOrient ? file.Orientation() : 1;
    if (orientation == 1) {
        Encode(file, TempName, quality, profile);
    } else {
        TUprightPicture upright(file.ReadAll(), orientation);
        Encode(upright, TempName, quality, profile);
    }
    if (Incomplete != nullptr) {
        *Incomplete = file.Incomplete();
    }
}

bool PrepareOtherPictures(std::vector<std::string>& Files, std::optional<TRunFolder>& Folder,
                          std::map<std::string, TFlatePicture>& Flate,
                          const TProgressProc& Progress, const TRunOptions& Options,
                          TRunReport* Report, const std::function<bool()>& Stop) {
    std::vector<std::string> kept;
    const std::size_t count = Files.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& source = Files[i];
        if (!IsOtherPicture(source)) {
            kept.push_back(source);
            continue;
        }
        if (Stop()) {
            return false;
        }
        if (!Folder) {
            Folder.emplace();
        }
        const std::string tempName = Folder->FileFor(i);
        std::string incomplete;
        try {
            if (IsLosslessPicture(source, ReadPictureKind(source))) {
                Flate[tempName] = PrepareFlatePicture(source, tempName, Options.Layout.AutoOrient);
            } else {
                PrepareOtherPicture(source, tempName, Options.Quality, Options.Layout.AutoOrient,
                                    Options.ColourProfiles, &incomplete);
            }
            kept.push_back(tempName);
            if (Report != nullptr && !incomplete.empty()) {
                Report->Incomplete.push_back({source,
                                              "the picture is incomplete (" + incomplete + ")",
                                              TReasonKind::rkIncomplete});
            }
        } catch (const EStoppedError&) {
            return false;
        } catch (const std::exception& error) {
            const bool skip = Options.Policy == TPagePolicy::ppSkipBad && !IsMachineFault(error);
            if (Report != nullptr) {
                if (skip) {
                    Report->Skipped.push_back({source, ErrorMessage(error), ReasonKindOf(error)});
                } else {
                    Report->FailedFile = source;
                    Report->Kind = ReasonKindOf(error);
                }
            }
            if (!skip) {
                throw;
            }
        }
        if (Progress) {
            Progress(source, static_cast<std::int64_t>(count) - 1,
                     static_cast<std::int64_t>(i) + 1);
        }
        DrainMessageQueue();
    }
    Files = std::move(kept);
    return true;
}

} // namespace vorpane
