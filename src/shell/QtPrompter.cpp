#include "QtPrompter.h"

#include "BrowseFolder.h"
#include "Version.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

void setBoxIcon(QMessageBox& box, Prompter::Icon icon) {
    using Icon = Prompter::Icon;
    switch (icon) {
    case Icon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
}

} // namespace

Prompter::Answer QtPrompter::message(Icon icon, Buttons buttons, const QString& text) {
    QMessageBox box(m_parent);
    box.setWindowTitle(QString(version::kProgramName));
    box.setText(displayText(text));
    setBoxIcon(box, icon);
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::Cancel:
        box.setStandardButtons(QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Ok:
        return Answer::Ok;
    default:
        // Closing the box counts as its cancelling button.
        return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
}

bool QtPrompter::choose(Icon icon, const QString& text, const QString& accept,
                        const QString& reject) {
    QMessageBox box(m_parent);
    box.setWindowTitle(QString(version::kProgramName));
    box.setText(displayText(text));
    setBoxIcon(box, icon);
    QPushButton* acceptButton = box.addButton(accept, QMessageBox::AcceptRole);
    QPushButton* rejectButton = box.addButton(reject, QMessageBox::RejectRole);
    acceptButton->setObjectName(QStringLiteral("AcceptButton"));
    rejectButton->setObjectName(QStringLiteral("RejectButton"));
    box.setDefaultButton(acceptButton);
    box.setEscapeButton(rejectButton);
    box.exec();
    return box.clickedButton() == acceptButton;
}

void QtPrompter::beep() {
    QApplication::beep();
}

std::optional<QString> QtPrompter::openFile(const OpenFileRequest& request) {
    QFileDialog dialog(m_parent, request.title, request.initialDir);
    // Qt's own dialog: the desktop's has no room for a line of ours, and the gamepad
    // cannot reach into it.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(request.filterName + QStringLiteral(" (") + request.filterPattern + u')');
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.selectFile(request.defaultFileName);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (!request.note.isEmpty()) {
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
            auto* note = new QLabel(request.note, &dialog);
            note->setObjectName(QStringLiteral("OpenDialogNote"));
            note->setWordWrap(true);
            note->setTextInteractionFlags(Qt::TextSelectableByMouse);
            grid->addWidget(note, grid->rowCount(), 0, 1, grid->columnCount());
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<Prompter::FontChoice> QtPrompter::chooseFont(const FontChoice& current) {
    // The font dialog with a colour row under it: the list's text colour is chosen
    // together with its font.
    QDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("FontDialog"));
    dialog.setWindowTitle(QStringLiteral("Font"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* fonts = new QFontDialog(current.font, &dialog);
    fonts->setWindowFlags(Qt::Widget);
    fonts->setOptions(QFontDialog::NoButtons);
    layout->addWidget(fonts);
    QColor color = current.color;
    auto* colorRow = new QHBoxLayout;
    auto* colorLabel = new QLabel(QStringLiteral("Colour:"), &dialog);
    auto* colorButton = new QPushButton(&dialog);
    colorButton->setObjectName(QStringLiteral("FontColorButton"));
    colorButton->setMinimumWidth(90);
    const auto showColor = [&] {
        QPixmap swatch(28, 14);
        swatch.fill(color);
        colorButton->setIcon(QIcon(swatch));
        colorButton->setText(color.name());
    };
    showColor();
    QObject::connect(colorButton, &QPushButton::clicked, &dialog, [&] {
        const QColor chosen =
            QColorDialog::getColor(color, &dialog, QString(), QColorDialog::DontUseNativeDialog);
        if (chosen.isValid()) {
            color = chosen;
            showColor();
        }
    });
    colorLabel->setBuddy(colorButton);
    colorRow->addWidget(colorLabel);
    colorRow->addWidget(colorButton);
    colorRow->addStretch(1);
    layout->addLayout(colorRow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return FontChoice{fonts->currentFont(), color};
}

std::optional<QColor> QtPrompter::chooseColor(const QColor& current) {
    // Qt's own dialog, which the gamepad reaches as it does every other box.
    const QColor chosen =
        QColorDialog::getColor(current, m_parent, QString(), QColorDialog::DontUseNativeDialog);
    return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
}

std::optional<QString> QtPrompter::pickFolder(const FolderRequest& request) {
    TBrowseFolder picker(request.title, m_parent);
    picker.setDirectory(request.initialDir);
    if (!picker.Execute())
        return std::nullopt;
    return picker.directory();
}

bool QtDesktopOpener::open(const QString& pathOrUrl) {
    return QDesktopServices::openUrl(
        QUrl::fromUserInput(pathOrUrl, QDir::currentPath(), QUrl::AssumeLocalFile));
}
