#include "TestSupport.h"
#include "core/FileError.h"
#include "core/IniDocument.h"
#include "launch/EmulatorConfig.h"
#include "launch/GameSettings.h"

#include <QtTest>
#include <functional>

using testsupport::FrontEndDir;

namespace {

// The key texts of one section of a saved file, in file order.
QStringList keysOf(const QByteArray& file, const QByteArray& section) {
    const QList<QByteArray> lines = file.split('\n');
    QStringList keys;
    bool inside = false;
    for (QByteArray line : lines) {
        line.chop(line.endsWith('\r') ? 1 : 0);
        if (line.startsWith('[')) {
            inside = line == '[' + section + ']';
            continue;
        }
        if (inside && !line.isEmpty())
            keys.append(QString::fromLatin1(line.left(line.indexOf('='))));
    }
    return keys;
}

} // namespace

class TestEmulatorConfig : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = std::make_unique<FrontEndDir>();
        m_dir->makeDir(QStringLiteral("Config"));
        m_cfg = m_dir->file(QStringLiteral("Config/Kalto.cfg"));
    }
    void cleanup() { m_dir.reset(); }

    void settingsAreWrittenInPlace() {
        m_dir->writeFile(QStringLiteral("Config/Kalto.cfg"), "; KALTO configuration\n"
                                                             "[Display]\n"
                                                             "screen_type = VBE1\n"
                                                             "vsync = 1\n"
                                                             "screen_x = 640\n"
                                                             "\n"
                                                             "; sound\n"
                                                             "[Sound]\n"
                                                             "SampleRate = 11025\n"
                                                             "\n"
                                                             "[Custom]\n"
                                                             "mode = keep me \n"
                                                             "line without equals\n"
                                                             "\n"
                                                             "[Directories]\n"
                                                             "ScreenShots = screens/\n"
                                                             "rom_dir_1 = /old/\n");
        TGameSettingsObject s;
        s.ScreenMode = 5;
        s.Resolution = QStringLiteral("320x240");
        s.Scanlines = 2;
        s.Vsync = false;
        s.TripleBuffer = false;
        s.Eagle = true;
        s.PixelDouble = true;
        s.FastSetPal = false;
        s.SoundCard = 3;
        s.SamplingRate = QStringLiteral("44100");
        s.Ym3812 = 1;
        s.DariusStereo = true;
        s.UseLeds = false;
        s.LimitSpeed = true;
        s.Frame_Skip = -1;
        s.ShowFPS = 2;
        s.UseRdtsc = false;
        WriteEmulatorConfig(m_cfg, s,
                            {QStringLiteral("/roms/a/"), QString(), QStringLiteral("/roms/c d/"),
                             QStringLiteral("/roms/d/")});

        // Keys already there keep their place; missing ones follow in the emulator's order.
        // Every line not written stays as it was, comments and line endings included.
        QCOMPARE(m_dir->readFile(QStringLiteral("Config/Kalto.cfg")),
                 QByteArray("; KALTO configuration\n"
                            "[Display]\n"
                            "screen_type =VB2L\n"
                            "vsync =0\n"
                            "screen_x =320\n"
                            "screen_y =240\n"
                            "ScanLines =2\n"
                            "triple_buffer =0\n"
                            "eagle_fx =1\n"
                            "pixel_double =1\n"
                            "fast_set_pal =0\n"
                            "\n"
                            "; sound\n"
                            "[Sound]\n"
                            "SampleRate =44100\n"
                            "SoundCard =3\n"
                            "Ym3812Emulation =1\n"
                            "DariusStereo =1\n"
                            "\n"
                            "[Custom]\n"
                            "mode = keep me \n"
                            "line without equals\n"
                            "\n"
                            "[Directories]\n"
                            "ScreenShots = screens/\n"
                            "rom_dir_1 =\n"
                            "rom_dir_0 =/roms/a/\n"
                            "rom_dir_2 =/roms/c d/\n"
                            "rom_dir_3 =/roms/d/\n"
                            "[General]\n"
                            "UseLEDS =0\n"
                            "LimitSpeed =1\n"
                            "frame_skip =-1\n"
                            "ShowFPS =2\n"
                            "UseRdtsc =0\n"
                            "\n"));
    }

    // The emulator's own file keeps what the program does not write byte for byte: the
    // lines before the first section, comments, empty lines, 8-bit text, each line's
    // ending, a last line without one; a header followed by blanks is that section.
    // Paths are the file system's bytes of them, whatever the rest of the file holds.
    void emulatorsOwnLinesStay() {
        const QByteArray before = "# written by Kalto 0.9\r\n"
                                  "\r\n"
                                  "[Display] \t\r\n"
                                  "; Bildschirm f\xFCr 8-bit text\r\n"
                                  "screen_type = VBE1\r\n"
                                  "\r\n"
                                  "[Directories]\n"
                                  "ScreenShots = screens/\r\n"
                                  "; rom folders\r\n"
                                  "rom_dir_0 = roms/";
        m_dir->writeFile(QStringLiteral("Config/Kalto.cfg"), before);
        const RomDirs dirs = {QStringLiteral("/roms/\u65E5\u672C/"), QStringLiteral("/r\u00F6ms/")};
        WriteRomDirs(m_cfg, dirs);
        SetScreenShotDir(m_cfg, QStringLiteral("/front \u0416/StartKaltoTemp/"));
        TGameSettingsObject s;
        s.ScreenMode = 1;
        WriteEmulatorConfig(m_cfg, s, dirs);

        const QByteArray after = m_dir->readFile(QStringLiteral("Config/Kalto.cfg"));
        QCOMPARE(after, "# written by Kalto 0.9\r\n"
                        "\r\n"
                        "[Display] \t\r\n"
                        "; Bildschirm f\xFCr 8-bit text\r\n"
                        "screen_type =VGA\r\n"
                        "screen_x =320\r\n"
                        "screen_y =240\r\n"
                        "ScanLines =0\r\n"
                        "vsync =0\r\n"
                        "triple_buffer =1\r\n"
                        "eagle_fx =0\r\n"
                        "pixel_double =0\r\n"
                        "fast_set_pal =1\r\n"
                        "\r\n"
                        "[Directories]\n"
                        "ScreenShots =" +
                            QFile::encodeName(QStringLiteral("/front \u0416/StartKaltoTemp/")) +
                            "\r\n"
                            "; rom folders\r\n"
                            "rom_dir_0 =" +
                            QFile::encodeName(dirs[0]) +
                            "\r\n"
                            "rom_dir_1 =" +
                            QFile::encodeName(dirs[1]) +
                            "\r\n"
                            "rom_dir_2 =\r\n"
                            "rom_dir_3 =\r\n"
                            "[Sound]\r\n"
                            "SoundCard =0\r\n"
                            "SampleRate =22050\r\n"
                            "Ym3812Emulation =0\r\n"
                            "DariusStereo =0\r\n"
                            "\r\n"
                            "[General]\r\n"
                            "UseLEDS =1\r\n"
                            "LimitSpeed =1\r\n"
                            "frame_skip =0\r\n"
                            "ShowFPS =0\r\n"
                            "UseRdtsc =1\r\n"
                            "\r\n");
        QCOMPARE(ReadRomDirs(m_cfg), dirs);
        QCOMPARE(ReadScreenShotDir(m_cfg), QStringLiteral("/front \u0416/StartKaltoTemp/"));
        // A value that would split the line is refused and the file stays.
        try {
            WriteRomDirs(m_cfg, {QStringLiteral("/roms/\n[Display]")});
            QFAIL("a path with a line break was written");
        } catch (const FileError&) {
        }
        QCOMPARE(m_dir->readFile(QStringLiteral("Config/Kalto.cfg")), after);
    }

    // Keys and headers are found where the emulator finds them in a hand-edited file,
    // and their own lines change: no second key the emulator would not read, no key in
    // a section of its own.
    void handEditedLinesAreFound_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("written");
        const QByteArray dirs = "rom_dir_0 =/n/\nrom_dir_1 =\nrom_dir_2 =\nrom_dir_3 =\n";
        QTest::newRow("no blanks around =")
            << QByteArray("[Directories]\nrom_dir_0=/old/\n[General]\nWibble=0\n")
            << "[Directories]\n" + dirs + "[General]\nWibble =1\n";
        QTest::newRow("tabs around =")
            << QByteArray("[Directories]\nrom_dir_0\t= /old/\n[General]\nWibble\t=\t0\n")
            << "[Directories]\n" + dirs + "[General]\nWibble =1\n";
        QTest::newRow("comment after the header")
            << QByteArray("[Directories] ; rom folders\nrom_dir_0 = /old/\n[General]\t; misc\n"
                          "Wibble = 0\n")
            << "[Directories] ; rom folders\n" + dirs + "[General]\t; misc\nWibble =1\n";
        QTest::newRow("blanks in the brackets, indented lines")
            << QByteArray("[ directories ]\n  ROM_DIR_0 = /old/\n  ; rom_dir_1 = /commented/\n"
                          "[General]\nWibble = 0\n")
            << "[ directories ]\n" + dirs + "  ; rom_dir_1 = /commented/\n[General]\nWibble =1\n";
    }
    void handEditedLinesAreFound() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, written);
        m_dir->writeFile(QStringLiteral("Config/Kalto.cfg"), content);
        bool wibble = true;
        QCOMPARE(ReadRomDirs(m_cfg, &wibble),
                 (RomDirs{QStringLiteral("/old/"), QString(), QString(), QString()}));
        QVERIFY(!wibble);
        WriteRomDirs(m_cfg, {QStringLiteral("/n/")});
        WriteWibble(m_cfg, true);
        QCOMPARE(m_dir->readFile(QStringLiteral("Config/Kalto.cfg")), written);
    }

    void missingSectionsAreAppended_data() {
        QTest::addColumn<QByteArray>("content"); // null: no file
        QTest::addColumn<QStringList>("sections");
        QTest::newRow("no file") << QByteArray()
                                 << QStringList{"Display", "Sound", "General", "Directories"};
        QTest::newRow("only directories")
            << QByteArray("[Directories]\nrom_dir_0 = /x/\n")
            << QStringList{"Directories", "Display", "Sound", "General"};
        QTest::newRow("general first")
            << QByteArray("[General]\nWibble = 1\n[Custom]\nk = v\n")
            << QStringList{"General", "Custom", "Display", "Sound", "Directories"};
    }

    void missingSectionsAreAppended() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, sections);
        if (!content.isNull())
            m_dir->writeFile(QStringLiteral("Config/Kalto.cfg"), content);
        WriteEmulatorConfig(m_cfg, TGameSettingsObject(), {});
        const IniDocument cfg(m_cfg);
        QCOMPARE(cfg.sectionNames(), sections);
        QCOMPARE(cfg.readString(u"Display", u"screen_type ", {}), QStringLiteral("0"));
        QCOMPARE(cfg.readString(u"Sound", u"SampleRate ", {}), QStringLiteral("22050"));
        QCOMPARE(cfg.readString(u"General", u"UseRdtsc ", {}), QStringLiteral("1"));
        QVERIFY(cfg.keyExists(u"Directories", u"rom_dir_3 "));
    }

    void displayModeAndResolution_data() {
        QTest::addColumn<int>("screenMode");
        QTest::addColumn<QString>("resolution");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::newRow("autodetect") << 0 << "320x240"
                                    << "0"
                                    << "320"
                                    << "240";
        QTest::newRow("first named mode") << 1 << "640x480"
                                          << "VGA"
                                          << "640"
                                          << "480";
        QTest::newRow("upper-case X is no split") << 5 << "800X600"
                                                  << "VB2L"
                                                  << ""
                                                  << "800X600";
        QTest::newRow("last mode, split at first x") << 8 << "1024x768x"
                                                     << "XTND"
                                                     << "1024"
                                                     << "768x";
        QTest::newRow("mode above the list") << 9 << "320x240"
                                             << "0"
                                             << "320"
                                             << "240";
        QTest::newRow("negative mode") << -1 << "320x240"
                                       << "0"
                                       << "320"
                                       << "240";
        QTest::newRow("empty resolution") << 2 << ""
                                          << "MODX"
                                          << ""
                                          << "";
    }

    void displayModeAndResolution() {
        QFETCH(int, screenMode);
        QFETCH(QString, resolution);
        QFETCH(QString, type);
        QFETCH(QString, width);
        QFETCH(QString, height);
        m_dir->writeFile(QStringLiteral("Config/Kalto.cfg"),
                         "[Display]\nscreen_type = VBE1\nscreen_x = 1\nscreen_y = 2\n");
        TGameSettingsObject s;
        s.ScreenMode = screenMode;
        s.Resolution = resolution;
        WriteEmulatorConfig(m_cfg, s, {});
        const IniDocument cfg(m_cfg);
        QCOMPARE(cfg.readString(u"Display", u"screen_type ", QStringLiteral("?")), type);
        QCOMPARE(cfg.readString(u"Display", u"screen_x ", QStringLiteral("?")), width);
        QCOMPARE(cfg.readString(u"Display", u"screen_y ", QStringLiteral("?")), height);
        QCOMPARE(ReadScreenSize(m_cfg), std::make_pair(width, height));
    }

    void romDirsReadBack_data() {
        QTest::addColumn<QByteArray>("content"); // null: no file
        QTest::addColumn<QStringList>("dirs");
        QTest::addColumn<bool>("wibble");
        QTest::newRow("trimmed, our separators")
            << QByteArray("[Directories]\r\nrom_dir_0 =C:/roms\r\nrom_dir_1 = /roms/x \r\n"
                          "rom_dir_2 =\tD:\\games\\roms\\ \r\n[General]\r\nWibble = 1\r\n")
            << QStringList{"C:/roms", "/roms/x", "D:/games/roms/", ""} << true;
        QTest::newRow("older keys as fallbacks")
            << QByteArray("[Directories]\nZiproms = /old0\nZiproms1 =/old1\nZiproms2 =/old2\n"
                          "rom_dir_2 = /new2\n[General]\nWibble = 0\n")
            << QStringList{"/old0", "/old1", "/new2", ""} << false;
        QTest::newRow("an empty new key wins")
            << QByteArray("[Directories]\nrom_dir_0 =\nZiproms = /old0\n")
            << QStringList{"", "", "", ""} << false;
        QTest::newRow("neither key") << QByteArray("[Directories]\nScreenShots = x\n")
                                     << QStringList{"", "", "", ""} << false;
        QTest::newRow("no file") << QByteArray() << QStringList{"", "", "", ""} << false;
    }

    void romDirsReadBack() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, dirs);
        QFETCH(bool, wibble);
        if (!content.isNull())
            m_dir->writeFile(QStringLiteral("Config/Kalto.cfg"), content);
        bool readWibble = !wibble;
        const RomDirs read = ReadRomDirs(m_cfg, &readWibble);
        QCOMPARE(QStringList(read.begin(), read.end()), dirs);
        QCOMPARE(readWibble, wibble);
        QCOMPARE(ReadRomDirs(m_cfg), read);
        QCOMPARE(m_dir->exists(QStringLiteral("Config/Kalto.cfg")), !content.isNull());
    }

    void romDirsRoundTrip() {
        const RomDirs dirs = {QStringLiteral("/a/"), QString(), QStringLiteral("/c d/"),
                              QStringLiteral("/e/")};
        m_dir->writeFile(QStringLiteral("Config/Kalto.cfg"),
                         "[Directories]\nZiproms1 = /older/\n[Custom]\nk = v\n");
        WriteRomDirs(m_cfg, dirs);
        QCOMPARE(ReadRomDirs(m_cfg), dirs);
        QCOMPARE(IniDocument(m_cfg).readString(u"Custom", u"k ", {}), QStringLiteral(" v"));
    }

    // The emulator's value comes back byte for byte; one that was missing comes back empty.
    void screenShotDirIsSwappedAndRestored_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("restored");
        QTest::newRow("set before") << QByteArray("[Directories]\nScreenShots = screens/\n")
                                    << QByteArray("[Directories]\nScreenShots = screens/\n");
        QTest::newRow("never set") << QByteArray("[Display]\nscreen_x = 320\n")
                                   << QByteArray("[Display]\nscreen_x = 320\n"
                                                 "[Directories]\nScreenShots =\n\n");
    }

    void screenShotDirIsSwappedAndRestored() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, restored);
        m_dir->writeFile(QStringLiteral("Config/Kalto.cfg"), content);
        const QString temp = m_dir->file(QStringLiteral("StartKaltoTemp/"));
        const QByteArray previous = ReadScreenShotDirValue(m_cfg);
        SetScreenShotDir(m_cfg, temp);
        QCOMPARE(ReadScreenShotDir(m_cfg), temp);
        RestoreScreenShotDir(m_cfg, previous);
        QCOMPARE(m_dir->readFile(QStringLiteral("Config/Kalto.cfg")), restored);
    }

    void resolutionKeptOrChanged() {
        m_dir->writeFile(QStringLiteral("Config/Kalto.cfg"),
                         "[Display]\r\nscreen_x = 640 \r\nscreen_y =\t480\r\n");
        const auto [width, height] = ReadScreenSize(m_cfg);
        QCOMPARE(width, QStringLiteral("640"));
        QCOMPARE(height, QStringLiteral("480"));
        QCOMPARE(resolutionChangeMessage(QStringLiteral("640x480"), width, height), QString());
        // Numbers compare as numbers; texts that are no numbers as texts.
        QCOMPARE(resolutionChangeMessage(QStringLiteral("0640x0480"), width, height), QString());
        QCOMPARE(resolutionChangeMessage(QStringLiteral("640x480"), QStringLiteral("0640"),
                                         QStringLiteral("480")),
                 QString());
        QCOMPARE(resolutionChangeMessage(QStringLiteral("abcx480"), QStringLiteral("abc"),
                                         QStringLiteral("480")),
                 QString());
        QVERIFY(
            !resolutionChangeMessage(QStringLiteral("640x480"), QString(), QStringLiteral("480"))
                 .isEmpty());
        QVERIFY(!resolutionChangeMessage(QStringLiteral("800X600"), QStringLiteral("800"),
                                         QStringLiteral("600"))
                     .isEmpty());
        QCOMPARE(resolutionChangeMessage(QStringLiteral("320x240"), width, height),
                 QStringLiteral("KALTO had trouble changing resolution to: 320x240\r"
                                "and reverted to back to resolution: 640x480"));

        m_dir->writeFile(QStringLiteral("Config/Kalto.cfg"), "[Display]\r\nscreen_type = 0\r\n");
        QCOMPARE(ReadScreenSize(m_cfg), std::make_pair(QString(), QString()));
    }

    void mameKeysAreWrittenAndRemoved() {
        const QByteArray original = "; keys\n[General]\nWibble = 1\n[Custom]\nk = v\n";
        m_dir->writeFile(QStringLiteral("Config/Kalto.cfg"), original);
        WriteMameDefaultKeys(m_cfg);

        QStringList expected;
        for (const char* key : {"Coin_A", "Coin_B", "Coin_C", "Coin_D", "Tilt", "Service", "Test"})
            expected.append(QStringLiteral("Def_%1 ").arg(QLatin1StringView(key)));
        for (int player = 1; player <= 4; ++player) {
            for (const char* key :
                 {"Start", "Up", "Down", "Left", "Right", "Button_1", "Button_2", "Button_3",
                  "Button_4", "Button_5", "Button_6", "Button_7", "Button_8"})
                expected.append(
                    QStringLiteral("Def_P%1_%2 ").arg(player).arg(QLatin1StringView(key)));
        }
        QCOMPARE(expected.size(), 59);
        const QByteArray written = m_dir->readFile(QStringLiteral("Config/Kalto.cfg"));
        QCOMPARE(keysOf(written, "DefGameKeyConfig"), expected);

        const IniDocument cfg(m_cfg);
        const auto value = [&](const char16_t* key) {
            return cfg.readString(u"DefGameKeyConfig", QString::fromUtf16(key),
                                  QStringLiteral("?"));
        };
        QCOMPARE(value(u"Def_Coin_A "), QStringLiteral("4"));
        QCOMPARE(value(u"Def_Tilt "), QStringLiteral("20"));
        QCOMPARE(value(u"Def_P1_Up "), QStringLiteral("72"));
        QCOMPARE(value(u"Def_P3_Button_1 "), QStringLiteral("120"));
        QCOMPARE(value(u"Def_P4_Start "), QStringLiteral("9"));
        QCOMPARE(value(u"Def_P4_Button_8 "), QStringLiteral("0"));
        QCOMPARE(cfg.readString(u"Custom", u"k ", {}), QStringLiteral(" v"));

        // A second time replaces the same lines.
        WriteMameDefaultKeys(m_cfg);
        QCOMPARE(m_dir->readFile(QStringLiteral("Config/Kalto.cfg")), written);

        // Removing the section gives back the file as it was.
        RemoveDefaultKeys(m_cfg);
        QCOMPARE(m_dir->readFile(QStringLiteral("Config/Kalto.cfg")), original);

        // A hand-edited file with the section three times loses every copy: one left
        // behind would become the layout. The comment before the next section stays,
        // and so does the file's byte order mark.
        m_dir->writeFile(QStringLiteral("Config/Kalto.cfg"),
                         "\xEF\xBB\xBF[DefGameKeyConfig]\nDef_Coin_A = 4\n; in it\nDef_Up = 2\n\n"
                         "; general\n[General]\nx = 1\n[defgamekeyconfig] ; again\nDef_Coin_A = 9\n"
                         "[ DefGameKeyConfig ]\n");
        RemoveDefaultKeys(m_cfg);
        QCOMPARE(m_dir->readFile(QStringLiteral("Config/Kalto.cfg")),
                 QByteArray("\xEF\xBB\xBF; general\n[General]\nx = 1\n"));
    }

    void wibbleIsSwitched() {
        m_dir->writeFile(QStringLiteral("Config/Kalto.cfg"),
                         "[General]\nUseLEDS = 1\nWibble = 0\nShowFPS = 0\n");
        WriteWibble(m_cfg, true);
        QCOMPARE(m_dir->readFile(QStringLiteral("Config/Kalto.cfg")),
                 QByteArray("[General]\nUseLEDS = 1\nWibble =1\nShowFPS = 0\n"));
        bool wibble = false;
        ReadRomDirs(m_cfg, &wibble);
        QVERIFY(wibble);
        WriteWibble(m_cfg, false);
        ReadRomDirs(m_cfg, &wibble);
        QVERIFY(!wibble);

        m_dir->writeFile(QStringLiteral("Config/Kalto.cfg"), "[Display]\nscreen_x = 1\n");
        WriteWibble(m_cfg, true);
        QCOMPARE(m_dir->readFile(QStringLiteral("Config/Kalto.cfg")),
                 QByteArray("[Display]\nscreen_x = 1\n[General]\nWibble =1\n\n"));
    }

    void unwritableFileStaysWhole() {
        const QByteArray original = "; mine\n[Display]\nscreen_type = VGA\n"
                                    "[Directories]\nScreenShots = s/\n"
                                    "[DefGameKeyConfig]\nDef_Coin_A = 4\n";
        m_dir->writeFile(QStringLiteral("Config/Kalto.cfg"), original);
        testsupport::UnwritableDir locked(m_dir->file(QStringLiteral("Config")));
        if (!locked.isActive())
            QSKIP("no way to make a directory unwritable here");

        const std::pair<const char*, std::function<void()>> writes[] = {
            {"WriteEmulatorConfig", [&] { WriteEmulatorConfig(m_cfg, {}, {}); }},
            {"WriteRomDirs", [&] { WriteRomDirs(m_cfg, {QStringLiteral("/x/")}); }},
            {"SetScreenShotDir", [&] { SetScreenShotDir(m_cfg, QStringLiteral("/t/")); }},
            {"WriteMameDefaultKeys", [&] { WriteMameDefaultKeys(m_cfg); }},
            {"RemoveDefaultKeys", [&] { RemoveDefaultKeys(m_cfg); }},
            {"WriteWibble", [&] { WriteWibble(m_cfg, true); }},
        };
        for (const auto& [name, write] : writes) {
            try {
                write();
                QFAIL(qPrintable(QStringLiteral("%1 reported success").arg(name)));
            } catch (const FileError& error) {
                QVERIFY2(error.message().contains(m_cfg), qPrintable(error.message()));
            }
            QCOMPARE(m_dir->readFile(QStringLiteral("Config/Kalto.cfg")), original);
        }
        // Reading still works.
        QCOMPARE(ReadScreenSize(m_cfg), std::make_pair(QString(), QString()));
    }

private:
    std::unique_ptr<FrontEndDir> m_dir;
    QString m_cfg;
};

QTEST_GUILESS_MAIN(TestEmulatorConfig)
#include "tst_emulatorconfig.moc"
