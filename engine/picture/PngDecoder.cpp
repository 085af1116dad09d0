#include "picture/PngDecoder.h"

#include "Errors.h"
#include "FileHandle.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <png.h>
#include <unistd.h>
#include <zlib.h>

namespace vorpane {

namespace {

// A FILE of its own over a descriptor of its own, closed on every path.
struct TStdioFile {
    std::FILE* Stream = nullptr;
    explicit TStdioFile(const std::string& fileName) {
        TFileHandle file = TFileHandle::OpenForReading(fileName);
        const int fd = file.Valid() ? ::dup(file.Fd()) : -1;
        if (fd < 0 || (Stream = ::fdopen(fd, "rb")) == nullptr) {
            const int err = errno;
            if (fd >= 0) {
                ::close(fd);
            }
            throw EFileError("Cannot open file " + SystemErrorText(fileName, err), err);
        }
    }
    TStdioFile(const TStdioFile&) = delete;
    TStdioFile& operator=(const TStdioFile&) = delete;
    ~TStdioFile() { std::fclose(Stream); }
};

// Frees libpng's reading state of the simplified reader on every path.
struct TPngImage {
    png_image Image{};
    TPngImage() { Image.version = PNG_IMAGE_VERSION; }
    TPngImage(const TPngImage&) = delete;
    TPngImage& operator=(const TPngImage&) = delete;
    ~TPngImage() { png_image_free(&Image); }

    // Reads the header from Stream: a damaged one, or a picture beyond the
    // decoders' size, is refused. Again before the pixels, for the file may
    // have changed since its header was first read.
    void Begin(std::FILE* Stream) {
        if (png_image_begin_read_from_stdio(&Image, Stream) == 0) {
            Fail();
        }
        CheckDecodedSize(Image.width, Image.height);
    }
    [[noreturn]] void Fail() const {
        throw EPictureError(std::string("PNG error: ") + Image.message);
    }
};

// The chunks before the image data, read with libpng's full reader: the
// simplified one says nothing of the profile or the Exif data. Its errors
// come back through a jump to here, where nothing needs destroying;
// false then.
bool ReadPngChunks(std::FILE* stream, std::vector<std::uint8_t>& profile,
                   std::vector<std::uint8_t>& exif) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, stream);
    png_read_info(png, info);
    png_charp name = nullptr;
    int compression = 0;
    png_bytep data = nullptr;
    png_uint_32 size = 0;
    if (png_get_iCCP(png, info, &name, &compression, &data, &size) != 0) {
        profile.assign(data, data + size);
    }
    if (png_get_eXIf_1(png, info, &size, &data) != 0) {
        exif.assign(data, data + size);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

} // namespace

TPngDecoder::TPngDecoder(const std::string& FileName) : fileName_(FileName) {
    TStdioFile file(FileName);
    TPngImage read;
    read.Begin(file.Stream);
    width_ = read.Image.width;
    height_ = read.Image.height;
    alpha_ = (read.Image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    // A second pass over the first chunks; a damaged one costs the profile
    // and the orientation, not the picture.
    std::rewind(file.Stream);
    std::vector<std::uint8_t> exif;
    if (ReadPngChunks(file.Stream, profile_, exif)) {
        orientation_ = ExifOrientationOfTiff(exif);
    } else {
        profile_.clear();
    }
}

TBitmap24 TPngDecoder::ReadAll() {
    TStdioFile file(fileName_);
    TPngImage read;
    read.Begin(file.Stream);
    read.Image.format = PNG_FORMAT_RGB;
    TBitmap24 bitmap(read.Image.width, read.Image.height);
    // Transparent parts are laid over white, like a picture on paper.
    const png_color white{255, 255, 255};
    if (png_image_finish_read(&read.Image, &white, bitmap.Row(0),
                              static_cast<png_int_32>(bitmap.RowBytes()), nullptr) == 0) {
        read.Fail();
    }
    return bitmap;
}

TBitmap24 TPngDecoder::ReadWithAlpha(std::vector<std::uint8_t>& Alpha) {
    TStdioFile file(fileName_);
    TPngImage read;
    read.Begin(file.Stream);
    read.Image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> rgba(std::size_t{read.Image.width} * read.Image.height * 4);
    if (png_image_finish_read(&read.Image, nullptr, rgba.data(), 0, nullptr) == 0) {
        read.Fail();
    }
    TBitmap24 bitmap(read.Image.width, read.Image.height);
    SplitRgba(rgba.data(), bitmap, Alpha);
    return bitmap;
}

std::optional<TPngImageData> ReadPngImageData(const std::string& FileName) {
    const std::vector<std::uint8_t> bytes = ReadWholeFile(FileName);
    const auto bigEndian = [&bytes](std::size_t at) {
        return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
               std::uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
    };
    TPngImageData data;
    bool header = false;
    bool indexed = false;
    for (std::size_t at = 8; at + 12 <= bytes.size();) {
        const std::uint32_t length = bigEndian(at);
        if (length > bytes.size() - at - 12) {
            return std::nullopt;
        }
        const std::string type(reinterpret_cast<const char*>(&bytes[at + 4]), 4);
        const std::uint8_t* body = &bytes[at + 8];
        if (crc32(crc32(0, &bytes[at + 4], 4), body, length) != bigEndian(at + 8 + length)) {
            return std::nullopt;
        }
        if (type == "IHDR" && length == 13) {
            // Grey (0) or indices (3) of 1 to 8 bits, RGB (2) of 8;
            // deflate, adaptive filters, not interlaced.
            const int bits = body[8];
            const int kind = body[9];
            const bool fewBits = bits == 1 || bits == 2 || bits == 4 || bits == 8;
            if (!((kind == 2 && bits == 8) || ((kind == 0 || kind == 3) && fewBits)) ||
                body[10] != 0 || body[11] != 0 || body[12] != 0) {
                return std::nullopt;
            }
            data.Width = bigEndian(at + 8);
            data.Height = bigEndian(at + 12);
            data.Colours = kind == 2 ? 3 : 1;
            data.Bits = bits;
            header = true;
            indexed = kind == 3;
        } else if (type == "tRNS" || !header) {
            return std::nullopt;
        } else if (type == "PLTE" && indexed) {
            data.Palette.assign(body, body + length);
        } else if (type == "IDAT") {
            // A palette a reader can index: 1 to 2^bits colours.
            if (indexed && (data.Palette.empty() || data.Palette.size() % 3 != 0 ||
                            data.Palette.size() > (std::size_t{3} << data.Bits))) {
                return std::nullopt;
            }
            data.Deflated.insert(data.Deflated.end(), body, body + length);
        } else if (type == "IEND") {
            return data.Deflated.empty() ? std::nullopt : std::optional(std::move(data));
        }
        at += std::size_t{length} + 12;
    }
    return std::nullopt;
}

} // namespace vorpane
