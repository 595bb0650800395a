#include "Application.h"

#include "FileError.h"
#include "MainUnit1.h"
#include "QtPrompter.h"
#include "TerminationSignals.h"
#include "Version.h"

#include <QScreen>

StartKaltoApplication::StartKaltoApplication(int& argc, char** argv) : QApplication(argc, argv) {
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

    TMain1 main(prompter, opener);
    if (main.terminating())
        return TMain::kNeededFileExitCode;
    prompter.setParentWidget(&main);
    connect(&main, &TMain::programEndRequested, this, &QCoreApplication::exit,
            Qt::QueuedConnection);

    TerminationSignals terminationSignals;
    connect(&terminationSignals, &TerminationSignals::received, &main, &QWidget::close);

    if (const QScreen* screen = main.screen())
        main.move(screen->availableGeometry().center() - main.rect().center());
    main.show();
    const int code = exec();
    m_errorPrompter = nullptr;
    return code;
}
