#include "TestSupport.h"

#include "DemoCatalog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
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

} // namespace testsupport
