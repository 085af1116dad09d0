#include "OutcomeMessage.h"

#include "Errors.h"
#include "PrintableText.h"
#include "run/ConversionRun.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace vorpane {

namespace {

// The box's words, in the reader's language.
struct TOutcomeTexts {
    Q_DECLARE_TR_FUNCTIONS(vorpane::OutcomeMessage)
};

// More names than this would make the box taller than the screen.
constexpr std::size_t kNamedSkippedFiles = 10;

// A file name or an engine's message naming one, as the box may show it: a
// newline or a control character in a name is spelt out, not obeyed.
QString ShownText(const std::string& Text) {
    return QString::fromStdString(PrintableText(Text));
}

QString FileAndReason(const std::string& Path, const std::string& Reason) {
    return ShownText(Path) + QStringLiteral(": ") + ShownText(Reason);
}

// Listed files, one line each under a heading for one file or for more,
// for a message that would otherwise speak of success alone.
QString FilesText(const std::vector<TSkippedFile>& Files, const QString& One, const QString& More) {
    if (Files.empty()) {
        return {};
    }
    QString text = QStringLiteral("\n\n") + (Files.size() == 1 ? One : More);
    const std::size_t named = std::min(Files.size(), kNamedSkippedFiles);
    for (std::size_t i = 0; i < named; ++i) {
        text += QLatin1Char('\n') + FileAndReason(Files[i].File, Files[i].Reason);
    }
    if (Files.size() > named) {
        text += TOutcomeTexts::tr("\nand %1 more.").arg(Files.size() - named);
    }
    return text;
}

// The files that gave no page, the photos whose pages show only as much as
// their data held, those whose pages are squashed, and those whose pages
// had to be made smaller than their resolution asked.
QString NamedFilesText(const TRunReport& Report) {
    return FilesText(Report.Skipped, TOutcomeTexts::tr("This listed file gave no page:"),
                     TOutcomeTexts::tr("These listed files gave no page:")) +
           FilesText(Report.Incomplete,
                     TOutcomeTexts::tr(
                         "This photo's data was incomplete; its page shows what there was:"),
                     TOutcomeTexts::tr(
                         "These photos' data was incomplete; their pages show what there was:")) +
           FilesText(Report.Squashed,
                     TOutcomeTexts::tr("The page of this listed file is squashed:"),
                     TOutcomeTexts::tr("The pages of these listed files are squashed:")) +
           FilesText(
               Report.Reduced,
               TOutcomeTexts::tr("This photo's page is smaller, so that PDF readers can show it:"),
               TOutcomeTexts::tr(
                   "These photos' pages are smaller, so that PDF readers can show them:"));
}

// What was made: "album.pdf: 132 pages, 11.5 MB", or nothing when the
// report doesn't say.
QString MadeText(const TRunReport& Report) {
    if (Report.OutputFile.empty()) {
        return {};
    }
    const std::string& output = Report.OutputFile;
    const QString name = ShownText(output.substr(output.find_last_of('/') + 1));
    const QString size = QString::fromStdString(SizeText(Report.DocumentSize));
    const int pages = static_cast<int>(Report.Pages);
    // Chosen to keep the document within its size limit.
    const QString quality =
        Report.Quality == 0 ? QString() : TOutcomeTexts::tr(", quality %1").arg(Report.Quality);
    return QLatin1Char('\n') +
           (pages == 1 ? TOutcomeTexts::tr("%1: 1 page, %2").arg(name, size)
                       : TOutcomeTexts::tr("%1: %n pages, %2", nullptr, pages).arg(name, size)) +
           quality;
}

// "No files existing!" was written for a listed file that is gone. A file
// that is there but can't be embedded as it is gets its own words.
QString NoFilesText(const TRunReport& Report) {
    // Every file left out by "Skip photos that can't be converted".
    if (Report.FailedFile.empty() && !Report.Skipped.empty()) {
        return TOutcomeTexts::tr("\nNo PDF written: no listed file could be converted.") +
               NamedFilesText(Report);
    }
    if (Report.Kind == TReasonKind::rkNone) {
        return TOutcomeTexts::tr("\nNo files existing!");
    }
    if (Report.Kind == TReasonKind::rkOverLimit) {
        return TOutcomeTexts::tr("\nNo PDF written: %1.").arg(ShownText(Report.Reason));
    }
    const QString file = FileAndReason(Report.FailedFile, Report.Reason);
    if (Report.Kind == TReasonKind::rkMissing) {
        return TOutcomeTexts::tr("\nNo files existing!\n") + file;
    }
    return TOutcomeTexts::tr("\nNo PDF written: a listed file can't be embedded as it is.\n") +
           file;
}

} // namespace

TOutcomeMessage OutcomeMessage(std::int32_t Result, const TRunReport& Report) {
    const QString information = TOutcomeTexts::tr("Information");
    switch (Result) {
    case rcNoFiles:
        return {QMessageBox::Information, information, NoFilesText(Report)};
    case rcDone:
        return {QMessageBox::Information, information,
                TOutcomeTexts::tr("\nCongratulation! Converting Successed!") + MadeText(Report) +
                    NamedFilesText(Report)};
    case rcAborted: {
        QString text = TOutcomeTexts::tr("\nAborted!");
        if (!Report.Reason.empty()) {
            text += QLatin1Char('\n') + ShownText(Report.Reason);
        }
        return {QMessageBox::Critical, TOutcomeTexts::tr("Error"), text};
    }
    case rcStopped:
        return {QMessageBox::Information, information,
                TOutcomeTexts::tr("\nStop converting\u00EC!")};
    default:
        return {};
    }
}

QString LeaveOutQuestion(const std::vector<TSkippedFile>& Bad) {
    return QLatin1Char('\n') +
           FilesText(Bad, TOutcomeTexts::tr("This listed file can't be converted:"),
                     TOutcomeTexts::tr("These listed files can't be converted:"))
               .mid(2) +
           TOutcomeTexts::tr("\n\nLeave them out and convert the rest, or cancel?");
}

QString RunErrorText(const std::exception& Error, const TRunReport& Report) {
    const std::string message = ErrorMessage(Error);
    if (Report.FailedFile.empty()) {
        return ShownText(message);
    }
    return FileAndReason(Report.FailedFile, message);
}

} // namespace vorpane
