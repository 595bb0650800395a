#include "Platform.h"

#include <QFileInfo>

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
        if (u == u'/' || u == u'\\' || u < 0x20 || u == 0x7f)
            return false;
    }
    return true;
}

QDateTime modificationTime(const QString& path) {
    QDateTime date = QFileInfo(path).lastModified();
    if (date.isValid()) {
        const QTime t = date.time();
        date.setTime(QTime(t.hour(), t.minute(), t.second()));
    }
    return date;
}

QString toNativeSeparators(QString path) {
#ifdef Q_OS_WIN
    return path.replace(u'/', u'\\');
#else
    return path.replace(u'\\', u'/');
#endif
}

} // namespace platform
