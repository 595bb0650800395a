#include "MainUnit1.h"

#include "About1.h"
#include "GameInfoPage.h"
#include "SvgPicture.h"
#include "Version.h"
#include "ZipDirs1.h"
#include "core/AtomicFile.h"
#include "core/IniDocument.h"
#include "core/Prompter.h"
#include "games/GameListModel.h"
#include "games/GameListView.h"
#include "games/ListInfoImport.h"
#include "games/PlayHistory.h"
#include "games/RomcheckResults.h"
#include "launch/EmulatorConfig.h"
#include "launch/Launch.h"
#include "launch/NeededReport.h"
#include "launch/Romcheck.h"
#include "media/ScreenShotHandeling1.h"
#include "media/ScreenshotStore.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const char* const kKaltoHomePage = "https://kalto.example.org/";

// Widths of the columns that only this window's settings keep.
struct ColumnKey {
    const char16_t* key;
    int column;
    int defaultWidth;
};
constexpr ColumnKey kEmulatorColumns[] = {
    {u"Manufacturer", GameListModel::ManufacturerColumn, 90},
    {u"Year", GameListModel::YearColumn, 50},
    {u"Cheats", GameListModel::CheatColumn, 50},
    {u"Zipdate", GameListModel::ZipDateColumn, 110},
    {u"Fav", GameListModel::FavouriteColumn, 36},
    {u"Played", GameListModel::PlayCountColumn, 50},
    // Not "LastPlayed" and "PlayTime": a game's section has those keys, and a game named
    // "columns" shares this section.
    {u"Last played", GameListModel::LastPlayedColumn, 110},
    {u"Play time", GameListModel::PlayTimeColumn, 70},
};

} // namespace

TMain1::TMain1(Prompter& prompter, DesktopOpener& opener, TerminationSignals* terminationSignals,
               QWidget* parent)
    : TMain(prompter, opener, terminationSignals, parent) {
    setWindowTitle(QString(version::kProgramName));
    setWindowIcon(QIcon(QStringLiteral(":/icons/startkalto.svg")));
    Image1->setPicture(QStringLiteral(":/pictures/list-background.svg"));
    buildRomcheckTab();
    buildInfoTab();
    buildMenus();
    FormCreate();
}

void TMain1::buildRomcheckTab() {
    RomcheckTab = new QWidget(PageControl);
    RomcheckTab->setObjectName(QStringLiteral("RomcheckTab"));
    auto* layout = new QVBoxLayout(RomcheckTab);
    layout->setContentsMargins(4, 4, 4, 4);
    RomcheckMemo = new QPlainTextEdit(RomcheckTab);
    RomcheckMemo->setObjectName(QStringLiteral("RomcheckMemo"));
    RomcheckMemo->setReadOnly(true);
    RomcheckMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    RomcheckMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RomcheckMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setPixelSize(12);
    fixed.setStyleHint(QFont::Monospace);
    RomcheckMemo->setFont(fixed);
    layout->addWidget(RomcheckMemo, 1);
    RomcheckButton = new QPushButton(QStringLiteral("Check roms for this Game"), RomcheckTab);
    RomcheckButton->setObjectName(QStringLiteral("RomcheckButton"));
    RomcheckButton->setFixedHeight(35);
    // A long zip name in the caption must not widen the pages and squeeze the list.
    RomcheckButton->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    connect(RomcheckButton, &QPushButton::clicked, this, &TMain1::RomcheckButtonClick);
    layout->addWidget(RomcheckButton);
    PageControl->addTab(RomcheckTab, QStringLiteral("Romcheck"));
}

void TMain1::buildInfoTab() {
    InfoTab = new GameInfoPage(PageControl);
    connect(InfoTab, &GameInfoPage::parentLinkActivated, this, &TMain1::InfoParentLinkClick);
    // The details are worked out only for a page in sight: typing a search selects a
    // game at every keystroke.
    connect(InfoTab, &GameInfoPage::becameVisible, this, [this] {
        if (m_infoStale)
            ShowGameDetails();
    });
    PageControl->addTab(InfoTab, QStringLiteral("&Info"));
}

void TMain1::ShowGameDetails() {
    if (!InfoTab->isVisible()) {
        m_infoStale = true;
        return;
    }
    m_infoStale = false;
    const TGameObject* game = currentGame();
    if (!game || inDefaultsMode()) {
        InfoTab->showDetails({});
        return;
    }
    GameDetails details;
    details.title = game->Description;
    details.maker = game->Manufacturer;
    details.year = game->Year;
    details.zipName = game->ZipName;
    if (const TGameObject* parent = m_games.FindParent(*game)) {
        details.parentTitle = QStringLiteral("%1 (%2)").arg(parent->Description, parent->ZipName);
        details.parentZipName = parent->ZipName;
    } else if (game->Archives.size() > 1) {
        details.parentTitle = QStringLiteral("%1 (not in the game list)").arg(game->Archives[1]);
    } else {
        details.parentTitle = QStringLiteral("none");
    }
    const RomsetLocation romset = m_romsets.locate(*game);
    if (romset.isValid()) {
        details.rompath = romset.parent.isEmpty() ? m_paths.FrontEndDir : romset.parent;
        details.romsetFile = romset.leaf;
        if (romset.isDirectory)
            details.romsetFile += QStringLiteral(" (unpacked)");
        if (!romset.isOwnedBy(*game))
            details.romsetFile += QStringLiteral(" (the parent's romset)");
    } else {
        details.romsetFile = QStringLiteral("not found in the rompaths");
    }
    details.romcheck = game->BadRomcheck    ? QStringLiteral("bad romset")
                       : game->GoodRomcheck ? QStringLiteral("good romset")
                                            : QStringLiteral("not checked");
    details.cheats = game->HasCheats ? QStringLiteral("Yes") : QStringLiteral("No");
    details.played = game->PlayCount == 0   ? QStringLiteral("never")
                     : game->PlayCount == 1 ? QStringLiteral("once")
                                            : QStringLiteral("%1 times").arg(game->PlayCount);
    details.lastPlayed =
        game->LastPlayed > 0 ? lastPlayedText(game->LastPlayed) : QStringLiteral("never");
    details.playTime = game->PlayCount > 0 || game->PlayTime > 0 ? playTimeText(game->PlayTime)
                                                                 : QStringLiteral("none");
    const PictureCounts pictures = CountScreenshots(m_paths, game->ZipName);
    details.pictures = QStringLiteral("title %1, gameplay %2, flyer %3, marquee %4, cabinet %5")
                           .arg(pictures.title)
                           .arg(pictures.gameplay)
                           .arg(pictures.flyer)
                           .arg(pictures.marquee)
                           .arg(pictures.cabinet);
    InfoTab->showDetails(details);
}

void TMain1::InfoParentLinkClick(const QString& zipName) {
    TGameObject* parent = m_games.FindGame(zipName);
    if (!parent || inDefaultsMode())
        return;
    // A parent the filter leaves out is shown among all games; one the search hides
    // is shown without it.
    if (!m_listModel->holds(parent))
        MenuViewGamesClick(MSGamesAll);
    if (m_listModel->rowOf(parent) < 0)
        GameSearch->clear();
    GameList->selectRow(m_listModel->rowOf(parent), false);
}

void TMain1::buildMenus() {
    // View: the bad-romset marks, before the tab sheet's group.
    MenuMarkBadRomsets = addToggle(View1, "MenuMarkBadRomsets", QStringLiteral("Mark &Bad Romsets"),
                                   false, QKeySequence(Qt::CTRL | Qt::Key_B));
    View1->removeAction(MenuMarkBadRomsets);
    View1->insertAction(m_viewBeforeTabSheet, MenuMarkBadRomsets);
    connect(MenuMarkBadRomsets, &QAction::triggered, this, &TMain1::MenuMarkBadRomsetsClick);

    MenuMergedRomsetsSupport = addToggle(MSSettings, "MenuMergedRomsetsSupport",
                                         QStringLiteral("M&erged Romsets Support"), false);
    connect(MenuMergedRomsetsSupport, &QAction::triggered, this,
            &TMain1::MenuMergedRomsetsSupportClick);
    MSSettings->addSeparator();
    connect(addItem(MSSettings, "MenuSetMameKeys", QStringLiteral("Set Keys to &Mame-default")),
            &QAction::triggered, this, &TMain1::MenuSetMameKeysClick);
    connect(addItem(MSSettings, "MenuResetKaltodefaultKeys",
                    QStringLiteral("Reset Keys to &Kalto-default")),
            &QAction::triggered, this, &TMain1::MenuResetKaltodefaultKeysClick);
    MSSettings->addSeparator();
    MenuEnableKaltoGui =
        addToggle(MSSettings, "MenuEnableKaltoGui", QStringLiteral("Enable &Kalto GUI"), false);
    connect(MenuEnableKaltoGui, &QAction::triggered, this, &TMain1::MenuEnableKaltoGuiClick);
    EnableWibbleKaltoGUIonly1 =
        addToggle(MSSettings, "EnableWibbleKaltoGUIonly1",
                  QStringLiteral("Enable &Wibble (in Kalto GUI only)"), false);
    connect(EnableWibbleKaltoGUIonly1, &QAction::triggered, this,
            &TMain1::EnableWibbleKaltoGUIonly1Click);
    MenuEnableSecretGames = addToggle(MSSettings, "MenuEnableSecretGames",
                                      QStringLiteral("Enable &Secret Games"), false);
    connect(MenuEnableSecretGames, &QAction::triggered, this, &TMain1::MenuEnableSecretGamesClick);

    MenuTools->addSeparator();
    connect(addItem(MenuTools, "MenuRenameLong", QStringLiteral("Rename romsets to &long names")),
            &QAction::triggered, this, &TMain1::MenuRenameLongClick);
    connect(addItem(MenuTools, "MenuRenameShort", QStringLiteral("Rename romsets to &short names")),
            &QAction::triggered, this, &TMain1::MenuRenameShortClick);
    MenuTools->addSeparator();
    connect(addItem(MenuTools, "MSReportNeeded", QStringLiteral("&Report Needed Stuff")),
            &QAction::triggered, this, &TMain1::MSReportNeededClick);
    MenuTools->addSeparator();
    connect(addItem(MenuTools, "MenuRomCheck",
                    QStringLiteral("&Check all romsets for CRC32 and Filesize")),
            &QAction::triggered, this, &TMain1::MenuRomCheckClick);

    // Help: the emulator's own documents first.
    QAction* first = MenuHelp->actions().value(0);
    QAction* readme = addItem(MenuHelp, "MenuKALTOReadme", QStringLiteral("KALTO Readme"));
    readme->setIcon(QIcon(QStringLiteral(":/icons/help-readme.svg")));
    QAction* home = addItem(MenuHelp, "MenuKALTOHomepage", QStringLiteral("KALTO Homepage"));
    for (QAction* item : {readme, home}) {
        MenuHelp->removeAction(item);
        MenuHelp->insertAction(first, item);
    }
    connect(readme, &QAction::triggered, this, &TMain1::MenuKALTOReadmeClick);
    connect(home, &QAction::triggered, this, &TMain1::MenuKALTOHomepageClick);
}

bool TMain1::mergedRomsetsSupport() const {
    return MenuMergedRomsetsSupport->isChecked();
}

void TMain1::SaveFrontEndSettings() {
    writeSettingsFile();
    ensureEmulatorConfig();
    WriteRomDirs(m_paths.EmuCfgFile, m_romDirs);
}

void TMain1::ensureEmulatorConfig() {
    if (!QFileInfo::exists(m_paths.EmuCfgFile))
        m_startUp.RequestDefaultConfig();
}

void TMain1::saveSettingsAfterRun() {
    // Unread settings stay as they are: a save would replace them with defaults, and
    // the close does not save them either.
    if (settingsRead())
        reportFileErrors([this] { writeSettingsFile(); });
}

void TMain1::writeSettingsFile() {
    IniDocument ini = IniDocument::emptyFor(m_paths.FrontEndIniFile);
    SaveViewSettings(ini);
    ini.writeBool(u"Tools", u"KaltoGUI", MenuEnableKaltoGui->isChecked());
    ini.writeBool(u"Tools", u"MergedRomsetsSupport", MenuMergedRomsetsSupport->isChecked());
    ini.writeBool(u"Tools", u"EnableSecretGames", MenuEnableSecretGames->isChecked());
    ini.writeBool(u"View", u"MarkBadRomsets", MenuMarkBadRomsets->isChecked());
    for (const ColumnKey& column : kEmulatorColumns)
        ini.writeInteger(u"Columns", column.key, GameList->columnWidth(column.column));
    // A close that changed nothing leaves the file (a section per game) as it is.
    writeFileIfChanged(m_paths.FrontEndIniFile,
                       [&](const ByteSink& write) { m_games.WriteSettingsSections(ini, write); });
}

void TMain1::LoadFrontEndSettings() {
    const IniDocument ini(m_paths.FrontEndIniFile);
    // A file written before the pictures had their kinds of folders moves them once.
    if (ini.sectionExists(u"StartKALTO") && !ini.keyExists(u"Screenshot", u"Title"))
        MigrateScreenshotStore();
    MenuEnableKaltoGui->setChecked(ini.readBool(u"Tools", u"KaltoGUI", false));
    MenuMergedRomsetsSupport->setChecked(ini.readBool(u"Tools", u"MergedRomsetsSupport", false));
    MenuEnableSecretGames->setChecked(ini.readBool(u"Tools", u"EnableSecretGames", false));
    bringToState(MenuMarkBadRomsets, ini.readBool(u"View", u"MarkBadRomsets", false));
    for (const ColumnKey& column : kEmulatorColumns)
        GameList->setColumnWidth(column.column,
                                 readColumnWidth(ini, column.key, column.defaultWidth));
    LoadViewSettings(ini);
    m_games.ReadSettingsSections(ini);
    bool wibble = false;
    m_romDirs = ReadRomDirs(m_paths.EmuCfgFile, &wibble);
    EnableWibbleKaltoGUIonly1->setChecked(wibble);
}

void TMain1::runRompathsDialog() {
    if (!m_zipDirs)
        m_zipDirs = new TZipDirsForm1(m_prompter, m_paths.EmuCfgFile, this);
    ensureEmulatorConfig();
    m_zipDirs->SetDirs(m_romDirs);
}

void TMain1::showAbout() {
    TAboutBox1 about(m_opener, this);
    about.ShowWithVersion(QString(version::kVersionText));
}

void TMain1::MenuMarkBadRomsetsClick() {
    m_listModel->setMarkBadRomsets(MenuMarkBadRomsets->isChecked());
}

void TMain1::MenuMergedRomsetsSupportClick() {
    if (!MenuMergedRomsetsSupport->isChecked())
        return; // the installed flags stay until the next installed check
    const Prompter::Answer answer = m_prompter.message(
        Prompter::Icon::Question, Prompter::Buttons::YesNoCancel,
        QStringLiteral("Merge Romsets Support makes the installed-statusses\rdepend on the "
                       "romchecks of the games.\r\rTo make sure the romcheck statusses are\r"
                       "up to date, you should do a full romcheck.\r\rDo you want to perform "
                       "a full romcheck now?"));
    // Without a new report the marks say nothing about sets the old check never saw.
    if (answer == Prompter::Answer::Yes) {
        if (!checkAllRomsets())
            MenuMergedRomsetsSupport->setChecked(false);
    } else if (answer == Prompter::Answer::No)
        MenuCheckForInstalledGamesClick();
    else // Cancel, or the box closed
        MenuMergedRomsetsSupport->setChecked(false);
}

void TMain1::MenuSetMameKeysClick() {
    if (!m_prompter.confirm(QStringLiteral("Are you sure you want to\rset keys to Mame-default ?")))
        return;
    ensureEmulatorConfig();
    reportFileErrors([this] { WriteMameDefaultKeys(m_paths.EmuCfgFile); });
}

void TMain1::MenuResetKaltodefaultKeysClick() {
    if (!m_prompter.confirm(
            QStringLiteral("Are you sure you want to\rreset keys to Kalto-default ?")))
        return;
    ensureEmulatorConfig();
    reportFileErrors([this] { RemoveDefaultKeys(m_paths.EmuCfgFile); });
}

void TMain1::MenuEnableKaltoGuiClick() {
    // The check mark is all: a launch reads it.
}

void TMain1::EnableWibbleKaltoGUIonly1Click() {
    const bool on = EnableWibbleKaltoGUIonly1->isChecked();
    ensureEmulatorConfig();
    // The mark shows what the emulator's file holds: it goes back when the file stays.
    if (!reportFileErrors([&] { WriteWibble(m_paths.EmuCfgFile, on); }))
        EnableWibbleKaltoGUIonly1->setChecked(!on);
}

void TMain1::FillSettingsPanel() {
    TMain::FillSettingsPanel();
    RomcheckButton->setEnabled(currentGame() != nullptr);
    if (!currentGame())
        return;
    RomcheckMemo->clear();
    RomcheckButton->setText(
        QStringLiteral("Check romset %1 for CRC32 and Filesize").arg(currentGame()->ZipName));
}

TScreenShot* TMain1::createScreenShot(const ScreenShotPage& page) {
    return new TScreenShot1(m_paths, m_prompter, page, this);
}

void TMain1::MigrateScreenshotStore() {
    QStringList zipNames;
    zipNames.reserve(m_games.count());
    for (const TGameObject* game : m_games)
        zipNames.append(game->ZipName);
    ::MigrateScreenshotStore(m_paths, zipNames, m_prompter);
}

void TMain1::LaunchGame() {
    TGameObject* game = currentGame();
    const QString zipName = game->ZipName;
    const QString title = game->Description;
    LaunchResult result;
    QStringList shots;
    ensureEmulatorConfig();
    const bool launched = reportFileErrors([&] {
        result = ::LaunchGame(
            m_paths, *m_execEmu, m_prompter, zipName, MenuEnableKaltoGui->isChecked(), m_romDirs,
            [&](const QSet<QString>& leftovers) {
                shots =
                    CollectRunScreenshots(m_paths.TempDir, m_paths.GameplayDir, zipName, leftovers);
            },
            m_launchClock);
    });
    if (!launched)
        return;
    const bool recorded = result.started && RecordRun(*game, result.runMs, result.endedAtMs / 1000,
                                                      result.ending.isEmpty());
    if (recorded) {
        m_listModel->gameChanged(game);
        saveSettingsAfterRun();
        if (MenuRecentGames->isChecked())
            RefreshGameList(); // the game moves to the top
        else
            resortAfterChange(GameListModel::PlayCountColumn);
    }
    if (recorded || !shots.isEmpty())
        ShowGameDetails(); // the play count, the picture counts
    m_romDirs = result.romDirs;
    EnableWibbleKaltoGUIonly1->setChecked(result.wibble);
    // A game that did not run at all would otherwise just flash by.
    const QString failure = failedRunText(title, result);
    if (!failure.isEmpty())
        setStatusPanel(1, failure);
    else if (result.started)
        showRunScreenshots(title, shots);
    reportLeftoverShots(title, result.leftovers);
}

void TMain1::MenuEnableSecretGamesClick() {
    const bool on = MenuEnableSecretGames->isChecked();
    ensureEmulatorConfig();
    // The mark shows what the emulator's file holds: it goes back when the file stays.
    if (!reportFileErrors([&] { WriteSecretGames(m_paths.EmuCfgFile, on); })) {
        MenuEnableSecretGames->setChecked(!on);
        return;
    }
    // The emulator lists the games the section enables, or no longer lists them.
    MenuCheckforSupportedgamesClick();
}

void TMain1::MenuRenameLongClick() {
    renameRomsets(RomsetNames::Long);
}

void TMain1::MenuRenameShortClick() {
    renameRomsets(RomsetNames::Short);
}

void TMain1::renameRomsets(RomsetNames names) {
    const QLatin1StringView kind(names == RomsetNames::Long ? "long" : "short");
    const std::vector<RomsetRename> renames = PlanRomsetRenames(m_games, m_romsets, names);
    if (renames.empty()) {
        // A set whose game has no such name (a short name that is no archive name, where
        // the emulator would not look) is never renamed, so it counts as named already.
        m_prompter.information(QStringLiteral("There is nothing to rename:\revery installed "
                                              "romset that can have its %1 filename has it "
                                              "already.")
                                   .arg(kind));
        return;
    }
    const qsizetype planned = qsizetype(renames.size());
    const bool one = planned == 1;
    const QString sets =
        one ? QStringLiteral("1 romset") : QStringLiteral("%1 romsets").arg(planned);
    const QString their = one ? QStringLiteral("its %1 filename").arg(kind)
                              : QStringLiteral("their %1 filenames").arg(kind);
    if (!m_prompter.confirm(QStringLiteral("Rename %1 to %2 ?").arg(sets, their)))
        return;
    const RomsetRenameOutcome outcome = RenameRomsets(renames, m_romsets);
    const QString done =
        QStringLiteral("%1 %2 been\rrenamed to %3.")
            .arg(sets, one ? QStringLiteral("has") : QStringLiteral("have"), their);
    if (outcome.failed.isEmpty()) {
        m_prompter.information(done);
        return;
    }
    constexpr qsizetype kNamed = 10;
    QString text = QStringLiteral("%1 of %2\r\rThese could not be renamed:\r")
                       .arg(QString::number(outcome.renamed), done);
    text += outcome.failed.mid(0, kNamed).join(u'\r');
    if (outcome.failed.size() > kNamed)
        text += QStringLiteral("\r... and %1 more").arg(outcome.failed.size() - kNamed);
    m_prompter.warning(text);
}

void TMain1::MSReportNeededClick() {
    std::vector<NeededGame> games;
    games.reserve(size_t(m_games.count()));
    for (const TGameObject* game : m_games)
        games.push_back({game->Description, game->ZipName, game->Installed, game->BadRomcheck});
    QString report;
    const QString heading =
        QStringLiteral("Needed files for %1 %2").arg(version::kProgramName, version::kVersionText);
    if (reportFileErrors([&] { report = WriteNeededReport(games, m_paths, heading); }))
        openDocument(report);
}

bool TMain1::runRomcheck(const QString& zipName, QString& statusNote) {
    QStringList arguments = {QStringLiteral("-romcheck")};
    if (!zipName.isEmpty())
        arguments << zipName << QStringLiteral("-verbose");
    const RomcheckRun run = RunRomcheck(m_paths, *m_execEmu, arguments);
    if (!run.started)
        return false; // the runner said so
    if (!run.reported) {
        m_prompter.error(run.failure);
        return false;
    }
    statusNote = run.note;
    return reportFileErrors([&] { ReadRomcheckResults(m_games, m_paths.RomcheckFile, zipName); });
}

void TMain1::MenuRomCheckClick() {
    checkAllRomsets();
}

bool TMain1::checkAllRomsets() {
    QString note;
    if (!runRomcheck(QString(), note))
        return false;
    // With merged romsets the installed state follows the romcheck.
    if (MenuMergedRomsetsSupport->isChecked())
        MenuCheckForInstalledGamesClick();
    FillGameList();
    if (!note.isEmpty())
        setStatusPanel(1, note);
    if (m_prompter.confirm(QStringLiteral("Do you want to see the\rFull Romcheck Report ?")))
        openDocument(m_paths.RomcheckFile);
    return true;
}

void TMain1::RomcheckButtonClick() {
    TGameObject* game = currentGame();
    if (!game)
        return;
    QString note;
    if (!runRomcheck(game->ZipName, note))
        return;
    // With merged romsets the installed state follows the romcheck: a set found bad,
    // or no longer found, leaves the installed games at once.
    if (MenuMergedRomsetsSupport->isChecked()) {
        m_romsets.rescan();
        CheckInstalled(*game, m_romsets, true);
    }
    FillGameList();
    if (!note.isEmpty())
        setStatusPanel(1, note);
    QFile report(m_paths.RomcheckFile);
    if (report.open(QIODevice::ReadOnly))
        RomcheckMemo->setPlainText(
            decodeEmulatorText(withoutByteOrderMark(QByteArrayView(report.readAll()))));
    GameList->currentView()->setFocus();
}

QString TMain1::kaltoReadme() const {
    return m_paths.EmuDir + QStringLiteral("docs/kalto.txt");
}

void TMain1::MenuHelpClick() {
    TMain::MenuHelpClick();
    findChild<QAction*>(QStringLiteral("MenuKALTOReadme"))
        ->setEnabled(QFileInfo(kaltoReadme()).isFile());
}

void TMain1::MenuKALTOReadmeClick() {
    openDocument(kaltoReadme());
}

void TMain1::MenuKALTOHomepageClick() {
    openDocument(QLatin1StringView(kKaltoHomePage));
}
