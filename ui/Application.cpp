#include "Application.h"

#include "GuardMessage.h"
#include "MessageQueue.h"
#include "Unit1.h"

#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QSettings>

#include <exception>

namespace vorpane {

namespace {

void DrainQtEvents() {
    QCoreApplication::processEvents();
}

void ShowGuardBox(const std::string& Caption, const std::string& Text) {
    QMessageBox::critical(QApplication::activeWindow(), QString::fromStdString(Caption),
                          QString::fromStdString(Text));
}

} // namespace

QString ApplicationTitle(const QString& Argv0) {
    QString name = QFileInfo(Argv0).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        name.truncate(dot);
    }
    if (name.isEmpty()) {
        return name;
    }
    return name.left(1).toUpper() + name.mid(1).toLower();
}

QString ErrorBoxText(const QString& Message) {
    if (!Message.isEmpty() && Message.back() > QLatin1Char('.')) {
        return Message + QLatin1Char('.');
    }
    return Message;
}

TApplication::TApplication(int& argc, char** argv)
    : QApplication(argc, argv), title_(ApplicationTitle(QString::fromLocal8Bit(argv[0]))) {
    setApplicationName(title_);
    // Docks and task bars tie the window to its desktop entry by this name.
    setDesktopFileName(QStringLiteral("org.vorpane.Vorpane"));
    // Vorpane keeps no settings, but Qt's file dialog saves its folder
    // history and view to the user's QtProject.conf whenever one is
    // destroyed. The user's settings are pointed where no file can be made.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
    ErrorBox = [](const QString& Caption, const QString& Text) {
        QMessageBox::critical(QApplication::activeWindow(), Caption, Text);
    };
}

bool TApplication::notify(QObject* Receiver, QEvent* Event) {
    try {
        return QApplication::notify(Receiver, Event);
    } catch (...) { // every error is shown here; the loop carries on
        ShowCurrentException();
    }
    return false;
}

void ShowCurrentException() {
    QString message;
    try {
        throw;
    } catch (const std::exception& error) {
        message = QString::fromUtf8(error.what());
    } catch (...) { // what is no std::exception has no message of its own
        message = TApplication::tr("Unknown error");
    }
    if (auto* application = dynamic_cast<TApplication*>(QCoreApplication::instance())) {
        application->ShowException(message);
    } else {
        qCritical("%s", qUtf8Printable(message));
    }
}

void TApplication::ShowException(const QString& Message) {
    // The box runs its own event loop; an error inside it lands here again.
    ErrorBox(title_, ErrorBoxText(Message));
}

void TApplication::LoadTranslations(const QLocale& Locale) {
    for (const auto& translator : translators_) {
        removeTranslator(translator.get());
    }
    translators_.clear();
    SetSkinLanguage({});
    // The window's words are built in; Qt's come with Qt's translations
    // package, where it is installed.
    const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const auto& [name, folder] :
         {std::pair{QStringLiteral("vorpane"), QStringLiteral(":/i18n")},
          std::pair{QStringLiteral("qtbase"), qtFolder}}) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(Locale, name, QStringLiteral("_"), folder) &&
            installTranslator(translator.get())) {
            if (name == QLatin1String("vorpane")) {
                // ":/i18n/vorpane_de.qm": the skin's words in German too.
                SetSkinLanguage(QFileInfo(translator->filePath())
                                    .completeBaseName()
                                    .section(QLatin1Char('_'), 1));
            }
            translators_.push_back(std::move(translator));
        }
    }
}

void TApplication::InstallEngineHooks() {
    SetDrainHook(&DrainQtEvents);
    SetGuardMessageHook(&ShowGuardBox);
}

void TApplication::RemoveEngineHooks() {
    SetDrainHook(nullptr);
    SetGuardMessageHook(nullptr);
}

} // namespace vorpane
