// Everything a conversion run is told besides its files and its output: the
// size mode and what "Same size" makes of each picture, what becomes of a
// file that gives no page, how many images are prepared at once, and how
// the pages are laid out. A default TRunOptions is "Original size" in the
// fixed layout.
#pragma once

#include "Progress.h"
#include "pdf/DocumentInfo.h"
#include "pdf/PageLayout.h"
#include "rundata/PagePolicy.h"

#include <cstdint>

namespace vorpane {

struct TRunOptions {
    // "Same size": every image is prepared (decoded, scaled to Width x
    // Height, encoded again at Quality); else the files are embedded byte
    // for byte and the four fields after this one have no effect.
    bool SameSize = false;
    std::uint8_t Quality = 100;
    std::uint16_t Width = 0; // 0 with a Height: follows the aspect ratio
    std::uint16_t Height = 0;
    // Width x Height is a box: each picture keeps its proportions and is
    // scaled to the largest size inside it, never enlarged (FitInside).
    bool Fit = false;
    bool UseTriangle = false; // the triangle filter instead of Lanczos3
    // "Same size": the document may be at most this many bytes; 0: no
    // limit. The run takes the highest quality up to Quality at which the
    // whole document fits, each picture decoded and scaled only once.
    std::int64_t MaxSize = 0;
    TPagePolicy Policy = TPagePolicy::ppLeaveOut;
    unsigned Jobs = 0; // images prepared at once; 0: one per online processor
    // Bytes the images prepared at once may take to decode, each known from
    // its header; 0: a quarter of the physical memory. One image larger than
    // that is prepared alone. The document is the same for any budget.
    std::uint64_t Memory = 0;
    TPageLayout Layout;
    // Each picture's embedded ICC colour profile goes into the document
    // with it, so a colour-managed reader shows the photograph's colours;
    // "Same size" keeps an RGB picture's profile in the prepared JPEG.
    bool ColourProfiles = false;
    // "Original size": a one-component (grey) JPEG is embedded as it is,
    // as /DeviceGray, rather than refused.
    bool Grey = false;
    // The document's properties; none by default, so that the same files
    // always give the same document.
    TDocumentInfo DocumentInfo;
    // An existing output that is not a PDF document is refused rather than
    // replaced: on a command line a forgotten output name turns the first
    // photograph into one (-o *.jpg). The window's save dialog asks first.
    bool ReplaceOnlyPdf = false;
    // Told each phase of the run as it begins, when given.
    TPhaseProc Phase;
};

// The options as the window's design hands them over one by one: the size
// mode and what "Same size" makes of each picture, everything else at its
// default.
inline TRunOptions SizeOptions(bool SameSize, std::uint8_t Quality, std::uint16_t Width,
                               std::uint16_t Height, bool UseTriangle) {
    TRunOptions options;
    options.SameSize = SameSize;
    options.Quality = Quality;
    options.Width = Width;
    options.Height = Height;
    options.UseTriangle = UseTriangle;
    return options;
}

} // namespace vorpane
