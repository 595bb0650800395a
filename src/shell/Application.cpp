#include "Application.h"

#include "CommandLine.h"
#include "MainUnit1.h"
#include "QtPrompter.h"
#include "TerminationSignals.h"
#include "Version.h"
#include "WindowPlacement.h"
#include "core/FileError.h"
#include "core/Platform.h"

#include <QDir>
#include <cstdio>

QStringList commandLineArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

int printCommandLineOutput(const CommandLine& options) {
    std::FILE* stream = options.exitCode() == 0 ? stdout : stderr;
    std::fputs(options.output().toLocal8Bit().constData(), stream);
    return options.exitCode();
}

StartKaltoApplication::StartKaltoApplication(int& argc, char** argv) : QApplication(argc, argv) {
    platform::ignoreFileSizeSignal();
    setApplicationName(QString(version::kProgramName));
    setApplicationVersion(QString(version::kVersionText));
    // The desktop matches the window to its entry, and so to its name and icon.
    setDesktopFileName(QString(version::kDesktopFileName));
    setWindowIcon(QIcon(QStringLiteral(":/icons/startkalto.svg")));
}

bool StartKaltoApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const FileError& error) {
        if (m_errorPrompter)
            m_errorPrompter->error(error.message());
    } catch (const std::exception& error) {
        if (m_errorPrompter)
            m_errorPrompter->error(QString::fromLocal8Bit(error.what()));
    }
    return false;
}

int StartKaltoApplication::run(const CommandLine& options) {
    const QString cwd = platform::existingWorkingDirectory();
    // A working directory that has gone is reported by the start-up.
    if (options.folder() == CommandLine::Folder::Current && cwd.isEmpty())
        return run();
    const QString folder =
        options.workingFolder(cwd, QDir::homePath(), qEnvironmentVariable("XDG_DATA_HOME"));
    if (folder != cwd && (!QDir().mkpath(folder) || !QDir::setCurrent(folder))) {
        QtPrompter prompter;
        prompter.errorCancel(QStringLiteral("StartKALTO cannot work in the folder %1\r"
                                            "The folder cannot be made or opened.")
                                 .arg(folder));
        return TMain::kEndedEarlyExitCode;
    }
    return run();
}

int StartKaltoApplication::run() {
    QtPrompter prompter;
    QtDesktopOpener opener;
    m_errorPrompter = &prompter;

    // Before the window, whose creation runs the start-up: a signal during the start-up
    // ends the emulator's run and tidies up instead of leaving the work files behind.
    TerminationSignals terminationSignals;
    TMain1 main(prompter, opener, &terminationSignals);
    if (main.terminating())
        return main.exitCode();
    prompter.setParentWidget(&main);
    connect(&main, &TMain::programEndRequested, this, &QCoreApplication::exit,
            Qt::QueuedConnection);

    centreOnScreen(&main);
    main.show();
    const int code = exec();
    m_errorPrompter = nullptr;
    // Settings that could not be saved are a failure, not an ordinary end.
    return code == 0 && main.saveFailed() ? TMain::kEndedEarlyExitCode : code;
}
