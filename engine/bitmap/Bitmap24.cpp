#include "bitmap/Bitmap24.h"

#include "Errors.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>

namespace vorpane {

TBitmap24::TBitmap24(const TBitmap24& other) {
    *this = other;
}

TBitmap24& TBitmap24::operator=(const TBitmap24& other) {
    if (this != &other) {
        SetSize(other.width_, other.height_);
        if (!Empty()) {
            std::memcpy(pixels_.get(), other.pixels_.get(), RowBytes() * height_);
        }
    }
    return *this;
}

void TBitmap24::CheckPictureSize(std::uint64_t Width, std::uint64_t Height) {
    // Both sides come from 16- or 32-bit header fields: the product fits.
    if (Width * Height > kMaxPicturePixels) {
        throw ETooLargeError("Picture too large (" + std::to_string(Width) + " x " +
                             std::to_string(Height) + " pixels; at most " +
                             std::to_string(kMaxPicturePixels) + " pixels)");
    }
}

void TBitmap24::SetSize(std::uint32_t Width, std::uint32_t Height) {
    std::size_t bytes = 0;
    if (__builtin_mul_overflow(static_cast<std::size_t>(Width), static_cast<std::size_t>(Height),
                               &bytes) ||
        __builtin_mul_overflow(bytes, std::size_t{3}, &bytes)) {
        throw ETooLargeError("Picture too large (" + std::to_string(Width) + " x " +
                             std::to_string(Height) + " pixels)");
    }
    TPixels pixels;
    if (bytes > 0) {
        pixels = Allocate(bytes);
        if (!pixels) {
            throw ENoMemoryError("Not enough memory for a picture of " + std::to_string(Width) +
                                 " x " + std::to_string(Height) + " pixels");
        }
    }
    pixels_ = std::move(pixels);
    width_ = Width;
    height_ = Height;
}

// A photograph's bitmap spans tens of megabytes, written once by the decoder.
// In ordinary 4 KiB pages that is thousands of page faults, which on a
// virtual machine cost as much as decoding the picture. Large bitmaps are
// therefore mapped on a 2 MiB boundary and offered for huge pages, which need
// one fault per 2 MiB; small ones come from calloc. Both come zeroed.
TBitmap24::TPixels TBitmap24::Allocate(std::size_t bytes) {
    constexpr std::size_t kHugePage = std::size_t{2} << 20;
    if (bytes < 2 * kHugePage) {
        return TPixels(static_cast<std::uint8_t*>(std::calloc(bytes, 1)), detail::TPixelRelease{});
    }
    if (bytes > SIZE_MAX - 2 * kHugePage) {
        return TPixels(nullptr, detail::TPixelRelease{});
    }
    const std::size_t mapped = (bytes + kHugePage - 1) & ~(kHugePage - 1);
    void* reserved = ::mmap(nullptr, mapped + kHugePage, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (reserved == MAP_FAILED) {
        return TPixels(nullptr, detail::TPixelRelease{});
    }
    // Keep the aligned part, give back what lies before and after it.
    const auto start = reinterpret_cast<std::uintptr_t>(reserved);
    const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    if (aligned > start) {
        ::munmap(reserved, aligned - start);
    }
    ::munmap(reinterpret_cast<void*>(aligned + mapped), start + kHugePage - aligned);
    auto* pixels = reinterpret_cast<std::uint8_t*>(aligned);
    // Only advice: where huge pages are off, small ones serve the same.
    ::madvise(pixels, mapped, MADV_HUGEPAGE);
    return TPixels(pixels, detail::TPixelRelease{mapped});
}

void detail::TPixelRelease::operator()(std::uint8_t* pixels) const {
    if (Mapped == 0) {
        std::free(pixels);
    } else {
        ::munmap(pixels, Mapped);
    }
}

bool TBitmap24::operator==(const TBitmap24& other) const {
    return width_ == other.width_ && height_ == other.height_ &&
           (Empty() || std::memcmp(pixels_.get(), other.pixels_.get(), RowBytes() * height_) == 0);
}

} // namespace vorpane
