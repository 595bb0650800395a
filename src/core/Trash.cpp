#include "Trash.h"

#include "Platform.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#define SK_FREEDESKTOP_TRASH 1
#endif

QString homeTrashDir() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? QString() : data + QStringLiteral("/Trash");
}

#ifdef SK_FREEDESKTOP_TRASH

namespace {

using Outcome = TrashResult::Outcome;

// How many names are tried before giving up: a trash that holds that many files of one
// name is not one to search further.
constexpr int kMaxAttempts = 1000;
const QByteArray kInfoSuffix = ".trashinfo";

TrashResult failed(const QString& why) {
    return {Outcome::Failed, {}, why};
}

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

bool statOf(const QString& path, struct stat& info) {
    return ::stat(encoded(path).constData(), &info) == 0;
}

// A folder of this user's alone, made when missing. At the top of a shared file system
// never a symbolic link, which could lead another user's files elsewhere.
bool privateDir(const QString& path, bool linkAllowed = false) {
    if (::mkdir(encoded(path).constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info = {};
    const QByteArray name = encoded(path);
    if ((linkAllowed ? ::stat(name.constData(), &info) : ::lstat(name.constData(), &info)) != 0)
        return false;
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
        errno = S_ISDIR(info.st_mode) ? EPERM : ENOTDIR;
        return false;
    }
    return true;
}

// A trash folder with its "files" and "info" folders, made where missing; the user's own
// may be a link to a folder elsewhere.
bool trashDir(const QString& trash, bool linkAllowed = false) {
    return privateDir(trash, linkAllowed) && privateDir(trash + QStringLiteral("/files")) &&
           privateDir(trash + QStringLiteral("/info"));
}

// The nearest folder at or above path that exists.
QString existingAncestor(QString path) {
    while (!path.isEmpty() && !QFileInfo::exists(path)) {
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            break;
        path = parent;
    }
    return path;
}

// The top folder of the file system that holds dir (a canonical path).
QString mountTop(const QString& dir, dev_t device) {
    QString top = dir;
    while (top != QStringLiteral("/")) {
        const QString parent = QFileInfo(top).path();
        struct stat info = {};
        if (!statOf(parent, info) || info.st_dev != device)
            break;
        top = parent;
    }
    return top;
}

// The trash of the file system whose top folder is top: ".Trash/<uid>" in a ".Trash"
// that the administrator made (a sticky folder, no link), else ".Trash-<uid>".
QString topTrash(const QString& top) {
    const QString base = top == QStringLiteral("/") ? QString() : top;
    const QString uid = QString::number(::getuid());
    const QString shared = base + QStringLiteral("/.Trash");
    struct stat info = {};
    if (::lstat(encoded(shared).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
        (info.st_mode & S_ISVTX) && trashDir(shared + u'/' + uid))
        return shared + u'/' + uid;
    const QString own = base + QStringLiteral("/.Trash-") + uid;
    return trashDir(own) ? own : QString();
}

// The name of the file in the trash at the given attempt: its own name first, then with
// a number before its extension, each cut short (its extension kept) so that the info
// file's name fits the file system.
QString entryName(const QString& name, int attempt, qsizetype maxBytes) {
    QString base = name;
    QString extension;
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot > 0 && name.size() - dot <= 8) {
        base = name.left(dot);
        extension = name.mid(dot);
    }
    const QString number = attempt > 1 ? QStringLiteral(".%1").arg(attempt) : QString();
    while (!base.isEmpty() && encoded(base + number + extension).size() > maxBytes)
        base.chop(base.size() > 1 && base.back().isLowSurrogate() ? 2 : 1);
    return base + number + extension;
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        done += n;
    }
    return true;
}

// Writes the info file under a temporary name in the info folder; its path, or empty
// with errno set.
QString writeInfo(const QString& infoDir, const QByteArray& text) {
    QByteArray name = encoded(infoDir) + "/.startkalto-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return {};
    bool ok = writeAll(fd, text) && (::fsync(fd) == 0 || errno == EINVAL);
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(name.constData());
        errno = error;
        return {};
    }
    return QFile::decodeName(name);
}

TrashResult trashInto(const QString& trash, const QString& top, const QString& original) {
    const QString infoDir = trash + QStringLiteral("/info");
    const QString filesDir = trash + QStringLiteral("/files");
    // The original place: absolute in the user's own trash, relative to the file
    // system's top in the trash there.
    const QString path = top.isEmpty()                ? original
                         : top == QStringLiteral("/") ? original.mid(1)
                                                      : original.mid(top.size() + 1);
    const QByteArray text =
        "[Trash Info]\nPath=" + QUrl::toPercentEncoding(encoded(path), "/") + "\nDeletionDate=" +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toLatin1() +
        "\n";
    const QString temporary = writeInfo(infoDir, text);
    if (temporary.isEmpty())
        return failed(systemError(errno));

    const long nameMax = ::pathconf(encoded(infoDir).constData(), _PC_NAME_MAX);
    const qsizetype maxBytes = (nameMax > 0 ? nameMax : NAME_MAX) - kInfoSuffix.size();
    const QString name = QFileInfo(original).fileName();
    QString why = QStringLiteral("the trash holds too many files of that name");
    for (int attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        const QString entry = entryName(name, attempt, maxBytes);
        const QString info = infoDir + u'/' + entry + QLatin1StringView(kInfoSuffix);
        const QString target = filesDir + u'/' + entry;
        struct stat taken = {};
        if (::lstat(encoded(target).constData(), &taken) == 0)
            continue;
        // The info file comes first: it reserves the name.
        if (!platform::renameNoReplace(temporary, info)) {
            if (errno == EEXIST)
                continue;
            why = systemError(errno);
            break;
        }
        if (platform::renameNoReplace(original, target))
            return {Outcome::Trashed, target, {}};
        const int error = errno;
        // The info file goes back to its temporary name, for the next name or to go.
        if (!platform::renameNoReplace(info, temporary)) {
            ::unlink(encoded(info).constData());
            why = systemError(error);
            break;
        }
        if (error != EEXIST) {
            why = systemError(error);
            break;
        }
    }
    ::unlink(encoded(temporary).constData());
    return failed(why);
}

} // namespace

TrashResult moveToTrash(const QString& file, const QString& homeTrash) {
    const QFileInfo info(file);
    const QString folder = info.absoluteDir().canonicalPath();
    struct stat self = {};
    if (folder.isEmpty() || ::lstat(encoded(file).constData(), &self) != 0)
        return failed(systemError(ENOENT));
    const QString original =
        (folder == QStringLiteral("/") ? QString() : folder) + u'/' + info.fileName();
    const dev_t device = self.st_dev;

    // The user's own trash is made where missing. One that is there but cannot take
    // files is a trash all the same: only where none can be made is there no trash.
    const bool homeUsable = !homeTrash.isEmpty() && QDir().mkpath(QFileInfo(homeTrash).path()) &&
                            trashDir(homeTrash, true);
    const int homeError = errno;
    const bool homeThere = homeUsable || QFileInfo(homeTrash).exists();
    struct stat homeInfo = {};
    const QString homePlace = homeThere ? homeTrash : existingAncestor(homeTrash);
    const bool sameDevice =
        !homePlace.isEmpty() && statOf(homePlace, homeInfo) && homeInfo.st_dev == device;
    if (sameDevice || homeTrash.isEmpty()) {
        if (homeUsable)
            return trashInto(homeTrash, {}, original);
        if (homeThere)
            return failed(systemError(homeError));
        return {Outcome::NoTrash, {}, {}};
    }

    const QString top = mountTop(folder, device);
    const QString trash = topTrash(top);
    if (!trash.isEmpty())
        return trashInto(trash, top, original);
    if (!homeThere)
        return {Outcome::NoTrash, {}, {}};
    return failed(
        QStringLiteral("its disk has no trash that can take it (%1)").arg(systemError(errno)));
}

#else

TrashResult moveToTrash(const QString& file, const QString&) {
    QString entry;
    if (QFile::moveToTrash(file, &entry))
        return {TrashResult::Outcome::Trashed, entry, {}};
    return {TrashResult::Outcome::Failed, {}, QStringLiteral("the system refused it")};
}

#endif
