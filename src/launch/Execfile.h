#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class DesktopOpener;
class QProcess;

// Starts another program as a separate process, optionally waits for its end, and
// reports a start that failed through OnFail.
//
// Here CommandLine names the program (or, with an interpreter set, the script the
// interpreter runs) and Parameters is split at blanks into its arguments; no shell
// ever sees the parameters. The started program inherits our standard streams.
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

    static constexpr qsizetype kMaxTextLength = 255;

    explicit TExecFile(QObject* parent = nullptr);
    ~TExecFile() override;
    Q_DISABLE_COPY_MOVE(TExecFile)

    bool associate() const { return m_associate; }
    void setAssociate(bool value) { m_associate = value; }
    QString commandLine() const { return m_commandLine; }
    void setCommandLine(const QString& value) { m_commandLine = value.left(kMaxTextLength); }
    QString parameters() const { return m_parameters; }
    void setParameters(const QString& value) { m_parameters = value.left(kMaxTextLength); }
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
    bool Execute();

    // The command as one text: CommandLine, a blank, Parameters.
    QString commandText() const { return m_commandLine + u' ' + m_parameters; }
    bool isRunning() const { return m_running; }
    bool isFinished() const { return m_finished; }
    QString lastError() const { return m_lastError; }
    // The program found for CommandLine by the last associated start, if any.
    QString associatedProgram() const { return m_associatedProgram; }

signals:
    void waitStarted(const QString& commandText);
    void waitFinished();

private:
    bool start(const QString& program, const QStringList& arguments);
    bool fail(const QString& error);
    void waitForEnd();

    bool m_associate = false;
    QString m_commandLine;
    QString m_parameters;
    TPriorityClass m_priority = pcNormal;
    bool m_wait = false;
    TWaitStyle m_waitStyle = wRegular;
    TWindowStyle m_windowStyle = wsNorm;
    QString m_interpreter;

    QProcess* m_process = nullptr; // the process of the Execute that runs now
    bool m_running = false;
    bool m_finished = false;
    QString m_lastError;
    QString m_associatedProgram;
};

// Moves source onto target, replacing it. Failures are ignored: when source does not
// exist, target is simply gone afterwards.
void MoveReplacing(const QString& source, const QString& target);

// Hands a file or web address to the desktop's default handler; nothing is reported.
void OpenDocument(DesktopOpener& opener, const QString& pathOrUrl);

// One entry of a directory listing: the name as stored on disk, and lower-cased for
// comparing (the pictures of a game are matched without regard to case).
struct ListedFile {
    QString lower;
    QString onDisk;
};

// Every entry (directories too) whose name matches the wildcard of pattern's last
// component, compared without regard to case, in the order the system lists them.
QList<ListedFile> ListFilesLower(const QString& pattern);

// The program that opens a file of this kind, or empty when none is known.
QString findAssociatedProgram(const QString& path);
