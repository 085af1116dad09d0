// The image preparation of JpegUtils.h: one picture at a time and the batch.
// Loading is in picture/PictureFile.cpp, the resampler in resample/, the
// encoder in jpeg/JpegEncoder.cpp, the temporary folders in RunFolder.cpp.

#include "prepare/JpegUtils.h"

#include "Errors.h"
#include "FileHandle.h"
#include "GuardMessage.h"
#include "MessageQueue.h"
#include "colour/ColourProfile.h"
#include "jpeg/JpegEncoder.h"
#include "jpeg/JpegFrameScan.h"
#include "picture/PictureFile.h"
#include "picture/UprightPicture.h"
#include "prepare/KeptPixels.h"
#include "prepare/OrderedBatch.h"
#include "resample/BandResampler.h"
#include "resample/ResampleThread.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>

namespace vorpane {

std::atomic<bool> StopPreparing{false};

namespace {

// What a worker found for one listed file: no file there (Missing, an errno
// value), a prepared file (File), or no page and why (NoPage).
struct TPrepared {
    int Missing = 0;
    std::string File;
    TPrepareNotes Notes;
};

unsigned OnlineProcessors() {
    const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? static_cast<unsigned>(online) : 1;
}

// 0 when a file exists under path; else why not, as an errno value.
int MissingFileError(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return errno;
    }
    return S_ISDIR(st.st_mode) ? EISDIR : 0;
}

// Whether the resampler scales from or to a side of this size.
bool FitsResampler(std::uint32_t width, std::uint32_t height) {
    const auto fits = [](std::uint32_t side) {
        return side >= 1 && side <= static_cast<std::uint32_t>(kMaxSide);
    };
    return fits(width) && fits(height);
}

std::string SizeText(std::uint32_t width, std::uint32_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

// round(numerator / denominator), exact, a tie going to the even integer.
std::uint32_t RoundedQuotient(std::uint32_t numerator, std::uint32_t denominator) {
    if (denominator == 0) {
        return 0;
    }
    std::uint32_t quotient = numerator / denominator;
    const std::uint32_t twice = 2 * (numerator % denominator);
    if (twice > denominator || (twice == denominator && quotient % 2 == 1)) {
        ++quotient;
    }
    return quotient;
}

// A picture source (TPictureFile, TUprightPicture) encoded a band of rows
// at a time as it is read.
template <typename TSource>
bool SaveRowsAsJpeg(TSource& source, const std::string& fileName, std::uint8_t quality,
                    const std::vector<std::uint8_t>& profile) {
    if (source.Width() == 0 || source.Height() == 0) {
        return false;
    }
    WriteJpegFile(fileName, [&source, quality, &profile](TJpegEncoder& encoder) {
        encoder.Start(source.Width(), source.Height(), std::clamp<int>(quality, 1, 100), profile);
        source.ReadRows([&encoder](const std::uint8_t* const* rows, std::uint32_t count) {
            encoder.WriteRows(rows, count);
        });
        encoder.Finish();
    });
    return true;
}

// The picture as it is read, whole, for its kept pixels.
template <typename TSource> TBitmap24 ReadWhole(TSource& source) {
    TBitmap24 bitmap(source.Width(), source.Height());
    std::uint32_t y = 0;
    source.ReadRows([&bitmap, &y](const std::uint8_t* const* rows, std::uint32_t count) {
        for (std::uint32_t r = 0; r < count; ++r, ++y) {
            std::copy_n(rows[r], bitmap.RowBytes(), bitmap.Row(y));
        }
    });
    return bitmap;
}

// The picture scaled as it is read, a band of rows at a time, by a
// TBandResampler or a TResampleThread: the result is ResampleBitmap's,
// without a full-size picture of its own in memory (none at all while a
// JPEG file decodes).
template <typename TResampler, typename TSource>
TBitmap24 ScaleWhileReading(TSource& source, std::uint32_t width, std::uint32_t height,
                            int filter) {
    TResampler resampler(source.Width(), source.Height(), width, height, filter);
    source.ReadRows([&resampler](const std::uint8_t* const* rows, std::uint32_t count) {
        resampler.AddRows(rows, static_cast<std::int32_t>(count));
    });
    return resampler.Finish();
}

// PrepareImage for a picture source: scaled to Width x Height (a side 0
// following the aspect ratio) or encoded again as it is, with profile.
template <typename TSource>
bool PreparePicture(TSource& source, const std::string& tempName, const TPrepareParams& params,
                    TPrepareNotes& notes, const std::vector<std::uint8_t>& profile) {
    const std::uint16_t width = params.Width;
    const std::uint16_t height = params.Height;
    // A picture side above 65535 (only a PNG can have one) is cut here too;
    // the size check below refuses such a picture anyway.
    const auto pictureWidth = static_cast<std::uint16_t>(source.Width());
    const auto pictureHeight = static_cast<std::uint16_t>(source.Height());
    std::uint32_t newWidth = width;
    std::uint32_t newHeight = height;
    if (params.Fit) {
        const TPixelSize fitted = FitInside(pictureWidth, pictureHeight, width, height);
        newWidth = fitted.Width;
        newHeight = fitted.Height;
    } else if (height == 0) {
        newHeight = HeightForWidth(pictureHeight, pictureWidth, width);
    } else if (width == 0) {
        newWidth = WidthForHeight(pictureHeight, pictureWidth, height);
    }
    // In the window's design a computed side keeps its low 16 bits: the
    // page is squashed, which its caller is told.
    if (notes.CutComputedSide && (newWidth > 0xFFFF || newHeight > 0xFFFF)) {
        const std::uint32_t cutWidth = newWidth & 0xFFFF;
        const std::uint32_t cutHeight = newHeight & 0xFFFF;
        notes.Squashed = "its page would be " + SizeText(newWidth, newHeight) + " pixels; it is " +
                         SizeText(cutWidth, cutHeight);
        newWidth = cutWidth;
        newHeight = cutHeight;
    }
    // No size asked, or the picture's own: encoded again as it is.
    if ((width == 0 && height == 0) ||
        (source.Width() == newWidth && source.Height() == newHeight)) {
        if (params.KeepPixels) {
            if (source.Width() == 0 || source.Height() == 0) {
                return false;
            }
            SaveKeptPixels(ReadWhole(source), tempName, profile);
            return true;
        }
        return SaveRowsAsJpeg(source, tempName, params.Quality, profile);
    }
    // Sizes the resampler refuses give no file rather than a page of
    // whatever the output bitmap held.
    if (!FitsResampler(newWidth, newHeight)) {
        notes.NoPage = "its page would be " + SizeText(newWidth, newHeight) +
                       " pixels; each side must be 1 to " + std::to_string(kMaxSide);
        notes.NoPageKind = newWidth > 0xFFFF || newHeight > 0xFFFF ? TReasonKind::rkPageTooLarge
                                                                   : TReasonKind::rkNoPixels;
        return false;
    }
    if (!FitsResampler(source.Width(), source.Height())) {
        notes.NoPage = "it is " + SizeText(source.Width(), source.Height()) +
                       " pixels; only pictures with sides of 1 to " + std::to_string(kMaxSide) +
                       " can be scaled";
        notes.NoPageKind = TReasonKind::rkTooLarge;
        return false;
    }
    // With every size checked, what is left to fail is memory: the
    // resampler raises an error for a page it can't make, which must not
    // vanish from the document unnoticed.
    const int filter = params.UseTriangle ? kTriangleFilter : kLanczos3Filter;
    TBitmap24 scaled = params.SpareThread
                           ? ScaleWhileReading<TResampleThread>(source, newWidth, newHeight, filter)
                           : ScaleWhileReading<TBandResampler>(source, newWidth, newHeight, filter);
    if (params.KeepPixels) {
        SaveKeptPixels(scaled, tempName, profile);
        return true;
    }
    return SaveAsJpeg(scaled, tempName, params.Quality, profile);
}

// At most what decoding FileName takes, from its header: libjpeg's whole
// coefficient buffer, which a progressive file needs (two bytes a sample,
// three samples a pixel at most), and a picture's rows of three bytes a
// pixel. A picture of another kind is decoded whole, four bytes a pixel
// with its alpha. 0 when the header can't be read: the preparation will
// say why.
std::uint64_t DecodeMemory(const std::string& FileName) {
    TJpegInfo info;
    const TJpegCheck check = CheckJpegFile(FileName, info);
    if (check == TJpegCheck::jcEmbeddable || check == TJpegCheck::jcGrey) {
        return std::uint64_t(info.Width) * std::uint64_t(info.Height) * (info.IsCMYK ? 11 : 9);
    }
    try {
        const TPictureFile file(FileName);
        return std::uint64_t(file.Width()) * file.Height() * 4;
    } catch (const std::exception&) {
        return 0;
    }
}

// A quarter of the physical memory: room for the rest of a desktop.
std::uint64_t DefaultMemoryBudget() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? std::uint64_t(pages) * std::uint64_t(pageSize) / 4 : 0;
}

} // namespace

// ---- Interfaces -------------------------------------------------------------------

TBitmap24 LoadPicture(const std::string& FileName) {
    return TPictureFile(FileName).ReadAll();
}

std::uint32_t HeightForWidth(std::uint16_t SourceHeight, std::uint16_t SourceWidth,
                             std::uint16_t Width) {
    return RoundedQuotient(std::uint32_t{SourceHeight} * Width, SourceWidth);
}

std::uint32_t WidthForHeight(std::uint16_t SourceHeight, std::uint16_t SourceWidth,
                             std::uint16_t Height) {
    return RoundedQuotient(std::uint32_t{SourceWidth} * Height, SourceHeight);
}

TPixelSize FitInside(std::uint16_t SourceWidth, std::uint16_t SourceHeight, std::uint16_t BoxWidth,
                     std::uint16_t BoxHeight) {
    if ((BoxWidth == 0 || SourceWidth <= BoxWidth) &&
        (BoxHeight == 0 || SourceHeight <= BoxHeight)) {
        return {SourceWidth, SourceHeight};
    }
    // The side that reaches the box first is the box's; a picture of the
    // box's own proportions takes both.
    const bool widthBound =
        BoxHeight == 0 || (BoxWidth != 0 && std::uint64_t{SourceWidth} * BoxHeight >=
                                                std::uint64_t{SourceHeight} * BoxWidth);
    if (widthBound) {
        return {BoxWidth, std::max(HeightForWidth(SourceHeight, SourceWidth, BoxWidth), 1u)};
    }
    return {std::max(WidthForHeight(SourceHeight, SourceWidth, BoxHeight), 1u), BoxHeight};
}

bool SaveAsJpeg(const TBitmap24& Bitmap, const std::string& FileName, std::uint8_t Quality,
                std::span<const std::uint8_t> IccProfile) {
    if (Bitmap.Empty()) {
        return false;
    }
    WriteJpegFile(FileName, [&Bitmap, Quality, IccProfile](TJpegEncoder& encoder) {
        encoder.Encode(Bitmap, std::clamp<int>(Quality, 1, 100), IccProfile);
    });
    return true;
}

bool PrepareImage(const std::string& FileName, const std::string& TempName,
                  const TPrepareParams& Params, TPrepareNotes* Notes) {
    TPrepareNotes own;
    TPrepareNotes& notes = Notes != nullptr ? *Notes : own;
    TPictureFile file(FileName);
    file.SetStopTest([] { return StopPreparing.load(); });
    const int orientation = Params.AutoOrient ? file.Orientation() : 1;
    // The picture is encoded in RGB: only an RGB profile still describes it.
    std::vector<std::uint8_t> profile;
    if (Params.KeepProfile) {
        profile = file.IccProfile();
        if (!ProfileFits(profile, 3)) {
            profile.clear();
        }
    }
    bool written = false;
    if (orientation == 1) {
        written = PreparePicture(file, TempName, Params, notes, profile);
    } else {
        // Turning needs the whole picture: its first upright row may be the
        // stored picture's last column.
        TUprightPicture upright(file.ReadAll(), orientation);
        written = PreparePicture(upright, TempName, Params, notes, profile);
    }
    notes.Incomplete = file.Incomplete();
    return written;
}

bool PrepareImage(const std::string& FileName, const std::string& TempName, std::uint8_t Quality,
                  std::uint16_t Width, std::uint16_t Height, bool UseTriangle, TPrepareNotes* Notes,
                  bool SpareThread, bool AutoOrient, bool KeepProfile) {
    const TPrepareParams params{.Quality = Quality,
                                .Width = Width,
                                .Height = Height,
                                .UseTriangle = UseTriangle,
                                .SpareThread = SpareThread,
                                .AutoOrient = AutoOrient,
                                .KeepProfile = KeepProfile};
    return PrepareImage(FileName, TempName, params, Notes);
}

bool PrepareImages(const std::vector<std::string>& SourceFiles, const TRunFolder& Folder,
                   std::vector<std::string>& PreparedFiles, const TProgressProc& Progress,
                   std::uint8_t Quality, std::uint16_t Width, std::uint16_t Height,
                   bool UseTriangle) {
    return PrepareImages(SourceFiles, Folder, PreparedFiles, Progress,
                         SizeOptions(true, Quality, Width, Height, UseTriangle));
}

bool PrepareImages(const std::vector<std::string>& SourceFiles, const TRunFolder& Folder,
                   std::vector<std::string>& PreparedFiles, const TProgressProc& Progress,
                   const TRunOptions& Options, TRunReport* Report) {
    StopPreparing = false;
    if (SourceFiles.empty()) {
        ShowGuardMessage("Warning", "No Files.");
        return false;
    }
    const bool everyPage = Options.Policy == TPagePolicy::ppEveryPage;
    const bool skipBad = Options.Policy == TPagePolicy::ppSkipBad;
    const std::size_t count = SourceFiles.size();
    const unsigned jobs = Options.Jobs != 0 ? Options.Jobs : OnlineProcessors();
    // No more files than half the jobs: each file gets a spare thread that
    // scales it while it decodes. A full batch keeps one thread per file.
    const bool spareThread = jobs >= 2 * std::min<std::size_t>(jobs, count);
    const TPrepareParams params{.Quality = Options.Quality,
                                .Width = Options.Width,
                                .Height = Options.Height,
                                .UseTriangle = Options.UseTriangle,
                                .SpareThread = spareThread,
                                .AutoOrient = Options.Layout.AutoOrient,
                                .KeepProfile = Options.ColourProfiles,
                                .Fit = Options.Fit,
                                .KeepPixels = Options.MaxSize != 0};
    // A file's size tells roughly how long it takes: the largest of the next
    // few start first.
    std::vector<std::uint64_t> sizes(count);
    for (std::size_t i = 0; i < count; ++i) {
        struct stat st {};
        sizes[i] = ::stat(SourceFiles[i].c_str(), &st) == 0 ? std::uint64_t(st.st_size) : 0;
    }
    // Several at once, large progressive photos could take more memory than
    // the machine has: each counts its decode memory against the budget.
    std::vector<std::uint64_t> memory;
    if (jobs > 1 && count > 1) {
        memory.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            memory[i] = DecodeMemory(SourceFiles[i]);
        }
    }
    TOrderedBatch<TPrepared> batch(
        sizes, jobs,
        [&](std::size_t i) {
            const std::string& source = SourceFiles[i];
            TPrepared prepared;
            TPrepareNotes& notes = prepared.Notes;
            notes.CutComputedSide = Options.Policy == TPagePolicy::ppLeaveOut;
            if (skipBad) {
                // A file that can't be read is left out in the words of
                // "Original size"; a machine that can't open it ends the
                // batch.
                if (!TFileHandle::OpenForReading(source).Valid()) {
                    const int err = errno;
                    if (IsMachineErrno(err)) {
                        throw CannotOpenFile(source, err);
                    }
                    notes.NoPage = JpegCheckText(TJpegCheck::jcCannotOpen);
                    notes.NoPageKind = OpenFailureKind(err);
                    return prepared;
                }
            } else if ((prepared.Missing = MissingFileError(source)) != 0) {
                if (everyPage || IsMachineErrno(prepared.Missing)) {
                    throw CannotOpenFile(source, prepared.Missing);
                }
                return prepared;
            }
            const std::string tempName =
                params.KeepPixels ? Folder.FileFor(i, ".pixels") : Folder.FileFor(i);
            try {
                if (PrepareImage(source, tempName, params, &notes)) {
                    prepared.File = tempName;
                } else if (everyPage) {
                    throw EPictureError(notes.NoPage);
                }
            } catch (const std::exception& error) {
                // Only a fault of the file itself is skipped: a machine
                // short of space, memory or descriptors would otherwise
                // drop good photographs.
                if (!skipBad || IsMachineFault(error) ||
                    dynamic_cast<const EStoppedError*>(&error) != nullptr) {
                    throw;
                }
                notes.NoPage = ErrorMessage(error);
                notes.NoPageKind = ReasonKindOf(error);
            }
            return prepared;
        },
        [] { return StopPreparing.load(); },
        [](TPrepared& prepared) {
            if (!prepared.File.empty()) {
                ::unlink(prepared.File.c_str());
            }
        },
        memory, Options.Memory != 0 ? Options.Memory : DefaultMemoryBudget());
    for (std::size_t i = 0; i < count && !StopPreparing; ++i) {
        const std::string& source = SourceFiles[i];
        std::optional<TPrepared> prepared;
        try {
            prepared = batch.Take(i);
        } catch (const EStoppedError&) {
            break; // a stop cut the decoding of this file short
        } catch (const std::exception& error) {
            if (Report != nullptr) {
                Report->FailedFile = source;
                Report->Kind = ReasonKindOf(error);
            }
            throw;
        } catch (...) { // no std::exception, but still named and on its way
            if (Report != nullptr) {
                Report->FailedFile = source;
            }
            throw;
        }
        if (!prepared) {
            break; // stopped before this file was started
        }
        const TPrepareNotes& notes = prepared->Notes;
        if (prepared->Missing != 0) {
            if (Report != nullptr) {
                Report->Skipped.push_back(
                    {source, std::strerror(prepared->Missing), OpenFailureKind(prepared->Missing)});
            }
        } else {
            if (!prepared->File.empty()) {
                PreparedFiles.push_back(prepared->File);
                if (Report != nullptr && !notes.Squashed.empty()) {
                    Report->Squashed.push_back(
                        {source, notes.Squashed, TReasonKind::rkPageTooLarge});
                }
                if (Report != nullptr && !notes.Incomplete.empty()) {
                    Report->Incomplete.push_back(
                        {source, "the picture is incomplete (" + notes.Incomplete + ")",
                         TReasonKind::rkIncomplete});
                }
            } else if (Report != nullptr) {
                Report->Skipped.push_back({source, notes.NoPage, notes.NoPageKind});
            }
            if (Progress) {
                Progress(source, static_cast<std::int64_t>(count) - 1,
                         static_cast<std::int64_t>(i) + 1);
            }
        }
        DrainMessageQueue();
    }
    return true;
}

} // namespace vorpane
