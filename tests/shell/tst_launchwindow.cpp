// The main window's launch and Settings page, driven as a user would: real files in a
// temporary front-end directory, the stand-in emulator run through the real launch
// script.

#include "DemoCatalog.h"
#include "DemoSounds.h"
#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/IniDocument.h"
#include "games/GameListModel.h"
#include "games/GameListView.h"
#include "launch/Execfile.h"
#include "launch/SettingsPanel.h"
#include "media/GameSound.h"
#include "shell/InstanceChannel.h"
#include "shell/MainUnit1.h"
#include "shell/Version.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <csignal>
#include <thread>

using testsupport::FrontEndDir;
using testsupport::ScopedEnv;

namespace {

// The emulator's own file as it leaves it, with a comment and a section of its own.
QByteArray emulatorConfig(const QByteArray& screenShots = "screens/") {
    QByteArray text = QByteArray::fromStdString(sk::kaltoCfgText({"roms/", "", "", ""}));
    text.replace("ScreenShots = screens/", "ScreenShots = " + screenShots);
    return text + "\n[Keys]\nkey_pause = 25\n";
}

QStringList sectionLines(const QByteArray& file, const QByteArray& section) {
    QStringList lines;
    bool in = false;
    for (const QByteArray& raw : file.split('\n')) {
        const QByteArray line = raw.endsWith('\r') ? raw.chopped(1) : raw;
        if (line.startsWith('['))
            in = line == "[" + section + "]";
        else if (in && !line.isEmpty())
            lines.append(QString::fromLatin1(line));
    }
    return lines;
}

} // namespace

class TestLaunchWindow : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = std::make_unique<FrontEndDir>();
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_dir->installEmulator();
        m_dir->writeFile(QStringLiteral("Config/Kalto.cfg"), emulatorConfig());
        m_dir->writeFile(QStringLiteral("roms/lumabolt.zip"), "");
        m_dir->writeFile(QStringLiteral("roms/cogrider.zip"), "");
    }
    void cleanup() {
        m_main.reset();
        m_prompter.reset();
        m_dir.reset();
    }

    // A double-click on an installed game runs it with its own settings, files the run's
    // screenshots after the numbers already taken and puts everything back.
    void launchRunsTheGameAndTidiesUp() {
        ScopedEnv twoShots("KALTO_SIM_SHOTS", "2");
        m_dir->writeFile(QStringLiteral("IniFiles/lumabolt.ini"),
                         "[lumabolt]\r\nScreenMode=5\r\nResolution=800x600\r\nVsync=1\r\n"
                         "SamplingRate=44100\r\nFrame_Skip=3\r\n");
        m_dir->makeDir(QStringLiteral("Gameplay"));
        QImage taken(32, 24, QImage::Format_RGB888);
        taken.fill(Qt::darkCyan);
        QVERIFY(taken.save(m_dir->file(QStringLiteral("Gameplay/lumabolt.001.jpg")), "JPG"));
        start();
        select("lumabolt");
        const QRect item = view()->visualRect(view()->currentIndex());
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, item.center());
        QTest::mouseDClick(view()->viewport(), Qt::LeftButton, {}, item.center());

        QCOMPARE(m_dir->runs().last(), QStringLiteral("-game lumabolt -nogui"));
        const QByteArray cfg = m_dir->readFile(QStringLiteral("Config/Kalto.cfg"));
        // The emulator's line replaced in place, the others added with their blank.
        const QStringList display = sectionLines(cfg, "Display");
        QCOMPARE(display.value(0), QStringLiteral("screen_type =VB2L"));
        QVERIFY(display.contains(QStringLiteral("vsync =1")));
        QVERIFY(display.contains(QStringLiteral("triple_buffer =1")));
        // The emulator wrote back the size it used, in its own form.
        QVERIFY(display.contains(QStringLiteral("screen_x = 800")));
        QVERIFY(display.contains(QStringLiteral("screen_y = 600")));
        QCOMPARE(
            sectionLines(cfg, "Sound"),
            QStringList({QStringLiteral("SoundCard =0"), QStringLiteral("SampleRate =44100"),
                         QStringLiteral("Ym3812Emulation =0"), QStringLiteral("DariusStereo =0")}));
        QVERIFY(sectionLines(cfg, "General").contains(QStringLiteral("frame_skip =3")));
        QVERIFY(sectionLines(cfg, "General").contains(QStringLiteral("Wibble = 0")));
        QCOMPARE(sectionLines(cfg, "Keys"), QStringList{QStringLiteral("key_pause = 25")});
        // The emulator's own lines stay as they were.
        QVERIFY(cfg.startsWith("; Kalto configuration file\r\n[Display]\r\n"));
        QVERIFY(cfg.endsWith("ScreenShots = screens/\r\n\n[Keys]\nkey_pause = 25\n"));
        // The screenshot directory is the emulator's own again.
        QVERIFY(
            sectionLines(cfg, "Directories").contains(QStringLiteral("ScreenShots = screens/")));

        QVERIFY(!m_dir->exists(QStringLiteral("StartKaltoTemp")));
        const QStringList shots =
            QDir(m_dir->file(QStringLiteral("Gameplay"))).entryList(QDir::Files, QDir::Name);
        QCOMPARE(shots, (QStringList{QStringLiteral("lumabolt.001.jpg"),
                                     QStringLiteral("lumabolt.002.pcx"),
                                     QStringLiteral("lumabolt.003.pcx")}));
        QVERIFY(m_dir->readFile(QStringLiteral("Gameplay/lumabolt.002.pcx")).startsWith('\x0a'));
        QCOMPARE(m_prompter->shown.size(), 0);
        QCOMPARE(m_prompter->beeps, 0);
        QCOMPARE(statusPanel(1), QStringLiteral("Luma Bolt: 2 new screenshots"));
        QCOMPARE(m_main->romDirs()[0], QStringLiteral("roms/"));
    }

    // A game on the default settings starts with them and is checked against them;
    // a size the emulator could not use is reported with a beep. With the emulator's
    // own window enabled the arguments end with the zip name.
    void revertedResolutionIsReported() {
        m_dir->writeFile(QStringLiteral("IniFiles/Default.ini"),
                         "[Default]\r\nScreenMode=1\r\nResolution=1280x1024\r\n");
        m_dir->writeFile(QStringLiteral("Config/Kalto.cfg"), emulatorConfig(""));
        start();
        select("cogrider");
        QVERIFY(m_main->findChild<QCheckBox*>(QStringLiteral("ChUseDefSettings"))->isChecked());
        action("MenuEnableKaltoGui")->trigger();
        button()->click();

        QCOMPARE(m_dir->runs().last(), QStringLiteral("-game cogrider"));
        QCOMPARE(m_prompter->beeps, 1);
        QCOMPARE(m_prompter->texts(),
                 QStringList{QStringLiteral("KALTO had trouble changing resolution to: 1280x1024\r"
                                            "and reverted to back to resolution: 640x480")});
        const QByteArray cfg = m_dir->readFile(QStringLiteral("Config/Kalto.cfg"));
        QCOMPARE(sectionLines(cfg, "Display").value(0), QStringLiteral("screen_type =VGA"));
        // An empty screenshot directory is written back empty, as the emulator's line had it.
        QVERIFY(sectionLines(cfg, "Directories").contains(QStringLiteral("ScreenShots = ")));
        QVERIFY(!m_dir->exists(QStringLiteral("IniFiles/cogrider.ini")));
    }

    // Without the launch script the start fails with its Cancel-only box, and the rest
    // of the launch still puts the configuration back.
    void failedStartStillTidiesUp() {
        start();
        select("lumabolt");
        QVERIFY(QFile::remove(m_dir->file(QStringLiteral("batch.sh"))));
        button()->click();
        QCOMPARE(m_prompter->shown.size(), 1);
        QCOMPARE(m_prompter->shown[0].buttons, Prompter::Buttons::Cancel);
        QCOMPARE(m_prompter->shown[0].text,
                 QStringLiteral("Failed to execute BatchFile, Please contact support"));
        const QByteArray cfg = m_dir->readFile(QStringLiteral("Config/Kalto.cfg"));
        QVERIFY(
            sectionLines(cfg, "Directories").contains(QStringLiteral("ScreenShots = screens/")));
        QVERIFY(!m_dir->exists(QStringLiteral("StartKaltoTemp")));
        QCOMPARE(m_main->romDirs()[0], QStringLiteral("roms/"));
        QCOMPARE(m_main->currentGame()->PlayCount, 0); // it never ran
    }

    // A game the emulator could not run is named in the status bar with how it ended
    // and what the emulator said last; nothing else is asked of the user.
    void failedGameIsNamedInTheStatusBar() {
        start();
        select("lumabolt");
        {
            ScopedEnv fault("KALTO_SIM_GAME_FAULT", "exit");
            button()->click();
        }
        QCOMPARE(statusPanel(1),
                 QStringLiteral("Luma Bolt did not run: the emulator ended with exit status 5. "
                                "It said: kalto-sim: cannot open roms of lumabolt"));
        QCOMPARE(m_prompter->shown.size(), 0);
        {
            ScopedEnv fault("KALTO_SIM_GAME_FAULT", "crash");
            button()->click();
        }
        QVERIFY(statusPanel(1).startsWith(
            QStringLiteral("Luma Bolt did not run: the emulator ended abnormally")));
        // The next selection shows the usual line again.
        select("cogrider");
        QCOMPARE(statusPanel(1), statusPanelText());
    }

    // Each run is counted in the game's section, which is on disk as soon as the run is
    // over: one launch more, the seconds the emulator ran, and when it ended. A run that
    // failed within two seconds counts nothing; one that failed later counts. Recently
    // Played puts the game first. A save that fails then is said, and the close saves
    // what it could not.
    void playHistoryIsSavedAfterEachRun() {
        start();
        qint64 now = QDateTime(QDate(2024, 2, 29), QTime(12, 0), Qt::UTC).toMSecsSinceEpoch();
        qint64 runMs = 3'725'400;
        m_main->setLaunchClock([&] { return now; });
        connect(m_main->ExecEmu(), &TExecFile::waitStarted, this, [&] { now += runMs; });
        select("lumabolt");
        button()->click();
        const auto section = [&] {
            const QByteArray file = m_dir->readFile(QStringLiteral("StartKALTO.ini"));
            return sectionLines(file, "lumabolt").join(u' ');
        };
        QCOMPARE(section(), QStringLiteral("BadRomcheck=0 CurScrShot=0 PlayCount=1 "
                                           "LastPlayed=2024-02-29T13:02:05Z PlayTime=3725"));
        QCOMPARE(m_main->listModel()
                     ->index(m_main->listModel()->rowOf(m_main->currentGame()),
                             GameListModel::PlayTimeColumn)
                     .data()
                     .toString(),
                 QStringLiteral("1 h 02 min"));
        select("cogrider");
        button()->click();
        action("MenuRecentGames")->trigger();
        select("lumabolt");
        QCOMPARE(m_main->listModel()->gameAt(0)->ZipName, QStringLiteral("cogrider"));

        const QString counted = section();
        runMs = 1'999;
        {
            ScopedEnv fault("KALTO_SIM_GAME_FAULT", "exit");
            button()->click();
            QCOMPARE(section(), counted);
            QCOMPARE(m_main->listModel()->gameAt(0)->ZipName, QStringLiteral("cogrider"));
            runMs = 2'000;
            button()->click();
        }
        QCOMPARE(m_main->currentGame()->PlayCount, 2);
        QCOMPARE(m_main->currentGame()->PlayTime, 3727);
        QCOMPARE(m_main->listModel()->gameAt(0)->ZipName, QStringLiteral("lumabolt"));
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("lumabolt"));

        // The file cannot be replaced now.
        QVERIFY(QFile::remove(m_dir->file(QStringLiteral("StartKALTO.ini"))));
        m_dir->makeDir(QStringLiteral("StartKALTO.ini"));
        runMs = 60'000;
        button()->click();
        QCOMPARE(m_prompter->shown.size(), 1);
        QVERIFY(m_prompter->shown[0].text.contains(QStringLiteral("StartKALTO.ini")));
        QCOMPARE(m_main->currentGame()->PlayCount, 3);
        QVERIFY(QDir(m_dir->file(QStringLiteral("StartKALTO.ini"))).removeRecursively());
        m_main->close();
        QVERIFY(section().contains(QStringLiteral("PlayCount=3 ")));
        QVERIFY(section().endsWith(QStringLiteral("PlayTime=3787")));
    }

    // The page shows the game's own settings, keeps VGA without triple buffering, saves
    // when the focus leaves it, and the switch to the defaults deletes the own file at
    // once. Unchecking writes nothing until the settings area was entered and left.
    void settingsPageFollowsTheGame() {
        m_dir->writeFile(QStringLiteral("IniFiles/lumabolt.ini"),
                         "[lumabolt]\r\nScreenMode=1\r\nTripleBuffer=1\r\nScanlines=2\r\n");
        start();
        select("lumabolt");
        SettingsPanel* panel = this->panel();
        auto* useDefaults = m_main->findChild<QCheckBox*>(QStringLiteral("ChUseDefSettings"));
        auto* area = m_main->findChild<QScrollArea*>(QStringLiteral("SettingsScrollBox"));
        showSettingsPage();
        QVERIFY(!useDefaults->isChecked());
        QVERIFY(area->isVisible());
        QCOMPARE(panel->CbDisplayMode->currentText(), QStringLiteral("VGA"));
        QVERIFY(!panel->ChTripleBuffer->isChecked());
        QVERIFY(!panel->ChTripleBuffer->isEnabled());
        QVERIFY(m_main->findChild<QRadioButton*>(QStringLiteral("RgScanLines2"))->isChecked());
        QCOMPARE(panel->LbGameResolution->text(), QStringLiteral("224x288"));
        QCOMPARE(panel->CbResolution->count(), 46);
        QCOMPARE(panel->CbResolution->itemText(8), QString(17, u'-'));
        QCOMPARE(m_main->findChild<QPushButton*>(QStringLiteral("RomcheckButton"))->text(),
                 QStringLiteral("Check romset lumabolt for CRC32 and Filesize"));

        // Another mode enables triple buffering but leaves it off; the separator line
        // picks the entry above it; typed frame skip text has no entry.
        panel->CbDisplayMode->setFocus();
        panel->CbDisplayMode->setCurrentIndex(3);
        QVERIFY(panel->ChTripleBuffer->isEnabled());
        QVERIFY(!panel->ChTripleBuffer->isChecked());
        panel->CbResolution->setCurrentIndex(
            panel->CbResolution->findText(QStringLiteral("-----------------")));
        QCOMPARE(panel->CbResolution->currentText(), QStringLiteral("1600x1200"));
        panel->CbFrameSkip->setEditText(QStringLiteral("sometimes"));
        QVERIFY(isInArea(QApplication::focusWidget()));
        view()->setFocus();
        QTRY_COMPARE(readSetting("lumabolt", u"ScreenMode"), QStringLiteral("3"));
        QCOMPARE(readSetting("lumabolt", u"TripleBuffer"), QStringLiteral("0"));
        QCOMPARE(readSetting("lumabolt", u"Resolution"), QStringLiteral("1600x1200"));
        QCOMPARE(readSetting("lumabolt", u"Frame_Skip"), QStringLiteral("-1"));
        QCOMPARE(readSetting("lumabolt", u"Scanlines"), QStringLiteral("2"));

        // Use the defaults: the own file goes at once, and the defaults show, greyed.
        QTest::mouseClick(useDefaults, Qt::LeftButton, {}, QPoint(8, useDefaults->height() / 2));
        QVERIFY(!m_dir->exists(QStringLiteral("IniFiles/lumabolt.ini")));
        QVERIFY(area->isVisible());
        QVERIFY(!area->widget()->isEnabled());
        QCOMPARE(panel->CbResolution->currentText(), QStringLiteral("320x240"));
        // Unchecking makes them editable but writes nothing yet ...
        QTest::mouseClick(useDefaults, Qt::LeftButton, {}, QPoint(8, useDefaults->height() / 2));
        QVERIFY(area->widget()->isEnabled());
        QVERIFY(!m_dir->exists(QStringLiteral("IniFiles/lumabolt.ini")));
        select("cogrider");
        select("lumabolt");
        QVERIFY(useDefaults->isChecked());
        // ... until the focus has been in the settings area and left it.
        QTest::mouseClick(useDefaults, Qt::LeftButton, {}, QPoint(8, useDefaults->height() / 2));
        panel->ChEagle->setFocus();
        QTest::keyClick(panel->ChEagle, Qt::Key_Space);
        QTest::mouseClick(button(), Qt::LeftButton);
        QCOMPARE(readSetting("lumabolt", u"Eagle"), QStringLiteral("1"));
        QCOMPARE(m_dir->runs().last(), QStringLiteral("-game lumabolt -nogui"));
        QVERIFY(sectionLines(m_dir->readFile(QStringLiteral("Config/Kalto.cfg")), "Display")
                    .contains(QStringLiteral("eagle_fx =1")));

        // Reset brings back what the file holds.
        panel->CbSamplingRate->setEditText(QStringLiteral("11025"));
        m_main->findChild<QToolButton*>(QStringLiteral("SetToolUndo"))->click();
        QCOMPARE(panel->CbSamplingRate->currentText(), QStringLiteral("22050"));
    }

    // Settings that cannot be read are said, shown as the built-in ones, greyed, and
    // never saved: not when the error box takes the focus from the controls that still
    // show the game before (seen under the next game's name and in Default.ini), and not
    // afterwards.
    void unreadableSettingsAreNeverSaved() {
        m_dir->writeFile(QStringLiteral("IniFiles/lumabolt.ini"), "[lumabolt]\r\nScreenMode=3\r\n");
        start();
        m_dir->makeDir(QStringLiteral("IniFiles/cogrider.ini")); // no file to read
        showSettingsPage();
        // The box takes the focus, as a real one does.
        auto* tabs = m_main->findChild<QTabWidget*>(QStringLiteral("PageControl"))->tabBar();
        m_prompter->onShow = [tabs] { tabs->setFocus(); };
        const auto editLumabolt = [&] {
            select("lumabolt");
            panel()->ChEagle->setFocus();
            QTest::keyClick(panel()->ChEagle, Qt::Key_Space);
        };

        // A game of its own file, selected by a menu command while the keyboard is in
        // the controls.
        editLumabolt();
        select("cogrider");
        QCOMPARE(m_prompter->shown.size(), 1);
        QVERIFY(m_prompter->shown[0].text.contains(QStringLiteral("cogrider.ini")));
        QCOMPARE(readSetting("lumabolt", u"Eagle"), QStringLiteral("1"));
        QVERIFY(QFileInfo(m_dir->file(QStringLiteral("IniFiles/cogrider.ini"))).isDir());
        QCOMPARE(panel()->CbDisplayMode->currentIndex(), 0);
        QVERIFY(!m_main->findChild<QScrollArea*>(QStringLiteral("SettingsScrollBox"))
                     ->widget()
                     ->isEnabled());

        // A game on the defaults, and the defaults themselves, when Default.ini cannot be
        // read.
        m_dir->makeDir(QStringLiteral("IniFiles/Default.ini"));
        editLumabolt();
        select("skyloom");
        QCOMPARE(m_prompter->shown.size(), 2);
        QVERIFY(!m_dir->exists(QStringLiteral("IniFiles/skyloom.ini")));
        editLumabolt();
        action("MenuSetDefaultSettings")->trigger();
        QCOMPARE(m_prompter->shown.size(), 3);
        m_main->findChild<QToolButton*>(QStringLiteral("SetToolSave"))->click();
        QCOMPARE(m_prompter->shown.size(), 3);
        QVERIFY(QFileInfo(m_dir->file(QStringLiteral("IniFiles/Default.ini"))).isDir());
    }

    // While the defaults are edited, a re-run of the start-up keeps them the settings
    // shown (Reset and Save write Default.ini, never a file without a name); edits are
    // saved when the focus goes from the controls to their tool bar and on from there;
    // Escape acts as Cancel.
    void defaultsModeSurvivesTheMenus() {
        start();
        select("cogrider");
        action("MenuSetDefaultSettings")->trigger();
        action("MenuCheckforSupportedgames")->trigger();
        m_main->findChild<QToolButton*>(QStringLiteral("SetToolUndo"))->click();
        QCOMPARE(panel()->LbGameResolution->text(), QStringLiteral("?x?"));
        panel()->CbSoundCard->setCurrentIndex(3);
        m_main->findChild<QToolButton*>(QStringLiteral("SetToolSave"))->click();
        QCOMPARE(readSetting("Default", u"SoundCard"), QStringLiteral("3"));
        QCOMPARE(QDir(m_dir->file(QStringLiteral("IniFiles"))).entryList(QDir::Files),
                 QStringList{QStringLiteral("Default.ini")});

        action("MenuSetDefaultSettings")->trigger();
        panel()->CbShowFPS->setFocus();
        panel()->CbShowFPS->setCurrentIndex(2);
        m_main->findChild<QToolButton*>(QStringLiteral("SetToolUndo"))->setFocus();
        QCOMPARE(readSetting("Default", u"ShowFPS"), QStringLiteral("0"));
        m_main->findChild<QTabWidget*>(QStringLiteral("PageControl"))->tabBar()->setFocus();
        QTRY_COMPARE(readSetting("Default", u"ShowFPS"), QStringLiteral("2"));

        panel()->CbResolution->setFocus();
        panel()->CbResolution->setEditText(QStringLiteral("800x600"));
        QTest::keyClick(panel()->CbResolution, Qt::Key_Escape);
        QVERIFY(!m_main->inDefaultsMode());
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("cogrider"));
        QCOMPARE(readSetting("Default", u"Resolution"), QStringLiteral("320x240"));
        QCOMPARE(m_prompter->shown.size(), 0);
    }

    // Editing the defaults hides the list, saves into Default.ini, and returns to the
    // selected game and the page that was active. Cancel does not undo a save that
    // leaving the settings area already made.
    void defaultsModeSavesAndCancels() {
        start();
        select("cogrider");
        auto* pages = m_main->findChild<QTabWidget*>(QStringLiteral("PageControl"));
        pages->setCurrentIndex(0);
        action("MenuSetDefaultSettings")->trigger();
        SettingsPanel* panel = this->panel();
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("SettingsTab"));
        QVERIFY(!view()->isVisible());
        QVERIFY(!button()->isEnabled());
        QVERIFY(m_main->findChild<QLabel*>(QStringLiteral("DefSetLabel"))->isVisible());
        QVERIFY(!m_main->findChild<QCheckBox*>(QStringLiteral("ChUseDefSettings"))->isVisible());
        QCOMPARE(panel->LbGameResolution->text(), QStringLiteral("?x?"));

        panel->CbSoundCard->setCurrentIndex(2);
        m_main->findChild<QToolButton*>(QStringLiteral("SetToolSave"))->click();
        QCOMPARE(readSetting("Default", u"SoundCard"), QStringLiteral("2"));
        QVERIFY(IniDocument(m_dir->file(QStringLiteral("IniFiles/Default.ini"))).sectionNames() ==
                QStringList{QStringLiteral("Default")});
        QCOMPARE(pages->currentIndex(), 0);
        QVERIFY(view()->isVisible());
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("cogrider"));
        QVERIFY(button()->isEnabled());
        // The game on the defaults shows the new ones.
        showSettingsPage();
        QCOMPARE(panel->CbSoundCard->currentIndex(), 2);

        action("MenuSetDefaultSettings")->trigger();
        panel->CbShowFPS->setFocus();
        panel->CbShowFPS->setCurrentIndex(4);
        pages->tabBar()->setFocus();
        QTRY_COMPARE(readSetting("Default", u"ShowFPS"), QStringLiteral("4"));
        panel->CbShowFPS->setFocus();
        panel->CbShowFPS->setCurrentIndex(1);
        m_main->findChild<QToolButton*>(QStringLiteral("SetToolCancel"))->click();
        QCOMPARE(readSetting("Default", u"ShowFPS"), QStringLiteral("4"));
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("SettingsTab"));
        QVERIFY(!m_dir->exists(QStringLiteral("IniFiles/cogrider.ini")));
        QCOMPARE(m_main->currentGame()->ZipName, QStringLiteral("cogrider"));
    }

    // The emulator's key layout and Wibble option, written into its file on request.
    void settingsMenuWritesTheEmulatorsFile() {
        start();
        const QByteArray before = m_dir->readFile(QStringLiteral("Config/Kalto.cfg"));
        m_prompter->answers = {Prompter::Answer::No};
        action("MenuSetMameKeys")->trigger();
        QCOMPARE(m_dir->readFile(QStringLiteral("Config/Kalto.cfg")), before);
        QCOMPARE(m_prompter->texts().last(),
                 QStringLiteral("Are you sure you want to\rset keys to Mame-default ?"));

        m_prompter->answers = {Prompter::Answer::Yes};
        action("MenuSetMameKeys")->trigger();
        const QStringList keys =
            sectionLines(m_dir->readFile(QStringLiteral("Config/Kalto.cfg")), "DefGameKeyConfig");
        QCOMPARE(keys.size(), 59);
        QCOMPARE(keys.first(), QStringLiteral("Def_Coin_A =4"));
        QCOMPARE(keys.last(), QStringLiteral("Def_P4_Button_8 =0"));

        m_prompter->answers = {Prompter::Answer::Yes};
        action("MenuResetKaltodefaultKeys")->trigger();
        QVERIFY(!m_dir->readFile(QStringLiteral("Config/Kalto.cfg")).contains("DefGameKeyConfig"));

        QAction* wibble = action("EnableWibbleKaltoGUIonly1");
        QVERIFY(!wibble->isChecked());
        wibble->trigger();
        QVERIFY(wibble->isChecked());
        QVERIFY(sectionLines(m_dir->readFile(QStringLiteral("Config/Kalto.cfg")), "General")
                    .contains(QStringLiteral("Wibble =1")));
        // The mark follows the emulator's file after a run.
        select("lumabolt");
        button()->click();
        QVERIFY(wibble->isChecked());
    }

    // The emulator's file deleted while the program runs, so that the emulator makes a
    // fresh one: the launch and the close ask the emulator for its default before they
    // write their keys, instead of leaving a file of the program's keys alone.
    void missingConfigurationIsAskedOfTheEmulator() {
        start();
        const QString cfg = m_dir->file(QStringLiteral("Config/Kalto.cfg"));
        const auto fromTheEmulator = [&] {
            const QByteArray text = m_dir->readFile(QStringLiteral("Config/Kalto.cfg"));
            return text.startsWith("; Kalto configuration file\r\n") &&
                   sectionLines(text, "General").contains(QStringLiteral("Wibble = 0"));
        };
        QVERIFY(QFile::remove(cfg));
        select("lumabolt");
        button()->click();
        QCOMPARE(m_dir->runs().mid(m_dir->runs().size() - 2),
                 (QStringList{QStringLiteral("-nogui"), QStringLiteral("-game lumabolt -nogui")}));
        QVERIFY(fromTheEmulator());

        QVERIFY(QFile::remove(cfg));
        m_main->close();
        QCOMPARE(m_dir->runs().last(), QStringLiteral("-nogui"));
        QVERIFY(fromTheEmulator());
        QVERIFY(sectionLines(m_dir->readFile(QStringLiteral("Config/Kalto.cfg")), "Directories")
                    .contains(QStringLiteral("rom_dir_0 =roms/")));
        QCOMPARE(m_prompter->shown.size(), 0);
        QVERIFY(!m_dir->exists(QStringLiteral("batch.sh")));
    }

    // Every argument reaches the emulator whole: a zip name with a blank is one argument,
    // and after a 245-character zip name "-nogui" still arrives.
    void zipNamesReachTheEmulatorWhole() {
        const QString longZip(245, u'l');
        QByteArray catalog;
        for (const auto& [zip, archive] :
             {std::pair{QStringLiteral("cog rider"), "cograr"}, std::pair{longZip, "longset"}}) {
            catalog += "game (\n\tname " + zip.toUtf8() +
                       "\n\tdescription \"Odd\"\n\tmanufacturer \"M\"\n\tyear 1990\n"
                       "\tarchive ( name " +
                       archive + " )\n\tvideo ( screen raster x 320 y 240 )\n)\n";
            m_dir->writeFile(QStringLiteral("roms/%1.zip").arg(QLatin1StringView(archive)), "");
        }
        m_dir->writeFile(QStringLiteral("catalog.txt"), catalog);
        ScopedEnv catalogEnv("KALTO_SIM_CATALOG",
                             QFile::encodeName(m_dir->file(QStringLiteral("catalog.txt"))));
        start();
        for (const QString& zip : {QStringLiteral("cog rider"), longZip}) {
            // The stand-in's shot of the long name would be a file name too long.
            ScopedEnv shots("KALTO_SIM_SHOTS", zip == longZip ? "0" : "1");
            select(zip);
            button()->click();
            QCOMPARE(m_dir->runs().last(), QStringLiteral("-game %1 -nogui").arg(zip));
            // The emulator knew the game: the status bar counts its shots.
            QVERIFY2(statusPanel(1).contains(QStringLiteral(" new screenshot")),
                     qPrintable(statusPanel(1)));
        }
        QVERIFY(m_dir->exists(QStringLiteral("Gameplay/cog rider.001.pcx")));
        // The romset check of one game takes the name whole too.
        select("cog rider");
        m_main->findChild<QPushButton*>(QStringLiteral("RomcheckButton"))->click();
        QVERIFY(m_main->findChild<QPlainTextEdit*>(QStringLiteral("RomcheckMemo"))
                    ->toPlainText()
                    .contains(QStringLiteral("cog rider ")));
        QCOMPARE(m_prompter->shown.size(), 0);
    }

    // A front-end killed while its game runs leaves the emulator's screenshots pointed at
    // its temporary folder. The next start files that run's shots as the game's and puts
    // the user's folder back. The emulator, ending later, writes the temporary folder
    // back once more: the next launch still takes the user's folder for the user's, and
    // restores it. A run files only its own shots: one that lay in the folder before
    // stays there and is told of once.
    void interruptedRunIsFinishedAtTheNextStart() {
        ScopedEnv twoShots("KALTO_SIM_SHOTS", "2");
        const QString temp = m_dir->file(QStringLiteral("StartKaltoTemp/"));
        const QString quit = m_dir->file(QStringLiteral("quit"));
        const auto shotsLine = [this] {
            const QStringList lines =
                sectionLines(m_dir->readFile(QStringLiteral("Config/Kalto.cfg")), "Directories");
            return lines.filter(QStringLiteral("ScreenShots")).value(0);
        };
        const auto gameplay = [this] {
            return QDir(m_dir->file(QStringLiteral("Gameplay"))).entryList(QDir::Files, QDir::Name);
        };
        QProcess front;
        {
            ScopedEnv hold("KALTO_SIM_GAME_HOLD", QFile::encodeName(quit));
            front.start(QStringLiteral(LAUNCH_RUN_PATH),
                        {m_dir->path(), QStringLiteral("lumabolt")});
            QVERIFY(front.waitForStarted());
        }
        // The game has taken its shots and is played on.
        QTRY_COMPARE_WITH_TIMEOUT(QDir(temp).entryList(QDir::Files).size(), 2, 30000);
        ::kill(pid_t(front.processId()), SIGKILL);
        QVERIFY(front.waitForFinished());

        start();
        QCOMPARE(shotsLine(), QStringLiteral("ScreenShots = screens/"));
        QCOMPARE(gameplay(), (QStringList{QStringLiteral("lumabolt.001.pcx"),
                                          QStringLiteral("lumabolt.002.pcx")}));
        QVERIFY(!m_dir->exists(QStringLiteral("StartKaltoTemp")));
        QVERIFY(!m_dir->readFile(QStringLiteral("StartKaltoRun.ini")).contains("ZipName"));

        // A shot whose filing failed lies in the folder; another game runs while the first
        // one still does.
        m_dir->writeFile(QStringLiteral("StartKaltoTemp/stray_0000.pcx"), "stray");
        select("cogrider");
        button()->click();
        QCOMPARE(shotsLine(), QStringLiteral("ScreenShots = screens/"));
        QCOMPARE(
            gameplay(),
            (QStringList{QStringLiteral("cogrider.001.pcx"), QStringLiteral("cogrider.002.pcx"),
                         QStringLiteral("lumabolt.001.pcx"), QStringLiteral("lumabolt.002.pcx")}));
        QCOMPARE(m_dir->readFile(QStringLiteral("StartKaltoTemp/stray_0000.pcx")), "stray");
        QCOMPARE(m_prompter->shown.size(), 1);
        QCOMPARE(m_prompter->shown[0].icon, Prompter::Icon::Information);
        QVERIFY(m_prompter->shown[0].text.contains(temp));
        QVERIFY(m_prompter->shown[0].text.endsWith(QStringLiteral("\rstray_0000.pcx")));

        // The first game ends now and writes the temporary folder back.
        m_dir->writeFile(QStringLiteral("quit"), "");
        QTRY_VERIFY_WITH_TIMEOUT(testsupport::processesMentioning(m_dir->path()).isEmpty(), 30000);
        QVERIFY(shotsLine().endsWith(temp));
        button()->click();
        QCOMPARE(shotsLine(), QStringLiteral("ScreenShots = screens/"));
        QCOMPARE(gameplay().size(), 6);
        QCOMPARE(m_prompter->shown.size(), 1); // told once
        QVERIFY(m_dir->exists(QStringLiteral("StartKaltoTemp/stray_0000.pcx")));
    }

    // A save that fails before "Check for new Supported games" is said and keeps the
    // launch script (the check waits, so that nothing unsaved is lost); paths the
    // emulator's file cannot take are said, and the installed check runs all the same.
    // Games start afterwards as before.
    void failedWritesBreakNothingAfter() {
        start();
        const int runs = int(m_dir->runs().size());
        m_dir->writeFile(QStringLiteral("more/skyloom.zip"), "");
        QVERIFY(!m_main->games().FindGame(u"skyloom")->Installed);
        {
            testsupport::FileSizeLimit limit(100);
            action("MenuCheckforSupportedgames")->trigger();
            QCOMPARE(m_prompter->shown.size(), 1);
            QVERIFY(
                m_prompter->shown[0].text.contains(m_dir->file(QStringLiteral("StartKALTO.ini"))));
            QVERIFY(m_prompter->shown[0].text.endsWith(
                QStringLiteral("The check for new supported games did not run, so that the "
                               "settings not saved are not lost.")));
            QVERIFY(m_dir->exists(QStringLiteral("batch.sh")));
            QCOMPARE(m_dir->runs().size(), runs);

            QTimer::singleShot(0, m_main.get(), [] {
                auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                dialog->findChild<QLineEdit*>(QStringLiteral("ZipDir1"))
                    ->setText(QStringLiteral("more"));
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("OKButton")),
                                  Qt::LeftButton);
            });
            action("MenuSetAlternativeRompath")->trigger();
            QCOMPARE(m_prompter->shown.size(), 2);
            QVERIFY(m_prompter->shown[1].text.contains(QStringLiteral("Kalto.cfg")));
            QVERIFY(m_main->games().FindGame(u"skyloom")->Installed);
        }
        select("skyloom");
        button()->click();
        QCOMPARE(m_dir->runs().last(), QStringLiteral("-game skyloom -nogui"));
        QCOMPARE(statusPanel(1), QStringLiteral("Sky Loom: 2 new screenshots"));
        QCOMPARE(m_prompter->shown.size(), 2);
    }

    // The bundled demo: Enter on the first installed game runs it and its shots arrive.
    void demoGameStarts() {
        QProcess makeDemo;
        makeDemo.start(QStringLiteral(MAKE_DEMO_PATH),
                       {m_dir->path(), testsupport::kaltoSimPath()});
        QVERIFY(makeDemo.waitForFinished(60000));
        QCOMPARE(makeDemo.exitCode(), 0);
        start();
        action("MSGamesInstalled")->trigger();
        QVERIFY(button()->isEnabled());
        QTest::keyClick(view(), Qt::Key_Return);
        const QString zip = m_main->currentGame()->ZipName;
        QCOMPARE(m_dir->runs().last(), QStringLiteral("-game %1 -nogui").arg(zip));
        QVERIFY(m_dir->exists(QStringLiteral("Gameplay/%1.001.pcx").arg(zip)));
        QVERIFY(!m_dir->exists(QStringLiteral("StartKaltoTemp")));
        QCOMPARE(m_prompter->shown.size(), 0);
    }

    // The selected game's music plays; a game with only samples is silent under
    // Music and stops the music before it; a broken MIDI file beeps once and the
    // selection goes on; a launch stops the sound and does not start it again.
    void soundFollowsTheSelection() {
        QByteArray midi;
        QByteArray wav;
        for (const auto& [path, bytes] : demo::demoSounds()) {
            if (path == "Sound/lumabolt.mid")
                midi = QByteArray::fromStdString(bytes);
            if (path == "Sound/lumabolt.wav")
                wav = QByteArray::fromStdString(bytes);
        }
        m_dir->writeFile(QStringLiteral("Sound/lumabolt.mid"), midi);
        m_dir->writeFile(QStringLiteral("Sound/cogrider.wav"), wav);
        start();
        GameSoundPlayer& player = m_main->soundPlayer();
        select("lumabolt");
        if (!player.isPlaying())
            QSKIP("no MIDI synthesizer here (soundfont missing?)");
        QVERIFY(player.fileName().endsWith(QStringLiteral("lumabolt.mid")));
        select("cogrider");
        QVERIFY(!player.isPlaying());
        action("MSSndSamples")->trigger();
        QVERIFY(player.isPlaying());
        QVERIFY(player.fileName().endsWith(QStringLiteral("cogrider.wav")));
        action("MSSndNone")->trigger();
        QVERIFY(!player.isPlaying());
        action("MSSndMusic")->trigger();
        select("lumabolt");
        QVERIFY(player.isPlaying());
        // Music again while it plays starts it again; it still plays.
        action("MSSndMusic")->trigger();
        QVERIFY(player.isPlaying());

        // The launch stops it, and it stays stopped after the run.
        button()->click();
        QVERIFY(!player.isPlaying());
        QCOMPARE(m_prompter->beeps, 0);

        // A broken file: one beep, nothing shown, and the next game still plays.
        m_dir->writeFile(QStringLiteral("Sound/cogrider.mid"), midi.left(midi.size() / 2));
        select("cogrider");
        QCOMPARE(m_prompter->beeps, 1);
        QCOMPARE(m_prompter->shown.size(), 0);
        select("lumabolt");
        QVERIFY(player.isPlaying());

        // No game selected: a Sound item plays nothing.
        m_main->findChild<QLineEdit*>(QStringLiteral("GameSearch"))->setText(QStringLiteral("zzz"));
        QVERIFY(!m_main->currentGame());
        QVERIFY(player.isPlaying()); // a selection that became empty leaves it playing
        StopGameSound(player);
        action("MSSndMusic")->trigger();
        QVERIFY(!player.isPlaying());
        QCOMPARE(m_prompter->beeps, 1);
    }

    // Before the emulator starts the sound stops and the sound output closes, so that the
    // emulator can have the sound card; after the run the output is open again, silent
    // until the next selection.
    void soundOutputIsFreeDuringTheRun() {
        for (const auto& [path, bytes] : demo::demoSounds()) {
            if (path == "Sound/lumabolt.wav")
                m_dir->writeFile(QStringLiteral("Sound/lumabolt.wav"),
                                 QByteArray::fromStdString(bytes));
        }
        start();
        action("MSSndSamples")->trigger();
        select("lumabolt");
        GameSoundPlayer& player = m_main->soundPlayer();
        if (!player.isPlaying())
            QSKIP("no sound output here");
        ScopedEnv slow("KALTO_SIM_SLEEP_MS", "200");
        QList<bool> duringRun; // running, playing, output open
        connect(m_main->ExecEmu(), &TExecFile::waitStarted, this, [&] {
            QTimer::singleShot(0, this, [&] {
                duringRun = {m_main->ExecEmu()->isRunning(), player.isPlaying(),
                             player.outputOpen()};
            });
        });
        button()->click();
        QCOMPARE(duringRun, (QList<bool>{true, false, false}));
        QVERIFY(player.outputOpen());
        QVERIFY(!player.isPlaying());
        select("cogrider");
        select("lumabolt");
        QVERIFY(player.isPlaying());
    }

    // While a game runs, the commands that change the list or the files are disabled,
    // so that a desktop's global menu or an accessibility tool, which need no input,
    // cannot re-run the start-up under the launch; they come back afterwards as they
    // were. A second start meanwhile brings the window up only once the run has ended.
    void runLocksTheCommandsAndDefersTheRaise() {
        start();
        select("lumabolt");
        view()->setFocus();
        ScopedEnv slow("KALTO_SIM_SLEEP_MS", "20000");
        const char* const locked[] = {"MenuCheckforSupportedgames",
                                      "MenuCheckForInstalledGames",
                                      "MenuEnableSecretGames",
                                      "MenuRomCheck",
                                      "MenuSetDefaultSettings",
                                      "MSGamesInstalled",
                                      "MenuSortByYear",
                                      "MSOrderDescending",
                                      "MenuFavourite",
                                      "MSSndSamples",
                                      "ScrshotRenumber"};
        const char* const unlocked[] = {"MenuExit", "About1", "MSHotTracking", "MenuFullScreen"};
        QStringList duringRun;
        const TGameObject* game = m_main->currentGame();
        const qsizetype runs = m_dir->runs().size();
        std::thread second;
        bool minimizedWhenAsked = false;
        bool gameStarted = false;
        auto* channel = m_main->findChild<InstanceChannel*>();
        connect(channel, &InstanceChannel::raiseRequested, this, [&] {
            minimizedWhenAsked = m_main->isMinimized() && m_main->ExecEmu()->isRunning();
            // The game has started (it logs its run first) before it is ended.
            gameStarted = QTest::qWaitFor([&] { return m_dir->runs().size() > runs; });
            m_main->ExecEmu()->terminateRuns();
        });
        connect(m_main->ExecEmu(), &TExecFile::waitStarted, this, [&] {
            QTimer::singleShot(0, this, [&] {
                for (const char* name : locked) {
                    if (action(name)->isEnabled())
                        duringRun.append(QLatin1StringView(name));
                    action(name)->trigger();
                }
                for (const char* name : unlocked) {
                    if (!action(name)->isEnabled())
                        duringRun.append(QStringLiteral("not %1").arg(QLatin1StringView(name)));
                }
                for (QWidget* control :
                     {static_cast<QWidget*>(button()), static_cast<QWidget*>(view()),
                      m_main->findChild<QWidget*>(QStringLiteral("GameSearch")),
                      m_main->findChild<QWidget*>(QStringLiteral("RomcheckButton"))}) {
                    if (control->isEnabled())
                        duringRun.append(control->objectName());
                }
                m_main->showMinimized();
                second = std::thread([dir = m_dir->path()] { InstanceChannel::askToRaise(dir); });
            });
        });
        button()->click();
        second.join();
        QVERIFY2(duringRun.isEmpty(), qPrintable(duringRun.join(u' ')));
        QVERIFY(minimizedWhenAsked);
        QVERIFY(gameStarted);
        QTRY_VERIFY(!m_main->isMinimized());
        // Nothing that was triggered ran: the same record, no other run, the filter kept.
        QCOMPARE(m_main->currentGame(), game);
        QCOMPARE(m_dir->runs().size(), runs + 1);
        QVERIFY(action("MSGamesAll")->isChecked());
        QVERIFY(!action("MenuEnableSecretGames")->isChecked());
        QCOMPARE(m_prompter->shown.size(), 0);
        for (const char* name : locked)
            QVERIFY2(action(name)->isEnabled(), name);
        QVERIFY(button()->isEnabled());
        QCOMPARE(m_main->focusWidget(), view());
    }

private:
    void start() {
        m_main = std::make_unique<TMain1>(*m_prompter, m_opener);
        QVERIFY(!m_main->terminating());
        m_main->resize(900, 600);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        QCOMPARE(m_prompter->shown.size(), 0);
    }
    void select(const QString& zip) {
        auto* model = m_main->listModel();
        const int row = model->rowOf(m_main->games().FindGame(zip));
        QVERIFY(row >= 0);
        m_main->findChild<GameListView*>()->selectRow(row);
        QCOMPARE(m_main->currentGame()->ZipName, zip);
    }
    void select(const char* zip) { select(QString::fromLatin1(zip)); }
    void showSettingsPage() {
        m_main->findChild<QTabWidget*>(QStringLiteral("PageControl"))
            ->setCurrentWidget(m_main->findChild<QWidget*>(QStringLiteral("SettingsTab")));
    }
    bool isInArea(const QWidget* widget) const {
        return widget && m_main->findChild<QScrollArea*>(QStringLiteral("SettingsScrollBox"))
                             ->isAncestorOf(widget);
    }
    QString readSetting(const char* name, QStringView key) const {
        const QString file =
            m_dir->file(QStringLiteral("IniFiles/%1.ini").arg(QLatin1StringView(name)));
        return IniDocument(file).readString(QString::fromLatin1(name), key,
                                            QStringLiteral("<none>"));
    }
    SettingsPanel* panel() const { return m_main->findChild<SettingsPanel*>(); }
    QAbstractItemView* view() const { return m_main->findChild<GameListView*>()->currentView(); }
    QPushButton* button() const {
        return m_main->findChild<QPushButton*>(QStringLiteral("StartEmuButton"));
    }
    QAction* action(const char* name) const {
        return m_main->findChild<QAction*>(QLatin1StringView(name));
    }
    QString statusPanel(int i) const {
        return m_main->findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(i))->text();
    }
    static QString statusPanelText() { return QString(version::kCreditLine); }

    std::unique_ptr<FrontEndDir> m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    RecordingOpener m_opener;
    std::unique_ptr<TMain1> m_main;
};

QTEST_MAIN(TestLaunchWindow)
#include "tst_launchwindow.moc"
