#include "picture/WebpDecoder.h"

#include "Errors.h"

#include <memory>
#include <webp/decode.h>
#include <webp/demux.h>

namespace vorpane {

namespace {

struct TDemuxRelease {
    void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};
using TDemux = std::unique_ptr<WebPDemuxer, TDemuxRelease>;

TDemux Demux(const std::vector<std::uint8_t>& bytes) {
    const WebPData data{bytes.data(), bytes.size()};
    return TDemux(WebPDemux(&data));
}

std::vector<std::uint8_t> Chunk(WebPDemuxer* demux, const char* fourcc) {
    WebPChunkIterator chunk;
    std::vector<std::uint8_t> bytes;
    if (WebPDemuxGetChunk(demux, fourcc, 1, &chunk) != 0) {
        bytes.assign(chunk.chunk.bytes, chunk.chunk.bytes + chunk.chunk.size);
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    return bytes;
}

} // namespace

TWebpDecoder::TWebpDecoder(const std::string& FileName) : bytes_(ReadWholeFile(FileName)) {
    const TDemux demux = Demux(bytes_);
    WebPIterator frame;
    if (!demux || WebPDemuxGetFrame(demux.get(), 1, &frame) == 0) {
        throw EPictureError("Not a readable WebP file");
    }
    frameOffset_ = static_cast<std::size_t>(frame.fragment.bytes - bytes_.data());
    frameSize_ = frame.fragment.size;
    const int width = frame.width;
    const int height = frame.height;
    alpha_ = frame.has_alpha != 0;
    WebPDemuxReleaseIterator(&frame);
    CheckDecodedSize(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height));
    width_ = static_cast<std::uint32_t>(width);
    height_ = static_cast<std::uint32_t>(height);
    const std::uint32_t flags = WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS);
    if ((flags & ICCP_FLAG) != 0) {
        profile_ = Chunk(demux.get(), "ICCP");
    }
    if ((flags & EXIF_FLAG) != 0) {
        orientation_ = ExifOrientationOfTiff(Chunk(demux.get(), "EXIF"));
    }
}

std::vector<std::uint8_t> TWebpDecoder::DecodeRgba() {
    std::vector<std::uint8_t> rgba(std::size_t{width_} * height_ * 4);
    if (WebPDecodeRGBAInto(bytes_.data() + frameOffset_, frameSize_, rgba.data(), rgba.size(),
                           static_cast<int>(width_) * 4) == nullptr) {
        throw EPictureError("The WebP data is damaged or incomplete");
    }
    bytes_ = {};
    return rgba;
}

TBitmap24 TWebpDecoder::ReadAll() {
    const std::vector<std::uint8_t> rgba = DecodeRgba();
    TBitmap24 bitmap(width_, height_);
    RgbaOverWhite(rgba.data(), std::size_t{width_} * 4, false, bitmap);
    return bitmap;
}

TBitmap24 TWebpDecoder::ReadWithAlpha(std::vector<std::uint8_t>& Alpha) {
    const std::vector<std::uint8_t> rgba = DecodeRgba();
    TBitmap24 bitmap(width_, height_);
    SplitRgba(rgba.data(), bitmap, Alpha);
    return bitmap;
}

bool IsLosslessWebp(const std::string& FileName) {
    try {
        const std::vector<std::uint8_t> bytes = ReadWholeFile(FileName);
        const TDemux demux = Demux(bytes);
        WebPIterator frame;
        if (!demux || WebPDemuxGetFrame(demux.get(), 1, &frame) == 0) {
            return false;
        }
        WebPBitstreamFeatures features;
        const bool lossless = WebPGetFeatures(frame.fragment.bytes, frame.fragment.size,
                                              &features) == VP8_STATUS_OK &&
                              features.format == 2;
        WebPDemuxReleaseIterator(&frame);
        return lossless;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace vorpane
