// The image preparation of JpegUtils.h: the batch, the JPEG encoder and the
// private temporary folder. Loading is in PictureFile.cpp, the resampler in
// Resampler.cpp.

#include "JpegUtils.h"

#include "BandResampler.h"
#include "Errors.h"
#include "FileHandle.h"
#include "FileOutputStream.h"
#include "GuardMessage.h"
#include "JpegErrorBridge.h"
#include "MessageQueue.h"
#include "OrderedBatch.h"
#include "PictureFile.h"
#include "ResampleThread.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>

#include <jerror.h>

namespace vorpane {

std::atomic<bool> StopPreparing{false};

namespace {

// What a worker found for one listed file: no file there (Missing, an errno
// value), a prepared file (File), or no page and why (NoPage).
struct TPrepared {
    int Missing = 0;
    std::string File;
    std::string NoPage;
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
    return width >= 1 && width <= 32767 && height >= 1 && height <= 32767;
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

// ---- Encoding ------------------------------------------------------------------

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
        } catch (...) {
            Failure = std::current_exception();
            return false;
        }
    }
};

static_assert(std::is_standard_layout_v<TStreamDestination>);

struct TJpegEncoder {
    TJpegErrorBridge bridge;
    TStreamDestination destination;
    jpeg_compress_struct info{};
    bool created = false;

    explicit TJpegEncoder(TFileOutputStream& stream) : destination(stream) {
        info.err = bridge.Manager();
    }
    ~TJpegEncoder() {
        if (created) {
            jpeg_destroy_compress(&info);
        }
    }

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

    void Encode(const TBitmap24& bitmap, int quality) {
        Run([this, &bitmap, quality] {
            jpeg_create_compress(&info);
            created = true;
            info.dest = &destination.Manager;
            info.image_width = bitmap.Width();
            info.image_height = bitmap.Height();
            info.input_components = 3;
            info.in_color_space = JCS_RGB;
            jpeg_set_defaults(&info);
            jpeg_set_quality(&info, quality, TRUE);
            jpeg_start_compress(&info, TRUE);
        });
        constexpr JDIMENSION kBatch = 16;
        JSAMPROW rows[kBatch];
        while (info.next_scanline < info.image_height) {
            const JDIMENSION first = info.next_scanline;
            const JDIMENSION count = std::min(kBatch, info.image_height - first);
            for (JDIMENSION r = 0; r < count; ++r) {
                // libjpeg's row type is not const; it only reads the rows.
                rows[r] = const_cast<JSAMPROW>(bitmap.Row(first + r));
            }
            Run([this, &rows, count] { jpeg_write_scanlines(&info, rows, count); });
            DrainMessageQueue();
        }
        Run([this] { jpeg_finish_compress(&info); });
    }
};

// The picture scaled as it is decoded, a band of rows at a time, by a
// TBandResampler or a TResampleThread: the result is ResampleBitmap's,
// without the full-size picture in memory.
template <typename TResampler>
TBitmap24 ScaleWhileReading(TPictureFile& file, std::uint32_t width, std::uint32_t height,
                            int filter) {
    static_assert(TPictureFile::kBandRows <= kBandRows);
    TResampler resampler(file.Width(), file.Height(), width, height, filter);
    file.ReadRows([&resampler](const std::uint8_t* const* rows, std::uint32_t count) {
        resampler.AddRows(rows, static_cast<std::int32_t>(count));
    });
    return resampler.Finish();
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

bool SaveAsJpeg(const TBitmap24& Bitmap, const std::string& FileName, std::uint8_t Quality) {
    if (Bitmap.Empty()) {
        return false;
    }
    TFileOutputStream stream = TFileOutputStream::Create(FileName);
    try {
        TJpegEncoder(stream).Encode(Bitmap, std::clamp<int>(Quality, 1, 100));
        stream.Close();
    } catch (...) {
        // A half-written picture is of no use to anyone. Only a regular
        // file goes: a device or FIFO named as the target stays.
        struct stat st {};
        if (::lstat(FileName.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            ::unlink(FileName.c_str());
        }
        throw;
    }
    return true;
}

std::string TempFolder() {
    const char* system = std::getenv("TMPDIR");
    std::string folder = system != nullptr && *system != '\0' ? system : "/tmp";
    if (folder.back() != '/') {
        folder += '/';
    }
    folder += "vorpane-" + std::to_string(::geteuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        throw EFileError("Cannot create folder " + SystemErrorText(folder, errno));
    }
    // Another user may have put something in our way first: only a real
    // folder of our own will do.
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) {
        throw EFileError("Cannot use folder " + SystemErrorText(folder, errno));
    }
    if (!S_ISDIR(st.st_mode)) {
        throw EFileError("Cannot use folder " + folder +
                         ": it is not a folder (a symbolic link or a file stands in its place)");
    }
    // Opened without following a symlink, so the folder checked is the
    // folder used even if the name was swapped since lstat.
    TFileHandle handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!handle.Valid() || ::fstat(handle.Fd(), &st) != 0) {
        throw EFileError("Cannot use folder " + SystemErrorText(folder, errno));
    }
    if (st.st_uid != ::geteuid()) {
        throw EFileError("Cannot use folder " + folder + ": it belongs to another user");
    }
    if ((st.st_mode & 077) != 0 && ::fchmod(handle.Fd(), 0700) != 0) {
        throw EFileError("Cannot close folder to others " + SystemErrorText(folder, errno));
    }
    return folder + '/';
}

bool PrepareImage(const std::string& FileName, const std::string& TempName, std::uint8_t Quality,
                  std::uint16_t Width, std::uint16_t Height, bool UseTriangle,
                  std::string* NoPageReason, bool SpareThread) {
    TPictureFile file(FileName);
    // A picture side above 65535 (only a PNG can have one) is cut here too;
    // the size check below refuses such a picture anyway.
    const auto pictureWidth = static_cast<std::uint16_t>(file.Width());
    const auto pictureHeight = static_cast<std::uint16_t>(file.Height());
    std::uint16_t newWidth = Width;
    std::uint16_t newHeight = Height;
    // A computed side keeps its low 16 bits.
    if (Height == 0) {
        newHeight = static_cast<std::uint16_t>(HeightForWidth(pictureHeight, pictureWidth, Width));
    } else if (Width == 0) {
        newWidth = static_cast<std::uint16_t>(WidthForHeight(pictureHeight, pictureWidth, Height));
    }
    // No size asked, or the picture's own: encoded again as it is.
    if ((Width == 0 && Height == 0) || (file.Width() == newWidth && file.Height() == newHeight)) {
        return SaveAsJpeg(file.ReadAll(), TempName, Quality);
    }
    // Sizes the resampler refuses give no file rather than a page of
    // whatever the output bitmap held.
    std::string noPage;
    if (!FitsResampler(newWidth, newHeight)) {
        noPage = "its page would be " + SizeText(newWidth, newHeight) +
                 " pixels; each side must be 1 to 32767";
    } else if (!FitsResampler(file.Width(), file.Height())) {
        noPage = "it is " + SizeText(file.Width(), file.Height()) +
                 " pixels; only pictures with sides of 1 to 32767 can be scaled";
    }
    if (!noPage.empty()) {
        if (NoPageReason != nullptr) {
            *NoPageReason = noPage;
        }
        return false;
    }
    // With every size checked, what is left to fail is memory: the
    // resampler raises an error for a page it can't make, which must not
    // vanish from the document unnoticed.
    const int filter = UseTriangle ? kTriangleFilter : kLanczos3Filter;
    return SaveAsJpeg(SpareThread
                          ? ScaleWhileReading<TResampleThread>(file, newWidth, newHeight, filter)
                          : ScaleWhileReading<TBandResampler>(file, newWidth, newHeight, filter),
                      TempName, Quality);
}

bool PrepareImages(const std::vector<std::string>& SourceFiles, const TRunFolder& Folder,
                   std::vector<std::string>& PreparedFiles, const TProgressProc& Progress,
                   std::uint8_t Quality, std::uint16_t Width, std::uint16_t Height,
                   bool UseTriangle, TRunReport* Report, TPagePolicy Policy, unsigned Jobs) {
    StopPreparing = false;
    if (SourceFiles.empty()) {
        ShowGuardMessage("Warning", "No Files.");
        return false;
    }
    const bool everyPage = Policy == TPagePolicy::ppEveryPage;
    const std::size_t count = SourceFiles.size();
    const unsigned jobs = Jobs != 0 ? Jobs : OnlineProcessors();
    // No more files than half the jobs: each file gets a spare thread that
    // scales it while it decodes. A full batch keeps one thread per file.
    const bool spareThread = jobs >= 2 * std::min<std::size_t>(jobs, count);
    // A file's size tells roughly how long it takes: the largest of the next
    // few start first.
    std::vector<std::uint64_t> sizes(count);
    for (std::size_t i = 0; i < count; ++i) {
        struct stat st {};
        sizes[i] = ::stat(SourceFiles[i].c_str(), &st) == 0 ? std::uint64_t(st.st_size) : 0;
    }
    TOrderedBatch<TPrepared> batch(
        sizes, jobs,
        [&](std::size_t i) {
            const std::string& source = SourceFiles[i];
            TPrepared prepared;
            prepared.Missing = MissingFileError(source);
            if (prepared.Missing != 0) {
                if (everyPage) {
                    throw EFileError("Cannot open file " +
                                     SystemErrorText(source, prepared.Missing));
                }
                return prepared;
            }
            const std::string tempName = Folder.FileFor(i);
            if (PrepareImage(source, tempName, Quality, Width, Height, UseTriangle,
                             &prepared.NoPage, spareThread)) {
                prepared.File = tempName;
            } else if (everyPage) {
                throw EPictureError(prepared.NoPage);
            }
            return prepared;
        },
        [] { return StopPreparing.load(); },
        [](TPrepared& prepared) {
            if (!prepared.File.empty()) {
                ::unlink(prepared.File.c_str());
            }
        });
    for (std::size_t i = 0; i < count && !StopPreparing; ++i) {
        const std::string& source = SourceFiles[i];
        std::optional<TPrepared> prepared;
        try {
            prepared = batch.Take(i);
        } catch (...) {
            if (Report != nullptr) {
                Report->FailedFile = source;
            }
            throw;
        }
        if (!prepared) {
            break; // stopped before this file was started
        }
        if (prepared->Missing != 0) {
            if (Report != nullptr) {
                Report->Skipped.push_back({source, std::strerror(prepared->Missing)});
            }
        } else {
            if (!prepared->File.empty()) {
                PreparedFiles.push_back(prepared->File);
            } else if (Report != nullptr) {
                Report->Skipped.push_back({source, prepared->NoPage});
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
