#include "picture/HeifDecoder.h"

#include "Errors.h"
#include "FileHandle.h"

#include <cerrno>
#include <libheif/heif.h>
#include <memory>
#include <unistd.h>

namespace vorpane {

namespace {

// The message names the file already where it is shown; libheif's own
// may end in a line break.
void Check(const heif_error& error) {
    if (error.code != heif_error_Ok) {
        std::string message = error.message;
        message.erase(message.find_last_not_of(" \n") + 1);
        throw EPictureError("HEIF error: " + message);
    }
}

struct TImageRelease {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
struct TOptionsRelease {
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};

// The Exif data of the image's first Exif block, from its TIFF header on
// (libheif hands over the block with the header's offset before it).
std::vector<std::uint8_t> ExifOf(const heif_image_handle* handle) {
    heif_item_id id = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &id, 1) != 1) {
        return {};
    }
    std::vector<std::uint8_t> block(heif_image_handle_get_metadata_size(handle, id));
    if (block.size() < 4 ||
        heif_image_handle_get_metadata(handle, id, block.data()).code != heif_error_Ok) {
        return {};
    }
    const std::uint32_t offset = std::uint32_t{block[0]} << 24 | std::uint32_t{block[1]} << 16 |
                                 std::uint32_t{block[2]} << 8 | block[3];
    if (offset > block.size() - 4) {
        return {};
    }
    return std::vector<std::uint8_t>(block.begin() + 4 + offset, block.end());
}

// Reads a box header at offset of file: its size (header included) and
// type; false at the end or on a damaged header.
bool BoxAt(const TFileHandle& file, std::uint64_t offset, std::uint64_t end, std::uint64_t& size,
           std::string& type, std::uint32_t& header) {
    std::uint8_t bytes[16];
    if (offset + 8 > end || ::pread(file.Fd(), bytes, 16, static_cast<off_t>(offset)) < 8) {
        return false;
    }
    size = std::uint64_t{bytes[0]} << 24 | std::uint64_t{bytes[1]} << 16 |
           std::uint64_t{bytes[2]} << 8 | bytes[3];
    type.assign(reinterpret_cast<const char*>(bytes + 4), 4);
    header = 8;
    if (size == 1) {
        size = 0;
        for (int i = 8; i < 16; ++i) {
            size = size << 8 | bytes[i];
        }
        header = 16;
    } else if (size == 0) {
        size = end - offset;
    }
    return size >= header && size <= end - offset;
}

} // namespace

bool HeifHasOwnTransform(const std::string& FileName) {
    const TFileHandle file = TFileHandle::OpenForReading(FileName);
    const std::int64_t length = file.Valid() ? file.Size() : -1;
    if (length <= 0) {
        return false;
    }
    // meta (a full box: four bytes of version and flags) > iprp > ipco >
    // the properties.
    const char* const path[] = {"meta", "iprp", "ipco"};
    std::uint64_t begin = 0;
    std::uint64_t end = static_cast<std::uint64_t>(length);
    for (const char* wanted : path) {
        std::uint64_t offset = begin;
        std::uint64_t size = 0;
        std::uint32_t header = 0;
        std::string type;
        bool found = false;
        while (!found && BoxAt(file, offset, end, size, type, header)) {
            found = type == wanted;
            offset += found ? 0 : size;
        }
        if (!found) {
            return false;
        }
        begin = offset + header + (type == "meta" ? 4 : 0);
        end = offset + size;
    }
    std::uint64_t size = 0;
    std::uint32_t header = 0;
    std::string type;
    for (std::uint64_t offset = begin; BoxAt(file, offset, end, size, type, header);
         offset += size) {
        if (type == "irot" || type == "imir") {
            return true;
        }
    }
    return false;
}

THeifDecoder::THeifDecoder(const std::string& FileName) {
    // libheif's own message for a missing file says nothing of why.
    if (!TFileHandle::OpenForReading(FileName).Valid()) {
        const int err = errno;
        throw EFileError("Cannot open file " + SystemErrorText(FileName, err), err);
    }
    context_ = heif_context_alloc();
    if (context_ == nullptr) {
        throw ENoMemoryError("No memory for the HEIF reader");
    }
    try {
        Check(heif_context_read_from_file(context_, FileName.c_str(), nullptr));
        Check(heif_context_get_primary_image_handle(context_, &handle_));
        // The size as shown, after the image's rotation; checked before
        // anything of the picture is decoded.
        const int width = heif_image_handle_get_width(handle_);
        const int height = heif_image_handle_get_height(handle_);
        CheckDecodedSize(static_cast<std::uint64_t>(std::max(width, 0)),
                         static_cast<std::uint64_t>(std::max(height, 0)));
        width_ = static_cast<std::uint32_t>(width);
        height_ = static_cast<std::uint32_t>(height);
        // A profile libheif can't hand over costs the profile only.
        if (const std::size_t size = heif_image_handle_get_raw_color_profile_size(handle_);
            size > 0) {
            profile_.resize(size);
            if (heif_image_handle_get_raw_color_profile(handle_, profile_.data()).code !=
                heif_error_Ok) {
                profile_.clear();
            }
        }
        if (!HeifHasOwnTransform(FileName)) {
            orientation_ = ExifOrientationOfTiff(ExifOf(handle_));
        }
    } catch (...) {
        if (handle_ != nullptr) {
            heif_image_handle_release(handle_);
        }
        heif_context_free(context_);
        throw;
    }
}

THeifDecoder::~THeifDecoder() {
    if (handle_ != nullptr) {
        heif_image_handle_release(handle_);
    }
    heif_context_free(context_);
}

TBitmap24 THeifDecoder::ReadAll() {
    const bool alpha = heif_image_handle_has_alpha_channel(handle_) != 0;
    const std::unique_ptr<heif_decoding_options, TOptionsRelease> options(
        heif_decoding_options_alloc());
    // A picture of more than 8 bits a sample comes as 8 for our bitmap.
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    Check(heif_decode_image(handle_, &decoded, heif_colorspace_RGB,
                            alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                            options.get()));
    const std::unique_ptr<heif_image, TImageRelease> image(decoded);
    int stride = 0;
    const std::uint8_t* pixels =
        heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    // The decoded size is the header's, unless the file lies.
    if (pixels == nullptr ||
        heif_image_get_width(image.get(), heif_channel_interleaved) != int(width_) ||
        heif_image_get_height(image.get(), heif_channel_interleaved) != int(height_)) {
        throw EPictureError("The HEIF image is not as large as its header says");
    }
    TBitmap24 bitmap(width_, height_);
    if (alpha) {
        RgbaOverWhite(pixels, static_cast<std::size_t>(stride),
                      heif_image_handle_is_premultiplied_alpha(handle_) != 0, bitmap);
    } else {
        for (std::uint32_t y = 0; y < height_; ++y) {
            std::copy_n(pixels + std::size_t{y} * static_cast<std::size_t>(stride),
                        bitmap.RowBytes(), bitmap.Row(y));
        }
    }
    return bitmap;
}

} // namespace vorpane
