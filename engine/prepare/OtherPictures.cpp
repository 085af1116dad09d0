#include "prepare/OtherPictures.h"

#include "Errors.h"
#include "MessageQueue.h"
#include "colour/ColourProfile.h"
#include "jpeg/JpegEncoder.h"
#include "picture/PictureFile.h"
#include "picture/UprightPicture.h"
#include "prepare/JpegUtils.h"

#include <algorithm>

namespace vorpane {

namespace {

// Below this quality libjpeg's 2 x 2 colour is part of what was asked.
constexpr int kFullChromaQuality = 90;

template <typename TSource>
void Encode(TSource& source, const std::string& tempName, int quality,
            const std::vector<std::uint8_t>& profile) {
    WriteJpegFile(tempName, [&](TJpegEncoder& encoder) {
        encoder.Start(source.Width(), source.Height(), quality, profile,
                      quality >= kFullChromaQuality);
        source.ReadRows([&encoder](const std::uint8_t* const* rows, std::uint32_t count) {
            encoder.WriteRows(rows, count);
        });
        encoder.Finish();
    });
}

} // namespace

bool IsOtherPicture(const std::string& FileName) {
    const TPictureKind kind = ReadPictureKind(FileName);
    return kind != TPictureKind::pkUnknown && kind != TPictureKind::pkJpeg;
}

void PrepareOtherPicture(const std::string& FileName, const std::string& TempName,
                         std::uint8_t Quality, bool AutoOrient, bool KeepProfile,
                         std::string* Incomplete) {
    TPictureFile file(FileName);
    file.SetStopTest([] { return StopPreparing.load(); });
    std::vector<std::uint8_t> profile;
    if (KeepProfile) {
        profile = file.IccProfile();
        if (!ProfileFits(profile, 3)) {
            profile.clear();
        }
    }
    const int quality = std::clamp<int>(Quality, 1, 100);
    const int orientation = AutoOrient ? file.Orientation() : 1;
    if (orientation == 1) {
        Encode(file, TempName, quality, profile);
    } else {
        TUprightPicture upright(file.ReadAll(), orientation);
        Encode(upright, TempName, quality, profile);
    }
    if (Incomplete != nullptr) {
        *Incomplete = file.Incomplete();
    }
}

bool PrepareOtherPictures(std::vector<std::string>& Files, std::optional<TRunFolder>& Folder,
                          const TProgressProc& Progress, const TRunOptions& Options,
                          TRunReport* Report, const std::function<bool()>& Stop) {
    std::vector<std::string> kept;
    const std::size_t count = Files.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& source = Files[i];
        if (!IsOtherPicture(source)) {
            kept.push_back(source);
            continue;
        }
        if (Stop()) {
            return false;
        }
        if (!Folder) {
            Folder.emplace();
        }
        const std::string tempName = Folder->FileFor(i);
        std::string incomplete;
        try {
            PrepareOtherPicture(source, tempName, Options.Quality, Options.Layout.AutoOrient,
                                Options.ColourProfiles, &incomplete);
            kept.push_back(tempName);
            if (Report != nullptr && !incomplete.empty()) {
                Report->Incomplete.push_back({source,
                                              "the picture is incomplete (" + incomplete + ")",
                                              TReasonKind::rkIncomplete});
            }
        } catch (const EStoppedError&) {
            return false;
        } catch (const std::exception& error) {
            const bool skip = Options.Policy == TPagePolicy::ppSkipBad && !IsMachineFault(error);
            if (Report != nullptr) {
                if (skip) {
                    Report->Skipped.push_back({source, ErrorMessage(error), ReasonKindOf(error)});
                } else {
                    Report->FailedFile = source;
                    Report->Kind = ReasonKindOf(error);
                }
            }
            if (!skip) {
                throw;
            }
        }
        if (Progress) {
            Progress(source, static_cast<std::int64_t>(count) - 1,
                     static_cast<std::int64_t>(i) + 1);
        }
        DrainMessageQueue();
    }
    Files = std::move(kept);
    return true;
}

} // namespace vorpane
