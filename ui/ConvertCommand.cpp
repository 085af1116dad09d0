// TForm1: the Convert and Stop commands, the progress strip, and a close
// asked for while a conversion runs.
#include "Unit1.h"

#include "OutcomeMessage.h"
#include "PageOptionsDialog.h"
#include "PathName.h"
#include "WholeNumber.h"
#include "prepare/JpegUtils.h"
#include "resample/Resampler.h"
#include "run/ConversionRun.h"
#include "run/ListTest.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QShortcut>
#include <QTimer>

#include <algorithm>
#include <set>
#include <stdexcept>

namespace vorpane {

namespace {

// The files found unable to give a page that the run would stop on. A file
// that is gone in "Same size" is not one: the run leaves it out as it
// always has and names it when it is done.
std::vector<TSkippedFile> FilesToAskAbout(const std::vector<TSkippedFile>& Bad,
                                          const TRunOptions& Options) {
    std::vector<TSkippedFile> asked;
    for (const TSkippedFile& file : Bad) {
        if (!Options.SameSize || file.Kind != TReasonKind::rkMissing) {
            asked.push_back(file);
        }
    }
    return asked;
}

} // namespace

void UpdateProgressStrip(const std::string& Text, std::int64_t, std::int64_t Done) {
    QCoreApplication::processEvents();
    if (TForm1* form = Form1) {
        form->StepProgressStrip();
        form->ShowRunCount(Text, Done);
    }
}

void TForm1::StartRunCount(const std::vector<std::string>& Files) {
    runPhotos_ = static_cast<std::int64_t>(Files.size());
    runDone_ = 0;
    runPhase_ = TRunPhase::rpStarting;
    ShowRunCount({}, 0);
}

void TForm1::FollowRunPhase(TRunPhase Phase) {
    runPhase_ = Phase;
}

void TForm1::ShowRunCount(const std::string&, std::int64_t Done) {
    if (progressSameSize_) {
        // The preparation, most of a "Same size" run, reports each listed
        // file with its place in the list as it is done with it; embedding
        // the prepared files then takes little time.
        if (runPhase_ == TRunPhase::rpPreparing) {
            runDone_ = std::max(runDone_, Done);
        }
    } else if (runPhase_ == TRunPhase::rpEmbedding) {
        // Each photograph embedded; the run's first and last reports are
        // about the run.
        ++runDone_;
    }
    Label1->setText(
        tr("Converting... %1 / %2").arg(std::min(runDone_, runPhotos_)).arg(runPhotos_));
    Label1->adjustSize();
}

void TForm1::StartProgressStrip(bool SameSize) {
    progressReports_ = 0;
    progressSameSize_ = SameSize;
}

void TForm1::StepProgressStrip() {
    ++progressReports_;
    // A run reports each photograph once when it is embedded and, in "Same
    // size", once more when it is prepared. The list is counted at every
    // report; emptied during the run, it leaves nothing to divide by.
    const std::int64_t expected = std::int64_t{EntryCount()} * (progressSameSize_ ? 2 : 1);
    if (expected == 0) {
        return;
    }
    const std::int64_t width = std::min<std::int64_t>(1 + 176 * progressReports_ / expected, 177);
    ImageProgress->resize(static_cast<int>(width), ImageProgress->height());
}

void TForm1::ImgBtnStopClick(QObject*) {
    RequestStop();
}

void TForm1::ImgBtnConvertClick(QObject*) {
    if (EntryCount() == 0) {
        ShowMessage(QMessageBox::Information, tr("Information"),
                    tr("\nPlease add jpg files to the left blank first!"));
        return;
    }
    QString outputFile;
    if (!ExecuteSaveDialog(outputFile)) {
        return;
    }
    // Only now: while the dialog was open, nothing was being converted.
    Label1->show();
    // From here on the idle look comes back on every path, errors included.
    struct TIdleLookGuard {
        TForm1* Form;
        ~TIdleLookGuard() { Form->LeaveBusyLook(); }
    } idleLook{this};
    ConvertEntries(outputFile);
}

bool TForm1::GatherRunOptions(TRunOptions& Options) {
    const std::int32_t quality = StrToInt(Edit3->text().toStdString());
    const std::int32_t width = StrToInt(Edit1->text().toStdString());
    const std::int32_t height = StrToInt(Edit2->text().toStdString());
    // Only "Same size" uses the numbers. Cut to the run's 8 and 16 bits, a
    // width of 70000 would become 4464 and -1 would become 65535; refuse
    // what doesn't fit instead of converting at a size nobody asked for.
    if (SameSizeMode) {
        struct TRange {
            std::int32_t Value;
            std::int32_t Largest;
            const char* Message;
        };
        for (const TRange& range :
             {TRange{quality, 255,
                     QT_TR_NOOP("\nThe quality must be a whole number from 0 to %1.")},
              TRange{width, kMaxSide,
                     QT_TR_NOOP("\nThe width must be a whole number from 0 to %1.")},
              TRange{height, kMaxSide,
                     QT_TR_NOOP("\nThe height must be a whole number from 0 to %1.")}}) {
            if (range.Value < 0 || range.Value > range.Largest) {
                ShowMessage(QMessageBox::Critical, tr("Error"),
                            tr(range.Message).arg(range.Largest));
                return false;
            }
        }
    }
    Options.SameSize = SameSizeMode;
    Options.Quality = static_cast<std::uint8_t>(quality);
    Options.Width = static_cast<std::uint16_t>(width);
    Options.Height = static_cast<std::uint16_t>(height);
    Options.Fit = CheckBox2->isChecked();
    Options.Layout.AutoOrient = AutoOrientMode;
    ApplyPageOptions(PageOptions, Options);
    Options.Phase = [this](TRunPhase phase) { FollowRunPhase(phase); };
    return true;
}

void TForm1::ConvertEntries(const QString& OutputFile) {
    const std::vector<std::string> files = EntryPaths();
    ImgBtnConvert->hide();
    ImgBtnStop->show();
    busy_ = true;
    stopKey_->setEnabled(true);

    TRunOptions options;
    if (!GatherRunOptions(options)) {
        return;
    }
    StartProgressStrip(SameSizeMode);
    StartRunCount(files);
    TRunReport report;
    std::int32_t result = 0;
    std::vector<std::string> toConvert = files;
    try {
        // Every listed file is tested before any work: files that can't be
        // converted are worth one question now, not an error after minutes
        // of converting the others. Skipping leaves them out unasked.
        if (options.Policy != TPagePolicy::ppSkipBad) {
            StopConverting = false;
            const std::vector<TSkippedFile> bad = TestListedFiles(files, options);
            if (StopConverting.load()) {
                result = rcStopped;
            } else if (std::vector<TSkippedFile> asked = FilesToAskAbout(bad, options);
                       !asked.empty() && bad.size() < files.size()) {
                if (!AskLeaveOut(LeaveOutQuestion(asked))) {
                    MarkReportedEntries(asked, {});
                    return;
                }
                std::set<std::string> names;
                for (const TSkippedFile& file : asked) {
                    names.insert(file.File);
                }
                std::erase_if(toConvert,
                              [&names](const std::string& file) { return names.count(file) != 0; });
                StartRunCount(toConvert);
                report.Skipped = std::move(asked);
            }
        }
        if (result != rcStopped) {
            result = ConversionRun(toConvert, EncodePathName(OutputFile).toStdString(),
                                   &UpdateProgressStrip, options, &report);
        }
    } catch (const std::exception& error) {
        // Such an error still goes to the application's error box, but it
        // names the photograph it came from.
        throw std::runtime_error(RunErrorText(error, report).toStdString());
    }
    MarkReportedEntries(report.Skipped, report.Incomplete);
    const TOutcomeMessage message = OutcomeMessage(result, report);
    if (!message.Text.isEmpty()) {
        ShowMessage(message.Icon, message.Caption, message.Text);
    }
    if (result == rcDone) {
        OpenFolder(QFileInfo(OutputFile).absolutePath());
    }
}

void TForm1::LeaveBusyLook() {
    busy_ = false;
    stopKey_->setEnabled(false);
    ImageProgress->resize(1, ImageProgress->height());
    ImgBtnConvert->show();
    ImgBtnStop->hide();
    Label1->hide();
    Label1->setText(tr("Converting..."));
    Label1->adjustSize();
    if (closeRequested_) {
        // The close asked for during the run, now that it is over.
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void TForm1::closeEvent(QCloseEvent* Event) {
    // The run lives inside the Convert click; closing now would pull the
    // window from under it. The close waits for the run and its message.
    if (busy_) {
        closeRequested_ = true;
        Event->ignore();
        return;
    }
    Event->accept();
}

} // namespace vorpane
