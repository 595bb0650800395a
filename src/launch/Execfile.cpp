#include "Execfile.h"

#include "shell/Prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

// Drops user input while a wSuspend wait runs. Dropped, not deferred: a click made
// during a game must not act on the list once the game is over. Painting, timers and
// window-system events other than input go on, so the window never looks frozen.
class UserInputBlocker final : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::Drop:
            return true;
        default:
            return false;
        }
    }
};

void lowerPriority([[maybe_unused]] qint64 pid) {
#ifdef Q_OS_UNIX
    setpriority(PRIO_PROCESS, id_t(pid), 19);
#endif
}

} // namespace

TExecFile::TExecFile(QObject* parent) : QObject(parent) {}

TExecFile::~TExecFile() = default;

bool TExecFile::fail(const QString& error) {
    m_lastError = error;
    if (OnFail)
        OnFail(this);
    return false;
}

bool TExecFile::start(const QString& program, const QStringList& arguments) {
    if (program.isEmpty()) {
        m_lastError = QString::fromLocal8Bit(std::strerror(ENOENT));
        return false;
    }
    m_process->setProgram(program);
    m_process->setArguments(arguments);
    if (!m_wait) {
        qint64 pid = 0;
        if (!m_process->startDetached(&pid)) {
            m_lastError = m_process->errorString();
            return false;
        }
        if (m_priority == pcIdle)
            lowerPriority(pid);
        return true;
    }
    m_process->start();
    if (!m_process->waitForStarted(-1)) {
        m_lastError = m_process->errorString();
        return false;
    }
    return true;
}

bool TExecFile::Execute() {
    m_lastError.clear();
    m_associatedProgram.clear();
    QProcess process;
    m_process = &process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
#ifdef Q_OS_UNIX
    if (m_priority == pcIdle)
        process.setChildProcessModifier([] { setpriority(PRIO_PROCESS, 0, 19); });
#endif

    const QStringList params = m_parameters.split(u' ', Qt::SkipEmptyParts);
    bool started = false;
    if (m_interpreter.isEmpty()) {
        started = start(m_commandLine, params);
    } else if (QFileInfo(m_commandLine).isFile()) {
        started = start(m_interpreter, QStringList{m_commandLine} + params);
    } else {
        // The interpreter would start and only complain on its error stream; a missing
        // script is a failed start like a missing program.
        m_lastError = QString::fromLocal8Bit(std::strerror(ENOENT));
    }
    if (!started && m_associate) {
        m_associatedProgram = findAssociatedProgram(m_commandLine);
        if (!m_associatedProgram.isEmpty())
            started = start(m_associatedProgram, QStringList{m_commandLine} + params);
    }
    if (!started) {
        m_process = nullptr;
        return fail(m_lastError);
    }
    if (m_wait)
        waitForEnd();
    m_process = nullptr;
    return true;
}

void TExecFile::waitForEnd() {
    m_running = true;
    m_finished = false;
    emit waitStarted(commandText());
    if (m_process->state() != QProcess::NotRunning) {
        if (QCoreApplication::instance()) {
            QEventLoop loop;
            connect(m_process, &QProcess::finished, &loop, &QEventLoop::quit);
            UserInputBlocker blocker;
            if (m_waitStyle == wSuspend)
                QCoreApplication::instance()->installEventFilter(&blocker);
            loop.exec();
            QCoreApplication::instance()->removeEventFilter(&blocker);
        }
        // The loop also ends when the application is told to quit; the program ends
        // with that exit code once the process it started has ended.
        m_process->waitForFinished(-1);
    }
    m_finished = true;
    m_running = false;
    emit waitFinished();
}

void MoveReplacing(const QString& source, const QString& target) {
    if (!QFileInfo::exists(source)) {
        QFile::remove(target);
        return;
    }
    // One rename replaces the target atomically where the system allows it.
    if (std::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) ==
        0)
        return;
    QFile::remove(target);
    QFile::rename(source, target);
}

void OpenDocument(DesktopOpener& opener, const QString& pathOrUrl) {
    opener.open(pathOrUrl);
}

QList<ListedFile> ListFilesLower(const QString& pattern) {
    const QFileInfo info(pattern);
    const QDir dir = info.dir();
    // Without QDir::CaseSensitive the wildcard matches regardless of case.
    const QStringList names = dir.entryList(
        QStringList{info.fileName()},
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    QList<ListedFile> result;
    result.reserve(names.size());
    for (const QString& name : names)
        result.append({name.toLower(), name});
    return result;
}

QString findAssociatedProgram(const QString& path) {
    if (!QFileInfo(path).isFile())
        return {};
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    if (type.inherits(QStringLiteral("application/x-shellscript")))
        return QStringLiteral("/bin/sh");
    return {};
}
