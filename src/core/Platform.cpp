#include "Platform.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

QString defaultEmuExePath() {
    return QStringLiteral(".") + kSeparator;
}

QString batchFileName() {
#ifdef Q_OS_WIN
    return QStringLiteral("batch.bat");
#else
    return QStringLiteral("batch.sh");
#endif
}

QString scriptInterpreter() {
#ifdef Q_OS_WIN
    return {};
#else
    return QStringLiteral("/bin/sh");
#endif
}

QString emuExeName() {
    return QStringLiteral("kalto.exe");
}

QString emuConfigRelative() {
    return QStringLiteral("Config") + kSeparator + QStringLiteral("Kalto.cfg");
}

QString emuCheatsRelative() {
    return QStringLiteral("Config") + kSeparator + QStringLiteral("Cheats.cfg");
}

QString withTrailingSeparator(const QString& dir) {
    return dir.endsWith(kSeparator) ? dir : dir + kSeparator;
}

QString directoryPart(const QString& path) {
    return path.left(path.lastIndexOf(kSeparator) + 1);
}

bool isSafeFileName(QStringView name) {
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    for (QChar c : name) {
        const char16_t u = c.unicode();
        if (u == u'/' || u == u'\\' || u < 0x20 || (u >= 0x7f && u <= 0x9f))
            return false;
    }
    return true;
}

QDateTime modificationTime(const QString& path) {
    const QDateTime date = QFileInfo(path).lastModified();
    if (!date.isValid())
        return {};
    // Cut on the time line, not on the local clock: setting a local time of day in the
    // repeated hour of a daylight-saving change may land on the other occurrence.
    return QDateTime::fromSecsSinceEpoch(date.toSecsSinceEpoch(), Qt::UTC);
}

FolderStamp folderStamp(const QString& dir) {
#ifdef Q_OS_UNIX
    struct stat info = {};
    if (::stat(QFile::encodeName(dir).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return {};
    // Another folder put in its place has another identity.
    return {qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
            quint64(info.st_ino) ^ (quint64(info.st_dev) << 32)};
#else
    const QFileInfo info(dir);
    if (!info.isDir())
        return {};
    return {info.lastModified().toMSecsSinceEpoch() * 1000000, 0};
#endif
}

bool renameNoReplace(const QString& from, const QString& to) {
#ifdef Q_OS_UNIX
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return false;
#endif
    // Without an exclusive rename: a hard link also refuses any existing target; the
    // old name goes only once the new one is in place.
    struct stat info = {};
    if (::lstat(source.constData(), &info) != 0)
        return false;
    if (S_ISDIR(info.st_mode)) {
        errno = ENOTSUP;
        return false;
    }
    if (::link(source.constData(), target.constData()) != 0)
        return false;
    if (::unlink(source.constData()) != 0) {
        const int saved = errno;
        ::unlink(target.constData());
        errno = saved;
        return false;
    }
    return true;
#else
    // QFile::rename never replaces an existing file; here it never copies either,
    // since both names are in one directory.
    return !QFileInfo(to).exists() && !QFileInfo(to).isSymLink() && QFile::rename(from, to);
#endif
}

QString userTag() {
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    return {};
#endif
}

QString existingWorkingDirectory() {
#ifdef Q_OS_UNIX
    // getcwd() fails once the directory is gone; QDir::currentPath() would then give an
    // empty text that becomes the root directory when a separator is added.
    QByteArray buffer(4096, Qt::Uninitialized);
    while (!::getcwd(buffer.data(), size_t(buffer.size()))) {
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    const QString dir = QFile::decodeName(buffer.constData());
#else
    const QString dir = QDir::currentPath();
#endif
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        return {};
    return withTrailingSeparator(QDir::fromNativeSeparators(dir));
}

void ignoreFileSizeSignal() {
#ifdef Q_OS_UNIX
    ::signal(SIGXFSZ, SIG_IGN);
#endif
}

void listDirectory(const QString& dir, const std::function<void(QStringView, EntryKind)>& visit) {
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(dir.isEmpty() ? QStringLiteral(".") : dir);
    DIR* stream = ::opendir(path.constData());
    if (!stream)
        return;
    const int fd = ::dirfd(stream);
    QString scratch; // plain names are widened here without a new string each
    while (const dirent* entry = ::readdir(stream)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        bool directory = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat info = {};
            if (::fstatat(fd, name, &info, 0) != 0)
                continue; // a dangling link: nothing is there
            directory = S_ISDIR(info.st_mode);
        }
        const EntryKind kind = directory ? EntryKind::Directory : EntryKind::File;
        const size_t length = std::strlen(name);
        const bool plain = std::all_of(name, name + length, [](char c) { return uchar(c) < 0x80; });
        if (!plain) {
            visit(QFile::decodeName(name), kind);
            continue;
        }
        scratch.resize(qsizetype(length));
        char16_t* out = reinterpret_cast<char16_t*>(scratch.data());
        for (size_t i = 0; i < length; ++i)
            out[i] = char16_t(uchar(name[i]));
        visit(scratch, kind);
    }
    ::closedir(stream);
#else
    QDirIterator it(dir.isEmpty() ? QStringLiteral(".") : dir,
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        if (!info.exists())
            continue;
        visit(info.fileName(), info.isDir() ? EntryKind::Directory : EntryKind::File);
    }
#endif
}

QString toNativeSeparators(QString path) {
#ifdef Q_OS_WIN
    return path.replace(u'/', u'\\');
#else
    return path.replace(u'\\', u'/');
#endif
}

int signalFromScriptStatus(int exitCode) {
#ifdef Q_OS_UNIX
    if (exitCode > 128 && exitCode < 128 + NSIG)
        return exitCode - 128;
#else
    Q_UNUSED(exitCode);
#endif
    return 0;
}

QString signalDescription(int signal) {
#ifdef Q_OS_UNIX
    return QString::fromLocal8Bit(::strsignal(signal));
#else
    return QStringLiteral("signal %1").arg(signal);
#endif
}

} // namespace platform
