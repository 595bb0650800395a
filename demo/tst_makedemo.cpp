#include "DemoCatalog.h"
#include "ToolTestUtil.h"
#include "ZipReadBack.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using sk::test::Run;
using sk::test::run;
using sk::test::writeAll;

QByteArray readAll(const QString& path) {
    return sk::test::readBytes(path);
}

Run makeDemo(const QString& target) {
    return run(QStringLiteral(MAKE_DEMO_PATH), {target, QStringLiteral(KALTO_SIM_PATH)});
}

// Every file below `root`, by relative path, with its content.
QMap<QString, QByteArray> snapshot(const QString& root) {
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(root).relativeFilePath(path), readAll(path));
    }
    return files;
}

bool romMatches(const sk::DemoGame& game, const std::string& name, const std::string& data) {
    for (const sk::DemoRom& rom : game.roms)
        if (rom.name == name)
            return sk::romBytes(game, rom) == data;
    return false;
}

} // namespace

class TstMakeDemo : public QObject {
    Q_OBJECT

private slots:
    void layout();
    void romsetsMatchTheCatalog();
    void romcheckFindsGoodBadAndIncompleteSets();
    void rerunRefreshesOnlyItsOwnFiles();
    void refusesAFileAsTarget();
};

void TstMakeDemo::layout() {
    QTemporaryDir tmp;
    const QString root = tmp.filePath("demo");
    const Run r = makeDemo(root);
    QVERIFY2(r.exitCode == 0, r.err.constData());
    QVERIFY(r.out.contains("Config/Kalto.cfg"));

    const QString exe = root + "/kalto.exe";
    QCOMPARE(readAll(exe), readAll(QStringLiteral(KALTO_SIM_PATH)));
    const auto perms = QFile::permissions(exe);
    QVERIFY(
        perms.testFlags(QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther | QFile::WriteOwner));
    QVERIFY(!(perms & (QFile::WriteGroup | QFile::WriteOther)));
    const Run list = run(exe, {"-listinfo"});
    QCOMPARE(list.out, QByteArray::fromStdString(sk::listInfoText(sk::demoCatalog())));

    QCOMPARE(readAll(root + "/Config/Kalto.cfg"),
             QByteArray::fromStdString(sk::kaltoCfgText({"roms/", "roms2/", "", ""})));

    QMap<QString, int> cheatLines;
    QString section;
    for (const QByteArray& line : readAll(root + "/Config/Cheats.cfg").split('\n')) {
        const QString l = QString::fromUtf8(line).trimmed();
        if (l.startsWith('[')) {
            section = l.mid(1, l.size() - 2);
            QVERIFY2(!cheatLines.contains(section), qPrintable(section));
            cheatLines.insert(section, 0);
            QVERIFY(section.endsWith(":Cheats"));
            QVERIFY(sk::findDemoGame(section.chopped(7).toStdString()));
        } else if (l.contains('=')) {
            QVERIFY(!section.isEmpty());
            ++cheatLines[section];
        }
    }
    QCOMPARE(cheatLines.size(), 7);
    QCOMPARE(cheatLines.values().count(0), 1);
    for (int n : cheatLines.values())
        QVERIFY(n <= 3);
}

void TstMakeDemo::romsetsMatchTheCatalog() {
    QTemporaryDir tmp;
    const QString root = tmp.filePath("demo");
    QCOMPARE(makeDemo(root).exitCode, 0);

    // Which sets have an archive or directory of their own, and where.
    QMap<QString, QString> ownSets;
    for (const QString folder : {"roms", "roms2"}) {
        const QDir dir(root + "/" + folder);
        for (const QFileInfo& fi :
             dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QString zip = fi.isDir() ? fi.fileName() : fi.completeBaseName();
            QVERIFY2(fi.isDir() || fi.suffix() == "zip", qPrintable(fi.filePath()));
            QVERIFY2(sk::findDemoGame(zip.toStdString()), qPrintable(zip));
            QVERIFY2(!ownSets.contains(zip), qPrintable(zip));
            ownSets.insert(zip, fi.filePath());
        }
    }

    int badRoms = 0, missingRoms = 0, unpacked = 0, throughParent = 0, installed = 0;
    QSet<QString> folders;
    for (const sk::DemoGame& g : sk::demoCatalog()) {
        const QString zip = QString::fromStdString(g.zip);
        const QString parent = QString::fromStdString(g.parent);
        if (ownSets.contains(zip))
            ++installed;
        else if (g.isClone() && ownSets.contains(parent))
            ++installed, ++throughParent;
        if (!ownSets.contains(zip))
            continue;
        folders.insert(QFileInfo(ownSets[zip]).dir().dirName());

        // The set itself plus, merged in, each clone that has nothing of its own.
        QSet<QString> expected;
        for (const sk::DemoGame& other : sk::demoCatalog()) {
            const bool merged =
                other.parent == g.zip && !ownSets.contains(QString::fromStdString(other.zip));
            if (&other != &g && !merged)
                continue;
            for (const sk::DemoRom& rom : other.roms)
                expected.insert(QString::fromStdString(rom.name));
        }

        QSet<QString> found;
        auto check = [&](const std::string& name, const std::string& data) {
            found.insert(QString::fromStdString(name));
            bool ok = romMatches(g, name, data);
            for (const sk::DemoGame& other : sk::demoCatalog())
                ok = ok || (other.parent == g.zip && romMatches(other, name, data));
            badRoms += ok ? 0 : 1;
        };
        if (QFileInfo(ownSets[zip]).isDir()) {
            ++unpacked;
            for (const QFileInfo& fi : QDir(ownSets[zip]).entryInfoList(QDir::Files))
                check(fi.fileName().toStdString(), readAll(fi.filePath()).toStdString());
        } else {
            std::vector<sk::test::ReadBackEntry> entries;
            const std::string problem =
                sk::test::readZip(readAll(ownSets[zip]).toStdString(), entries);
            QVERIFY2(problem.empty(), problem.c_str());
            for (const auto& e : entries)
                check(e.name, e.data);
        }
        // Nothing beyond what the list names; one file is left out on purpose.
        QVERIFY2(expected.contains(found), qPrintable(zip));
        missingRoms += int(expected.size() - found.size());
    }

    QCOMPARE(badRoms, 1);
    QCOMPARE(missingRoms, 1);
    QCOMPARE(unpacked, 1);
    QVERIFY(throughParent >= 2);
    QCOMPARE(folders, (QSet<QString>{"roms", "roms2"}));
    const double share = double(installed) / double(sk::demoCatalog().size());
    QVERIFY2(share > 0.5 && share < 0.7, qPrintable(QString::number(share)));
}

void TstMakeDemo::romcheckFindsGoodBadAndIncompleteSets() {
    QTemporaryDir tmp;
    const QString root = tmp.filePath("demo");
    QCOMPARE(makeDemo(root).exitCode, 0);
    const Run r = run(root + "/kalto.exe", {"-romcheck"});
    QVERIFY2(r.exitCode == 0, r.err.constData());

    QMap<QString, QString> results;
    for (const QByteArray& line : r.out.split('\n')) {
        if (!line.contains('|'))
            continue;
        const QString text = QString::fromUtf8(line);
        results.insert(text.section('|', 0, 0).trimmed(), text.section('|', 1).trimmed());
    }
    QCOMPARE(results.value("calkids"), QString("BAD wrong CRC in ck-02.bin"));
    QCOMPARE(results.value("gobbotic"), QString("BAD missing gb-03.bin"));
    QCOMPARE(results.value("lumabolt"), QString("OK"));
    QCOMPARE(results.value("lumabol2"), QString("OK")); // merged into its parent's archive
    QCOMPARE(results.values().count("OK"), results.size() - 2);
    // Only archives are checked: the unpacked set and the sets not installed are not listed.
    QVERIFY(!results.contains("tidecrsh"));
    QVERIFY(!results.contains("glimrun"));
}

void TstMakeDemo::rerunRefreshesOnlyItsOwnFiles() {
    QTemporaryDir tmp;
    const QString root = tmp.filePath("demo");
    QCOMPARE(makeDemo(root).exitCode, 0);
    const QMap<QString, QByteArray> first = snapshot(root);

    QVERIFY(writeAll(root + "/StartKALTO.ini", "[General]\nkept=1\n"));
    QVERIFY(writeAll(root + "/roms/notes.txt", "mine"));
    QVERIFY(writeAll(root + "/Config/Kalto.cfg", "broken"));
    QVERIFY(QFile::remove(root + "/roms/skyloom.zip") || QFile::remove(root + "/roms2/mjelly.zip"));

    const Run r = makeDemo(root);
    QVERIFY2(r.exitCode == 0, r.err.constData());
    QMap<QString, QByteArray> second = snapshot(root);
    QCOMPARE(second.take("StartKALTO.ini"), QByteArray("[General]\nkept=1\n"));
    QCOMPARE(second.take("roms/notes.txt"), QByteArray("mine"));
    // Everything it writes comes back byte for byte, and no temporary files are left over.
    QCOMPARE(second.keys(), first.keys());
    QVERIFY(second == first);
}

void TstMakeDemo::refusesAFileAsTarget() {
    QTemporaryDir tmp;
    const QString file = tmp.filePath("plain");
    QVERIFY(writeAll(file, "x"));
    const Run r = makeDemo(file);
    QCOMPARE(r.exitCode, 2);
    QVERIFY(r.err.contains("not a directory"));
    QCOMPARE(readAll(file), QByteArray("x"));

    QCOMPARE(run(QStringLiteral(MAKE_DEMO_PATH), {tmp.filePath("d")}).exitCode, 2);
    QVERIFY(!QFile::exists(tmp.filePath("d")));
}

QTEST_GUILESS_MAIN(TstMakeDemo)
#include "tst_makedemo.moc"
