#include "run/ConversionRun.h"

#include "Errors.h"
#include "FileHandle.h"
#include "MessageQueue.h"
#include "io/AtomicOutputFile.h"
#include "io/RunFolder.h"
#include "jpeg/ExifOrientation.h"
#include "pdf/PdfWriter.h"
#include "prepare/JpegUtils.h"
#include "prepare/KeptPixels.h"
#include "prepare/OtherPictures.h"
#include "run/ListTest.h"
#include "run/ProfileTable.h"
#include "run/QualitySearch.h"

#include <set>

#include <cerrno>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vorpane {

std::atomic<bool> StopConverting{false};

namespace {

// One run's state: the folder of prepared images, the embed list and the
// info table live only as long as the run.
class TConversion {
public:
    TConversion(const TProgressProc& progress, const TRunOptions& options, TRunReport* report)
        : progress_(progress), options_(options), report_(report), policy_(options.Policy),
          layout_(options.Layout) {}

    std::int32_t Run(const std::vector<std::string>& files, const std::string& outputFile);

private:
    void Report(const std::string& text, std::int64_t total, std::int64_t done) const {
        if (progress_) {
            progress_(text, total, done);
        }
    }
    void EnterPhase(TRunPhase phase) const {
        if (options_.Phase) {
            options_.Phase(phase);
        }
    }
    std::int32_t FinishRun(std::int32_t result) {
        ClearEmbedTables();
        EnterPhase(TRunPhase::rpFinished);
        Report("Finished!", 0, 0);
        return result;
    }
    std::int32_t AbortRun(std::int32_t result) {
        output_.reset(); // closes and removes the unfinished document
        return FinishRun(result);
    }
    bool TestEmbedList(bool sameSize, bool& stopped);
    std::int32_t ChooseQuality();
    std::optional<std::int64_t> DocumentSizeAt(const std::vector<std::string>& kept, int quality,
                                               std::vector<std::string>& encoded);
    void ClearEmbedTables();
    bool TestListed(std::vector<std::string>& listed);
    static int OpenError(const std::string& file);
    void RefuseOutputAmongInputs(const std::vector<std::string>& files,
                                 const std::string& outputFile) const;

    const TProgressProc& progress_;
    const TRunOptions& options_;
    TRunReport* report_;
    TPagePolicy policy_;
    const TPageLayout& layout_;
    // "Same size": the prepared images; "Original size": the pictures of
    // other kinds than JPEG, made JPEGs.
    std::optional<TRunFolder> folder_;
    // "Original size": the lossless pictures' deflated samples, by file.
    std::map<std::string, TFlatePicture> flate_;
    std::vector<std::string> softMasks_; // one per entry kept; "" for none
    std::vector<std::string> embed_;
    std::vector<TJpegInfo> infos_;
    std::vector<TPagePlacement> placements_;
    std::int64_t total_ = 0; // the sizes of the files to embed
    TProfileTable profiles_;
    TPdfExtras extras_;
    std::unique_ptr<TAtomicOutputFile> output_;
};

// Fills the info table and each page's placement. A prepared picture is
// upright already; a file embedded as it is keeps its orientation, which
// its page's matrix undoes. With ppSkipBad an entry that fails leaves the
// embed list; otherwise it fails the list.
bool TConversion::TestEmbedList(bool sameSize, bool& stopped) {
    std::vector<std::string> kept;
    for (const std::string& name : embed_) {
        if (StopConverting.load()) {
            stopped = true;
            return false;
        }
        TJpegInfo info;
        // The scan that tests the file also hands over its orientation and
        // its profile, and walks its data: what is embedded as it is must
        // be whole, or named.
        const bool orient = layout_.AutoOrient && !sameSize;
        TJpegExtras extras;
        extras.WantExif = orient;
        extras.WantIccProfile = options_.ColourProfiles;
        extras.WantData = !sameSize;
        TJpegCheck check = TJpegCheck::jcEmbeddable;
        std::string softMask;
        if (const auto made = flate_.find(name); made != flate_.end()) {
            softMask = made->second.SoftMask;
            // Made by this run, whole and upright: nothing to scan.
            info = made->second.Info;
            extras.IccProfile = std::move(made->second.IccProfile);
            extras.Data = TJpegData::jdWhole;
            extras.FileSize = FileSizeOf(name);
        } else {
            check = name.empty() ? TJpegCheck::jcCannotOpen : CheckJpegFile(name, info, &extras);
        }
        if (check == TJpegCheck::jcGrey && options_.Grey && !sameSize) {
            check = TJpegCheck::jcEmbeddable;
        }
        // A file of more scans than the decoder takes would keep a reader
        // drawing its page for minutes: it is refused as "Same size" refuses it.
        const bool tooManyScans = check == TJpegCheck::jcEmbeddable && !sameSize &&
                                  extras.Data == TJpegData::jdTooManyScans;
        if (check != TJpegCheck::jcEmbeddable || tooManyScans) {
            const TReasonKind kind = check == TJpegCheck::jcCannotOpen
                                         ? OpenFailureKind(OpenError(name))
                                     : tooManyScans ? TReasonKind::rkUndecodable
                                                    : TReasonKind::rkNotEmbeddable;
            const std::string reason =
                tooManyScans ? JpegDataText(extras.Data) : JpegCheckText(check);
            if (policy_ == TPagePolicy::ppSkipBad) {
                if (report_ != nullptr) {
                    report_->Skipped.push_back({name, reason, kind});
                }
                continue;
            }
            if (report_ != nullptr) {
                report_->FailedFile = name;
                report_->Reason = reason;
                report_->Kind = kind;
            }
            return false;
        }
        // A prepared file is always whole; a source cut short or damaged
        // keeps its page, as far as a reader makes it out, but is named.
        if (!sameSize && extras.Data != TJpegData::jdWhole && report_ != nullptr) {
            report_->Incomplete.push_back(
                {name, JpegDataText(extras.Data), TReasonKind::rkIncomplete});
        }
        const int orientation = orient ? ExifOrientationOf(extras.Exif) : 1;
        if (options_.ColourProfiles) {
            const int components = info.IsCMYK ? 4 : info.IsGrey ? 1 : 3;
            extras_.PageProfiles.push_back(profiles_.Add(std::move(extras.IccProfile), components));
        }
        // The files are measured as they are tested, so each is opened once
        // before its bytes are copied.
        total_ += extras.FileSize;
        kept.push_back(name);
        softMasks_.push_back(softMask);
        infos_.push_back(info);
        double reducedDpi = 0;
        placements_.push_back(
            PlacePage(layout_, info.Width, info.Height, orientation, &reducedDpi));
        if (reducedDpi > 0 && report_ != nullptr) {
            const TPagePlacement& page = placements_.back();
            report_->Reduced.push_back(
                {name,
                 "a page of " + std::to_string(info.Width) + " x " + std::to_string(info.Height) +
                     " pixels would be larger than PDF readers draw; it is " +
                     PdfNumber(page.Width) + " x " + PdfNumber(page.Height) + " points, at " +
                     PdfNumber(std::round(reducedDpi * 100) / 100) + " pixels per inch",
                 TReasonKind::rkPageTooLarge});
        }
        DrainMessageQueue();
    }
    embed_ = std::move(kept);
    return true;
}

void TConversion::ClearEmbedTables() {
    infos_.clear();
    placements_.clear();
    extras_ = {};
    profiles_ = TProfileTable();
    total_ = 0;
}

namespace {

// Counts what the writer would write, and writes nothing: a document's size
// without its bytes.
class TCountingStream : public TOutputStream {
protected:
    void DoWrite(const void*, std::size_t) override {}
    void DoCopyFrom(const TFileHandle&, const std::string&, std::int64_t) override {}
};

} // namespace

// The kept pictures encoded at quality into encoded, and the size of the
// document they would make, to the byte: the same tests and the same
// writer as the document itself. Nothing after a stop.
std::optional<std::int64_t> TConversion::DocumentSizeAt(const std::vector<std::string>& kept,
                                                        int quality,
                                                        std::vector<std::string>& encoded) {
    const unsigned jobs =
        options_.Jobs != 0 ? options_.Jobs : std::max(1u, std::thread::hardware_concurrency());
    const auto stopRequested = [] { return StopConverting.load(); };
    std::optional<std::vector<std::string>> names =
        EncodeKeptPictures(kept, quality, jobs, stopRequested);
    if (!names) {
        return std::nullopt;
    }
    encoded = std::move(*names);
    embed_ = encoded;
    bool stopped = false;
    std::optional<std::int64_t> size;
    if (TestEmbedList(true, stopped)) {
        TPdfDocumentParams document;
        document.Names = embed_;
        document.Infos = infos_;
        document.Total = total_;
        document.StopRequested = stopRequested;
        document.Placements = placements_;
        document.Extras.Profiles = profiles_.Release();
        document.Extras.PageProfiles = extras_.PageProfiles;
        document.Extras.Info = options_.DocumentInfo;
        TCountingStream counter;
        if (WritePdfDocument(counter, document) == TWriteResult::wrWritten) {
            size = counter.Position();
        }
    }
    ClearEmbedTables();
    return size;
}

// With a size limit: the pictures kept as pixels are encoded at the highest
// quality, up to the one asked for, at which the whole document fits, and
// that quality's files become the embed list. A result code when the run
// ends here, 0 when it goes on.
std::int32_t TConversion::ChooseQuality() {
    const std::vector<std::string> kept = std::move(embed_);
    embed_.clear();
    std::vector<std::string> best;  // the files of the best quality so far
    std::vector<std::string> tried; // those of the quality being tried
    const auto remove = [](std::vector<std::string>& files) {
        for (const std::string& file : files) {
            ::unlink(file.c_str());
        }
        files.clear();
    };
    const TQualityChoice choice =
        HighestQualityWithin(options_.MaxSize, std::clamp<int>(options_.Quality, 1, 100),
                             [&](int quality) -> std::optional<std::int64_t> {
                                 const std::optional<std::int64_t> size =
                                     DocumentSizeAt(kept, quality, tried);
                                 if (size && *size <= options_.MaxSize) {
                                     remove(best);
                                     best = std::move(tried);
                                 }
                                 remove(tried);
                                 return size;
                             });
    // Each picture's pixels are of no use once its quality is chosen.
    for (const std::string& file : kept) {
        ::unlink(file.c_str());
    }
    if (choice.Stopped) {
        return rcStopped;
    }
    if (choice.Quality == 0) {
        if (report_ != nullptr) {
            report_->Reason = "even at quality 1 the document would be " + SizeText(choice.Size) +
                              " (" + std::to_string(choice.Size) + " bytes), more than " +
                              SizeText(options_.MaxSize) + " (" + std::to_string(options_.MaxSize) +
                              " bytes)";
            report_->Kind = TReasonKind::rkOverLimit;
        }
        return rcNoFiles;
    }
    if (report_ != nullptr) {
        report_->Quality = choice.Quality;
    }
    embed_ = std::move(best);
    return 0;
}

// Every listed file is tested before any work: with ppEveryPage a bad file
// fails the list, and all of them are named at once; with ppSkipBad they
// are left out before the others are prepared. ppLeaveOut, the window's
// way, leaves the question to the window, which asks before the run.
bool TConversion::TestListed(std::vector<std::string>& listed) {
    if (policy_ == TPagePolicy::ppLeaveOut) {
        return true;
    }
    std::vector<TSkippedFile> bad = TestListedFiles(listed, options_);
    if (StopConverting.load()) {
        return false;
    }
    if (bad.empty()) {
        return true;
    }
    if (policy_ == TPagePolicy::ppEveryPage) {
        if (report_ != nullptr) {
            report_->FailedFile = bad.front().File;
            report_->Reason = bad.front().Reason;
            report_->Kind = bad.front().Kind;
            report_->Refused = std::move(bad);
        }
        return false;
    }
    std::set<std::string> names;
    for (TSkippedFile& file : bad) {
        names.insert(file.File);
        if (report_ != nullptr) {
            report_->Skipped.push_back(std::move(file));
        }
    }
    std::erase_if(listed, [&names](const std::string& name) { return names.count(name) != 0; });
    return !listed.empty();
}

// 0 when a file can be opened for reading; else why not, as an errno
// value. A machine that can't open it (too many open files, no memory, an
// I/O error) says nothing of the file: that is an error of the run.
int TConversion::OpenError(const std::string& file) {
    if (file.empty()) {
        return ENOENT;
    }
    if (TFileHandle::OpenForReading(file).Valid()) {
        return 0;
    }
    const int err = errno;
    if (IsMachineErrno(err)) {
        throw CannotOpenFile(file, err);
    }
    return err;
}

// Writing the document over one of its own images would destroy that image
// the moment the finished document is renamed into place. In "Same size"
// mode the document would replace a photograph it holds only a copy of, so
// it is the listed files that are looked at, in both modes.
void TConversion::RefuseOutputAmongInputs(const std::vector<std::string>& files,
                                          const std::string& outputFile) const {
    struct stat target {};
    if (::stat(outputFile.c_str(), &target) != 0) {
        return;
    }
    for (const std::string& name : files) {
        struct stat input {};
        if (::stat(name.c_str(), &input) == 0 && input.st_dev == target.st_dev &&
            input.st_ino == target.st_ino) {
            throw EFileError("Cannot create file " + outputFile +
                             ": it is one of the files to embed");
        }
    }
}

std::int32_t TConversion::Run(const std::vector<std::string>& files,
                              const std::string& outputFile) {
    const bool sameSize = options_.SameSize;
    StopConverting = false;
    if (outputFile.empty() || files.empty()) {
        return rcNoFiles;
    }
    EnterPhase(TRunPhase::rpStarting);
    Report("converting..", 0, 0);

    // A stop asked for at any point ends the run without a document, also
    // when nothing was prepared before it: an empty document must not
    // replace the old one.
    if (sameSize) {
        // Preparing takes long; an output that can't be created is worth
        // knowing first.
        RefuseOutputAmongInputs(files, outputFile);
        TAtomicOutputFile::Check(outputFile, options_.ReplaceOnlyPdf);
    }
    std::vector<std::string> listed = files;
    if (!TestListed(listed)) {
        return FinishRun(StopConverting.load() ? rcStopped : rcNoFiles);
    }
    if (StopConverting.load()) {
        return FinishRun(rcStopped);
    }
    if (sameSize) {
        folder_.emplace();
        EnterPhase(TRunPhase::rpPreparing);
        if (!PrepareImages(listed, *folder_, embed_, progress_, options_, report_)) {
            return FinishRun(rcNoFiles);
        }
        if (StopConverting.load()) {
            return FinishRun(rcStopped);
        }
        // Skipping every file leaves nothing worth a search.
        if (options_.MaxSize != 0 && !embed_.empty()) {
            if (const std::int32_t ended = ChooseQuality(); ended != 0) {
                return FinishRun(ended);
            }
        }
    } else {
        embed_ = listed;
        // Pictures of other kinds become JPEGs of the run's own first; a
        // list of JPEG files makes no run folder.
        if (!PrepareOtherPictures(embed_, folder_, flate_, progress_, options_, report_,
                                  [] { return StopConverting.load(); }) ||
            StopConverting.load()) {
            return FinishRun(rcStopped);
        }
    }

    bool stopped = false;
    if (!TestEmbedList(sameSize, stopped)) {
        return FinishRun(stopped ? rcStopped : rcNoFiles);
    }
    // Skipping every file leaves nothing worth a document.
    if (policy_ == TPagePolicy::ppSkipBad && embed_.empty()) {
        return FinishRun(rcNoFiles);
    }
    // One page for every file, or no document: whatever left a file out.
    if (policy_ == TPagePolicy::ppEveryPage && embed_.size() != files.size()) {
        if (report_ != nullptr) {
            report_->Reason = "only " + std::to_string(embed_.size()) + " of " +
                              std::to_string(files.size()) + " files gave a page";
            report_->Kind = TReasonKind::rkMissing;
        }
        return FinishRun(rcNoFiles);
    }
    if (StopConverting.load()) {
        return FinishRun(rcStopped);
    }
    extras_.Profiles = profiles_.Release();
    extras_.Info = options_.DocumentInfo;

    // "Same size" looked before preparing; its embed list holds only the
    // run's own copies.
    if (!sameSize) {
        RefuseOutputAmongInputs(files, outputFile);
    }
    const auto stopRequested = [] { return StopConverting.load(); };
    output_ =
        std::make_unique<TAtomicOutputFile>(outputFile, options_.ReplaceOnlyPdf, stopRequested);
    if (output_->Stopped()) { // a FIFO that no one came to read
        return AbortRun(rcStopped);
    }

    EnterPhase(TRunPhase::rpEmbedding);
    TPdfDocumentParams document;
    document.Names = std::move(embed_);
    document.Infos = std::move(infos_);
    document.Total = total_;
    document.Progress = progress_;
    // "Same size" embeds the run's own prepared copies: each is deleted as
    // soon as its bytes are in, freeing its space while the document grows.
    // A listed file is never deleted.
    document.DeleteAfterUse = sameSize;
    document.StopRequested = stopRequested;
    document.Placements = std::move(placements_);
    document.Extras = std::move(extras_);
    if (!flate_.empty()) {
        document.SoftMasks = std::move(softMasks_);
    }
    try {
        const TWriteResult result = WritePdfDocument(output_->Stream(), document);
        if (result == TWriteResult::wrStopped || StopConverting.load()) {
            return AbortRun(rcStopped);
        }
        const std::int64_t size = output_->Stream().Position();
        EnterPhase(TRunPhase::rpCommitting);
        if (!output_->Commit(stopRequested)) {
            return AbortRun(rcStopped);
        }
        if (report_ != nullptr) {
            report_->OutputFile = outputFile;
            report_->Pages = document.Names.size();
            report_->DocumentSize = size;
        }
    } catch (const std::exception& error) {
        if (report_ != nullptr) {
            report_->Reason = error.what();
            report_->Kind =
                IsMachineFault(error) ? TReasonKind::rkMachineFault : TReasonKind::rkWriteFailed;
        }
        return AbortRun(rcAborted);
    } catch (...) {
        // Nothing of ours throws anything else, but a progress callback
        // may: the run still ends without a document, and says so.
        if (report_ != nullptr) {
            report_->Reason = "an unknown error";
            report_->Kind = TReasonKind::rkWriteFailed;
        }
        return AbortRun(rcAborted);
    }
    output_.reset();
    return FinishRun(rcDone);
}

} // namespace

void RequestStop() {
    StopConverting = true;
    StopPreparing = true;
}

std::int32_t ConversionRun(const std::vector<std::string>& Files, const std::string& OutputFile,
                           const TProgressProc& Progress, const TRunOptions& Options,
                           TRunReport* Report) {
    TConversion conversion(Progress, Options, Report);
    return conversion.Run(Files, OutputFile);
}

std::int32_t ConversionRun(const std::vector<std::string>& Files, const std::string& OutputFile,
                           const TProgressProc& Progress, bool SameSize, std::uint8_t Quality,
                           std::uint16_t Width, std::uint16_t Height, bool UseTriangle) {
    return ConversionRun(Files, OutputFile, Progress,
                         SizeOptions(SameSize, Quality, Width, Height, UseTriangle));
}

} // namespace vorpane
