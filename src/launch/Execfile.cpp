#include "Execfile.h"

#include "core/Platform.h"
#include "core/Prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QTimer>
#include <QUrl>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

constexpr qsizetype kErrorTailBytes = 8 * 1024;
constexpr int kKillGraceMs = 3000;

// Drops user input while a wSuspend wait runs. Dropped, not deferred: a click made
// during a game must not act on the list once the game is over. Painting, timers and
// window-system events other than input go on, so the window never looks frozen.
class UserInputBlocker final : public QObject {
public:
    explicit UserInputBlocker(const QPointer<QObject>& exempt) : m_exempt(exempt) {}

    bool eventFilter(QObject* receiver, QEvent* event) override {
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
            return !isExempt(receiver);
        default:
            return false;
        }
    }

private:
    bool isExempt(QObject* receiver) const {
        for (QObject* o = receiver; o; o = o->parent()) {
            if (o == m_exempt)
                return true;
        }
        return false;
    }

    const QPointer<QObject>& m_exempt;
};

void lowerPriority([[maybe_unused]] qint64 pid) {
#ifdef Q_OS_UNIX
    setpriority(PRIO_PROCESS, id_t(pid), 19);
#endif
}

void signalGroup([[maybe_unused]] qint64 pid, [[maybe_unused]] int number) {
#ifdef Q_OS_UNIX
    if (pid > 0)
        ::kill(-pid_t(pid), number);
#endif
}

} // namespace

struct TExecFile::Run {
    QProcess* process = nullptr;
    QByteArray errorTail;
    bool cancelled = false;
};

TExecFile::TExecFile(QObject* parent) : QObject(parent) {}

TExecFile::~TExecFile() {
    // Groups told to end that are still there (a program that ignores the request)
    // would outlive the timer that ends them for good.
    for (qint64 pid : std::as_const(m_terminatedGroups))
        signalGroup(pid, SIGKILL);
}

void TExecFile::setParameters(const QString& value) {
    m_parameters = value;
    m_arguments = value.split(u' ', Qt::SkipEmptyParts);
}

void TExecFile::setArguments(const QStringList& arguments) {
    m_arguments = arguments;
    QStringList shown;
    for (const QString& argument : arguments)
        shown.append(argument.isEmpty() || argument.contains(u' ') ? u'"' + argument + u'"'
                                                                   : argument);
    m_parameters = shown.join(u' ');
}

bool TExecFile::fail(const QString& error) {
    m_lastError = error;
    if (OnFail)
        OnFail(this);
    return false;
}

bool TExecFile::start(QProcess& process, const QString& program, const QStringList& arguments) {
    if (program.isEmpty()) {
        m_lastError = QString::fromLocal8Bit(std::strerror(ENOENT));
        return false;
    }
    process.setProgram(program);
    process.setArguments(arguments);
    if (!m_wait) {
        qint64 pid = 0;
        if (!process.startDetached(&pid)) {
            m_lastError = process.errorString();
            return false;
        }
        if (m_priority == pcIdle)
            lowerPriority(pid);
        return true;
    }
    process.start();
    if (!process.waitForStarted(-1)) {
        m_lastError = process.errorString();
        return false;
    }
    return true;
}

bool TExecFile::Execute() {
    m_lastError.clear();
    m_associatedProgram.clear();
    QProcess process;
    if (m_wait) {
        // Our standard output stays the program's; its error stream is read (and passed
        // on) so that a failed run can say what went wrong.
        process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        // A run is a process group of its own, which cannot read the terminal: it
        // reads nothing instead of being stopped.
        process.setStandardInputFile(QProcess::nullDevice());
    } else {
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.setInputChannelMode(QProcess::ForwardedInputChannel);
    }
#ifdef Q_OS_UNIX
    const bool idle = m_priority == pcIdle;
    const bool group = m_wait;
    process.setChildProcessModifier([idle, group] {
        if (group)
            ::setpgid(0, 0);
        if (idle)
            setpriority(PRIO_PROCESS, 0, 19);
    });
#endif

    const QStringList& params = m_arguments;
    bool started = false;
    if (m_interpreter.isEmpty()) {
        started = start(process, m_commandLine, params);
    } else if (QFileInfo(m_commandLine).isFile()) {
        started = start(process, m_interpreter, QStringList{m_commandLine} + params);
    } else {
        // The interpreter would start and only complain on its error stream; a missing
        // script is a failed start like a missing program.
        m_lastError = QString::fromLocal8Bit(std::strerror(ENOENT));
    }
    if (!started && m_associate) {
        m_associatedProgram = findAssociatedProgram(m_commandLine);
        if (!m_associatedProgram.isEmpty())
            started = start(process, m_associatedProgram, QStringList{m_commandLine} + params);
    }
    if (!started)
        return fail(m_lastError);
    if (m_wait) {
        Run run;
        run.process = &process;
        waitForEnd(run);
    }
    return true;
}

void TExecFile::readErrorOutput(Run& run) {
    const QByteArray chunk = run.process->readAllStandardError();
    if (chunk.isEmpty())
        return;
    // Passed on as it comes, so that a terminal still shows what the program says.
    [[maybe_unused]] const auto written =
        ::write(STDERR_FILENO, chunk.constData(), size_t(chunk.size()));
    run.errorTail += chunk;
    if (run.errorTail.size() > kErrorTailBytes)
        run.errorTail.remove(0, run.errorTail.size() - kErrorTailBytes);
}

void TExecFile::waitForEnd(Run& run) {
    QProcess& process = *run.process;
    m_active.append(&run);
    m_finished = false;
    emit waitStarted(commandText());
    connect(&process, &QProcess::readyReadStandardError, this,
            [this, &run] { readErrorOutput(run); });
    if (process.state() != QProcess::NotRunning) {
        if (QCoreApplication::instance()) {
            QEventLoop loop;
            connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
            UserInputBlocker blocker(m_inputExempt);
            if (m_waitStyle == wSuspend)
                QCoreApplication::instance()->installEventFilter(&blocker);
            loop.exec();
            QCoreApplication::instance()->removeEventFilter(&blocker);
        }
        // The loop also ends when the application is told to quit; the program ends
        // with that exit code once the process it started has ended.
        process.waitForFinished(-1);
    }
    readErrorOutput(run);
    disconnect(&process, nullptr, this, nullptr);
    m_active.removeOne(&run);
    m_lastNormalExit = process.exitStatus() == QProcess::NormalExit;
    m_lastExitCode = m_lastNormalExit ? process.exitCode() : 0;
    m_lastCancelled = run.cancelled;
    m_lastErrorOutput = run.errorTail;
    m_finished = true;
    emit waitFinished();
}

void TExecFile::terminateRuns() {
    for (Run* run : std::as_const(m_active)) {
        run->cancelled = true;
        const qint64 pid = run->process->processId();
        if (pid <= 0)
            continue;
        signalGroup(pid, SIGTERM);
        // A program of the group that ignores the request is ended for good a little
        // later, even when the script that started it has ended already.
        m_terminatedGroups.append(pid);
        QTimer::singleShot(kKillGraceMs, this, [this, pid] {
            signalGroup(pid, SIGKILL);
            m_terminatedGroups.removeOne(pid);
        });
    }
}

QString TExecFile::lastRunEnding() const {
    if (m_lastCancelled)
        return QStringLiteral("was cancelled");
    if (!m_lastNormalExit)
        return QStringLiteral("ended abnormally");
    if (const int signal = platform::signalFromScriptStatus(m_lastExitCode))
        return QStringLiteral("ended abnormally (signal %1, %2)")
            .arg(signal)
            .arg(platform::signalDescription(signal));
    if (m_lastExitCode != 0)
        return QStringLiteral("ended with exit status %1").arg(m_lastExitCode);
    return {};
}

QStringList TExecFile::lastErrorLines(int maxLines) const {
    QStringList lines = QString::fromLocal8Bit(m_lastErrorOutput).split(u'\n', Qt::SkipEmptyParts);
    for (QString& line : lines)
        line = line.trimmed();
    lines.removeAll(QString());
    if (lines.size() > maxLines)
        lines = lines.mid(lines.size() - maxLines);
    return lines;
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

bool OpenDocument(DesktopOpener& opener, const QString& pathOrUrl) {
    // A web address has a scheme of its own; everything else is a file, and a missing
    // one would at best make the desktop's handler complain in a window of its own.
    const QUrl url(pathOrUrl);
    const bool address = url.scheme().size() > 1 && !url.isLocalFile();
    if (!address && !QFileInfo::exists(url.isLocalFile() ? url.toLocalFile() : pathOrUrl))
        return false;
    return opener.open(pathOrUrl);
}

QString wildcardEscaped(QStringView name) {
    QString out;
    out.reserve(name.size());
    for (QChar c : name) {
        if (c == u'*' || c == u'?' || c == u'\\')
            out += u'\\';
        out += c;
    }
    return out;
}

bool wildcardMatches(QStringView pattern, QStringView name) {
    // Iterative matching with one back-tracking point: linear in practice, and never
    // exponential however many stars the pattern holds.
    qsizetype p = 0, n = 0, starP = -1, starN = 0;
    const auto same = [](QChar a, QChar b) {
        return a == b || a.toCaseFolded() == b.toCaseFolded();
    };
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = ++p;
            starN = n;
            continue;
        }
        if (p < pattern.size()) {
            const bool escaped = pattern[p] == u'\\' && p + 1 < pattern.size();
            const QChar want = escaped ? pattern[p + 1] : pattern[p];
            if ((!escaped && want == u'?') || same(want, name[n])) {
                p += escaped ? 2 : 1;
                ++n;
                continue;
            }
        }
        if (starP < 0)
            return false;
        p = starP;
        n = ++starN;
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

QList<ListedFile> ListFilesLower(const QString& pattern) {
    const qsizetype slash = pattern.lastIndexOf(u'/');
    const QString dirPath = slash < 0 ? QStringLiteral(".") : pattern.left(slash + 1);
    const QStringView namePattern = QStringView(pattern).sliced(slash + 1);
    QList<ListedFile> result;
    QDirIterator it(dirPath, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (wildcardMatches(namePattern, name))
            result.append({name.toLower(), name});
    }
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
