#include "TestSupport.h"
#include "core/AtomicFile.h"
#include "core/FileError.h"
#include "core/IniDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtTest>
#include <ctime>

using namespace Qt::StringLiterals;

using testsupport::FrontEndDir;

class TestIniDocument : public QObject {
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<FrontEndDir>(); }
    void cleanup() { m_dir.reset(); }

    void keysKeepTheirBlanks() {
        IniDocument ini = load("[Display]\r\nscreen_type = VGA\r\n");
        QCOMPARE(ini.readString(u"Display", u"screen_type ", QStringLiteral("x")),
                 QStringLiteral(" VGA"));
        QCOMPARE(ini.readString(u"Display", u"screen_type", QStringLiteral("x")),
                 QStringLiteral("x"));
        QVERIFY(ini.keyExists(u"display", u"SCREEN_TYPE "));
        QVERIFY(!ini.keyExists(u"Display", u"screen_type"));
    }

    void writeReplacesTheLineInPlace() {
        IniDocument ini = load("[Display]\r\na = 1\r\nscreen_type = VGA\r\nb = 2\r\n");
        ini.writeString(u"Display", u"screen_type ", QStringLiteral("VBE1"));
        QCOMPARE(ini.serialize(),
                 QByteArray("[Display]\r\na = 1\r\nscreen_type =VBE1\r\nb = 2\r\n\r\n"));
    }

    void writeAppendsMissingKeysAndSections() {
        IniDocument ini = load("[One]\r\nx=1\r\n[Two]\r\ny=2\r\n");
        ini.writeString(u"one", u"z", QStringLiteral("3"));
        ini.writeInteger(u"Three", u"n", -4);
        ini.writeBool(u"Three", u"f", true);
        QCOMPARE(ini.serialize(), QByteArray("[One]\r\nx=1\r\nz=3\r\n\r\n[Two]\r\ny=2\r\n\r\n"
                                             "[Three]\r\nn=-4\r\nf=1\r\n\r\n"));
    }

    void firstMatchWins() {
        IniDocument ini = load("[S]\nk=first\nK=second\n[s]\nk=third\nother=4\n");
        QCOMPARE(ini.readString(u"s", u"k", {}), QStringLiteral("first"));
        // The second section of the same name is never reached.
        QCOMPARE(ini.readString(u"S", u"other", QStringLiteral("none")), QStringLiteral("none"));
        // A section found once reads alike, a missing one as missing keys.
        const IniDocument::SectionReader s = ini.section(u"s");
        QCOMPARE(s.readString(u"K", {}), QStringLiteral("first"));
        QVERIFY(!s.keyExists(u"other"));
        QCOMPARE(ini.section(u"none").readInteger(u"k", 7), 7);
        QVERIFY(!ini.section(u"none").keyExists(u"k"));
        ini.writeString(u"S", u"k", QStringLiteral("new"));
        QCOMPARE(ini.serialize(), QByteArray("[S]\r\nk=new\r\nK=second\r\n\r\n"
                                             "[s]\r\nk=third\r\nother=4\r\n\r\n"));
        ini.eraseSection(u"s");
        QCOMPARE(ini.readString(u"S", u"other", {}), QStringLiteral("4"));
    }

    void loadDropsCommentsAndStrayLines() {
        const QByteArray text = "stray=1\r\n; comment\r\n\r\n[A]\r\n;c\r\nk=v\r\nno equals\r\n";
        m_dir->writeFile(QStringLiteral("a.ini"), text);
        const QDateTime before = QFileInfo(m_dir->file(QStringLiteral("a.ini"))).lastModified();
        IniDocument ini(m_dir->file(QStringLiteral("a.ini")));
        QCOMPARE(ini.readString(u"A", u"k", {}), QStringLiteral("v"));
        QVERIFY(!ini.keyExists(u"A", u"no equals"));
        // Reading never writes.
        QCOMPARE(m_dir->readFile(QStringLiteral("a.ini")), text);
        QCOMPARE(QFileInfo(m_dir->file(QStringLiteral("a.ini"))).lastModified(), before);
        ini.save();
        QCOMPARE(m_dir->readFile(QStringLiteral("a.ini")),
                 QByteArray("[A]\r\nk=v\r\nno equals\r\n\r\n"));
    }

    void everyLineBreakSplits() {
        IniDocument ini = load("[A]\rk1=a\nk2=b\r\nk3=c\n\r[B]\rk=d");
        QCOMPARE(ini.readString(u"A", u"k1", {}), QStringLiteral("a"));
        QCOMPARE(ini.readString(u"A", u"k2", {}), QStringLiteral("b"));
        QCOMPARE(ini.readString(u"A", u"k3", {}), QStringLiteral("c"));
        QCOMPARE(ini.readString(u"B", u"k", {}), QStringLiteral("d"));

        // Lines of every length, broken every way: each reads back whole.
        QRandomGenerator random(20261207);
        const char* const breaks[] = {"\r\n", "\n", "\r"};
        QByteArray text = "[S]\n";
        std::vector<int> lengths;
        for (int i = 0; i < 200; ++i) {
            lengths.push_back(random.bounded(24));
            text += "k" + QByteArray::number(i) + '=' + QByteArray(lengths.back(), 'v');
            text += breaks[random.bounded(3)];
        }
        ini = load(text);
        for (int i = 0; i < 200; ++i)
            QCOMPARE(ini.readString(u"S", QString::number(i).prepend(u'k'), {}).size(),
                     lengths[size_t(i)]);
    }

    void sectionExistsNeedsALine() {
        IniDocument ini = load("[Empty]\r\n\r\n[Full]\r\nline without key\r\n[]\r\nk=v\r\n[");
        QVERIFY(!ini.sectionExists(u"Empty"));
        QVERIFY(ini.sectionExists(u"full"));
        QVERIFY(ini.sectionExists(u""));
        QVERIFY(!ini.sectionExists(u"Missing"));
    }

    void integers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("decimal") << "42" << 42;
        QTest::newRow("negative") << "-17" << -17;
        QTest::newRow("0x") << "0x1F" << 31;
        QTest::newRow("0X") << "0X1f" << 31;
        QTest::newRow("dollar") << "$1F" << 31;
        QTest::newRow("0x alone") << "0x" << -99;
        QTest::newRow("dollar alone") << "$" << -99;
        QTest::newRow("full 32 bits") << "$FFFFFFFF" << -1;
        QTest::newRow("too wide hex") << "$100000000" << -99;
        QTest::newRow("too large") << "2147483648" << -99;
        QTest::newRow("smallest") << "-2147483648" << int(INT_MIN);
        QTest::newRow("leading blank") << " 7" << 7;
        QTest::newRow("trailing blank") << "7 " << -99;
        QTest::newRow("junk") << "12abc" << -99;
        QTest::newRow("empty") << "" << -99;
    }
    void integers() {
        QFETCH(QString, text);
        QFETCH(int, expected);
        IniDocument ini;
        ini.writeString(u"S", u"k", text);
        QCOMPARE(ini.readInteger(u"S", u"k", -99), expected);
        QCOMPARE(ini.readInteger(u"S", u"missing", -99), -99);
    }

    void flags() {
        IniDocument ini = load("[F]\na=1\nb=0\nc=2\nd=yes\n");
        QVERIFY(ini.readBool(u"F", u"a", false));
        QVERIFY(!ini.readBool(u"F", u"b", true));
        QVERIFY(ini.readBool(u"F", u"c", false));
        QVERIFY(ini.readBool(u"F", u"d", true));
        QVERIFY(!ini.readBool(u"F", u"d", false));
        QVERIFY(ini.readBool(u"F", u"missing", true));
    }

    void dateTimesReadBackToTheSecond() {
        const QDateTime when(QDate(2024, 2, 29), QTime(23, 59, 58));
        IniDocument ini;
        ini.writeDateTime(u"S", u"when", when);
        ini.writeString(u"S", u"bad", QStringLiteral("29.02.2024 23:59"));
        const QDateTime fallback(QDate(1900, 1, 9), QTime(0, 0));
        QCOMPARE(ini.readDateTime(u"S", u"when", fallback), when);
        QCOMPARE(ini.readDateTime(u"S", u"bad", fallback), fallback);
        QCOMPARE(ini.readDateTime(u"S", u"missing", fallback), fallback);
    }

    void eightBitFilesStayEightBit() {
        const QByteArray latin1 = "[Caf\xe9]\r\nk=\xe9t\xe9\r\n\r\n";
        m_dir->writeFile(QStringLiteral("l.ini"), latin1);
        IniDocument ini(m_dir->file(QStringLiteral("l.ini")));
        QCOMPARE(ini.readString(u"Caf\u00e9", u"k", {}), QStringLiteral("\u00e9t\u00e9"));
        ini.save();
        QCOMPARE(m_dir->readFile(QStringLiteral("l.ini")), latin1);

        m_dir->writeFile(QStringLiteral("u.ini"), "[S]\r\nk=\xc3\xa9\r\n");
        QCOMPARE(IniDocument(m_dir->file(QStringLiteral("u.ini"))).readString(u"S", u"k", {}),
                 QStringLiteral("\u00e9"));
    }

    // Texts that would make lines or sections of their own are refused, and the
    // document and its file stay as they were.
    void writesThatWouldCorruptTheFile_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("line feed in a value") << "S"
                                              << "k"
                                              << "a\n[StartKALTO]";
        QTest::newRow("carriage return in a value") << "S"
                                                    << "k"
                                                    << "a\rb";
        QTest::newRow("line break in a section") << "S\nT"
                                                 << "k"
                                                 << "v";
        QTest::newRow("line break in a key") << "S"
                                             << "k\r"
                                             << "v";
        QTest::newRow("= in a key") << "S"
                                    << "a=b"
                                    << "v";
        QTest::newRow("comment key") << "S"
                                     << ";k"
                                     << "v";
        QTest::newRow("header line") << "S"
                                     << "[a"
                                     << "b]";
        QTest::newRow("beyond 8-bit text") << "S"
                                           << "k"
                                           << "\u03a9mega";
    }
    void writesThatWouldCorruptTheFile() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QByteArray before = "[S]\r\nname=Caf\xe9\r\nk=1\r\n\r\n";
        m_dir->writeFile(QStringLiteral("t.ini"), before);
        IniDocument ini(m_dir->file(QStringLiteral("t.ini")));
        QVERIFY(ini.isLatin1());
        QVERIFY_THROWS_EXCEPTION(FileError, ini.writeString(section, key, value));
        ini.save();
        QCOMPARE(m_dir->readFile(QStringLiteral("t.ini")), before);
    }

    // A file read as 8-bit text is written as 8-bit text: the lines not written keep
    // their bytes, and its text reads back the same even when its bytes, once a
    // comment is dropped, happen to form UTF-8.
    void eightBitTextSurvivesSaveAndReload() {
        m_dir->writeFile(QStringLiteral("t.ini"),
                         "; \xff\r\n[S]\r\nv=\xce\xa9MEGA\r\nname=Caf\xe9\r\nk=1\r\n");
        IniDocument ini(m_dir->file(QStringLiteral("t.ini")));
        QCOMPARE(ini.readString(u"S", u"v", {}), QStringLiteral("\u00ce\u00a9MEGA"));
        ini.writeString(u"S", u"name", QStringLiteral("Caf\u00e9s"));
        ini.save();
        const QByteArray saved = m_dir->readFile(QStringLiteral("t.ini"));
        QVERIFY(saved.contains("v=\xce\xa9MEGA\r\nname=Caf\xe9s\r\n"));
        const IniDocument back(m_dir->file(QStringLiteral("t.ini")));
        QCOMPARE(back.readString(u"S", u"v", {}), QStringLiteral("\u00ce\u00a9MEGA"));
        QCOMPARE(back.readString(u"S", u"name", {}), QStringLiteral("Caf\u00e9s"));
        QCOMPARE(back.serialize(), saved);

        // A UTF-8 file keeps its byte order mark; an empty section name is a name.
        m_dir->writeFile(QStringLiteral("u.ini"), "\xef\xbb\xbf[S]\r\nk=\xce\xa9\r\n\r\n");
        IniDocument utf8(m_dir->file(QStringLiteral("u.ini")));
        utf8.writeString(u"", u"k", u"v");
        QCOMPARE(utf8.serialize(),
                 QByteArray("\xef\xbb\xbf[S]\r\nk=\xce\xa9\r\n\r\n[]\r\nk=v\r\n\r\n"));
    }

    // Date-times are written in UTC with their "Z"; the older local form still reads.
    void dateTimeForms() {
        const QDateTime utc(QDate(2026, 3, 29), QTime(1, 30, 5), Qt::UTC);
        QCOMPARE(IniDocument::dateTimeText(utc), QStringLiteral("2026-03-29T01:30:05Z"));
        QCOMPARE(IniDocument::parseDateTime(u"2026-03-29T01:30:05Z"), utc);
        QCOMPARE(IniDocument::parseDateTime(u"2026-03-29T01:30:05"),
                 QDateTime(QDate(2026, 3, 29), QTime(1, 30, 5)));
        QVERIFY(!IniDocument::parseDateTime(u"29/03/2026").isValid());
    }

    // Times in UTC read back as written, also in the hour the local clock skips (which
    // a reading through local time lost), and only whole, valid ones are times at all.
    void utcTimes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected");
        const auto utc = [](int y, int mo, int d, int h, int mi, int s) {
            return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
        };
        QTest::newRow("plain") << u"2025-07-14T23:59:58Z"_s << utc(2025, 7, 14, 23, 59, 58);
        QTest::newRow("skipped local hour")
            << u"2026-03-29T02:30:05Z"_s << utc(2026, 3, 29, 2, 30, 5);
        QTest::newRow("repeated local hour")
            << u"2026-10-25T02:30:05Z"_s << utc(2026, 10, 25, 2, 30, 5);
        QTest::newRow("leap day") << u"2024-02-29T00:00:00Z"_s << utc(2024, 2, 29, 0, 0, 0);
        QTest::newRow("no leap day") << u"2025-02-29T00:00:00Z"_s << QDateTime();
        QTest::newRow("month 13") << u"2025-13-01T00:00:00Z"_s << QDateTime();
        QTest::newRow("hour 24") << u"2025-01-01T24:00:00Z"_s << QDateTime();
        QTest::newRow("second 60") << u"2025-01-01T23:59:60Z"_s << QDateTime();
        QTest::newRow("letter in it") << u"2025-01-0xT00:00:00Z"_s << QDateTime();
        QTest::newRow("cut short") << u"2025-01-01T00:00Z"_s << QDateTime();
        QTest::newRow("trailing text") << u"2025-01-01T00:00:00Zx"_s << QDateTime();
        QTest::newRow("empty") << QString() << QDateTime();
    }
    void utcTimes() {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        // A zone whose clock skips and repeats an hour at 02:00 local time.
        const QByteArray zone = qgetenv("TZ");
        qputenv("TZ", "Europe/Berlin");
        tzset();
        const QDateTime read = IniDocument::parseDateTime(text);
        if (zone.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", zone);
        tzset();
        QCOMPARE(read.isValid(), expected.isValid());
        if (expected.isValid()) {
            QCOMPARE(read, expected);
            QCOMPARE(IniDocument::dateTimeText(read), text);
        }
    }

    // A full disk or a file-size limit fails the save with the system's message; the
    // old file stays whole and no temporary file is left behind.
    void fullDiskAndSizeLimit() {
        testsupport::TinyFileSystem disk(64);
        IniDocument ini = IniDocument::emptyFor(disk.path() + QStringLiteral("s.ini"));
        for (int i = 0; i < 2000; ++i)
            ini.writeInteger(QStringLiteral("game%1").arg(i), u"CurScrShot", i);
        if (disk.isActive()) {
            QFile old(disk.path() + QStringLiteral("s.ini"));
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("[Old]\r\nk=v\r\n");
            old.close();
            disk.fill();
            try {
                ini.save();
                QFAIL("saved on a full disk");
            } catch (const FileError& error) {
                QVERIFY2(error.message().contains(QStringLiteral("No space left")),
                         qPrintable(error.message()));
            }
            QVERIFY(old.open(QIODevice::ReadOnly));
            QCOMPARE(old.readAll(), QByteArray("[Old]\r\nk=v\r\n"));
            QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden),
                     (QStringList{QStringLiteral(".filler"), QStringLiteral("s.ini")}));
        }
        const QString limited = m_dir->file(QStringLiteral("limited.ini"));
        m_dir->writeFile(QStringLiteral("limited.ini"), "[Old]\r\nk=v\r\n");
        IniDocument big = IniDocument::emptyFor(limited);
        for (int i = 0; i < 2000; ++i)
            big.writeInteger(QStringLiteral("game%1").arg(i), u"CurScrShot", i);
        {
            testsupport::FileSizeLimit limit(4096);
            try {
                big.save();
                QFAIL("saved past the file-size limit");
            } catch (const FileError& error) {
                QVERIFY2(error.message().contains(QStringLiteral("File too large")),
                         qPrintable(error.message()));
            }
        }
        QCOMPARE(m_dir->readFile(QStringLiteral("limited.ini")), QByteArray("[Old]\r\nk=v\r\n"));
    }

    // A file written only when its bytes change is left alone, its time too, when they
    // do not, even where nothing could be written; otherwise it gets all of them, the
    // part made before the first difference included.
    void writeOnlyWhenChanged_data() {
        QTest::addColumn<QByteArray>("old"); // "-": no file
        QTest::addColumn<QByteArrayList>("pieces");
        QTest::addColumn<bool>("written");
        QTest::newRow("no file") << QByteArray("-") << QByteArrayList{"abc"} << true;
        QTest::newRow("the same, in pieces")
            << QByteArray("abcdef") << QByteArrayList{"ab", "cd", "ef"} << false;
        QTest::newRow("a later piece differs")
            << QByteArray("abcdef") << QByteArrayList{"ab", "cX", "ef"} << true;
        QTest::newRow("longer") << QByteArray("abc") << QByteArrayList{"abc", "d"} << true;
        QTest::newRow("shorter") << QByteArray("abcd") << QByteArrayList{"ab", "c"} << true;
        QTest::newRow("empty, and nothing") << QByteArray() << QByteArrayList{} << false;
    }
    void writeOnlyWhenChanged() {
        QFETCH(QByteArray, old);
        QFETCH(QByteArrayList, pieces);
        QFETCH(bool, written);
        m_dir->makeDir(QStringLiteral("d"));
        const QString file = m_dir->file(QStringLiteral("d/f.ini"));
        const QDateTime before = QDateTime::currentDateTime().addDays(-3);
        if (old != "-") {
            m_dir->writeFile(QStringLiteral("d/f.ini"), old);
            testsupport::setModified(file, before);
        }
        const auto write = [&] {
            writeFileIfChanged(file, [&](const ByteSink& sink) {
                for (const QByteArray& piece : pieces)
                    sink(piece);
            });
        };
        if (written) {
            write();
        } else {
            testsupport::UnwritableDir locked(m_dir->file(QStringLiteral("d")));
            write();
        }
        QCOMPARE(m_dir->readFile(QStringLiteral("d/f.ini")), pieces.join());
        QCOMPARE(QFileInfo(file).lastModified().secsTo(before) == 0, !written);
        QCOMPARE(QDir(m_dir->file(QStringLiteral("d"))).entryList(QDir::Files),
                 QStringList{QStringLiteral("f.ini")});
    }

    void failedSaveKeepsTheOldFile() {
        m_dir->makeDir(QStringLiteral("locked"));
        const QString file = m_dir->file(QStringLiteral("locked/settings.ini"));
        m_dir->writeFile(QStringLiteral("locked/settings.ini"), "[Old]\r\nk=v\r\n\r\n");
        IniDocument ini(file);
        ini.writeString(u"New", u"k", QStringLiteral("v"));
        {
            testsupport::UnwritableDir locked(m_dir->file(QStringLiteral("locked")));
            if (!locked.isActive())
                QSKIP("no way to make a directory unwritable here");
            bool thrown = false;
            try {
                ini.save();
            } catch (const FileError& error) {
                thrown = true;
                QVERIFY2(error.message().contains(file), qPrintable(error.message()));
            }
            QVERIFY(thrown);
        }
        QCOMPARE(m_dir->readFile(QStringLiteral("locked/settings.ini")),
                 QByteArray("[Old]\r\nk=v\r\n\r\n"));
        QCOMPARE(QDir(m_dir->file(QStringLiteral("locked"))).entryList(QDir::Files),
                 QStringList{QStringLiteral("settings.ini")});
    }

    void oneSectionOfALargeFile() {
        m_dir->writeFile(QStringLiteral("big.ini"),
                         "[game1]\r\nk=1\r\n[startkalto]\r\nEmuExePath=/e/\r\n[game2]\r\nk=2\r\n"
                         "[StartKALTO]\r\nEmuExePath=second\r\n");
        const auto part =
            IniDocument::sectionOf(m_dir->file(QStringLiteral("big.ini")), u"StartKALTO");
        QCOMPARE(part.readString(u"StartKALTO", u"EmuExePath", {}), QStringLiteral("/e/"));
        QVERIFY(!part.sectionExists(u"game1"));
        QVERIFY(!part.keyExists(u"game2", u"k"));
        // Saving it would drop every other section.
        QVERIFY_THROWS_EXCEPTION(std::logic_error, part.save());
        QVERIFY(m_dir->readFile(QStringLiteral("big.ini")).contains("[game2]"));
    }

    // The section read alone reads as it does in the whole document, whatever the line
    // ends, brackets inside lines and letters beyond ASCII.
    void oneSectionReadsAsInTheWholeFile() {
        const QByteArray text = "x=[not a header]\r[Caf\xc9]\nk=1\r\n[half=open\r\n; [c]\nj=[2]\r"
                                "[other]\r\nk=3\n[caf\xe9]\nk=4\n[Caf\xc9]\r\nm=5\r\n";
        m_dir->writeFile(QStringLiteral("s.ini"), text);
        const IniDocument whole(m_dir->file(QStringLiteral("s.ini")));
        const auto part = IniDocument::sectionOf(m_dir->file(QStringLiteral("s.ini")),
                                                 QStringLiteral("CAF\u00c9"));
        for (const char* key : {"k", "[half", "j", "m"})
            QCOMPARE(part.readString(u"caf\u00e9", QString::fromLatin1(key), QStringLiteral("-")),
                     whole.readString(u"caf\u00e9", QString::fromLatin1(key), QStringLiteral("-")));
        QCOMPARE(part.readString(u"Caf\u00c9", u"j", {}), QStringLiteral("[2]"));
        QVERIFY(!part.sectionExists(u"other"));
    }

    // A section read alone from a large file stops reading after it only when that
    // cannot change what it reads: the encoding of the whole file still decides.
    void oneSectionOfAFileLargerThanItsReads_data() {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("tail");
        const QByteArray filler = QByteArray("[g]\r\nk=") + QByteArray(70000, 'x') + "\r\n";
        QTest::newRow("ascii, then 8-bit text")
            << QByteArray("[StartKALTO]\r\nEmuExePath=/e/\r\n") << filler + "[h\xe9]\r\nk=1\r\n";
        QTest::newRow("utf-8 first, then 8-bit text")
            << QByteArray("[StartKALTO]\r\nEmuExePath=/caf\xc3\xa9/\r\n")
            << filler + "[h\xe9]\r\nk=1\r\n";
        QTest::newRow("8-bit first, then utf-8")
            << QByteArray("[StartKALTO]\r\nEmuExePath=/caf\xe9/\r\n")
            << filler + "[h\xc3\xa9]\r\nk=1\r\n";
        QTest::newRow("the section longer than a read")
            << QByteArray("[a]\r\nk=1\r\n[startkalto]\r\nx=") + QByteArray(100000, 'y') +
                   "\r\nEmuExePath=/far/\r\n"
            << "[StartKALTO]\r\nEmuExePath=second\r\n" + filler;
        QTest::newRow("after a large section") << filler + "[StartKALTO]\nEmuExePath=/late/\n"
                                               << QByteArray("[next]\nk=1\n");
        QTest::newRow("a header cut by a read")
            << QByteArray(65530, ';') + "\r\n[StartKALTO]\r\nEmuExePath=/cut/\r\n"
            << "[z]\r\n" + filler;
    }
    void oneSectionOfAFileLargerThanItsReads() {
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, tail);
        m_dir->writeFile(QStringLiteral("big.ini"), head + tail);
        const QString path = m_dir->file(QStringLiteral("big.ini"));
        const IniDocument whole(path);
        const auto part = IniDocument::sectionOf(path, u"StartKALTO");
        QCOMPARE(part.readString(u"StartKALTO", u"EmuExePath", QStringLiteral("-")),
                 whole.readString(u"StartKALTO", u"EmuExePath", QStringLiteral("-")));
        QVERIFY(part.readString(u"StartKALTO", u"EmuExePath", {}).size() > 2);
        QCOMPARE(part.readString(u"StartKALTO", u"x", {}).size(),
                 whole.readString(u"StartKALTO", u"x", {}).size());
    }

    void unreadableFileRaises() {
        m_dir->makeDir(QStringLiteral("adir.ini"));
        QVERIFY_THROWS_EXCEPTION(FileError, IniDocument(m_dir->file(QStringLiteral("adir.ini"))));
        // A missing file is an empty document, not an error.
        QVERIFY(!IniDocument(m_dir->file(QStringLiteral("none.ini"))).sectionExists(u"x"));
    }

private:
    IniDocument load(const QByteArray& text) {
        m_dir->writeFile(QStringLiteral("t.ini"), text);
        return IniDocument(m_dir->file(QStringLiteral("t.ini")));
    }

    std::unique_ptr<FrontEndDir> m_dir;
};

QTEST_GUILESS_MAIN(TestIniDocument)
#include "tst_inidocument.moc"
