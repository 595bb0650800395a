#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

namespace testsupport {

// Path of the stand-in emulator built with the project.
QString kaltoSimPath();

// Gives a file another modification time.
void setModified(const QString& path, const QDateTime& when);

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    QByteArray m_name;
    std::optional<QByteArray> m_old;
};

// A front-end directory in a temporary directory, made the working directory for the
// object's lifetime. The stand-in emulator logs its runs to runLog().
class FrontEndDir {
public:
    FrontEndDir();
    ~FrontEndDir();
    FrontEndDir(const FrontEndDir&) = delete;
    FrontEndDir& operator=(const FrontEndDir&) = delete;

    bool isValid() const { return m_dir.isValid(); }
    // The directory with a trailing separator, as the program's paths hold it.
    QString path() const;
    QString file(const QString& relative) const { return path() + relative; }

    // Copies the stand-in as <subdir>kalto.exe (subdir empty or ending in "/").
    void installEmulator(const QString& subdir = {});
    // Writes the emulator's default configuration under <subdir>Config/.
    void installConfig(const QString& subdir = {});

    void writeFile(const QString& relative, const QByteArray& bytes);
    QByteArray readFile(const QString& relative) const;
    bool exists(const QString& relative) const;
    void makeDir(const QString& relative);

    // One entry per run of the stand-in: its arguments joined by blanks.
    QStringList runs() const;
    QString runLog() const { return file(QStringLiteral("sim-runs.log")); }

private:
    QTemporaryDir m_dir;
    QString m_oldCwd;
    ScopedEnv m_log;
};

// Makes a directory refuse new files for the object's lifetime: by its mode, and where
// that does not bind (running as root) by the file system's immutable flag. isActive()
// is false when neither works here.
class UnwritableDir {
public:
    explicit UnwritableDir(const QString& path);
    ~UnwritableDir();
    UnwritableDir(const UnwritableDir&) = delete;
    UnwritableDir& operator=(const UnwritableDir&) = delete;

    bool isActive() const { return m_active; }

private:
    bool probeWritable() const;

    QString m_path;
    bool m_immutable = false;
    bool m_active = false;
};

// A tiny tmpfs mounted in a temporary directory, for a real full disk (or one without
// free inodes, when a number of them is given). isActive() is false where mounting needs
// rights the test does not have.
class TinyFileSystem {
public:
    explicit TinyFileSystem(int kilobytes, int inodes = 0);
    ~TinyFileSystem();
    TinyFileSystem(const TinyFileSystem&) = delete;
    TinyFileSystem& operator=(const TinyFileSystem&) = delete;

    bool isActive() const { return m_mounted; }
    QString path() const { return m_dir.path() + u'/'; }
    // Fills the free space with a file of its own; empty() takes it away again.
    void fill();
    void empty();

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

// A limit on the size of files this process writes, for the object's lifetime. The
// program ignores the signal such a limit raises; so does this object meanwhile.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    qint64 m_oldSoft = -1;
    qint64 m_oldHard = -1;
};

// Every entry below the folder, hidden ones too, with its size and modification time,
// sorted: two equal snapshots say that nothing was touched in between.
QStringList folderSnapshot(const QString& folder);

// The parent's child of that type and name; a missing one ends the test run, naming it.
template <typename T> T* namedChild(const QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QLatin1StringView(name));
    if (!found)
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return found;
}

// The processes whose command line mentions text (the stand-in emulator of a test's
// front-end directory, say), other than zombies.
QList<qint64> processesMentioning(const QString& text);

} // namespace testsupport
