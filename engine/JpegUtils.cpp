// The image preparation of JpegUtils.h: loading, the batch, the JPEG
// encoder and the private temporary folder. The resampler is in
// Resampler.cpp.

#include "JpegUtils.h"

#include "Errors.h"
#include "FileHandle.h"
#include "FileOutputStream.h"
#include "GuardMessage.h"
#include "JpegDecoder.h"
#include "JpegErrorBridge.h"
#include "MessageQueue.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>

#include <jerror.h>

namespace vorpane {

std::atomic<bool> StopPreparing{false};

namespace {

// ---- Loading -----------------------------------------------------------------

// The extension of the file name's last component, without its dot; "" when
// there is none.
std::string ExtensionOf(const std::string& fileName) {
    const std::size_t slash = fileName.find_last_of('/');
    const std::size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return "";
    }
    return fileName.substr(dot + 1);
}

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// Closes a FILE and frees libpng's reading state on every path.
struct TPngRead {
    png_image Image{};
    std::FILE* Stream = nullptr;
    ~TPngRead() {
        png_image_free(&Image);
        if (Stream != nullptr) {
            std::fclose(Stream);
        }
    }
};

// libpng's simplified reader: it catches its own errors (with its own jump)
// and answers 0 with a message.
TBitmap24 LoadPng(const std::string& fileName) {
    TFileHandle file = TFileHandle::OpenForReading(fileName);
    if (!file.Valid()) {
        throw EFileError("Cannot open file " + SystemErrorText(fileName, errno));
    }
    // The stream gets a descriptor of its own; ours closes with the handle.
    TPngRead read;
    const int fd = ::dup(file.Fd());
    if (fd < 0 || (read.Stream = ::fdopen(fd, "rb")) == nullptr) {
        const int err = errno;
        if (fd >= 0) {
            ::close(fd);
        }
        throw EFileError("Cannot open file " + SystemErrorText(fileName, err));
    }
    read.Image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_stdio(&read.Image, read.Stream) == 0) {
        throw EPictureError(fileName + ": " + read.Image.message);
    }
    TBitmap24::CheckPictureSize(read.Image.width, read.Image.height);
    read.Image.format = PNG_FORMAT_RGB;
    TBitmap24 bitmap(read.Image.width, read.Image.height);
    // Transparent parts are laid over white, like a picture on paper.
    const png_color white{255, 255, 255};
    if (png_image_finish_read(&read.Image, &white, bitmap.Row(0),
                              static_cast<png_int_32>(bitmap.RowBytes()), nullptr) == 0) {
        throw EPictureError(fileName + ": " + read.Image.message);
    }
    return bitmap;
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

} // namespace

// ---- Interfaces -------------------------------------------------------------------

TBitmap24 LoadPicture(const std::string& FileName) {
    const std::string extension = ExtensionOf(FileName);
    const std::string kind = LowerAscii(extension);
    if (kind == "jpg" || kind == "jpeg") {
        return TJpegDecoder(FileName).Decode();
    }
    if (kind == "png") {
        return LoadPng(FileName);
    }
    if (kind == "bmp" || kind == "ico" || kind == "wmf" || kind == "emf") {
        throw EPictureError("Unsupported picture format (." + extension + ")");
    }
    throw EPictureError("Unknown picture file extension (." + extension + ")");
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
                  std::string* NoPageReason) {
    TBitmap24 picture = LoadPicture(FileName);
    if (Width == 0 && Height == 0) {
        return SaveAsJpeg(picture, TempName, Quality);
    }
    // A picture side above 65535 (only a PNG can have one) is cut here too;
    // the resampler refuses such a picture anyway.
    const auto pictureWidth = static_cast<std::uint16_t>(picture.Width());
    const auto pictureHeight = static_cast<std::uint16_t>(picture.Height());
    std::uint16_t newWidth = Width;
    std::uint16_t newHeight = Height;
    // A computed side keeps its low 16 bits.
    if (Height == 0) {
        newHeight = static_cast<std::uint16_t>(HeightForWidth(pictureHeight, pictureWidth, Width));
    } else if (Width == 0) {
        newWidth = static_cast<std::uint16_t>(WidthForHeight(pictureHeight, pictureWidth, Height));
    }
    // Sizes the resampler refuses give no file rather than a page of
    // whatever the output bitmap held.
    std::string noPage;
    if (newWidth != picture.Width() || newHeight != picture.Height()) {
        if (!FitsResampler(newWidth, newHeight)) {
            noPage = "its page would be " + SizeText(newWidth, newHeight) +
                     " pixels; each side must be 1 to 32767";
        } else if (!FitsResampler(picture.Width(), picture.Height())) {
            noPage = "it is " + SizeText(picture.Width(), picture.Height()) +
                     " pixels; only pictures with sides of 1 to 32767 can be scaled";
        }
    }
    if (!noPage.empty()) {
        if (NoPageReason != nullptr) {
            *NoPageReason = noPage;
        }
        return false;
    }
    TBitmap24 output;
    // With every size checked, what is left to fail is memory: a page that
    // can't be made must not vanish from the document unnoticed.
    if (!ResampleBitmap(&picture, &output, newWidth, newHeight,
                        UseTriangle ? kTriangleFilter : kLanczos3Filter)) {
        throw EPictureError("Not enough memory for a page of " + SizeText(newWidth, newHeight) +
                            " pixels");
    }
    picture = TBitmap24();
    return SaveAsJpeg(output, TempName, Quality);
}

bool PrepareImages(const std::vector<std::string>& SourceFiles, const TRunFolder& Folder,
                   std::vector<std::string>& PreparedFiles, const TProgressProc& Progress,
                   std::uint8_t Quality, std::uint16_t Width, std::uint16_t Height,
                   bool UseTriangle, TRunReport* Report, TPagePolicy Policy) {
    StopPreparing = false;
    if (SourceFiles.empty()) {
        ShowGuardMessage("Warning", "No Files.");
        return false;
    }
    const bool everyPage = Policy == TPagePolicy::ppEveryPage;
    const std::size_t count = SourceFiles.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (StopPreparing) {
            break;
        }
        const std::string& source = SourceFiles[i];
        const int missing = MissingFileError(source);
        try {
            if (missing != 0) {
                if (everyPage) {
                    throw EFileError("Cannot open file " + SystemErrorText(source, missing));
                }
                if (Report != nullptr) {
                    Report->Skipped.push_back({source, std::strerror(missing)});
                }
            } else {
                const std::string tempName = Folder.FileFor(i);
                std::string noPage;
                if (PrepareImage(source, tempName, Quality, Width, Height, UseTriangle, &noPage)) {
                    PreparedFiles.push_back(tempName);
                } else if (everyPage) {
                    throw EPictureError(noPage);
                } else if (Report != nullptr) {
                    Report->Skipped.push_back({source, noPage});
                }
            }
        } catch (...) {
            if (Report != nullptr) {
                Report->FailedFile = source;
            }
            throw;
        }
        if (missing == 0 && Progress) {
            Progress(source, static_cast<std::int64_t>(count) - 1,
                     static_cast<std::int64_t>(i) + 1);
        }
        DrainMessageQueue();
    }
    return true;
}

} // namespace vorpane
