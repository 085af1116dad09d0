// vorpane_doc_shots SCENE OUT.png [LANGUAGE]: draws the window in one of the
// scenes of the pictures in docs/ and saves it to OUT.png, its rounded
// corners see-through. The scene's folders are those tools/doc-shots.sh makes
// in the home folder ($HOME): Desktop, Pictures/Phone, Pictures/Party and
// Pictures/Scans. Scenes: window, large-icons, large-icons-upright,
// file-list, marked-entries, busy, missing-file, focus-mark, options-dialog.
// LANGUAGE (de, fr) translates the window.
#include "Application.h"
#include "PageOptionsDialog.h"
#include "Unit1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace vorpane {
namespace {

// Ends the program when what it waited for never came: a picture of a
// half-drawn window is worse than none.
void Must(bool Done, const char* What) {
    if (!Done) {
        std::fprintf(stderr, "vorpane_doc_shots: %s never came\n", What);
        std::exit(1);
    }
}

QString Home(const QString& Folder) {
    return QDir::home().filePath(Folder);
}

QPixmap WindowPicture(TForm1& Form) {
    return CutToShape(Form.grab(), Form.mask());
}

void ShowFolder(TForm1& Form, const QString& Folder) {
    Form.ShellTreeView1->SetPath(Home(Folder));
    Must(QTest::qWaitFor([&] { return !Form.ShellListView1->Reading(); }, 10000), "the file list");
    QTest::qWait(300); // the tree has scrolled to it
}

int ItemNamed(const TForm1& Form, const QString& Name) {
    for (int i = 0; i < Form.ShellListView1->ItemCount(); ++i) {
        if (QFileInfo(Form.ShellListView1->ItemPath(i)).fileName() == Name) {
            return i;
        }
    }
    return -1;
}

// Selects the file list's item Name and previews it, as a click does.
void Preview(TForm1& Form, const QString& Name) {
    Form.ShellListView1->CurrentView()->setFocus(Qt::MouseFocusReason);
    Form.ShellListView1->SetItemSelected(ItemNamed(Form, Name), true);
    Form.ShellListView1Click(Form.ShellListView1);
    Must(QTest::qWaitFor([&] { return Form.PreviewWork->Idle(); }, 10000), "the preview");
}

void Append(TForm1& Form, const QString& Folder, const QStringList& Names) {
    QStringList paths;
    for (const QString& name : Names) {
        paths << QDir(Home(Folder)).filePath(name);
    }
    Form.AppendFiles(paths);
}

void ShowThumbnails(TForm1& Form) {
    Form.TabBig->Press();
    // The thumbnails are asked for as the items are painted.
    QTest::qWait(500);
    Must(QTest::qWaitFor([&] { return Form.ShellListView1->Thumbnails()->Idle(); }, 20000),
         "the thumbnails");
    QTest::qWait(200);
}

// Converts the list in "Same size" into a scratch PDF; During runs at each
// step of the progress, Message takes the message at the end.
void Convert(TForm1& Form, const std::function<void()>& During,
             const std::function<void(int, const QString&, const QString&)>& Message) {
    const QString pdf = QDir::temp().filePath(QStringLiteral("album.pdf"));
    Form.ComboBox2->setCurrentIndex(0);
    Form.ExecuteSaveDialog = [pdf](QString& FileName) {
        FileName = pdf;
        return true;
    };
    Form.ShowMessage = Message;
    Form.OpenFolder = [](const QString&) {};
    QTimer step;
    QObject::connect(&step, &QTimer::timeout, During);
    step.start(20);
    Form.ImgBtnConvertClick(Form.ImgBtnConvert);
    step.stop();
    QFile::remove(pdf);
}

// The window's parts around each control, the focus on it, in a row.
QPixmap FocusMarks(TForm1& Form) {
    Form.activateWindow();
    Must(QTest::qWaitForWindowActive(&Form), "the window's activation");
    ShowThumbnails(Form);
    // Each control with its caption or neighbours, the window's edge kept.
    const std::vector<std::pair<QWidget*, QMargins>> parts = {
        {Form.TabBig, QMargins(70, 10, 6, 6)},
        {Form.ImgBtnClose, QMargins(44, 12, 12, 12)},
        {Form.Edit1, QMargins(12, 26, 36, 12)},
        {Form.ImgBtnConvert, QMargins(40, 44, 40, 12)},
    };
    std::vector<QPixmap> crops;
    int width = 0;
    int height = 0;
    for (const auto& [control, around] : parts) {
        control->setFocus(Qt::TabFocusReason);
        QTest::qWait(100);
        const QRect area = QRect(control->mapTo(&Form, QPoint(0, 0)), control->size())
                               .marginsAdded(around)
                               .intersected(Form.rect());
        crops.push_back(Form.grab(area));
        width += area.width() + 8;
        height = std::max(height, area.height());
    }
    QPixmap row(width - 8, height);
    row.fill(Qt::transparent);
    QPainter painter(&row);
    int x = 0;
    for (const QPixmap& crop : crops) {
        painter.drawPixmap(x, (height - crop.height()) / 2, crop);
        x += crop.width() + 8;
    }
    return row;
}

QPixmap Scene(TForm1& Form, const QString& Name) {
    const QStringList holiday = {QStringLiteral("Dandelions.jpg"), QStringLiteral("Harbour.jpg"),
                                 QStringLiteral("Leaves.jpg"), QStringLiteral("Wisteria.jpg")};
    if (Name == QLatin1String("window")) {
        ShowFolder(Form, QStringLiteral("Desktop"));
        Append(Form, QStringLiteral("Desktop"), holiday);
        Preview(Form, QStringLiteral("Wine.jpg"));
        return WindowPicture(Form);
    }
    if (Name == QLatin1String("large-icons")) {
        ShowFolder(Form, QStringLiteral("Desktop"));
        Append(Form, QStringLiteral("Desktop"), holiday.mid(1, 3));
        ShowThumbnails(Form);
        Preview(Form, QStringLiteral("Wisteria.jpg"));
        return WindowPicture(Form);
    }
    if (Name == QLatin1String("large-icons-upright")) {
        ShowFolder(Form, QStringLiteral("Pictures/Phone"));
        Form.CheckBox1->click();
        ShowThumbnails(Form);
        Preview(Form, QStringLiteral("Chandelier.jpg"));
        return WindowPicture(Form);
    }
    if (Name == QLatin1String("file-list")) {
        ShowFolder(Form, QStringLiteral("Pictures/Party"));
        return WindowPicture(Form).copy(8, 40, 568, 318);
    }
    if (Name == QLatin1String("marked-entries")) {
        ShowFolder(Form, QStringLiteral("Pictures/Scans"));
        Form.AppendFiles({Home(QStringLiteral("Pictures/Scans"))});
        PageOptions.SkipBad = true;
        Convert(
            Form, [] {}, [](int, const QString&, const QString&) {});
        Form.ListView1->scrollToBottom();
        return WindowPicture(Form);
    }
    if (Name == QLatin1String("busy")) {
        ShowFolder(Form, QStringLiteral("Desktop"));
        Form.AppendFiles({Home(QStringLiteral("Desktop"))});
        QPixmap shot;
        bool late = false;
        Convert(
            Form,
            [&] {
                // Halfway ("Converting... 4 / 8"), or later where the
                // preparation's count jumps past it.
                const QStringList count = Form.Label1->text().split(QLatin1Char(' '));
                const int done = count.size() > 3 ? count[1].toInt() : 0;
                if (done >= 3 && (shot.isNull() || (late && done < count[3].toInt()))) {
                    late = done == count[3].toInt();
                    shot = WindowPicture(Form);
                }
            },
            [](int, const QString&, const QString&) {});
        return shot;
    }
    if (Name == QLatin1String("missing-file")) {
        ShowFolder(Form, QStringLiteral("Pictures/Party"));
        Form.AppendFiles({Home(QStringLiteral("Pictures/Party"))});
        const QString gone = Home(QStringLiteral("Pictures/Party/ho.jpg"));
        QFile::rename(gone, gone + QStringLiteral(".away"));
        QPixmap shot;
        Convert(
            Form, [] {},
            [&](int Icon, const QString& Caption, const QString& Text) {
                QMessageBox box(static_cast<QMessageBox::Icon>(Icon), Caption, Text,
                                QMessageBox::Ok, &Form);
                box.show();
                Must(QTest::qWaitForWindowExposed(&box), "the message");
                QTest::qWait(100);
                shot = WindowPicture(Form);
                QPainter painter(&shot);
                painter.drawPixmap(box.frameGeometry().topLeft() - Form.geometry().topLeft(),
                                   box.grab());
            });
        QFile::rename(gone + QStringLiteral(".away"), gone);
        return shot;
    }
    if (Name == QLatin1String("focus-mark")) {
        return FocusMarks(Form);
    }
    if (Name == QLatin1String("options-dialog")) {
        PageOptions.Paper = 2; // A4
        PageOptions.Margin = 10;
        TPageOptionsDialog dialog(PageOptions, nullptr);
        dialog.show();
        Must(QTest::qWaitForWindowExposed(&dialog), "the dialog");
        QTest::qWait(100);
        return dialog.grab();
    }
    return {};
}

} // namespace
} // namespace vorpane

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SCENE OUT.png [LANGUAGE]\n", argv[0]);
        return 2;
    }
    vorpane::TApplication application(argc, argv);
    application.LoadTranslations(QLocale(argc > 3 ? QString::fromLatin1(argv[3]) : "en"));
    vorpane::TApplication::InstallEngineHooks();
    QPixmap shot;
    {
        vorpane::TForm1 form;
        form.show();
        vorpane::Must(QTest::qWaitForWindowExposed(&form), "the window");
        shot = vorpane::Scene(form, QString::fromLatin1(argv[1]));
    }
    vorpane::TApplication::RemoveEngineHooks();
    if (shot.isNull() || !shot.save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "%s: no picture of scene %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
