#include "OutcomeMessage.h"

#include "Errors.h"
#include "PrintableText.h"
#include "run/ConversionRun.h"

#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

namespace vorpane {

namespace {

// More names than this would make the box taller than the screen.
constexpr std::size_t kNamedSkippedFiles = 10;

QString FileText(const std::string& Path) {
    return QFile::decodeName(QByteArray::fromStdString(Path));
}

// A file name or an engine's message naming one, as the box may show it: a
// newline or a control character in a name is spelt out, not obeyed.
QString ShownText(const std::string& Text) {
    return QString::fromStdString(PrintableText(Text));
}

QString FileAndReason(const std::string& Path, const std::string& Reason) {
    return ShownText(Path) + QStringLiteral(": ") + ShownText(Reason);
}

// The listed files that gave no page, one line each, for a message that
// would otherwise speak of success alone.
QString SkippedFilesText(const std::vector<TSkippedFile>& Skipped) {
    if (Skipped.empty()) {
        return {};
    }
    QString text = Skipped.size() == 1 ? QStringLiteral("\n\nThis listed file gave no page:")
                                       : QStringLiteral("\n\nThese listed files gave no page:");
    const std::size_t named = std::min(Skipped.size(), kNamedSkippedFiles);
    for (std::size_t i = 0; i < named; ++i) {
        text += QLatin1Char('\n') + FileAndReason(Skipped[i].File, Skipped[i].Reason);
    }
    if (Skipped.size() > named) {
        text += QStringLiteral("\nand %1 more.").arg(Skipped.size() - named);
    }
    return text;
}

// "No files existing!" was written for a listed file that is gone. A file
// that is there but can't be embedded as it is gets its own words.
QString NoFilesText(const TRunReport& Report) {
    if (Report.FailedFile.empty()) {
        return QStringLiteral("\nNo files existing!");
    }
    const QString file = FileAndReason(Report.FailedFile, Report.Reason);
    if (!QFileInfo::exists(FileText(Report.FailedFile))) {
        return QStringLiteral("\nNo files existing!\n") + file;
    }
    return QStringLiteral("\nNo PDF written: a listed file can't be embedded as it is.\n") + file;
}

} // namespace

TOutcomeMessage OutcomeMessage(std::int32_t Result, const TRunReport& Report) {
    const QString information = QStringLiteral("Information");
    switch (Result) {
    case rcNoFiles:
        return {QMessageBox::Information, information, NoFilesText(Report)};
    case rcDone:
        return {QMessageBox::Information, information,
                QStringLiteral("\nCongratulation! Converting Successed!") +
                    SkippedFilesText(Report.Skipped)};
    case rcAborted: {
        QString text = QStringLiteral("\nAborted!");
        if (!Report.Reason.empty()) {
            text += QLatin1Char('\n') + ShownText(Report.Reason);
        }
        return {QMessageBox::Critical, QStringLiteral("Error"), text};
    }
    case rcStopped:
        return {QMessageBox::Information, information, QStringLiteral("\nStop converting\u00EC!")};
    default:
        return {};
    }
}

QString RunErrorText(const std::exception& Error, const TRunReport& Report) {
    const std::string message = ErrorMessage(Error);
    if (Report.FailedFile.empty()) {
        return ShownText(message);
    }
    return FileAndReason(Report.FailedFile, message);
}

} // namespace vorpane
