#include "QtPrompter.h"

#include "Version.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

Prompter::Answer QtPrompter::message(Icon icon, Buttons buttons, const QString& text) {
    QMessageBox box(m_parent);
    box.setWindowTitle(QString(version::kProgramName));
    box.setText(displayText(text));
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

void QtPrompter::beep() {
    QApplication::beep();
}

std::optional<QString> QtPrompter::openFile(const OpenFileRequest& request) {
    QFileDialog dialog(m_parent, request.title, request.initialDir);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(request.filterName + QStringLiteral(" (") + request.filterPattern + u')');
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.selectFile(request.defaultFileName);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void QtDesktopOpener::open(const QString& pathOrUrl) {
    QDesktopServices::openUrl(
        QUrl::fromUserInput(pathOrUrl, QDir::currentPath(), QUrl::AssumeLocalFile));
}
