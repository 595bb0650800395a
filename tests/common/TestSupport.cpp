#include "TestSupport.h"

#include "DemoCatalog.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#ifdef Q_OS_LINUX
#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace testsupport {

QString kaltoSimPath() {
    return QStringLiteral(KALTO_SIM_PATH);
}

void setModified(const QString& path, const QDateTime& when) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(when, QFileDevice::FileModificationTime));
}

ScopedEnv::ScopedEnv(const char* name, const QByteArray& value) : m_name(name) {
    if (qEnvironmentVariableIsSet(name))
        m_old = qgetenv(name);
    qputenv(name, value);
}

ScopedEnv::~ScopedEnv() {
    if (m_old)
        qputenv(m_name.constData(), *m_old);
    else
        qunsetenv(m_name.constData());
}

FrontEndDir::FrontEndDir()
    : m_oldCwd(QDir::currentPath()),
      m_log("KALTO_SIM_LOG", QFile::encodeName(m_dir.path() + QStringLiteral("/sim-runs.log"))) {
    QDir::setCurrent(m_dir.path());
}

FrontEndDir::~FrontEndDir() {
    QDir::setCurrent(m_oldCwd);
}

QString FrontEndDir::path() const {
    return m_dir.path() + u'/';
}

void FrontEndDir::installEmulator(const QString& subdir) {
    makeDir(subdir);
    const QString target = file(subdir + QStringLiteral("kalto.exe"));
    QFile::remove(target);
    QVERIFY(QFile::copy(kaltoSimPath(), target));
    QVERIFY(QFile::setPermissions(target, QFile::permissions(target) | QFile::ExeOwner |
                                              QFile::ReadOwner | QFile::WriteOwner));
}

void FrontEndDir::installConfig(const QString& subdir) {
    writeFile(subdir + QStringLiteral("Config/Kalto.cfg"),
              QByteArray::fromStdString(sk::defaultKaltoCfg()));
}

void FrontEndDir::writeFile(const QString& relative, const QByteArray& bytes) {
    const QString target = file(relative);
    QDir().mkpath(QFileInfo(target).path());
    QFile f(target);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(target));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray FrontEndDir::readFile(const QString& relative) const {
    QFile f(file(relative));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool FrontEndDir::exists(const QString& relative) const {
    return QFileInfo::exists(file(relative));
}

void FrontEndDir::makeDir(const QString& relative) {
    if (!relative.isEmpty())
        QVERIFY(QDir().mkpath(file(relative)));
}

QStringList FrontEndDir::runs() const {
    const QString text = QString::fromUtf8(readFile(QStringLiteral("sim-runs.log")));
    return text.split(u'\n', Qt::SkipEmptyParts);
}

namespace {

bool setImmutable([[maybe_unused]] const QString& path, [[maybe_unused]] bool on) {
#ifdef Q_OS_LINUX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
#else
    return false;
#endif
}

} // namespace

UnwritableDir::UnwritableDir(const QString& path) : m_path(path) {
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
    if (probeWritable())
        m_immutable = setImmutable(path, true);
    m_active = !probeWritable();
}

UnwritableDir::~UnwritableDir() {
    if (m_immutable)
        setImmutable(m_path, false);
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool UnwritableDir::probeWritable() const {
    QFile probe(m_path + QStringLiteral("/.probe"));
    if (!probe.open(QIODevice::WriteOnly))
        return false;
    probe.close();
    probe.remove();
    return true;
}

TinyFileSystem::TinyFileSystem([[maybe_unused]] int kilobytes, [[maybe_unused]] int inodes) {
#ifdef Q_OS_LINUX
    QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
    if (inodes > 0)
        options += ",nr_inodes=" + QByteArray::number(inodes);
    m_mounted = m_dir.isValid() && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(),
                                           "tmpfs", 0, options.constData()) == 0;
#endif
}

TinyFileSystem::~TinyFileSystem() {
#ifdef Q_OS_LINUX
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
#endif
}

void TinyFileSystem::fill() {
    QFile filler(path() + QStringLiteral(".filler"));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return;
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size()) {
    }
    // The last partial block too, byte by byte.
    while (filler.write("f", 1) == 1) {
    }
}

void TinyFileSystem::empty() {
    QFile::remove(path() + QStringLiteral(".filler"));
}

FileSizeLimit::FileSizeLimit([[maybe_unused]] qint64 bytes) {
#ifdef Q_OS_LINUX
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    m_oldSoft = qint64(limit.rlim_cur);
    m_oldHard = qint64(limit.rlim_max);
    limit.rlim_cur = rlim_t(bytes);
    ::setrlimit(RLIMIT_FSIZE, &limit);
#endif
}

FileSizeLimit::~FileSizeLimit() {
#ifdef Q_OS_LINUX
    rlimit limit = {rlim_t(m_oldSoft), rlim_t(m_oldHard)};
    ::setrlimit(RLIMIT_FSIZE, &limit);
#endif
}

QList<qint64> processesMentioning(const QString& text) {
    QList<qint64> found;
    const QByteArray needle = QFile::encodeName(text);
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number || pid == QCoreApplication::applicationPid())
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!cmdline.open(QIODevice::ReadOnly) || !cmdline.readAll().contains(needle))
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (stat.open(QIODevice::ReadOnly)) {
            const QByteArray fields = stat.readAll();
            const qsizetype close = fields.lastIndexOf(')');
            if (close >= 0 && close + 2 < fields.size() && fields[close + 2] == 'Z')
                continue;
        }
        found.append(pid);
    }
    return found;
}

QStringList folderSnapshot(const QString& folder) {
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        entries.append(QStringLiteral("%1 %2 %3")
                           .arg(info.filePath())
                           .arg(info.isDir() ? -1 : info.size())
                           .arg(info.lastModified().toMSecsSinceEpoch()));
    }
    entries.sort();
    return entries;
}

} // namespace testsupport
