#include "pdf/PdfWriter.h"

#include "Errors.h"
#include "FileHandle.h"
#include "MessageQueue.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <unistd.h>

namespace vorpane {

namespace {

std::string Number(std::int64_t value) {
    std::array<char, 24> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
    return std::string(text.data(), end);
}

// The kinds of object a document holds; okKinds counts them.
enum class TObjectKind {
    okCatalog,
    okPageTree,
    okPage,
    okImage,
    okContents,
    okProfile,
    okInfo,
    okSoftMask,
    okKinds
};

// The object numbers of one document, computed once: each kind of object
// takes a run of numbers after the kind in the row before it, as many as
// the document has of it. The rows give the fixed layout's numbering (and,
// in the same order, the order the objects are written); a new kind of
// object is a new row, and the numbers of the kinds after it follow.
class TObjectNumbers {
public:
    TObjectNumbers(std::int64_t pages, std::int64_t profiles, bool info, std::int64_t masks) {
        const std::pair<TObjectKind, std::int64_t> rows[] = {
            {TObjectKind::okCatalog, 1},         {TObjectKind::okPageTree, 1},
            {TObjectKind::okPage, pages},        {TObjectKind::okImage, pages},
            {TObjectKind::okContents, pages},    {TObjectKind::okProfile, profiles},
            {TObjectKind::okInfo, info ? 1 : 0}, {TObjectKind::okSoftMask, masks},
        };
        std::int64_t next = 1;
        for (const auto& [kind, count] : rows) {
            first_[Index(kind)] = next;
            count_[Index(kind)] = count;
            next += count;
        }
        last_ = next - 1;
    }

    // The number of the kind's first object, also when the document has
    // none of it (the number it would have).
    std::int64_t First(TObjectKind kind) const { return first_[Index(kind)]; }
    // The number of the kind's object Index (from 0).
    std::int64_t Of(TObjectKind kind, std::int64_t index) const {
        if (index < 0 || index >= count_[Index(kind)]) {
            throw std::logic_error("PdfWriter: no such object");
        }
        return first_[Index(kind)] + index;
    }
    // The highest object number; the objects are 1 to Last().
    std::int64_t Last() const { return last_; }

private:
    static std::size_t Index(TObjectKind kind) { return static_cast<std::size_t>(kind); }
    static constexpr auto kKinds = static_cast<std::size_t>(TObjectKind::okKinds);
    std::array<std::int64_t, kKinds> first_{};
    std::array<std::int64_t, kKinds> count_{};
    std::int64_t last_ = 0;
};

// The state of one document being written: its object numbers and the
// offset of each object, filed under its number.
class TPdfDocumentWriter {
public:
    TPdfDocumentWriter(TOutputStream& stream, const TPdfDocumentParams& params)
        : stream_(stream), names_(params.Names), infos_(params.Infos), total_(params.Total),
          progress_(params.Progress), deleteAfterUse_(params.DeleteAfterUse),
          stopRequested_(params.StopRequested), placements_(params.Placements),
          extras_(params.Extras), pages_(static_cast<std::int64_t>(infos_.size())),
          profiles_(static_cast<std::int64_t>(extras_.Profiles.size())),
          softMasks_(params.SoftMasks), masks_(CountMasks(params.SoftMasks)),
          numbers_(pages_, profiles_, !extras_.Info.Empty(), masks_),
          offsets_(static_cast<std::size_t>(numbers_.Last() + 1), 0) {}

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

    std::int64_t Object(TObjectKind kind, std::int64_t index = 0) const {
        return numbers_.Of(kind, index);
    }
    // Files the offset of object Number, about to be written, under its
    // number; each object is written once.
    void FileOffset(std::int64_t number) {
        const std::int64_t position = stream_.Position();
        CheckOffset(position);
        std::int64_t& offset = offsets_.at(static_cast<std::size_t>(number));
        if (number == 0 || offset != 0) {
            throw std::logic_error("PdfWriter: object " + Number(number) + " written twice");
        }
        offset = position;
    }
    static void CheckOffset(std::int64_t position);
    void BeginObject(std::int64_t number) {
        FileOffset(number);
        Put(number);
        Put(" 0 obj\n");
    }
    void EndObject() { Put("endobj\n"); }

    void WriteCatalog();
    TWriteResult WritePageTree();
    void WritePage(std::int64_t k);
    void WriteImage(std::int64_t k);
    void CopyImageData(std::int64_t k);
    // The stream of a file: its /Length, the bytes, endstream. Progress is
    // told of an image's.
    void CopyFileData(const std::string& name, bool image);
    void WriteSoftMask(std::int64_t k, std::int64_t m);
    static std::int64_t CountMasks(const std::vector<std::string>& masks) {
        return std::count_if(masks.begin(), masks.end(),
                             [](const std::string& mask) { return !mask.empty(); });
    }
    bool HasMask(std::int64_t k) const {
        return !softMasks_.empty() && !softMasks_[static_cast<std::size_t>(k)].empty();
    }
    void WriteProfile(std::int64_t p);
    void WriteInfo(const std::string& creationDate);
    void WriteTrailer();
    // The object number of the page's profile, 0 for none.
    std::int64_t ProfileObject(std::int64_t k) const {
        const std::int32_t index =
            extras_.PageProfiles.empty() ? -1 : extras_.PageProfiles[static_cast<std::size_t>(k)];
        return index < 0 ? 0 : Object(TObjectKind::okProfile, index);
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
    const std::vector<std::string>& softMasks_;
    const std::int64_t masks_;
    // The soft mask of each page, by its number among the masks.
    std::int64_t nextMask_ = 0;
    const TObjectNumbers numbers_;
    // By object number; [0] is the free list's head, never filed.
    std::vector<std::int64_t> offsets_;
    std::int64_t done_ = 0;
};

void TPdfDocumentWriter::CheckOffset(std::int64_t position) {
    if (position > kMaxPdfOffset) {
        throw EFileError("The PDF document would be larger than " + Number(kMaxPdfOffset) +
                         " bytes, more than its cross-reference table can describe");
    }
}

void TPdfDocumentWriter::WriteCatalog() {
    BeginObject(Object(TObjectKind::okCatalog));
    Put("<<\n");
    Put("/Type /Catalog\n");
    Put("/Pages ");
    Put(Object(TObjectKind::okPageTree));
    Put(" 0 R\n");
    // The first page's number even in a document without pages.
    Put("/OpenAction [");
    Put(numbers_.First(TObjectKind::okPage));
    Put(" 0 R /XYZ -32768 -32768 1 ]\n");
    Put(">>\n");
    EndObject();
}

TWriteResult TPdfDocumentWriter::WritePageTree() {
    BeginObject(Object(TObjectKind::okPageTree));
    Put("<<\n");
    Put("/Type /Pages\n");
    Put("/Kids [ ");
    for (std::int64_t k = 0; k < pages_; ++k) {
        if (Stop()) {
            return TWriteResult::wrStopped;
        }
        Put(Object(TObjectKind::okPage, k));
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
    BeginObject(Object(TObjectKind::okPage, k));
    Put("<<\n");
    Put("/Type /Page\n");
    Put("/Parent ");
    Put(Object(TObjectKind::okPageTree));
    Put(" 0 R\n");
    Put("/Resources\n");
    Put("<<\n");
    Put("/XObject << /Im0 ");
    Put(Object(TObjectKind::okImage, k));
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
    Put(Object(TObjectKind::okContents, k));
    Put(" 0 R\n");
    Put(">>\n");
    EndObject();
}

void TPdfDocumentWriter::WriteImage(std::int64_t k) {
    const TJpegInfo& info = infos_[static_cast<std::size_t>(k)];
    BeginObject(Object(TObjectKind::okImage, k));
    Put("<<\n");
    Put("/Type /XObject\n");
    Put("/Subtype /Image\n");
    Put("/Name /Im0\n");
    Put("/Width ");
    Put(info.Width);
    Put("\n/Height ");
    Put(info.Height);
    Put("\n");
    Put("/BitsPerComponent ");
    Put(info.BitsPerComponent);
    Put("\n");
    Put(info.IsFlate ? "/Filter [/FlateDecode]\n" : "/Filter [/DCTDecode]\n");
    if (info.PngPredictors) {
        Put("/DecodeParms [<< /Predictor 15 /Colors ");
        Put(info.IsGrey || !info.Palette.empty() ? 1 : 3);
        Put(" /BitsPerComponent ");
        Put(info.BitsPerComponent);
        Put(" /Columns ");
        Put(info.Width);
        Put(" >>]\n");
    }
    const std::int64_t profile = ProfileObject(k);
    if (!info.Palette.empty()) {
        // The palette's colours, three bytes each, in hexadecimal.
        static constexpr char kHex[] = "0123456789ABCDEF";
        std::string colours;
        for (const std::uint8_t byte : info.Palette) {
            colours += kHex[byte >> 4];
            colours += kHex[byte & 15];
        }
        Put("/ColorSpace [/Indexed ");
        if (profile != 0) {
            Put("[/ICCBased ");
            Put(profile);
            Put(" 0 R]");
        } else {
            Put("/DeviceRGB");
        }
        Put(" ");
        Put(static_cast<std::int64_t>(info.Palette.size() / 3) - 1);
        Put(" <");
        Put(colours);
        Put(">]\n");
    } else if (profile != 0) {
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
    if (HasMask(k)) {
        Put("/SMask ");
        Put(Object(TObjectKind::okSoftMask, nextMask_++));
        Put(" 0 R\n");
    }
    CopyImageData(k);
    Put("endstream\n");
    EndObject();
}

void TPdfDocumentWriter::CopyImageData(std::int64_t k) {
    CopyFileData(names_[static_cast<std::size_t>(k)], true);
}

void TPdfDocumentWriter::WriteSoftMask(std::int64_t k, std::int64_t m) {
    const TJpegInfo& info = infos_[static_cast<std::size_t>(k)];
    BeginObject(Object(TObjectKind::okSoftMask, m));
    Put("<<\n");
    Put("/Type /XObject\n");
    Put("/Subtype /Image\n");
    Put("/Width ");
    Put(info.Width);
    Put("\n/Height ");
    Put(info.Height);
    Put("\n");
    Put("/ColorSpace /DeviceGray\n");
    Put("/BitsPerComponent 8\n");
    Put("/Filter [/FlateDecode]\n");
    CopyFileData(softMasks_[static_cast<std::size_t>(k)], false);
    Put("endstream\n");
    EndObject();
}

void TPdfDocumentWriter::CopyFileData(const std::string& name, bool image) {
    TFileHandle file = TFileHandle::OpenForReading(name);
    if (!file.Valid()) {
        throw CannotOpenFile(name, errno);
    }
    // From here on the file is open: whatever leaves, it is closed (by the
    // handle) and, when asked, deleted.
    try {
        // The length is the size now, not the size measured before writing.
        const std::int64_t length = file.Size();
        if (length < 0) {
            throw FileError("Cannot read file", name, errno);
        }
        CheckOffset(stream_.Position() + length);
        Put("/Length ");
        Put(length);
        Put(" >>\n");
        Put("stream\n");
        stream_.CopyFrom(file, name, length);
        done_ += image ? length : 0;
        if (image && progress_) {
            progress_(name, total_, done_);
        }
    } catch (...) { // closed and, when asked, deleted; then on its way
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
    BeginObject(Object(TObjectKind::okProfile, p));
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
    BeginObject(Object(TObjectKind::okInfo));
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
    const std::int64_t last = numbers_.Last();
    // A number without its object would make the table point at byte 0.
    for (std::int64_t number = 1; number <= last; ++number) {
        if (offsets_[static_cast<std::size_t>(number)] == 0) {
            throw std::logic_error("PdfWriter: object " + Number(number) + " not written");
        }
    }
    const std::int64_t xref = stream_.Position();
    CheckOffset(xref);
    WriteXRef(stream_, std::span(offsets_).subspan(1), last);
    Put("trailer\n");
    Put("<<\n");
    Put("/Size ");
    Put(last + 1);
    Put("\n");
    Put("/Root ");
    Put(Object(TObjectKind::okCatalog));
    Put(" 0 R\n");
    if (!extras_.Info.Empty()) {
        Put("/Info ");
        Put(Object(TObjectKind::okInfo));
        Put(" 0 R\n");
    }
    Put(">>\n");
    Put("startxref\n");
    Put(xref);
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
    Put(masks_ > 0 ? "%PDF-1.4\n" : profiles_ > 0 ? "%PDF-1.3\n" : "%PDF-1.2\n");
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
        const std::int64_t contents = Object(TObjectKind::okContents, k);
        FileOffset(contents);
        WriteContentsObject(stream_, contents, Placement(k));
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
    for (std::int64_t k = 0, m = 0; k < pages_; ++k) {
        if (HasMask(k)) {
            if (Stop()) {
                return TWriteResult::wrStopped;
            }
            WriteSoftMask(k, m++);
            DrainMessageQueue();
        }
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

void WriteXRef(TOutputStream& Stream, std::span<const std::int64_t> Offsets, std::int64_t Count) {
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

TWriteResult WritePdfDocument(TOutputStream& Stream, const TPdfDocumentParams& Params) {
    const std::size_t pages = Params.Infos.size();
    const TPdfExtras& extras = Params.Extras;
    if (Params.Names.size() != pages ||
        (!Params.Placements.empty() && Params.Placements.size() != pages) ||
        (!extras.PageProfiles.empty() && extras.PageProfiles.size() != pages) ||
        (!Params.SoftMasks.empty() && Params.SoftMasks.size() != pages)) {
        throw std::invalid_argument(
            "WritePdfDocument: one name (and placement and profile) per page is needed");
    }
    for (const std::int32_t index : extras.PageProfiles) {
        if (index >= static_cast<std::int64_t>(extras.Profiles.size())) {
            throw std::invalid_argument(
                "WritePdfDocument: a page names a profile that isn't there");
        }
    }
    TPdfDocumentWriter writer(Stream, Params);
    return writer.Write();
}

TWriteResult WritePdfDocument(TOutputStream& Stream, const std::vector<std::string>& Names,
                              const std::vector<TJpegInfo>& Infos, std::int64_t Total,
                              const TProgressProc& Progress, bool DeleteAfterUse,
                              const TStopTest& StopRequested,
                              const std::vector<TPagePlacement>& Placements,
                              const TPdfExtras& Extras) {
    return WritePdfDocument(Stream, {.Names = Names,
                                     .Infos = Infos,
                                     .Total = Total,
                                     .Progress = Progress,
                                     .DeleteAfterUse = DeleteAfterUse,
                                     .StopRequested = StopRequested,
                                     .Placements = Placements,
                                     .Extras = Extras,
                                     .SoftMasks = {}});
}

} // namespace vorpane
