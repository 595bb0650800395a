// The main window's menus, as any emulator front-end has them, and their short
// handlers. The emulator's own items are added by the derived window.

#include "MainUnit.h"
#include "core/Prompter.h"
#include "games/GameListView.h"
#include "media/GameSound.h"

#include <QAction>
#include <QActionGroup>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

const char* const kHomePage = "https://startkalto.example.org/";
// Sites with news of emulation, each item captioned with its address.
const char* const kNewsSites[] = {
    "https://arcade-news.example.org/",      "https://emulation-daily.example.net/",
    "https://retro-cabinet.example.com/",    "https://coinop-archive.example.org/",
    "https://romset-chronicle.example.net/",
};

QIcon icon(const char* name) {
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1StringView(name)));
}

} // namespace

void TMain::buildMenus() {
    buildFileMenu();
    buildViewMenu();
    buildGameMenu();
    buildSettingsMenu();
    buildToolsMenu();
    buildScreenShotMenu();
    buildSoundMenu();
    buildHelpMenu();
}

void TMain::buildFileMenu() {
    FileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    FileMenu->setObjectName(QStringLiteral("FileMenu"));
    connect(addItem(FileMenu, "MenuExit", QStringLiteral("E&xit")), &QAction::triggered, this,
            &TMain::MenuExitClick);
}

void TMain::buildViewMenu() {
    View1 = menuBar()->addMenu(QStringLiteral("&View"));
    View1->setObjectName(QStringLiteral("View1"));

    auto* filters = new QActionGroup(this);
    MSGamesInstalled =
        addRadio(View1, filters, "MSGamesInstalled", QStringLiteral("&Installed Games"), 0);
    MSGamesUninstalled =
        addRadio(View1, filters, "MSGamesUninstalled", QStringLiteral("&Uninstalled Games"), 1);
    MSGamesAll = addRadio(View1, filters, "MSGamesAll", QStringLiteral("&All Games"), 2, true);
    MenuFavouriteGames =
        addRadio(View1, filters, "MenuFavouriteGames", QStringLiteral("&Favourite Games"), 3);
    MenuRecentGames =
        addRadio(View1, filters, "MenuRecentGames", QStringLiteral("Recently &Played"), 4);
    connect(filters, &QActionGroup::triggered, this, &TMain::MenuViewGamesClick);
    View1->addSeparator();

    auto* styles = new QActionGroup(this);
    MSIconsLarge = addRadio(View1, styles, "MSIconsLarge", QStringLiteral("Large Icons"),
                            GameListView::LargeIcons, true);
    MSIconsSmall = addRadio(View1, styles, "MSIconsSmall", QStringLiteral("Small Icons"),
                            GameListView::SmallIcons);
    MSIconsList =
        addRadio(View1, styles, "MSIconsList", QStringLiteral("List"), GameListView::ListStyle);
    MSIconsDetails =
        addRadio(View1, styles, "MSIconsDetails", QStringLiteral("Details"), GameListView::Details);
    connect(styles, &QActionGroup::triggered, this, &TMain::MenuIconsViewClick);
    View1->addSeparator();

    MSListSortby = View1->addMenu(QStringLiteral("Sort by"));
    MSListSortby->setObjectName(QStringLiteral("MSListSortby"));
    auto* sorts = new QActionGroup(this);
    MSSortbyName = addRadio(MSListSortby, sorts, "MSSortbyName", QStringLiteral("&Name"), 0, true);
    addRadio(MSListSortby, sorts, "MSSortByZipname", QStringLiteral("&Zipname"), 1);
    addRadio(MSListSortby, sorts, "MenuSortbyManufacturer", QStringLiteral("&Manufacturer"), 2);
    addRadio(MSListSortby, sorts, "MenuSortByYear", QStringLiteral("&Year"), 3);
    addRadio(MSListSortby, sorts, "MenuSortByCheat", QStringLiteral("&Cheat"), 4);
    addRadio(MSListSortby, sorts, "MenuSortByZipdate", QStringLiteral("Zip&date"), 5);
    addRadio(MSListSortby, sorts, "MenuSortByFavourite", QStringLiteral("&Favourite"), 6);
    addRadio(MSListSortby, sorts, "MenuSortByPlayed", QStringLiteral("&Played"), 7);
    addRadio(MSListSortby, sorts, "MenuSortByLastPlayed", QStringLiteral("&Last Played"), 8);
    addRadio(MSListSortby, sorts, "MenuSortByPlayTime", QStringLiteral("Play &Time"), 9);
    connect(sorts, &QActionGroup::triggered, this, &TMain::MSSortMenuClick);

    MSOrder = View1->addMenu(QStringLiteral("Order"));
    MSOrder->setObjectName(QStringLiteral("MSOrder"));
    auto* orders = new QActionGroup(this);
    MSOrderAscending =
        addRadio(MSOrder, orders, "MSOrderAscending", QStringLiteral("Ascending"), 0, true);
    MSOrderDescending =
        addRadio(MSOrder, orders, "MSOrderDescending", QStringLiteral("Descending"), 1);
    connect(orders, &QActionGroup::triggered, this, &TMain::MSOrderClick);

    connect(addItem(View1, "MSListChangefont", QStringLiteral("List Font ...")),
            &QAction::triggered, this, &TMain::MSChangelistfontClick);
    connect(addItem(View1, "MSListBackgroundcolor", QStringLiteral("List Backgroundcolor ...")),
            &QAction::triggered, this, &TMain::MSListBackgroundcolorClick);
    View1->addSeparator();

    MSHotTracking = addToggle(View1, "MSHotTracking", QStringLiteral("&Hot Tracking"), true,
                              QKeySequence(Qt::CTRL | Qt::Key_H));
    connect(MSHotTracking, &QAction::triggered, this, &TMain::MenuHotTrackingClick);
    m_viewBeforeTabSheet = View1->addSeparator();
    MSTabsheet = addToggle(View1, "MSTabsheet", QStringLiteral("&Tab Sheet"), true,
                           QKeySequence(Qt::CTRL | Qt::Key_T));
    connect(MSTabsheet, &QAction::triggered, this, &TMain::MenuViewTabSheetClick);
    MSStatbar = addToggle(View1, "MSStatbar", QStringLiteral("&Statusbar"), true);
    connect(MSStatbar, &QAction::triggered, this, &TMain::MenuViewStatBarClick);
    View1->addSeparator();
    MenuFullScreen = addToggle(View1, "MenuFullScreen", QStringLiteral("Full Scree&n"), false,
                               QKeySequence(Qt::Key_F11));
    connect(MenuFullScreen, &QAction::triggered, this, &TMain::MenuFullScreenClick);
}

void TMain::buildGameMenu() {
    MenuGame = menuBar()->addMenu(QStringLiteral("&Game"));
    MenuGame->setObjectName(QStringLiteral("MenuGame"));
    MenuFavourite = addItem(MenuGame, "MenuFavourite", QStringLiteral("Add to &Favourites"),
                            QKeySequence(Qt::CTRL | Qt::Key_D));
    MenuFavourite->setEnabled(false);
    connect(MenuFavourite, &QAction::triggered, this, &TMain::MenuFavouriteClick);
    // The same item on the list's right-click menu.
    GameListPopup = new QMenu(this);
    GameListPopup->setObjectName(QStringLiteral("GameListPopup"));
    GameListPopup->addAction(MenuFavourite);
    connect(GameList, &GameListView::contextMenuRequested, this, [this](const QPoint& at) {
        if (!inDefaultsMode())
            GameListPopup->popup(at);
    });
}

void TMain::buildSettingsMenu() {
    MSSettings = menuBar()->addMenu(QStringLiteral("&Settings"));
    MSSettings->setObjectName(QStringLiteral("MSSettings"));
    connect(addItem(MSSettings, "MenuSetDefaultSettings", QStringLiteral("Set &Default Settings")),
            &QAction::triggered, this, &TMain::MenuSetDefaultSettingsClick);
    connect(
        addItem(MSSettings, "MenuSetAlternativeRompath", QStringLiteral("Set Zipped &Rompaths")),
        &QAction::triggered, this, &TMain::MenuSetAlternativeRompathClick);
}

void TMain::buildToolsMenu() {
    MenuTools = menuBar()->addMenu(QStringLiteral("&Tools"));
    MenuTools->setObjectName(QStringLiteral("MenuTools"));
    connect(addItem(MenuTools, "MenuCheckForInstalledGames",
                    QStringLiteral("Check for new &Installed games")),
            &QAction::triggered, this, &TMain::MenuCheckForInstalledGamesClick);
    connect(addItem(MenuTools, "MenuCheckforSupportedgames",
                    QStringLiteral("Check for new S&upported games")),
            &QAction::triggered, this, &TMain::MenuCheckforSupportedgamesClick);
}

void TMain::buildScreenShotMenu() {
    MenuScreenShot = menuBar()->addMenu(QStringLiteral("S&creenShot"));
    MenuScreenShot->setObjectName(QStringLiteral("MenuScreenShot"));
    connect(MenuScreenShot, &QMenu::aboutToShow, this, &TMain::MenuScreenShotClick);

    auto* scaling = new QActionGroup(this);
    MSSCROriginal =
        addRadio(MenuScreenShot, scaling, "MSSCROriginal", QStringLiteral("Or&iginal"), 0);
    MSSCRScaled =
        addRadio(MenuScreenShot, scaling, "MSSCRScaled", QStringLiteral("&Scaled"), 1, true);
    MSSCRStretched =
        addRadio(MenuScreenShot, scaling, "MSSCRStretched", QStringLiteral("St&reched"), 2);
    connect(scaling, &QActionGroup::triggered, this, &TMain::MenuScreenShotScalingClick);
    MSSCRSharp = addToggle(MenuScreenShot, "MSSCRSharp", QStringLiteral("S&harp Pixels"), true);
    connect(MSSCRSharp, &QAction::triggered, this, &TMain::MSSCRSharpClick);
    MenuScreenShot->addSeparator();

    const auto kind = [this](const char* name, const char* caption, Qt::Key key) {
        QAction* item = addToggle(MenuScreenShot, name, QLatin1StringView(caption), true,
                                  QKeySequence(Qt::CTRL | key));
        connect(item, &QAction::triggered, this, &TMain::MSSCRShowClick);
        return item;
    };
    MSSCRTitle = kind("MSSCRTitle", "&Title", Qt::Key_1);
    MSSCRGameplay = kind("MSSCRGameplay", "&Gameplay", Qt::Key_2);
    MSSCRFlyer = kind("MSSCRFlyer", "&Flyer", Qt::Key_3);
    MSSCRMarquee = kind("MSSCRMarquee", "&Marquee", Qt::Key_4);
    MSSCRCabinet = kind("MSSCRCabinet", "&Cabinet", Qt::Key_5);
    MenuScreenShot->addSeparator();

    MSSCRDelete =
        addItem(MenuScreenShot, "MSSCRDelete", QStringLiteral("&Delete current screenshot"));
    connect(MSSCRDelete, &QAction::triggered, this, &TMain::MSSCRDeleteClick);
    MSSCRConvertFormat =
        addItem(MenuScreenShot, "MSSCRConvertFormat", QStringLiteral("Con&vert Format"));
    connect(MSSCRConvertFormat, &QAction::triggered, this, &TMain::MSSCRConvertFormatClick);
    MenuScreenShot->addSeparator();

    MSSCRControls = addToggle(MenuScreenShot, "MSSCRControls", QStringLiteral("Show C&ontrols"),
                              true, QKeySequence(Qt::CTRL | Qt::Key_C));
    connect(MSSCRControls, &QAction::triggered, this, &TMain::MSSCRControlsClick);
    MSSCRName = addToggle(MenuScreenShot, "MSSCRName", QStringLiteral("Show &Name && Dimensions"),
                          true, QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(MSSCRName, &QAction::triggered, this, &TMain::MSSCRNameClick);
}

void TMain::buildSoundMenu() {
    Sound1 = menuBar()->addMenu(QStringLiteral("So&und"));
    Sound1->setObjectName(QStringLiteral("Sound1"));
    auto* sounds = new QActionGroup(this);
    MSSndMusic = addRadio(Sound1, sounds, "MSSndMusic", QStringLiteral("&Music"), 0, true,
                          QKeySequence(Qt::CTRL | Qt::Key_M));
    MSSndSamples = addRadio(Sound1, sounds, "MSSndSamples", QStringLiteral("&Samples"), 1, false,
                            QKeySequence(Qt::CTRL | Qt::Key_S));
    MSSndNone = addRadio(Sound1, sounds, "MSSndNone", QStringLiteral("&No Sound"), 2, false,
                         QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(sounds, &QActionGroup::triggered, this, &TMain::MSSndClick);
}

void TMain::buildHelpMenu() {
    MenuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    MenuHelp->setObjectName(QStringLiteral("MenuHelp"));
    QAction* readme =
        addItem(MenuHelp, "MenuStartKALTOReadme", QStringLiteral("StartKALTO Readme"));
    readme->setIcon(icon("help-readme"));
    connect(readme, &QAction::triggered, this, &TMain::MenuStartKALTOReadmeClick);
    QAction* faq = addItem(MenuHelp, "MenuStartKALTOFaq", QStringLiteral("StartKALTO Faq"));
    faq->setIcon(icon("help-faq"));
    connect(faq, &QAction::triggered, this, &TMain::MenuStartKALTOFaqClick);
    connect(addItem(MenuHelp, "MenuStartKALTOHomepage", QStringLiteral("StartKALTO Homepage")),
            &QAction::triggered, this, &TMain::MenuStartKALTOHomepageClick);
    MenuHelp->addSeparator();
    auto* links = new QActionGroup(this);
    links->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    int number = 1;
    for (const char* site : kNewsSites) {
        const QByteArray name = "MenuUrl" + QByteArray::number(number++);
        QAction* link = addItem(MenuHelp, name.constData(), QLatin1StringView(site));
        link->setIcon(icon("help-link"));
        links->addAction(link);
    }
    connect(links, &QActionGroup::triggered, this, &TMain::MenuUrlClick);
    MenuHelp->addSeparator();
    QAction* about = addItem(MenuHelp, "About1", QStringLiteral("About ..."));
    about->setIcon(icon("help-about"));
    connect(about, &QAction::triggered, this, &TMain::MenuAboutClick);
    connect(MenuHelp, &QMenu::aboutToShow, this, &TMain::MenuHelpClick);
}

void TMain::MenuHelpClick() {
    const auto fileItem = [this](const char* name, const QString& path) {
        if (auto* item = findChild<QAction*>(QLatin1StringView(name)))
            item->setEnabled(QFileInfo(path).isFile());
    };
    fileItem("MenuStartKALTOReadme", m_paths.FrontEndDir + QStringLiteral("StartKALTO.txt"));
    fileItem("MenuStartKALTOFaq", m_paths.FrontEndDir + QStringLiteral("StartKALTOFaq.txt"));
}

void TMain::MenuExitClick() {
    close();
}

void TMain::MenuStartKALTOReadmeClick() {
    openDocument(m_paths.FrontEndDir + QStringLiteral("StartKALTO.txt"));
}

void TMain::MenuStartKALTOFaqClick() {
    openDocument(m_paths.FrontEndDir + QStringLiteral("StartKALTOFaq.txt"));
}

void TMain::MenuStartKALTOHomepageClick() {
    openDocument(QLatin1StringView(kHomePage));
}

void TMain::MenuUrlClick(QAction* item) {
    // The caption is the address.
    openDocument(item->text());
}

void TMain::MSSCRControlsClick() {
    SToolBar->setVisible(MSSCRControls->isChecked());
    SSShowName->setVisible(MSSCRName->isChecked());
}

void TMain::MSSCRNameClick() {
    SSShowName->setVisible(MSSCRName->isChecked());
}

void TMain::MSSndClick(QAction* item) {
    item->setChecked(true);
    PlayGameSound();
}

void TMain::PlayGameSound() {
    const SoundChoice choice = MSSndMusic->isChecked()     ? SoundChoice::Music
                               : MSSndSamples->isChecked() ? SoundChoice::Samples
                                                           : SoundChoice::None;
    m_soundGame = m_currentGame ? m_currentGame->ZipName : QString();
    const PlayOutcome outcome = ::PlayGameSound(*m_sound, m_paths.SoundDir, m_soundGame, choice);
    // A file that cannot be played gets one beep and nothing else.
    if (outcome == PlayOutcome::Beep)
        m_prompter.beep();
}

void TMain::StopGameSound() {
    ::StopGameSound(*m_sound);
    m_soundGame.clear(); // the next selection plays from the beginning
    // Called before a game's run: the emulator gets the sound card while it runs, and the
    // output opens again when the run has ended.
    m_sound->releaseOutput();
}
