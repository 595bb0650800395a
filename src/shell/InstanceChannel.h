#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// How a second start of the program reaches the copy that works in the same front-end
// directory: the first copy listens on a local socket named after the directory, and
// the second asks it to bring its window to the front. The lock file stays what keeps
// two copies apart; this only lets the second one hand over politely.
class InstanceChannel final : public QObject {
    Q_OBJECT

public:
    explicit InstanceChannel(QObject* parent = nullptr);
    ~InstanceChannel() override;
    Q_DISABLE_COPY_MOVE(InstanceChannel)

    // Answers the second starts in dir from now on (listening again for another dir).
    // Called only while this copy holds the directory's lock, so a socket left behind
    // by a copy that died is taken over. False when no socket could be made; the
    // program works on, a second start then says that this copy runs.
    bool listen(const QString& dir);
    bool isListening() const;

    // Asks the copy that works in dir to come to the front; true once it said it did.
    // False when nothing answers within timeoutMs (no copy listens, or it hangs).
    static bool askToRaise(const QString& dir, int timeoutMs = 3000);

    // The socket's name for dir: the same for every spelling of the directory, and of
    // this user only.
    static QString serverName(const QString& dir);

signals:
    // A second start asked for the window.
    void raiseRequested();

private:
    void answer();

    QLocalServer* m_server = nullptr;
};
