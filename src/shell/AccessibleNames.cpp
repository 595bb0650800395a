#include "AccessibleNames.h"

#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

namespace {

struct AccessibleName {
    const char* objectName;
    const char* name;
};

constexpr AccessibleName kNames[] = {
    // The list panel.
    {"GameSearch", "Search games"},
    {"GameList", "Games"},
    {"GameListIcons", "Games"},
    {"GameListDetails", "Games"},
    {"GameListHeader", "Game list columns"},
    // The pages.
    {"PageControl", "Pages"},
    {"SSPanel", "Screenshot"},
    {"SSImage", "Screenshot"},
    {"NoShotImage", "No screenshot"},
    {"SToolBar", "Slideshow controls"},
    {"SToolPlay", "Play slideshow"},
    {"SToolPause", "Pause slideshow"},
    {"SToolPrev", "Previous picture"},
    {"SToolNext", "Next picture"},
    {"SToolTimer", "Set slideshow timer"},
    {"SToolKill", "Delete picture"},
    {"SToolClose", "Hide slideshow controls"},
    {"SettingsScrollBox", "Emulator settings"},
    {"SettingsToolbar", "Settings tools"},
    {"SetToolSave", "Save as default settings"},
    {"SetToolCancel", "Cancel default settings"},
    {"SetToolUndo", "Undo changes"},
    {"RomcheckMemo", "Romcheck report"},
    {"InfoTab", "Game details"},
    {"InfoScrollBox", "Game details"},
    {"InfoParent", "Parent game"},
    {"StatusBar", "Status"},
    // The rompaths dialog.
    {"ZipDir0", "Rompath 1"},
    {"ZipDir1", "Rompath 2"},
    {"ZipDir2", "Rompath 3"},
    {"ZipDir3", "Rompath 4"},
    {"BrowseButton0", "Browse for rompath 1"},
    {"BrowseButton1", "Browse for rompath 2"},
    {"BrowseButton2", "Browse for rompath 3"},
    {"BrowseButton3", "Browse for rompath 4"},
};

void nameOne(QWidget* widget) {
    if (!widget->accessibleName().isEmpty())
        return;
    // The field of an editable combo box is what has the focus; it says what the box
    // is for, as the box's label does.
    auto* box = qobject_cast<QComboBox*>(widget->parentWidget());
    if (box && qobject_cast<QLineEdit*>(widget)) {
        if (QAccessibleInterface* face = QAccessible::queryAccessibleInterface(box))
            widget->setAccessibleName(face->text(QAccessible::Name));
        return;
    }
    const QString objectName = widget->objectName();
    for (const AccessibleName& entry : kNames) {
        if (objectName == QLatin1StringView(entry.objectName)) {
            widget->setAccessibleName(QString::fromLatin1(entry.name));
            return;
        }
    }
}

} // namespace

void setAccessibleNames(QWidget* root) {
    nameOne(root);
    for (QWidget* widget : root->findChildren<QWidget*>())
        nameOne(widget);
}
