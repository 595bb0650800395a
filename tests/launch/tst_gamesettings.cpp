#include "TestSupport.h"
#include "launch/GameSettings.h"

#include <QDir>
#include <QDirIterator>
#include <QtTest>
#include <type_traits>

using testsupport::FrontEndDir;

namespace {

// Every field as "key=value", in file order: a failed comparison shows the field.
QStringList describe(const TGameSettingsObject& settings) {
    QStringList fields;
    forEachSetting(settings, [&](QStringView key, const auto& field) {
        using Field = std::decay_t<decltype(field)>;
        QString value;
        if constexpr (std::is_same_v<Field, bool> || std::is_same_v<Field, int>)
            value = QString::number(int(field));
        else
            value = field.text();
        fields.append(key.toString() + u'=' + value);
    });
    return fields;
}

// The defaults spelt out, so that a changed default in the record is noticed.
TGameSettingsObject expectedDefaults() {
    TGameSettingsObject s;
    s.ScreenMode = 0;
    s.Resolution = QStringLiteral("320x240");
    s.Scanlines = 0;
    s.Vsync = false;
    s.TripleBuffer = true;
    s.Eagle = false;
    s.PixelDouble = false;
    s.FastSetPal = true;
    s.SoundCard = 0;
    s.SamplingRate = QStringLiteral("22050");
    s.Ym3812 = 0;
    s.DariusStereo = false;
    s.UseLeds = true;
    s.LimitSpeed = true;
    s.Frame_Skip = 0;
    s.ShowFPS = 0;
    s.UseRdtsc = true;
    return s;
}

// A record in which every field differs from its default.
TGameSettingsObject allChanged() {
    TGameSettingsObject s;
    s.ScreenMode = 5;
    s.Resolution = QStringLiteral("640x480");
    s.Scanlines = 2;
    s.Vsync = true;
    s.TripleBuffer = false;
    s.Eagle = true;
    s.PixelDouble = true;
    s.FastSetPal = false;
    s.SoundCard = 3;
    s.SamplingRate = QStringLiteral("44100");
    s.Ym3812 = 1;
    s.DariusStereo = true;
    s.UseLeds = false;
    s.LimitSpeed = false;
    s.Frame_Skip = -1;
    s.ShowFPS = 2;
    s.UseRdtsc = false;
    return s;
}

} // namespace

class TestGameSettings : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = std::make_unique<FrontEndDir>();
        m_dir->makeDir(QStringLiteral("IniFiles"));
        m_iniFiles = m_dir->file(QStringLiteral("IniFiles/"));
    }
    void cleanup() { m_dir.reset(); }

    void saveReplacesTheFileWithOneSection() {
        m_dir->writeFile(QStringLiteral("IniFiles/mygame.ini"),
                         "; hand-written\r\n[Other]\r\nx=1\r\n[mygame]\r\nOldKey=7\r\n");
        const TGameSettingsObject saved = allChanged();
        SaveSettings(saved, m_iniFiles, QStringLiteral("mygame"));
        QCOMPARE(m_dir->readFile(QStringLiteral("IniFiles/mygame.ini")),
                 QByteArray("[mygame]\r\n"
                            "ScreenMode=5\r\n"
                            "Resolution=640x480\r\n"
                            "Scanlines=2\r\n"
                            "Vsync=1\r\n"
                            "TripleBuffer=0\r\n"
                            "Eagle=1\r\n"
                            "PixelDouble=1\r\n"
                            "FastSetPal=0\r\n"
                            "SoundCard=3\r\n"
                            "SamplingRate=44100\r\n"
                            "Ym3812=1\r\n"
                            "DariusStereo=1\r\n"
                            "UseLeds=0\r\n"
                            "LimitSpeed=0\r\n"
                            "Frame_Skip=-1\r\n"
                            "ShowFPS=2\r\n"
                            "UseRdtsc=0\r\n"
                            "\r\n"));

        TGameSettingsObject loaded;
        LoadSettings(loaded, m_iniFiles, QStringLiteral("mygame"));
        QCOMPARE(describe(loaded), describe(saved));

        // The defaults written out read back as the defaults.
        SaveSettings(TGameSettingsObject(), m_iniFiles, QStringLiteral("Default"));
        LoadSettings(loaded, m_iniFiles, QStringLiteral("Default"));
        QCOMPARE(describe(loaded), describe(expectedDefaults()));
    }

    void missingFileGivesTheDefaults() {
        QCOMPARE(describe(TGameSettingsObject()), describe(expectedDefaults()));
        // What the record held before (another game's settings) must not leak through.
        TGameSettingsObject loaded = allChanged();
        LoadSettings(loaded, m_iniFiles, QStringLiteral("nosuchgame"));
        QCOMPARE(describe(loaded), describe(expectedDefaults()));
        QVERIFY(!m_dir->exists(QStringLiteral("IniFiles/nosuchgame.ini")));
    }

    void emptyFileIsTheGamesOwnDefaults() {
        SaveSettings(allChanged(), m_iniFiles, defaultSettingsName());
        m_dir->writeFile(QStringLiteral("IniFiles/mygame.ini"), QByteArray());

        QVERIFY(!UsesDefaultSettings(m_iniFiles, QStringLiteral("mygame")));
        QCOMPARE(effectiveSettingsName(m_iniFiles, QStringLiteral("mygame")),
                 QStringLiteral("mygame"));
        QCOMPARE(describe(loadEffectiveSettings(m_iniFiles, QStringLiteral("mygame"))),
                 describe(expectedDefaults()));
    }

    void sectionMustCarryTheFilesName_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("screenMode");
        QTest::newRow("other name") << QByteArray("[othergame]\r\nScreenMode=3\r\n") << 0;
        QTest::newRow("name in other case") << QByteArray("[MyGame]\r\nScreenMode=3\r\n") << 3;
        QTest::newRow("keys before any section")
            << QByteArray("ScreenMode=3\r\n[mygame]\r\nScanlines=1\r\n") << 0;
    }

    void sectionMustCarryTheFilesName() {
        QFETCH(QByteArray, content);
        QFETCH(int, screenMode);
        m_dir->writeFile(QStringLiteral("IniFiles/mygame.ini"), content);
        TGameSettingsObject loaded;
        LoadSettings(loaded, m_iniFiles, QStringLiteral("mygame"));
        QCOMPARE(loaded.ScreenMode, screenMode);
    }

    void valuesAsTheFileHoldsThem_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("key in other case") << QByteArray("ScanLines=2") << "Scanlines"
                                           << "2";
        QTest::newRow("dollar hex") << QByteArray("ScreenMode=$10") << "ScreenMode"
                                    << "16";
        QTest::newRow("0x hex") << QByteArray("ScreenMode=0x1F") << "ScreenMode"
                                << "31";
        QTest::newRow("0X hex") << QByteArray("ScreenMode=0X1f") << "ScreenMode"
                                << "31";
        QTest::newRow("0x alone") << QByteArray("SoundCard=0x") << "SoundCard"
                                  << "0";
        QTest::newRow("no number") << QByteArray("SoundCard=abc") << "SoundCard"
                                   << "0";
        QTest::newRow("leading blank") << QByteArray("ShowFPS= 2") << "ShowFPS"
                                       << "2";
        QTest::newRow("negative") << QByteArray("Frame_Skip=-1") << "Frame_Skip"
                                  << "-1";
        QTest::newRow("mode above the list") << QByteArray("ScreenMode=8") << "ScreenMode"
                                             << "8";
        QTest::newRow("boolean 2 is on") << QByteArray("Vsync=2") << "Vsync"
                                         << "1";
        QTest::newRow("boolean 0 is off") << QByteArray("UseRdtsc=0") << "UseRdtsc"
                                          << "0";
        QTest::newRow("boolean no number keeps default")
            << QByteArray("TripleBuffer=yes") << "TripleBuffer"
            << "1";
        QTest::newRow("resolution cut to 9") << QByteArray("Resolution=1024x768x16") << "Resolution"
                                             << "1024x768x";
        QTest::newRow("sampling rate cut to 8")
            << QByteArray("SamplingRate=123456789") << "SamplingRate"
            << "12345678";
    }

    void valuesAsTheFileHoldsThem() {
        QFETCH(QByteArray, line);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        m_dir->writeFile(QStringLiteral("IniFiles/mygame.ini"), "[mygame]\r\n" + line + "\r\n");
        TGameSettingsObject loaded;
        LoadSettings(loaded, m_iniFiles, QStringLiteral("mygame"));

        // Only the field of the line differs from the defaults.
        QStringList wanted = describe(expectedDefaults());
        for (QString& field : wanted) {
            if (field.startsWith(key + u'='))
                field = key + u'=' + expected;
        }
        QCOMPARE(describe(loaded), wanted);
    }

    void ownSettingsComeAndGo() {
        const QString game = QStringLiteral("mygame");
        TGameSettingsObject defaults = expectedDefaults();
        defaults.ScreenMode = 2;
        defaults.Resolution = QStringLiteral("800x600");
        SaveSettings(defaults, m_iniFiles, defaultSettingsName());
        SaveSettings(allChanged(), m_iniFiles, QStringLiteral("othergame"));

        QVERIFY(UsesDefaultSettings(m_iniFiles, game));
        QCOMPARE(effectiveSettingsName(m_iniFiles, game), QStringLiteral("Default"));
        QCOMPARE(describe(loadEffectiveSettings(m_iniFiles, game)), describe(defaults));

        TGameSettingsObject own = expectedDefaults();
        own.Scanlines = 1;
        SaveSettings(own, m_iniFiles, game);
        QVERIFY(!UsesDefaultSettings(m_iniFiles, game));
        QCOMPARE(effectiveSettingsName(m_iniFiles, game), game);
        QCOMPARE(describe(loadEffectiveSettings(m_iniFiles, game)), describe(own));

        DropOwnSettings(m_iniFiles, game, false);
        QVERIFY(!UsesDefaultSettings(m_iniFiles, game));

        DropOwnSettings(m_iniFiles, game, true);
        QVERIFY(UsesDefaultSettings(m_iniFiles, game));
        QCOMPARE(describe(loadEffectiveSettings(m_iniFiles, game)), describe(defaults));
        DropOwnSettings(m_iniFiles, game, true); // nothing left to drop

        QVERIFY(m_dir->exists(QStringLiteral("IniFiles/othergame.ini")));
        QVERIFY(m_dir->exists(QStringLiteral("IniFiles/Default.ini")));
    }

    void importTurnsOldSectionsIntoFiles() {
        const QByteArray old = "[StartKALTO]\r\nNumOfGames=3\r\n"
                               "[Game0]\r\nZipName=alpha\r\nUseDefSettings=1\r\n"
                               "ScreenMode=2\r\nResolution=640x480\r\nVsync=2\r\n"
                               "[Game1]\r\nZipName=beta\r\nUseDefSettings=1\r\nScreenMode=4\r\n"
                               "[Game2]\r\nUseDefSettings=0\r\nVsync=1\r\nScanlines=1\r\n"
                               "[Game3]\r\nZipName=delta\r\nUseDefSettings=0\r\n";
        m_dir->writeFile(QStringLiteral("StartKALTO.ini"), old);
        ImportOldGameSettings(m_dir->file(QStringLiteral("StartKALTO.ini")), m_iniFiles);

        QCOMPARE(QDir(m_iniFiles).entryList(QDir::Files, QDir::Name),
                 (QStringList{QStringLiteral("alpha.ini"), QStringLiteral("error.ini")}));

        // Game0 is converted even though it used the defaults; its 2 for Vsync meant off.
        TGameSettingsObject alpha = expectedDefaults();
        alpha.ScreenMode = 2;
        alpha.Resolution = QStringLiteral("640x480");
        TGameSettingsObject loaded;
        LoadSettings(loaded, m_iniFiles, QStringLiteral("alpha"));
        QCOMPARE(describe(loaded), describe(alpha));

        // A section without a zip name still lands somewhere inside IniFiles.
        TGameSettingsObject error = expectedDefaults();
        error.Vsync = true;
        error.Scanlines = 1;
        LoadSettings(loaded, m_iniFiles, QStringLiteral("error"));
        QCOMPARE(describe(loaded), describe(error));

        QCOMPARE(m_dir->readFile(QStringLiteral("StartKALTO.ini")), old);

        // In a current file, by contrast, a Vsync of 2 reads as on.
        m_dir->writeFile(QStringLiteral("IniFiles/alpha.ini"), "[alpha]\r\nVsync=2\r\n");
        LoadSettings(loaded, m_iniFiles, QStringLiteral("alpha"));
        QVERIFY(loaded.Vsync);
    }

    // A hand-edited count is bounded by the sections that are there: the import ends at
    // once and takes them in the order of their numbers (the later one wins a shared
    // name); a section at or past the count, or numbered with a leading zero, stays out.
    void importIsBoundedByTheSections() {
        const QByteArray old = "[StartKALTO]\r\nNumOfGames=2000000000\r\n"
                               "[game10]\r\nZipName=twice\r\nUseDefSettings=0\r\nScreenMode=2\r\n"
                               "[Game0]\r\nZipName=first\r\n"
                               "[Game1]\r\nZipName=twice\r\nUseDefSettings=0\r\nScreenMode=1\r\n"
                               "[Game02]\r\nZipName=padded\r\nUseDefSettings=0\r\n"
                               "[Game3000000000]\r\nZipName=huge\r\nUseDefSettings=0\r\n";
        m_dir->writeFile(QStringLiteral("StartKALTO.ini"), old);
        ImportOldGameSettings(m_dir->file(QStringLiteral("StartKALTO.ini")), m_iniFiles);
        QCOMPARE(QDir(m_iniFiles).entryList(QDir::Files, QDir::Name),
                 (QStringList{QStringLiteral("first.ini"), QStringLiteral("twice.ini")}));
        TGameSettingsObject loaded;
        LoadSettings(loaded, m_iniFiles, QStringLiteral("twice"));
        QCOMPARE(loaded.ScreenMode, 2);

        m_dir->writeFile(QStringLiteral("StartKALTO.ini"),
                         QByteArray(old).replace("2000000000", "10"));
        ImportOldGameSettings(m_dir->file(QStringLiteral("StartKALTO.ini")), m_iniFiles);
        LoadSettings(loaded, m_iniFiles, QStringLiteral("twice"));
        QCOMPARE(loaded.ScreenMode, 1);
    }

    void importWithoutGame0WritesNothing() {
        const QByteArray old = "[StartKALTO]\r\nNumOfGames=2\r\n"
                               "[Game1]\r\nZipName=beta\r\nUseDefSettings=0\r\n";
        m_dir->writeFile(QStringLiteral("StartKALTO.ini"), old);
        ImportOldGameSettings(m_dir->file(QStringLiteral("StartKALTO.ini")), m_iniFiles);
        QVERIFY(QDir(m_iniFiles).isEmpty());
        QCOMPARE(m_dir->readFile(QStringLiteral("StartKALTO.ini")), old);

        // No old file at all is the same.
        ImportOldGameSettings(m_dir->file(QStringLiteral("missing.ini")), m_iniFiles);
        QVERIFY(QDir(m_iniFiles).isEmpty());
    }

    void importLeavesOutUnsafeNames_data() {
        QTest::addColumn<QByteArray>("zipName");
        QTest::newRow("parent path") << QByteArray("../escape");
        QTest::newRow("subfolder") << QByteArray("a/b");
        QTest::newRow("backslash") << QByteArray("a\\b");
        QTest::newRow("dot dot") << QByteArray("..");
        QTest::newRow("empty") << QByteArray("");
    }

    void importLeavesOutUnsafeNames() {
        QFETCH(QByteArray, zipName);
        // IniFiles one level down, so that "../" would still land inside the test folder.
        const QString iniFiles = m_dir->file(QStringLiteral("front/IniFiles/"));
        m_dir->makeDir(QStringLiteral("front/IniFiles"));
        m_dir->writeFile(QStringLiteral("front/StartKALTO.ini"),
                         "[StartKALTO]\r\nNumOfGames=2\r\n"
                         "[Game0]\r\nZipName=" +
                             zipName +
                             "\r\nUseDefSettings=0\r\nScreenMode=1\r\n"
                             "[Game1]\r\nZipName=good\r\nUseDefSettings=0\r\nScreenMode=3\r\n");
        ImportOldGameSettings(m_dir->file(QStringLiteral("front/StartKALTO.ini")), iniFiles);

        QStringList files;
        QDirIterator it(m_dir->path(), QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(QDir(m_dir->path()).relativeFilePath(it.next()));
        files.sort();
        QCOMPARE(files, (QStringList{QStringLiteral("front/IniFiles/good.ini"),
                                     QStringLiteral("front/StartKALTO.ini")}));
        TGameSettingsObject loaded;
        LoadSettings(loaded, iniFiles, QStringLiteral("good"));
        QCOMPARE(loaded.ScreenMode, 3);
    }

private:
    std::unique_ptr<FrontEndDir> m_dir;
    QString m_iniFiles;
};

QTEST_GUILESS_MAIN(TestGameSettings)
#include "tst_gamesettings.moc"
