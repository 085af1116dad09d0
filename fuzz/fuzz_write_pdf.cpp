// The PDF writer on lists of up to eight small files: real JPEGs from
// tests/data, the same with a few header bytes changed or cut short, and
// arbitrary bytes. The embeddable ones are written with WritePdfDocument and the document's
// cross-reference table is checked against its objects; the whole list then goes through
// ConversionRun, which must give that same document byte for byte when every file is embeddable,
// and otherwise no document and the old output file untouched.
//
// With VORPANE_FUZZ_PDF_DIR set, a sample of the documents is saved there
// for fuzz/check_pdfs.sh, which has an outside reader (qpdf --check) read them.
#include "FuzzSupport.h"

#include "io/FileOutputStream.h"
#include "pdf/PageLayout.h"
#include "pdf/PdfWriter.h"
#include "prepare/OtherPictures.h"
#include "run/ConversionRun.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace vorpane;

const std::vector<std::string>& RealFiles() {
    static const std::vector<std::string> files = [] {
        std::vector<std::string> bytes;
        for (const char* name :
             {"ijg_testorig.jpg", "jd_non_interleaved_mcu_prog.jpg", "pil_sample_cmyk_ycck.jpg",
              "pil_hopper_gray.jpg", "bad_pil_truncated_prog.jpg", "ijg_testorig12.jpg",
              "bad_fuzz_max_size_65535.jpg"}) {
            bytes.push_back(fuzz::TestDataFile(name));
        }
        return bytes;
    }();
    return files;
}

std::string MakeFile(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange<int>(0, 2)) {
    case 0:
        return RealFiles()[input.ConsumeIntegralInRange<std::size_t>(0, RealFiles().size() - 1)];
    case 1: {
        std::string bytes =
            RealFiles()[input.ConsumeIntegralInRange<std::size_t>(0, RealFiles().size() - 1)];
        for (int n = input.ConsumeIntegralInRange<int>(0, 4); n > 0; --n) {
            const auto at = input.ConsumeIntegralInRange<std::size_t>(0, 255) % bytes.size();
            bytes[at] = static_cast<char>(input.ConsumeIntegral<std::uint8_t>());
        }
        bytes.resize(std::min(bytes.size(), input.ConsumeIntegralInRange<std::size_t>(
                                                0, bytes.size() + bytes.size() / 2)));
        return bytes;
    }
    default:
        return input.ConsumeRandomLengthString(2048);
    }
}

std::int64_t NumberAt(const std::string& text, std::size_t at) {
    std::int64_t value = -1;
    std::from_chars(text.data() + std::min(at, text.size()), text.data() + text.size(), value);
    return value;
}

// The cross-reference table must point at every object, in order, and the
// document must end where its trailer says.
void CheckStructure(const std::string& pdf, std::size_t pages) {
    const std::size_t objects = 3 * pages + 2;
    const std::string tail = "%%EOF";
    if (pdf.size() < tail.size() || pdf.compare(pdf.size() - tail.size(), tail.size(), tail) != 0) {
        fuzz::Fail("the document does not end with %%EOF");
    }
    const std::size_t startxref = pdf.rfind("startxref\n");
    const std::int64_t xref = NumberAt(pdf, startxref + 10);
    if (startxref == std::string::npos || xref < 0 ||
        pdf.compare(static_cast<std::size_t>(xref), 5, "xref\n") != 0) {
        fuzz::Fail("startxref does not point at the cross-reference table");
    }
    const std::string subsection = "xref\n0 " + std::to_string(objects + 1) + "\n";
    if (pdf.compare(static_cast<std::size_t>(xref), subsection.size(), subsection) != 0) {
        fuzz::Fail("the cross-reference table does not cover " + std::to_string(objects) +
                   " objects");
    }
    std::size_t entry = static_cast<std::size_t>(xref) + subsection.size() + 20;
    for (std::size_t j = 1; j <= objects; ++j, entry += 20) {
        const std::int64_t offset = NumberAt(pdf, entry);
        const std::string header = std::to_string(j) + " 0 obj\n";
        if (offset < 0 ||
            pdf.compare(static_cast<std::size_t>(offset), header.size(), header) != 0) {
            fuzz::Fail("cross-reference entry " + std::to_string(j) + " misses its object");
        }
    }
}

void SaveSample(const std::string& pdf) {
    static const char* folder = std::getenv("VORPANE_FUZZ_PDF_DIR");
    static int documents = 0;
    static int saved = 0;
    // Every 16th document, up to 500: a spread over the run for the reader.
    if (folder == nullptr || documents++ % 16 != 0 || saved >= 500) {
        return;
    }
    const std::string name = std::string(folder) + "/" + std::to_string(::getpid()) + "-" +
                             std::to_string(saved++) + ".pdf";
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (file != nullptr) {
        std::fwrite(pdf.data(), 1, pdf.size(), file);
        std::fclose(file);
    }
}

std::string ReadAll(const std::string& path) {
    std::string bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return bytes;
    }
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.append(buffer, got);
    }
    std::fclose(file);
    return bytes;
}

std::size_t FilesIn(const std::string& folder) {
    const std::filesystem::directory_iterator entries(folder);
    return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::TScratchFolder& scratch = fuzz::TScratchFolder::Get();
    FuzzedDataProvider input(data, size);
    std::vector<std::string> names;
    std::vector<std::string> embeddable;
    std::vector<TJpegInfo> infos;
    std::string firstRefused;
    for (int k = input.ConsumeIntegralInRange<int>(0, 8); k > 0; --k) {
        const std::string name =
            scratch.Write("image" + std::to_string(names.size()) + ".jpg", MakeFile(input));
        names.push_back(name);
        TJpegInfo info;
        if (ReadJpegInfo(name, info)) {
            embeddable.push_back(name);
            infos.push_back(info);
        } else if (firstRefused.empty()) {
            firstRefused = name;
        }
    }

    const std::int64_t total = TotalFileSize(embeddable);
    std::int64_t lastDone = 0;
    std::size_t reports = 0;
    // Into a file, as the run writes: the image data then goes through the
    // kernel's copy, as it does there.
    TFileOutputStream stream = TFileOutputStream::Create(scratch.File("document.pdf"));
    const TWriteResult written = WritePdfDocument(
        stream, embeddable, infos, total,
        [&](const std::string& text, std::int64_t reportTotal, std::int64_t done) {
            if (text != embeddable.at(reports) || reportTotal != total || done < lastDone) {
                fuzz::Fail("progress report out of order");
            }
            lastDone = done;
            ++reports;
        },
        false, [] { return false; });
    if (written != TWriteResult::wrWritten || reports != embeddable.size() || lastDone != total) {
        fuzz::Fail("the document was not written whole");
    }
    stream.Close();
    const std::string document = ReadAll(scratch.File("document.pdf"));
    CheckStructure(document, embeddable.size());
    SaveSample(document);

    // The same list through the run, into a folder holding an old document.
    static const std::string outFolder = [&] {
        const std::string folder = scratch.File("out");
        ::mkdir(folder.c_str(), 0700);
        return folder;
    }();
    const std::string output = outFolder + "/out.pdf";
    scratch.Write("out/out.pdf", "old");
    if (names.empty()) {
        return 0; // the run refuses an empty list before anything else
    }
    // A file whose bytes are a picture of another kind (a PNG named .jpg)
    // takes the decoders' road in the run, which fuzz_load_picture covers;
    // the writer's document is the oracle only for lists of JPEG bytes.
    if (std::any_of(names.begin(), names.end(), IsOtherPicture)) {
        return 0;
    }
    TRunReport report;
    const std::int32_t result = ConversionRun(names, output, nullptr, TRunOptions{}, &report);
    const std::string after = ReadAll(output);
    if (firstRefused.empty()) {
        // A picture longer than a PDF reader draws gets a page made smaller
        // by the run (and a note in its report); the writer alone, given no
        // placements, draws every page one unit a pixel.
        const bool reduced = std::any_of(infos.begin(), infos.end(), [](const TJpegInfo& info) {
            return std::max(info.Width, info.Height) > kMaxPageSide;
        });
        if (result != rcDone || (reduced ? report.Reduced.empty() : after != document)) {
            fuzz::Fail("the run's document differs from the writer's");
        }
    } else if (result != rcNoFiles || report.FailedFile != firstRefused || after != "old") {
        fuzz::Fail("a list with a file that can't be embedded was not refused cleanly");
    }
    if (FilesIn(outFolder) != 1) {
        fuzz::Fail("a stray file stayed beside the output");
    }
    return 0;
}
