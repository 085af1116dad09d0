// TOutcomeMessage: what the Convert command tells the user once a conversion
// has ended. The result code says how it went; the run's report adds the
// files it is about, so that no page goes missing without a word and no
// failure is blamed on the wrong cause.
#pragma once

#include "rundata/RunReport.h"

#include <QString>

#include <cstdint>
#include <exception>
#include <vector>

namespace vorpane {

struct TOutcomeMessage {
    int Icon = 0; // a QMessageBox::Icon
    QString Caption;
    QString Text; // empty: nothing to show
};

TOutcomeMessage OutcomeMessage(std::int32_t Result, const TRunReport& Report);

// The one question asked before a run when some listed files can't be
// converted, others can, and skipping is off: the files, ten at most and
// "and N more", each with why, then whether to leave them out and convert
// the rest.
QString LeaveOutQuestion(const std::vector<TSkippedFile>& Bad);

// The text of an error that ended a run before its result: its message with
// libjpeg's sentence when there is one, after the name of the photograph
// being prepared when there was one.
QString RunErrorText(const std::exception& Error, const TRunReport& Report);

} // namespace vorpane
