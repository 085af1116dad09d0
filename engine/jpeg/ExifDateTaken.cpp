#include "jpeg/ExifDateTaken.h"

#include "jpeg/JpegFrameScan.h"

#include <libexif/exif-data.h>

#include <cctype>
#include <ctime>
#include <memory>
#include <string_view>

namespace vorpane {

namespace {

struct TExifDataRelease {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

// An ASCII entry's text without its closing NULs and spaces; empty when
// the entry is missing or of another format.
std::string AsciiEntry(ExifData* data, ExifIfd ifd, ExifTag tag) {
    const ExifEntry* entry = exif_content_get_entry(data->ifd[ifd], tag);
    if (entry == nullptr || entry->format != EXIF_FORMAT_ASCII || entry->data == nullptr) {
        return {};
    }
    std::string text(reinterpret_cast<const char*>(entry->data), entry->size);
    text = text.substr(0, text.find('\0'));
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

// The digits at text[at, at + count) as a number; -1 when any is no digit.
int Digits(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) {
        return -1;
    }
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (std::isdigit(static_cast<unsigned char>(text[i])) == 0) {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

} // namespace

std::optional<TTakenTime> ExifDateTakenOf(const std::vector<std::uint8_t>& Contents) {
    if (Contents.empty() || Contents.size() > 0xFFFF) {
        return std::nullopt;
    }
    const std::unique_ptr<ExifData, TExifDataRelease> data(exif_data_new());
    if (!data) {
        return std::nullopt;
    }
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data.get(), Contents.data(), static_cast<unsigned int>(Contents.size()));
    // "YYYY:MM:DD HH:MM:SS"
    const std::string date = AsciiEntry(data.get(), EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL);
    std::tm parts{};
    parts.tm_year = Digits(date, 0, 4) - 1900;
    parts.tm_mon = Digits(date, 5, 2) - 1;
    parts.tm_mday = Digits(date, 8, 2);
    parts.tm_hour = Digits(date, 11, 2);
    parts.tm_min = Digits(date, 14, 2);
    parts.tm_sec = Digits(date, 17, 2);
    if (date.size() < 19 || parts.tm_year < 0 || parts.tm_mon < 0 || parts.tm_mon > 11 ||
        parts.tm_mday < 1 || parts.tm_mday > 31 || parts.tm_hour < 0 || parts.tm_hour > 23 ||
        parts.tm_min < 0 || parts.tm_min > 59 || parts.tm_sec < 0 || parts.tm_sec > 60) {
        return std::nullopt;
    }
    TTakenTime taken;
    // OffsetTimeOriginal: "+HH:MM" or "-HH:MM" east of UTC.
    const std::string offset = AsciiEntry(data.get(), EXIF_IFD_EXIF, EXIF_TAG_OFFSET_TIME_ORIGINAL);
    const int offsetHours = Digits(offset, 1, 2);
    const int offsetMinutes = Digits(offset, 4, 2);
    if (offset.size() == 6 && (offset[0] == '+' || offset[0] == '-') && offsetHours >= 0 &&
        offsetMinutes >= 0) {
        const int sign = offset[0] == '-' ? -1 : 1;
        taken.Seconds = static_cast<std::int64_t>(::timegm(&parts)) -
                        sign * (offsetHours * 3600 + offsetMinutes * 60);
    } else {
        parts.tm_isdst = -1;
        taken.Seconds = static_cast<std::int64_t>(std::mktime(&parts));
    }
    // SubSecTimeOriginal: the digits of a decimal fraction of a second.
    const std::string subSeconds =
        AsciiEntry(data.get(), EXIF_IFD_EXIF, EXIF_TAG_SUB_SEC_TIME_ORIGINAL);
    std::int32_t scale = 100'000'000;
    for (std::size_t i = 0; i < subSeconds.size() && i < 9; ++i) {
        if (std::isdigit(static_cast<unsigned char>(subSeconds[i])) == 0) {
            break;
        }
        taken.Nanoseconds += (subSeconds[i] - '0') * scale;
        scale /= 10;
    }
    return taken;
}

std::optional<TTakenTime> ReadDateTaken(const std::string& FileName) {
    return ExifDateTakenOf(ReadJpegExif(FileName));
}

} // namespace vorpane
