#include "jpeg/ExifOrientation.h"

#include "jpeg/JpegFrameScan.h"

#include <libexif/exif-data.h>

#include <memory>

namespace vorpane {

namespace {

struct TExifDataRelease {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

} // namespace

int ExifOrientationOf(const std::uint8_t* Contents, std::size_t Size) {
    // An APP1 segment holds at most 65533 bytes; anything longer is no
    // segment's.
    if (Contents == nullptr || Size > 0xFFFF) {
        return 1;
    }
    const std::unique_ptr<ExifData, TExifDataRelease> data(exif_data_new());
    if (!data) {
        return 1;
    }
    // Taken as it is: with EXIF_DATA_OPTION_FOLLOW_SPECIFICATION libexif
    // would add the entries it finds missing, a default orientation among
    // them.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data.get(), Contents, static_cast<unsigned int>(Size));
    const ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (entry == nullptr || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 ||
        entry->data == nullptr || entry->size < 2) {
        return 1;
    }
    const int orientation = exif_get_short(entry->data, exif_data_get_byte_order(data.get()));
    return orientation >= 1 && orientation <= 8 ? orientation : 1;
}

int ExifOrientationOf(const std::vector<std::uint8_t>& Contents) {
    return Contents.empty() ? 1 : ExifOrientationOf(Contents.data(), Contents.size());
}

int ReadExifOrientation(const std::string& FileName) {
    return ExifOrientationOf(ReadJpegExif(FileName));
}

} // namespace vorpane
