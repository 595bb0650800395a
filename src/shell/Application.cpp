#include "Application.h"

#include "CommandLine.h"
#include "MainUnit1.h"
#include "QtPrompter.h"
#include "TerminationSignals.h"
#include "Version.h"
#include "WindowPlacement.h"
#include "core/FileError.h"
#include "core/Platform.h"

#include <QAbstractItemView>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <ctime>

QStringList commandLineArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

namespace {

// Set in the environment (by the start-up benchmark), it has the program say on its
// standard error when the window has first painted its filled list, and end right
// after without saving anything: a start can then be timed from outside the process.
constexpr const char* kExitWhenShownVariable = "STARTKALTO_EXIT_WHEN_SHOWN";
// The same without the end: the program runs on, for timing its close from outside.
constexpr const char* kSayWhenShownVariable = "STARTKALTO_SAY_WHEN_SHOWN";

// Waits for the first paint of the game list's view. The paint event is seen before it
// is handled, so the report waits for the event loop to come back.
class FirstListPaint final : public QObject {
public:
    FirstListPaint(QWidget* window, bool exitThen)
        : QObject(window), m_window(window), m_exitThen(exitThen) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || m_seen || !isListViewport(watched))
            return false;
        m_seen = true;
        qApp->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] {
            // The processor time too: on a busy machine it says more than the clock.
            const double cpuMs = 1000.0 * double(std::clock()) / CLOCKS_PER_SEC;
            std::fprintf(stderr, "StartKALTO shown after %.1f ms of processor time: %s\n", cpuMs,
                         qPrintable(m_window->windowTitle()));
            std::fflush(stderr);
            if (m_exitThen)
                QCoreApplication::exit(0);
        });
        return false;
    }

private:
    static bool isListViewport(QObject* object) {
        auto* view = qobject_cast<QAbstractItemView*>(object->parent());
        return view && view->viewport() == object && view->parent() &&
               view->parent()->objectName() == u"GameList";
    }

    QWidget* m_window;
    bool m_exitThen;
    bool m_seen = false;
};

} // namespace

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
    if (qEnvironmentVariableIsSet(kExitWhenShownVariable))
        new FirstListPaint(&main, true);
    else if (qEnvironmentVariableIsSet(kSayWhenShownVariable))
        new FirstListPaint(&main, false);
    main.show();
    const int code = exec();
    m_errorPrompter = nullptr;
    main.abandonGameListAtExit();
    // Settings that could not be saved are a failure, not an ordinary end.
    return code == 0 && main.saveFailed() ? TMain::kEndedEarlyExitCode : code;
}
