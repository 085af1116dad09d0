#include "pdf/PdfWriter.h"
#include "Errors.h"
#include "TestSupport.h"
#include "io/FileOutputStream.h"

#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/resource.h>
#include <unistd.h>

namespace vorpane {
namespace {

using test::MakeJpegHeader;
using test::RecordReports;
using test::TReport;
using test::TTempDir;
using test::WriteFileBytes;
using namespace std::string_literals;

// Writes a document from the given files into memory.
struct TWriteRun {
    TMemoryOutputStream stream;
    std::vector<TReport> reports;
    TWriteResult result{};

    TWriteRun(const std::vector<std::string>& names, bool deleteAfterUse = false,
              const TStopTest& stop = {}) {
        std::vector<TJpegInfo> infos;
        for (const auto& name : names) {
            TJpegInfo info;
            EXPECT_TRUE(ReadJpegInfo(name, info)) << name;
            infos.push_back(info);
        }
        const std::int64_t total = TotalFileSize(names);
        result = WritePdfDocument(stream, names, infos, total, RecordReports(reports),
                                  deleteAfterUse, stop);
    }
    const std::string& Pdf() const { return stream.Data(); }
};

std::size_t OffsetOf(const std::string& pdf, const std::string& needle) {
    const std::size_t at = pdf.find(needle);
    EXPECT_NE(at, std::string::npos) << needle;
    return at;
}

TEST(PdfWriterLayout, OneRgbPageMatchesTheWorkedExample) {
    TTempDir dir;
    const std::string image = dir.File("a.jpg");
    WriteFileBytes(image, MakeJpegHeader(0xFFC0, 800, 600, 3, 10000));
    TWriteRun run({image});
    const std::string& pdf = run.Pdf();

    ASSERT_EQ(run.result, TWriteResult::wrWritten);
    EXPECT_EQ(pdf.size(), 10762u);
    EXPECT_EQ(OffsetOf(pdf, "1 0 obj\n"), 9u);
    EXPECT_EQ(OffsetOf(pdf, "2 0 obj\n"), 100u);
    EXPECT_EQ(OffsetOf(pdf, "3 0 obj\n"), 159u);
    EXPECT_EQ(OffsetOf(pdf, "4 0 obj\n"), 317u);
    EXPECT_EQ(pdf.rfind("5 0 obj\n"), 10498u);
    EXPECT_EQ(pdf.find("\nxref\n") + 1, 10578u);
    EXPECT_NE(pdf.find("5 0 obj\n<< /Length 31 >>\nstream\nq\n800 0 0 600 0 0 cm\n/Im0 Do\nQ\n"
                       "endstream\nendobj\n"),
              std::string::npos);
    EXPECT_NE(pdf.find("xref\n0 6\n0000000000 65535 f \n0000000009 00000 n \n"
                       "0000000100 00000 n \n0000000159 00000 n \n0000000317 00000 n \n"
                       "0000010498 00000 n \ntrailer\n<<\n/Size 6\n/Root 1 0 R\n>>\n"
                       "startxref\n10578\n%%EOF"),
              std::string::npos);
    EXPECT_EQ(pdf.find('\r'), std::string::npos);
}

TEST(PdfWriterLayout, RgbAndCmykPagesMatchTheWorkedExample) {
    TTempDir dir;
    const std::string first = dir.File("a.jpg");
    const std::string second = dir.File("b.jpg");
    WriteFileBytes(first, MakeJpegHeader(0xFFC0, 800, 600, 3, 10000));
    WriteFileBytes(second, MakeJpegHeader(0xFFC0, 640, 480, 4, 20000));
    TWriteRun run({first, second});
    const std::string& pdf = run.Pdf();

    EXPECT_EQ(pdf.size(), 31273u);
    EXPECT_NE(pdf.find("/Kids [ 3 0 R 4 0 R ]\n/Count 2\n"), std::string::npos);
    EXPECT_NE(pdf.find("3 0 obj\n<<\n/Type /Page\n/Parent 2 0 R\n/Resources\n<<\n"
                       "/XObject << /Im0 5 0 R >>\n/ProcSet [ /PDF /ImageC ]\n>>\n"
                       "/MediaBox [ 0 0 800 600 ]\n/Contents 7 0 R\n>>\nendobj\n"),
              std::string::npos);
    EXPECT_NE(pdf.find("/XObject << /Im0 6 0 R >>"), std::string::npos);
    EXPECT_NE(pdf.find("/Contents 8 0 R"), std::string::npos);
    EXPECT_NE(pdf.find("6 0 obj\n<<\n/Type /XObject\n/Subtype /Image\n/Name /Im0\n/Width 640\n"
                       "/Height 480\n/BitsPerComponent 8\n/Filter [/DCTDecode]\n"
                       "/ColorSpace /DeviceCMYK\n/Decode[1 0 1 0 1 0 1 0]\n/Length 20000 >>\n"
                       "stream\n\xFF\xD8"),
              std::string::npos);
    EXPECT_NE(pdf.find("xref\n0 9\n0000000000 65535 f \n0000000009 00000 n \n0000000100 00000 n \n"
                       "0000000165 00000 n \n0000000323 00000 n \n0000000481 00000 n \n"
                       "0000010662 00000 n \n0000030869 00000 n \n0000030949 00000 n \n"
                       "trailer\n<<\n/Size 9\n/Root 1 0 R\n>>\nstartxref\n31029\n%%EOF"),
              std::string::npos);
}

TEST(PdfWriterLayout, NoPagesGivesTheEmptyDocument) {
    TWriteRun run({});
    EXPECT_EQ(run.Pdf(),
              "%PDF-1.2\n1 0 obj\n<<\n/Type /Catalog\n/Pages 2 0 R\n"
              "/OpenAction [3 0 R /XYZ -32768 -32768 1 ]\n>>\nendobj\n"
              "2 0 obj\n<<\n/Type /Pages\n/Kids [ ]\n/Count 0\n>>\nendobj\n"
              "xref\n0 3\n0000000000 65535 f \n0000000009 00000 n \n0000000100 00000 n \n"
              "trailer\n<<\n/Size 3\n/Root 1 0 R\n>>\nstartxref\n153\n%%EOF");
    EXPECT_TRUE(run.reports.empty());
}

TEST(PdfWriterLayout, ImageBytesAreEmbeddedUnchangedTrailingBytesIncluded) {
    TTempDir dir;
    const std::string image = dir.File("a.jpg");
    const std::string bytes =
        MakeJpegHeader(0xFFC2, 3, 2, 3, 0, "\xFF\xE1\x00\x04\x01\x02"s) + "trailing\xFF\xD8junk";
    WriteFileBytes(image, bytes);
    TWriteRun run({image});
    EXPECT_NE(run.Pdf().find("/Length " + std::to_string(bytes.size()) + " >>\nstream\n" + bytes +
                             "endstream\nendobj\n"),
              std::string::npos);
    EXPECT_EQ(run.Pdf().substr(run.Pdf().size() - 6), "\n%%EOF");
}

TEST(PdfWriterLayout, LengthIsTheSizeWhenTheFileIsOpenedForCopying) {
    TTempDir dir;
    const std::string image = dir.File("a.jpg");
    WriteFileBytes(image, MakeJpegHeader(0xFFC0, 10, 10, 3, 100));
    TJpegInfo info;
    ASSERT_TRUE(ReadJpegInfo(image, info));
    const std::int64_t total = TotalFileSize({image});
    WriteFileBytes(image, MakeJpegHeader(0xFFC0, 10, 10, 3, 150));
    TMemoryOutputStream out;
    std::vector<TReport> reports;
    WritePdfDocument(out, {image}, {info}, total,
                     [&](const std::string& t, std::int64_t a, std::int64_t b) {
                         reports.push_back({t, a, b});
                     },
                     false, {});
    EXPECT_NE(out.Data().find("/Length 150 >>"), std::string::npos);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].total, 100);
    EXPECT_EQ(reports[0].done, 150);
}

TEST(PdfWriterProgress, ReportsEachImageWithTheRunningSum) {
    TTempDir dir;
    const std::vector<std::string> names = {dir.File("a.jpg"), dir.File("b.jpg"),
                                            dir.File("c.jpg")};
    WriteFileBytes(names[0], MakeJpegHeader(0xFFC0, 10, 10, 3, 1000));
    WriteFileBytes(names[1], MakeJpegHeader(0xFFC0, 10, 10, 3, 2500));
    WriteFileBytes(names[2], MakeJpegHeader(0xFFC0, 10, 10, 4, 300));
    TWriteRun run(names);
    ASSERT_EQ(run.reports.size(), 3u);
    const std::int64_t expectedDone[] = {1000, 3500, 3800};
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(run.reports[k].text, names[k]);
        EXPECT_EQ(run.reports[k].total, 3800);
        EXPECT_EQ(run.reports[k].done, expectedDone[k]);
    }
}

// The stop test is asked before every Kids entry and every object of the
// three page loops; answering true at the n-th question ends the document
// right there.
TEST(PdfWriterStop, EachStopPointEndsTheDocumentWhereItIs) {
    TTempDir dir;
    const std::vector<std::string> names = {dir.File("a.jpg"), dir.File("b.jpg")};
    WriteFileBytes(names[0], MakeJpegHeader(0xFFC0, 10, 10, 3, 500));
    WriteFileBytes(names[1], MakeJpegHeader(0xFFC0, 20, 20, 3, 500));
    const TWriteRun full(names);
    struct TCase {
        int question;
        std::string lastText; // what the partial document ends with
        std::size_t reports;
    };
    const TCase cases[] = {
        {1, "/Kids [ ", 0},
        {2, "/Kids [ 3 0 R ", 0},
        {3, "/Count 2\n>>\nendobj\n", 0},
        {4, "/Contents 7 0 R\n>>\nendobj\n", 0},
        {5, "/Contents 8 0 R\n>>\nendobj\n", 0},
        {6, "endstream\nendobj\n", 1},
        {7, "endstream\nendobj\n", 2},
        {8, "Q\nendstream\nendobj\n", 2},
    };
    for (const TCase& c : cases) {
        int asked = 0;
        TWriteRun run(names, false, [&] { return ++asked == c.question; });
        EXPECT_EQ(run.result, TWriteResult::wrStopped) << c.question;
        EXPECT_EQ(asked, c.question);
        const std::string& pdf = run.Pdf();
        EXPECT_EQ(full.Pdf().compare(0, pdf.size(), pdf), 0) << "a prefix of the full document";
        ASSERT_GE(pdf.size(), c.lastText.size());
        EXPECT_EQ(pdf.substr(pdf.size() - c.lastText.size()), c.lastText) << c.question;
        EXPECT_EQ(run.reports.size(), c.reports) << c.question;
    }
    int asked = 0;
    TWriteRun run(names, false, [&] {
        ++asked;
        return false;
    });
    EXPECT_EQ(run.result, TWriteResult::wrWritten);
    EXPECT_EQ(asked, 8);
    EXPECT_EQ(run.Pdf(), full.Pdf());
}

TEST(PdfWriterFiles, DeleteAfterUseRemovesEachFileOnceEmbedded) {
    TTempDir dir;
    const std::vector<std::string> names = {dir.File("0.jpg"), dir.File("1.jpg")};
    for (const auto& name : names) {
        WriteFileBytes(name, MakeJpegHeader(0xFFC0, 10, 10, 3, 200));
    }
    int asked = 0;
    TWriteRun run(names, true, [&] { return ++asked == 6; }); // stop before the second image
    EXPECT_FALSE(std::filesystem::exists(names[0]));
    EXPECT_TRUE(std::filesystem::exists(names[1]));
    TWriteRun rest({names[1]}, true);
    EXPECT_FALSE(std::filesystem::exists(names[1]));
}

TEST(PdfWriterFiles, AnErrorInProgressClosesAndDeletesTheImage) {
    TTempDir dir;
    const std::vector<std::string> names = {dir.File("0.jpg"), dir.File("1.jpg")};
    for (const auto& name : names) {
        WriteFileBytes(name, MakeJpegHeader(0xFFC0, 10, 10, 3, 200));
    }
    std::vector<TJpegInfo> infos(2, TJpegInfo{false, 10, 10});
    TMemoryOutputStream out;
    const auto failing = [](const std::string&, std::int64_t, std::int64_t) {
        throw std::runtime_error("progress failed");
    };
    EXPECT_THROW(WritePdfDocument(out, names, infos, 400, failing, true, {}), std::runtime_error);
    EXPECT_FALSE(std::filesystem::exists(names[0]));
    EXPECT_TRUE(std::filesystem::exists(names[1]));
    EXPECT_THROW(WritePdfDocument(out, {names[1]}, {infos[1]}, 200, failing, false, {}),
                 std::runtime_error);
    EXPECT_TRUE(std::filesystem::exists(names[1])) << "kept without DeleteAfterUse";
}

TEST(PdfWriterFiles, AMissingImageRaisesAFileError) {
    TTempDir dir;
    TMemoryOutputStream out;
    try {
        WritePdfDocument(out, {dir.File("gone.jpg")}, {TJpegInfo{false, 1, 1}}, 0, {}, false, {});
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_NE(std::string(e.what()).find("gone.jpg"), std::string::npos);
    }
}

// A stream that accepts a fixed number of bytes, like a disk that fills up.
class TFullDiskStream : public TOutputStream {
public:
    explicit TFullDiskStream(std::size_t room) : room_(room) {}

protected:
    void DoWrite(const void*, std::size_t size) override {
        if (size > room_) {
            throw EFileError("disk full");
        }
        room_ -= size;
    }

private:
    std::size_t room_;
};

TEST(PdfWriterFiles, EveryWriteIsCheckedTextRowsIncluded) {
    TTempDir dir;
    const std::string image = dir.File("a.jpg");
    WriteFileBytes(image, MakeJpegHeader(0xFFC0, 800, 600, 3, 10000));
    const std::vector<TJpegInfo> infos{TJpegInfo{false, 800, 600}};
    // Room ending inside the header, the catalog, the image data, the xref
    // and the last five bytes.
    for (std::size_t room : {std::size_t{3}, std::size_t{50}, std::size_t{5000}, std::size_t{10600},
                             std::size_t{10758}}) {
        TFullDiskStream out(room);
        EXPECT_THROW(WritePdfDocument(out, {image}, infos, 10000, {}, false, {}), EFileError)
            << room;
    }
    TFullDiskStream enough(10762);
    EXPECT_EQ(WritePdfDocument(enough, {image}, infos, 10000, {}, false, {}),
              TWriteResult::wrWritten);
}

TEST(PdfWriterFiles, ADocumentPastTheCrossReferenceLimitIsRefused) {
    TTempDir dir;
    const std::string image = dir.File("huge.jpg");
    WriteFileBytes(image, MakeJpegHeader(0xFFC0, 800, 600, 3, 100));
    // A sparse file: its size passes the ten-digit limit without using disk.
    ASSERT_EQ(::truncate(image.c_str(), kMaxPdfOffset), 0);
    TMemoryOutputStream out;
    try {
        WritePdfDocument(out, {image}, {TJpegInfo{false, 800, 600}}, 0, {}, false, {});
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_NE(std::string(e.what()).find("9999999999"), std::string::npos) << e.what();
    }
    EXPECT_LT(out.Data().size(), 1000u) << "refused before copying";
}

TEST(PdfWriterFiles, FileStreamWritesTheSameBytesAsMemory) {
    TTempDir dir;
    const std::string image = dir.File("a.jpg");
    WriteFileBytes(image, MakeJpegHeader(0xFFC0, 800, 600, 3, 200000));
    const TWriteRun memory({image});
    const std::string output = dir.File("out.pdf");
    {
        TFileOutputStream file = TFileOutputStream::Create(output);
        WritePdfDocument(file, {image}, {TJpegInfo{false, 800, 600}}, 0, {}, false, {});
        EXPECT_EQ(file.Position(), static_cast<std::int64_t>(memory.Pdf().size()));
        file.Close();
    }
    EXPECT_EQ(test::ReadFileBytes(output), memory.Pdf());
}

// The kernel's copy fails on the output's side too; the message must name
// the output, not the image being copied.
TEST(PdfWriterFiles, AFileSizeLimitIsBlamedOnTheOutput) {
    TTempDir dir;
    const std::string image = dir.File("a.jpg");
    WriteFileBytes(image, MakeJpegHeader(0xFFC0, 800, 600, 3, 300000));
    const std::string output = dir.File("out.pdf");
    TFileOutputStream file = TFileOutputStream::Create(output);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved;
    limit.rlim_cur = 100000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    std::string message;
    try {
        WritePdfDocument(file, {image}, {TJpegInfo{false, 800, 600}}, 0, {}, false, {});
    } catch (const EFileError& e) {
        message = e.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(message, "Cannot write file " + output + ": File too large");
}

struct TInfoCase {
    const char* name;
    std::string bytes;
    bool accepted;
    TJpegInfo info;
};

void PrintTo(const TInfoCase& c, std::ostream* out) {
    *out << c.name;
}

class ReadJpegInfoTable : public ::testing::TestWithParam<TInfoCase> {};

TEST_P(ReadJpegInfoTable, AcceptsOnlyEmbeddableFrames) {
    const TInfoCase& c = GetParam();
    TTempDir dir;
    const std::string path = dir.File("x.jpg");
    WriteFileBytes(path, c.bytes);
    TJpegInfo info;
    EXPECT_EQ(ReadJpegInfo(path, info), c.accepted);
    if (c.accepted) {
        EXPECT_EQ(info.Width, c.info.Width);
        EXPECT_EQ(info.Height, c.info.Height);
        EXPECT_EQ(info.IsCMYK, c.info.IsCMYK);
    }
}

std::string Truncated(const std::string& bytes, std::size_t size) {
    return bytes.substr(0, size);
}

// The bytes with `insert` put in before the start of the scan.
std::string BeforeScan(const std::string& bytes, const std::string& insert) {
    const std::size_t scan = bytes.find("\xFF\xDA"s);
    return bytes.substr(0, scan) + insert + bytes.substr(scan);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, ReadJpegInfoTable,
    ::testing::Values(
        TInfoCase{"baseline_rgb", MakeJpegHeader(0xFFC0, 800, 600, 3), true, {false, 800, 600}},
        TInfoCase{"progressive", MakeJpegHeader(0xFFC2, 17, 9, 3), true, {false, 17, 9}},
        TInfoCase{"cmyk", MakeJpegHeader(0xFFC0, 640, 480, 4), true, {true, 640, 480}},
        TInfoCase{"precision_12", MakeJpegHeader(0xFFC0, 5, 6, 3, 0, "", 12), true, {false, 5, 6}},
        TInfoCase{
            "largest_size", MakeJpegHeader(0xFFC0, 65535, 65535, 3), true, {false, 65535, 65535}},
        TInfoCase{"after_app_segments",
                  MakeJpegHeader(0xFFC2, 2, 3, 3, 0, "\xFF\xE0\x00\x04\xAA\xBB\xFF\xFE\x00\x02"s),
                  true,
                  {false, 2, 3}},
        // A segment length of 0 or 1 moves the position back onto the length
        // field, which is then read as the next marker.
        TInfoCase{"length_0_steps_back",
                  MakeJpegHeader(0xFFC0, 4, 5, 3, 0, "\xFF\xE0\x00\x00\x00\x02"s),
                  true,
                  {false, 4, 5}},
        TInfoCase{"length_1_steps_back",
                  MakeJpegHeader(0xFFC0, 4, 5, 3, 0, "\xFF\xE0\x00\x01\x00\x00\x02"s),
                  true,
                  {false, 4, 5}},
        TInfoCase{"tables_and_fill_bytes_before_the_scan",
                  BeforeScan(MakeJpegHeader(0xFFC0, 8, 8, 3), "\xFF\xDB\x00\x03\x00\xFF\xFF"s),
                  true,
                  {false, 8, 8}},
        TInfoCase{"grey", MakeJpegHeader(0xFFC0, 8, 8, 1), false, {}},
        TInfoCase{"width_0", MakeJpegHeader(0xFFC0, 0, 8, 3), false, {}},
        TInfoCase{"height_0", MakeJpegHeader(0xFFC2, 8, 0, 3), false, {}},
        TInfoCase{"no_scan", MakeJpegHeader(0xFFC0, 8, 8, 3).substr(0, 21) + "\xFF\xD9", false, {}},
        TInfoCase{
            "cut_short_before_the_scan", MakeJpegHeader(0xFFC0, 8, 8, 3).substr(0, 21), false, {}},
        TInfoCase{"two_components", MakeJpegHeader(0xFFC0, 8, 8, 2), false, {}},
        TInfoCase{"extended_sof1_only", MakeJpegHeader(0xFFC1, 8, 8, 3), false, {}},
        TInfoCase{"lossless_sof3_only", MakeJpegHeader(0xFFC3, 8, 8, 3), false, {}},
        TInfoCase{"fill_byte_before_marker", MakeJpegHeader(0xFFC0, 8, 8, 3, 0, "\xFF"), false, {}},
        TInfoCase{
            "end_of_image_first", "\xFF\xD8\xFF\xD9" + MakeJpegHeader(0xFFC0, 8, 8, 3), false, {}},
        TInfoCase{"truncated_in_frame", Truncated(MakeJpegHeader(0xFFC0, 8, 8, 3), 8), false, {}},
        TInfoCase{"truncated_before_frame", "\xFF\xD8\xFF\xE0\x00\x10"s, false, {}},
        TInfoCase{"not_a_jpeg", "GIF89a", false, {}}, TInfoCase{"empty", "", false, {}}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(ReadJpegInfo, MissingFilesAndFoldersAreRejected) {
    TTempDir dir;
    TJpegInfo info;
    EXPECT_FALSE(ReadJpegInfo(dir.File("missing.jpg"), info));
    EXPECT_FALSE(ReadJpegInfo(dir.Path().string(), info));
    EXPECT_EQ(FileSizeOf(dir.File("missing.jpg")), 0);
    EXPECT_EQ(FileSizeOf(dir.Path().string()), 0);
}

TEST(ReadJpegInfo, AFifoNeitherHangsNorPasses) {
    TTempDir dir;
    const std::string fifo = dir.File("pipe.jpg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    TJpegInfo info;
    EXPECT_FALSE(ReadJpegInfo(fifo, info));
    EXPECT_EQ(FileSizeOf(fifo), 0);
}

TEST(ReadJpegInfo, RealPhotographs) {
    struct TPhoto {
        const char* file;
        bool accepted;
        TJpegInfo info;
    };
    const TPhoto photos[] = {
        {"ijg_testorig.jpg", true, {false, 227, 149}},
        {"jd_non_interleaved_mcu_prog.jpg", true, {false, 64, 16}},
        {"pil_sample_cmyk_ycck.jpg", true, {true, 100, 100}},
        {"pil_hopper_gray.jpg", false, {}},
        {"ijg_testorig12.jpg", false, {}}, // 12-bit: an extended SOF1 frame
    };
    for (const TPhoto& photo : photos) {
        TJpegInfo info;
        EXPECT_EQ(ReadJpegInfo(test::DataFile(photo.file), info), photo.accepted) << photo.file;
        if (photo.accepted) {
            EXPECT_EQ(info.Width, photo.info.Width) << photo.file;
            EXPECT_EQ(info.Height, photo.info.Height) << photo.file;
            EXPECT_EQ(info.IsCMYK, photo.info.IsCMYK) << photo.file;
        }
    }
}

// The scan hands over the Exif segment and the pieces of a profile also
// when they follow the frame header, and tells a file cut short.
TEST(CheckJpegFile, HandsOverSegmentsAfterTheFrameAndFindsTheEnd) {
    TTempDir dir;
    const std::string exif = "Exif\0\0MM\0\x2A"s;
    const std::string profile = test::ReadFileBytes(test::DataFile("icc_compatible_adobe_rgb.icc"));
    std::string app1 = "\xFF\xE1\x00"s + static_cast<char>(exif.size() + 2) + exif;
    const std::string jpeg =
        BeforeScan(test::WithIccProfile(MakeJpegHeader(0xFFC0, 8, 8, 3, 100), profile, 3), app1);
    // The profile's segments stand before the frame here; after it too.
    const std::string frameFirst =
        BeforeScan(MakeJpegHeader(0xFFC0, 8, 8, 3, 100),
                   test::WithIccProfile("\xFF\xD8"s, profile, 2).substr(2) + app1);
    for (const std::string& bytes : {jpeg, frameFirst}) {
        WriteFileBytes(dir.File("a.jpg"), bytes);
        TJpegInfo info;
        TJpegExtras extras;
        extras.WantExif = extras.WantIccProfile = extras.WantData = true;
        ASSERT_EQ(CheckJpegFile(dir.File("a.jpg"), info, &extras), TJpegCheck::jcEmbeddable);
        EXPECT_EQ(std::string(extras.Exif.begin(), extras.Exif.end()), exif);
        EXPECT_EQ(std::string(extras.IccProfile.begin(), extras.IccProfile.end()), profile);
        EXPECT_NE(extras.Data, TJpegData::jdNoEnd);
        WriteFileBytes(dir.File("a.jpg"), bytes.substr(0, bytes.size() - 1));
        ASSERT_EQ(CheckJpegFile(dir.File("a.jpg"), info, &extras), TJpegCheck::jcEmbeddable);
        EXPECT_EQ(extras.Data, TJpegData::jdNoEnd);
    }
}

// The document's properties come after the fixed objects (the worked
// example's 5, here 6) and the trailer names them; all before is the
// default document's, byte for byte.
TEST(PdfWriterLayout, DocumentPropertiesFollowTheFixedObjects) {
    TTempDir dir;
    const std::string image = dir.File("a.jpg");
    WriteFileBytes(image, MakeJpegHeader(0xFFC0, 800, 600, 3, 10000));
    TJpegInfo info;
    ASSERT_TRUE(ReadJpegInfo(image, info));
    TPdfDocumentParams document;
    document.Names = {image};
    document.Infos = {info};
    document.Total = 10000;
    document.Extras.Info.Title = "Album (1) \\ 2026";
    document.Extras.Info.CreationDate = "2026-12-08T21:30:00Z";
    TMemoryOutputStream stream;
    ASSERT_EQ(WritePdfDocument(stream, document), TWriteResult::wrWritten);
    const std::string& pdf = stream.Data();
    EXPECT_EQ(pdf.substr(0, 10578), TWriteRun({image}).Pdf().substr(0, 10578));
    EXPECT_EQ(pdf.substr(10578),
              "6 0 obj\n<<\n/Title (Album \\(1\\) \\\\ 2026)\n/CreationDate (D:20261208213000Z)\n"
              ">>\nendobj\nxref\n0 7\n0000000000 65535 f \n0000000009 00000 n \n"
              "0000000100 00000 n \n0000000159 00000 n \n0000000317 00000 n \n"
              "0000010498 00000 n \n0000010578 00000 n \ntrailer\n<<\n/Size 7\n/Root 1 0 R\n"
              "/Info 6 0 R\n>>\nstartxref\n10662\n%%EOF");
    document.Extras.Info.CreationDate = "yesterday";
    EXPECT_THROW(WritePdfDocument(stream, document), std::invalid_argument);
}

TEST(PdfWriterLayout, TextStringsAndDates) {
    EXPECT_EQ(PdfTextString("a(b)\\c\td"), "(a\\(b\\)\\\\c\\011d)");
    // UTF-16BE after a byte order mark, every byte outside ASCII escaped: é
    // and a character beyond the first plane (a surrogate pair); a stray
    // byte stands for U+FFFD.
    EXPECT_EQ(PdfTextString("\xC3\xA9(\xF0\x9F\x98\x80\xFF"),
              "(\\376\\377\\000\\351\\000\\(\\330=\\336\\000\\377\\375)");
    const std::pair<const char*, const char*> dates[] = {
        {"2026-12-08", "D:20261208000000"},
        {"2026-12-08T21:30", "D:20261208213000"},
        {"2026-12-08 21:30:59.25+01:00", "D:20261208213059+01'00'"},
        {"2024-02-29T00:00:00-0530", "D:20240229000000-05'30'"},
        {"2026-12-08T21:30:00Z", "D:20261208213000Z"},
        {"2026-02-29", nullptr},
        // Leap years: every fourth, but not a century unless it divides by 400.
        {"2000-02-29", "D:20000229000000"},
        {"2100-02-29", nullptr},
        {"1900-02-29", nullptr},
        {"2026-13-01", nullptr},
        {"2026-12-08T24:00", nullptr},
        {"2026-12-08T21:30:00+1", nullptr},
        {"08/12/2026", nullptr},
        {"", nullptr},
    };
    for (const auto& [iso, pdf] : dates) {
        const std::optional<std::string> date = PdfDate(iso);
        EXPECT_EQ(date.has_value(), pdf != nullptr) << iso;
        if (date && pdf) {
            EXPECT_EQ(*date, pdf) << iso;
        }
    }
}

// "now" is the local time with its offset from UTC, east and west of it
// (POSIX zones count the other way: XST-5:30 is 5:30 ahead of UTC).
TEST(PdfWriterLayout, NowCarriesTheLocalOffsetEastAndWestOfUtc) {
    const struct {
        const char* zone;
        long aheadSeconds;
        const char* offset;
    } zones[] = {{"XST-5:30", 5 * 3600 + 1800, "+05'30'"},
                 {"YST+3:30", -(3 * 3600 + 1800), "-03'30'"},
                 {"UTC0", 0, "Z"}};
    for (const auto& z : zones) {
        const test::TTimeZone zone(z.zone);
        // The clock may tick between the reading and the call.
        std::set<std::string> expected;
        const std::time_t before = std::time(nullptr);
        const std::optional<std::string> now = PdfDate("now");
        const std::time_t after = std::time(nullptr);
        for (std::time_t t = before; t <= after; ++t) {
            const std::time_t local = t + z.aheadSeconds;
            std::tm clock{};
            ::gmtime_r(&local, &clock);
            char text[32];
            std::strftime(text, sizeof text, "D:%Y%m%d%H%M%S", &clock);
            expected.insert(text + std::string(z.offset));
        }
        ASSERT_TRUE(now.has_value()) << z.zone;
        EXPECT_TRUE(expected.contains(*now)) << z.zone << ": " << *now;
    }
}

} // namespace
} // namespace vorpane
