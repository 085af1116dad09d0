// The options panel and the Convert and Stop commands: the spin buttons'
// repeat, the size mode, the progress strip, and whole conversions driven
// through the window as a person would, the PDFs checked by outside readers.
#include "UiTestSupport.h"

#include "OutcomeMessage.h"
#include "PageOptionsDialog.h"
#include "PathName.h"
#include "WholeNumber.h"
#include "prepare/JpegUtils.h"
#include "run/ConversionRun.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QColorSpace>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWheelEvent>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace vorpane {
namespace {

using test::TErrorBoxCatcher;
using test::TScratchFolder;

// The success message's first lines for a document of Pages pages at Pdf.
QString Success(const QString& Pdf, int Pages) {
    return QStringLiteral("\nCongratulation! Converting Successed!\n%1: %2 page%3, %4")
        .arg(QFileInfo(Pdf).fileName())
        .arg(Pages)
        .arg(Pages == 1 ? "" : "s")
        .arg(QString::fromStdString(SizeText(QFileInfo(Pdf).size())));
}

// The bytes of the file at Path; empty (and a failure) when it can't be read.
QByteArray FileBytes(const QString& Path) {
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "can't read " << Path.toStdString();
        return {};
    }
    return file.readAll();
}

// The document vorpane-convert writes to Output from Files with Arguments:
// what the window must have written for the same choices.
QByteArray CommandLineDocument(QStringList Arguments, const std::vector<std::string>& Files,
                               const QString& Output) {
    Arguments << QStringLiteral("-q") << QStringLiteral("-o") << Output;
    for (const std::string& path : Files) {
        Arguments << QString::fromStdString(path);
    }
    QProcess convert;
    convert.start(QStringLiteral(VORPANE_CONVERT), Arguments);
    if (!convert.waitForFinished(60000) || convert.exitCode() != 0) {
        ADD_FAILURE() << "vorpane-convert failed: " << convert.readAllStandardError().toStdString();
        return {};
    }
    return FileBytes(Output);
}

struct TShown {
    int Icon;
    QString Caption;
    QString Text;
};

class ConvertTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm1>();
        form->ShowMessage = [this](int Icon, const QString& Caption, const QString& Text) {
            shown.push_back({Icon, Caption, Text});
            events << QStringLiteral("message");
        };
        form->OpenFolder = [this](const QString& Folder) {
            openedFolders << Folder;
            events << QStringLiteral("open folder");
        };
        form->ExecuteSaveDialog = [this](QString& FileName) {
            ++dialogs;
            statusShownDuringDialog = statusShownDuringDialog || !form->Label1->isHidden();
            if (answer.isEmpty()) {
                return false;
            }
            FileName = answer;
            return true;
        };
        form->AskLeaveOut = [this](const QString& Text) {
            questions << Text;
            events << QStringLiteral("question");
            return leaveOut;
        };
    }

    void Press(TImgBtn* Button) { QTest::mousePress(Button, Qt::LeftButton, {}, QPoint(2, 2)); }
    void Release(TImgBtn* Button) { QTest::mouseRelease(Button, Qt::LeftButton, {}, QPoint(2, 2)); }
    void Click(TImgBtn* Button) { QTest::mouseClick(Button, Qt::LeftButton, {}, QPoint(2, 2)); }

    // Entries for the conversion list from the file list of a folder.
    void AddAllFrom(const QString& Folder, int Files) {
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        form->ShellTreeView1->SetPath(Folder);
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return !form->ShellListView1->Reading() && form->ShellListView1->ItemCount() == Files;
        }));
        form->ImgBtnAddsClick(form->ImgBtnAdds);
        ASSERT_EQ(form->EntryCount(), Files);
    }

    // Opens the page options with a click and works the dialog by Work, as
    // a person would, then clicks OK.
    void ChooseOptions(const std::function<void(TPageOptionsDialog& Dialog)>& Work) {
        bool worked = false;
        QTimer::singleShot(0, form.get(), [&] {
            ASSERT_TRUE(
                QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
            auto* dialog = dynamic_cast<TPageOptionsDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            Work(*dialog);
            QTest::mouseClick(dialog->Buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
            worked = true;
        });
        Click(form->ImgBtnOptions);
        ASSERT_TRUE(worked);
    }

    void ExpectIdleLook() const {
        EXPECT_TRUE(form->ImgBtnConvert->isVisibleTo(form.get()));
        EXPECT_FALSE(form->ImgBtnStop->isVisibleTo(form.get()));
        EXPECT_FALSE(form->Label1->isVisibleTo(form.get()));
        EXPECT_EQ(form->ImageProgress->width(), 1);
    }

    // Made before the window: its folder tree reads a folder once and would
    // not see one made later.
    TScratchFolder photos;
    TScratchFolder out;
    std::unique_ptr<TForm1> form;
    std::vector<TShown> shown;
    QStringList events;
    QStringList openedFolders;
    int dialogs = 0;
    bool statusShownDuringDialog = false;
    QString answer;
    // The question before a run with files that can't be converted, and
    // its answer: leave them out (true) or cancel.
    QStringList questions;
    bool leaveOut = false;
};

TEST_F(ConvertTest, SpinStepsStopAtTheLimitsOfTheirField) {
    struct TCase {
        TImgBtn* TForm1::*Button;
        QLineEdit* TForm1::*Field;
        const char* start;
        std::vector<const char*> afterTicks;
    };
    const TCase cases[] = {
        {&TForm1::ImgBtnWidth1, &TForm1::Edit1, "8999", {"9000", "9000"}},
        {&TForm1::ImgBtnWidth2, &TForm1::Edit1, "20000", {"19999", "19998"}},
        {&TForm1::ImgBtnHeight2, &TForm1::Edit2, "1", {"0", "0"}},
        {&TForm1::ImgBtnHeight1, &TForm1::Edit2, " 007", {"8", "9"}},
        {&TForm1::ImgBtnQ2, &TForm1::Edit3, "2", {"1", "1"}},
        {&TForm1::ImgBtnQ1, &TForm1::Edit3, "100", {"100"}},
        {&TForm1::ImgBtnQ1, &TForm1::Edit3, "$10", {"17"}},
        {&TForm1::ImgBtnWidth1, &TForm1::Edit1, "20000", {"20000"}},
    };
    for (const TCase& c : cases) {
        QLineEdit* field = form.get()->*c.Field;
        field->setText(QString::fromLatin1(c.start));
        Press(form.get()->*c.Button);
        for (const char* expected : c.afterTicks) {
            form->Timer1Timer();
            EXPECT_EQ(field->text(), QString::fromLatin1(expected)) << c.start;
        }
        Release(form.get()->*c.Button);
    }
}

TEST_F(ConvertTest, KeysAndTheWheelStepAFieldAsItsSpinButtonsDo) {
    struct TCase {
        QLineEdit* TForm1::*Field;
        int key; // 0: the wheel, one notch per 120 of Angle
        int angle;
        const char* start;
        const char* after;
    };
    const TCase cases[] = {
        {&TForm1::Edit1, Qt::Key_Up, 0, "8999", "9000"},
        {&TForm1::Edit1, Qt::Key_Up, 0, "9000", "9000"},
        {&TForm1::Edit2, Qt::Key_Down, 0, " 007", "6"},
        {&TForm1::Edit2, Qt::Key_PageUp, 0, "8995", "9000"},
        {&TForm1::Edit3, Qt::Key_PageDown, 0, "5", "1"},
        {&TForm1::Edit3, 0, 240, "50", "52"},
        {&TForm1::Edit1, 0, -120, "1", "0"},
        {&TForm1::Edit3, 0, 60, "50", "50"}, // half a notch
        {&TForm1::Edit3, 0, 60, "50", "51"}, // and the other half
    };
    for (const TCase& c : cases) {
        QLineEdit* field = form.get()->*c.Field;
        field->setText(QString::fromLatin1(c.start));
        if (c.key != 0) {
            QTest::keyClick(field, static_cast<Qt::Key>(c.key));
        } else {
            QWheelEvent wheel(QPointF(5, 5), field->mapToGlobal(QPointF(5, 5)), {},
                              QPoint(0, c.angle), Qt::NoButton, {}, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(field, &wheel);
        }
        EXPECT_EQ(field->text(), QString::fromLatin1(c.after)) << c.start << " key " << c.key;
    }
    TErrorBoxCatcher errors;
    form->Edit2->setText(QStringLiteral("tall"));
    QTest::keyClick(form->Edit2, Qt::Key_PageUp);
    EXPECT_EQ(errors.Texts, QStringList{QStringLiteral("'tall' is not a valid integer value.")});
    EXPECT_EQ(form->Edit2->text(), QStringLiteral("tall"));
}

TEST_F(ConvertTest, APressShorterThanOneIntervalChangesNothing) {
    Press(form->ImgBtnWidth1);
    EXPECT_EQ(SpinAction, 1);
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->Timer1->interval(), 100);
    Release(form->ImgBtnWidth1);
    QTest::qWait(250);
    EXPECT_EQ(form->Edit1->text(), QStringLiteral("800"));
}

TEST_F(ConvertTest, EverySpinButtonsReleaseEndsTheRepeat) {
    for (TImgBtn* button : {form->ImgBtnWidth1, form->ImgBtnWidth2, form->ImgBtnHeight1,
                            form->ImgBtnHeight2, form->ImgBtnQ1, form->ImgBtnQ2}) {
        Press(button);
        EXPECT_NE(SpinAction, 0);
        Release(button);
        EXPECT_EQ(SpinAction, 0);
        EXPECT_FALSE(form->Timer1->isActive());
    }
    const int actions[] = {1, 2, 3, 4, 5, 6};
    int k = 0;
    for (TImgBtn* button : {form->ImgBtnWidth1, form->ImgBtnWidth2, form->ImgBtnHeight1,
                            form->ImgBtnHeight2, form->ImgBtnQ1, form->ImgBtnQ2}) {
        Press(button);
        EXPECT_EQ(SpinAction, actions[k++]);
        Release(button);
    }
}

TEST_F(ConvertTest, AHeldButtonOnABadFieldBringsOneErrorBox) {
    TErrorBoxCatcher errors;
    form->Edit1->setText(QString());
    Press(form->ImgBtnWidth1);
    QTest::qWait(450); // several intervals
    EXPECT_EQ(errors.Texts, QStringList{QStringLiteral("'' is not a valid integer value.")});
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(form->Edit1->text(), QString());
    Release(form->ImgBtnWidth1);
}

TEST_F(ConvertTest, TheSizeModeFollowsTheChosenEntryOnly) {
    form->Edit3->setText(QStringLiteral("55"));
    form->ComboBox2->setCurrentIndex(1);
    EXPECT_EQ(form->Edit1->text(), QStringLiteral("0"));
    EXPECT_EQ(form->Edit2->text(), QStringLiteral("0"));
    EXPECT_FALSE(SameSizeMode);
    form->Edit1->setText(QStringLiteral("1234"));
    form->ComboBox2->setEditText(QStringLiteral("Same"));
    EXPECT_EQ(form->Edit1->text(), QStringLiteral("1234")) << "typed text chooses nothing";
    EXPECT_FALSE(SameSizeMode);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->ComboBox2->setFocus();
    form->ComboBox2->lineEdit()->selectAll();
    QTest::keyClicks(form->ComboBox2->lineEdit(), QStringLiteral("S"));
    EXPECT_EQ(form->ComboBox2->currentText(), QStringLiteral("S")) << "nothing is completed";
    EXPECT_FALSE(SameSizeMode);
    form->ComboBox2->setCurrentIndex(0);
    EXPECT_EQ(form->Edit1->text(), QStringLiteral("800"));
    EXPECT_EQ(form->Edit2->text(), QStringLiteral("600"));
    EXPECT_TRUE(SameSizeMode);
    EXPECT_EQ(form->Edit3->text(), QStringLiteral("55")) << "the mode never touches the quality";
}

TEST_F(ConvertTest, TheProgressStripCountsReportsAgainstTheReportsExpected) {
    struct TCase {
        int entries;
        bool sameSize;
        std::vector<std::pair<int, int>> widths; // after so many reports, so wide
    };
    const TCase cases[] = {
        {1, false, {{1, 177}, {2, 177}, {3, 177}}},
        {1, true, {{1, 89}, {2, 177}, {4, 177}}},
        {176, false, {{1, 2}, {175, 176}, {176, 177}, {178, 177}}},
        {176, true, {{1, 1}, {2, 2}, {176, 89}, {352, 177}}},
        {177, false, {{1, 1}, {2, 2}, {177, 177}}},
        {177, true, {{2, 1}, {3, 2}, {354, 177}}},
        {2000, false, {{11, 1}, {12, 2}, {1000, 89}, {2000, 177}, {2002, 177}}},
        {2000, true, {{23, 2}, {2000, 89}, {4000, 177}}},
        {0, false, {{1, 1}}}, // a list emptied during the run
    };
    for (const TCase& c : cases) {
        form->ListView1->clear();
        for (int i = 0; i < c.entries; ++i) {
            form->AppendEntry(QStringLiteral("/photos/%1.jpg").arg(i), false);
        }
        form->ImageProgress->resize(1, 27);
        form->StartProgressStrip(c.sameSize);
        int reports = 0;
        for (const auto& [after, width] : c.widths) {
            for (; reports < after; ++reports) {
                UpdateProgressStrip("report", 0, 0);
            }
            EXPECT_EQ(form->ImageProgress->width(), width)
                << c.entries << " entries, same size " << c.sameSize << ", " << after << " reports";
        }
    }
}

TEST_F(ConvertTest, TheStatusTextCountsThePhotographsDone) {
    const std::vector<std::string> files = {"/p/1.jpg", "/p/2.jpg", "/p/3.jpg"};
    constexpr TRunPhase start = TRunPhase::rpStarting;
    constexpr TRunPhase prep = TRunPhase::rpPreparing;
    constexpr TRunPhase embed = TRunPhase::rpEmbedding;
    constexpr TRunPhase end = TRunPhase::rpFinished;
    struct TReport {
        TRunPhase phase;
        const char* text;
        std::int64_t done;
    };
    const struct {
        bool sameSize;
        std::vector<TReport> reports;
        const char* shown;
    } cases[] = {
        // "Same size": the preparation's place in the list; a file it left
        // out (2) gives no report, embedding the prepared ones none counted.
        {true, {{start, "converting..", 0}, {prep, "/p/1.jpg", 1}}, "Converting... 1 / 3"},
        {true,
         {{prep, "/p/1.jpg", 1}, {prep, "/p/3.jpg", 3}, {embed, "/tmp/run/0.jpg", 900}},
         "Converting... 3 / 3"},
        {true,
         {{prep, "/p/1.jpg", 1}, {embed, "/tmp/run/0.jpg", 1}, {embed, "/tmp/run/1.jpg", 2}},
         "Converting... 1 / 3"},
        // "Original size": each photograph embedded, whatever its name.
        {false,
         {{start, "converting..", 0}, {embed, "/p/1.jpg", 100}, {embed, "/p/2.jpg", 200}},
         "Converting... 2 / 3"},
        {false,
         {{embed, "/p/1.jpg", 1}, {embed, "Finished!", 2}, {embed, "/p/3.jpg", 3}},
         "Converting... 3 / 3"},
        {false, {{embed, "/p/1.jpg", 1}, {end, "Finished!", 0}}, "Converting... 1 / 3"},
    };
    for (const auto& c : cases) {
        form->StartProgressStrip(c.sameSize);
        form->StartRunCount(files);
        EXPECT_EQ(form->Label1->text(), QStringLiteral("Converting... 0 / 3"));
        for (const TReport& report : c.reports) {
            form->FollowRunPhase(report.phase);
            UpdateProgressStrip(report.text, 0, report.done);
        }
        EXPECT_EQ(form->Label1->text(), QString::fromLatin1(c.shown));
    }
}

TEST_F(ConvertTest, AnEmptyListOnlyAsksForFiles) {
    Click(form->ImgBtnConvert);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Caption, QStringLiteral("Information"));
    EXPECT_EQ(shown[0].Text, QStringLiteral("\nPlease add jpg files to the left blank first!"));
    EXPECT_EQ(dialogs, 0);
    ExpectIdleLook();
}

TEST_F(ConvertTest, ACancelledSaveDialogChangesNothing) {
    form->AppendEntry(QStringLiteral("/photos/a.jpg"), false);
    Click(form->ImgBtnConvert);
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(statusShownDuringDialog) << "nothing is converted while the dialog is open";
    EXPECT_TRUE(shown.empty());
    ExpectIdleLook();
}

// A folder with a name in Latin-1 bytes: the save dialog, which can't show
// it, starts in the folder above it where the program was started in it; a
// file name given in such bytes is where the PDF goes.
TEST_F(ConvertTest, TheSaveDialogStartsWhereItCanShowAndThePdfGoesToItsBytes) {
    const QByteArray latin1 = QFile::encodeName(out.Path()) + "/caf\xe9";
    ASSERT_EQ(::mkdir(latin1.constData(), 0700), 0);
    const QByteArray pdf = latin1 + "/caf\xe9.pdf";
    // Qt's listing can't see the names, so the scratch folder can't remove them.
    const struct TRemoveAtEnd {
        QByteArray Pdf, Folder;
        ~TRemoveAtEnd() {
            std::remove(Pdf.constData());
            ::rmdir(Folder.constData());
        }
    } removeAtEnd{pdf, latin1};
    const std::filesystem::path started = std::filesystem::current_path();
    for (const QByteArray& folder : {QFile::encodeName(photos.Path()), latin1}) {
        std::filesystem::current_path(folder.toStdString());
        const TForm1 startedIn(nullptr);
        EXPECT_EQ(startedIn.SaveDialog1->directory().absolutePath(),
                  folder == latin1 ? out.Path() : photos.Path());
    }
    std::filesystem::current_path(started);

    form->AppendFiles({photos.Jpeg(QStringLiteral("a.jpg"), 40, 30)});
    answer = DecodePathName(pdf);
    Click(form->ImgBtnConvert);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].Text.startsWith(QStringLiteral("\nCongratulation!")))
        << shown[0].Text.toStdString();
    EXPECT_TRUE(std::filesystem::is_regular_file(pdf.toStdString()));
}

TEST_F(ConvertTest, EveryOutcomeNamesTheFilesItIsAbout) {
    const QString photo = photos.Jpeg(QStringLiteral("a.jpg"), 40, 30);
    const QString damaged = photos.Text(QStringLiteral("x.jpg"));
    const QString gone = photos.File(QStringLiteral("gone.jpg"));
    // A name that would start a line of its own is spelt out.
    const QString oddGone = photos.File(QStringLiteral("gone\nPage 2 of 2: fine\u009B.jpg"));
    const QString oddShown = photos.File(QStringLiteral("gone\\nPage 2 of 2: fine\\302\\233.jpg"));
    // The save dialog asked before replacing: the window replaces what the
    // person chose, a PDF or not.
    const QString notes = out.Text(QStringLiteral("notes.txt"), "my notes\n");
    // Twelve files that give no page: ten are named, the box says how many
    // more there are.
    QStringList manyGone = {photo};
    // {made}: the line that says what was made, known once it is.
    QString manyGoneText = QStringLiteral("{made}\n\nThese listed files gave no page:");
    for (int i = 0; i < 12; ++i) {
        manyGone << photos.File(QStringLiteral("gone%1.jpg").arg(i));
        if (i < 10) {
            manyGoneText += '\n' + manyGone.back() + ": No such file or directory";
        }
    }
    manyGoneText += QStringLiteral("\nand 2 more.");
    const QString kLeaveOut = QStringLiteral("\n\nLeave them out and convert the rest, or cancel?");
    const QString kNotAPicture =
        QStringLiteral("JPEG error #53 (Not a JPEG file: starts with 0x6e 0x6f)");
    struct TCase {
        int comboIndex;
        QStringList entries;
        QString output;
        QString message;  // the Convert command's box
        QString error;    // or the application's error box, which adds a full stop
        QString question; // or the question before the run, cancelled
    };
    const TCase cases[] = {
        {0,
         {photo, gone},
         out.File(QStringLiteral("same.pdf")),
         "{made}\n\nThis listed file gave no page:\n" + gone + ": No such file or directory",
         {},
         {}},
        {0, manyGone, out.File(QStringLiteral("many.pdf")), manyGoneText, {}, {}},
        // Some files fine and some that would stop the run: one question
        // before any work, here cancelled, so no message follows.
        {1,
         {photo, damaged},
         out.File(QStringLiteral("damaged.pdf")),
         {},
         {},
         "\nThis listed file can't be converted:\n" + damaged + ": not a JPEG file" + kLeaveOut},
        {1,
         {gone, photo},
         out.File(QStringLiteral("gone.pdf")),
         {},
         {},
         "\nThis listed file can't be converted:\n" + gone + ": missing or not a readable file" +
             kLeaveOut},
        // A path through a file names nothing there, as a missing one.
        {1,
         {photo, photo + "/b.jpg"},
         out.File(QStringLiteral("through.pdf")),
         {},
         {},
         "\nThis listed file can't be converted:\n" + photo +
             "/b.jpg: missing or not a readable file" + kLeaveOut},
        {0,
         {photo, damaged},
         out.File(QStringLiteral("undecodable.pdf")),
         {},
         {},
         "\nThis listed file can't be converted:\n" + damaged + ": " + kNotAPicture + kLeaveOut},
        // No file fine: nothing to convert the rest of, so no question, and
        // the words of old.
        {1,
         {gone},
         out.File(QStringLiteral("none.pdf")),
         "\nNo files existing!\n" + gone + ": missing or not a readable file",
         {},
         {}},
        {1,
         {damaged},
         out.File(QStringLiteral("nothing.pdf")),
         "\nNo PDF written: a listed file can't be embedded as it is.\n" + damaged +
             ": not a JPEG file",
         {},
         {}},
        {0, {damaged}, out.File(QStringLiteral("nothing.pdf")), {}, damaged + ": JPEG error #", {}},
        {1,
         {photo},
         out.File(QStringLiteral("no folder/album.pdf")),
         {},
         "Cannot create file " + out.File(QStringLiteral("no folder/album.pdf")) +
             ": No such file or directory.",
         {}},
        {0,
         {photo, oddGone},
         out.File(QStringLiteral("odd.pdf")),
         "{made}\n\nThis listed file gave no page:\n" + oddShown + ": No such file or directory",
         {},
         {}},
        {1, {photo}, notes, QStringLiteral("{made}"), {}, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.output.toStdString());
        TErrorBoxCatcher errors;
        shown.clear();
        form->ListView1->clear();
        for (const QString& entry : c.entries) {
            form->AppendEntry(entry, false);
        }
        form->ComboBox2->setCurrentIndex(c.comboIndex);
        answer = c.output;
        questions.clear();
        Click(form->ImgBtnConvert);
        if (!c.question.isEmpty()) {
            EXPECT_TRUE(errors.Texts.isEmpty()) << errors.Texts.join('|').toStdString();
            EXPECT_TRUE(shown.empty());
            ASSERT_EQ(questions.size(), 1);
            EXPECT_EQ(questions[0], c.question);
            EXPECT_FALSE(QFile::exists(c.output));
        } else if (c.message.isEmpty()) {
            EXPECT_TRUE(questions.isEmpty());
            EXPECT_TRUE(shown.empty());
            ASSERT_EQ(errors.Texts.size(), 1);
            EXPECT_TRUE(errors.Texts[0].startsWith(c.error)) << errors.Texts[0].toStdString();
        } else {
            EXPECT_TRUE(questions.isEmpty());
            EXPECT_TRUE(errors.Texts.isEmpty()) << errors.Texts.join('|').toStdString();
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0].Text,
                      QString(c.message).replace(QStringLiteral("{made}"), Success(c.output, 1)));
        }
        ExpectIdleLook();
    }
}

TEST(OutcomeMessageTest, PhotosLeftOutAndIncompleteAreNamedWithWhy) {
    const TSkippedFile bad{"/p/bad.jpg", "JPEG error #53", TReasonKind::rkUndecodable};
    const TSkippedFile cut{"/p/cut.jpg", "Premature end of JPEG file", TReasonKind::rkNone};
    const TSkippedFile wide{"/p/wide.jpg", "at 100 pixels per inch", TReasonKind::rkPageTooLarge};
    const struct {
        std::int32_t result;
        TRunReport report;
        QString text;
    } rows[] = {
        {rcDone,
         {{}, {}, {}, {bad}, {cut}, {}, {}, {}, "/p/album.pdf", 132, 11'460'000},
         "\nCongratulation! Converting Successed!\nalbum.pdf: 132 pages, 11.5 MB\n\nThis listed "
         "file gave no page:\n/p/bad.jpg: "
         "JPEG error #53\n\nThis photo's data was incomplete; its page shows what there was:\n"
         "/p/cut.jpg: Premature end of JPEG file"},
        {rcDone,
         {{}, {}, {}, {}, {cut, cut}, {}, {}, {}, "out.pdf", 1, 999},
         "\nCongratulation! Converting Successed!\nout.pdf: 1 page, 999 bytes\n\nThese photos' "
         "data was incomplete; their pages show what there was:\n/p/cut.jpg: Premature end of "
         "JPEG file\n/p/cut.jpg: Premature end of JPEG file"},
        {rcDone,
         {{}, {}, {}, {}, {cut, cut}, {}, {}, {}},
         "\nCongratulation! Converting Successed!\n\nThese photos' data was incomplete; their "
         "pages show what there was:\n/p/cut.jpg: Premature end of JPEG file\n/p/cut.jpg: "
         "Premature end of JPEG file"},
        {rcDone,
         {{}, {}, {}, {}, {}, {}, {wide}, {}},
         "\nCongratulation! Converting Successed!\n\nThis photo's page is smaller, so that PDF "
         "readers can show it:\n/p/wide.jpg: at 100 pixels per inch"},
        // Skipping left nothing to write.
        {rcNoFiles,
         {{}, {}, {}, {bad}, {}, {}, {}, {}},
         "\nNo PDF written: no listed file could be converted.\n\nThis listed file gave no "
         "page:\n/p/bad.jpg: JPEG error #53"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(OutcomeMessage(row.result, row.report).Text, row.text);
    }
}

// Pages that are in the document but not as the photograph is: a picture
// whose data ends early, and a page whose computed height 16 bits can't
// hold (1000 x 66000, made 1000 x 464 in the window's way).
TEST_F(ConvertTest, ASuccessNamesIncompletePicturesAndSquashedPages) {
    QFile photo(QStringLiteral(VORPANE_TEST_DATA "/orient_landscape_1.jpg"));
    ASSERT_TRUE(photo.open(QIODevice::ReadOnly));
    const QByteArray bytes = photo.readAll();
    const QString cut = photos.Text(QStringLiteral("cut.jpg"), bytes.left(bytes.size() / 2));
    const QString tall = photos.Jpeg(QStringLiteral("tall.jpg"), 100, 6600);
    form->AppendEntry(cut, false);
    form->AppendEntry(tall, false);
    form->ComboBox2->setCurrentIndex(0);
    form->Edit1->setText(QStringLiteral("1000"));
    form->Edit2->setText(QStringLiteral("0"));
    answer = out.File(QStringLiteral("album.pdf"));
    Click(form->ImgBtnConvert);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Text,
              Success(answer, 2) +
                  "\n\nThis photo's data was incomplete; its page shows what there was:\n" + cut +
                  ": the picture is incomplete (premature end of data)\n\n"
                  "The page of this listed file is squashed:\n" +
                  tall + ": its page would be 1000 x 66000 pixels; it is 1000 x 464");
    ExpectIdleLook();
}

TEST_F(ConvertTest, AFieldThatIsNoNumberNamesItselfAndRestoresTheIdleLook) {
    photos.Jpeg(QStringLiteral("a.jpg"), 40, 30);
    AddAllFrom(photos.Path(), 1);
    answer = out.File(QStringLiteral("out.pdf"));
    form->Edit1->setText(QStringLiteral("wide"));
    form->Edit3->setText(QStringLiteral("best"));
    EXPECT_THROW(form->ImgBtnConvertClick(form->ImgBtnConvert), EConvertError);
    try {
        form->ImgBtnConvertClick(form->ImgBtnConvert);
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'best' is not a valid integer value") << "quality is read first";
    }
    ExpectIdleLook();
    EXPECT_FALSE(QFile::exists(answer));
}

TEST_F(ConvertTest, SizesThatDontFitTheRunAreRefusedInSameSizeMode) {
    photos.Jpeg(QStringLiteral("a.jpg"), 40, 30);
    AddAllFrom(photos.Path(), 1);
    answer = out.File(QStringLiteral("out.pdf"));
    struct TCase {
        const char* width;
        const char* height;
        const char* quality;
        const char* message;
    };
    const TCase cases[] = {
        {"70000", "600", "100", "\nThe width must be a whole number from 0 to 32767."},
        {"800", "-1", "100", "\nThe height must be a whole number from 0 to 32767."},
        {"800", "600", "300", "\nThe quality must be a whole number from 0 to 255."},
    };
    for (const TCase& c : cases) {
        shown.clear();
        form->Edit1->setText(QString::fromLatin1(c.width));
        form->Edit2->setText(QString::fromLatin1(c.height));
        form->Edit3->setText(QString::fromLatin1(c.quality));
        Click(form->ImgBtnConvert);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].Caption, QStringLiteral("Error"));
        EXPECT_EQ(shown[0].Text, QString::fromLatin1(c.message));
        EXPECT_FALSE(QFile::exists(answer));
        ExpectIdleLook();
    }
    // The numbers mean nothing in "Original size", so they are not checked.
    form->ComboBox2->setCurrentIndex(1);
    form->Edit1->setText(QStringLiteral("70000"));
    shown.clear();
    Click(form->ImgBtnConvert);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Text, Success(answer, 1));
}

QString RunTool(const QString& Program, const QStringList& Arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(Program, Arguments);
    process.waitForFinished(60000);
    return QString::fromLocal8Bit(process.readAll()) +
           (process.exitCode() == 0 ? QString() : QStringLiteral("[failed]"));
}

QStringList PageSizes(const QString& Pdf) {
    QStringList sizes;
    for (const QString& line :
         RunTool(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                             QStringLiteral("-l"), QStringLiteral("99"), Pdf})
             .split('\n')) {
        if (line.startsWith(QStringLiteral("Page ")) && line.contains(QStringLiteral(" size:"))) {
            sizes << line.section(QStringLiteral("size:"), 1)
                         .section(QStringLiteral(" pts"), 0, 0)
                         .trimmed();
        }
    }
    return sizes;
}

TEST_F(ConvertTest, APersonConvertsInBothModesThroughTheWindow) {
    photos.Jpeg(QStringLiteral("1 first.jpg"), 640, 480, 0xFF8040A0);
    photos.Jpeg(QStringLiteral("2 second.JPEG"), 300, 500, 0xFF20A060);
    photos.Text(QStringLiteral("notes.txt"));
    // Two photographs written by other programs: a baseline one and a
    // progressive one.
    ASSERT_TRUE(QFile::copy(QStringLiteral(VORPANE_TEST_DATA "/ijg_testorig.jpg"),
                            photos.File(QStringLiteral("3 baseline.jpg"))));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VORPANE_TEST_DATA "/jd_progressive3.jpg"),
                            photos.File(QStringLiteral("4 progressive.jpg"))));
    // A photograph stored on its side, to be turned a quarter clockwise.
    ASSERT_TRUE(QFile::copy(QStringLiteral(VORPANE_TEST_DATA "/orient_small_6.jpg"),
                            photos.File(QStringLiteral("5 sideways.jpg"))));
    // A name in Latin-1 bytes, as an old camera wrote it: listed in its place
    // with the byte shown as one unknown character, added by Add all, named
    // again as a desktop names it to `vorpane FILE`, by its file:// address,
    // and converted by its bytes.
    const QByteArray latin1 = QFile::encodeName(photos.Path()) + "/6 caf\xe9.jpg";
    // Qt's listing can't see the name, so the scratch folder can't remove it.
    const struct TRemoveAtEnd {
        QByteArray Path;
        ~TRemoveAtEnd() { std::remove(Path.constData()); }
    } removeAtEnd{latin1};
    ASSERT_EQ(
        std::rename(QFile::encodeName(photos.Jpeg(QStringLiteral("6.jpg"), 320, 240)).constData(),
                    latin1.constData()),
        0);
    AddAllFrom(photos.Path(), 6);
    QAbstractItemView* files = form->ShellListView1->CurrentView();
    EXPECT_EQ(files->model()->index(5, 0, files->rootIndex()).data().toString(),
              QStringLiteral("6 caf") + QChar(0xDCE9) + QStringLiteral(".jpg"));
    EXPECT_EQ(form->EntryPaths().back(), latin1.toStdString());
    form->AppendFiles({PathArgument("file://" + latin1.toPercentEncoding("/"))});
    ASSERT_EQ(form->EntryCount(), 7);
    EXPECT_EQ(form->EntryPaths().back(), latin1.toStdString());

    struct TMode {
        int comboIndex;
        bool upright;
        const char* file;
        QStringList sizes;
    };
    const QStringList original = {QStringLiteral("640 x 480"), QStringLiteral("300 x 500"),
                                  QStringLiteral("227 x 149"), QStringLiteral("650 x 470")};
    const TMode modes[] = {
        {0, false, "same.pdf", QStringList(7, QStringLiteral("800 x 600"))},
        {1, false, "original.pdf",
         original + QStringList{QStringLiteral("96 x 64"), QStringLiteral("320 x 240"),
                                QStringLiteral("320 x 240")}},
        {1, true, "upright.pdf",
         original + QStringList{QStringLiteral("64 x 96"), QStringLiteral("320 x 240"),
                                QStringLiteral("320 x 240")}},
    };
    for (const TMode& mode : modes) {
        shown.clear();
        events.clear();
        form->ComboBox2->setCurrentIndex(mode.comboIndex);
        if (form->CheckBox1->isChecked() != mode.upright) {
            QTest::mouseClick(form->CheckBox1, Qt::LeftButton, {}, QPoint(7, 8));
        }
        ASSERT_EQ(form->AutoOrientMode, mode.upright);
        answer = out.File(QString::fromLatin1(mode.file));
        Click(form->ImgBtnConvert);
        ASSERT_EQ(shown.size(), 1u) << mode.file;
        EXPECT_EQ(shown[0].Text, Success(answer, form->EntryCount()));
        EXPECT_EQ(events, (QStringList{QStringLiteral("message"), QStringLiteral("open folder")}))
            << "the folder opens after the message is closed";
        EXPECT_EQ(openedFolders.last(), QFileInfo(answer).absolutePath());
        const QString check = RunTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), answer});
        EXPECT_TRUE(check.contains(QStringLiteral("No syntax or stream encoding errors")))
            << check.toStdString();
        EXPECT_EQ(PageSizes(answer), mode.sizes) << mode.file;
        ExpectIdleLook();
    }
}

// The same choice in the dialog and on vorpane-convert's command line gives
// the same document, byte for byte, in both modes.
// "Keep proportions" and "At most ... MB" make the document --fit and
// --max-size make; unticked, "Same size" stretches as it always did.
TEST_F(ConvertTest, KeepProportionsAndAtMostReachTheRunAsFitAndMaxSizeDo) {
    for (const char* name : {"orient_landscape_1.jpg", "jd_progressive3.jpg"}) {
        ASSERT_TRUE(QFile::copy(QStringLiteral(VORPANE_TEST_DATA "/") + QLatin1String(name),
                                photos.File(QLatin1String(name))));
    }
    AddAllFrom(photos.Path(), 2);
    form->ComboBox2->setCurrentIndex(0);
    form->Edit1->setText(QStringLiteral("400"));
    form->Edit2->setText(QStringLiteral("400"));
    QTest::mouseClick(form->CheckBox2, Qt::LeftButton, {}, QPoint(7, 8));
    ASSERT_TRUE(form->CheckBox2->isChecked());
    ChooseOptions([](TPageOptionsDialog& Dialog) {
        EXPECT_FALSE(Dialog.Megabytes->isEnabled()) << "off at start";
        QTest::mouseClick(Dialog.Limit, Qt::LeftButton, {}, QPoint(5, 5));
        Dialog.Megabytes->setFocus();
        QTest::keyClick(Dialog.Megabytes, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(Dialog.Megabytes, QStringLiteral("0.05"));
    });
    ASSERT_TRUE(PageOptions.Limit);
    answer = out.File(QStringLiteral("window.pdf"));
    Click(form->ImgBtnConvert);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].Text.startsWith(Success(answer, 2) + QStringLiteral(", quality ")))
        << shown[0].Text.toStdString();
    EXPECT_LE(QFileInfo(answer).size(), 50'000);
    EXPECT_EQ(PageSizes(answer),
              (QStringList{QStringLiteral("400 x 289"), QStringLiteral("400 x 300")}));

    const QString cli = out.File(QStringLiteral("cli.pdf"));
    const QByteArray document = FileBytes(answer);
    ASSERT_FALSE(document.isEmpty());
    EXPECT_EQ(document,
              CommandLineDocument({QStringLiteral("--fit"), QStringLiteral("400x400"),
                                   QStringLiteral("--max-size"), QStringLiteral("0.05MB")},
                                  form->EntryPaths(), cli));
}

TEST_F(ConvertTest, TheOptionsDialogsChoicesReachTheRunAsVorpaneConvertsOptionsDo) {
    photos.Jpeg(QStringLiteral("1 wide.jpg"), 640, 480, 0xFF8040A0);
    photos.Jpeg(QStringLiteral("2 tall.jpg"), 300, 500, 0xFF20A060);
    photos.Text(QStringLiteral("3 broken.jpg"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VORPANE_TEST_DATA "/pil_hopper_gray.jpg"),
                            photos.File(QStringLiteral("4 grey.jpg"))));
    QImage profiled(320, 240, QImage::Format_RGB32);
    profiled.fill(0xFF3060C0);
    profiled.setColorSpace(QColorSpace(QColorSpace::AdobeRgb));
    ASSERT_TRUE(profiled.save(photos.File(QStringLiteral("5 profile.jpg")), "JPG", 90));
    AddAllFrom(photos.Path(), 5);
    const std::vector<std::string> all = form->EntryPaths();
    // Keys: Down steps the paper from "Picture size" to A3, A4, ...
    const auto paper = [](TPageOptionsDialog& Dialog, int Steps) {
        Dialog.Paper->setFocus();
        for (int i = 0; i < Steps; ++i) {
            QTest::keyClick(Dialog.Paper, Qt::Key_Down);
        }
    };
    const auto type = [](QAbstractSpinBox* Field, const char* Text) {
        Field->setFocus();
        QTest::keyClick(Field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(Field, QString::fromLatin1(Text));
    };
    struct TCase {
        const char* name;
        int comboIndex;
        std::function<void(TPageOptionsDialog&)> choose;
        QStringList arguments; // vorpane-convert's
        QString extra;         // the list's file besides the first two
    };
    const TCase cases[] = {
        // The list's first paper and its last.
        {"A3, 10 mm, original",
         1,
         [&](TPageOptionsDialog& Dialog) {
             paper(Dialog, 1);
             type(Dialog.Margin, "10");
         },
         {"--paper", "A3", "--margin", "10mm"},
         {}},
        {"Legal, original",
         1,
         [&](TPageOptionsDialog& Dialog) { paper(Dialog, 5); },
         {"--paper", "Legal"},
         {}},
        {"Letter, 12.5 mm, same size",
         0,
         [&](TPageOptionsDialog& Dialog) {
             paper(Dialog, 4);
             type(Dialog.Margin, "12.5");
         },
         {"--size", "800x600", "--paper", "Letter", "--margin", "12.5mm"},
         {}},
        {"300 dpi, original",
         1,
         [&](TPageOptionsDialog& Dialog) { type(Dialog.Dpi, "300"); },
         {"--dpi", "300"},
         {}},
        {"skip, same size",
         0,
         [&](TPageOptionsDialog& Dialog) {
             Dialog.SkipBad->setFocus();
             QTest::keyClick(Dialog.SkipBad, Qt::Key_Space);
         },
         {"--size", "800x600", "--skip-bad"},
         "3 broken.jpg"},
        {"skip, original",
         1,
         [&](TPageOptionsDialog& Dialog) {
             QTest::mouseClick(Dialog.SkipBad, Qt::LeftButton, {}, QPoint(5, 5));
         },
         {"--skip-bad"},
         "3 broken.jpg"},
        {"grey, original",
         1,
         [&](TPageOptionsDialog& Dialog) {
             QTest::mouseClick(Dialog.Grey, Qt::LeftButton, {}, QPoint(5, 5));
         },
         {"--grey"},
         "4 grey.jpg"},
        {"colour profiles, original",
         1,
         [&](TPageOptionsDialog& Dialog) {
             Dialog.ColourProfiles->setFocus();
             QTest::keyClick(Dialog.ColourProfiles, Qt::Key_Space);
         },
         {"--colour-profile"},
         "5 profile.jpg"},
        {"colour profiles, same size",
         0,
         [&](TPageOptionsDialog& Dialog) {
             QTest::mouseClick(Dialog.ColourProfiles, Qt::LeftButton, {}, QPoint(5, 5));
         },
         {"--size", "800x600", "--colour-profile"},
         "5 profile.jpg"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        form->ComboBox2->setCurrentIndex(c.comboIndex);
        PageOptions = {};
        ChooseOptions(c.choose);
        form->ListView1->clear();
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (i < 2 || (!c.extra.isEmpty() && QString::fromStdString(all[i]).endsWith(c.extra))) {
                form->AppendEntry(QString::fromStdString(all[i]), false);
            }
        }
        shown.clear();
        answer = out.File(QStringLiteral("window.pdf"));
        QFile::remove(answer);
        Click(form->ImgBtnConvert);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_TRUE(shown[0].Text.startsWith(QStringLiteral("\nCongratulation!")))
            << shown[0].Text.toStdString();

        const QString cli = out.File(QStringLiteral("cli.pdf"));
        const QByteArray document = FileBytes(answer);
        ASSERT_FALSE(document.isEmpty());
        EXPECT_EQ(document, CommandLineDocument(c.arguments, form->EntryPaths(), cli));
        // Not the document without the choice: the broken file left out,
        // the grey one embedded, the profile kept, or pages other than the
        // fixed layout's.
        if (c.extra.isEmpty()) {
            EXPECT_FALSE(PageSizes(answer).contains(QStringLiteral("640 x 480")));
            EXPECT_FALSE(PageSizes(answer).contains(QStringLiteral("800 x 600")));
        } else if (c.extra.contains(QStringLiteral("broken"))) {
            EXPECT_EQ(PageSizes(answer).size(), 2);
        } else if (c.extra.contains(QStringLiteral("grey"))) {
            EXPECT_TRUE(document.contains("/DeviceGray"));
        } else {
            EXPECT_TRUE(document.contains("/ICCBased"));
        }
    }
}

// Three files among ten can't be converted: one question names them before
// any work. Cancelled, nothing is written and the list marks them; answered
// "leave them out", the document holds the other seven and the message
// names the three.
TEST_F(ConvertTest, BadFilesAreAskedAboutOnceBeforeTheWork) {
    QStringList bad;
    for (int i = 0; i < 10; ++i) {
        const QString name = QStringLiteral("p%1.jpg").arg(i);
        if (i == 2 || i == 5) {
            bad << photos.Text(name);
        } else if (i == 8) {
            bad << photos.Text(name, {});
        } else {
            photos.Jpeg(name, 40, 30);
        }
    }
    AddAllFrom(photos.Path(), 10);
    for (const int mode : {1, 0}) {
        SCOPED_TRACE(mode);
        form->ComboBox2->setCurrentIndex(mode);
        answer = out.File(QStringLiteral("album%1.pdf").arg(mode));
        questions.clear();
        shown.clear();
        leaveOut = false;
        Click(form->ImgBtnConvert);
        ASSERT_EQ(questions.size(), 1);
        EXPECT_TRUE(
            questions[0].startsWith(QStringLiteral("\nThese listed files can't be converted:\n")));
        for (const QString& file : bad) {
            EXPECT_TRUE(questions[0].contains(file + QStringLiteral(": "))) << file.toStdString();
        }
        EXPECT_EQ(questions[0].count(photos.Path()), 3);
        EXPECT_TRUE(shown.empty());
        EXPECT_FALSE(QFile::exists(answer));
        QList<bool> marked;
        for (int row = 0; row < form->EntryCount(); ++row) {
            marked << form->ListView1->topLevelItem(row)->data(0, Qt::BackgroundRole).isValid();
        }
        EXPECT_EQ(marked,
                  (QList<bool>{false, false, true, false, false, true, false, false, true, false}));
        ExpectIdleLook();

        questions.clear();
        leaveOut = true;
        Click(form->ImgBtnConvert);
        EXPECT_EQ(questions.size(), 1);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_TRUE(shown[0].Text.startsWith(
            Success(answer, 7) + QStringLiteral("\n\nThese listed files gave no page:\n")))
            << shown[0].Text.toStdString();
        EXPECT_EQ(shown[0].Text.count(photos.Path()), 3);
        EXPECT_EQ(PageSizes(answer).size(), 7);
        ExpectIdleLook();
    }
}

// With "Skip photos that can't be converted" one run gives the document of
// the rest, one message names every file left out, and the list marks them
// until it changes.
TEST_F(ConvertTest, SkippedFilesAreNamedOnceAndMarkedInTheListUntilItChanges) {
    photos.Jpeg(QStringLiteral("a.jpg"), 64, 48);
    photos.Text(QStringLiteral("b broken.jpg"));
    photos.Jpeg(QStringLiteral("c.jpg"), 64, 48);
    photos.Text(QStringLiteral("d empty.jpg"), {});
    AddAllFrom(photos.Path(), 4);
    ChooseOptions([](TPageOptionsDialog& Dialog) {
        QTest::mouseClick(Dialog.SkipBad, Qt::LeftButton, {}, QPoint(5, 5));
    });
    EXPECT_TRUE(PageOptions.SkipBad);
    answer = out.File(QStringLiteral("album.pdf"));
    Click(form->ImgBtnConvert);
    ASSERT_EQ(shown.size(), 1u);
    const QString text = shown[0].Text;
    EXPECT_TRUE(text.startsWith(Success(answer, 2) + "\n\nThese listed files gave no page:\n"))
        << text.toStdString();
    EXPECT_TRUE(text.contains(photos.File(QStringLiteral("b broken.jpg")) + QStringLiteral(": ")));
    EXPECT_TRUE(text.contains(photos.File(QStringLiteral("d empty.jpg")) + QStringLiteral(": ")));
    EXPECT_FALSE(text.contains(photos.File(QStringLiteral("a.jpg"))));
    EXPECT_EQ(PageSizes(answer).size(), 2);

    // A mark is more than a colour: an icon other than the file's, and the
    // reason as the tip and as what a screen reader reads.
    const qint64 fileIcon = form->ListView1->topLevelItem(0)->icon(0).cacheKey();
    const auto marked = [&] {
        QList<bool> rows;
        for (int row = 0; row < form->EntryCount(); ++row) {
            const QTreeWidgetItem* entry = form->ListView1->topLevelItem(row);
            const bool tinted = entry->data(0, Qt::BackgroundRole).isValid();
            EXPECT_EQ(entry->icon(0).cacheKey() != fileIcon, tinted) << row;
            EXPECT_EQ(entry->data(0, Qt::AccessibleDescriptionRole).toString(), entry->toolTip(0))
                << row;
            rows << tinted;
        }
        return rows;
    };
    EXPECT_EQ(marked(), (QList<bool>{false, true, false, true}));
    EXPECT_FALSE(form->ListView1->topLevelItem(1)->toolTip(1).isEmpty());
    // The next report's marks replace them: a photo with incomplete data,
    // then the same run again.
    const std::vector<TSkippedFile> none;
    form->MarkReportedEntries(none, {{form->EntryPaths()[2], "cut short"}});
    EXPECT_EQ(marked(), (QList<bool>{false, false, true, false}));
    Click(form->ImgBtnConvert);
    EXPECT_EQ(marked(), (QList<bool>{false, true, false, true}));
    // Sorting is a change of the list like any other.
    Click(form->ImgBtnName);
    EXPECT_EQ(marked(), (QList<bool>{false, false, false, false}));

    // "Original size" embeds a photo cut short as far as it goes, names it
    // and marks it.
    QFile whole(photos.File(QStringLiteral("c.jpg")));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QString cut = photos.Text(QStringLiteral("e cut.jpg"), whole.readAll().chopped(2));
    form->ListView1->clear();
    form->AppendEntry(photos.File(QStringLiteral("a.jpg")), false);
    form->AppendEntry(cut, false);
    form->ComboBox2->setCurrentIndex(1);
    shown.clear();
    Click(form->ImgBtnConvert);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].Text.contains(QStringLiteral("data was incomplete")) &&
                shown[0].Text.contains(cut))
        << shown[0].Text.toStdString();
    EXPECT_EQ(marked(), (QList<bool>{false, true}));
}

TEST_F(ConvertTest, StopDuringALongRunKeepsTheOldFile) {
    for (int i = 0; i < 30; ++i) {
        photos.Jpeg(QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0')), 1600, 1200,
                    0xFF000000 | static_cast<QRgb>(i * 0x060504));
    }
    answer = out.File(QStringLiteral("album.pdf"));
    QFile old(answer);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old album");
    old.close();
    AddAllFrom(photos.Path(), 30);

    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));

    // By the mouse, and by the keys: Ctrl+Return converts (once only),
    // Escape stops.
    for (const bool keys : {false, true}) {
        SCOPED_TRACE(keys ? "keys" : "mouse");
        shown.clear();
        dialogs = 0;
        bool busyLookSeen = false;
        // Served inside the run, at its first drain of the window's events.
        QTimer::singleShot(0, form.get(), [&] {
            busyLookSeen = form->ImgBtnStop->isVisible() && !form->ImgBtnConvert->isVisible() &&
                           form->Label1->isVisible();
            if (keys) {
                QTest::keyClick(form.get(), Qt::Key_Return, Qt::ControlModifier);
                QTest::keyClick(form.get(), Qt::Key_Escape);
            } else {
                Click(form->ImgBtnStop);
            }
        });
        if (keys) {
            QTest::keyClick(form.get(), Qt::Key_Return, Qt::ControlModifier);
        } else {
            Click(form->ImgBtnConvert);
        }
        EXPECT_TRUE(busyLookSeen);
        EXPECT_EQ(dialogs, 1);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].Caption, QStringLiteral("Information"));
        EXPECT_EQ(shown[0].Text, QStringLiteral("\nStop converting\u00EC!"));
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), QByteArray("old album"));
        old.close();
        EXPECT_EQ(QDir(out.Path()).entryList(QDir::Files | QDir::Hidden).size(), 1)
            << "no stray file beside the output";
        EXPECT_TRUE(openedFolders.isEmpty());
        ExpectIdleLook();
    }
}

TEST_F(ConvertTest, ACloseDuringARunWaitsForItsEndAndItsMessage) {
    photos.Jpeg(QStringLiteral("a.jpg"), 400, 300);
    answer = out.File(QStringLiteral("album.pdf"));
    AddAllFrom(photos.Path(), 1);
    bool visibleAfterClose = false;
    QTimer::singleShot(0, form.get(), [&] {
        form->ImgBtnCloseClick(form->ImgBtnClose);
        visibleAfterClose = form->isVisible();
    });
    Click(form->ImgBtnConvert);
    EXPECT_TRUE(visibleAfterClose) << "the window stays while the run goes on";
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Text, Success(answer, 1));
    EXPECT_TRUE(QFile::exists(answer));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form->isVisible(); })) << "then the window closes";
}

} // namespace
} // namespace vorpane
