// The main window's widgets: the list panel, the splitter, the pages and the status
// bar, and the helpers that make menu items and toolbar buttons.

#include "MainUnit.h"
#include "SvgPicture.h"
#include "games/GameListModel.h"
#include "games/GameListView.h"
#include "launch/SettingsPanel.h"
#include "media/ScreenShotHandeling.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedLayout>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QIcon icon(const QString& name) {
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(name));
}

} // namespace

void TMain::buildLayout() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("MainClient"));
    auto* centralLayout = new QHBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);

    Splitter = new QSplitter(Qt::Horizontal, central);
    Splitter->setObjectName(QStringLiteral("Splitter"));
    Splitter->setHandleWidth(3);
    Splitter->setChildrenCollapsible(false);
    centralLayout->addWidget(Splitter);

    buildListPanel();

    PageControl = new QTabWidget(Splitter);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->setDocumentMode(false);
    buildScreenShotTab();
    buildSettingsTab();

    Splitter->addWidget(GameListPanel);
    Splitter->addWidget(PageControl);
    Splitter->setStretchFactor(0, 0);
    Splitter->setStretchFactor(1, 1);
    Splitter->setSizes({185, 415});
    setCentralWidget(central);
    // The list panel's least width and the splitter, and the window's least height.
    central->setMinimumSize(148, 140);

    buildStatusBar();
}

void TMain::buildListPanel() {
    GameListPanel = new QWidget(Splitter);
    GameListPanel->setObjectName(QStringLiteral("GameListPanel"));
    GameListPanel->setMinimumWidth(145);
    auto* panelLayout = new QVBoxLayout(GameListPanel);
    panelLayout->setContentsMargins(4, 4, 4, 4);
    panelLayout->setSpacing(4);

    GrGames = new QGroupBox(QStringLiteral("Games"), GameListPanel);
    GrGames->setObjectName(QStringLiteral("GrGames"));
    auto* gamesLayout = new QVBoxLayout(GrGames);
    gamesLayout->setContentsMargins(4, 4, 4, 4);
    gamesLayout->setSpacing(4);

    GameSearch = new QLineEdit(GrGames);
    GameSearch->setObjectName(QStringLiteral("GameSearch"));
    GameSearch->setPlaceholderText(QStringLiteral("Search games (Ctrl+K)"));
    GameSearch->setToolTip(QStringLiteral(
        "<p>Shows the games that match everything typed here:</p>"
        "<table style=\"white-space:nowrap\">"
        "<tr><td><b>word</b></td><td>in the title, zip name, maker or year</td></tr>"
        "<tr><td><b>\"two words\"</b></td><td>the same, blank included</td></tr>"
        "<tr><td><b>maker:sega</b></td><td>in the maker only</td></tr>"
        "<tr><td><b>year:1987</b></td><td>games of 1987</td></tr>"
        "<tr><td><b>year:1980-1989</b></td><td>games of 1980 to 1989</td></tr>"
        "<tr><td><b>year:198?</b></td><td>games of the 1980s (? is any digit)</td></tr>"
        "</table><p>Escape clears the search.</p>"));
    GameSearch->setClearButtonEnabled(true);
    GameSearch->installEventFilter(this);
    connect(GameSearch, &QLineEdit::textChanged, this, &TMain::GameSearchChanged);
    gamesLayout->addWidget(GameSearch);
    // A shortcut no menu item uses takes the typing to the search field.
    auto* findGames = new QAction(QStringLiteral("Search games"), this);
    findGames->setObjectName(QStringLiteral("GameSearchFocus"));
    findGames->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    addAction(findGames);
    connect(findGames, &QAction::triggered, this, [this] {
        GameSearch->setFocus(Qt::ShortcutFocusReason);
        GameSearch->selectAll();
    });

    // The list's background picture lies behind the list, which lets it show through.
    auto* stackHolder = new QWidget(GrGames);
    auto* stack = new QStackedLayout(stackHolder);
    stack->setStackingMode(QStackedLayout::StackAll);
    stack->setContentsMargins(0, 0, 0, 0);
    Image1 = new SvgPicture(QString(), SvgPicture::Fit::Centred, stackHolder);
    Image1->setObjectName(QStringLiteral("Image1"));
    m_listModel = new GameListModel(m_romsets, this);
    m_listModel->setObjectName(QStringLiteral("GameListModel"));
    GameList = new GameListView(stackHolder);
    GameList->setModel(m_listModel);
    GameList->setSeeThrough(true);
    stack->addWidget(GameList);
    stack->addWidget(Image1);
    stack->setCurrentWidget(GameList);
    gamesLayout->addWidget(stackHolder, 1);
    panelLayout->addWidget(GrGames, 1);

    StartButtonPanel = new QWidget(GameListPanel);
    StartButtonPanel->setObjectName(QStringLiteral("StartButtonPanel"));
    StartButtonPanel->setFixedHeight(39);
    auto* startLayout = new QVBoxLayout(StartButtonPanel);
    startLayout->setContentsMargins(0, 2, 0, 2);
    StartEmuButton = new QPushButton(icon(QStringLiteral("start-game")),
                                     QStringLiteral("St&art Game"), StartButtonPanel);
    StartEmuButton->setObjectName(QStringLiteral("StartEmuButton"));
    StartEmuButton->setIconSize(QSize(24, 24));
    StartEmuButton->setMinimumHeight(35);
    StartEmuButton->setDefault(true);
    StartEmuButton->setEnabled(false);
    StartEmuButton->setToolTip(QStringLiteral("Start the selected game"));
    startLayout->addWidget(StartEmuButton);
    panelLayout->addWidget(StartButtonPanel);

    connect(StartEmuButton, &QPushButton::clicked, this, &TMain::StartEmuButtonClick);
    connect(GameList, &GameListView::itemActivated, this, &TMain::GameListDblClick);
    connect(GameList, &GameListView::columnClicked, this, &TMain::GameListColumnClick);
    connect(GameList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                if (m_filling)
                    return;
                // Losing the selection disables the start button; the current game
                // stays until the next selection.
                if (!deselected.isEmpty())
                    StartEmuButton->setEnabled(false);
                if (!selected.isEmpty())
                    GameListSelectItem();
            });
}

void TMain::buildScreenShotTab() {
    ScreenShotTab = new QWidget(PageControl);
    ScreenShotTab->setObjectName(QStringLiteral("ScreenShotTab"));
    auto* layout = new QVBoxLayout(ScreenShotTab);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    // The placeholder and the picture's panel take turns in one place.
    auto* area = new QWidget(ScreenShotTab);
    area->setObjectName(QStringLiteral("ScreenShotArea"));
    m_pictureStack = new QStackedLayout(area);
    m_pictureStack->setContentsMargins(0, 0, 0, 0);
    NoShotImage = new SvgPicture(QStringLiteral(":/pictures/no-screenshot.svg"),
                                 SvgPicture::Fit::Grown, area);
    NoShotImage->setObjectName(QStringLiteral("NoShotImage"));
    NoShotImage->setColor(palette().color(QPalette::Window));
    // The viewer places the picture inside the panel itself.
    SSPanel = new QWidget(area);
    SSPanel->setObjectName(QStringLiteral("SSPanel"));
    SSPanel->installEventFilter(this);
    SSImage = new ScreenShotImage(SSPanel);
    SSImage->setObjectName(QStringLiteral("SSImage"));
    SSImage->setContextMenuPolicy(Qt::CustomContextMenu);
    m_pictureStack->addWidget(NoShotImage);
    m_pictureStack->addWidget(SSPanel);
    m_pictureStack->setCurrentWidget(NoShotImage);
    layout->addWidget(area, 1);

    // The picture's context menu.
    ScrSchPopup = new QMenu(SSImage);
    ScrSchPopup->setObjectName(QStringLiteral("ScrSchPopup"));
    connect(addItem(ScrSchPopup, "SetasTitleshot1", QStringLiteral("Set as Titleshot")),
            &QAction::triggered, this, &TMain::SetasTitleshot1Click);
    connect(addItem(ScrSchPopup, "ScrshotRenumber", QStringLiteral("Renumber")),
            &QAction::triggered, this, &TMain::ScrshotRenumberClick);
    QAction* remove = addItem(ScrSchPopup, "Delete1", QStringLiteral("Delete"));
    connect(remove, &QAction::triggered, this, &TMain::MSSCRDeleteClick);
    connect(SSImage, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { ScrSchPopup->popup(SSImage->mapToGlobal(at)); });

    SSShowName = new ScreenShotName(QStringLiteral("None"), ScreenShotTab);
    SSShowName->setObjectName(QStringLiteral("SSShowName"));
    SSShowName->setAlignment(Qt::AlignCenter);
    layout->addWidget(SSShowName);

    SToolBar = new QToolBar(ScreenShotTab);
    SToolBar->setObjectName(QStringLiteral("SToolBar"));
    SToolBar->setFixedHeight(39);
    SToolBar->setIconSize(QSize(28, 28));
    SToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    SToolPlay = addToolButton(SToolBar, "SToolPlay", QStringLiteral("Play"), QStringLiteral("Play"),
                              QStringLiteral("play"));
    SToolPause = addToolButton(SToolBar, "SToolPause", QStringLiteral("Pause"),
                               QStringLiteral("Pause"), QStringLiteral("pause"));
    SToolPrev = addToolButton(SToolBar, "SToolPrev", QStringLiteral("Prev"),
                              QStringLiteral("Previous"), QStringLiteral("previous"));
    SToolNext = addToolButton(SToolBar, "SToolNext", QStringLiteral("Next"), QStringLiteral("Next"),
                              QStringLiteral("next"));
    SToolTimer = addToolButton(SToolBar, "SToolTimer", QString(), QStringLiteral("Set Timer"),
                               QStringLiteral("timer"));
    SToolKill = addToolButton(SToolBar, "SToolKill", QStringLiteral("Delete"),
                              QStringLiteral("Delete Screenshot"), QStringLiteral("delete"));
    SToolClose = addToolButton(SToolBar, "SToolClose", QString(), QStringLiteral("Hide Controls"),
                               QStringLiteral("hide-controls"));
    // Play and Pause are one two-way switch; Pause is down at the start.
    for (QToolButton* button : {SToolPlay, SToolPause}) {
        button->setCheckable(true);
        button->setAutoExclusive(true);
    }
    SToolPause->setChecked(true);
    connect(SToolPlay, &QToolButton::clicked, this, &TMain::SToolPlayClick);
    connect(SToolPause, &QToolButton::clicked, this, &TMain::SToolPauseClick);
    connect(SToolPrev, &QToolButton::clicked, this, &TMain::SToolPrevClick);
    connect(SToolNext, &QToolButton::clicked, this, &TMain::SToolNextClick);
    connect(SToolTimer, &QToolButton::clicked, this, &TMain::SToolTimerClick);
    connect(SToolKill, &QToolButton::clicked, this, &TMain::MSSCRDeleteClick);
    connect(SToolClose, &QToolButton::clicked, this, [this] {
        if (MSSCRControls->isChecked())
            MSSCRControls->trigger();
    });
    SToolBar->installEventFilter(this);
    layout->addWidget(SToolBar);

    PageControl->addTab(ScreenShotTab, QStringLiteral("Screenshot"));
}

void TMain::buildSettingsTab() {
    SettingsTab = new QWidget(PageControl);
    SettingsTab->setObjectName(QStringLiteral("SettingsTab"));
    auto* layout = new QVBoxLayout(SettingsTab);
    layout->setContentsMargins(4, 4, 4, 4);

    DefSetLabel = new QLabel(QStringLiteral("Configure Default Settings"), SettingsTab);
    DefSetLabel->setObjectName(QStringLiteral("DefSetLabel"));
    QFont bold = DefSetLabel->font();
    bold.setBold(true);
    DefSetLabel->setFont(bold);
    DefSetLabel->hide();
    layout->addWidget(DefSetLabel);

    ChUseDefSettings = new QCheckBox(QStringLiteral("Use Default Settings"), SettingsTab);
    ChUseDefSettings->setObjectName(QStringLiteral("ChUseDefSettings"));
    layout->addWidget(ChUseDefSettings);

    SettingsScrollBox = new QScrollArea(SettingsTab);
    SettingsScrollBox->setObjectName(QStringLiteral("SettingsScrollBox"));
    SettingsScrollBox->setWidgetResizable(true);
    auto* groups = new QWidget(SettingsScrollBox);
    groups->setObjectName(QStringLiteral("SettingsGroups"));
    auto* groupsLayout = new QVBoxLayout(groups);
    QGroupBox* settingGroups[4] = {};
    int made = 0;
    for (const auto& [name, caption] :
         {std::pair{"GrDisplay", "Display"}, std::pair{"GrSound", "Sound"},
          std::pair{"GrControls", "Controls"}, std::pair{"GrPerformance", "Performance"}}) {
        auto* group = new QGroupBox(QLatin1StringView(caption), groups);
        group->setObjectName(QLatin1StringView(name));
        group->setLayout(new QVBoxLayout);
        groupsLayout->addWidget(group);
        settingGroups[made++] = group;
    }
    groupsLayout->addStretch(1);
    m_settingsPanel = new SettingsPanel(settingGroups[0], settingGroups[1], settingGroups[2],
                                        settingGroups[3], this);
    SettingsScrollBox->setWidget(groups);
    layout->addWidget(SettingsScrollBox, 1);

    SettingsToolbar = new QToolBar(SettingsTab);
    SettingsToolbar->setObjectName(QStringLiteral("SettingsToolbar"));
    SettingsToolbar->setFixedHeight(40);
    SettingsToolbar->setIconSize(QSize(24, 24));
    SettingsToolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    SetToolSave =
        addToolButton(SettingsToolbar, "SetToolSave", QStringLiteral("Save"),
                      QStringLiteral("Save as Default Settings"), QStringLiteral("settings-save"));
    SetToolCancel = addToolButton(SettingsToolbar, "SetToolCancel", QStringLiteral("Cancel"),
                                  QStringLiteral("Cancel"), QStringLiteral("settings-cancel"));
    SetToolUndo = addToolButton(SettingsToolbar, "SetToolUndo", QStringLiteral("Reset"),
                                QStringLiteral("Undo Changes"), QStringLiteral("settings-reset"));
    // Save and Cancel belong to the editing of the default settings.
    setToolButtonVisible(SetToolSave, false);
    setToolButtonVisible(SetToolCancel, false);
    SettingsToolbar->installEventFilter(this);
    layout->addWidget(SettingsToolbar);

    connect(ChUseDefSettings, &QCheckBox::clicked, this, &TMain::ChUseDefSettingsClick);
    connect(SetToolSave, &QToolButton::clicked, this, &TMain::DefaultSettingsSaveButtonClick);
    connect(SetToolCancel, &QToolButton::clicked, this, &TMain::DefaultSettingsCancelButtonClick);
    connect(SetToolUndo, &QToolButton::clicked, this, &TMain::SettingsResetButtonClick);
    // The settings are saved when the keyboard focus leaves their area, by any route.
    m_focusWatch =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
            if (isInSettingsArea(old) && !isInSettingsArea(now))
                SettingsScrollBoxExit();
        });
    DefaultSettingsEscape = new QAction(QStringLiteral("Cancel"), this);
    DefaultSettingsEscape->setObjectName(QStringLiteral("DefaultSettingsEscape"));
    DefaultSettingsEscape->setShortcut(QKeySequence(Qt::Key_Escape));
    DefaultSettingsEscape->setEnabled(false);
    addAction(DefaultSettingsEscape);
    connect(DefaultSettingsEscape, &QAction::triggered, this,
            &TMain::DefaultSettingsCancelButtonClick);

    PageControl->addTab(SettingsTab, QStringLiteral("Settings"));
}

void TMain::setToolButtonVisible(QToolButton* button, bool visible) {
    // A widget on a tool bar is shown and hidden through the bar's action for it.
    auto* bar = qobject_cast<QToolBar*>(button->parentWidget());
    for (QAction* action : bar->actions()) {
        if (bar->widgetForAction(action) == button)
            action->setVisible(visible);
    }
}

bool TMain::isInSettingsArea(const QWidget* widget) const {
    return widget && (SettingsScrollBox->isAncestorOf(widget) || widget == SettingsToolbar ||
                      SettingsToolbar->isAncestorOf(widget));
}

void TMain::buildStatusBar() {
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(true);
    for (int i = 0; i < 2; ++i) {
        m_statusPanels[i] = new QLabel(StatusBar);
        m_statusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_statusPanels[i]->setAlignment(Qt::AlignCenter);
    }
    m_statusPanels[0]->setMinimumWidth(70);
    m_statusPanels[0]->setText(QStringLiteral("zipname"));
    StatusBar->addWidget(m_statusPanels[0]);
    StatusBar->addWidget(m_statusPanels[1], 1);
    setStatusBar(StatusBar);
}

QAction* TMain::addItem(QMenu* menu, const char* name, const QString& caption,
                        const QKeySequence& shortcut) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1StringView(name));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}

QAction* TMain::addToggle(QMenu* menu, const char* name, const QString& caption, bool checked,
                          const QKeySequence& shortcut) {
    QAction* action = addItem(menu, name, caption, shortcut);
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}

QAction* TMain::addRadio(QMenu* menu, QActionGroup* group, const char* name, const QString& caption,
                         int tag, bool checked, const QKeySequence& shortcut) {
    QAction* action = addToggle(menu, name, caption, checked, shortcut);
    action->setData(tag);
    group->addAction(action);
    return action;
}

QToolButton* TMain::addToolButton(QToolBar* bar, const char* name, const QString& caption,
                                  const QString& hint, const QString& iconName) {
    auto* button = new QToolButton(bar);
    button->setObjectName(QLatin1StringView(name));
    button->setText(caption.isEmpty() ? hint : caption);
    button->setToolTip(hint);
    button->setIcon(icon(iconName));
    button->setToolButtonStyle(bar->toolButtonStyle());
    button->setAutoRaise(true);
    bar->addWidget(button);
    return button;
}

void TMain::ToolBarResize(QToolBar* bar) {
    // The buttons share the bar's width equally.
    QList<QToolButton*> buttons;
    for (QAction* action : bar->actions()) {
        if (!action->isVisible())
            continue;
        if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action)))
            buttons.append(button);
    }
    if (buttons.isEmpty())
        return;
    const int margins = bar->contentsMargins().left() + bar->contentsMargins().right() +
                        bar->layout()->contentsMargins().left() +
                        bar->layout()->contentsMargins().right() +
                        bar->layout()->spacing() * int(buttons.size() - 1);
    const int width = std::max(24, (bar->width() - margins) / int(buttons.size()));
    // The buttons grow to that width but may be narrower: a fixed width would become the
    // bar's least width, and the pages could then never be made narrower again.
    for (QToolButton* button : buttons) {
        button->setSizePolicy(QSizePolicy::Expanding, button->sizePolicy().verticalPolicy());
        button->setMaximumWidth(width);
    }
}

bool TMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest) {
        if (watched == SToolBar || watched == SettingsToolbar)
            ToolBarResize(static_cast<QToolBar*>(watched));
    }
    if (watched == SSPanel && event->type() == QEvent::Resize)
        SSPanelResize();
    if (watched == GameSearch && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape && !GameSearch->text().isEmpty()) {
            GameSearch->clear();
            return true;
        }
        // Down goes on to the list; Enter starts the selected game, as in the list.
        if (key == Qt::Key_Down) {
            GameList->currentView()->setFocus();
            return true;
        }
        const auto modifiers = static_cast<QKeyEvent*>(event)->modifiers() & ~Qt::KeypadModifier;
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && modifiers == Qt::NoModifier) {
            StartSelectedGame();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
