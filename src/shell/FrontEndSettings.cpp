// The generic half of the front-end settings file: where the emulator is, the view
// options, the list's look, the window, the pictures and the sound. The file is
// rebuilt whole on every save, in a fixed order of sections and keys.

#include "MainUnit.h"
#include "Version.h"
#include "core/IniDocument.h"
#include "games/GameListModel.h"
#include "games/GameListView.h"

#include <QAction>
#include <QTimer>
#include <QToolButton>

namespace {

// The check marks kept in [Screenshot] and [Sound], set directly at load.
struct FlagKey {
    const char16_t* section;
    const char16_t* key;
    QAction* TMain::*item;
    bool defaultValue;
};

} // namespace

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
    ini.writeBool(u"View", u"Large", MSIconsLarge->isChecked());
    ini.writeBool(u"View", u"Small", MSIconsSmall->isChecked());
    ini.writeBool(u"View", u"List", MSIconsList->isChecked());
    ini.writeBool(u"View", u"Details", MSIconsDetails->isChecked());
    ini.writeBool(u"View", u"HotTracking", MSHotTracking->isChecked());
    ini.writeBool(u"View", u"StatBar", MSStatbar->isChecked());
    ini.writeBool(u"View", u"TabSheet", MSTabsheet->isChecked());
    ini.writeInteger(u"View", u"Sort", m_sortColumn);

    ini.writeString(u"GameList", u"FontType", m_listFont.family());
    ini.writeInteger(u"GameList", u"FontSize", qRound(m_listFont.pointSizeF()));
    ini.writeString(u"GameList", u"FgColor", m_listTextColor.text());
    ini.writeInteger(u"GameList", u"FontStyle", fontStyleBits(m_listFont));
    ini.writeString(u"GameList", u"BgColor", m_listBackColor.text());

    // The size is the normal one, also while the window is maximised or minimised.
    const Qt::WindowStates state = windowState();
    ini.writeInteger(u"Window", u"State",
                     state & Qt::WindowMaximized   ? 2
                     : state & Qt::WindowMinimized ? 1
                                                   : 0);
    const QRect normal =
        (state & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) &&
                normalGeometry().isValid()
            ? normalGeometry()
            : geometry();
    ini.writeInteger(u"Window", u"Width", normal.width());
    ini.writeInteger(u"Window", u"Height", normal.height());
    ini.writeInteger(u"Window", u"GLPWidth", listPanelWidth());
    ini.writeInteger(u"Window", u"LGLPos", m_rememberedIndex);

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
    // The filter: check marks only, the list is filled later.
    MSGamesInstalled->setChecked(ini.readBool(u"View", u"Installed", false));
    MSGamesUninstalled->setChecked(ini.readBool(u"View", u"UnInstalled", false));
    MSGamesAll->setChecked(ini.readBool(u"View", u"All", true));
    // The last style that reads 1 wins; none keeps the style as it is.
    for (const auto& [key, item] :
         {std::pair{u"Large", MSIconsLarge}, std::pair{u"Small", MSIconsSmall},
          std::pair{u"List", MSIconsList}, std::pair{u"Details", MSIconsDetails}}) {
        if (ini.readBool(u"View", key, item == MSIconsLarge))
            item->trigger();
    }
    SortOn(ini.readInteger(u"View", u"Sort", 0));

    m_listFont.setFamily(ini.readString(u"GameList", u"FontType", QStringLiteral("Arial")));
    const int size = ini.readInteger(u"GameList", u"FontSize", 9);
    m_listFont.setPointSize(size > 0 && size <= 200 ? size : 9);
    // A colour that cannot be read keeps its default; the rest of the load goes on.
    m_listTextColor = ColorSetting::fromText(ini.readString(u"GameList", u"FgColor", {}))
                          .value_or(ColorSetting(ColorSetting::kWindowText));
    applyFontStyleBits(m_listFont, ini.readInteger(u"GameList", u"FontStyle", 0));
    m_listBackColor = ColorSetting::fromText(ini.readString(u"GameList", u"BgColor", {}))
                          .value_or(ColorSetting(ColorSetting::kWindow));
    applyListAppearance();

    bringToState(MSHotTracking, ini.readBool(u"View", u"HotTracking", true));
    bringToState(MSStatbar, ini.readBool(u"View", u"StatBar", true));
    if (ini.readBool(u"View", u"TabSheet", true)) {
        const int width = ini.readInteger(u"Window", u"GLPWidth", 185);
        m_panelWidthBeforeHiding = std::max(GameListPanel->minimumWidth(), width);
        setListPanelWidth(m_panelWidthBeforeHiding);
    } else {
        bringToState(MSTabsheet, false);
    }

    const int width = ini.readInteger(u"Window", u"Width", 600);
    const int height = ini.readInteger(u"Window", u"Height", 400);
    resize(std::clamp(width, 200, 20000), std::clamp(height, 150, 20000));
    switch (ini.readInteger(u"Window", u"State", 0)) {
    case 2:
        setWindowState(Qt::WindowMaximized);
        break;
    case 1:
        setWindowState(Qt::WindowMinimized);
        break;
    default:
        setWindowState(Qt::WindowNoState);
        break;
    }
    m_rememberedIndex = std::max(0, ini.readInteger(u"Window", u"LGLPos", 0));

    const int seconds = ini.readInteger(u"Screenshot", u"Timer", 2);
    SSTimer->setInterval(std::clamp(seconds, 1, 3600) * 1000);
    if (ini.readBool(u"Screenshot", u"Play", true))
        SToolPlayClick();

    static const FlagKey kChecks[] = {
        {u"Screenshot", u"Original", &TMain::MSSCROriginal, false},
        {u"Screenshot", u"Scaled", &TMain::MSSCRScaled, true},
        {u"Screenshot", u"Stretched", &TMain::MSSCRStretched, false},
        {u"Screenshot", u"Title", &TMain::MSSCRTitle, true},
        {u"Screenshot", u"Flyer", &TMain::MSSCRFlyer, true},
        {u"Screenshot", u"Marquee", &TMain::MSSCRMarquee, true},
        {u"Screenshot", u"Cabinet", &TMain::MSSCRCabinet, true},
        {u"Screenshot", u"Game", &TMain::MSSCRGameplay, true},
        {u"Screenshot", u"ShowName", &TMain::MSSCRName, true},
        {u"Screenshot", u"ShowControls", &TMain::MSSCRControls, true},
        {u"Screenshot", u"Sharp", &TMain::MSSCRSharp, true},
        {u"Sound", u"Music", &TMain::MSSndMusic, true},
        {u"Sound", u"Samples", &TMain::MSSndSamples, false},
        {u"Sound", u"None", &TMain::MSSndNone, false},
    };
    for (const FlagKey& flag : kChecks)
        (this->*flag.item)->setChecked(ini.readBool(flag.section, flag.key, flag.defaultValue));

    GameList->setColumnWidth(GameListModel::NameColumn, ini.readInteger(u"Columns", u"Name", 160));
    GameList->setColumnWidth(GameListModel::ZipNameColumn,
                             ini.readInteger(u"Columns", u"ZipName", 70));
}
