#include "Crc32.h"
#include "DemoCatalog.h"
#include "StoredZip.h"
#include "ToolTestUtil.h"
#include "ZipReadBack.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using sk::test::Run;
using sk::test::run;
using sk::test::writeAll;

std::string readAll(const QString& path) {
    return sk::test::readBytes(path).toStdString();
}

// Places the emulator stand-in as dir/kalto.exe, the way the front-end finds it.
QString installSim(const QString& dir) {
    const QString exe = dir + "/kalto.exe";
    if (!QFile::copy(QStringLiteral(KALTO_SIM_PATH), exe))
        return {};
    QFile::setPermissions(exe, QFile::permissions(exe) | QFile::ExeOwner);
    return exe;
}

QStringList crlfLines(const std::string& text) {
    return QString::fromStdString(text).split("\r\n");
}

} // namespace

class TstToolCommon : public QObject {
    Q_OBJECT

private slots:
    void crc32KnownValues_data();
    void crc32KnownValues();
    void crc32Continues();

    void emptyZipIsTheBareEndRecord();
    void zipRoundTrip();
    void zipAcceptedByUnzip();
    void zipRejectsBadEntries();

    void catalogIsConsistent();
    void romBytesAreStable();
    void listInfoHasOneWellFormedBlockPerGame();
    void defaultConfigLayout();

    void simListInfo();
    void simListInfoFromCatalogFile();
    void simNoGuiWritesConfigOnce();
    void simEmulatorDirIsWhereItWasInvoked();
    void simUnknownOptionsGoToStderr();
    void simLogsAndSleeps();
};

void TstToolCommon::crc32KnownValues_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<uint>("crc");
    QTest::newRow("empty") << QByteArray() << 0u;
    QTest::newRow("a") << QByteArray("a") << 0xe8b7be43u;
    QTest::newRow("check") << QByteArray("123456789") << 0xcbf43926u;
    QTest::newRow("fox") << QByteArray("The quick brown fox jumps over the lazy dog")
                         << 0x414fa339u;
    QTest::newRow("zeros") << QByteArray(32, '\0') << 0x190a55adu;
}

void TstToolCommon::crc32KnownValues() {
    QFETCH(QByteArray, data);
    QFETCH(uint, crc);
    QCOMPARE(sk::crc32(data.constData(), size_t(data.size())), crc);
}

void TstToolCommon::crc32Continues() {
    const QByteArray a = "The quick brown ", b = "fox jumps over the lazy dog";
    const uint32_t first = sk::crc32(a.constData(), size_t(a.size()));
    QCOMPARE(sk::crc32(b.constData(), size_t(b.size()), first), 0x414fa339u);
}

void TstToolCommon::emptyZipIsTheBareEndRecord() {
    QTemporaryDir dir;
    const QString path = dir.filePath("empty.zip");
    QVERIFY(sk::writeStoredZip(path.toStdString(), {}));
    const std::string bytes = readAll(path);
    QCOMPARE(bytes, std::string("PK\x05\x06", 4) + std::string(18, '\0'));
}

void TstToolCommon::zipRoundTrip() {
    QTemporaryDir dir;
    std::string binary(70000, '\0');
    for (size_t i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 131) ^ (i >> 7));
    const std::vector<sk::ZipEntry> entries = {
        {"a.bin", "hello"},
        {"empty.bin", ""},
        {"sub/dir/big.bin", binary},
        {"caf\xc3\xa9.rom", "x"},
    };
    const QString path = dir.filePath("set.zip");
    std::string error;
    QVERIFY2(sk::writeStoredZip(path.toStdString(), entries, &error), error.c_str());

    std::vector<sk::test::ReadBackEntry> read;
    const std::string problem = sk::test::readStoredZip(readAll(path), read);
    QVERIFY2(problem.empty(), problem.c_str());
    QCOMPARE(read.size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        QCOMPARE(read[i].name, entries[i].name);
        QVERIFY(read[i].data == entries[i].data);
    }
    // Only the non-ASCII name is marked as UTF-8.
    QCOMPARE(read[0].flags, uint16_t(0));
    QCOMPARE(read[3].flags, uint16_t(1 << 11));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"set.zip"});

    // Rewriting replaces the archive rather than appending to it.
    QVERIFY(sk::writeStoredZip(path.toStdString(), {{"only.bin", "1"}}));
    QVERIFY(sk::test::readStoredZip(readAll(path), read).empty());
    QCOMPARE(read.size(), size_t(1));
}

void TstToolCommon::zipAcceptedByUnzip() {
    const QString unzip = QStandardPaths::findExecutable("unzip");
    if (unzip.isEmpty())
        QSKIP("unzip is not installed");
    QTemporaryDir dir;
    const QString path = dir.filePath("set.zip");
    QVERIFY(sk::writeStoredZip(path.toStdString(),
                               {{"x-01.bin", std::string(3000, 'x')}, {"x-02.bin", "abc"}}));
    const Run r = run(unzip, {"-tq", path});
    QVERIFY2(r.exitCode == 0, r.out.constData());
    QVERIFY(sk::writeStoredZip(path.toStdString(), {}));
    // unzip reports an empty archive with exit code 1 and a warning, not a format error.
    QVERIFY(run(unzip, {"-tq", path}).exitCode <= 1);
}

void TstToolCommon::zipRejectsBadEntries() {
    QTemporaryDir dir;
    const std::string path = dir.filePath("bad.zip").toStdString();
    const std::vector<std::vector<sk::ZipEntry>> bad = {
        {{"a.bin", "1"}, {"a.bin", "2"}},
        {{"", "1"}},
        {{"/etc/x", "1"}},
        {{"dir\\x.bin", "1"}},
    };
    for (const auto& entries : bad) {
        std::string error;
        QVERIFY(!sk::writeStoredZip(path, entries, &error));
        QVERIFY(!error.empty());
        QVERIFY(!QFile::exists(QString::fromStdString(path)));
    }
    std::string error;
    QVERIFY(!sk::writeStoredZip(dir.filePath("missing/x.zip").toStdString(), {}, &error));
    QVERIFY(error.find("missing") != std::string::npos);
    QVERIFY(QDir(dir.path()).isEmpty());
}

void TstToolCommon::catalogIsConsistent() {
    const auto& games = sk::demoCatalog();
    QVERIFY(games.size() >= 30 && games.size() <= 40);

    const QRegularExpression zipName("^[a-z0-9]{1,8}$");
    const QRegularExpression year("^19[789][0-9]$");
    QSet<QString> zips;
    int clones = 0, unknownYears = 0, quotedTitles = 0;
    for (const sk::DemoGame& g : games) {
        const QString zip = QString::fromStdString(g.zip);
        QVERIFY2(zipName.match(zip).hasMatch(), qPrintable(zip));
        QVERIFY2(!zips.contains(zip), qPrintable(zip));
        zips.insert(zip);
        QVERIFY(!g.description.empty() && !g.manufacturer.empty());
        if (g.year == "19??")
            ++unknownYears;
        else
            QVERIFY2(year.match(QString::fromStdString(g.year)).hasMatch(), g.year.c_str());
        if (g.description.find('"') != std::string::npos)
            ++quotedTitles;
        QCOMPARE(g.vertical, g.height > g.width);
        QVERIFY(g.roms.size() >= 2 && g.roms.size() <= 6);
        QSet<QString> romNames;
        for (const sk::DemoRom& r : g.roms) {
            QVERIFY(r.size >= 1024 && r.size <= 8192);
            romNames.insert(QString::fromStdString(r.name));
        }
        QCOMPARE(romNames.size(), qsizetype(g.roms.size()));
    }
    for (const sk::DemoGame& g : games) {
        if (!g.isClone())
            continue;
        ++clones;
        const sk::DemoGame* parent = sk::findDemoGame(g.parent);
        QVERIFY2(parent, g.parent.c_str());
        QVERIFY2(!parent->isClone(), "a parent must not itself be a clone");
        // Merged sets put a clone's roms beside its parent's; the names must not collide.
        for (const sk::DemoRom& r : g.roms)
            for (const sk::DemoRom& pr : parent->roms)
                QVERIFY(r.name != pr.name);
    }
    QVERIFY(clones * 4 >= int(games.size()) && clones * 5 <= int(games.size()) * 2);
    QCOMPARE(unknownYears, 1);
    QCOMPARE(quotedTitles, 1);
}

void TstToolCommon::romBytesAreStable() {
    const sk::DemoGame* g = sk::findDemoGame("lumabolt");
    QVERIFY(g);
    const std::string a = sk::romBytes(*g, g->roms[0]);
    QCOMPARE(a.size(), size_t(g->roms[0].size));
    QVERIFY(a == sk::romBytes(*g, g->roms[0]));
    QVERIFY(a.substr(0, 1024) != sk::romBytes(*g, g->roms[1]).substr(0, 1024));
    // Pinned so stored fixtures and archives made elsewhere keep matching the catalog.
    QCOMPARE(g->roms[0].name, std::string("lb-01.bin"));
    QCOMPARE(sk::crc32(a.data(), a.size()), 0x5c55688bu);
}

void TstToolCommon::listInfoHasOneWellFormedBlockPerGame() {
    const auto& games = sk::demoCatalog();
    const std::string text = sk::listInfoText(games);
    QVERIFY(text.rfind("# ", 0) == 0);
    QCOMPARE(std::count(text.begin(), text.end(), '\n'),
             std::count(text.begin(), text.end(), '\r'));

    const QStringList lines = crlfLines(text);
    size_t block = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i] != "game (")
            continue;
        QVERIFY(block < games.size());
        const sk::DemoGame& g = games[block++];
        QVERIFY2(i > 0 && lines[i - 1].isEmpty(), "blocks are separated by an empty line");
        // The importer reads the first four lines of a block by position.
        QCOMPARE(lines[i + 1].trimmed(), "name " + QString::fromStdString(g.zip));
        QCOMPARE(lines[i + 2].trimmed(),
                 "description \"" + QString::fromStdString(g.description) + "\"");
        QCOMPARE(lines[i + 3].trimmed(),
                 "manufacturer \"" + QString::fromStdString(g.manufacturer) + "\"");
        QCOMPARE(lines[i + 4].trimmed(), "year " + QString::fromStdString(g.year));

        qsizetype j = i + 5;
        QStringList body;
        for (; j < lines.size() && lines[j] != ")"; ++j) {
            QVERIFY(lines[j].startsWith('\t'));
            body << lines[j].trimmed();
        }
        QVERIFY(j < lines.size());
        const QString zip = QString::fromStdString(g.zip),
                      parent = QString::fromStdString(g.parent);
        QCOMPARE(body.contains("cloneof " + parent), g.isClone());
        QCOMPARE(body.contains("romof " + parent), g.isClone());

        const QStringList archive = body.filter(QRegularExpression("^archive \\("));
        QCOMPARE(archive.size(), 1);
        QStringList names;
        for (const auto& m :
             QRegularExpression("name (\"?)([a-z0-9]+)\\1 ").globalMatch(archive[0]))
            names << m.captured(2);
        QCOMPARE(names, (g.isClone() ? QStringList{zip, parent} : QStringList{zip}));

        const QStringList roms = body.filter(QRegularExpression("^rom \\("));
        QCOMPARE(roms.size(), qsizetype(g.roms.size()));
        for (size_t r = 0; r < g.roms.size(); ++r) {
            const std::string bytes = sk::romBytes(g, g.roms[r]);
            const QString crc =
                QString("%1").arg(sk::crc32(bytes.data(), bytes.size()), 8, 16, QChar('0'));
            QCOMPARE(roms[qsizetype(r)], QString("rom ( name %1 size %2 crc %3 )")
                                             .arg(QString::fromStdString(g.roms[r].name))
                                             .arg(g.roms[r].size)
                                             .arg(crc));
        }

        const QStringList video = body.filter(QRegularExpression("^video \\("));
        QCOMPARE(video.size(), 1);
        const QStringList words = video[0].split(' ');
        QCOMPARE(words.mid(0, 5), (QStringList{"video", "(", "screen", "raster", "x"}));
        QCOMPARE(words[5].toInt(), g.width);
        QCOMPARE(words[6], "y");
        QCOMPARE(words[7].toInt(), g.height);
        QCOMPARE(video[0].contains("orientation vertical"), g.vertical);
        QVERIFY(body.contains("driver ( status good )"));
    }
    QCOMPARE(block, games.size());
}

void TstToolCommon::defaultConfigLayout() {
    const std::string text = sk::defaultKaltoCfg();
    QVERIFY(text.size() > 2 && text.substr(text.size() - 2) == "\r\n");
    QStringList lines = crlfLines(text);
    lines.removeLast();
    QCOMPARE(lines.first(), "; Kalto configuration file");
    QCOMPARE(lines.filter(QRegularExpression("^\\[")),
             (QStringList{"[Display]", "[Sound]", "[General]", "[Directories]"}));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString& l = lines[i];
        if (l.isEmpty()) {
            QVERIFY2(lines[i + 1].startsWith('['), "empty lines only between sections");
            continue;
        }
        if (!l.startsWith('['))
            QVERIFY2(QRegularExpression("^\\w+ = \\S*$").match(l).hasMatch(), qPrintable(l));
    }
    QVERIFY(lines.contains("rom_dir_0 = roms/"));
    QVERIFY(lines.contains("rom_dir_1 = "));
    QVERIFY(lines.contains("SampleRate = 22050"));
    QVERIFY(lines.contains("ScreenShots = screens/"));
    QVERIFY(sk::kaltoCfgText({"a/", "b/", "", ""}).find("rom_dir_1 = b/\r\n") != std::string::npos);
}

void TstToolCommon::simListInfo() {
    QTemporaryDir dir;
    const QString exe = installSim(dir.path());
    QVERIFY(!exe.isEmpty());
    const QByteArray expected = QByteArray::fromStdString(sk::listInfoText(sk::demoCatalog()));

    const Run direct = run(exe, {"-listinfo"});
    QCOMPARE(direct.exitCode, 0);
    QVERIFY(direct.out == expected);
    QVERIFY(direct.err.isEmpty());

    // The front-end runs it through a script that redirects its output into a file.
    const QString capture = dir.filePath("capture.txt");
    QVERIFY(writeAll(dir.filePath("batch.sh"),
                     QString("'%1' \"$@\" > '%2'\n").arg(exe, capture).toUtf8()));
    const Run viaScript = run("/bin/sh", {dir.filePath("batch.sh"), "-listinfo"});
    QCOMPARE(viaScript.exitCode, 0);
    QVERIFY(QByteArray::fromStdString(readAll(capture)) == expected);
}

void TstToolCommon::simListInfoFromCatalogFile() {
    QTemporaryDir dir;
    const QString exe = installSim(dir.path());
    // Larger than the copy buffer, with bytes a text-mode copy would mangle.
    QByteArray catalog;
    for (int i = 0; i < 200000; ++i)
        catalog.append(char(i * 7 + (i >> 9)));
    QVERIFY(writeAll(dir.filePath("big.dat"), catalog));

    const Run r = run(exe, {"-listinfo"}, {"KALTO_SIM_CATALOG=" + dir.filePath("big.dat")});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out == catalog);

    const Run missing = run(exe, {"-listinfo"}, {"KALTO_SIM_CATALOG=" + dir.filePath("nope")});
    QVERIFY(missing.exitCode != 0);
    QVERIFY(missing.out.isEmpty());
    QVERIFY(missing.err.contains("nope"));
}

void TstToolCommon::simNoGuiWritesConfigOnce() {
    QTemporaryDir dir;
    const QString exe = installSim(dir.path());
    const QString cfg = dir.filePath("Config/Kalto.cfg");

    const Run skipped = run(exe, {"-nogui"}, {"KALTO_SIM_NO_CONFIG=1"});
    QCOMPARE(skipped.exitCode, 0);
    QVERIFY(!QFile::exists(cfg));

    QCOMPARE(run(exe, {"-nogui"}).exitCode, 0);
    QCOMPARE(readAll(cfg), sk::defaultKaltoCfg());
    QCOMPARE(QDir(dir.filePath("Config")).entryList(QDir::Files), QStringList{"Kalto.cfg"});

    QVERIFY(writeAll(cfg, "; edited\r\n"));
    QCOMPARE(run(exe, {"-nogui"}).exitCode, 0);
    QCOMPARE(readAll(cfg), std::string("; edited\r\n"));

    // Starting a game is not a first-run configuration.
    QTemporaryDir other;
    const QString otherExe = installSim(other.path());
    QCOMPARE(run(otherExe, {"-game", "lumabolt", "-nogui"}).exitCode, 0);
    QVERIFY(!QFile::exists(other.filePath("Config/Kalto.cfg")));
}

void TstToolCommon::simEmulatorDirIsWhereItWasInvoked() {
    QTemporaryDir real, linked, cwd;
    const QString exe = installSim(real.path());
    QVERIFY(QFile::link(exe, linked.filePath("kalto.exe")));

    QCOMPARE(run(linked.filePath("kalto.exe"), {"-nogui"}).exitCode, 0);
    QVERIFY(QFile::exists(linked.filePath("Config/Kalto.cfg")));
    QVERIFY(!QFile::exists(real.filePath("Config/Kalto.cfg")));

    // Found through PATH, argv[0] has no directory: the working directory is used.
    const Run r = run("/bin/sh", {"-c", "kalto.exe -nogui"},
                      {"PATH=" + real.path() + ":/usr/bin:/bin"}, cwd.path());
    QCOMPARE(r.exitCode, 0);
    QVERIFY(QFile::exists(cwd.filePath("Config/Kalto.cfg")));
    QVERIFY(!QFile::exists(real.filePath("Config/Kalto.cfg")));
}

void TstToolCommon::simUnknownOptionsGoToStderr() {
    QTemporaryDir dir;
    const QString exe = installSim(dir.path());
    const Run r = run(exe, {"-frobnicate", "-listinfo", "stray"});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out == QByteArray::fromStdString(sk::listInfoText(sk::demoCatalog())));
    QVERIFY(r.err.contains("kalto-sim: ignoring unknown option -frobnicate\n"));
    QVERIFY(r.err.contains("kalto-sim: ignoring unknown option stray\n"));

    const Run noSet = run(exe, {"-game"});
    QVERIFY(noSet.exitCode != 0);
    QVERIFY(noSet.out.isEmpty());
}

void TstToolCommon::simLogsAndSleeps() {
    QTemporaryDir dir;
    const QString exe = installSim(dir.path());
    const QString log = "KALTO_SIM_LOG=" + dir.filePath("runs.log");
    run(exe, {"-listinfo"}, {log});
    run(exe, {"-nogui", "-x"}, {log});
    run(exe, {}, {log});
    QCOMPARE(QString::fromStdString(readAll(dir.filePath("runs.log"))),
             QStringLiteral("-listinfo\n-nogui -x\n\n"));

    QElapsedTimer timer;
    timer.start();
    QCOMPARE(run(exe, {"-nogui"}, {"KALTO_SIM_SLEEP_MS=300"}).exitCode, 0);
    QVERIFY(timer.elapsed() >= 300);
}

QTEST_GUILESS_MAIN(TstToolCommon)
#include "tst_toolcommon.moc"
