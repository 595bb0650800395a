#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

class DesktopOpener;
class QProcess;

// Starts another program as a separate process, optionally waits for its end, and
// reports a start that failed through OnFail.
//
// Here CommandLine names the program (or, with an interpreter set, the script the
// interpreter runs) and its arguments are a list (setArguments) or Parameters split at
// blanks; no shell ever sees them, and nothing is cut: the system's own limit holds. The started
// program inherits our standard output; its error stream passes through us, so that the last lines
// of a failed run can be shown. Each run is a process group of its own, so that ending the run ends
// the emulator that the script started as well.
class TExecFile final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Associate READ associate WRITE setAssociate)
    Q_PROPERTY(QString CommandLine READ commandLine WRITE setCommandLine)
    Q_PROPERTY(QString Parameters READ parameters WRITE setParameters)
    Q_PROPERTY(TPriorityClass Priority READ priority WRITE setPriority)
    Q_PROPERTY(bool Wait READ wait WRITE setWait)
    Q_PROPERTY(TWaitStyle WaitStyle READ waitStyle WRITE setWaitStyle)
    Q_PROPERTY(TWindowStyle WindowStyle READ windowStyle WRITE setWindowStyle)

public:
    // How the first window of the new process is shown; there is no window of our
    // own to show here, so the value is kept for callers and not acted on.
    enum TWindowStyle { wsNorm, wsMinimize, wsMaximize, wsHide, wsMinNoActivate, wsShowNoActivate };
    Q_ENUM(TWindowStyle)
    // wRegular keeps every event flowing while it waits; wSuspend keeps the window
    // painted but takes no user input until the process has ended.
    enum TWaitStyle { wRegular, wSuspend };
    Q_ENUM(TWaitStyle)
    // pcIdle lowers the new process's priority; the others leave it as ours.
    enum TPriorityClass { pcNormal, pcIdle, pcHigh, pcRealTime };
    Q_ENUM(TPriorityClass)

    explicit TExecFile(QObject* parent = nullptr);
    ~TExecFile() override;
    Q_DISABLE_COPY_MOVE(TExecFile)

    bool associate() const { return m_associate; }
    void setAssociate(bool value) { m_associate = value; }
    QString commandLine() const { return m_commandLine; }
    void setCommandLine(const QString& value) { m_commandLine = value; }
    // The arguments as one text; an argument that holds a blank shows in double quotes.
    QString parameters() const { return m_parameters; }
    // Arguments split at blanks.
    void setParameters(const QString& value);
    // Each entry one argument, blanks and all.
    QStringList arguments() const { return m_arguments; }
    void setArguments(const QStringList& arguments);
    TPriorityClass priority() const { return m_priority; }
    void setPriority(TPriorityClass value) { m_priority = value; }
    bool wait() const { return m_wait; }
    void setWait(bool value) { m_wait = value; }
    TWaitStyle waitStyle() const { return m_waitStyle; }
    void setWaitStyle(TWaitStyle value) { m_waitStyle = value; }
    TWindowStyle windowStyle() const { return m_windowStyle; }
    void setWindowStyle(TWindowStyle value) { m_windowStyle = value; }

    // The program that runs CommandLine when CommandLine is a script ("/bin/sh").
    QString interpreter() const { return m_interpreter; }
    void setInterpreter(const QString& value) { m_interpreter = value; }

    // Called with this runner as sender when a start fails, before Execute returns false.
    std::function<void(QObject* sender)> OnFail;

    // True when the process was started (and, with Wait, has ended); false when it
    // could not be started. Without Wait it returns as soon as the process runs.
    // A call made while another one waits (possible with wRegular) runs on its own.
    bool Execute();

    // Ends the runs that are being waited for: their whole process groups are asked to
    // end, and killed when they have not ended a few seconds later. The waiting calls
    // return as their processes end; lastRunCancelled() tells them apart.
    void terminateRuns();

    // While a wSuspend wait drops user input, input to this object and its children
    // still gets through (a progress window's Cancel button). Cleared with nullptr.
    void setInputExempt(QObject* object) { m_inputExempt = object; }

    // The command as one text: CommandLine, a blank, Parameters.
    QString commandText() const { return m_commandLine + u' ' + m_parameters; }
    bool isRunning() const { return !m_active.isEmpty(); }
    bool isFinished() const { return m_finished; }
    QString lastError() const { return m_lastError; }

    // How the last waited-for run ended: normally with an exit code, or by a signal.
    bool lastRunExitedNormally() const { return m_lastNormalExit; }
    int lastExitCode() const { return m_lastExitCode; }
    bool lastRunCancelled() const { return m_lastCancelled; }
    // How the last waited-for run ended, as words that follow its subject ("ended with
    // exit status 3", "was cancelled"); empty when it ended by itself with status 0. A
    // launch script passes on an emulator killed by a signal as 128 + the signal, which
    // reads as that signal.
    QString lastRunEnding() const;
    // The last lines the last run wrote to its error stream (at most maxLines).
    QStringList lastErrorLines(int maxLines) const;
    // The program found for CommandLine by the last associated start, if any.
    QString associatedProgram() const { return m_associatedProgram; }

signals:
    void waitStarted(const QString& commandText);
    void waitFinished();

private:
    struct Run;
    bool start(QProcess& process, const QString& program, const QStringList& arguments);
    bool fail(const QString& error);
    void waitForEnd(Run& run);
    void readErrorOutput(Run& run);

    bool m_associate = false;
    QString m_commandLine;
    QString m_parameters;
    QStringList m_arguments;
    TPriorityClass m_priority = pcNormal;
    bool m_wait = false;
    TWaitStyle m_waitStyle = wRegular;
    TWindowStyle m_windowStyle = wsNorm;
    QString m_interpreter;

    QList<Run*> m_active; // the runs being waited for, innermost last
    QList<qint64> m_terminatedGroups;
    QPointer<QObject> m_inputExempt;
    bool m_finished = false;
    QString m_lastError;
    QString m_associatedProgram;
    bool m_lastNormalExit = true;
    int m_lastExitCode = 0;
    bool m_lastCancelled = false;
    QByteArray m_lastErrorOutput; // the end of the last run's error stream
};

// Moves source onto target, replacing it. Failures are ignored: when source does not
// exist, target is simply gone afterwards.
void MoveReplacing(const QString& source, const QString& target);

// Hands a file or web address to the desktop's default handler. False when the file
// does not exist or the desktop could not open it.
bool OpenDocument(DesktopOpener& opener, const QString& pathOrUrl);

// One entry of a directory listing: the name as stored on disk, and lower-cased for
// comparing (the pictures of a game are matched without regard to case).
struct ListedFile {
    QString lower;
    QString onDisk;
};

// Every entry (directories too) whose name matches the wildcard of pattern's last
// component, compared without regard to case, in the order the system lists them.
// The wildcard knows "*" and "?"; "\" makes the next character literal, and every
// other character ("[" and "]" too) is literal.
QList<ListedFile> ListFilesLower(const QString& pattern);
// The name with its wildcard characters made literal: a game's name in a pattern.
QString wildcardEscaped(QStringView name);
bool wildcardMatches(QStringView pattern, QStringView name);

// The program that opens a file of this kind, or empty when none is known.
QString findAssociatedProgram(const QString& path);
