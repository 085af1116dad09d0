// vorpane: the window program. Files and folders named on the command line
// (a file manager's "Open with") start in the conversion list.
#include "Application.h"
#include "OneWindow.h"
#include "PathName.h"
#include "Unit1.h"

#include <QCommandLineParser>
#include <QLocale>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

// Qt's own options (-platform, -style, ...) are taken by the application
// before this parser sees the rest.
void DescribeCommandLine(QCommandLineParser& Parser) {
    Parser.setApplicationDescription(
        QStringLiteral("Turns an ordered set of JPEG photographs into one PDF."));
    Parser.addHelpOption();
    Parser.addOption(QCommandLineOption(QStringLiteral("version"),
                                        QStringLiteral("Show the version and the licence.")));
    Parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("JPEG files, and folders of them, for the list."),
                                 QStringLiteral("[FILE...]"));
}

// --help and --version need no display: a plain QCoreApplication answers
// them, before the window's application would look for one.
bool AsksForText(int argc, char** argv) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        for (const char* option : {"-h", "--help", "--help-all", "--version"}) {
            if (std::strcmp(argv[i], option) == 0) {
                return true;
            }
        }
    }
    return false;
}

int AnswerText(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    DescribeCommandLine(parser);
    parser.process(application); // --help ends the program here; --version is left
    std::printf("vorpane %s\nCopyright (c) 2026 The Vorpane developers, under the MIT License.\n",
                VORPANE_VERSION);
    return 0;
}

} // namespace

// The files named, from the arguments' own bytes: Qt's copies of them are
// UTF-8 text, in which a Latin-1 name is lost. Positional picks them out.
static QStringList FileArguments(int argc, char** argv, const QStringList& Positional) {
    QStringList files;
    qsizetype next = 0;
    for (int i = 1; i < argc && next < Positional.size(); ++i) {
        if (QString::fromLocal8Bit(argv[i]) == Positional[next]) {
            files << vorpane::PathArgument(QByteArray(argv[i]));
            ++next;
        }
    }
    return files;
}

int main(int argc, char** argv) {
    if (AsksForText(argc, argv)) {
        return AnswerText(argc, argv);
    }
    const vorpane::TActivation activation = vorpane::LaunchActivation();
    vorpane::TApplication application(argc, argv);
    application.LoadTranslations(QLocale());
    QCommandLineParser parser;
    DescribeCommandLine(parser);
    parser.process(application);
    const QStringList files = FileArguments(argc, argv, parser.positionalArguments());
    if (vorpane::HandToRunningWindow(files, activation)) {
        return 0;
    }

    vorpane::TApplication::InstallEngineHooks();
    int result = 0;
    {
        vorpane::TForm1 form;
        const vorpane::TWindowServer server(form);
        form.show();
        // Once the window is up, so that a message about files left out
        // shows over it.
        QTimer::singleShot(0, &form, vorpane::Guarded([&form, files] { form.AppendFiles(files); }));
        result = application.exec();
    }
    vorpane::TApplication::RemoveEngineHooks();
    return result;
}
