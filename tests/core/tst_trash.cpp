// The desktop's trash: real files moved into a trash folder of the test's own, on the
// file systems the machine has, full and without free inodes where the test may mount
// one.

#include "TestSupport.h"
#include "core/Trash.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using Outcome = TrashResult::Outcome;

char* toString(Outcome outcome) {
    static const char* const names[] = {"Trashed", "NoTrash", "Failed"};
    return qstrdup(names[int(outcome)]);
}

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every entry of a trash, hidden ones too.
QStringList entriesOf(const QString& trash) {
    QStringList entries;
    for (const char* part : {"/files", "/info"})
        for (const QString& name :
             QDir(trash + QLatin1StringView(part))
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
            entries.append(QLatin1StringView(part).mid(1) + u'/' + name);
    return entries;
}

// The original place an entry's info file names, as the desktop reads it back.
QString restoredPath(const QString& trash, const QString& entry, const QString& top = {}) {
    const QByteArray info = readFile(trash + u"/info/"_s + entry + u".trashinfo"_s);
    const QList<QByteArray> lines = info.split('\n');
    if (lines.value(0) != "[Trash Info]" || !lines.value(1).startsWith("Path=") ||
        !lines.value(2).startsWith("DeletionDate="))
        return {};
    const QDateTime date =
        QDateTime::fromString(QString::fromLatin1(lines[2].mid(13)), u"yyyy-MM-ddThh:mm:ss"_s);
    if (!date.isValid())
        return {};
    const QString path = QFile::decodeName(QByteArray::fromPercentEncoding(lines[1].mid(5)));
    return top.isEmpty() ? path : top + path;
}

} // namespace

class TestTrash : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_pictures = QDir(m_dir.path()).canonicalPath() + u"/Gameplay/"_s;
        m_trash = m_dir.path() + u"/data/Trash"_s;
        QVERIFY(QDir().mkpath(m_pictures));
    }
    void cleanup() {
        QDir(m_dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_dir.path()));
    }

    // A file goes to the trash with an info file that names its place, so the desktop
    // can put it back; another file of the same name gets an entry of its own. Names far
    // too long for an info file's name are shortened in the trash, their extension kept,
    // and named whole in the info file.
    void entriesTheDesktopCanRestore_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << u"mygame.001.pcx"_s;
        QTest::newRow("blank and accent") << u"my game \u00e9.001.pcx"_s;
        QTest::newRow("245-character zip name") << QString(245, u'z') + u".001.pcx"_s;
        QTest::newRow("255 bytes, accents") << QString(123, u'\u00e9') + u"x.001.pcx"_s;
    }
    void entriesTheDesktopCanRestore() {
        QFETCH(QString, name);
        for (const QByteArray& content : {QByteArray("first"), QByteArray("second")}) {
            QVERIFY(writeFile(m_pictures + name, content));
            const TrashResult result = moveToTrash(m_pictures + name, m_trash);
            QCOMPARE(result.outcome, Outcome::Trashed);
            QVERIFY(!QFileInfo::exists(m_pictures + name));
            QCOMPARE(readFile(result.entry), content);
            const QString entry = QFileInfo(result.entry).fileName();
            QVERIFY(entry.endsWith(u".pcx"_s));
            QVERIFY(QFile::encodeName(entry + u".trashinfo"_s).size() <= 255);
            QCOMPARE(restoredPath(m_trash, entry), m_pictures + name);
        }
        QCOMPARE(entriesOf(m_trash).size(), 4);
    }

    // Whatever fails, the attempt ends with the file where it was and nothing left in the
    // trash: a trash that refuses new files, a file-size limit, a full disk, a disk
    // without free inodes.
    void failuresEndAndLeaveNothing_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("trash refuses new files") << u"unwritable"_s;
        QTest::newRow("file-size limit") << u"size limit"_s;
        QTest::newRow("full disk") << u"full"_s;
        QTest::newRow("no free inodes") << u"inodes"_s;
    }
    void failuresEndAndLeaveNothing() {
        QFETCH(QString, fault);
        testsupport::TinyFileSystem disk(256, fault == u"inodes" ? 16 : 0);
        QString pictures = m_pictures;
        QString trash = m_trash;
        if (fault == u"full" || fault == u"inodes") {
            if (!disk.isActive())
                QSKIP("no right to mount a file system here");
            pictures = disk.path() + u"Gameplay/"_s;
            trash = disk.path() + u"data/Trash"_s;
            QVERIFY(QDir().mkpath(pictures));
            QVERIFY(QDir().mkpath(trash + u"/files"_s) && QDir().mkpath(trash + u"/info"_s));
        }
        const QString picture = pictures + u"mygame.001.pcx"_s;
        QVERIFY(writeFile(picture, "picture"));
        QVERIFY(QDir().mkpath(trash + u"/files"_s) && QDir().mkpath(trash + u"/info"_s));

        std::unique_ptr<testsupport::UnwritableDir> unwritable;
        std::unique_ptr<testsupport::FileSizeLimit> limit;
        if (fault == u"unwritable") {
            unwritable = std::make_unique<testsupport::UnwritableDir>(trash + u"/info"_s);
            if (!unwritable->isActive())
                QSKIP("the folder cannot be made to refuse files here");
        } else if (fault == u"size limit") {
            limit = std::make_unique<testsupport::FileSizeLimit>(10);
        } else if (fault == u"full") {
            disk.fill();
        } else {
            for (int i = 0; writeFile(disk.path() + QString::number(i), {}); ++i) {
            }
        }
        const TrashResult result = moveToTrash(picture, trash);
        limit.reset();
        unwritable.reset();
        QCOMPARE(result.outcome, Outcome::Failed);
        QVERIFY(!result.error.isEmpty());
        QCOMPARE(readFile(picture), QByteArray("picture"));
        QCOMPARE(entriesOf(trash), QStringList());
    }

    // Without any trash (the user's data folder is a file), nothing is done.
    void noTrashAtAll() {
        QVERIFY(writeFile(m_dir.path() + u"/data"_s, "not a folder"));
        QVERIFY(writeFile(m_pictures + u"mygame.001.pcx"_s, "picture"));
        QCOMPARE(moveToTrash(m_pictures + u"mygame.001.pcx"_s, m_trash).outcome, Outcome::NoTrash);
        QCOMPARE(readFile(m_pictures + u"mygame.001.pcx"_s), QByteArray("picture"));
    }

    // A file on another file system goes to the trash at the top of that file system,
    // named there relative to its top: ".Trash/<uid>" when the administrator made a
    // sticky ".Trash", else ".Trash-<uid>". Where neither can be made there is a trash,
    // but not for this file.
    void otherFileSystemsHaveTheirOwn() {
        testsupport::TinyFileSystem disk(256);
        if (!disk.isActive())
            QSKIP("no right to mount a file system here");
        const QString top = QDir(disk.path()).canonicalPath();
        const QString uid = QString::number(::getuid());
        QVERIFY(QDir().mkpath(top + u"/Gameplay"_s));
        const QString picture = top + u"/Gameplay/mygame.001.pcx"_s;

        QVERIFY(writeFile(picture, "one"));
        TrashResult result = moveToTrash(picture, m_trash);
        QCOMPARE(result.outcome, Outcome::Trashed);
        QCOMPARE(result.entry, top + u"/.Trash-"_s + uid + u"/files/mygame.001.pcx"_s);
        QCOMPARE(restoredPath(top + u"/.Trash-"_s + uid, u"mygame.001.pcx"_s, top + u'/'), picture);

        QVERIFY(QDir().mkdir(top + u"/.Trash"_s));
        QCOMPARE(::chmod(QFile::encodeName(top + u"/.Trash"_s).constData(), 01777), 0);
        QVERIFY(writeFile(picture, "two"));
        result = moveToTrash(picture, m_trash);
        QCOMPARE(result.outcome, Outcome::Trashed);
        QCOMPARE(result.entry, top + u"/.Trash/"_s + uid + u"/files/mygame.001.pcx"_s);
        QVERIFY(!QFileInfo::exists(m_trash + u"/files/mygame.001.pcx"_s));
    }

private:
    QTemporaryDir m_dir;
    QString m_pictures;
    QString m_trash;
};

QTEST_GUILESS_MAIN(TestTrash)
#include "tst_trash.moc"
