// Image preparation for the "Same size" mode: every listed picture is
// decoded, scaled to the requested page size with the resampler
// (resample/Resampler.h, whose operations belong to this unit too) and
// encoded again as a baseline JPEG into a numbered file in the run's own
// temporary folder (TRunFolder).
//
// PrepareImage works on the caller's thread (with a spare thread when
// asked) and drains the message queue (DrainMessageQueue) between its steps
// so a window stays usable. A batch prepares several files at once on
// worker threads, but reports and drains only on the caller's thread.
#pragma once

#include "Progress.h"
#include "bitmap/Bitmap24.h"
#include "io/RunFolder.h"
#include "resample/Resampler.h"
#include "rundata/RunOptions.h"
#include "rundata/RunReport.h"

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vorpane {

// Cleared by PrepareImages when a batch starts, set by the Stop command;
// the batch reads it before each file it starts and each it reports.
// Atomic: the batch's workers read it, and a Stop may come from another
// thread than the one preparing.
extern std::atomic<bool> StopPreparing;

// Prepares every existing file of SourceFiles (PrepareImage) into
// Folder.FileFor(position), position counted from 0 in SourceFiles, and
// appends the name of each file written to PreparedFiles. Progress gets
// (source path, N - 1, position + 1) once per existing source file. A path
// under which no file exists (or a folder), or whose page would have no
// pixels, gives no page: with ppLeaveOut it is skipped (without a report when
// there is no file), with ppEveryPage it ends the batch with an error. With
// ppSkipBad every file that can't be prepared for a fault of its own is
// skipped and reported in Skipped: one that can't be opened as "missing or
// not a readable file", as CheckJpegFile says it, the others with the
// error's message; a fault of the machine (IsMachineFault) leaves as an
// error with every policy. With ppLeaveOut a computed side beyond 65535 is
// cut to 16 bits and the file named in Squashed; with the others such a
// page is refused. A picture whose data libjpeg found incomplete or
// damaged is prepared as far as it goes and named in Incomplete. Gives
// false only for an empty SourceFiles (after the "No Files." guard message);
// errors of loading, decoding, encoding and writing end the batch and leave
// as exceptions, the first failing file's in list order. Report, when given,
// collects each source that gave no page and why (Skipped) and, when an
// error leaves, the source it came from (FailedFile).
//
// Up to Jobs files (0: one per online processor) are prepared at once on
// worker threads (TOrderedBatch), each within the decoder's memory budget,
// in about list order: of the next few, the largest file first. With no
// more files than half the jobs, each gets a spare thread (PrepareImage). The
// files and the order of everything else are the same for any Jobs: the
// calling thread appends, reports and drains the message queue in list
// order, draining also while it waits. After StopPreparing is set no file
// is started; the batch ends after the file being reported, and files the
// workers had started beyond it are finished and deleted. An error is the
// first failing file's in list order; it leaves once every worker has
// stopped, and deletes what they made after that file. The file the
// calling thread waits for is always started before any other, so the
// file at a stop is the one finished. Quality, Width, Height, Fit,
// UseTriangle, Layout.AutoOrient, ColourProfiles (KeepProfile) and MaxSize
// (KeepPixels: each file is then "<position>.pixels") are PrepareImage's,
// Policy and Jobs as above; the other fields of Options are not read here.
bool PrepareImages(const std::vector<std::string>& SourceFiles, const TRunFolder& Folder,
                   std::vector<std::string>& PreparedFiles, const TProgressProc& Progress,
                   const TRunOptions& Options, TRunReport* Report = nullptr);

// The batch with its settings one by one, in the order the window's design
// gives them, with ppLeaveOut and one job per online processor.
bool PrepareImages(const std::vector<std::string>& SourceFiles, const TRunFolder& Folder,
                   std::vector<std::string>& PreparedFiles, const TProgressProc& Progress,
                   std::uint8_t Quality, std::uint16_t Width, std::uint16_t Height,
                   bool UseTriangle);

// What PrepareImage is told and finds besides its answer.
struct TPrepareNotes {
    // In: a side computed to keep the aspect ratio that passes 65535 is cut
    // to its low 16 bits, as the window's design has it (the page is then
    // squashed, and Squashed says so); false: such a page is refused.
    bool CutComputedSide = true;
    // Out: why no file was written, and its kind.
    std::string NoPage;
    TReasonKind NoPageKind = TReasonKind::rkNone;
    // Out: the page's size as computed and as cut, when it was cut.
    std::string Squashed;
    // Out: what is wrong with the picture's data when libjpeg warned of it
    // (TJpegDecoder::Incomplete); the page holds what there was.
    std::string Incomplete;
};

// How PrepareImage makes its file, by name.
struct TPrepareParams {
    // The JPEG quality of the file written, 1 to 100.
    std::uint8_t Quality = 100;
    // The page's size; one of them 0: the other follows the picture's
    // aspect ratio; both given: the picture is stretched to exactly that
    // size; both 0: the picture is encoded again at its own size.
    std::uint16_t Width = 0;
    std::uint16_t Height = 0;
    // The triangle filter instead of Lanczos3.
    bool UseTriangle = false;
    // A second thread scales while this one decodes.
    bool SpareThread = false;
    // A picture whose EXIF orientation is not 1 is decoded whole and turned
    // upright first (TUprightPicture), and the sizes are the upright
    // picture's; the file written carries no orientation.
    bool AutoOrient = false;
    // The file written carries the picture's ICC profile when it is an RGB
    // one (ProfileFits).
    bool KeepProfile = false;
    // Width x Height is a box the picture is scaled to fit inside, keeping
    // its proportions (FitInside), rather than the page's size.
    bool Fit = false;
    // The picture's pixels go to TempName as they are (SaveKeptPixels), to
    // be encoded once its quality is chosen, rather than as a JPEG.
    bool KeepPixels = false;
};

// Loads FileName (as LoadPicture), scales it to Params' size and writes it
// to TempName (SaveAsJpeg). The pixels are ResampleBitmap's, but a JPEG is
// scaled (or encoded again) band by band as it decodes, never held at full
// size. True when the file was written; false, and
// no file written, when the page would have no pixels or a side (of the
// page or of the picture) is beyond what the resampler scales (kMaxSide);
// Notes, when given, then says which. A page of a size the resampler
// takes that still can't be made (no memory for it) raises ENoMemoryError.
// The source is opened once: its orientation comes from the decoder. A
// decode still going on half a second after StopPreparing was set is
// abandoned with EStoppedError.
bool PrepareImage(const std::string& FileName, const std::string& TempName,
                  const TPrepareParams& Params, TPrepareNotes* Notes = nullptr);

// The same with its settings one by one, in the order the design gives them.
bool PrepareImage(const std::string& FileName, const std::string& TempName, std::uint8_t Quality,
                  std::uint16_t Width, std::uint16_t Height, bool UseTriangle,
                  TPrepareNotes* Notes = nullptr, bool SpareThread = false, bool AutoOrient = false,
                  bool KeepProfile = false);

// The side that keeps the source's aspect ratio: round(SourceHeight * Width
// / SourceWidth) and round(SourceWidth * Height / SourceHeight), exact, a
// tie going to the even integer (4 x 3 at width 6 gives height 4, at width 10
// height 8). 0 when the source side divided by is 0.
std::uint32_t HeightForWidth(std::uint16_t SourceHeight, std::uint16_t SourceWidth,
                             std::uint16_t Width);
std::uint32_t WidthForHeight(std::uint16_t SourceHeight, std::uint16_t SourceWidth,
                             std::uint16_t Height);

// The largest size inside BoxWidth x BoxHeight with the proportions of
// SourceWidth x SourceHeight, the free side rounded as HeightForWidth and
// WidthForHeight round it (at least 1); the source's own size when it fits
// already, as a picture is never enlarged. A box side of 0 sets no bound.
struct TPixelSize {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    bool operator==(const TPixelSize&) const = default;
};
TPixelSize FitInside(std::uint16_t SourceWidth, std::uint16_t SourceHeight, std::uint16_t BoxWidth,
                     std::uint16_t BoxHeight);

// Encodes Bitmap as one colour, sequential, baseline JPEG with libjpeg's
// default compression settings at Quality (held to 1 ... 100) and writes it
// to FileName, replacing its contents; a symlink at FileName is refused.
// False when the bitmap has no pixels; errors raise EJpegError or
// EFileError, and a partly written regular file is removed. An IccProfile
// given goes into the file's APP2 segments.
bool SaveAsJpeg(const TBitmap24& Bitmap, const std::string& FileName, std::uint8_t Quality,
                std::span<const std::uint8_t> IccProfile = {});

// Decodes a picture by its file name's extension, letters in any case: "jpg"
// and "jpeg" through TJpegDecoder at full size, "png" with its transparent
// parts laid over white. "bmp", "ico", "wmf" and "emf" are refused with
// EPictureError "Unsupported picture format (.%s)", any other extension with
// "Unknown picture file extension (.%s)".
TBitmap24 LoadPicture(const std::string& FileName);

} // namespace vorpane
