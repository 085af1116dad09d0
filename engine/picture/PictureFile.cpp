#include "picture/PictureFile.h"

#include "Errors.h"

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

} // namespace

TPictureFile::TPictureFile(const std::string& FileName) {
    const std::string extension = ExtensionOf(FileName);
    const std::string kind = LowerAscii(extension);
    if (kind == "jpg" || kind == "jpeg") {
        decoder_ = OpenPictureDecoder(FileName, TPictureKind::pkJpeg);
    } else if (kind == "png") {
        decoder_ = OpenPictureDecoder(FileName, TPictureKind::pkPng);
    } else if (kind == "webp") {
        decoder_ = OpenPictureDecoder(FileName, TPictureKind::pkWebp);
    } else if (kind == "heic" || kind == "heif" || kind == "avif") {
        decoder_ = OpenPictureDecoder(FileName, TPictureKind::pkHeif);
    } else if (kind == "bmp" || kind == "ico" || kind == "wmf" || kind == "emf") {
        throw EPictureError("Unsupported picture format (." + extension + ")");
    } else {
        throw EPictureError("Unknown picture file extension (." + extension + ")");
    }
}

void TPictureFile::TestHeader(const std::string& FileName) {
    TPictureFile{FileName};
}

std::uint32_t TPictureFile::Width() const {
    return decoder_->Width();
}

std::uint32_t TPictureFile::Height() const {
    return decoder_->Height();
}

void TPictureFile::SetStopTest(std::function<bool()> StopRequested) {
    decoder_->SetStopTest(std::move(StopRequested));
}

int TPictureFile::Orientation() const {
    return decoder_->Orientation();
}

std::string TPictureFile::Incomplete() const {
    return decoder_->Incomplete();
}

std::vector<std::uint8_t> TPictureFile::IccProfile() const {
    return decoder_->IccProfile();
}

TBitmap24 TPictureFile::ReadAll() {
    return decoder_->ReadAll();
}

bool TPictureFile::HasAlpha() const {
    return decoder_->HasAlpha();
}

TBitmap24 TPictureFile::ReadWithAlpha(std::vector<std::uint8_t>& Alpha) {
    return decoder_->ReadWithAlpha(Alpha);
}

void TPictureFile::ReadRows(const TRowsProc& Take) {
    decoder_->ReadRows(Take);
}

} // namespace vorpane
