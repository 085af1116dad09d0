#include "pdf/PdfWriter.h"

#include "Errors.h"
#include "FileHandle.h"
#include "MessageQueue.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <memory>
#include <optional>
#include <stdexcept>
#include <unistd.h>

namespace vorpane {

namespace {

std::string Number(std::int64_t value) {
    std::array<char, 24> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
    return std::string(text.data(), end);
}

// The state of one document being written: the offset table and the object
// counter.
class TPdfDocumentWriter {
public:
    TPdfDocumentWriter(TOutputStream& stream, const std::vector<std::string>& names,
                       const std::vector<TJpegInfo>& infos, std::int64_t total,
                       const TProgressProc& progress, bool deleteAfterUse,
                       const TStopTest& stopRequested,
                       const std::vector<TPagePlacement>& placements, const TPdfExtras& extras)
        : stream_(stream), names_(names), infos_(infos), total_(total), progress_(progress),
          deleteAfterUse_(deleteAfterUse), stopRequested_(stopRequested), placements_(placements),
          extras_(extras), pages_(static_cast<std::int64_t>(infos.size())),
          profiles_(static_cast<std::int64_t>(extras.Profiles.size())),
          lastObject_(3 * pages_ + 2 + profiles_ + (extras.Info.Empty() ? 0 : 1)),
          offsets_(static_cast<std::size_t>(lastObject_ + 1), 0) {}

    TWriteResult Write();

private:
    bool Stop() const { return stopRequested_ && stopRequested_(); }
    void Put(std::string_view text) { WriteStr(stream_, text); }
    void Put(std::int64_t value) { Put(Number(value)); }
    TPagePlacement Placement(std::int64_t k) const {
        const auto page = static_cast<std::size_t>(k);
        return placements_.empty() ? FixedPlacement(infos_[page].Width, infos_[page].Height)
                                   : placements_[page];
    }

    // Records the offset of the object (or xref line) about to be written.
    void MarkOffset(std::int64_t index) {
        const std::int64_t position = stream_.Position();
        CheckOffset(position);
        offsets_[static_cast<std::size_t>(index)] = position;
    }
    static void CheckOffset(std::int64_t position);
    void BeginObject(std::int64_t number) {
        MarkOffset(objectCount_);
        Put(number);
        Put(" 0 obj\n");
    }
    void EndObject() {
        Put("endobj\n");
        ++objectCount_;
    }

    void WriteCatalog();
    TWriteResult WritePageTree();
    void WritePage(std::int64_t k);
    void WriteImage(std::int64_t k);
    void CopyImageData(std::int64_t k);
    void WriteProfile(std::int64_t p);
    void WriteInfo(const std::string& creationDate);
    void WriteTrailer();
    // The object number of the page's profile, 0 for none.
    std::int64_t ProfileObject(std::int64_t k) const {
        const std::int32_t index =
            extras_.PageProfiles.empty() ? -1 : extras_.PageProfiles[static_cast<std::size_t>(k)];
        return index < 0 ? 0 : 3 * pages_ + 3 + index;
    }

    TOutputStream& stream_;
    const std::vector<std::string>& names_;
    const std::vector<TJpegInfo>& infos_;
    const std::int64_t total_;
    const TProgressProc& progress_;
    const bool deleteAfterUse_;
    const TStopTest& stopRequested_;
    const std::vector<TPagePlacement>& placements_;
    const TPdfExtras& extras_;
    const std::int64_t pages_;
    const std::int64_t profiles_;
    const std::int64_t lastObject_;
    std::vector<std::int64_t> offsets_;
    std::int64_t objectCount_ = 0;
    std::int64_t done_ = 0;
};

void TPdfDocumentWriter::CheckOffset(std::int64_t position) {
    if (position > kMaxPdfOffset) {
        throw EFileError("The PDF document would be larger than " + Number(kMaxPdfOffset) +
                         " bytes, more than its cross-reference table can describe");
    }
}

void TPdfDocumentWriter::WriteCatalog() {
    BeginObject(1);
    Put("<<\n");
    Put("/Type /Catalog\n");
    Put("/Pages 2 0 R\n");
    Put("/OpenAction [3 0 R /XYZ -32768 -32768 1 ]\n");
    Put(">>\n");
    EndObject();
}

TWriteResult TPdfDocumentWriter::WritePageTree() {
    BeginObject(2);
    Put("<<\n");
    Put("/Type /Pages\n");
    Put("/Kids [ ");
    for (std::int64_t k = 0; k < pages_; ++k) {
        if (Stop()) {
            return TWriteResult::wrStopped;
        }
        Put(3 + k);
        Put(" 0 R ");
        DrainMessageQueue();
    }
    Put("]\n");
    Put("/Count ");
    Put(pages_);
    Put("\n");
    Put(">>\n");
    EndObject();
    return TWriteResult::wrWritten;
}

void TPdfDocumentWriter::WritePage(std::int64_t k) {
    const TPagePlacement page = Placement(k);
    BeginObject(3 + k);
    Put("<<\n");
    Put("/Type /Page\n");
    Put("/Parent 2 0 R\n");
    Put("/Resources\n");
    Put("<<\n");
    Put("/XObject << /Im0 ");
    Put(pages_ + 3 + k);
    Put(" 0 R >>\n");
    Put(infos_[static_cast<std::size_t>(k)].IsGrey ? "/ProcSet [ /PDF /ImageB ]\n"
                                                   : "/ProcSet [ /PDF /ImageC ]\n");
    Put(">>\n");
    Put("/MediaBox [ 0 0 ");
    Put(PdfNumber(page.Width));
    Put(" ");
    Put(PdfNumber(page.Height));
    Put(" ]\n");
    Put("/Contents ");
    Put(2 * pages_ + 3 + k);
    Put(" 0 R\n");
    Put(">>\n");
    EndObject();
}

void TPdfDocumentWriter::WriteImage(std::int64_t k) {
    const TJpegInfo& info = infos_[static_cast<std::size_t>(k)];
    BeginObject(pages_ + 3 + k);
    Put("<<\n");
    Put("/Type /XObject\n");
    Put("/Subtype /Image\n");
    Put("/Name /Im0\n");
    Put("/Width ");
    Put(info.Width);
    Put("\n/Height ");
    Put(info.Height);
    Put("\n");
    Put("/BitsPerComponent 8\n");
    Put(info.IsFlate ? "/Filter [/FlateDecode]\n" : "/Filter [/DCTDecode]\n");
    const std::int64_t profile = ProfileObject(k);
    if (profile != 0) {
        Put("/ColorSpace [/ICCBased ");
        Put(profile);
        Put(" 0 R]\n");
    } else {
        Put(info.IsCMYK   ? "/ColorSpace /DeviceCMYK\n"
            : info.IsGrey ? "/ColorSpace /DeviceGray\n"
                          : "/ColorSpace /DeviceRGB\n");
    }
    // Adobe's CMYK is stored inverted, whatever the colour space.
    if (info.IsCMYK) {
        Put("/Decode[1 0 1 0 1 0 1 0]\n");
    }
    CopyImageData(k);
    Put("endstream\n");
    EndObject();
}

void TPdfDocumentWriter::CopyImageData(std::int64_t k) {
    const std::string& name = names_[static_cast<std::size_t>(k)];
    TFileHandle file = TFileHandle::OpenForReading(name);
    if (!file.Valid()) {
        throw EFileError("Cannot open file " + SystemErrorText(name, errno));
    }
    // From here on the file is open: whatever leaves, it is closed (by the
    // handle) and, when asked, deleted.
    try {
        // The length is the size now, not the size measured before writing.
        const std::int64_t length = file.Size();
        if (length < 0) {
            throw EFileError("Cannot read file " + SystemErrorText(name, errno));
        }
        CheckOffset(stream_.Position() + length);
        Put("/Length ");
        Put(length);
        Put(" >>\n");
        Put("stream\n");
        stream_.CopyFrom(file, name, length);
        done_ += length;
        if (progress_) {
            progress_(name, total_, done_);
        }
    } catch (...) {
        file.Reset();
        if (deleteAfterUse_) {
            ::unlink(name.c_str());
        }
        throw;
    }
    file.Reset();
    if (deleteAfterUse_) {
        ::unlink(name.c_str()); // a file that won't go away is no reason to fail
    }
}

void TPdfDocumentWriter::WriteProfile(std::int64_t p) {
    const TColourProfile& profile = extras_.Profiles[static_cast<std::size_t>(p)];
    BeginObject(3 * pages_ + 3 + p);
    Put("<<\n");
    Put("/N ");
    Put(profile.Components);
    Put(profile.Components == 4   ? "\n/Alternate /DeviceCMYK\n"
        : profile.Components == 1 ? "\n/Alternate /DeviceGray\n"
                                  : "\n/Alternate /DeviceRGB\n");
    CheckOffset(stream_.Position() + static_cast<std::int64_t>(profile.Bytes.size()));
    Put("/Length ");
    Put(static_cast<std::int64_t>(profile.Bytes.size()));
    Put(" >>\n");
    Put("stream\n");
    stream_.Write(profile.Bytes.data(), profile.Bytes.size());
    Put("\nendstream\n");
    EndObject();
}

void TPdfDocumentWriter::WriteInfo(const std::string& creationDate) {
    BeginObject(lastObject_);
    Put("<<\n");
    const std::pair<const char*, const std::string*> fields[] = {
        {"/Title ", &extras_.Info.Title},
        {"/Author ", &extras_.Info.Author},
        {"/Subject ", &extras_.Info.Subject},
        {"/Keywords ", &extras_.Info.Keywords},
    };
    for (const auto& [key, value] : fields) {
        if (!value->empty()) {
            Put(key);
            Put(PdfTextString(*value));
            Put("\n");
        }
    }
    if (!creationDate.empty()) {
        Put("/CreationDate (");
        Put(creationDate);
        Put(")\n");
    }
    Put(">>\n");
    EndObject();
}

void TPdfDocumentWriter::WriteTrailer() {
    MarkOffset(lastObject_);
    WriteXRef(stream_, offsets_, lastObject_);
    Put("trailer\n");
    Put("<<\n");
    Put("/Size ");
    Put(lastObject_ + 1);
    Put("\n");
    Put("/Root 1 0 R\n");
    if (!extras_.Info.Empty()) {
        Put("/Info ");
        Put(lastObject_);
        Put(" 0 R\n");
    }
    Put(">>\n");
    Put("startxref\n");
    Put(offsets_[static_cast<std::size_t>(lastObject_)]);
    Put("\n");
    Put("%%EOF");
}

TWriteResult TPdfDocumentWriter::Write() {
    std::string creationDate;
    if (!extras_.Info.CreationDate.empty()) {
        const std::optional<std::string> date = PdfDate(extras_.Info.CreationDate);
        if (!date) {
            throw std::invalid_argument("Not an ISO 8601 date: " + extras_.Info.CreationDate);
        }
        creationDate = *date;
    }
    Put(profiles_ > 0 ? "%PDF-1.3\n" : "%PDF-1.2\n");
    WriteCatalog();
    if (WritePageTree() == TWriteResult::wrStopped) {
        return TWriteResult::wrStopped;
    }
    for (std::int64_t k = 0; k < pages_; ++k) {
        if (Stop()) {
            return TWriteResult::wrStopped;
        }
        WritePage(k);
        DrainMessageQueue();
    }
    for (std::int64_t k = 0; k < pages_; ++k) {
        if (Stop()) {
            return TWriteResult::wrStopped;
        }
        WriteImage(k);
        DrainMessageQueue();
    }
    for (std::int64_t k = 0; k < pages_; ++k) {
        if (Stop()) {
            return TWriteResult::wrStopped;
        }
        MarkOffset(objectCount_);
        WriteContentsObject(stream_, 2 * pages_ + 3 + k, Placement(k));
        ++objectCount_;
        DrainMessageQueue();
    }
    for (std::int64_t p = 0; p < profiles_; ++p) {
        if (Stop()) {
            return TWriteResult::wrStopped;
        }
        WriteProfile(p);
        DrainMessageQueue();
    }
    if (!extras_.Info.Empty()) {
        WriteInfo(creationDate);
    }
    WriteTrailer();
    return TWriteResult::wrWritten;
}

} // namespace

std::int64_t FileSizeOf(const std::string& FileName) {
    const TFileHandle file = TFileHandle::OpenForReading(FileName);
    if (!file.Valid()) {
        return 0;
    }
    const std::int64_t size = file.Size();
    return size < 0 ? 0 : size;
}

std::int64_t TotalFileSize(const std::vector<std::string>& Names) {
    std::int64_t total = 0;
    for (const std::string& name : Names) {
        total += FileSizeOf(name);
        DrainMessageQueue();
    }
    return total;
}

void WriteStr(TOutputStream& Stream, std::string_view Text) {
    Stream.Write(Text);
}

std::string PdfNumber(double Value) {
    std::array<char, 40> text{};
    const auto [end, error] =
        std::to_chars(text.data(), text.data() + text.size(), Value, std::chars_format::fixed, 4);
    if (error != std::errc()) {
        throw std::invalid_argument("PdfNumber: no page is that large");
    }
    std::string number(text.data(), end);
    number.erase(number.find_last_not_of('0') + 1);
    if (number.back() == '.') {
        number.pop_back();
    }
    // Rounding may leave a negative zero.
    return number == "-0" ? "0" : number;
}

void WriteContentsObject(TOutputStream& Stream, std::int64_t ObjectNumber,
                         const TPagePlacement& Page) {
    // Built first: its /Length goes before it.
    std::string body = "q\n";
    for (const double entry : Page.Matrix) {
        body += PdfNumber(entry) + " ";
    }
    body += "cm\n/Im0 Do\nQ\n";
    WriteStr(Stream, Number(ObjectNumber) + " 0 obj\n");
    WriteStr(Stream, "<< /Length " + Number(static_cast<std::int64_t>(body.size())) + " >>\n");
    WriteStr(Stream, "stream\n");
    WriteStr(Stream, body);
    WriteStr(Stream, "endstream\n");
    WriteStr(Stream, "endobj\n");
}

void WriteXRef(TOutputStream& Stream, const std::vector<std::int64_t>& Offsets,
               std::int64_t Count) {
    WriteStr(Stream, "xref\n");
    WriteStr(Stream, "0 " + Number(Count + 1) + "\n");
    WriteStr(Stream, "0000000000 65535 f \n");
    for (std::int64_t j = 1; j <= Count; ++j) {
        // Ten digits with leading zeros; the writer refuses offsets that
        // need more.
        std::array<char, 21> entry{};
        const std::int64_t offset = Offsets[static_cast<std::size_t>(j - 1)];
        std::int64_t rest = offset;
        for (int digit = 9; digit >= 0; --digit) {
            entry[static_cast<std::size_t>(digit)] = static_cast<char>('0' + rest % 10);
            rest /= 10;
        }
        const std::string_view tail = " 00000 n \n";
        std::copy(tail.begin(), tail.end(), entry.begin() + 10);
        Stream.Write(entry.data(), 20);
        DrainMessageQueue();
    }
}

TWriteResult WritePdfDocument(TOutputStream& Stream, const std::vector<std::string>& Names,
                              const std::vector<TJpegInfo>& Infos, std::int64_t Total,
                              const TProgressProc& Progress, bool DeleteAfterUse,
                              const TStopTest& StopRequested,
                              const std::vector<TPagePlacement>& Placements,
                              const TPdfExtras& Extras) {
    if (Names.size() != Infos.size() ||
        (!Placements.empty() && Placements.size() != Infos.size()) ||
        (!Extras.PageProfiles.empty() && Extras.PageProfiles.size() != Infos.size())) {
        throw std::invalid_argument(
            "WritePdfDocument: one name (and placement and profile) per page is needed");
    }
    for (const std::int32_t index : Extras.PageProfiles) {
        if (index >= static_cast<std::int64_t>(Extras.Profiles.size())) {
            throw std::invalid_argument(
                "WritePdfDocument: a page names a profile that isn't there");
        }
    }
    TPdfDocumentWriter writer(Stream, Names, Infos, Total, Progress, DeleteAfterUse, StopRequested,
                              Placements, Extras);
    return writer.Write();
}

} // namespace vorpane
