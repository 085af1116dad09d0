// Writes an ordered list of JPEG files as one PDF 1.2 document, one page per
// file, each page as large as its image (one unit per pixel) unless the
// caller places the pages otherwise. The JPEG bytes are embedded unchanged
// under DCTDecode; nothing is decoded here, only the frame header is read
// (JpegFrameScan).
// The layout is fixed to the byte: the same inputs always give the same
// file.
#pragma once

#include "Progress.h"
#include "io/OutputStream.h"
#include "jpeg/JpegFrameScan.h"
#include "pdf/DocumentInfo.h"
#include "pdf/PagePlacement.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorpane {

// Size of a regular file in bytes, 0 when it can't be opened. Never throws.
std::int64_t FileSizeOf(const std::string& FileName);

// Sum of FileSizeOf over Names, draining the message queue after each name.
std::int64_t TotalFileSize(const std::vector<std::string>& Names);

void WriteStr(TOutputStream& Stream, std::string_view Text);

// One page's content stream: draws /Im0 where Page's matrix puts it.
void WriteContentsObject(TOutputStream& Stream, std::int64_t ObjectNumber,
                         const TPagePlacement& Page);

// A number as the document writes it: whole numbers as integers, others as
// plain decimals of at most four places, trailing zeros dropped; never in
// exponent form.
std::string PdfNumber(double Value);

// The cross-reference section of objects 1..Count, their offsets taken from
// Offsets[0..Count-1].
void WriteXRef(TOutputStream& Stream, std::span<const std::int64_t> Offsets, std::int64_t Count);

enum class TWriteResult { wrWritten, wrStopped };

// An ICC profile the document carries, for pictures of Components
// components (1, 3 or 4).
struct TColourProfile {
    std::vector<std::uint8_t> Bytes;
    int Components = 3;
};

// What a document carries beyond its pages, each only when asked for. Its
// objects come after those of the pages, numbered on from 3N + 3: first the
// profiles, each an /ICCBased stream, then the /Info dictionary. A default
// TPdfExtras adds nothing.
struct TPdfExtras {
    std::vector<TColourProfile> Profiles;
    // One entry per page, or none: the index of the page's profile in
    // Profiles, which its image's /ColorSpace names ([/ICCBased K 0 R]);
    // -1 for none.
    std::vector<std::int32_t> PageProfiles;
    TDocumentInfo Info;
};

using TStopTest = std::function<bool()>;

// What WritePdfDocument writes and how, by name. Names and Infos run in
// parallel, one entry per page; Placements and Extras.PageProfiles have one
// entry per page as well, or none.
struct TPdfDocumentParams {
    // The JPEG files, in page order, and their frame headers.
    std::vector<std::string> Names;
    std::vector<TJpegInfo> Infos;
    // After each image Progress gets (name, Total, bytes embedded so far).
    std::int64_t Total = 0;
    TProgressProc Progress;
    // Each image file is deleted once its bytes are in the document (or
    // its copy failed): for files that are the run's own.
    bool DeleteAfterUse = false;
    // Asked before every Kids entry and every object of the page loops.
    TStopTest StopRequested;
    // Each page's box and its picture's matrix; empty: every page is
    // FixedPlacement's.
    std::vector<TPagePlacement> Placements;
    // The colour profiles and the document's properties.
    TPdfExtras Extras;
    // One entry per page, or none: a file of the page's alpha, 8 bits a
    // pixel of its image deflated, that becomes the image's /SMask; "" for
    // none. Its objects come last, and a document with one is PDF 1.4.
    std::vector<std::string> SoftMasks;
};

// Writes the whole document to Stream, which the caller created at position
// 0. When StopRequested answers true the writer returns wrStopped at once
// and leaves the partial document to the caller. Errors (an image that
// can't be opened, a short read, a failed write, a document too large for
// the cross-reference table) leave as exceptions, the partial document
// likewise left behind. A grey picture (IsGrey) is drawn as /DeviceGray; a
// file of deflated RGB samples (IsFlate) is embedded under FlateDecode. A
// document with a profile is PDF 1.3, the first version that has them. A
// CreationDate that is no date (PdfDate) raises std::invalid_argument before
// anything is written, as do entries that don't run in parallel.
TWriteResult WritePdfDocument(TOutputStream& Stream, const TPdfDocumentParams& Params);

// The document with its parts one by one, in the order the design gives
// them.
TWriteResult WritePdfDocument(TOutputStream& Stream, const std::vector<std::string>& Names,
                              const std::vector<TJpegInfo>& Infos, std::int64_t Total,
                              const TProgressProc& Progress, bool DeleteAfterUse,
                              const TStopTest& StopRequested,
                              const std::vector<TPagePlacement>& Placements = {},
                              const TPdfExtras& Extras = {});

// The largest offset a ten-digit cross-reference entry can hold.
inline constexpr std::int64_t kMaxPdfOffset = 9'999'999'999;

} // namespace vorpane
