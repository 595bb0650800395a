#include "Application.h"

#include "MainUnit1.h"
#include "QtPrompter.h"
#include "TerminationSignals.h"
#include "Version.h"
#include "WindowPlacement.h"
#include "core/FileError.h"
#include "core/Platform.h"

StartKaltoApplication::StartKaltoApplication(int& argc, char** argv) : QApplication(argc, argv) {
    platform::ignoreFileSizeSignal();
    setApplicationName(QString(version::kProgramName));
    setApplicationVersion(QString(version::kVersionText));
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
