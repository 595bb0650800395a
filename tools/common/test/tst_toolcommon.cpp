#include "Crc32.h"
#include "DemoCatalog.h"
#include "PcxWriter.h"
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

// The line the front-end shows of a failed run.
QByteArray lastLine(QByteArray text) {
    if (text.endsWith('\n'))
        text.chop(1);
    return text.mid(text.lastIndexOf('\n') + 1);
}

// A strict reader for the PCX files the tools write (8 bits, one plane, run-length coded).
struct Pcx {
    int width = 0;
    int height = 0;
    QByteArray pixels;
    QByteArray palette;
};

QString decodePcx(const QByteArray& b, Pcx& pcx) {
    auto le16 = [&](int pos) { return int(uchar(b[pos])) | int(uchar(b[pos + 1])) << 8; };
    if (b.size() < 128 + 769)
        return "too short";
    if (b[0] != 0x0A || b[1] != 5 || b[2] != 1 || b[3] != 8 || b[65] != 1)
        return "not an 8-bit run-length PCX of one plane";
    if (le16(4) != 0 || le16(6) != 0 || le16(68) != 1 || b[64] != 0)
        return "bad header field";
    if (b.mid(74, 54) != QByteArray(54, '\0'))
        return "filler is not zero";
    pcx.width = le16(8) + 1;
    pcx.height = le16(10) + 1;
    const int bytesPerLine = le16(66);
    if (bytesPerLine % 2 != 0 || bytesPerLine < pcx.width)
        return "bad bytes per line";
    const qsizetype end = b.size() - 769;
    if (b[end] != 0x0C)
        return "no palette marker";
    qsizetype pos = 128;
    for (int y = 0; y < pcx.height; ++y) {
        QByteArray line;
        while (line.size() < bytesPerLine) {
            if (pos >= end)
                return QString("data ends in line %1").arg(y);
            const uchar c = uchar(b[pos++]);
            if (c >= 0xC0) {
                if (line.size() + (c & 0x3F) > bytesPerLine || pos >= end)
                    return QString("a run crosses the end of line %1").arg(y);
                line.append(c & 0x3F, b[pos++]);
            } else {
                line.append(char(c));
            }
        }
        pcx.pixels += line.left(pcx.width);
    }
    if (pos != end)
        return "data after the last line";
    pcx.palette = b.right(768);
    return {};
}

// A file of a test game: its listed name and the data a good set holds.
struct TestRom {
    std::string name;
    std::string data;
};

TestRom testRom(const std::string& name, size_t size) {
    std::string data(size, '\0');
    uint32_t v = sk::crc32(name.data(), name.size());
    for (char& c : data) {
        v = v * 1664525u + 1013904223u;
        c = char(v >> 24);
    }
    return {name, data};
}

QString hex8(const std::string& data) {
    return QString("%1").arg(sk::crc32(data.data(), data.size()), 8, 16, QChar('0'));
}

struct TestGame {
    std::string zip;
    std::string parent;
    std::vector<TestRom> roms;
};

// A game list in the "-listinfo" form, with the rom lines the romset check reads.
QByteArray gameList(const std::vector<TestGame>& games) {
    QString out = "# test list\r\n";
    for (const TestGame& g : games) {
        out += "\r\ngame (\r\n\tname " + QString::fromStdString(g.zip) + "\r\n";
        out += "\tdescription \"A | \"quoted\" rom ( name x size 1 crc 0 )\"\r\n";
        if (!g.parent.empty())
            out += "\tcloneof " + QString::fromStdString(g.parent) + "\r\n";
        for (const TestRom& r : g.roms)
            out += QString("\trom ( name %1 size %2 crc %3 )\r\n")
                       .arg(QString::fromStdString(r.name))
                       .arg(r.data.size())
                       .arg(hex8(r.data));
        out += ")\r\n";
    }
    return out.toUtf8();
}

std::vector<sk::ZipEntry> zipEntries(const std::vector<TestRom>& roms) {
    std::vector<sk::ZipEntry> entries;
    for (const TestRom& r : roms)
        entries.push_back({r.name, r.data});
    return entries;
}

QList<QByteArray> linesOf(const QByteArray& out) {
    QList<QByteArray> lines = out.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The result lines of a romset check report: those holding a bar.
QList<QByteArray> barLines(const QByteArray& out) {
    QList<QByteArray> lines;
    for (const QByteArray& line : linesOf(out))
        if (line.contains('|'))
            lines << line;
    return lines;
}

// An emulator directory for the romset check: the stand-in as kalto.exe, a game list, and a
// configuration naming `first` (relative, with '\' and blanks) and `second` (an absolute path
// outside it) as rom directories, in a section and keys spelt in another case.
struct RomcheckDir {
    QTemporaryDir dir, outside;
    QString exe, first, second, catalog;

    bool setUp(const std::vector<TestGame>& games) {
        exe = installSim(dir.path());
        first = dir.filePath("roms/first");
        second = outside.filePath("second");
        catalog = dir.filePath("list.dat");
        const QByteArray cfg = "; Kalto configuration file\r\n[General]\r\nrom_dir_0 = general/\r\n"
                               "\r\n[ directories ]\r\n  ROM_DIR_0 =  roms\\first  \r\n"
                               "Rom_Dir_1=\t" +
                               second.toUtf8() + "/\t\r\nrom_dir_2 =\r\nrom_dir_3 = nowhere\r\n";
        return !exe.isEmpty() && QDir().mkpath(first) && QDir().mkpath(second) &&
               QDir().mkpath(dir.filePath("Config")) &&
               writeAll(dir.filePath("Config/Kalto.cfg"), cfg) &&
               writeAll(catalog, gameList(games));
    }

    Run romcheck(const QStringList& args, const QStringList& env = {}) const {
        return run(exe, args, QStringList{"KALTO_SIM_CATALOG=" + catalog} + env);
    }
};

bool writeZip(const QString& path, const std::vector<sk::ZipEntry>& entries) {
    std::string error;
    const bool ok = sk::writeStoredZip(path.toStdString(), entries, &error);
    if (!ok)
        qWarning("%s", error.c_str());
    return ok;
}

// The sets of the romset check scenario: good ones, bad ones of every kind, merged clones, and
// sets that are not there at all.
bool makeRomcheckScenario(RomcheckDir& d) {
    const TestRom gs1 = testRom("gs-01.bin", 3000), gs2 = testRom("gs-02.bin", 100);
    const TestRom br1 = testRom("br-01.bin", 512), br2 = testRom("br-02.bin", 512);
    const TestRom sc1 = testRom("sc-01.bin", 2048);
    const TestRom co1 = testRom("co-01.bin", 1024), co2 = testRom("co-02.bin", 64);
    const TestRom pa1 = testRom("pa-01.bin", 256), pa2 = testRom("pa-02.bin", 256),
                  pa3 = testRom("pa-03.bin", 256);
    const TestRom sz1 = testRom("sz-01.bin", 1000);
    const TestRom pr1 = testRom("pr-01.bin", 700), pr2 = testRom("pr-02.bin", 800);
    const TestRom mc1 = testRom("mc-01.bin", 300), mc2 = testRom("mc-02.bin", 400);
    const TestRom sp1 = testRom("sp-01.bin", 500), sp2 = testRom("sp-02.bin", 600);
    const TestRom ab1 = testRom("ab-01.bin", 10), ac1 = testRom("ac-01.bin", 10);
    const TestRom tw1 = testRom("tw-01.bin", 128), nz1 = testRom("nz-01.bin", 10);
    const std::string wrong512 = testRom("other", 512).data;
    if (!d.setUp({{"goodset", "", {gs1, gs2}},
                  {"badcrc", "", {br1, br2}},
                  {"storcrc", "", {sc1}},
                  {"corrupt", "", {co1, co2}},
                  {"partial", "", {pa1, pa2, pa3}},
                  {"sizes", "", {sz1}},
                  {"parent", "", {pr1, pr2}},
                  {"mclone", "parent", {mc1, mc2}},
                  {"sclone", "parent", {sp1, sp2}},
                  {"absent", "", {ab1}},
                  {"aclone", "parent", {ac1}},
                  {"twice", "", {tw1}},
                  {"notzip", "", {nz1}}}))
        return false;

    const QString a = d.first + "/", b = d.second + "/";
    bool ok =
        writeZip(a + "goodset.zip",
                 {{"GS-01.BIN", gs1.data}, {"gs-02.bin", gs2.data}, {"readme.txt", "not a rom"}}) &&
        writeZip(b + "badcrc.zip", {{br1.name, br1.data}, {br2.name, wrong512}}) &&
        writeZip(a + "storcrc.zip", zipEntries({sc1})) &&
        writeZip(b + "corrupt.zip", zipEntries({co1, co2})) &&
        writeZip(a + "partial.zip", {{pa1.name, pa1.data}, {pa3.name, wrong512.substr(0, 256)}}) &&
        writeZip(b + "sizes.zip", {{sz1.name, sz1.data.substr(0, 999)}}) &&
        writeZip(a + "parent.zip", zipEntries({pr1, pr2, mc1, mc2, sp2})) &&
        writeZip(b + "sclone.zip", zipEntries({sp1})) &&
        writeZip(a + "twice.zip", {{tw1.name, std::string(128, 'x')}}) &&
        writeZip(b + "twice.zip", zipEntries({tw1})) &&
        writeAll(a + "notzip.zip", "this is not an archive") &&
        QDir().mkpath(b + "absent.zip"); // a directory is not an archive
    if (!ok)
        return false;

    // A stored crc that does not match the data: both headers record it.
    QByteArray bytes = sk::test::readBytes(a + "storcrc.zip");
    const auto le32 = [](uint32_t v) {
        const char bytes[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
        return QByteArray(bytes, 4);
    };
    const uint32_t crc = sk::crc32(sc1.data.data(), sc1.data.size());
    if (bytes.count(le32(crc)) != 2)
        return false;
    bytes.replace(le32(crc), le32(crc ^ 0x00FF00FFu));
    ok = writeAll(a + "storcrc.zip", bytes);

    // Data changed behind a stored crc that is right.
    bytes = sk::test::readBytes(b + "corrupt.zip");
    const qsizetype at = bytes.indexOf(QByteArray::fromStdString(co1.data));
    if (at < 0)
        return false;
    bytes[at + 500] = char(bytes[at + 500] ^ 0x5A);
    return ok && writeAll(b + "corrupt.zip", bytes);
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

    void pcxWriterRoundTrip();
    void simGameRun();
    void simGameResolution_data();
    void simGameResolution();
    void simGameFromCatalogFile();
    void simGameFailuresWriteNothing();

    void simRomcheckReport();
    void simRomcheckOneSetVerbose();
    void simRomcheckFailures();
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
    QCOMPARE(sk::crc32(nullptr, 0, first), first);
}

void TstToolCommon::emptyZipIsTheBareEndRecord() {
    QTemporaryDir dir;
    const QString path = dir.filePath("empty.zip");
    QVERIFY(sk::writeStoredZip(path.toStdString(), {}));
    const std::string bytes = readAll(path);
    QCOMPARE(bytes, std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    std::string built;
    QVERIFY(sk::buildStoredZip({}, built));
    QCOMPARE(built, bytes);
    std::vector<sk::test::ReadBackEntry> read;
    QCOMPARE(sk::test::readZip(bytes, read), std::string());
    QVERIFY(read.empty());
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
    const std::string problem = sk::test::readZip(readAll(path), read);
    QVERIFY2(problem.empty(), problem.c_str());
    QCOMPARE(read.size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        QCOMPARE(read[i].name, entries[i].name);
        QVERIFY(read[i].data == entries[i].data);
        QCOMPARE(read[i].method, uint16_t(ZIP_CM_STORE));
        QCOMPARE(read[i].crc, sk::crc32(entries[i].data.data(), entries[i].data.size()));
    }
    QCOMPARE(read[0].crc, 0x3610a686u); // crc of "hello", known independently of zlib
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"set.zip"});

    // The same entries always give the same bytes, in memory as on disk.
    std::string built;
    QVERIFY(sk::buildStoredZip(entries, built));
    QVERIFY(built == readAll(path));
    const QString again = dir.filePath("again.zip");
    QVERIFY(sk::writeStoredZip(again.toStdString(), entries));
    QVERIFY(readAll(again) == built);

    // Rewriting replaces the archive rather than adding to it.
    QVERIFY(sk::writeStoredZip(path.toStdString(), {{"only.bin", "1"}}));
    QCOMPARE(sk::test::readZip(readAll(path), read), std::string());
    QCOMPARE(read.size(), size_t(1));
    QCOMPARE(read[0].name, std::string("only.bin"));
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
        std::string bytes = "old";
        QVERIFY(!sk::buildStoredZip(entries, bytes));
        QVERIFY(bytes.empty());
    }
    for (const std::vector<sk::ZipEntry>& entries :
         {std::vector<sk::ZipEntry>{}, std::vector<sk::ZipEntry>{{"a.bin", "1"}}}) {
        std::string error;
        QVERIFY(!sk::writeStoredZip(dir.filePath("missing/x.zip").toStdString(), entries, &error));
        QVERIFY2(error.find("missing") != std::string::npos, error.c_str());
    }
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
    const Run game = run(otherExe, {"-game", "lumabolt", "-nogui"});
    QCOMPARE(game.exitCode, 1);
    QVERIFY(game.err.startsWith("kalto-sim: cannot read "));
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

void TstToolCommon::pcxWriterRoundTrip() {
    sk::PcxPalette palette;
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = uint8_t(i * 7);
    // An odd width (padded line), a run longer than one count byte holds, lone bytes that
    // look like counts, and a run that would continue into the next line.
    const int w = 131, h = 3;
    std::vector<uint8_t> pixels(size_t(w * h), 0xC5);
    for (int x = 100; x < w; ++x)
        pixels[size_t(x)] = uint8_t(0xC0 + x % 2);
    for (int x = 0; x < w; ++x)
        pixels[size_t(w + x)] = uint8_t(x);
    const std::string bytes = sk::pcxBytes8(w, h, pixels, palette);

    Pcx pcx;
    const QString problem = decodePcx(QByteArray::fromStdString(bytes), pcx);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(pcx.width, w);
    QCOMPARE(pcx.height, h);
    QCOMPARE(uchar(bytes[66]) | uchar(bytes[67]) << 8, 132);
    QVERIFY(pcx.pixels == QByteArray(reinterpret_cast<const char*>(pixels.data()), w * h));
    QVERIFY(pcx.palette == QByteArray(reinterpret_cast<const char*>(palette.data()), 768));

    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, sk::pcxBytes8(0, 1, {}, palette));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, sk::pcxBytes8(2, 2, {1, 2, 3}, palette));

    QTemporaryDir dir;
    const QString path = dir.filePath("a.pcx");
    QVERIFY(writeAll(path, "old"));
    QVERIFY(sk::writePcx8(path.toStdString(), w, h, pixels, palette));
    QVERIFY(readAll(path) == bytes);
    std::string error;
    QVERIFY(
        !sk::writePcx8(dir.filePath("none/b.pcx").toStdString(), w, h, pixels, palette, &error));
    QVERIFY(!error.empty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.pcx"});
}

void TstToolCommon::simGameRun() {
    QTemporaryDir dir;
    const QString exe = installSim(dir.path());
    QVERIFY(QDir(dir.path()).mkpath("Config") && QDir(dir.path()).mkpath("shots"));
    // The front-end's "key =value" lines among the emulator's own, LF line endings.
    const QByteArray before = "; Kalto configuration file\n"
                              "[display]\n"
                              "screen_type = VGA\n"
                              "screen_x =800\n"
                              "  SCREEN_Y=600  \n"
                              "; keep = me\n"
                              "\n"
                              "[Sound]\n"
                              "SampleRate = 22050\n"
                              "rom_dir_0 = not/these/\n"
                              "\n"
                              "[ Directories ]\n"
                              "rom_dir_0 =  /roms/a/  \n"
                              "rom_dir_1 =\n"
                              "rom_dir_2 =roms two/\n"
                              "ScreenShots = shots  \n"
                              "; the end\n"
                              "\n"
                              "[General]\n"
                              "Wibble = 1";
    QVERIFY(writeAll(dir.filePath("Config/Kalto.cfg"), before));
    // Taken numbers, whatever the case or extension of their file.
    QVERIFY(writeAll(dir.filePath("shots/lumabolt_0000.pcx"), "mine"));
    QVERIFY(writeAll(dir.filePath("shots/LUMABOLT_0002.png"), "mine too"));
    QVERIFY(writeAll(dir.filePath("shots/mirefox_0001.pcx"), "another game"));

    const Run r = run(exe, {"-game", "lumabolt", "-nogui"}, {"KALTO_SIM_SHOTS=3"});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, QByteArray("Starting lumabolt\nlumabolt has finished.\n"));
    QVERIFY2(r.err.isEmpty(), r.err.constData());

    QCOMPARE(readAll(dir.filePath("Config/Kalto.cfg")), std::string("; Kalto configuration file\n"
                                                                    "[display]\n"
                                                                    "screen_type = VGA\n"
                                                                    "screen_x = 800\n"
                                                                    "screen_y = 600\n"
                                                                    "; keep = me\n"
                                                                    "\n"
                                                                    "[Sound]\n"
                                                                    "SampleRate = 22050\n"
                                                                    "rom_dir_0 = not/these/\n"
                                                                    "\n"
                                                                    "[ Directories ]\n"
                                                                    "rom_dir_0 = /roms/a/\n"
                                                                    "rom_dir_1 = \n"
                                                                    "rom_dir_2 = roms two/\n"
                                                                    "ScreenShots = shots  \n"
                                                                    "rom_dir_3 = \n"
                                                                    "; the end\n"
                                                                    "\n"
                                                                    "[General]\n"
                                                                    "Wibble = 1"));

    QDir shots(dir.filePath("shots"));
    QCOMPARE(shots.entryList(QDir::Files, QDir::Name),
             (QStringList{"LUMABOLT_0002.png", "lumabolt_0000.pcx", "lumabolt_0001.pcx",
                          "lumabolt_0003.pcx", "lumabolt_0004.pcx", "mirefox_0001.pcx"}));
    QCOMPARE(readAll(shots.filePath("lumabolt_0000.pcx")), std::string("mine"));
    QSet<QByteArray> pictures;
    for (const QString name : {"lumabolt_0001.pcx", "lumabolt_0003.pcx", "lumabolt_0004.pcx"}) {
        const QByteArray bytes = sk::test::readBytes(shots.filePath(name));
        Pcx pcx;
        const QString problem = decodePcx(bytes, pcx);
        QVERIFY2(problem.isEmpty(), qPrintable(name + ": " + problem));
        QCOMPARE(pcx.width, 224);
        QCOMPARE(pcx.height, 288);
        QVERIFY2(bytes.size() < 128 + 769 + 224 * 288, "the pictures have runs");
        pictures.insert(pcx.pixels);
    }
    QCOMPARE(pictures.size(), 3);

    // Without KALTO_SIM_SHOTS a game makes the same number of shots on every run.
    const auto countShots = [&] { return shots.entryList({"*.pcx"}, QDir::Files).size(); };
    const qsizetype had = countShots();
    QCOMPARE(run(exe, {"-game", "lumabolt"}).exitCode, 0);
    const qsizetype firstRun = countShots() - had;
    QVERIFY(firstRun >= 1 && firstRun <= 3);
    QCOMPARE(run(exe, {"-game", "lumabolt"}).exitCode, 0);
    QCOMPARE(countShots() - had, 2 * firstRun);
}

void TstToolCommon::simGameResolution_data() {
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QByteArray>("written");

    const QByteArray fallback = "[Display]\r\nscreen_x = 640\r\nscreen_y = 480\r\n";
    for (const char* mode : {"320 200", "320 240", "640 400", "640 480", "800 600", "1024 768"}) {
        const QList<QByteArray> xy = QByteArray(mode).split(' ');
        QTest::newRow(mode) << "[Display]\r\nscreen_x =" + xy[0] + "\r\nscreen_y =" + xy[1] + "\r\n"
                            << "[Display]\r\nscreen_x = " + xy[0] + "\r\nscreen_y = " + xy[1] +
                                   "\r\n";
    }
    QTest::newRow("mixed pair") << QByteArray("[Display]\r\nscreen_x = 800\r\nscreen_y = 480\r\n")
                                << fallback;
    QTest::newRow("not a number") << QByteArray(
                                         "[Display]\r\nscreen_x = 640x\r\nscreen_y = 480\r\n")
                                  << fallback;
    QTest::newRow("keys missing")
        << QByteArray("[Display]\r\nvsync = 0\r\n")
        << QByteArray("[Display]\r\nvsync = 0\r\nscreen_x = 640\r\nscreen_y = 480\r\n");
    QTest::newRow("section missing") << QByteArray() << "\r\n" + fallback;
}

void TstToolCommon::simGameResolution() {
    QFETCH(QByteArray, display);
    QFETCH(QByteArray, written);
    QTemporaryDir dir;
    const QString exe = installSim(dir.path());
    QVERIFY(QDir(dir.path()).mkpath("Config"));
    // An empty screenshot directory: a warning, and the game still runs.
    const QByteArray directories = "[Directories]\r\nrom_dir_0 = roms/\r\nrom_dir_1 = \r\n"
                                   "rom_dir_2 = \r\nrom_dir_3 = \r\nScreenShots =\r\n";
    QVERIFY(writeAll(dir.filePath("Config/Kalto.cfg"), directories + display));

    const Run r = run(exe, {"-game", "cogrider"});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.err.contains("writing no screenshots"));
    QCOMPARE(sk::test::readBytes(dir.filePath("Config/Kalto.cfg")), directories + written);
    QCOMPARE(QDir(dir.filePath("Config")).entryList(QDir::Files), QStringList{"Kalto.cfg"});
}

void TstToolCommon::simGameFromCatalogFile() {
    QTemporaryDir dir;
    const QString exe = installSim(dir.path());
    QVERIFY(QDir(dir.path()).mkpath("Config") && QDir(dir.path()).mkpath("snap"));
    QVERIFY(writeAll(dir.filePath("Config/Kalto.cfg"),
                     "[Directories]\nScreenShots = " + dir.filePath("snap").toUtf8() + "/\n"));
    QVERIFY(writeAll(dir.filePath("list.dat"), "game (\r\n\tname sized\r\n"
                                               "\trom ( name lumabolt size 1 crc 0 )\r\n"
                                               "\tvideo ( screen raster x 97 y 31 )\r\n)\r\n\r\n"
                                               "game (\r\n\tname plain\r\n)\r\n"));
    const QString catalog = "KALTO_SIM_CATALOG=" + dir.filePath("list.dat");
    const QStringList oneShot = {catalog, "KALTO_SIM_SHOTS=1"};

    QCOMPARE(run(exe, {"-game", "sized"}, oneShot).exitCode, 0);
    QCOMPARE(run(exe, {"-game", "plain"}, oneShot).exitCode, 0);
    Pcx sized, plain;
    QVERIFY(decodePcx(sk::test::readBytes(dir.filePath("snap/sized_0000.pcx")), sized).isEmpty());
    QVERIFY(decodePcx(sk::test::readBytes(dir.filePath("snap/plain_0000.pcx")), plain).isEmpty());
    QCOMPARE(QSize(sized.width, sized.height), QSize(97, 31));
    QCOMPARE(QSize(plain.width, plain.height), QSize(320, 240));

    // The list file replaces the built-in games; a rom name is not a game.
    const Run demo = run(exe, {"-game", "lumabolt"}, oneShot);
    QCOMPARE(demo.exitCode, 2);
    QCOMPARE(lastLine(demo.err), QByteArray("kalto-sim: unknown game lumabolt"));

    const Run missing = run(exe, {"-game", "sized"}, {"KALTO_SIM_CATALOG=" + dir.filePath("no")});
    QCOMPARE(missing.exitCode, 1);
    QVERIFY(missing.err.startsWith("kalto-sim: cannot read "));
    QCOMPARE(QDir(dir.filePath("snap")).entryList(QDir::Files),
             (QStringList{"plain_0000.pcx", "sized_0000.pcx"}));
}

void TstToolCommon::simGameFailuresWriteNothing() {
    QTemporaryDir dir;
    const QString exe = installSim(dir.path());
    QVERIFY(QDir(dir.path()).mkpath("Config") && QDir(dir.path()).mkpath("screens"));
    const QByteArray cfg = "[Display]\nscreen_x =1\n[Directories]\nrom_dir_0 =  roms/\n"
                           "ScreenShots = screens/\n";
    QVERIFY(writeAll(dir.filePath("Config/Kalto.cfg"), cfg));
    const auto untouched = [&] {
        return sk::test::readBytes(dir.filePath("Config/Kalto.cfg")) == cfg &&
               QDir(dir.filePath("screens")).isEmpty() &&
               QDir(dir.filePath("Config")).entryList(QDir::Files) == QStringList{"Kalto.cfg"};
    };

    for (const QString zip : {"nosuch", "../screens/x", "Lumabolt", ""}) {
        const Run r = run(exe, {"-game", zip});
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(lastLine(r.err), "kalto-sim: unknown game " + zip.toUtf8());
        QVERIFY(r.out.isEmpty());
        QVERIFY(untouched());
    }

    const Run failed = run(exe, {"-game", "lumabolt"}, {"KALTO_SIM_GAME_FAULT=exit"});
    QCOMPARE(failed.exitCode, 5);
    QCOMPARE(lastLine(failed.err), QByteArray("kalto-sim: cannot open roms of lumabolt"));
    QVERIFY(untouched());

    QProcess crash;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KALTO_SIM_GAME_FAULT", "crash");
    crash.setProcessEnvironment(env);
    crash.start(exe, {"-game", "lumabolt"});
    QVERIFY(crash.waitForFinished(30000));
    QCOMPARE(crash.exitStatus(), QProcess::CrashExit);
    QVERIFY(untouched());

    QVERIFY(QFile::remove(dir.filePath("Config/Kalto.cfg")));
    const Run noConfig = run(exe, {"-game", "lumabolt"});
    QCOMPARE(noConfig.exitCode, 1);
    QCOMPARE(lastLine(noConfig.err), "kalto-sim: cannot read " +
                                         QFile::encodeName(dir.filePath("Config/Kalto.cfg")) +
                                         ": No such file or directory");
    QVERIFY(QDir(dir.filePath("screens")).isEmpty());
}

void TstToolCommon::simRomcheckReport() {
    RomcheckDir d;
    QVERIFY(makeRomcheckScenario(d));
    const Run r = d.romcheck({"-romcheck"});
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.err.isEmpty(), r.err.constData());
    const QList<QByteArray> lines = linesOf(r.out);
    QVERIFY(lines.size() > 2);
    QCOMPARE(lines[0], QByteArray("Kalto romset check"));
    QCOMPARE(lines[1], QByteArray("Checking 13 romsets..."));
    QCOMPARE(lines.last(), QByteArray("Done: 11 found, 4 good, 7 bad"));
    // Sets that are nowhere, or a clone whose parent's archive lacks its files, are not listed;
    // the first directory holding a set wins.
    QCOMPARE(barLines(r.out), (QList<QByteArray>{
                                  "goodset      | OK",
                                  "badcrc       | BAD wrong CRC in br-02.bin",
                                  "storcrc      | BAD wrong CRC in sc-01.bin",
                                  "corrupt      | BAD wrong CRC in co-01.bin",
                                  "partial      | BAD missing pa-02.bin, wrong CRC in pa-03.bin",
                                  "sizes        | BAD wrong size of sz-01.bin",
                                  "parent       | OK",
                                  "mclone       | OK",
                                  "sclone       | OK",
                                  "twice        | BAD wrong CRC in tw-01.bin",
                                  "notzip       | BAD cannot read notzip.zip: Not a zip archive",
                              }));
    QCOMPARE(lines.size(), 2 + 11 + 1);

    // Without a list file the check covers the built-in games; none is installed here.
    const Run builtIn = run(d.exe, {"-romcheck"});
    QCOMPARE(builtIn.exitCode, 0);
    QCOMPARE(
        linesOf(builtIn.out),
        (QList<QByteArray>{"Kalto romset check",
                           "Checking " + QByteArray::number(qsizetype(sk::demoCatalog().size())) +
                               " romsets...",
                           "Done: 0 found, 0 good, 0 bad"}));
}

void TstToolCommon::simRomcheckOneSetVerbose() {
    RomcheckDir d;
    QVERIFY(makeRomcheckScenario(d));
    const QString log = "KALTO_SIM_LOG=" + d.dir.filePath("runs.log");
    auto check = [&](const QString& zip) {
        const Run r = d.romcheck({"-romcheck", zip, "-verbose"}, {log});
        if (r.exitCode != 0 || !r.err.isEmpty())
            qWarning("status %d: %s", r.exitCode, r.err.constData());
        return linesOf(r.out);
    };
    const auto found = [](const TestRom& rom, const char* archive) {
        return QString("  %1 expected %2 bytes crc %3, found %2 bytes crc %3 in %4: OK")
            .arg(QString::fromStdString(rom.name), -12)
            .arg(rom.data.size(), 7)
            .arg(hex8(rom.data), archive)
            .toUtf8();
    };

    QCOMPARE(check("goodset"),
             (QList<QByteArray>{"Kalto romset check", "Checking 1 romset...", "goodset      | OK",
                                found(testRom("gs-01.bin", 3000), "goodset.zip"),
                                found(testRom("gs-02.bin", 100), "goodset.zip"),
                                "Done: 1 found, 1 good, 0 bad"}));

    // The crc of the data next to the crc the archive records.
    const TestRom sc1 = testRom("sc-01.bin", 2048);
    const uint32_t crc = sk::crc32(sc1.data.data(), sc1.data.size());
    QList<QByteArray> lines = check("storcrc");
    QCOMPARE(lines.mid(2, 2),
             (QList<QByteArray>{"storcrc      | BAD wrong CRC in sc-01.bin",
                                QString("  sc-01.bin    expected    2048 bytes crc %1, found    "
                                        "2048 bytes crc %1 (stored crc %2) in storcrc.zip: BAD "
                                        "wrong CRC")
                                    .arg(hex8(sc1.data))
                                    .arg(crc ^ 0x00FF00FFu, 8, 16, QChar('0'))
                                    .toUtf8()}));

    lines = check("partial");
    QCOMPARE(lines.size(), 2 + 1 + 3 + 1);
    QCOMPARE(lines[2], QByteArray("partial      | BAD missing pa-02.bin, wrong CRC in pa-03.bin"));
    QVERIFY(lines[3].endsWith(" in partial.zip: OK"));
    QCOMPARE(lines[4], "  pa-02.bin    expected     256 bytes crc " +
                           hex8(testRom("pa-02.bin", 256).data).toUtf8() +
                           ", not found: BAD missing");
    QVERIFY(lines[5].endsWith(" in partial.zip: BAD wrong CRC"));
    QCOMPARE(lines[6], QByteArray("Done: 1 found, 0 good, 1 bad"));

    // A clone's files: its own archive first, then its parent's.
    lines = check("sclone");
    QCOMPARE(lines.mid(2, 3),
             (QList<QByteArray>{"sclone       | OK", found(testRom("sp-01.bin", 500), "sclone.zip"),
                                found(testRom("sp-02.bin", 600), "parent.zip")}));

    // A set asked for by name gets an answer even when it is nowhere.
    QCOMPARE(check("absent"), (QList<QByteArray>{"Kalto romset check", "Checking 1 romset...",
                                                 "absent       | BAD romset not found",
                                                 "Done: 0 found, 0 good, 0 bad"}));
    QCOMPARE(check("aclone").value(2), QByteArray("aclone       | BAD romset not found"));

    const Run unknown = d.romcheck({"-romcheck", "Goodset", "-verbose"});
    QCOMPARE(unknown.exitCode, 2);
    QVERIFY(unknown.out.isEmpty());
    QCOMPARE(lastLine(unknown.err), QByteArray("kalto-sim: unknown game Goodset"));

    QCOMPARE(QString::fromStdString(readAll(d.dir.filePath("runs.log"))),
             QStringLiteral("-romcheck goodset -verbose\n-romcheck storcrc -verbose\n"
                            "-romcheck partial -verbose\n-romcheck sclone -verbose\n"
                            "-romcheck absent -verbose\n-romcheck aclone -verbose\n"));
}

void TstToolCommon::simRomcheckFailures() {
    RomcheckDir d;
    QVERIFY(makeRomcheckScenario(d));
    const QList<QByteArray> full = barLines(d.romcheck({"-romcheck"}).out);
    QCOMPARE(full.size(), 11);

    // A run that breaks off: part of the report, a complaint, and a status that says so.
    const Run broken = d.romcheck({"-romcheck"}, {"KALTO_SIM_ROMCHECK_FAULT=exit"});
    QCOMPARE(broken.exitCode, 4);
    QCOMPARE(barLines(broken.out), full.mid(0, 5));
    QVERIFY(!broken.out.contains("Done:"));
    QCOMPARE(lastLine(broken.err),
             QByteArray("kalto-sim: romset check aborted: cannot read the rom directories"));

    const Run early = d.romcheck({"-romcheck"}, {"KALTO_SIM_ROMCHECK_FAULT=early"});
    QCOMPARE(early.exitCode, 4);
    QVERIFY(barLines(early.out).isEmpty());

    // A whole report that holds a bad set, ended with the status a checker may give it;
    // a report of good sets only still ends with 0.
    const QString badStatus = "KALTO_SIM_ROMCHECK_BAD_STATUS=2";
    const Run whole = d.romcheck({"-romcheck"}, {badStatus});
    QCOMPARE(whole.exitCode, 2);
    QCOMPARE(barLines(whole.out), full);
    QCOMPARE(d.romcheck({"-romcheck", "goodset"}, {badStatus}).exitCode, 0);

    QProcess crash;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KALTO_SIM_ROMCHECK_FAULT", "crash");
    env.insert("KALTO_SIM_CATALOG", d.catalog);
    crash.setProcessEnvironment(env);
    crash.start(d.exe, {"-romcheck"});
    QVERIFY(crash.waitForFinished(30000));
    QCOMPARE(crash.exitStatus(), QProcess::CrashExit);

    const Run noList = run(d.exe, {"-romcheck"}, {"KALTO_SIM_CATALOG=" + d.dir.filePath("no")});
    QCOMPARE(noList.exitCode, 1);
    QVERIFY(noList.out.isEmpty());

    // No rom directory configured: the check runs and finds nothing.
    const QString cfg = d.dir.filePath("Config/Kalto.cfg");
    QVERIFY(writeAll(cfg, "[Directories]\r\nrom_dir_0 = \r\n"));
    const Run none = d.romcheck({"-romcheck"});
    QCOMPARE(none.exitCode, 0);
    QVERIFY(barLines(none.out).isEmpty());
    QCOMPARE(lastLine(none.out), QByteArray("Done: 0 found, 0 good, 0 bad"));

    QVERIFY(QFile::remove(cfg));
    const Run noConfig = d.romcheck({"-romcheck", "goodset", "-verbose"});
    QCOMPARE(noConfig.exitCode, 1);
    QVERIFY(noConfig.out.isEmpty());
    QCOMPARE(lastLine(noConfig.err),
             "kalto-sim: cannot read " + QFile::encodeName(cfg) + ": No such file or directory");
    QVERIFY(!QFile::exists(cfg));
}

QTEST_GUILESS_MAIN(TstToolCommon)
#include "tst_toolcommon.moc"
