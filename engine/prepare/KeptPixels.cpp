#include "prepare/KeptPixels.h"

#include "Errors.h"
#include "FileHandle.h"
#include "io/FileOutputStream.h"
#include "jpeg/JpegEncoder.h"
#include "prepare/OrderedBatch.h"

#include <cerrno>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vorpane {

namespace {

struct TKeptHeader {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::uint32_t ProfileBytes = 0;
};

void ReadExactly(const TFileHandle& file, void* data, std::size_t size, const std::string& name) {
    const std::int64_t got = file.Read(data, size);
    if (got < 0) {
        throw EFileError("Cannot read file " + SystemErrorText(name, errno), errno);
    }
    if (static_cast<std::size_t>(got) != size) {
        throw EFileError("Cannot read file " + name + ": it ends early");
    }
}

} // namespace

void SaveKeptPixels(const TBitmap24& Bitmap, const std::string& FileName,
                    std::span<const std::uint8_t> IccProfile) {
    std::optional<TFileOutputStream> created;
    try {
        created.emplace(TFileOutputStream::Create(FileName));
        const TKeptHeader header{Bitmap.Width(), Bitmap.Height(),
                                 static_cast<std::uint32_t>(IccProfile.size())};
        created->Write(&header, sizeof header);
        created->Write(IccProfile.data(), IccProfile.size());
        for (std::uint32_t y = 0; y < Bitmap.Height(); ++y) {
            created->Write(Bitmap.Row(y), Bitmap.RowBytes());
        }
        created->Close();
    } catch (const EFileError& error) {
        struct stat st {};
        if (created && ::lstat(FileName.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            ::unlink(FileName.c_str());
        }
        throw EWriteError(error.what(), error.Errno());
    }
}

void EncodeKeptPixels(const std::string& KeptFile, const std::string& JpegFile, int Quality) {
    const TFileHandle file = TFileHandle::OpenForReading(KeptFile);
    if (!file.Valid()) {
        throw EFileError("Cannot open file " + SystemErrorText(KeptFile, errno), errno);
    }
    TKeptHeader header;
    ReadExactly(file, &header, sizeof header, KeptFile);
    TBitmap24::CheckPictureSize(header.Width, header.Height);
    std::vector<std::uint8_t> profile(header.ProfileBytes);
    ReadExactly(file, profile.data(), profile.size(), KeptFile);
    const std::size_t rowBytes = std::size_t{header.Width} * 3;
    std::vector<std::uint8_t> band(rowBytes * kBandRows);
    WriteJpegFile(JpegFile, [&](TJpegEncoder& encoder) {
        encoder.Start(header.Width, header.Height, Quality, profile);
        const std::uint8_t* rows[kBandRows];
        for (std::uint32_t top = 0; top < header.Height; top += kBandRows) {
            const std::uint32_t count = std::min<std::uint32_t>(kBandRows, header.Height - top);
            ReadExactly(file, band.data(), rowBytes * count, KeptFile);
            for (std::uint32_t r = 0; r < count; ++r) {
                rows[r] = band.data() + r * rowBytes;
            }
            encoder.WriteRows(rows, count);
        }
        encoder.Finish();
    });
}

std::optional<std::vector<std::string>>
EncodeKeptPictures(const std::vector<std::string>& Kept, int Quality, unsigned Jobs,
                   const std::function<bool()>& StopRequested) {
    const std::string suffix = ".q" + std::to_string(Quality) + ".jpg";
    std::vector<std::string> names;
    const auto removeNames = [&names] {
        for (const std::string& name : names) {
            ::unlink(name.c_str());
        }
    };
    try {
        // Every picture of a run has about the same size: no effort to weigh.
        TOrderedBatch<std::string> batch(
            std::vector<std::uint64_t>(Kept.size(), 1), Jobs,
            [&Kept, &suffix, Quality](std::size_t i) {
                EncodeKeptPixels(Kept[i], Kept[i] + suffix, Quality);
                return Kept[i] + suffix;
            },
            StopRequested, [](std::string& name) { ::unlink(name.c_str()); });
        for (std::size_t i = 0; i < Kept.size(); ++i) {
            std::optional<std::string> name = batch.Take(i);
            if (!name) {
                break;
            }
            names.push_back(std::move(*name));
        }
    } catch (...) {
        removeNames();
        throw;
    }
    if (names.size() != Kept.size()) {
        removeNames();
        return std::nullopt;
    }
    return names;
}

} // namespace vorpane
