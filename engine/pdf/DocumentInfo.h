// A document's properties (its /Info dictionary) and the PDF strings they
// are written as.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorpane {

// Each field in UTF-8; an empty one is left out. With every field empty the
// document has no /Info.
struct TDocumentInfo {
    std::string Title;
    std::string Author;
    std::string Subject;
    std::string Keywords;
    // ISO 8601 (PdfDate), or "now" for the moment the document is written.
    std::string CreationDate;

    bool Empty() const {
        return Title.empty() && Author.empty() && Subject.empty() && Keywords.empty() &&
               CreationDate.empty();
    }
};

// Text as a PDF text string, in parentheses: printable ASCII as it is, any
// other text as UTF-16BE after a byte order mark; parentheses, backslashes
// and every byte outside printable ASCII escaped (\ddd), so the string is
// ASCII. A byte that is no part of valid UTF-8 stands for U+FFFD.
std::string PdfTextString(std::string_view Utf8);

// An ISO 8601 date and time as a PDF date ("D:YYYYMMDDHHmmSS" and the
// offset from UT as Z or +HH'mm'): "YYYY-MM-DD", then optionally "T" (or a
// blank) and "HH:MM" or "HH:MM:SS" (a fraction of a second is dropped),
// then optionally "Z", "+HH:MM", "+HHMM" or "+HH" (or "-"). Without an offset
// the PDF date has none either. "now" is the current local time with its
// offset. No value for anything else, or a field out of its range.
std::optional<std::string> PdfDate(std::string_view Iso8601);

} // namespace vorpane
