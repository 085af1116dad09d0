#include "Application.h"

#include "GuardMessage.h"
#include "MessageQueue.h"
#include "Unit1.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTimer>

#include <stdexcept>

namespace vorpane {
namespace {

TApplication& App() {
    return *static_cast<TApplication*>(QCoreApplication::instance());
}

TEST(ApplicationTitle, IsTheFileNameUpToItsFirstDotCapitalised) {
    const struct {
        const char* argv0;
        const char* title;
    } rows[] = {
        {"vorpane", "Vorpane"},
        {"/usr/local/bin/vorpane", "Vorpane"},
        {"./build/ui/vorpane", "Vorpane"},
        {"VORPANE.EXE", "Vorpane"},
        {"my.prog.x", "My"},
        {"/opt/v2/vorPane-Test", "Vorpane-test"},
        {".hidden", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ApplicationTitle(QString::fromLatin1(row.argv0)).toStdString(), row.title)
            << row.argv0;
    }
}

TEST(ErrorBoxText, AddsAFullStopOnlyAfterCharactersSortingAfterIt) {
    const struct {
        const char* message;
        const char* text;
    } rows[] = {
        {"JPEG error #42", "JPEG error #42."},
        {"'abc' is not a valid integer value", "'abc' is not a valid integer value."},
        {"Error size!", "Error size!"},
        {"No Files.", "No Files."},
        {"ends with a dash -", "ends with a dash -"},
        {"ends with a slash/", "ends with a slash/."},
        {"(bracket)", "(bracket)"},
        {"", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ErrorBoxText(QString::fromLatin1(row.message)).toStdString(), row.text);
    }
}

class TThrowing : public QObject {
public:
    bool event(QEvent* Event) override {
        if (Event->type() == QEvent::User) {
            throw std::runtime_error("JPEG error #53");
        }
        return QObject::event(Event);
    }
};

TEST(TApplication, UncaughtErrorsShowTheErrorBoxAndTheLoopCarriesOn) {
    QString caption, text;
    int shown = 0;
    const auto keep = App().ErrorBox;
    App().ErrorBox = [&](const QString& Caption, const QString& Text) {
        caption = Caption;
        text = Text;
        ++shown;
    };
    TThrowing receiver;
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    bool afterwards = false;
    QTimer::singleShot(0, [&] { afterwards = true; });
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    App().ErrorBox = keep;
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(caption, App().Title());
    EXPECT_EQ(text.toStdString(), "JPEG error #53.");
    EXPECT_TRUE(afterwards);
}

TEST(TApplication, AnErrorInASlotIsShownWhereItLeavesTheSlot) {
    QString text;
    int shown = 0;
    const auto keep = App().ErrorBox;
    App().ErrorBox = [&](const QString&, const QString& Text) {
        text = Text;
        ++shown;
    };
    QObject sender;
    QObject::connect(
        &sender, &QObject::objectNameChanged, &sender,
        Guarded([](const QString& Name) { throw std::runtime_error(Name.toStdString()); }));
    QObject::connect(&sender, &QObject::destroyed, &sender, Guarded([] { throw 53; }));
    // Emitted outside any event: only the guard stands between the error
    // and Qt's signal machinery.
    EXPECT_NO_THROW(sender.setObjectName(QStringLiteral("JPEG error #53")));
    EXPECT_EQ(text.toStdString(), "JPEG error #53.");
    EXPECT_NO_THROW(sender.destroyed());
    sender.disconnect(); // not again as it goes
    App().ErrorBox = keep;
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(text.toStdString(), "Unknown error.");
}

class TCounting : public QObject {
public:
    int delivered = 0;
    bool event(QEvent* Event) override {
        if (Event->type() == QEvent::User) {
            ++delivered;
            return true;
        }
        return QObject::event(Event);
    }
};

TEST(TApplication, EngineDrainPointsServeTheWindowsEvents) {
    TCounting receiver;
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    TApplication::InstallEngineHooks();
    QElapsedTimer clock;
    clock.start();
    while (receiver.delivered == 0 && clock.elapsed() < 2000) {
        DrainMessageQueue();
    }
    TApplication::RemoveEngineHooks();
    EXPECT_EQ(receiver.delivered, 1);
}

TEST(TApplication, GuardMessagesShowAModalCriticalBox) {
    TApplication::InstallEngineHooks();
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        box->accept();
    });
    ShowGuardMessage("Warning", "No Files.");
    TApplication::RemoveEngineHooks();
    EXPECT_EQ(title.toStdString(), "Warning");
    EXPECT_EQ(text.toStdString(), "No Files.");
    EXPECT_EQ(icon, QMessageBox::Critical);
}

TEST(TApplication, AFileDialogLeavesNoSettingsFile) {
    const QString conf = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         QStringLiteral("/QtProject.conf");
    delete new QFileDialog; // saves its settings when destroyed
    EXPECT_FALSE(QFileInfo::exists(conf)) << conf.toStdString();
}

TEST(TApplication, TheWindowAndQtSpeakTheLocalesLanguage) {
    App().LoadTranslations(QLocale(QLocale::German, QLocale::Germany));
    const QImage german = SkinPicture(QStringLiteral("ImageConvert.png")).toImage();
    {
        const TForm1 form;
        EXPECT_EQ(form.ComboBox2->itemText(0), QStringLiteral("Gleiche Größe"));
        EXPECT_GE(form.CheckBox2->width(), form.CheckBox2->sizeHint().width());
    }
    // Qt's own words, the file dialog's buttons among them.
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
    App().LoadTranslations(QLocale::c());
    const TForm1 english;
    EXPECT_EQ(english.ComboBox2->itemText(0), QStringLiteral("Same size"));
    // The check box beside the fields shows its words whole.
    EXPECT_GE(english.CheckBox2->width(), english.CheckBox2->sizeHint().width());
    // The skin's painted words: "Umwandeln" on the button, not "Convert".
    EXPECT_FALSE(german.isNull());
    EXPECT_NE(german, SkinPicture(QStringLiteral("ImageConvert.png")).toImage());
}

} // namespace
} // namespace vorpane
