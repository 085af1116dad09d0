#include "TestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include <fstream>
#include <iterator>
#include <jpeglib.h>
#include <libexif/exif-data.h>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <stdlib.h>
#include <sys/wait.h>
#include <zlib.h>

namespace vorpane::test {

void PrintTo(const TReport& report, std::ostream* out) {
    *out << "(" << report.text << ", " << report.total << ", " << report.done << ")";
}

TProgressProc RecordReports(std::vector<TReport>& Reports) {
    return [&Reports](const std::string& text, std::int64_t total, std::int64_t done) {
        Reports.push_back({text, total, done});
    };
}

TProgressProc RecordReports(std::vector<TReport>& Reports,
                            const std::function<void(const TReport&)>& OnReport) {
    return [&Reports, &OnReport](const std::string& text, std::int64_t total, std::int64_t done) {
        Reports.push_back({text, total, done});
        if (OnReport) {
            OnReport(Reports.back());
        }
    };
}

TTempDir::TTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vorpane-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
}

TTempDir::~TTempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string MakeFlatProgressiveJpeg(int width, int height, bool grey) {
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = grey ? 1 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * info.input_components, 128);
    JSAMPROW rows[1] = {row.data()};
    while (info.next_scanline < info.image_height) {
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

std::string WithScans(const std::string& jpeg, int scans) {
    // Segments up to each scan, and each scan's entropy-coded data up to
    // the next marker that is no stuffed byte and no restart marker.
    std::size_t pos = 2;
    std::size_t lastScan = std::string::npos;
    std::size_t lastEnd = 0;
    int found = 0;
    while (pos + 4 <= jpeg.size()) {
        const auto marker = static_cast<unsigned char>(jpeg[pos + 1]);
        if (marker == 0xD9) {
            break;
        }
        const std::size_t length = static_cast<unsigned char>(jpeg[pos + 2]) << 8 |
                                   static_cast<unsigned char>(jpeg[pos + 3]);
        std::size_t end = pos + 2 + length;
        if (marker == 0xDA) {
            while (end + 1 < jpeg.size()) {
                const auto next = static_cast<unsigned char>(jpeg[end + 1]);
                if (static_cast<unsigned char>(jpeg[end]) == 0xFF && next != 0 &&
                    (next < 0xD0 || next > 0xD7)) {
                    break;
                }
                ++end;
            }
            lastScan = pos;
            lastEnd = end;
            ++found;
        }
        pos = end;
    }
    if (lastScan == std::string::npos || found > scans) {
        throw std::runtime_error("WithScans: no scan to repeat");
    }
    const std::string scan = jpeg.substr(lastScan, lastEnd - lastScan);
    std::string bytes = jpeg.substr(0, lastEnd);
    for (int k = found; k < scans; ++k) {
        bytes += scan;
    }
    return bytes + jpeg.substr(lastEnd);
}

std::string MakePngHeader(std::uint32_t width, std::uint32_t height) {
    const auto bigEndian = [](std::uint32_t value) {
        return std::string{static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 8), static_cast<char>(value)};
    };
    const auto chunk = [&bigEndian](const std::string& type, const std::string& data) {
        const std::string body = type + data;
        const auto crc =
            ::crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
        return bigEndian(static_cast<std::uint32_t>(data.size())) + body +
               bigEndian(static_cast<std::uint32_t>(crc));
    };
    // 8-bit RGB, deflate, adaptive filtering, not interlaced.
    const std::string header =
        bigEndian(width) + bigEndian(height) + std::string("\x08\x02\0\0\0", 5);
    const std::string data("\x78\x9C\x63\x00\x00\x00\x01\x00\x01", 9);
    return "\x89PNG\r\n\x1A\n" + chunk("IHDR", header) + chunk("IDAT", data) + chunk("IEND", "");
}

std::string MakeJpegHeader(std::uint16_t sofMarker, int width, int height, int components,
                           std::size_t totalSize, const std::string& before, int precision) {
    std::string bytes = "\xFF\xD8";
    bytes += before;
    const int length = 8 + 3 * components;
    bytes += static_cast<char>(sofMarker >> 8);
    bytes += static_cast<char>(sofMarker & 0xFF);
    bytes += static_cast<char>(length >> 8);
    bytes += static_cast<char>(length & 0xFF);
    bytes += static_cast<char>(precision);
    bytes += static_cast<char>(height >> 8);
    bytes += static_cast<char>(height & 0xFF);
    bytes += static_cast<char>(width >> 8);
    bytes += static_cast<char>(width & 0xFF);
    bytes += static_cast<char>(components);
    for (int c = 0; c < components; ++c) {
        bytes += static_cast<char>(c + 1);
        bytes += '\x11';
        bytes += '\x00';
    }
    // The start of a scan: one component, the full spectrum.
    bytes += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10);
    if (bytes.size() + 2 < totalSize) {
        bytes.append(totalSize - bytes.size() - 2, '\x5A');
    }
    bytes += "\xFF\xD9";
    return bytes;
}

std::string WithIccProfile(const std::string& jpeg, const std::string& profile, int pieces,
                           bool reversed) {
    std::vector<std::string> segments;
    const std::size_t step =
        (profile.size() + static_cast<std::size_t>(pieces) - 1) / static_cast<std::size_t>(pieces);
    for (int k = 0; k < pieces; ++k) {
        const std::string piece = profile.substr(static_cast<std::size_t>(k) * step, step);
        const std::size_t length = 2 + 12 + 2 + piece.size();
        std::string segment = "\xFF\xE2";
        segment += static_cast<char>(length >> 8);
        segment += static_cast<char>(length & 0xFF);
        segment += std::string("ICC_PROFILE\0", 12);
        segment += static_cast<char>(k + 1);
        segment += static_cast<char>(pieces);
        segments.push_back(segment + piece);
    }
    if (reversed) {
        std::reverse(segments.begin(), segments.end());
    }
    std::string bytes = jpeg.substr(0, 2);
    for (const std::string& segment : segments) {
        bytes += segment;
    }
    return bytes + jpeg.substr(2);
}

std::string DataFile(const std::string& name) {
    return std::string(VORPANE_TEST_DATA) + "/" + name;
}

TPnmImage ParsePnm(const std::string& bytes) {
    std::istringstream in(bytes);
    std::string magic;
    int maxValue = 0;
    TPnmImage image;
    in >> magic >> image.Width >> image.Height >> maxValue;
    if ((magic != "P6" && magic != "P5") || maxValue != 255 || !in) {
        throw std::runtime_error("not an 8-bit binary PNM picture");
    }
    in.get(); // the single white-space byte before the samples
    image.Channels = magic == "P6" ? 3 : 1;
    const auto size = static_cast<std::size_t>(image.Width) * image.Height * image.Channels;
    image.Samples = bytes.substr(static_cast<std::size_t>(in.tellg()));
    if (image.Samples.size() != size) {
        throw std::runtime_error("PNM picture of the wrong length");
    }
    return image;
}

std::string CommandOutput(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), &::pclose);
    if (!pipe) {
        throw std::runtime_error("cannot run " + command);
    }
    std::string output;
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) {
        output.append(buffer, got);
    }
    const int status = ::pclose(pipe.release());
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error(command + " failed");
    }
    return output;
}

namespace {

// Every test process gets a TMPDIR of its own, removed when it ends: tests
// that ctest runs side by side never share a temporary file, nor the
// engine's private folder.
struct TProcessTmpDir {
    TTempDir Dir;
    TProcessTmpDir() { ::setenv("TMPDIR", Dir.Path().c_str(), 1); }
};

const TProcessTmpDir processTmpDir;

} // namespace

TScopedTmpDir::TScopedTmpDir(const std::string& folder) {
    const char* previous = std::getenv("TMPDIR");
    had_ = previous != nullptr;
    if (had_) {
        previous_ = previous;
    }
    ::setenv("TMPDIR", folder.c_str(), 1);
}

TScopedTmpDir::~TScopedTmpDir() {
    if (had_) {
        ::setenv("TMPDIR", previous_.c_str(), 1);
    } else {
        ::unsetenv("TMPDIR");
    }
}

// A JPEG with an Exif segment of the given DateTimeOriginal, and its
// OffsetTimeOriginal and SubSecTimeOriginal when not empty.
std::string WithDateTaken(const std::string& jpeg, const std::string& date,
                          const std::string& offset, const std::string& subSeconds) {
    ExifData* data = exif_data_new();
    exif_data_set_byte_order(data, EXIF_BYTE_ORDER_MOTOROLA);
    const auto add = [data](ExifTag tag, const std::string& text) {
        if (text.empty()) {
            return;
        }
        ExifEntry* entry = exif_entry_new();
        entry->tag = tag;
        entry->format = EXIF_FORMAT_ASCII;
        entry->components = text.size() + 1;
        entry->size = static_cast<unsigned int>(text.size() + 1);
        entry->data = static_cast<unsigned char*>(std::calloc(1, text.size() + 1));
        std::memcpy(entry->data, text.data(), text.size());
        exif_content_add_entry(data->ifd[EXIF_IFD_EXIF], entry);
        exif_entry_unref(entry);
    };
    add(EXIF_TAG_DATE_TIME_ORIGINAL, date);
    add(EXIF_TAG_OFFSET_TIME_ORIGINAL, offset);
    add(EXIF_TAG_SUB_SEC_TIME_ORIGINAL, subSeconds);
    unsigned char* bytes = nullptr;
    unsigned int size = 0;
    exif_data_save_data(data, &bytes, &size);
    exif_data_unref(data);
    const std::string segment(reinterpret_cast<const char*>(bytes), size);
    std::free(bytes);
    const std::size_t length = segment.size() + 2;
    return jpeg.substr(0, 2) + "\xFF\xE1" + static_cast<char>(length >> 8) +
           static_cast<char>(length & 0xFF) + segment + jpeg.substr(2);
}

TTimeZone::TTimeZone(const char* Zone) {
    if (const char* previous = std::getenv("TZ")) {
        previous_ = previous;
    }
    ::setenv("TZ", Zone, 1);
    ::tzset();
}

TTimeZone::~TTimeZone() {
    if (previous_) {
        ::setenv("TZ", previous_->c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
}

} // namespace vorpane::test
