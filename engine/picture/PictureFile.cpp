#include "picture/PictureFile.h"

#include "Errors.h"
#include "FileHandle.h"

#include <cerrno>
#include <cstdio>
#include <png.h>
#include <unistd.h>

namespace vorpane {

namespace {

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
    TPngRead() = default;
    TPngRead(const TPngRead&) = delete;
    TPngRead& operator=(const TPngRead&) = delete;
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
        const int err = errno;
        throw EFileError("Cannot open file " + SystemErrorText(fileName, err), err);
    }
    // The stream gets a descriptor of its own; ours closes with the handle.
    TPngRead read;
    const int fd = ::dup(file.Fd());
    if (fd < 0 || (read.Stream = ::fdopen(fd, "rb")) == nullptr) {
        const int err = errno;
        if (fd >= 0) {
            ::close(fd);
        }
        throw EFileError("Cannot open file " + SystemErrorText(fileName, err), err);
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

} // namespace

TPictureFile::TPictureFile(const std::string& FileName) {
    const std::string extension = ExtensionOf(FileName);
    const std::string kind = LowerAscii(extension);
    if (kind == "jpg" || kind == "jpeg") {
        jpeg_ = std::make_unique<TJpegDecoder>(FileName);
    } else if (kind == "png") {
        picture_ = LoadPng(FileName);
    } else if (kind == "bmp" || kind == "ico" || kind == "wmf" || kind == "emf") {
        throw EPictureError("Unsupported picture format (." + extension + ")");
    } else {
        throw EPictureError("Unknown picture file extension (." + extension + ")");
    }
}

void TPictureFile::TestHeader(const std::string& FileName) {
    if (LowerAscii(ExtensionOf(FileName)) != "png") {
        TPictureFile{FileName};
        return;
    }
    if (!TFileHandle::OpenForReading(FileName).Valid()) {
        const int err = errno;
        throw EFileError("Cannot open file " + SystemErrorText(FileName, err), err);
    }
}

std::uint32_t TPictureFile::Width() const {
    return jpeg_ ? jpeg_->Width() : picture_.Width();
}

std::uint32_t TPictureFile::Height() const {
    return jpeg_ ? jpeg_->Height() : picture_.Height();
}

void TPictureFile::SetStopTest(std::function<bool()> StopRequested) {
    if (jpeg_) {
        jpeg_->SetStopTest(std::move(StopRequested));
    }
}

int TPictureFile::Orientation() const {
    return jpeg_ ? jpeg_->Orientation() : 1;
}

std::string TPictureFile::Incomplete() const {
    return jpeg_ ? jpeg_->Incomplete() : std::string();
}

std::vector<std::uint8_t> TPictureFile::IccProfile() const {
    return jpeg_ ? jpeg_->IccProfile() : std::vector<std::uint8_t>();
}

TBitmap24 TPictureFile::ReadAll() {
    return jpeg_ ? jpeg_->Decode() : std::move(picture_);
}

void TPictureFile::ReadRows(const TRowsProc& Take) {
    if (jpeg_) {
        jpeg_->DecodeRows(Take);
        return;
    }
    ReadBands<kBandRows>(picture_, Take);
}

} // namespace vorpane
