// The generic half of the front-end settings file: where the emulator is, the view
// options, the list's look, the window, the pictures and the sound. The file is
// rebuilt whole on every save, in a fixed order of sections and keys.

#include "MainUnit.h"
#include "Version.h"
#include "WindowPlacement.h"
#include "core/IniDocument.h"
#include "games/GameListModel.h"
#include "games/GameListView.h"

#include <QAction>
#include <QFileInfo>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

namespace {

// The check marks kept in [Screenshot], set directly at load.
struct FlagKey {
    const char16_t* section;
    const char16_t* key;
    QAction* TMain::*item;
    bool defaultValue;
};

// One item of a radio group and its key.
struct RadioKey {
    const char16_t* key;
    QAction* item;
};

// Checks the last item of the group whose key reads 1; when none does (a hand-edited
// file), the group's default item, so that one item is always checked.
void checkOneOf(const IniDocument& ini, QStringView section, std::initializer_list<RadioKey> group,
                QAction* defaultItem) {
    QAction* chosen = nullptr;
    for (const RadioKey& radio : group) {
        if (ini.readBool(section, radio.key, radio.item == defaultItem))
            chosen = radio.item;
    }
    (chosen ? chosen : defaultItem)->setChecked(true);
}

// A number read from the file, brought into the range that makes sense for it.
int readClamped(const IniDocument& ini, QStringView section, QStringView key, int defaultValue,
                int least, int most) {
    return std::clamp(ini.readInteger(section, key, defaultValue), least, most);
}

// A choice read from the file: a number outside the choices reads as the default.
int readChoice(const IniDocument& ini, QStringView section, QStringView key, int defaultValue,
               int count) {
    const int value = ini.readInteger(section, key, defaultValue);
    return value >= 0 && value < count ? value : defaultValue;
}

} // namespace

int TMain::readColumnWidth(const IniDocument& ini, QStringView key, int defaultWidth) {
    return readClamped(ini, u"Columns", key, defaultWidth, kLeastColumnWidth, 4000);
}

void TMain::bringToState(QAction* item, bool state) {
    if (item->isChecked() != state)
        item->trigger();
}

void TMain::SaveViewSettings(IniDocument& ini) {
    ini.writeString(u"StartKALTO", u"Version", QString(version::kVersionText));
    // After a failed refresh of the game list no date is kept: the next start asks the
    // emulator again.
    if (const QDateTime date = m_startUp.emuExeDateToStore(); date.isValid())
        ini.writeDateTime(u"StartKALTO", u"EmuExeDate", date);
    ini.writeString(u"StartKALTO", u"EmuExePath", m_paths.EmuDir);

    ini.writeBool(u"View", u"Installed", MSGamesInstalled->isChecked());
    ini.writeBool(u"View", u"UnInstalled", MSGamesUninstalled->isChecked());
    ini.writeBool(u"View", u"All", MSGamesAll->isChecked());
    ini.writeBool(u"View", u"Favourites", MenuFavouriteGames->isChecked());
    ini.writeBool(u"View", u"Recent", MenuRecentGames->isChecked());
    ini.writeBool(u"View", u"Large", MSIconsLarge->isChecked());
    ini.writeBool(u"View", u"Small", MSIconsSmall->isChecked());
    ini.writeBool(u"View", u"List", MSIconsList->isChecked());
    ini.writeBool(u"View", u"Details", MSIconsDetails->isChecked());
    ini.writeBool(u"View", u"HotTracking", MSHotTracking->isChecked());
    ini.writeBool(u"View", u"StatBar", MSStatbar->isChecked());
    ini.writeBool(u"View", u"TabSheet", MSTabsheet->isChecked());
    ini.writeInteger(u"View", u"Sort", m_sortColumn);
    ini.writeInteger(u"View", u"SortOrder", descending() ? 1 : 0);

    ini.writeString(u"GameList", u"FontType", m_listFont.family());
    ini.writeInteger(u"GameList", u"FontSize", qRound(m_listFont.pointSizeF()));
    ini.writeString(u"GameList", u"FgColor", m_listTextColor.text());
    ini.writeInteger(u"GameList", u"FontStyle", fontStyleBits(m_listFont));
    ini.writeString(u"GameList", u"BgColor", m_listBackColor.text());

    // The size is the normal one, also while the window is maximised or minimised; full
    // screen is not kept: the state before it is.
    const Qt::WindowStates state = isFullScreen() ? m_stateBeforeFullScreen : windowState();
    ini.writeInteger(u"Window", u"State",
                     state & Qt::WindowMaximized   ? 2
                     : state & Qt::WindowMinimized ? 1
                                                   : 0);
    // The window's own state decides where its normal size is: full screen entered from
    // a normal window has the screen's size as its geometry, and its normal size only in
    // normalGeometry().
    const bool notNormal =
        windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen);
    const QRect normal = notNormal && normalGeometry().isValid() ? normalGeometry() : geometry();
    ini.writeInteger(u"Window", u"Width", normal.width());
    ini.writeInteger(u"Window", u"Height", normal.height());
    ini.writeInteger(u"Window", u"GLPWidth", listPanelWidth());
    ini.writeInteger(u"Window", u"LGLPos", m_rememberedIndex);
    ini.writeString(u"Window", u"CurrentGame", m_rememberedGame);

    ini.writeBool(u"Screenshot", u"Original", MSSCROriginal->isChecked());
    ini.writeBool(u"Screenshot", u"Scaled", MSSCRScaled->isChecked());
    ini.writeBool(u"Screenshot", u"Stretched", MSSCRStretched->isChecked());
    ini.writeInteger(u"Screenshot", u"Timer", SSTimer->interval() / 1000);
    ini.writeBool(u"Screenshot", u"Title", MSSCRTitle->isChecked());
    ini.writeBool(u"Screenshot", u"Flyer", MSSCRFlyer->isChecked());
    ini.writeBool(u"Screenshot", u"Marquee", MSSCRMarquee->isChecked());
    ini.writeBool(u"Screenshot", u"Cabinet", MSSCRCabinet->isChecked());
    ini.writeBool(u"Screenshot", u"Game", MSSCRGameplay->isChecked());
    ini.writeBool(u"Screenshot", u"ShowName", MSSCRName->isChecked());
    ini.writeBool(u"Screenshot", u"ShowControls", MSSCRControls->isChecked());
    ini.writeBool(u"Screenshot", u"Play", SToolPlay->isChecked());
    ini.writeBool(u"Screenshot", u"Sharp", MSSCRSharp->isChecked());

    ini.writeBool(u"Sound", u"Music", MSSndMusic->isChecked());
    ini.writeBool(u"Sound", u"Samples", MSSndSamples->isChecked());
    ini.writeBool(u"Sound", u"None", MSSndNone->isChecked());

    ini.writeInteger(u"Columns", u"Name", GameList->columnWidth(GameListModel::NameColumn));
    ini.writeInteger(u"Columns", u"ZipName", GameList->columnWidth(GameListModel::ZipNameColumn));
}

void TMain::LoadViewSettings(const IniDocument& ini) {
    // No file at all: the first start, which opens large and on an installed game.
    const bool firstStart = !QFileInfo::exists(m_paths.FrontEndIniFile);

    // The filter: check marks only, the list is filled later.
    checkOneOf(ini, u"View",
               {{u"Installed", MSGamesInstalled},
                {u"UnInstalled", MSGamesUninstalled},
                {u"All", MSGamesAll},
                {u"Favourites", MenuFavouriteGames},
                {u"Recent", MenuRecentGames}},
               MSGamesAll);
    // The last style that reads 1 wins; none keeps the style as it is.
    for (const auto& [key, item] :
         {std::pair{u"Large", MSIconsLarge}, std::pair{u"Small", MSIconsSmall},
          std::pair{u"List", MSIconsList}, std::pair{u"Details", MSIconsDetails}}) {
        if (ini.readBool(u"View", key, item == MSIconsLarge))
            item->trigger();
    }
    (readChoice(ini, u"View", u"SortOrder", 0, 2) == 1 ? MSOrderDescending : MSOrderAscending)
        ->setChecked(true);
    SortOn(readChoice(ini, u"View", u"Sort", 0, GameListModel::ColumnCount));

    m_listFont.setFamily(ini.readString(u"GameList", u"FontType", QStringLiteral("Arial")));
    const int size = ini.readInteger(u"GameList", u"FontSize", 9);
    m_listFont.setPointSize(size > 0 && size <= 200 ? size : 9);
    // A colour that cannot be read keeps its default; the rest of the load goes on.
    m_listTextColor = ColorSetting::fromText(ini.readString(u"GameList", u"FgColor", {}))
                          .value_or(ColorSetting(ColorSetting::kWindowText));
    applyFontStyleBits(m_listFont, ini.readInteger(u"GameList", u"FontStyle", 0) & 15);
    m_listBackColor = ColorSetting::fromText(ini.readString(u"GameList", u"BgColor", {}))
                          .value_or(ColorSetting(ColorSetting::kWindow));
    applyListAppearance();

    bringToState(MSHotTracking, ini.readBool(u"View", u"HotTracking", true));
    bringToState(MSStatbar, ini.readBool(u"View", u"StatBar", true));
    // The window gets the stored size, never more than its screen holds; the list
    // panel stays narrower than the window, also while the pages are hidden.
    const QSize windowSize = fittedToScreen(
        this, firstStart ? firstStartSize(this)
                         : QSize(readClamped(ini, u"Window", u"Width", 600, 200, 20000),
                                 readClamped(ini, u"Window", u"Height", 400, 150, 20000)));
    const int leastPanel = GameListPanel->minimumWidth();
    const int panelWidth = readClamped(ini, u"Window", u"GLPWidth", 185, leastPanel,
                                       std::max(leastPanel, windowSize.width() - 3));
    if (ini.readBool(u"View", u"TabSheet", true)) {
        setListPanelWidth(panelWidth);
    } else {
        m_listPanelWidth = panelWidth;
        bringToState(MSTabsheet, false);
    }

    // The window is placed by the first load only: a re-run of the start-up reads back
    // what was saved just before, and must not take the window out of full screen or
    // undo a size the user gave it since.
    if (!m_windowPlaced) {
        m_windowPlaced = true;
        resize(windowSize);
        // A window closed while minimised opens in the normal state.
        setWindowState(readChoice(ini, u"Window", u"State", 0, 3) == 2 ? Qt::WindowMaximized
                                                                       : Qt::WindowNoState);
    }
    m_rememberedIndex = std::max(0, ini.readInteger(u"Window", u"LGLPos", 0));
    m_rememberedGame = ini.readString(u"Window", u"CurrentGame", QString());
    m_selectFirstInstalled = firstStart;

    SSTimer->setInterval(readClamped(ini, u"Screenshot", u"Timer", 2, 1, 3600) * 1000);
    if (ini.readBool(u"Screenshot", u"Play", true))
        SToolPlayClick();

    checkOneOf(
        ini, u"Screenshot",
        {{u"Original", MSSCROriginal}, {u"Scaled", MSSCRScaled}, {u"Stretched", MSSCRStretched}},
        MSSCRScaled);
    static const FlagKey kChecks[] = {
        {u"Screenshot", u"Title", &TMain::MSSCRTitle, true},
        {u"Screenshot", u"Flyer", &TMain::MSSCRFlyer, true},
        {u"Screenshot", u"Marquee", &TMain::MSSCRMarquee, true},
        {u"Screenshot", u"Cabinet", &TMain::MSSCRCabinet, true},
        {u"Screenshot", u"Game", &TMain::MSSCRGameplay, true},
        {u"Screenshot", u"ShowName", &TMain::MSSCRName, true},
        {u"Screenshot", u"ShowControls", &TMain::MSSCRControls, true},
        {u"Screenshot", u"Sharp", &TMain::MSSCRSharp, true},
    };
    for (const FlagKey& flag : kChecks)
        (this->*flag.item)->setChecked(ini.readBool(flag.section, flag.key, flag.defaultValue));
    checkOneOf(ini, u"Sound",
               {{u"Music", MSSndMusic}, {u"Samples", MSSndSamples}, {u"None", MSSndNone}},
               MSSndMusic);

    GameList->setColumnWidth(GameListModel::NameColumn, readColumnWidth(ini, u"Name", 160));
    GameList->setColumnWidth(GameListModel::ZipNameColumn, readColumnWidth(ini, u"ZipName", 70));
}
